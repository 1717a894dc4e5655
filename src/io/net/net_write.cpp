#include <cctype>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "env/c_locale.h"
#include "env/errors.h"
#include "io/dispatch.h"
#include "io/net/net_files.h"
#include "io/number_format.h"
#include "io/stream.h"
#include "model/model.h"
#include "network/net_to_lp.h"

namespace korva::netio {
namespace {

bool default_encoding(const FileStream& out) {
  const std::string name = out.encoding_name();
  return name == "ISO-8859-1" || name == "UTF-8" || name == "US-ASCII";
}

std::string number(double value) {
  char text[kNumberTextSize];
  bool representable = true;
  format_number(value, text, representable);
  return text;
}

bool infinite(double v) { return std::fabs(v) >= 1e20; }

void write_min(FileStream& out, const net::Network& net) {
  if (!default_encoding(out)) out.printf("c ENCODING=%s\n", out.encoding_name());
  out.printf("c\n");
  if (!net.name.empty())
    out.printf("c network problem %.255s\n", net.name.c_str());
  else
    out.printf("c network problem\n");
  out.printf("c\n");
  out.printf("p min %lld %lld\n", static_cast<long long>(net.num_nodes()), static_cast<long long>(net.num_arcs()));
  if (net.sense < 0) out.printf("s max\n");
  for (int i = 0; i < net.num_nodes(); ++i)
    if (net.nodes.supply[i] != 0.0) out.printf("n %lld %16g\n", static_cast<long long>(i + 1), net.nodes.supply[i]);
  for (int a = 0; a < net.num_arcs(); ++a)
    out.printf("a %lld %lld %16g %16g %16g\n", static_cast<long long>(net.arcs.tail[a] + 1),
               static_cast<long long>(net.arcs.head[a] + 1), net.arcs.lower[a], net.arcs.upper[a],
               net.arcs.cost[a] * net.sense);
}

void write_keyword(FileStream& out, const net::Network& net) {
  if (!default_encoding(out)) out.printf("\\ENCODING=%s\n", out.encoding_name());
  out.printf(net.sense < 0 ? "MAXIMIZE NETWORK" : "MINIMIZE NETWORK");
  if (!net.name.empty()) out.printf(" %.255s", net.name.c_str());
  out.printf("\n");
  out.printf("SUPPLY\n");
  for (int i = 0; i < net.num_nodes(); ++i)
    if (net.nodes.supply[i] != 0.0)
      out.printf("%.255s : %s\n", net.node_names.get(i), number(net.nodes.supply[i]).c_str());
  out.printf("ARCS\n");
  for (int a = 0; a < net.num_arcs(); ++a) {
    out.printf("%.255s : ", net.arc_names.get(a));
    out.printf("%.255s -> ", net.node_names.get(net.arcs.tail[a]));
    out.printf("%.255s\n", net.node_names.get(net.arcs.head[a]));
  }
  out.printf("OBJECTIVE\n");
  for (int a = 0; a < net.num_arcs(); ++a) {
    const double c = net.arcs.cost[a] * net.sense;
    if (c != 0.0) out.printf("%.255s : %s\n", net.arc_names.get(a), number(c).c_str());
  }
  out.printf("BOUNDS\n");
  for (int a = 0; a < net.num_arcs(); ++a) {
    const double lo = net.arcs.lower[a], up = net.arcs.upper[a];
    const char* name = net.arc_names.get(a);
    if (lo == 0.0 && infinite(up) && up > 0) continue;
    if (infinite(lo) && lo < 0 && infinite(up) && up > 0) {
      out.printf(" %.255s free\n", name);
    } else if (lo == up) {
      out.printf(" %.255s = %s\n", name, number(lo).c_str());
    } else {
      out.printf("%s", infinite(lo) && lo < 0 ? "-inf" : number(lo).c_str());
      out.printf(" <= %.255s", name);
      if (!infinite(up)) out.printf(" <= %s", number(up).c_str());
      out.printf("\n");
    }
  }
  out.printf("ENDNETWORK\n");
}

// The type of a name without a format string: its extension, after any
// compression suffix.
std::string extension_of(const char* filename) {
  std::string name(filename);
  for (const char* suffix : {".gz", ".bz2", ".Z"}) {
    const size_t n = std::strlen(suffix);
    if (name.size() > n && name.compare(name.size() - n, n, suffix) == 0) {
      name.resize(name.size() - n);
      break;
    }
  }
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

bool same_word(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t k = 0; k < a.size(); ++k)
    if (std::toupper(static_cast<unsigned char>(a[k])) != b[k]) return false;
  return true;
}

bool lp_side_format(const std::string& type) {
  for (const char* word : {"MPS", "RMP", "REW", "LP", "SAV"})
    if (same_word(type, word)) return true;
  return false;
}

struct ProblemDeleter {
  void operator()(Problem* p) const { model::free_problem(p); }
};

// The other formats are the LP writers', given the network's LP form.
int write_as_lp(Environment& env, const net::Network& net, const char* filename, const std::string& type) {
  int status = 0;
  std::unique_ptr<Problem, ProblemDeleter> lp(model::create_problem(env, net.name.c_str(), &status));
  if (!lp) return status ? status : err::kNoMemory;
  if (int s = net::copy_network_to_lp(env, net, *lp)) return s;
  return write_model_file(env, *lp, filename, type.c_str());
}

}  // namespace

int write_network(Environment& env, net::Network& net, const char* filename, const char* format) {
  if (!filename) return err::kNoFileName;
  if (!env.results() && !env.error()) return err::kNoChannel;
  const std::string type = format ? std::string(format) : extension_of(filename);
  if (lp_side_format(type)) return write_as_lp(env, net, filename, type);
  const bool min = same_word(type, "MIN");
  if (!min && !same_word(type, "NET")) return err::kBadFileType;
  ScopedCLocale c_locale;
  std::unique_ptr<FileStream> out;
  StreamOptions options;
  options.mode = "w";
  options.must_exist = false;
  if (int s = FileStream::open(env, filename, options, out)) return s;
  if (min)
    write_min(*out, net);
  else
    write_keyword(*out, net);
  return FileStream::close(env, out, 0);
}

}  // namespace korva::netio

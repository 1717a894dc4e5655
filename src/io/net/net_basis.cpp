#include "io/net/net_basis.h"

#include <memory>
#include <string>
#include <vector>

#include "env/error_codes.h"
#include "env/errors.h"
#include "io/basis_file.h"
#include "io/capped_warnings.h"
#include "io/stream.h"
#include "io/text_file_lines.h"
#include "io/utf8_cut.h"
#include "network/net_queries.h"

namespace korva::netio {
namespace {

using namespace basis_code;
constexpr size_t kMaxNameBytes = 255;

std::string cut(const char* name) { return std::string(utf8_cut(name, kMaxNameBytes)); }

// The status an arc takes when the file does not list it: at a finite
// bound, the lower one first, or free at zero.
int unlisted_arc_status(const net::Network& net, int a) {
  if (net.arcs.lower[a] > -net::kSolverInfinity) return net::kAtLower;
  if (net.arcs.upper[a] < net::kSolverInfinity) return net::kAtUpper;
  return net::kFreeZero;
}

class NetBasisReader {
 public:
  NetBasisReader(Environment& env, const net::Network& net)
      : arc_status(static_cast<size_t>(net.num_arcs())),
        node_status(static_cast<size_t>(net.num_nodes()), 1),
        env_(env),
        arcs_(net.arc_names),
        nodes_(net.node_names),
        warnings_(env) {
    for (int a = 0; a < net.num_arcs(); ++a) arc_status[static_cast<size_t>(a)] = unlisted_arc_status(net, a);
  }

  int run(FileStream& in) {
    DataLines lines(in);
    if (int s = each_data_line(lines, [&] { return line(lines); })) return s;
    warnings_.finish();
    return lines.ended() ? 0 : kEndataMissing;
  }

  std::vector<int> arc_status, node_status;

 private:
  int line(const DataLines& lines) {
    const long long number = lines.line_number();
    const std::string_view code = lines.field(0);
    const int fields = lines.count();
    if (code == "XL" || code == "XU") {
      if (fields != 3) return report_formatted(&env_, kWrongNumberOfEntries, number);
      const int a = find(arcs_, lines.field(1), number, "variable");
      const int i = find(nodes_, lines.field(2), number, "row");
      if (a >= 0) arc_status[static_cast<size_t>(a)] = net::kBasic;
      if (i >= 0) node_status[static_cast<size_t>(i)] = 0;
      return 0;
    }
    if (code == "UL" || code == "LL" || code == "BS") {
      if (fields != 2) return report_formatted(&env_, kWrongNumberOfEntries, number);
      const int a = find(arcs_, lines.field(1), number, "variable");
      if (a >= 0)
        arc_status[static_cast<size_t>(a)] =
            code == "BS" ? net::kBasic : code == "UL" ? net::kAtUpper : net::kAtLower;
      return 0;
    }
    if (code == "SB" || code == "SC" || code == "SR" || code == "BR") return kSuperbasis;
    return report_formatted(&env_, kUnrecognizedIndicator, number, std::string(code).c_str());
  }

  int find(const NameIndex& index, std::string_view name, long long number, const char* what) {
    return find_or_warn(index, warnings_, name, number, what);
  }

  Environment& env_;
  NameIndex arcs_, nodes_;
  CappedWarnings warnings_;
};

}  // namespace

int write_network_basis(Environment& env, net::Network& net, const char* filename) {
  if (net.state == net::kNoSolution || !net.has_basis) return err::kNoBasis;
  if (!filename || !*filename) return err::kNoFileName;
  StreamOptions options;
  options.mode = "w";
  options.must_exist = false;
  std::unique_ptr<FileStream> out;
  if (int status = FileStream::open(env, filename, options, out)) return status;
  out->printf("* ENCODING=%s\n", out->encoding_name());
  out->printf("NAME          %s  Iterations %lld  Rows %lld  Cols %lld\n",
              net.name.empty() ? "netbasis" : cut(net.name.c_str()).c_str(), static_cast<long long>(net.iterations),
              static_cast<long long>(net.num_nodes()), static_cast<long long>(net.num_arcs()));
  // Basic arcs pair in order with the nodes that lost their artificial
  // arc; a tree has exactly as many of one as of the other.
  const int n = net.num_nodes();
  int next_node = 0;
  auto next_tree_node = [&]() {
    while (next_node < n && net.nodes.artificial[next_node]) ++next_node;
    return next_node < n ? next_node++ : -1;
  };
  for (int a = 0; a < net.num_arcs(); ++a) {
    if (net.arcs.status[a] != net::kBasic) continue;
    const int i = next_tree_node();
    if (i < 0) {
      out->printf(" BS %-8s\n", cut(net.arc_names.get(a)).c_str());
      continue;
    }
    out->printf(" XL %-8s  %-8s\n", cut(net.arc_names.get(a)).c_str(), cut(net.node_names.get(i)).c_str());
  }
  for (int a = 0; a < net.num_arcs(); ++a)
    if (net.arcs.status[a] == net::kAtUpper) out->printf(" UL %-8s\n", cut(net.arc_names.get(a)).c_str());
  out->printf("ENDATA\n");
  return FileStream::close(env, out, 0);
}

int read_network_basis(Environment& env, net::Network& net, const char* filename) {
  if (!filename || !*filename) return err::kNoFileName;
  StreamOptions options;
  options.mode = "rb";
  options.default_extension = ".bas";
  options.must_exist = false;
  std::unique_ptr<FileStream> in;
  if (int status = FileStream::open(env, filename, options, in)) return status;
  NetBasisReader reader(env, net);
  const int read = reader.run(*in);
  if (int status = FileStream::close(env, in, read)) return status;
  return net::copy_basis(net, reader.arc_status.data(), reader.node_status.data());
}

}  // namespace korva::netio

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "env/c_locale.h"
#include "env/channel.h"
#include "env/errors.h"
#include "io/net/net_files.h"
#include "io/stream.h"
#include "network/net_edit.h"

namespace korva::netio {
namespace {

constexpr int kInconsistent = 1530;
constexpr int kNotMinCost = 1531;
constexpr int kBadCharacter = 1537;
constexpr int kUnexpectedEnd = 1538;

// What a reader collects before it replaces the network.
struct NetworkArrays {
  int sense = 1;
  std::vector<double> supply;
  std::vector<std::string> node_names;
  std::vector<int> from, to;
  std::vector<double> lower, upper, cost;
  std::vector<std::string> arc_names;
};

int slurp(Environment& env, const char* filename, std::string& text) {
  std::unique_ptr<FileStream> in;
  StreamOptions options;
  if (int s = FileStream::open(env, filename, options, in)) return s;
  std::string_view line;
  int status = 0;
  while ((status = in->read_line_view(1 << 16, line)) == 0 && !line.empty()) text.append(line);
  return FileStream::close(env, in, status);
}

bool starts_with_word(std::string_view word, char a, char b) {
  return word.size() >= 2 && std::tolower(static_cast<unsigned char>(word[0])) == a &&
         std::tolower(static_cast<unsigned char>(word[1])) == b;
}

// The sense word of a 'p' or 's' line: 1 minimise, -1 maximise, 0 neither.
int sense_word(std::string_view rest) {
  size_t p = rest.find_first_not_of(" \t");
  if (p == std::string_view::npos) return 0;
  std::string_view word = rest.substr(p);
  word = word.substr(0, word.find_first_of(" \t\r\n"));
  if (starts_with_word(word, 'm', 'a')) return -1;
  if (starts_with_word(word, 'm', 'i')) return 1;
  return 0;
}

int read_min(Environment& env, const std::string& text, NetworkArrays& out) {
  ScopedCLocale c_locale;
  long long nodes = -1;
  bool sense_seen = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    const size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) continue;
    const char kind = line[first];
    const char* rest = line.c_str() + first + 1;
    if (kind == 'c') continue;
    if (kind == 'p') {
      const int sense = sense_word(rest);
      if (sense == 0) return kNotMinCost;
      const char* after = rest + std::strspn(rest, " \t");
      after += std::strcspn(after, " \t\r");
      long long arcs = 0;
      if (std::sscanf(after, "%lld %lld", &nodes, &arcs) != 2 || nodes <= 0 || arcs <= 0)
        return kInconsistent;
      if (nodes > 2147483647LL || arcs > 2147483647LL) return err::kInt32Overflow;
      out.sense = sense;
      out.supply.assign(static_cast<size_t>(nodes), 0.0);
      out.from.reserve(static_cast<size_t>(arcs));
      msg(env.results(), "Nodes %lld  Arcs %lld\n", nodes, arcs);
    } else if (kind == 'n') {
      long long node = 0;
      double supply = 0.0;
      if (nodes < 0 || std::sscanf(rest, "%lld %lf", &node, &supply) != 2 || node < 1 || node > nodes)
        return kInconsistent;
      out.supply[node - 1] = supply;
    } else if (kind == 'a') {
      long long from = 0, to = 0;
      double lo = 0, up = 0, cost = 0;
      if (nodes < 0 || std::sscanf(rest, "%lld %lld %lf %lf %lf", &from, &to, &lo, &up, &cost) != 5 ||
          from < 1 || from > nodes || to < 1 || to > nodes)
        return kInconsistent;
      out.from.push_back(static_cast<int>(from - 1));
      out.to.push_back(static_cast<int>(to - 1));
      out.lower.push_back(lo);
      out.upper.push_back(up);
      out.cost.push_back(cost);
    } else if (kind == 's') {
      const int sense = sense_word(rest);
      if (sense == 0) return kNotMinCost;
      if (sense_seen) msg(env.warning(), "Multiple definitions of objective sense\n");
      sense_seen = true;
      out.sense = sense;
    } else {
      return kInconsistent;
    }
  }
  if (nodes < 0) return kInconsistent;
  return 0;
}

// --- keyword format ----------------------------------------------------------

enum class Tok { End, Word, Number, Colon, Arrow, Equal, Less, Greater };

struct Token {
  Tok kind = Tok::End;
  std::string text;
  double value = 0.0;
  long long line = 1;
};

class Lexer {
 public:
  explicit Lexer(const std::string& text) : text_(text) {}
  // 0, or 1537 for a rejected character (line in *line).
  int next(Token& t) {
    skip();
    t = Token{};
    t.line = line_;
    if (pos_ >= text_.size()) return 0;
    const char c = text_[pos_];
    if (c == '^' || c == '*' || c == '[' || c == ']') return kBadCharacter;
    if (c == ':') return single(t, Tok::Colon, 1);
    if (c == '=') return single(t, Tok::Equal, 1);
    if (c == '-' && peek(1) == '>') return single(t, Tok::Arrow, 2);
    if (c == '<') return single(t, Tok::Less, peek(1) == '=' ? 2 : 1);
    if (c == '>') return single(t, Tok::Greater, peek(1) == '=' ? 2 : 1);
    size_t end = pos_;
    while (end < text_.size() && !std::strchr(" \t\r\n:=<>\\^*[]", text_[end]) &&
           !(text_[end] == '-' && end + 1 < text_.size() && text_[end + 1] == '>' && end > pos_))
      ++end;
    t.text = text_.substr(pos_, end - pos_);
    pos_ = end;
    if (number(t.text, t.value)) t.kind = Tok::Number;
    else t.kind = Tok::Word;
    return 0;
  }
  long long line() const { return line_; }

 private:
  void skip() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (c == ' ' || c == '\t' || c == '\r') {
        ++pos_;
      } else if (c == '\\') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else {
        break;
      }
    }
  }
  char peek(size_t k) const { return pos_ + k < text_.size() ? text_[pos_ + k] : '\0'; }
  int single(Token& t, Tok kind, size_t n) {
    t.kind = kind;
    t.text = text_.substr(pos_, n);
    pos_ += n;
    return 0;
  }
  static bool number(const std::string& s, double& v) {
    std::string_view body(s);
    double sign = 1.0;
    if (!body.empty() && (body[0] == '+' || body[0] == '-')) {
      if (body[0] == '-') sign = -1.0;
      body.remove_prefix(1);
    }
    std::string upper;
    for (char ch : body) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (upper == "INF" || upper == "INFINITY") {
      v = sign * 1e20;
      return true;
    }
    if (body.empty() || !(std::isdigit(static_cast<unsigned char>(body[0])) || body[0] == '.')) return false;
    char* end = nullptr;
    const std::string copy(body);
    const double parsed = std::strtod(copy.c_str(), &end);
    if (*end != '\0') return false;
    v = sign * parsed;
    return true;
  }

  const std::string& text_;
  size_t pos_ = 0;
  long long line_ = 1;
};

bool is_keyword(const Token& t, const char* word) {
  if (t.kind != Tok::Word || t.text.size() != std::strlen(word)) return false;
  for (size_t k = 0; k < t.text.size(); ++k)
    if (std::toupper(static_cast<unsigned char>(t.text[k])) != word[k]) return false;
  return true;
}

bool is_section(const Token& t) {
  return is_keyword(t, "SUPPLY") || is_keyword(t, "DEMAND") || is_keyword(t, "ARCS") ||
         is_keyword(t, "OBJECTIVE") || is_keyword(t, "BOUNDS") || is_keyword(t, "ENDNETWORK");
}

class KeywordReader {
 public:
  KeywordReader(Environment& env, const std::string& text, NetworkArrays& out)
      : env_(env), lex_(text), out_(out) {}

  int run() {
    ScopedCLocale c_locale;
    if (int s = advance()) return s;
    if (is_keyword(tok_, "MAXIMIZE")) out_.sense = -1;
    else if (is_keyword(tok_, "MINIMIZE")) out_.sense = 1;
    else return kInconsistent;
    if (int s = advance()) return s;
    if (!is_keyword(tok_, "NETWORK")) return kInconsistent;
    if (int s = advance()) return s;
    if (tok_.kind == Tok::Word && !is_section(tok_))
      if (int s = advance()) return s;  // the problem name; the file name replaces it
    while (true) {
      if (tok_.kind == Tok::End) return kUnexpectedEnd;
      if (is_keyword(tok_, "ENDNETWORK")) return 0;
      int s = 0;
      if (is_keyword(tok_, "SUPPLY")) s = supplies(1.0);
      else if (is_keyword(tok_, "DEMAND")) s = supplies(-1.0);
      else if (is_keyword(tok_, "ARCS")) s = arcs();
      else if (is_keyword(tok_, "OBJECTIVE")) s = objective();
      else if (is_keyword(tok_, "BOUNDS")) s = bounds();
      else s = kInconsistent;
      if (s) return s;
    }
  }
  long long line() const { return tok_.line; }

 private:
  int advance() {
    const int s = lex_.next(tok_);
    if (s) tok_.line = lex_.line();
    return s;
  }
  bool item_start() const { return tok_.kind == Tok::Word && !is_section(tok_); }

  int node_of(const std::string& name) {
    auto [it, added] = nodes_.emplace(name, static_cast<int>(out_.supply.size()));
    if (added) {
      out_.supply.push_back(0.0);
      out_.node_names.push_back(name);
    }
    return it->second;
  }
  int arc_of(const std::string& name) const {
    auto it = arcs_.find(name);
    return it == arcs_.end() ? -1 : it->second;
  }
  // name ':' number
  int named_value(std::string& name, double& value) {
    name = tok_.text;
    if (int s = advance()) return s;
    if (tok_.kind != Tok::Colon) return kInconsistent;
    if (int s = advance()) return s;
    if (tok_.kind != Tok::Number) return kInconsistent;
    value = tok_.value;
    return advance();
  }

  int supplies(double sign) {
    if (int s = advance()) return s;
    std::vector<int8_t> seen;
    while (item_start()) {
      std::string name;
      double value = 0.0;
      const long long at = tok_.line;
      if (int s = named_value(name, value)) return s;
      const bool known = nodes_.count(name) != 0;
      const int i = node_of(name);
      if (known && supply_set_.count(i))
        msg(env_.warning(), "Supply value for node %.255s overridden near line %lld.\n", name.c_str(), at);
      supply_set_.insert({i, 1});
      out_.supply[i] = sign * value;
    }
    return 0;
  }

  int arcs() {
    if (int s = advance()) return s;
    while (item_start()) {
      const std::string name = tok_.text;
      const long long at = tok_.line;
      if (int s = advance()) return s;
      if (tok_.kind != Tok::Colon) return kInconsistent;
      if (int s = advance()) return s;
      if (tok_.kind != Tok::Word && tok_.kind != Tok::Number) return kInconsistent;
      const std::string from = tok_.text;
      if (int s = advance()) return s;
      if (tok_.kind != Tok::Arrow) return kInconsistent;
      if (int s = advance()) return s;
      if (tok_.kind != Tok::Word && tok_.kind != Tok::Number) return kInconsistent;
      const std::string to = tok_.text;
      if (int s = advance()) return s;
      const int f = node_of(from), t = node_of(to);
      const int a = arc_of(name);
      if (a >= 0) {
        msg(env_.warning(), "Nodes for arc %.255s overridden near line %lld.\n", name.c_str(), at);
        out_.from[a] = f;
        out_.to[a] = t;
        continue;
      }
      arcs_.emplace(name, static_cast<int>(out_.from.size()));
      out_.from.push_back(f);
      out_.to.push_back(t);
      out_.lower.push_back(0.0);
      out_.upper.push_back(1e20);
      out_.cost.push_back(0.0);
      out_.arc_names.push_back(name);
      flags_.push_back(0);
    }
    return 0;
  }

  int objective() {
    if (int s = advance()) return s;
    while (item_start()) {
      std::string name;
      double value = 0.0;
      const long long at = tok_.line;
      if (int s = named_value(name, value)) return s;
      const int a = arc_of(name);
      if (a < 0) {
        msg(env_.warning(), "Ignoring objective for unknown arc %.255s near line %lld.\n", name.c_str(), at);
        continue;
      }
      if (flags_[a] & 1)
        msg(env_.warning(), "Objective value for arc %.255s overridden near line %lld.\n", name.c_str(), at);
      flags_[a] |= 1;
      out_.cost[a] = value;
    }
    return 0;
  }

  // Forms: "name free", "name = v", "lo <= name [<= up]", "name <= up",
  // "name >= lo".
  int bounds() {
    if (int s = advance()) return s;
    while (tok_.kind == Tok::Number || item_start()) {
      const long long at = tok_.line;
      double lo = 0.0, up = 1e20;
      std::string name;
      if (tok_.kind == Tok::Number) {
        lo = tok_.value;
        if (int s = advance()) return s;
        if (tok_.kind != Tok::Less) return kInconsistent;
        if (int s = advance()) return s;
        if (tok_.kind != Tok::Word) return kInconsistent;
        name = tok_.text;
        if (int s = advance()) return s;
        if (tok_.kind == Tok::Less) {
          if (int s = advance()) return s;
          if (tok_.kind != Tok::Number) return kInconsistent;
          up = tok_.value;
          if (int s = advance()) return s;
        }
      } else {
        name = tok_.text;
        if (int s = advance()) return s;
        if (is_keyword(tok_, "FREE")) {
          lo = -1e20;
        } else if (tok_.kind == Tok::Equal || tok_.kind == Tok::Less || tok_.kind == Tok::Greater) {
          const Tok op = tok_.kind;
          if (int s = advance()) return s;
          if (tok_.kind != Tok::Number) return kInconsistent;
          if (op == Tok::Equal) lo = up = tok_.value;
          else if (op == Tok::Less) up = tok_.value;
          else lo = tok_.value;
        } else {
          return kInconsistent;
        }
        if (int s = advance()) return s;
      }
      const int a = arc_of(name);
      if (a < 0) {
        msg(env_.warning(), "Ignoring bounds for unknown arc %.255s near line %lld.\n", name.c_str(), at);
        continue;
      }
      if (flags_[a] & 2)
        msg(env_.warning(), "Bounds for arc %.255s overridden near line %lld.\n", name.c_str(), at);
      flags_[a] |= 2;
      out_.lower[a] = lo;
      out_.upper[a] = up;
    }
    return 0;
  }

  Environment& env_;
  Lexer lex_;
  NetworkArrays& out_;
  Token tok_;
  std::unordered_map<std::string, int> nodes_, arcs_;
  std::unordered_map<int, int> supply_set_;
  std::vector<int> flags_;  // per arc: 1 objective given, 2 bounds given
};

enum class Format { Min, Keyword };

// The first significant character decides; counts lines for the messages.
int detect(const std::string& text, Format& format, long long& line) {
  line = 1;
  for (unsigned char c : text) {
    if (c == '\n') {
      ++line;
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\r') continue;
    if (c >= 128) return kBadCharacter;
    if (c == 'p' || c == 'c') {
      format = Format::Min;
      return 0;
    }
    if (c == 'M' || c == 'm' || c == '\\') {
      format = Format::Keyword;
      return 0;
    }
    return kInconsistent;
  }
  return kUnexpectedEnd;
}

std::vector<const char*> pointers(const std::vector<std::string>& names) {
  std::vector<const char*> out;
  out.reserve(names.size());
  for (const std::string& s : names) out.push_back(s.c_str());
  return out;
}

}  // namespace

int read_network(Environment& env, net::Network& net, const char* filename) {
  if (!filename) return err::kNoFileName;
  std::string text;
  if (int s = slurp(env, filename, text)) return s;
  Format format = Format::Min;
  long long line = 1;
  int status = detect(text, format, line);
  NetworkArrays arrays;
  if (status == 0) {
    if (format == Format::Min) {
      status = read_min(env, text, arrays);
    } else {
      KeywordReader reader(env, text, arrays);
      status = reader.run();
      line = reader.line();
    }
  }
  if (status == kBadCharacter) {
    net::copy_network(env, net, 1, 0, nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    return report_formatted(&env, kBadCharacter, line);
  }
  if (status) {
    net::copy_network(env, net, 1, 0, nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    return status;
  }
  const auto node_names = pointers(arrays.node_names);
  const auto arc_names = pointers(arrays.arc_names);
  status = net::copy_network(env, net, arrays.sense, static_cast<int>(arrays.supply.size()), arrays.supply.data(),
                             node_names.empty() ? nullptr : node_names.data(), static_cast<int>(arrays.from.size()),
                             arrays.from.data(), arrays.to.data(), arrays.lower.data(), arrays.upper.data(),
                             arrays.cost.data(), arc_names.empty() ? nullptr : arc_names.data());
  if (status) return status;
  const char* slash = std::strrchr(filename, '/');
  net.name = slash ? slash + 1 : filename;
  return 0;
}

}  // namespace korva::netio

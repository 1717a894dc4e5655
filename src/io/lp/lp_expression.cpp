// Objective and constraint expressions of the LP parser: terms, quadratic
// brackets, senses, right-hand sides and indicator arrows. Blanks are gone
// from the text, so x1 + 2 x2 reads as x1+2x2.
#include <cmath>
#include <cstring>

#include "env/channel.h"
#include "env/environment.h"
#include "io/lp/lp_chars.h"
#include "io/lp/lp_parser.h"

namespace korva::lp {
namespace {

// Error codes of the expression grammar (texts in the error table).
enum : int {
  kTooManyRows = 1431,
  kTooManyCols = 1432,
  kTooManyCoefs = 1433,
  kExponentRange = 1435,
  kQconstrSense = 1437,
  kBadIndicator = 1439,
  kAdjacentSigns = 1602,
  kSenseInObjective = 1603,
  kSignAndSense = 1604,
  kQuadInConstraint = 1605,
  kSignAndQuad = 1606,
  kExpectedSignObj = 1607,
  kExpectedSignRow = 1608,
  kIdentifierFirst = 1609,
  kExpectedRhs = 1610,
  kNumberFirst = 1611,
  kExpectedExponent = 1612,
  kExponentTwo = 1613,
  kExpectedPower = 1614,
  kExpectedNumber = 1615,
  kExpectedIdentifier = 1616,
  kBadIdentifier = 1617,
  kExponentText = 1618,
  kBadDivisor = 1619,
};

constexpr size_t kMaxName = 255;
constexpr long long kMaxRows = 2100000000LL;
constexpr long long kMaxCols = 2100000000LL;

bool near(double a, double b) { return std::fabs(a - b) <= 1e-10; }

bool is_number_start(char c) { return has(c, kDigit) || c == '.'; }

}  // namespace

// A name that could be read as part of an exponent: e, E, or e/E followed
// by a digit.
bool exponent_like(std::string_view name) {
  if (name.empty() || (name[0] != 'e' && name[0] != 'E')) return false;
  return name.size() == 1 || has(name[1], kDigit);
}

void Parser::number_error(const NumberScan& r, const char* start) {
  const std::string text(start, r.end);
  const long long line = line_;
  switch (r.status) {
    case NumberScan::kNotStarted: error(kExponentText, line, text.c_str(), "started");
    case NumberScan::kNotEnded: error(kExponentText, line, text.c_str(), "ended");
    case NumberScan::kOutOfRange: error(kExponentRange, line, text.c_str());
    default: break;
  }
}

std::string_view Parser::read_name() {
  const char* start = p_;
  while (p_ < end_ && !has(*p_, kDelimiter)) ++p_;
  size_t len = static_cast<size_t>(p_ - start);
  if (len > kMaxName) {
    // Cut before the character that crosses 255 bytes.
    len = kMaxName;
    while (len > 0 && (static_cast<unsigned char>(start[len]) & 0xC0) == 0x80) --len;
    const std::string cut(start, len);
    msg(env_.warning(), "Warning, line %lld: '%s' truncated.\n", static_cast<long long>(line_),
        cut.c_str());
  }
  return {start, len};
}

bool Parser::read_label(std::string& label) {
  if (!has(*p_, kNameStart)) return false;
  const char* q = p_;
  while (q < end_ && !has(*q, kDelimiter)) ++q;
  if (q == end_ || *q != ':') return false;
  label.assign(read_name());
  p_ = q + 1;
  return true;
}

void Parser::check_counts() {
  if (builder_.num_cols() >= kMaxCols) error(kTooManyCols);
  if (builder_.rows_total() >= kMaxRows) error(kTooManyRows);
}

// Coefficient and column of one term at the cursor (after its sign).
// Returns the coefficient; got_name is false when the expression was
// interrupted between a coefficient and its name.
double Parser::term_coefficient(double sign, bool& got_name) {
  got_name = false;
  double coef = sign;
  if (!has(*p_, kNameStart)) {
    const char c = *p_;
    if (!is_number_start(c)) error(kExpectedNumber, static_cast<long long>(line_), c);
    const char* start = p_;
    const NumberScan r = scan_number(p_, end_, false);
    if (r.status == NumberScan::kNoDigits)
      error(kExpectedNumber, static_cast<long long>(line_), c);
    if (r.status != NumberScan::kOk) number_error(r, start);
    coef *= r.value;
    p_ = r.end;
    const int64_t number_line = line_;
    if (!more()) return coef;
    if (!has(*p_, kNameStart)) {
      if (line_ != number_line) error(kIdentifierFirst, static_cast<long long>(line_));
      error(kExpectedIdentifier, static_cast<long long>(line_), *p_);
    }
  }
  got_name = true;
  return coef;
}

Parser::ExprEnd Parser::parse_expression(ExprKind kind, bool& incomplete) {
  const bool objective = kind == ExprKind::kObjective;
  int sign = 0;
  int64_t sign_line = 0;
  bool after_term = false;
  incomplete = false;
  while (true) {
    if (!more()) {
      incomplete = sign != 0;
      return ExprEnd::kInterrupted;
    }
    const char c = *p_;
    const long long line = line_;
    if (has(c, kSign)) {
      if (sign) error(kAdjacentSigns, static_cast<long long>(sign_line), line);
      sign = c == '-' ? -1 : 1;
      sign_line = line_;
      ++p_;
      after_term = false;
      continue;
    }
    if (has(c, kSense)) {
      if (sign) error(kSignAndSense, static_cast<long long>(sign_line), line);
      if (objective) error(kSenseInObjective, line);
      return ExprEnd::kSense;
    }
    if (c == '[') {
      if (kind == ExprKind::kPool || kind == ExprKind::kIndicator) error(kQuadInConstraint, line);
      ++p_;
      if (!parse_bracket(kind, sign < 0 ? -1.0 : 1.0)) {
        incomplete = true;
        return ExprEnd::kInterrupted;
      }
      sign = 0;
      after_term = true;
      continue;
    }
    if (after_term) {
      if (objective) error(kExpectedSignObj, line, c);
      if (c == '^' || c == '*') error(kQuadInConstraint, line);
      error(kExpectedSignRow, line, c);
    }
    if (has(c, kQuadOp)) {
      if (sign) error(kSignAndQuad, static_cast<long long>(sign_line), line);
      error(kExpectedNumber, line, c);
    }
    bool got_name = false;
    const double coef = term_coefficient(sign < 0 ? -1.0 : 1.0, got_name);
    if (!got_name) {
      incomplete = true;
      return ExprEnd::kInterrupted;
    }
    const std::string_view name = read_name();
    if (exponent_like(name)) {
      const std::string text(name);
      error(kBadIdentifier, static_cast<long long>(line_), text.c_str());
    }
    const int col = builder_.column(name);
    builder_.add_term(col, coef);
    if (builder_.term_count() % 4096 == 0) check_counts();
    sign = 0;
    after_term = true;
  }
}

// Reads the terms of a quadratic bracket up to and including "]" (and the
// "/ 2" of the objective). False when the expression was interrupted.
bool Parser::parse_bracket(ExprKind kind, double bracket_sign) {
  const bool objective = kind == ExprKind::kObjective;
  int sign = 0;
  int64_t sign_line = 0;
  bool after_term = false;
  while (true) {
    if (!more()) return false;
    const char c = *p_;
    const long long line = line_;
    if (c == ']') {
      if (sign) error(kSignAndQuad, static_cast<long long>(sign_line), line);
      ++p_;
      break;
    }
    if (has(c, kSign)) {
      if (sign) error(kAdjacentSigns, static_cast<long long>(sign_line), line);
      sign = c == '-' ? -1 : 1;
      sign_line = line_;
      ++p_;
      after_term = false;
      continue;
    }
    if (after_term) error(objective ? kExpectedSignObj : kExpectedSignRow, line, c);
    if (has(c, kQuadOp) || has(c, kSense)) {
      if (sign) error(kSignAndQuad, static_cast<long long>(sign_line), line);
      error(kExpectedNumber, line, c);
    }
    bool got_name = false;
    const double coef = term_coefficient(sign < 0 ? -bracket_sign : bracket_sign, got_name);
    if (!got_name) return false;
    std::string_view name = read_name();
    if (exponent_like(name)) {
      const std::string text(name);
      error(kBadIdentifier, static_cast<long long>(line_), text.c_str());
    }
    const int first = builder_.column(name);
    if (!more()) return false;
    if (*p_ == '^') {
      ++p_;
      if (!more()) return false;
      const char* start = p_;
      const NumberScan r = scan_number(p_, end_, false);
      if (r.status == NumberScan::kNoDigits) error(kExpectedExponent, static_cast<long long>(line_));
      if (r.status != NumberScan::kOk) number_error(r, start);
      if (!near(r.value, 2.0)) error(kExponentTwo, static_cast<long long>(line_));
      p_ = r.end;
      builder_.add_quad_term(first, first, coef);
    } else if (*p_ == '*') {
      ++p_;
      if (!more()) return false;
      if (!has(*p_, kNameStart)) error(kExpectedIdentifier, static_cast<long long>(line_), *p_);
      name = read_name();
      if (exponent_like(name)) {
        const std::string text(name);
        error(kBadIdentifier, static_cast<long long>(line_), text.c_str());
      }
      builder_.add_quad_term(first, builder_.column(name), coef);
    } else {
      error(kExpectedPower, static_cast<long long>(line_));
    }
    sign = 0;
    after_term = true;
  }
  if (!objective) return true;
  // The objective's bracket is halved: "] / 2".
  const int64_t bracket_line = line_;
  if (more() && *p_ == '/') {
    ++p_;
    if (!more()) error(kBadDivisor, static_cast<long long>(line_));
    const NumberScan r = scan_number(p_, end_, false);
    if (r.status != NumberScan::kOk || !near(r.value, 2.0))
      error(kBadDivisor, static_cast<long long>(line_));
    p_ = r.end;
  } else {
    msg(env_.warning(), "Warning, line %lld: Deprecated format, expecting '] / 2'.\n",
        static_cast<long long>(bracket_line));
  }
  return true;
}

bool Parser::read_sense(char& sense) {
  const char c = *p_++;
  // The second character of a two-character sense may start the next line.
  auto second = [&](char want) {
    if (p_ == end_ && !more()) return false;
    if (p_ < end_ && *p_ == want) {
      ++p_;
      return true;
    }
    return false;
  };
  if (c == '<') {
    sense = 'L';
    second('=');
  } else if (c == '>') {
    sense = 'G';
    second('=');
  } else {
    sense = 'E';
    if (p_ == end_ && !more()) return !keyword_pending_ && !eof_;
    if (p_ < end_ && *p_ == '<') sense = 'L', ++p_;
    else if (p_ < end_ && *p_ == '>') sense = 'G', ++p_;
  }
  return true;
}

bool Parser::read_rhs(double& rhs) {
  if (!more()) return false;
  const char* start = p_;
  bool negative = false;
  if (has(*p_, kSign)) {
    negative = *p_ == '-';
    ++p_;
    if (!more()) return false;
    if (p_ != start + 1) start = p_;  // the number is on the next line
    if (*p_ == 'e' || *p_ == 'E') {
      NumberScan r = scan_number(start, end_, true);
      number_error(r, start);
    }
    if (!is_number_start(*p_)) error(kNumberFirst, static_cast<long long>(line_));
  } else if (*p_ == 'e' || *p_ == 'E') {
    number_error(scan_number(p_, end_, false), p_);
  } else if (!is_number_start(*p_)) {
    error(kExpectedRhs, static_cast<long long>(line_));
  }
  const NumberScan r = scan_number(p_, end_, false);
  if (r.status == NumberScan::kNoDigits) error(kExpectedRhs, static_cast<long long>(line_));
  if (r.status != NumberScan::kOk) number_error(r, start);
  p_ = r.end;
  rhs = negative ? -r.value : r.value;
  return true;
}

int Parser::arrow_at() const {
  const size_t left = static_cast<size_t>(end_ - p_);
  if (left >= 3 && std::memcmp(p_, "<->", 3) == 0) return 3;
  if (left >= 2 && std::memcmp(p_, "->", 2) == 0) return 1;
  if (left >= 2 && std::memcmp(p_, "<-", 2) == 0) return 2;
  return 0;
}

void Parser::parse_objective() {
  std::string label;
  if (read_label(label)) builder_.set_objective_name(label);
  bool incomplete = false;
  parse_expression(ExprKind::kObjective, incomplete);
  if (incomplete)
    msg(env_.warning(), "Warning, line %lld: Objective ended unexpectedly.\n",
        static_cast<long long>(line_));
  const bool quadratic = builder_.quad_count() > 0;
  if (quadratic && !switches_.quad_objective)
    once(said_quad_, "Problem %s contains quadratic objective coefficients, ignored.\n");
  builder_.commit_objective(switches_.quad_objective);
}

void Parser::parse_constraint() {
  std::string label;
  const bool labeled = read_label(label);
  const ExprKind kind = row_kind_ == RowKind::kConstraint ? ExprKind::kRow : ExprKind::kPool;
  auto discard = [&] {
    msg(env_.warning(), "Warning, line %lld: Unfinished constraint is discarded.\n",
        static_cast<long long>(line_));
    builder_.clear_expression();
  };
  bool incomplete = false;
  char sense = 'E';
  double rhs = 0.0;
  if (parse_expression(kind, incomplete) == ExprEnd::kInterrupted || !read_sense(sense) ||
      !read_rhs(rhs)) {
    discard();
    return;
  }
  const bool quadratic = builder_.quad_count() > 0;
  // What follows the right-hand side: an arrow makes this the controlling
  // part of an indicator; anything else on the line is ignored.
  int arrow = 0;
  if (p_ < end_) {
    arrow = arrow_at();
    if (!arrow) {
      msg(env_.warning(), "Warning, line %lld: Characters after RHS value are ignored.\n",
          static_cast<long long>(line_));
      p_ = end_;
    }
  } else if (more()) {
    arrow = arrow_at();
  }
  if (!arrow) {
    check_counts();
    if (!quadratic) {
      builder_.commit_row(row_kind_, label, labeled, sense, rhs);
    } else if (!switches_.quad_constraints) {
      once(said_qcons_, "Problem %s contains quadratic constraints, ignored.\n");
      builder_.clear_expression();
    } else {
      if (sense == 'E') error(kQconstrSense, static_cast<long long>(line_));
      builder_.commit_qconstraint(label, labeled, sense, rhs);
    }
    return;
  }
  // Indicator: "name: column = 0|1 -> constraint".
  const bool valid = row_kind_ == RowKind::kConstraint && !quadratic &&
                     builder_.term_count() == 1 && near(builder_.term_value(0), 1.0) &&
                     sense == 'E' && (near(rhs, 0.0) || near(rhs, 1.0));
  if (!valid) error(kBadIndicator, static_cast<long long>(line_));
  const int column = builder_.term_column(0);
  const bool complemented = near(rhs, 0.0);
  builder_.clear_expression();
  p_ += arrow == 3 ? 3 : 2;
  if (parse_expression(ExprKind::kIndicator, incomplete) == ExprEnd::kInterrupted ||
      !read_sense(sense) || !read_rhs(rhs)) {
    discard();
    return;
  }
  if (p_ < end_) {
    msg(env_.warning(), "Warning, line %lld: Characters after RHS value are ignored.\n",
        static_cast<long long>(line_));
    p_ = end_;
  }
  builder_.commit_indicator(label, labeled, column, complemented ? -arrow : arrow, sense, rhs);
}

}  // namespace korva::lp

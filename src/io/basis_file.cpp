#include "io/basis_file.h"

#include <memory>
#include <string>
#include <vector>

#include "env/errors.h"
#include "io/capped_warnings.h"
#include "io/stream.h"
#include "io/text_file_lines.h"
#include "io/utf8_cut.h"
#include "korva/korva.h"
#include "model/model.h"
#include "simplex/solution/lp_solution.h"

namespace korva {
namespace {


constexpr int kUnrecognizedIndicator = 1551;
constexpr int kEndataMissing = 1552;
constexpr int kSuperbasis = 1554;
constexpr int kBasicCount = 1555;  // "%lld %.255s basic variable(s)"
constexpr size_t kMaxNameBytes = 255;
constexpr double kInfiniteBound = 1e20;

// Whether a nonbasic row lies at the upper limit of its activity: an 'L'
// row sits at its right-hand side, the top of its range; a ranged row
// where its status says.
bool row_at_upper(const Problem& p, int i, int rstat) {
  switch (p.sense(i)) {
    case 'L': return true;
    case 'R': return rstat == KRV_AT_UPPER;
    default: return false;
  }
}

int row_status_from_limit(const Problem& p, int i, bool upper) {
  return p.sense(i) == 'R' && upper ? KRV_AT_UPPER : KRV_AT_LOWER;
}

bool free_column(const Problem& p, int j) {
  return p.lower(j) <= -kInfiniteBound && p.upper(j) >= kInfiniteBound;
}

// An unlisted column is nonbasic at its lower bound, or at zero when free.
int unlisted_column_status(const Problem& p, int j) {
  return free_column(p, j) ? KRV_FREE_SUPER : KRV_AT_LOWER;
}

long long iteration_count(Problem& p) {
  if (const simplex::LpSolution* sol = simplex::find_lp_solution(p)) return sol->iterations;
  return 0;
}

}  // namespace

int write_basis_file(Environment& env, Problem& p, const char* filename) {
  if (int status = model::complete(env, p)) return status;
  const Basis* basis = p.derived.basis.get();
  const int n = p.num_cols(), m = p.num_rows();
  if (!basis || static_cast<int>(basis->cstat.size()) != n || static_cast<int>(basis->rstat.size()) != m)
    return err::kNoBasis;
  StreamOptions options;
  options.mode = "w";
  options.must_exist = false;
  std::unique_ptr<FileStream> out;
  if (int status = FileStream::open(env, filename, options, out)) return status;
  auto col = [&](int j) { return std::string(utf8_cut(model::col_name(env, p, j), kMaxNameBytes)); };
  auto row = [&](int i) { return std::string(utf8_cut(model::row_name(env, p, i), kMaxNameBytes)); };
  out->printf("* ENCODING=%s\n", out->encoding_name());
  out->write("NAME          ");
  out->write(utf8_cut(p.lp.name, kMaxNameBytes));
  out->printf("  Iterations %lld  Rows %lld  Cols %lld\n", iteration_count(p), static_cast<long long>(m),
              static_cast<long long>(n));
  // Basic columns are paired in order with nonbasic rows; a valid basis
  // has as many of one as of the other.
  int next_row = 0;
  auto next_nonbasic_row = [&]() {
    while (next_row < m && basis->rstat[next_row] == KRV_BASIC) ++next_row;
    return next_row < m ? next_row++ : -1;
  };
  for (int j = 0; j < n; ++j) {
    const int s = basis->cstat[j];
    if (s == KRV_BASIC) {
      const int i = next_nonbasic_row();
      if (i >= 0) {
        out->printf(" X%c ", row_at_upper(p, i, basis->rstat[i]) ? 'U' : 'L');
        out->write(col(j));
        out->write("  ");
        out->write(row(i));
        out->write("\n");
      } else {
        out->write(" BS ");
        out->write(col(j));
        out->write("\n");
      }
    } else if (s == KRV_AT_UPPER) {
      out->write(" UL ");
      out->write(col(j));
      out->write("\n");
    } else if (s == KRV_AT_LOWER && free_column(p, j)) {
      // A free column "at its lower bound" cannot be told from one at
      // zero when read back; say it explicitly.
      out->write(" LL ");
      out->write(col(j));
      out->write("\n");
    }
  }
  // Nonbasic rows left without a basic column (a basis with superbasic
  // columns): listed by their limit so that they are not read as basic.
  for (int i = next_nonbasic_row(); i >= 0; i = next_nonbasic_row()) {
    out->write(row_at_upper(p, i, basis->rstat[i]) ? " UL " : " LL ");
    out->write(row(i));
    out->write("\n");
  }
  out->write("ENDATA\n");
  return FileStream::close(env, out, 0);
}

namespace {

class BasisReader {
 public:
  BasisReader(Environment& env, const Problem& p)
      : cstat(static_cast<size_t>(p.num_cols())),
        rstat(static_cast<size_t>(p.num_rows()), KRV_BASIC),
        env_(env),
        p_(p),
        cols_(p.lp.col_names),
        rows_(p.lp.row_names),
        warnings_(env) {
    for (int j = 0; j < p.num_cols(); ++j) cstat[static_cast<size_t>(j)] = unlisted_column_status(p, j);
  }

  int run(FileStream& in) {
    DataLines lines(in);
    int status = 0;
    while (lines.next(status))
      if (int s = line(lines)) return s;
    if (status) return status;
    warnings_.finish();
    if (!lines.ended()) return kEndataMissing;
    return check_count();
  }

  std::vector<int> cstat, rstat;

 private:
  int line(const DataLines& lines) {
    const long long number = lines.line_number();
    const std::string_view code = lines.field(0);
    const int fields = lines.count();
    if (code == "XU" || code == "XL") {
      if (fields != 3) return report_formatted(&env_, kWrongNumberOfEntries, number);
      const int j = column(lines.field(1), number);
      const int i = row(lines.field(2), number);
      if (j >= 0) cstat[static_cast<size_t>(j)] = KRV_BASIC;
      if (i >= 0) rstat[static_cast<size_t>(i)] = row_status_from_limit(p_, i, code == "XU");
      return 0;
    }
    if (code == "UL" || code == "LL" || code == "BS") {
      if (fields != 2) return report_formatted(&env_, kWrongNumberOfEntries, number);
      const std::string_view name = lines.field(1);
      // UL and LL may name a row left nonbasic without a partner.
      const int j = cols_.find(name);
      if (j >= 0) {
        cstat[static_cast<size_t>(j)] =
            code == "BS" ? KRV_BASIC : code == "UL" ? KRV_AT_UPPER : KRV_AT_LOWER;
        return 0;
      }
      if (code != "BS") {
        const int i = rows_.find(name);
        if (i >= 0) {
          rstat[static_cast<size_t>(i)] = row_status_from_limit(p_, i, code == "UL");
          return 0;
        }
      }
      warnings_.warn("Warning, line %lld: '%.255s' is not a variable.\n", number, std::string(name).c_str());
      return 0;
    }
    if (code == "SB" || code == "SC" || code == "SR" || code == "BR") return kSuperbasis;
    return report_formatted(&env_, kUnrecognizedIndicator, number, std::string(code).c_str());
  }

  int column(std::string_view name, long long number) {
    const int j = cols_.find(name);
    if (j < 0) warnings_.warn("Warning, line %lld: '%.255s' is not a variable.\n", number, std::string(name).c_str());
    return j;
  }
  int row(std::string_view name, long long number) {
    const int i = rows_.find(name);
    if (i < 0) warnings_.warn("Warning, line %lld: '%.255s' is not a row.\n", number, std::string(name).c_str());
    return i;
  }

  int check_count() {
    long long basic = 0;
    for (int s : cstat) basic += s == KRV_BASIC;
    for (int s : rstat) basic += s == KRV_BASIC;
    const long long m = p_.num_rows();
    if (basic < m) return report_formatted(&env_, kBasicCount, m - basic, "too few");
    if (basic > m) return report_formatted(&env_, kBasicCount, basic - m, "extra");
    return 0;
  }

  Environment& env_;
  const Problem& p_;
  NameIndex cols_, rows_;
  CappedWarnings warnings_;
};

}  // namespace

int read_basis_file(Environment& env, Problem& p, const char* filename) {
  if (int status = model::complete(env, p)) return status;
  if (int status = model::check_modifiable(p)) return status;
  if (!p.lp.col_names.present() || (p.num_rows() > 0 && !p.lp.row_names.present())) return err::kNoNames;
  StreamOptions options;
  options.mode = "rb";
  options.default_extension = ".bas";
  options.must_exist = false;
  std::unique_ptr<FileStream> in;
  if (int status = FileStream::open(env, filename, options, in)) return status;
  BasisReader reader(env, p);
  const int read = reader.run(*in);
  if (int status = FileStream::close(env, in, read)) return status;

  return model::copy_basis(env, p, reader.cstat.data(), reader.rstat.data());
}

}  // namespace korva

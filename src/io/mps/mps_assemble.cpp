// Turns a completely read file into ReaderArrays: free rows dropped, rows
// numbered, ranges applied, the entries of user cuts, lazy constraints,
// indicator and quadratic constraints taken out of the matrix, and the
// quadratic objective made a full symmetric matrix.
#include <algorithm>
#include <cmath>
#include <string>

#include "io/indicator_kind.h"
#include "env/huge_pages.h"
#include "io/mps/mps_parser.h"

namespace korva::mps {
namespace {

// Entries of the rows taken out of the matrix, grouped by row (in column
// order inside each row).
struct DivertedRows {
  std::vector<int> slot;        // per file row: its group, or -1
  std::vector<int64_t> begin;   // per group, and one past the last
  std::vector<int> column;
  std::vector<double> value;

  void entries(int row, std::vector<int>& ind, std::vector<double>& val) const {
    const int g = slot[row];
    ind.assign(column.begin() + begin[g], column.begin() + begin[g + 1]);
    val.assign(value.begin() + begin[g], value.begin() + begin[g + 1]);
  }
};

// Sorts (column, row) entries and adds up duplicates.
struct Triplet {
  int column, row;
  double value;
};
void sort_and_merge(std::vector<Triplet>& t) {
  std::sort(t.begin(), t.end(), [](const Triplet& a, const Triplet& b) {
    return a.column != b.column ? a.column < b.column : a.row < b.row;
  });
  size_t out = 0;
  for (size_t k = 0; k < t.size(); ++k) {
    if (out > 0 && t[out - 1].column == t[k].column && t[out - 1].row == t[k].row)
      t[out - 1].value += t[k].value;
    else
      t[out++] = t[k];
  }
  t.resize(out);
}

// Bytes that `names` take packed with their terminators (an upper bound
// for any subset of them).
size_t name_bytes(const std::vector<std::string_view>& names) {
  size_t bytes = 0;
  for (const std::string_view name : names) bytes += name.size() + 1;
  return bytes;
}

}  // namespace

void Parser::assemble(ReaderArrays& out) {
  std::vector<int> final_row;
  assemble_rows(out, final_row);
  assemble_matrix(out, final_row);

  out.col_names.clear();
  out.col_names.reserve(column_names_.size(), name_bytes(column_names_));
  for (const std::string_view name : column_names_) out.col_names.push_back(name);
  if (maximize_comment_)
    for (double& c : obj_) c = -c;
  out.objsense = objsense_given_ ? objsense_ : maximize_comment_ ? -1 : 1;
  out.objname.assign(row_names_[objective_row_]);
  out.obj = std::move(obj_);
  out.lb = std::move(lb_);
  out.ub = std::move(ub_);
  const bool typed = std::any_of(ctype_.begin(), ctype_.end(), [](char c) { return c != 'C'; });
  if (options_.variable_types && typed)
    out.ctype = std::move(ctype_);
  else
    out.ctype.clear();
  assemble_quadratic(out);
  out.sos = std::move(sos_);
}

void Parser::assemble_rows(ReaderArrays& out, std::vector<int>& final_row) {
  const int rows = static_cast<int>(row_names_.size());
  final_row.assign(rows, -1);
  long long free_rows = 0;
  int kept = 0;
  bool ranged = false;
  for (int r = 0; r < rows; ++r) {
    if (row_role_[r] == RowRole::Free) ++free_rows;
    if (row_role_[r] != RowRole::Constraint || (row_flags_[r] & (kIndicatorRow | kQuadraticRow)))
      continue;
    final_row[r] = kept++;
    ranged = ranged || (row_flags_[r] & kHasRange);
  }
  if (free_rows == 1)
    log_.info("  [1 free row deleted]\n");
  else if (free_rows > 1)
    log_.info("  [%lld free rows deleted]\n", free_rows);

  out.row_names.clear();
  out.row_names.reserve(static_cast<size_t>(kept), name_bytes(row_names_));
  out.rhs.resize(kept);
  out.sense.resize(kept);
  if (ranged)
    out.range.assign(kept, 0.0);
  else
    out.range.clear();
  for (int r = 0; r < rows; ++r) {
    const int i = final_row[r];
    if (i < 0) continue;
    out.row_names.push_back(row_names_[r]);
    out.rhs[i] = row_rhs_[r];
    out.sense[i] = row_type_[r];
    if (!(row_flags_[r] & kHasRange)) continue;
    // G rows range upward from the right-hand side, L rows downward (kept
    // as a negative range so the right-hand side stays exact), E rows in
    // the direction of the range's sign.
    const double range = row_range_[r];
    out.sense[i] = 'R';
    out.range[i] = row_type_[r] == 'G'   ? std::fabs(range)
                   : row_type_[r] == 'L' ? -std::fabs(range)
                                         : range;
  }
}

void Parser::assemble_matrix(ReaderArrays& out, const std::vector<int>& final_row) {
  const int columns = static_cast<int>(column_names_.size());
  const int rows = static_cast<int>(row_names_.size());
  DivertedRows diverted;
  diverted.slot.assign(rows, -1);
  int groups = 0;
  for (int r = 0; r < rows; ++r)
    if (final_row[r] < 0 && row_role_[r] != RowRole::Objective && row_role_[r] != RowRole::Free)
      diverted.slot[r] = groups++;

  reserve_huge(out.matbeg, static_cast<size_t>(columns));
  reserve_huge(out.matcnt, static_cast<size_t>(columns));
  out.matbeg.resize(columns);
  out.matcnt.resize(columns);
  if (groups == 0) {
    // Usual case: every stored entry belongs to a model row.
    for (int& r : entry_row_) r = final_row[r];
    for (int j = 0; j < columns; ++j) {
      out.matbeg[j] = column_start_[j];
      out.matcnt[j] = static_cast<int>(column_start_[j + 1] - column_start_[j]);
    }
    out.matind = std::move(entry_row_);
    out.matval = std::move(entry_value_);
  } else {
    diverted.begin.assign(groups + 1, 0);
    for (int r : entry_row_)
      if (diverted.slot[r] >= 0) ++diverted.begin[diverted.slot[r] + 1];
    for (int g = 0; g < groups; ++g) diverted.begin[g + 1] += diverted.begin[g];
    diverted.column.resize(diverted.begin[groups]);
    diverted.value.resize(diverted.begin[groups]);
    std::vector<int64_t> fill(diverted.begin.begin(), diverted.begin.end() - 1);
    int64_t kept = 0;
    for (int j = 0; j < columns; ++j) {
      out.matbeg[j] = kept;
      for (int64_t k = column_start_[j]; k < column_start_[j + 1]; ++k) {
        const int r = entry_row_[k];
        if (diverted.slot[r] >= 0) {
          const int64_t p = fill[diverted.slot[r]]++;
          diverted.column[p] = j;
          diverted.value[p] = entry_value_[k];
        } else {
          entry_row_[kept] = final_row[r];
          entry_value_[kept++] = entry_value_[k];
        }
      }
      out.matcnt[j] = static_cast<int>(kept - out.matbeg[j]);
    }
    entry_row_.resize(kept);
    entry_value_.resize(kept);
    out.matind = std::move(entry_row_);
    out.matval = std::move(entry_value_);
  }
  if (groups == 0) return;

  // User cuts and lazy constraints, in file order.
  for (int r = 0; r < rows; ++r) {
    if (row_role_[r] != RowRole::UserCut && row_role_[r] != RowRole::Lazy) continue;
    ReaderRowPool& pool = row_role_[r] == RowRole::UserCut ? out.user_cuts : out.lazy_constraints;
    const int g = diverted.slot[r];
    pool.begin.push_back(static_cast<int64_t>(pool.index.size()));
    pool.index.insert(pool.index.end(), diverted.column.begin() + diverted.begin[g],
                      diverted.column.begin() + diverted.begin[g + 1]);
    pool.value.insert(pool.value.end(), diverted.value.begin() + diverted.begin[g],
                      diverted.value.begin() + diverted.begin[g + 1]);
    pool.rhs.push_back(row_rhs_[r]);
    pool.sense.push_back(row_type_[r]);
    pool.names.emplace_back(row_names_[r]);
  }
  // Indicator constraints in the order of the INDICATORS section.
  for (const IndicatorLine& line : indicators_) {
    ReaderIndicator ind;
    ind.indicator = line.column;
    ind.complemented = encode_indicator_kind(line.kind);
    diverted.entries(line.row, ind.linind, ind.linval);
    ind.sense = row_type_[line.row];
    ind.rhs = row_rhs_[line.row];
    ind.name.assign(row_names_[line.row]);
    out.indicators.push_back(std::move(ind));
  }
  // Quadratic constraints: the file gives the full symmetric matrix Q of
  // x'Qx; each pair i < j becomes one term with Q(i,j) + Q(j,i).
  for (QcBlock& block : qc_blocks_) {
    ReaderQConstraint qc;
    diverted.entries(block.row, qc.linind, qc.linval);
    std::vector<Triplet> terms;
    terms.reserve(block.terms.size());
    for (const QuadTerm& t : block.terms)
      terms.push_back(Triplet{std::max(t.i, t.j), std::min(t.i, t.j), t.value});
    sort_and_merge(terms);
    for (const Triplet& t : terms) {
      qc.quadrow.push_back(t.row);
      qc.quadcol.push_back(t.column);
      qc.quadval.push_back(t.value);
    }
    qc.sense = row_type_[block.row];
    qc.rhs = row_rhs_[block.row];
    qc.name.assign(row_names_[block.row]);
    out.qconstraints.push_back(std::move(qc));
  }
}

void Parser::assemble_quadratic(ReaderArrays& out) {
  if (quad_terms_.empty()) return;
  // QMATRIX gives the full symmetric matrix (each off-diagonal entry twice;
  // halves are added so that a one-sided entry still gives a symmetric
  // matrix, and two equal halves add up exactly). QUADOBJ gives each pair
  // once, for both positions.
  std::vector<Triplet> t;
  t.reserve(2 * quad_terms_.size());
  const double sign = maximize_comment_ ? -1.0 : 1.0;
  for (const QuadTerm& q : quad_terms_) {
    const double v = sign * q.value;
    if (q.i == q.j) {
      t.push_back(Triplet{q.j, q.i, v});
    } else {
      const double off = quadobj_upper_ ? v : 0.5 * v;
      t.push_back(Triplet{q.j, q.i, off});
      t.push_back(Triplet{q.i, q.j, off});
    }
  }
  sort_and_merge(t);
  const int columns = static_cast<int>(column_names_.size());
  out.qmatbeg.assign(columns, 0);
  out.qmatcnt.assign(columns, 0);
  out.qmatind.resize(t.size());
  out.qmatval.resize(t.size());
  for (size_t k = 0; k < t.size(); ++k) {
    ++out.qmatcnt[t[k].column];
    out.qmatind[k] = t[k].row;
    out.qmatval[k] = t[k].value;
  }
  int64_t position = 0;
  for (int j = 0; j < columns; ++j) {
    out.qmatbeg[j] = position;
    position += out.qmatcnt[j];
  }
}

}  // namespace korva::mps

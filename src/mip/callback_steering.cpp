#include "mip/callback_steering.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "env/channel.h"
#include "env/errors.h"
#include "presolve/crush.h"

namespace korva::mip {

namespace {

constexpr int kMostChildren = 2;

bool valid_sense(int sense) { return sense == 'L' || sense == 'G' || sense == 'E'; }

// A row of the callback's space, as a row of the searched problem. 1200
// for a column outside the space; a form that cannot be crushed `crush_error`.
int to_searched_row(const MipCallbackData& d, int nzcnt, const int* ind, const double* val, double rhs, char sense,
                    int crush_error, CallbackRow& row) {
  row.sense = sense;
  row.rhs = rhs;
  if (d.reduced_space || !d.presolve) {
    const int n = d.model->num_cols;
    for (int k = 0; k < nzcnt; ++k)
      if (ind[k] < 0 || ind[k] >= n) return err::kIndexRange;
    // Repeated columns add up; the relaxation wants each once.
    std::vector<std::pair<int, double>> terms;
    for (int k = 0; k < nzcnt; ++k) terms.emplace_back(ind[k], val[k]);
    std::sort(terms.begin(), terms.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [col, value] : terms) {
      if (!row.ind.empty() && row.ind.back() == col) row.val.back() += value;
      else {
        row.ind.push_back(col);
        row.val.push_back(value);
      }
    }
    return 0;
  }
  const int n = d.presolve->orig_cols;
  for (int k = 0; k < nzcnt; ++k)
    if (ind[k] < 0 || ind[k] >= n) return err::kIndexRange;
  const size_t room = static_cast<size_t>(d.model->num_cols) + 1;
  row.ind.assign(room, 0);
  row.val.assign(room, 0.0);
  int plen = 0;
  double offset = 0.0;
  if (presolve::crush_form(*d.original, *d.presolve, nzcnt, ind, val, &plen, &offset, row.ind.data(),
                           row.val.data()) != 0)
    return crush_error;
  row.ind.resize(static_cast<size_t>(plen));
  row.val.resize(static_cast<size_t>(plen));
  row.rhs = rhs - offset;
  return 0;
}

}  // namespace

int add_callback_cut(Environment&, MipCallbackData& d, int wherefrom, int nzcnt, double rhs, int sense,
                     const int* ind, const double* val, int purgeable, bool local) {
  if (!where::is_cut_context(wherefrom) || nzcnt < 0) return err::kBadArgument;
  if (!ind || !val) return err::kNullPointer;
  if (purgeable < 0 || purgeable > 2 || !valid_sense(sense)) return err::kBadArgument;
  // A lazy constraint must be kept wherever it was found wanting.
  if (purgeable == 2 && where::is_lazy_context(wherefrom)) return err::kBadArgument;
  if (!std::isfinite(rhs)) return err::kBadArgument;
  CallbackRow row;
  if (int code = to_searched_row(d, nzcnt, ind, val, rhs, static_cast<char>(sense), err::kCrushForm, row))
    return code;
  row.purgeable = purgeable;
  row.local = local;
  row.lazy = where::is_lazy_context(wherefrom);
  d.cuts.push_back(std::move(row));
  return 0;
}

int add_callback_child(Environment& env, MipCallbackData& d, int wherefrom, double nodeest, int cnt,
                       const int* indices, const char* lu, const double* bd, const ChildRows& rows, void* userhandle,
                       int64_t* seqnum) {
  if (!where::is_branch_context(wherefrom) || !d.node) return err::kBadArgument;
  if (cnt < 0 || rows.rcnt < 0 || rows.nzcnt < 0) return err::kBadArgument;
  if (cnt > 0 && (!indices || !lu || !bd)) return err::kNullPointer;
  if (rows.rcnt > 0 && (!rows.rhs || !rows.sense || !rows.rmatbeg || (rows.nzcnt > 0 && (!rows.rmatind || !rows.rmatval))))
    return err::kNullPointer;
  if (static_cast<int>(d.children.size()) >= kMostChildren) return err::kCallbackError;
  CallbackChild child;
  child.estimate = d.model->objsense * nodeest;
  child.user_handle = userhandle;
  const int space_cols = d.reduced_space || !d.presolve ? d.model->num_cols : d.presolve->orig_cols;
  for (int k = 0; k < cnt; ++k) {
    if (lu[k] != 'L' && lu[k] != 'U' && lu[k] != 'B') return err::kBadArgument;
    if (indices[k] < 0 || indices[k] >= space_cols) return err::kIndexRange;
    const double lower = lu[k] == 'U' ? -kInf : bd[k];
    const double upper = lu[k] == 'L' ? kInf : bd[k];
    int col = indices[k];
    if (!d.reduced_space && d.presolve) {
      col = d.presolve->col_map[indices[k]];
      if (col < 0) {
        // A column presolve took out: its bound becomes a row on what
        // replaced it.
        const double one = 1.0;
        for (char s : {'G', 'L'}) {
          const double side = s == 'G' ? lower : upper;
          if (!std::isfinite(side)) continue;
          CallbackRow row;
          if (to_searched_row(d, 1, &indices[k], &one, side, s, err::kCrushForm, row)) {
            msg(env.error(), "Failed to crush general branching constraint.\n");
            return err::kCrushForm;
          }
          child.rows.push_back(std::move(row));
        }
        continue;
      }
    }
    child.bounds.push_back({col, lower, upper});
  }
  for (int i = 0; i < rows.rcnt; ++i) {
    const int64_t from = rows.rmatbeg[i], to = i + 1 < rows.rcnt ? rows.rmatbeg[i + 1] : rows.nzcnt;
    if (from < 0 || to < from || to > rows.nzcnt || !valid_sense(rows.sense[i])) return err::kBadArgument;
    CallbackRow row;
    const int code = to_searched_row(d, static_cast<int>(to - from), rows.rmatind + from, rows.rmatval + from,
                                     rows.rhs[i], rows.sense[i], err::kCrushForm, row);
    if (code == err::kCrushForm) msg(env.error(), "Failed to crush general branching constraint.\n");
    if (code) return code;
    child.rows.push_back(std::move(row));
  }
  child.seqnum = d.next_seqnum ? d.next_seqnum->fetch_add(1) : -1;
  *seqnum = child.seqnum;
  d.children.push_back(std::move(child));
  return 0;
}

}  // namespace korva::mip

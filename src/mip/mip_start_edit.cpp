#include "mip/mip_start_edit.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "env/errors.h"
#include "model/datacheck.h"
#include "model/model.h"
#include "model/name_list.h"

namespace korva::mip {
namespace {

// Start of every change: 1023 for a problem lent to a callback, the
// buffered additions applied (column indices refer to the whole model),
// and MIP data to hang the starts on.
int begin_edit(Environment& env, Problem& p) {
  if (int status = model::check_modifiable(p)) return status;
  if (int status = model::complete(env, p)) return status;
  return p.is_mip() ? 0 : err::kNotMip;
}

int begin_read(Environment& env, Problem& p) {
  if (int status = model::complete(env, p)) return status;
  return p.is_mip() ? 0 : err::kNotMip;
}

// Starts that must exist: their set, or 3020.
int existing_starts(Problem& p, MipStartSet*& set) {
  set = find_mip_starts(p);
  return set && !set->starts.empty() ? 0 : kNoMipStart;
}

// A null entry of a name array is an error whatever the data check says:
// a start cannot be half named.
int check_names(Environment& env, const char* const* names, int n) {
  if (!names) return 0;
  for (int k = 0; k < n; ++k)
    if (!names[k]) return report_formatted(&env, err::kNullName, static_cast<long long>(k));
  return 0;
}

int check_efforts(const int* effort, int n) {
  if (!effort) return 0;
  for (int k = 0; k < n; ++k)
    if (!valid_effort(effort[k])) return err::kBadArgument;
  return 0;
}

// The packed (column, value) lists of mcnt starts, checked like the rows of
// a matrix over the problem's columns.
int packed_entries(Environment& env, const Problem& p, int mcnt, int64_t nzcnt, const int64_t* beg,
                   const int* varindices, const double* values, model::check::Packed& m) {
  m.vectors = mcnt;
  m.begin = beg;
  m.nzcnt = nzcnt;
  m.index = varindices;
  m.value = values;
  m.other_dim = p.num_cols();
  m.column_major = false;
  if (model::check::enabled(env)) return model::check::matrix(env, m);
  return model::check::matrix_bounds(m);
}

void fill(MipStart& start, StartEntries& entries, const model::check::Packed& m, int k) {
  const int64_t first = m.start(k), last = first + m.length(k);
  for (int64_t q = first; q < last; ++q) entries.set(start, m.index[q], m.value[q]);
  entries.finish(start);
}

std::vector<MipStart>& starts_vector(Problem& p) { return mip_starts_of(p).starts; }

}  // namespace

int add_mip_starts(Environment& env, Problem& p, int mcnt, int64_t nzcnt, const int64_t* beg,
                   const int* varindices, const double* values, const int* effort,
                   const char* const* names) {
  if (int status = begin_edit(env, p)) return status;
  if (mcnt < 0 || nzcnt < 0) return err::kBadArgument;
  if (mcnt == 0) return 0;
  if (!beg || !effort || (nzcnt > 0 && (!varindices || !values))) return err::kNullPointer;
  if (int status = check_names(env, names, mcnt)) return status;
  if (int status = check_efforts(effort, mcnt)) return status;
  model::check::Packed m;
  if (int status = packed_entries(env, p, mcnt, nzcnt, beg, varindices, values, m)) return status;

  // Built aside and appended at the end, so a failure changes nothing.
  std::vector<MipStart> fresh(static_cast<size_t>(mcnt));
  StartEntries entries(p.num_cols());
  for (int k = 0; k < mcnt; ++k) {
    fresh[k].effort = effort[k];
    if (names) fresh[k].name = names[k];
    fill(fresh[k], entries, m, k);
  }
  std::vector<MipStart>& starts = starts_vector(p);
  starts.reserve(starts.size() + fresh.size());
  std::move(fresh.begin(), fresh.end(), std::back_inserter(starts));
  return 0;
}

int chg_mip_starts(Environment& env, Problem& p, int mcnt, const int* which, int64_t nzcnt,
                   const int64_t* beg, const int* varindices, const double* values,
                   const int* effort) {
  if (int status = begin_edit(env, p)) return status;
  if (mcnt < 0 || nzcnt < 0) return err::kBadArgument;
  MipStartSet* set = nullptr;
  if (int status = existing_starts(p, set)) return status;
  if (mcnt == 0) return 0;
  if (!which || !beg || (nzcnt > 0 && (!varindices || !values))) return err::kNullPointer;
  const int n = static_cast<int>(set->starts.size());
  for (int k = 0; k < mcnt; ++k)
    if (which[k] < 0 || which[k] >= n) return err::kIndexRange;
  if (int status = check_efforts(effort, mcnt)) return status;
  model::check::Packed m;
  if (int status = packed_entries(env, p, mcnt, nzcnt, beg, varindices, values, m)) return status;

  // The changed starts are built as copies and swapped in at the end.
  std::vector<MipStart> changed;
  changed.reserve(static_cast<size_t>(mcnt));
  std::vector<int> slot(static_cast<size_t>(n), -1);  // copy of each start being changed
  StartEntries entries(p.num_cols());
  for (int k = 0; k < mcnt; ++k) {
    int& at = slot[which[k]];
    if (at < 0) {
      at = static_cast<int>(changed.size());
      changed.push_back(set->starts[which[k]]);
    }
    MipStart& start = changed[at];
    entries.load(start);
    if (effort) start.effort = effort[k];
    fill(start, entries, m, k);
  }
  for (int s = 0; s < n; ++s)
    if (slot[s] >= 0) std::swap(set->starts[s], changed[slot[s]]);
  return 0;
}

int get_mip_starts(Environment& env, Problem& p, const char* fname, int64_t* nzcnt, int64_t* beg,
                   int* varindices, double* values, int* effort, int64_t space,
                   int64_t* surplus, int begin, int end) {
  if (int status = begin_read(env, p)) return status;
  if (!nzcnt || !surplus) return err::kNullPointer;
  MipStartSet* set = nullptr;
  if (int status = existing_starts(p, set)) return status;
  const std::vector<MipStart>& starts = set->starts;
  if (int status = check_range(&env, fname, begin, end, static_cast<long long>(starts.size())))
    return status;
  int64_t needed = 0;
  for (int k = begin; k <= end; ++k) needed += static_cast<int64_t>(starts[k].cols.size());
  *surplus = space - needed;
  if (needed > space) {
    *nzcnt = 0;
    return surplus_status(space, needed);
  }
  if ((begin <= end && !beg) || (needed > 0 && (!varindices || !values))) return err::kNullPointer;
  int64_t pos = 0;
  for (int k = begin; k <= end; ++k) {
    const MipStart& s = starts[k];
    beg[k - begin] = pos;
    if (effort) effort[k - begin] = s.effort;
    std::copy(s.cols.begin(), s.cols.end(), varindices + pos);
    std::copy(s.values.begin(), s.values.end(), values + pos);
    pos += static_cast<int64_t>(s.cols.size());
  }
  *nzcnt = pos;
  return 0;
}

int del_mip_starts(Environment& env, Problem& p, const char* fname, int begin, int end) {
  if (int status = begin_edit(env, p)) return status;
  MipStartSet* set = nullptr;
  if (int status = existing_starts(p, set)) return status;
  std::vector<MipStart>& starts = set->starts;
  if (int status = check_range(&env, fname, begin, end, static_cast<long long>(starts.size())))
    return status;
  if (begin > end) return 0;
  starts.erase(starts.begin() + begin, starts.begin() + end + 1);
  return 0;
}

int del_set_mip_starts(Environment& env, Problem& p, int* delstat) {
  if (int status = begin_edit(env, p)) return status;
  MipStartSet* set = nullptr;
  if (int status = existing_starts(p, set)) return status;
  if (!delstat) return err::kNullPointer;
  std::vector<MipStart>& starts = set->starts;
  const int n = static_cast<int>(starts.size());
  int kept = 0;
  for (int k = 0; k < n; ++k) {
    if (delstat[k] == 1) {
      delstat[k] = -1;
      continue;
    }
    if (kept != k) starts[kept] = std::move(starts[k]);
    delstat[k] = kept++;
  }
  starts.resize(static_cast<size_t>(kept));
  return 0;
}

int get_mip_start_names(Environment& env, Problem& p, const char* fname, char** name, char* store,
                        int64_t space, int64_t* surplus, int begin, int end) {
  if (int status = begin_read(env, p)) return status;
  if (!surplus) return err::kNullPointer;
  MipStartSet* set = nullptr;
  if (int status = existing_starts(p, set)) return status;
  const std::vector<MipStart>& starts = set->starts;
  if (int status = check_range(&env, fname, begin, end, static_cast<long long>(starts.size())))
    return status;
  return model::write_name_list(env, begin, end, [&](int k) { return mip_start_name(starts[k], k); }, name, store,
                                space, surplus);
}

int find_mip_start(Environment& env, Problem& p, const char* name_utf8, int* index) {
  if (!name_utf8 || !index) return err::kNullPointer;
  if (int status = begin_read(env, p)) return status;
  MipStartSet* set = nullptr;
  if (int status = existing_starts(p, set)) return status;
  const std::vector<MipStart>& starts = set->starts;
  for (size_t k = 0; k < starts.size(); ++k) {
    if (mip_start_name(starts[k], static_cast<int>(k)) == name_utf8) {
      *index = static_cast<int>(k);
      return 0;
    }
  }
  return -err::kNameNotFound;  // not printed: looking up is also a test
}

int copy_mip_start(Environment& env, Problem& p, int cnt, const int* indices,
                   const double* values) {
  if (int status = begin_edit(env, p)) return status;
  if (cnt < 0) return err::kBadArgument;
  if (cnt > 0 && (!indices || !values)) return err::kNullPointer;
  if (int status = model::check::index_list(env, indices, cnt, p.num_cols(), false)) return status;
  std::vector<MipStart> fresh;
  if (cnt > 0) {
    fresh.emplace_back();
    StartEntries entries(p.num_cols());
    for (int k = 0; k < cnt; ++k) entries.set(fresh[0], indices[k], values[k]);
  }
  starts_vector(p).swap(fresh);
  return 0;
}

int chg_mip_start(Environment& env, Problem& p, int cnt, const int* indices,
                  const double* values) {
  if (int status = begin_edit(env, p)) return status;
  if (cnt < 0) return err::kBadArgument;
  if (cnt > 0 && (!indices || !values)) return err::kNullPointer;
  if (int status = model::check::index_list(env, indices, cnt, p.num_cols(), false)) return status;
  if (cnt == 0) return 0;
  std::vector<MipStart>& starts = starts_vector(p);
  MipStart changed = starts.empty() ? MipStart() : starts[0];
  StartEntries entries(p.num_cols());
  entries.load(changed);
  for (int k = 0; k < cnt; ++k) entries.set(changed, indices[k], values[k]);
  if (starts.empty())
    starts.push_back(std::move(changed));
  else
    std::swap(starts[0], changed);
  return 0;
}

int get_mip_start(Environment& env, Problem& p, int* cnt, int* indices, double* values, int space,
                  int* surplus) {
  if (int status = begin_read(env, p)) return status;
  if (!cnt || !surplus) return err::kNullPointer;
  MipStartSet* set = nullptr;
  if (int status = existing_starts(p, set)) return status;
  const MipStart& s = set->starts[0];
  const int needed = static_cast<int>(s.cols.size());
  *surplus = space - needed;
  if (needed > space) {
    *cnt = 0;
    return surplus_status(space, needed);
  }
  if (needed > 0 && (!indices || !values)) return err::kNullPointer;
  std::copy(s.cols.begin(), s.cols.end(), indices);
  std::copy(s.values.begin(), s.values.end(), values);
  *cnt = needed;
  return 0;
}

int replace_mip_starts(Environment& env, Problem& p, std::vector<MipStart>&& starts) {
  if (int status = begin_edit(env, p)) return status;
  starts_vector(p).swap(starts);
  return 0;
}

}  // namespace korva::mip

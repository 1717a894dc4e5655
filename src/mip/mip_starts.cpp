#include "mip/mip_starts.h"

#include <cstdio>

namespace korva::mip {

std::unique_ptr<AttachedPart> MipStartSet::clone() const { return std::make_unique<MipStartSet>(*this); }

bool MipStartSet::renumber_columns(const int* map) {
  for (MipStart& s : starts) {
    size_t kept = 0;
    for (size_t k = 0; k < s.cols.size(); ++k) {
      const int to = map[s.cols[k]];
      if (to < 0) continue;
      s.cols[kept] = to;
      s.values[kept] = s.values[k];
      ++kept;
    }
    s.cols.resize(kept);
    s.values.resize(kept);
  }
  return true;
}

MipStartSet* find_mip_starts(Problem& p) {
  return p.mip ? dynamic_cast<MipStartSet*>(p.mip->starts.get()) : nullptr;
}

const MipStartSet* find_mip_starts(const Problem& p) {
  return p.mip ? dynamic_cast<const MipStartSet*>(p.mip->starts.get()) : nullptr;
}

int num_mip_starts(const Problem& p) {
  const MipStartSet* set = find_mip_starts(p);
  return set ? static_cast<int>(set->starts.size()) : 0;
}

MipStartSet& mip_starts_of(Problem& p) {
  if (MipStartSet* set = find_mip_starts(p)) return *set;
  auto fresh = std::make_unique<MipStartSet>();
  MipStartSet& ref = *fresh;
  p.mip->starts = std::move(fresh);
  return ref;
}

std::string mip_start_name(const MipStart& start, int k) {
  if (!start.name.empty()) return start.name;
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "m%d", k + 1);
  return buffer;
}

void StartEntries::load(const MipStart& start) {
  for (size_t k = 0; k < start.cols.size(); ++k) where_[start.cols[k]] = static_cast<int>(k);
}

bool StartEntries::set(MipStart& start, int col, double value) {
  int& at = where_[col];
  if (at >= 0) {
    start.values[at] = value;
    return true;
  }
  at = static_cast<int>(start.cols.size());
  start.cols.push_back(col);
  start.values.push_back(value);
  return false;
}

void StartEntries::finish(const MipStart& start) {
  for (int col : start.cols) where_[col] = -1;
}

}  // namespace korva::mip

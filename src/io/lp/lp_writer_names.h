// The names the LP writer puts in the file, one list per kind of entity,
// rewritten when the conformity switch is on and a name of the list could
// not be read back, and cut to 255 bytes at a character boundary.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace korva::lp {

// A name the LP reader would not read back as written.
bool needs_conformity(std::string_view name);
// The rewritten name: '_' in front of a leading character that cannot begin
// a name (or e/E), characters mapped through the table, "#position".
std::string conforming_name(std::string_view name, long long position);
// At most 255 bytes, cut before a partial UTF-8 sequence.
std::string_view cut_name(std::string_view name);

class NameList {
 public:
  // `get(k)` gives entry k's name (string or view).
  template <class Get>
  bool assign(size_t count, Get get, bool conform) {
    names_.resize(count);
    bool rewrite = false;
    for (size_t k = 0; k < count; ++k) {
      names_[k].assign(get(k));
      rewrite = rewrite || (conform && needs_conformity(names_[k]));
    }
    if (rewrite)
      for (size_t k = 0; k < count; ++k)
        names_[k] = conforming_name(names_[k], static_cast<long long>(k));
    return rewrite;
  }
  std::string_view operator[](size_t k) const { return cut_name(names_[k]); }
  size_t size() const { return names_.size(); }

 private:
  std::vector<std::string> names_;
};

}  // namespace korva::lp

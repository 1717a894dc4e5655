// Temporary files holding the panels of a factor too large for memory: a
// fresh directory under the working directory, a few files in it, and
// positional reads and writes by offset in the factor's block layout.
// Everything is removed when the store goes away.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "barrier/linalg/factor_storage.h"
#include "env/channel.h"

namespace korva::barrier {

class OutOfCoreStore {
 public:
  // Creates a directory "krvXXXXXX" under `parent` and `files` files in it
  // (at least 1, at most kMaxFactorFiles) sharing `doubles` values. Returns
  // null when the directory or a file cannot be made; what was made is gone
  // again by then.
  static std::unique_ptr<OutOfCoreStore> open(const std::string& parent, int files, int64_t doubles,
                                              Channel* log);
  ~OutOfCoreStore();
  OutOfCoreStore(const OutOfCoreStore&) = delete;
  OutOfCoreStore& operator=(const OutOfCoreStore&) = delete;

  // Values [offset, offset + count) of the factor. Both are safe to call
  // from several threads at once. Return false on an I/O failure.
  bool write(int64_t offset, const double* data, int64_t count);
  bool read(int64_t offset, double* data, int64_t count) const;

  const std::string& directory() const { return directory_; }
  int files() const { return static_cast<int>(files_.size()); }

 private:
  template <typename Move>
  bool by_file(int64_t offset, int64_t count, Move move) const;
  OutOfCoreStore() = default;
  void remove_all();

  std::string directory_;
  std::vector<FILE*> files_;
  std::vector<std::string> paths_;
  int64_t doubles_per_file_ = 1;
};

}  // namespace korva::barrier

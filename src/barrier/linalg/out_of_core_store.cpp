#include "barrier/linalg/out_of_core_store.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace korva::barrier {
namespace {

// pread/pwrite may move fewer bytes than asked; loop until done.
template <typename Transfer>
bool transfer_all(Transfer transfer, char* bytes, int64_t size, int64_t position) {
  while (size > 0) {
    const ssize_t moved = transfer(bytes, static_cast<size_t>(size), static_cast<off_t>(position));
    if (moved < 0 && errno == EINTR) continue;
    if (moved <= 0) return false;
    bytes += moved;
    size -= moved;
    position += moved;
  }
  return true;
}

}  // namespace

std::unique_ptr<OutOfCoreStore> OutOfCoreStore::open(const std::string& parent, int files, int64_t doubles,
                                                     Channel* log) {
  std::unique_ptr<OutOfCoreStore> store(new OutOfCoreStore());
  std::string pattern = (parent.empty() ? std::string(".") : parent) + "/krvXXXXXX";
  if (!mkdtemp(pattern.data())) return nullptr;
  store->directory_ = pattern;
  msg(log, "Creating directory %s for Barrier out-of-core files\n", store->directory_.c_str());
  files = std::clamp(files, 1, kMaxFactorFiles);
  store->doubles_per_file_ = std::max<int64_t>(1, (doubles + files - 1) / files);
  for (int k = 0; k < files; ++k) {
    char path[4096];
    std::snprintf(path, sizeof path, "%s/krvtmp%lld", store->directory_.c_str(), static_cast<long long>(k));
    FILE* file = std::fopen(path, "w+b");
    if (!file) {
      msg(log, "Trouble opening temporary file %s\n", path);
      return nullptr;  // the destructor removes what was made
    }
    store->files_.push_back(file);
    store->paths_.emplace_back(path);
  }
  return store;
}

OutOfCoreStore::~OutOfCoreStore() { remove_all(); }

void OutOfCoreStore::remove_all() {
  for (FILE* file : files_) std::fclose(file);
  for (const std::string& path : paths_) std::remove(path.c_str());
  files_.clear();
  paths_.clear();
  if (!directory_.empty()) rmdir(directory_.c_str());
  directory_.clear();
}

bool OutOfCoreStore::write(int64_t offset, const double* data, int64_t count) {
  while (count > 0) {
    const int64_t file = offset / doubles_per_file_;
    if (file >= static_cast<int64_t>(files_.size())) return false;
    const int64_t within = offset - file * doubles_per_file_;
    const int64_t piece = std::min(count, doubles_per_file_ - within);
    const int fd = fileno(files_[file]);
    auto transfer = [fd](char* bytes, size_t size, off_t position) { return pwrite(fd, bytes, size, position); };
    char* bytes = const_cast<char*>(reinterpret_cast<const char*>(data));
    if (!transfer_all(transfer, bytes, piece * static_cast<int64_t>(sizeof(double)),
                      within * static_cast<int64_t>(sizeof(double))))
      return false;
    offset += piece;
    data += piece;
    count -= piece;
  }
  return true;
}

bool OutOfCoreStore::read(int64_t offset, double* data, int64_t count) const {
  while (count > 0) {
    const int64_t file = offset / doubles_per_file_;
    if (file >= static_cast<int64_t>(files_.size())) return false;
    const int64_t within = offset - file * doubles_per_file_;
    const int64_t piece = std::min(count, doubles_per_file_ - within);
    const int fd = fileno(files_[file]);
    auto transfer = [fd](char* bytes, size_t size, off_t position) { return pread(fd, bytes, size, position); };
    if (!transfer_all(transfer, reinterpret_cast<char*>(data), piece * static_cast<int64_t>(sizeof(double)),
                      within * static_cast<int64_t>(sizeof(double))))
      return false;
    offset += piece;
    data += piece;
    count -= piece;
  }
  return true;
}

}  // namespace korva::barrier

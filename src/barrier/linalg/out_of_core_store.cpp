#include "barrier/linalg/out_of_core_store.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace korva::barrier {
namespace {

constexpr int64_t kDoubleBytes = static_cast<int64_t>(sizeof(double));

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

// [offset, offset + count) split at the file boundaries: move(fd, done,
// piece, within) moves `piece` doubles, the first `done` already moved, at
// `within` doubles into the file.
template <typename Move>
bool OutOfCoreStore::by_file(int64_t offset, int64_t count, Move move) const {
  for (int64_t done = 0; done < count;) {
    const int64_t at = offset + done;
    const int64_t file = at / doubles_per_file_;
    if (file >= static_cast<int64_t>(files_.size())) return false;
    const int64_t within = at - file * doubles_per_file_;
    const int64_t piece = std::min(count - done, doubles_per_file_ - within);
    if (!move(fileno(files_[file]), done, piece, within)) return false;
    done += piece;
  }
  return true;
}

bool OutOfCoreStore::write(int64_t offset, const double* data, int64_t count) {
  char* bytes = const_cast<char*>(reinterpret_cast<const char*>(data));
  return by_file(offset, count, [bytes](int fd, int64_t done, int64_t piece, int64_t within) {
    auto transfer = [fd](char* b, size_t size, off_t position) { return pwrite(fd, b, size, position); };
    return transfer_all(transfer, bytes + done * kDoubleBytes, piece * kDoubleBytes, within * kDoubleBytes);
  });
}

bool OutOfCoreStore::read(int64_t offset, double* data, int64_t count) const {
  char* bytes = reinterpret_cast<char*>(data);
  return by_file(offset, count, [bytes](int fd, int64_t done, int64_t piece, int64_t within) {
    auto transfer = [fd](char* b, size_t size, off_t position) { return pread(fd, b, size, position); };
    return transfer_all(transfer, bytes + done * kDoubleBytes, piece * kDoubleBytes, within * kDoubleBytes);
  });
}

}  // namespace korva::barrier

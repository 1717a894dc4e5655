// Open nodes moved out of the tree's memory once it outgrows
// KRV_PARAM_WORKMEM: kept compressed in memory (KRV_PARAM_NODEFILEIND 1),
// or written to a temporary file in KRV_PARAM_WORKDIR (2), compressed (3).
// Compression packs the basis at two bits a status; the rest of a node is
// small.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace korva::mip {

struct SearchNode;

class NodeFile {
 public:
  NodeFile(int mode, std::string directory);
  ~NodeFile();
  NodeFile(const NodeFile&) = delete;
  NodeFile& operator=(const NodeFile&) = delete;

  // 0, or 1801 (the file cannot be opened) / 1803 (a write failed).
  int store(const SearchNode& node, int64_t* handle);
  // 0, or 1802 (a read failed).
  int load(int64_t handle, std::unique_ptr<SearchNode>& node);
  void release(int64_t handle);

  bool on_disk() const { return mode_ >= 2; }
  // Bytes the stored nodes take as records, and as stored.
  int64_t raw_bytes() const { return raw_bytes_; }
  int64_t stored_bytes() const { return stored_bytes_; }
  // Bytes of the nodes held in memory (mode 1).
  int64_t memory_bytes() const { return on_disk() ? 0 : stored_bytes_; }

 private:
  int open_file();

  int mode_;
  std::string directory_, path_;
  FILE* file_ = nullptr;
  int64_t end_ = 0;  // next write position in the file
  struct Record {
    int64_t offset = 0;        // in the file, or -1 for in-memory
    int64_t size = 0;          // stored bytes
    int64_t raw = 0;           // bytes before compression
    std::vector<uint8_t> bytes;  // in-memory records
    bool live = false;
  };
  std::vector<Record> records_;
  std::vector<int64_t> free_;
  int64_t raw_bytes_ = 0, stored_bytes_ = 0;
};

}  // namespace korva::mip

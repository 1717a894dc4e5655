#include "mip/node_file.h"

#include <unistd.h>

#include <atomic>
#include <cstring>

#include "mip/node_store.h"

namespace korva::mip {

namespace {

constexpr int kOpenFailed = 1801;
constexpr int kReadFailed = 1802;
constexpr int kWriteFailed = 1803;

class Writer {
 public:
  template <class T>
  void put(const T& v) {
    const auto* p = reinterpret_cast<const uint8_t*>(&v);
    bytes.insert(bytes.end(), p, p + sizeof(T));
  }
  std::vector<uint8_t> bytes;
};

class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& b) : bytes_(b) {}
  template <class T>
  bool get(T& v) {
    if (at_ + sizeof(T) > bytes_.size()) return false;
    std::memcpy(&v, bytes_.data() + at_, sizeof(T));
    at_ += sizeof(T);
    return true;
  }
  bool get_bytes(uint8_t* out, size_t n) {
    if (at_ + n > bytes_.size()) return false;
    std::memcpy(out, bytes_.data() + at_, n);
    at_ += n;
    return true;
  }

 private:
  const std::vector<uint8_t>& bytes_;
  size_t at_ = 0;
};

// Raw size of a node as a record (what compression is measured against).
int64_t raw_size(const SearchNode& n) {
  return static_cast<int64_t>(5 * sizeof(double) + 5 * sizeof(int64_t) + 3 * sizeof(int) + 1 + 2 * sizeof(int64_t) +
                              n.changes.size() * (sizeof(int) + 2 * sizeof(double)) + sizeof(int64_t) + sizeof(int) +
                              n.local_rows.size() * sizeof(int) +
                              (n.basis ? n.basis->status.size() : 0));
}

std::vector<uint8_t> encode(const SearchNode& n, bool compress) {
  Writer w;
  w.put(n.bound);
  w.put(n.estimate);
  w.put(n.parent_objective);
  w.put(n.sum_infeasibility);
  w.put(n.branch_change);
  w.put(n.depth);
  w.put(n.seqnum);
  w.put(n.num_infeasible);
  w.put(n.parent_seqnum);
  w.put(static_cast<int64_t>(reinterpret_cast<intptr_t>(n.user_handle)));
  w.put(n.new_changes);
  w.put(n.branch_col);
  w.put(n.branch_set);
  w.put(n.branch_type);
  w.put(n.cut_rounds);
  w.put(static_cast<int64_t>(n.local_rows.size()));
  for (int row : n.local_rows) w.put(row);
  w.put(static_cast<int64_t>(n.changes.size()));
  const int64_t statuses = n.basis ? static_cast<int64_t>(n.basis->status.size()) : -1;
  w.put(statuses);
  for (const BoundChange& c : n.changes) {
    w.put(c.col);
    w.put(c.lower);
    w.put(c.upper);
  }
  if (statuses > 0) {
    const std::vector<uint8_t>& s = n.basis->status;
    if (compress) {
      // Statuses 0..3: four to a byte.
      for (int64_t k = 0; k < statuses; k += 4) {
        uint8_t b = 0;
        for (int64_t t = 0; t < 4 && k + t < statuses; ++t) b |= static_cast<uint8_t>((s[k + t] & 3) << (2 * t));
        w.bytes.push_back(b);
      }
    } else {
      w.bytes.insert(w.bytes.end(), s.begin(), s.end());
    }
  }
  return std::move(w.bytes);
}

bool decode(const std::vector<uint8_t>& bytes, bool compressed, SearchNode& n) {
  Reader r(bytes);
  int64_t changes = 0, statuses = 0, user_handle = 0, local_rows = 0;
  if (!(r.get(n.bound) && r.get(n.estimate) && r.get(n.parent_objective) && r.get(n.sum_infeasibility) &&
        r.get(n.branch_change) && r.get(n.depth) && r.get(n.seqnum) && r.get(n.num_infeasible) &&
        r.get(n.parent_seqnum) && r.get(user_handle) &&
        r.get(n.new_changes) && r.get(n.branch_col) && r.get(n.branch_set) && r.get(n.branch_type) &&
        r.get(n.cut_rounds) && r.get(local_rows)))
    return false;
  if (local_rows < 0 || local_rows > static_cast<int64_t>(bytes.size())) return false;
  n.local_rows.resize(static_cast<size_t>(local_rows));
  for (int& row : n.local_rows)
    if (!r.get(row)) return false;
  if (!(r.get(changes) && r.get(statuses))) return false;
  if (changes < 0) return false;
  n.user_handle = reinterpret_cast<void*>(static_cast<intptr_t>(user_handle));
  n.changes.resize(static_cast<size_t>(changes));
  for (BoundChange& c : n.changes)
    if (!(r.get(c.col) && r.get(c.lower) && r.get(c.upper))) return false;
  if (statuses > 0) {
    auto basis = std::make_shared<CompactBasis>();
    basis->status.resize(static_cast<size_t>(statuses));
    if (compressed) {
      std::vector<uint8_t> packed(static_cast<size_t>((statuses + 3) / 4));
      if (!r.get_bytes(packed.data(), packed.size())) return false;
      for (int64_t k = 0; k < statuses; ++k) basis->status[k] = (packed[k / 4] >> (2 * (k % 4))) & 3;
    } else if (!r.get_bytes(basis->status.data(), basis->status.size())) {
      return false;
    }
    n.basis = std::move(basis);
  }
  return true;
}

std::atomic<int> g_file_number{0};

}  // namespace

NodeFile::NodeFile(int mode, std::string directory) : mode_(mode), directory_(std::move(directory)) {}

NodeFile::~NodeFile() {
  if (file_) {
    std::fclose(file_);
    std::remove(path_.c_str());
  }
}

int NodeFile::open_file() {
  if (file_) return 0;
  char name[64];
  std::snprintf(name, sizeof name, "/nodefile.%ld.%d", static_cast<long>(getpid()), ++g_file_number);
  path_ = (directory_.empty() ? std::string(".") : directory_) + name;
  file_ = std::fopen(path_.c_str(), "w+b");
  return file_ ? 0 : kOpenFailed;
}

int NodeFile::store(const SearchNode& node, int64_t* handle) {
  const bool compress = mode_ != 2;
  std::vector<uint8_t> bytes = encode(node, compress);
  Record rec;
  rec.size = static_cast<int64_t>(bytes.size());
  rec.raw = raw_size(node);
  rec.live = true;
  if (on_disk()) {
    if (int code = open_file()) return code;
    if (std::fseek(file_, static_cast<long>(end_), SEEK_SET) != 0 ||
        std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
      return kWriteFailed;
    rec.offset = end_;
    end_ += rec.size;
  } else {
    rec.offset = -1;
    rec.bytes = std::move(bytes);
  }
  raw_bytes_ += rec.raw;
  stored_bytes_ += rec.size;
  if (!free_.empty()) {
    *handle = free_.back();
    free_.pop_back();
    records_[*handle] = std::move(rec);
  } else {
    *handle = static_cast<int64_t>(records_.size());
    records_.push_back(std::move(rec));
  }
  return 0;
}

int NodeFile::load(int64_t handle, std::unique_ptr<SearchNode>& node) {
  Record& rec = records_[handle];
  std::vector<uint8_t> disk;
  const std::vector<uint8_t>* bytes = &rec.bytes;
  if (rec.offset >= 0) {
    disk.resize(static_cast<size_t>(rec.size));
    if (std::fseek(file_, static_cast<long>(rec.offset), SEEK_SET) != 0 ||
        std::fread(disk.data(), 1, disk.size(), file_) != disk.size())
      return kReadFailed;
    bytes = &disk;
  }
  auto n = std::make_unique<SearchNode>();
  if (!decode(*bytes, mode_ != 2, *n)) return kReadFailed;
  node = std::move(n);
  release(handle);
  return 0;
}

void NodeFile::release(int64_t handle) {
  Record& rec = records_[handle];
  if (!rec.live) return;
  rec.live = false;
  raw_bytes_ -= rec.raw;
  stored_bytes_ -= rec.size;
  rec.bytes.clear();
  rec.bytes.shrink_to_fit();
  free_.push_back(handle);
}

}  // namespace korva::mip

// What a model-file reader produces: the whole model as plain arrays, handed
// to the problem object in one place (io/dispatch) once the file has been
// read completely. Names are UTF-8.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "model/name_store.h"

namespace korva {

// The names of the rows or of the columns, packed the way the model keeps
// them, so that the model takes the store over instead of copying every
// name once more. A name ends at its first zero byte, as the model's
// C-string names do.
class ReaderNames {
 public:
  size_t size() const { return static_cast<size_t>(store_.size()); }
  bool empty() const { return store_.size() == 0; }
  std::string_view operator[](size_t i) const { return store_.view(static_cast<int64_t>(i)); }

  // Room for `items` more names of `bytes` bytes in all (terminators
  // included; 0 when unknown).
  void reserve(size_t items, size_t bytes = 0) {
    store_.reserve_more(static_cast<int64_t>(items), static_cast<int64_t>(bytes));
  }
  void push_back(std::string_view name) {
    if (const void* zero = std::memchr(name.data(), '\0', name.size()))
      name = name.substr(0, static_cast<const char*>(zero) - name.data());
    store_.append(name);
  }
  void clear() { store_.clear(); }
  // The packed store, left empty here.
  NameStore take() {
    NameStore out;
    std::swap(out, store_);
    return out;
  }

  class const_iterator {
   public:
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    const_iterator() = default;
    const_iterator(const ReaderNames* names, size_t i) : names_(names), i_(i) {}
    std::string_view operator*() const { return (*names_)[i_]; }
    const_iterator& operator++() {
      ++i_;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator old = *this;
      ++i_;
      return old;
    }
    bool operator==(const const_iterator& other) const { return i_ == other.i_; }

   private:
    const ReaderNames* names_ = nullptr;
    size_t i_ = 0;
  };
  using iterator = const_iterator;
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }

  bool operator==(const std::vector<std::string>& other) const {
    if (other.size() != size()) return false;
    for (size_t i = 0; i < size(); ++i)
      if ((*this)[i] != other[i]) return false;
    return true;
  }

 private:
  NameStore store_;
};

struct ReaderSos {
  char type;  // '1' or '2'
  std::string name;
  std::vector<int> indices;
  std::vector<double> weights;
};

struct ReaderIndicator {
  int indicator = -1;
  int complemented = 0;
  std::vector<int> linind;
  std::vector<double> linval;
  char sense = 'L';
  double rhs = 0.0;
  std::string name;
};

struct ReaderQConstraint {
  std::vector<int> linind;
  std::vector<double> linval;
  std::vector<int> quadrow, quadcol;
  std::vector<double> quadval;
  char sense = 'L';
  double rhs = 0.0;
  std::string name;
};

// Rows kept apart from the model (user cuts, lazy constraints), row-major.
struct ReaderRowPool {
  std::vector<double> rhs;
  std::vector<char> sense;
  std::vector<int64_t> begin;  // begin.size() == rows; entries run to the next begin / end
  std::vector<int> index;
  std::vector<double> value;
  std::vector<std::string> names;
};

struct ReaderArrays {
  std::string objname;
  int objsense = 1;
  // Columns.
  ReaderNames col_names;
  std::vector<double> obj, lb, ub;
  std::vector<char> ctype;  // empty, or one per column
  // Rows.
  ReaderNames row_names;
  std::vector<double> rhs, range;  // range empty when no row is ranged
  std::vector<char> sense;
  // Matrix, column-major: column j's entries at matbeg[j] .. matbeg[j] + matcnt[j] - 1.
  std::vector<int64_t> matbeg;
  std::vector<int> matcnt;
  std::vector<int> matind;
  std::vector<double> matval;
  // Optional parts.
  std::vector<ReaderSos> sos;
  ReaderRowPool user_cuts, lazy_constraints;
  // Quadratic objective as a full symmetric column-major matrix (or only its
  // diagonal, when qsep is used).
  std::vector<int64_t> qmatbeg;
  std::vector<int> qmatcnt;
  std::vector<int> qmatind;
  std::vector<double> qmatval;
  std::vector<double> qsep;
  std::vector<ReaderQConstraint> qconstraints;
  std::vector<ReaderIndicator> indicators;
  // Branching priority order (binary format only): column, priority and
  // direction per entry.
  std::vector<int> order_indices, order_priority, order_direction;
  // Basis carried by the file (binary format only).
  std::vector<int> cstat, rstat;

  int num_cols() const { return static_cast<int>(obj.size()); }
  int num_rows() const { return static_cast<int>(rhs.size()); }
};

}  // namespace korva

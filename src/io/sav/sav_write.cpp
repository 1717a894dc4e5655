#include <string_view>
#include <vector>

#include "env/environment.h"
#include "io/sav/ber_writer.h"
#include "io/sav/sav_tags.h"
#include "io/sav/sav.h"
#include "io/stream.h"
#include "model/model.h"

namespace korva::sav {
namespace {

constexpr int kCannotWrite = 1562;  // "Unable to write SAV file to disk"

template <class T>
const T* data_of(const std::vector<T>& v) {
  return v.empty() ? nullptr : v.data();
}

// Texts given by a function of their index, as one text array.
template <class TextOf>
void write_texts(BerWriter& w, size_t count, TextOf text_of) {
  size_t total = 0;
  for (size_t k = 0; k < count; ++k) total += text_of(k).size() + 1;
  w.texts(count, total, text_of);
}

void write_name_store(BerWriter& w, const NameStore& names, int count) {
  if (!names.present()) {
    w.integer(0);
    write_texts(w, 0, [](size_t) { return std::string_view(); });
    return;
  }
  w.integer(count);
  write_texts(w, static_cast<size_t>(count), [&](size_t k) { return names.view(static_cast<int64_t>(k)); });
}

void write_names(BerWriter& w, const Problem& p) {
  w.open_application(kNames);
  w.text(p.lp.name);
  w.text(p.lp.objname);
  write_name_store(w, p.lp.row_names, p.num_rows());
  write_name_store(w, p.lp.col_names, p.num_cols());
  w.close();
}

void write_row_pool(BerWriter& w, int tag, const RowPool* pool) {
  w.open_application(tag);
  const int rows = pool ? pool->num_rows() : 0;
  w.integer(rows);
  w.integer(pool ? pool->nonzeros() : 0);
  if (pool) {
    w.doubles(data_of(pool->rhs), pool->rhs.size());
    w.bytes(data_of(pool->sense), pool->sense.size());
    w.int64s(pool->begin.data(), pool->begin.size());
    w.int32s(data_of(pool->index), pool->index.size());
    w.doubles(data_of(pool->value), pool->value.size());
    write_texts(w, pool->names.size(), [&](size_t k) { return std::string_view(pool->names[k]); });
  }
  w.close();
}

void write_lp(BerWriter& w, const Problem& p) {
  const int n = p.num_cols(), m = p.num_rows();
  w.open_application(kLpData);
  w.integer(n);
  w.integer(m);
  w.integer(p.objsense());
  w.integer(p.has_ranges() ? 1 : 0);
  w.integer(0);  // reserved
  w.integer(p.num_nonzeros());
  w.doubles(data_of(p.lp.obj), static_cast<size_t>(n));
  w.doubles(data_of(p.lp.lb), static_cast<size_t>(n));
  w.doubles(data_of(p.lp.ub), static_cast<size_t>(n));
  w.doubles(data_of(p.lp.rhs), static_cast<size_t>(m));
  w.bytes(data_of(p.lp.sense), static_cast<size_t>(m));
  w.doubles(data_of(p.lp.range), p.has_ranges() ? static_cast<size_t>(m) : 0);
  // The matrix column by column, its columns back to back.
  std::vector<int64_t> begin(static_cast<size_t>(n));
  std::vector<int> count(static_cast<size_t>(n));
  int64_t at = 0;
  for (int j = 0; j < n; ++j) {
    begin[static_cast<size_t>(j)] = at;
    count[static_cast<size_t>(j)] = static_cast<int>(p.column(j).size());
    at += p.column(j).size();
  }
  w.int64s(data_of(begin), begin.size());
  w.int32s(data_of(count), count.size());
  std::vector<int> index;
  std::vector<double> value;
  index.reserve(static_cast<size_t>(at));
  value.reserve(static_cast<size_t>(at));
  for (int j = 0; j < n; ++j) {
    const SparseSpan col = p.column(j);
    index.insert(index.end(), col.index.begin(), col.index.end());
    value.insert(value.end(), col.value.begin(), col.value.end());
  }
  w.int32s(data_of(index), index.size());
  w.doubles(data_of(value), value.size());
  write_row_pool(w, kUserCuts, p.user_cuts.get());
  write_row_pool(w, kLazyConstraints, p.lazy_constraints.get());
  w.close();
}

void write_mip(BerWriter& w, const Problem& p) {
  w.open_application(kMipData);
  const bool mip = p.is_mip() && static_cast<int>(p.mip->ctype.size()) == p.num_cols();
  w.integer(mip ? 1 : 0);
  w.bytes(mip ? data_of(p.mip->ctype) : nullptr, mip ? p.mip->ctype.size() : 0);
  const std::vector<SosSet> none;
  const std::vector<SosSet>& sets = p.is_mip() ? p.mip->sos : none;
  w.open_application(kSosSets);
  w.integer(static_cast<int64_t>(sets.size()));
  std::vector<char> types;
  std::vector<int64_t> begin;
  std::vector<int> index;
  std::vector<double> weight;
  for (const SosSet& s : sets) {
    types.push_back(s.type);
    begin.push_back(static_cast<int64_t>(index.size()));
    index.insert(index.end(), s.indices.begin(), s.indices.end());
    weight.insert(weight.end(), s.weights.begin(), s.weights.end());
  }
  w.integer(static_cast<int64_t>(index.size()));
  w.bytes(data_of(types), types.size());
  w.int64s(data_of(begin), begin.size());
  w.int32s(data_of(index), index.size());
  w.doubles(data_of(weight), weight.size());
  write_texts(w, sets.size(), [&](size_t k) { return std::string_view(sets[k].name); });
  w.close();
  w.open_application(kOrder);
  const PriorityOrder* order = p.is_mip() ? p.mip->order.get() : nullptr;
  const size_t entries = order ? order->indices.size() : 0;
  w.integer(static_cast<int64_t>(entries));
  w.int32s(order ? data_of(order->indices) : nullptr, entries);
  w.int32s(order ? data_of(order->priority) : nullptr, entries);
  w.int32s(order ? data_of(order->direction) : nullptr, entries);
  w.close();
  w.close();
}

void write_quad(BerWriter& w, const Problem& p) {
  w.open_application(kQuadData);
  w.open_application(kQuadObjective);
  const int n = p.quad ? p.num_cols() : 0;
  w.integer(n);
  if (p.quad) {
    std::vector<int64_t> begin(static_cast<size_t>(n));
    std::vector<int> count(static_cast<size_t>(n)), index;
    std::vector<double> value;
    for (int j = 0; j < n; ++j) {
      const SparseSpan col = p.quad->q.column(j);
      begin[static_cast<size_t>(j)] = static_cast<int64_t>(index.size());
      count[static_cast<size_t>(j)] = static_cast<int>(col.size());
      index.insert(index.end(), col.index.begin(), col.index.end());
      value.insert(value.end(), col.value.begin(), col.value.end());
    }
    w.integer(static_cast<int64_t>(index.size()));
    w.int64s(data_of(begin), begin.size());
    w.int32s(data_of(count), count.size());
    w.int32s(data_of(index), index.size());
    w.doubles(data_of(value), value.size());
  }
  w.close();
  w.open_application(kQuadConstraints);
  const int nq = model::num_qconstraints(p);
  w.integer(nq);
  for (int k = 0; k < nq; ++k) {
    const QuadConstraint& q = p.qcons->list[static_cast<size_t>(k)];
    w.open_application(kQuadConstraint);
    w.byte(static_cast<uint8_t>(q.sense));
    w.doubles(&q.rhs, 1);
    w.integer(static_cast<int64_t>(q.linind.size()));
    w.int32s(data_of(q.linind), q.linind.size());
    w.doubles(data_of(q.linval), q.linval.size());
    w.integer(static_cast<int64_t>(q.quadrow.size()));
    w.int32s(data_of(q.quadrow), q.quadrow.size());
    w.int32s(data_of(q.quadcol), q.quadcol.size());
    w.doubles(data_of(q.quadval), q.quadval.size());
    w.text(q.name);
    w.close();
  }
  w.close();
  w.close();
}

void write_indicators(BerWriter& w, const Problem& p) {
  w.open_application(kIndicatorData);
  const int count = model::num_indicators(p);
  w.integer(count);
  for (int k = 0; k < count; ++k) {
    const IndicatorConstraint& ic = p.mip->indicators[static_cast<size_t>(k)];
    w.open_application(kIndicator);
    w.integer(ic.indicator);
    w.integer(ic.complemented);
    w.byte(static_cast<uint8_t>(ic.sense));
    w.doubles(&ic.rhs, 1);
    w.integer(static_cast<int64_t>(ic.linind.size()));
    w.int32s(data_of(ic.linind), ic.linind.size());
    w.doubles(data_of(ic.linval), ic.linval.size());
    w.text(ic.name);
    w.close();
  }
  w.close();
}

void write_start(BerWriter& w, const Problem& p) {
  w.open_application(kStart);
  const Basis* b = p.derived.basis.get();
  const bool basis = b && static_cast<int>(b->cstat.size()) == p.num_cols() &&
                     static_cast<int>(b->rstat.size()) == p.num_rows();
  w.integer(basis ? 1 : 0);
  if (basis) {
    w.int32s(data_of(b->cstat), b->cstat.size());
    w.int32s(data_of(b->rstat), b->rstat.size());
  }
  w.close();
}

}  // namespace

int write_sav(Environment& env, Problem& p, const char* filename) {
  if (int status = model::complete(env, p)) return status;
  FILE* file = nullptr;
  if (int status = open_bare_write(env, filename, true, file)) return status;
  BerWriter w(file);
  w.open_application(kRoot);
  w.open_application(kHeader);
  w.integer(kFormatVersion);
  w.open_application(kHeaderText);
  w.text(kFormatText);
  w.close();
  w.open_application(kHeaderText);
  if (env.version)
    w.text(env.version);
  else
    w.integer(-1);
  w.close();
  w.close();
  write_names(w, p);
  write_lp(w, p);
  write_mip(w, p);
  write_quad(w, p);
  write_indicators(w, p);
  write_start(w, p);
  w.close();
  const bool written = w.finish();
  const int closed = close_bare(filename, file);
  if (!written || closed) return kCannotWrite;
  return 0;
}

}  // namespace korva::sav

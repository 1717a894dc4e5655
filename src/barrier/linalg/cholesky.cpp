#include "barrier/linalg/cholesky.h"

#include <cblas.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <new>
#include <queue>
#include <thread>

#include "barrier/linalg/dense_block.h"
#include "barrier/linalg/single_threaded_blas.h"
#include "barrier/linalg/thin_update.h"
#include "barrier/linalg/solve_kernels.h"
#include "barrier/linalg/ordering_choice.h"
#include "barrier/linalg/packed_update.h"
#include "barrier/linalg/wide_vectors.h"
#include "env/error_codes.h"
#include "env/huge_pages.h"

namespace korva::barrier {
namespace {

// The least share of its own diagonal that a pivot keeps (see factor()).
constexpr double kLeastPivot = 1e-13;
// Below this many flops a factorisation is not worth starting threads for.
constexpr double kThreadedFactorFlops = 5e7;
// Below this many factor nonzeros a solve is not worth starting threads for.
constexpr int64_t kThreadedSolveNonzeros = 1000000;
// Rows of a supernode's block handled by one dense kernel call.
constexpr int kRowChunk = 256;
// Widest stack of sources with the same rows multiplied at once.
constexpr int kStackWidth = 128;
// A source whose update covers at least this share of the target's block
// is spread into the target's row positions, zeros between, and applied with
// the others like it, kDenseGroup source columns at a time, by products
// straight on the target: a few more flops instead of an indirect scatter,
// and wide products instead of thin ones.
constexpr double kDenseUpdate = 0.5;
constexpr int kDenseGroup = 256;
// Narrower targets stay in cache however their updates fall; taller ones
// would need too large a panel.
constexpr int kDenseTargetWidth = 64;
constexpr int kDenseTargetRows = 8192;
// Runs of target rows shorter than this on average are scattered one by one.
constexpr int kShortRun = 4;
// Right-hand sides solved together by solve_many(): the same groups whatever
// the thread count, so each result comes out of the same kernel calls.
constexpr int kRhsChunk = 32;

// Runs body(item, h) for every item in [0, count) on up to `team` threads,
// h being the thread's index (0: the caller). Items go to whichever thread
// is free, so a thread the system holds back delays the others little.
void share_out(int team, int count, const std::function<void(int, int)>& body) {
  const int helpers = std::min(team, count) - 1;
  if (helpers <= 0) {
    for (int k = 0; k < count; ++k) body(k, 0);
    return;
  }
  std::atomic<int> next{0};
  auto share = [&](int h) {
    for (int k = next++; k < count; k = next++) body(k, h);
  };
  std::vector<std::thread> threads;
  for (int h = 1; h <= helpers; ++h) threads.emplace_back(share, h);
  share(0);
  for (std::thread& thread : threads) thread.join();
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int CholeskyFactor::analyse(const CscMatrix& lower, Ordering choice, int threads, int ordering_threads) {
  try {
    const auto start = std::chrono::steady_clock::now();
    stats_ = FactorStatistics();
    threads_ = std::max(1, threads);
    OrderingChoice ordering;
    Channel* log = storage_.channel(1);
    const int status = choose_ordering(lower, choice, ordering_threads, ordering, [log](double seconds) {
      msg(log, "Elapsed ordering time = %7.2f sec.\n", seconds);
    });
    if (status != 0) return status;
    stats_.ordering_seconds = seconds_since(start);
    stats_.ordering_used = ordering.used;
    stats_.ordering_cost = ordering.min_degree_flops;

    build_symbolic(lower, ordering.perm, symbolic_);
    std::vector<int> clustered;
    if (cluster_wide_supernodes(symbolic_, clustered)) build_symbolic(lower, clustered, symbolic_);
    const SymbolicFactor& s = symbolic_;
    out_of_core_.reset();
    const double memory_doubles = storage_.memory_megabytes * kDoublesPerMegabyte;
    if (static_cast<double>(s.value_start[s.supernodes]) > memory_doubles) {
      std::vector<double>().swap(values_);
      plan_out_of_core(memory_doubles);
    } else {
      reserve_huge(values_, s.value_start[s.supernodes]);
      values_.assign(s.value_start[s.supernodes], 0.0);
    }
    zero_pivot_.assign(s.rows, 0);
    sign_.assign(s.rows, 1);
    least_pivot_.assign(s.rows, 0.0);

    group_entries_by_panel();
    plan_threads();
    // One update covers at most a chunk of the target's rows.
    int64_t update_size = 1, stack_size = 1;
    for (int64_t u = 0; u < static_cast<int64_t>(s.update_source.size()); ++u) {
      const int64_t rows = std::min(s.row_count(s.update_source[u]) - s.update_begin[u], kRowChunk);
      const int64_t columns = s.update_end[u] - s.update_begin[u];
      update_size = std::max(update_size, rows * columns);
      stack_size = std::max(stack_size, (rows + columns) * kStackWidth);
    }
    const int64_t dense_panel_size = mark_dense_updates();
    workspaces_.resize(threads_);
    for (Workspace& w : workspaces_) {
      w.dense_panel.assign(dense_panel_size, 0.0);
      w.position.assign(s.rows, 0);
      w.relative.assign(kRowChunk, 0);
      w.run_start.assign(kRowChunk + 1, 0);
      w.update.assign(update_size, 0.0);
      w.stack.assign(stack_size, 0.0);
      w.scaled.assign(std::max<int64_t>(1, s.max_scaled_size), 0.0);
    }
    stats_.threads = threads_;
    stats_.rows = s.rows;
    stats_.integer_space = s.integer_space();
    stats_.factor_nonzeros = s.factor_nonzeros;
    stats_.flops = s.flops;
    stats_.supernodes = s.supernodes;
    std::map<int, int> widths;
    for (int t = 0; t < s.supernodes; ++t) ++widths[s.width(t)];
    stats_.width_histogram.assign(widths.begin(), widths.end());
    return 0;
  } catch (const std::bad_alloc&) {
    return err::kNoMemory;
  }
}

int64_t CholeskyFactor::mark_dense_updates() {
  const SymbolicFactor& s = symbolic_;
  dense_update_.assign(s.update_source.size(), 0);
  int64_t panel_rows = 0;
  for (int t = 0; t < s.supernodes; ++t) {
    if (s.width(t) < kDenseTargetWidth || s.row_count(t) > kDenseTargetRows) continue;
    const double area = kDenseUpdate * s.row_count(t) * static_cast<double>(s.width(t));
    for (int64_t u = s.update_start[t]; u < s.update_start[t + 1]; ++u) {
      const int src = s.update_source[u];
      const double rows = s.row_count(src) - s.update_begin[u];
      const double columns = s.update_end[u] - s.update_begin[u];
      if (s.width(src) <= kDenseGroup && rows * columns >= area) {
        dense_update_[u] = 1;
        panel_rows = std::max<int64_t>(panel_rows, s.row_count(t));
      }
    }
  }
  // Spread and signed copy, or the packed layout.
  return std::max(2 * panel_rows, packed_rows(panel_rows)) * kDenseGroup;
}

void CholeskyFactor::plan_threads() {
  const SymbolicFactor& s = symbolic_;
  const int ns = s.supernodes;
  subtree_root_.clear();
  subtree_first_.assign(ns, 0);
  top_.clear();
  std::vector<double> work(ns, 0.0);
  std::vector<std::vector<int>> children(ns);
  std::vector<int> roots;
  for (int t = 0; t < ns; ++t) {
    const int64_t r = s.row_count(t);
    for (int64_t k = 0; k < s.width(t); ++k) work[t] += static_cast<double>(r - k) * static_cast<double>(r - k);
    if (s.parent[t] >= 0) {
      work[s.parent[t]] += work[t];
      children[s.parent[t]].push_back(t);
    } else {
      roots.push_back(t);
    }
  }
  // Postorder: a subtree is the contiguous range ending at its root.
  for (int t = 0; t < ns; ++t) subtree_first_[t] = children[t].empty() ? t : subtree_first_[children[t].front()];
  double total = 0;
  for (int t : roots) total += work[t];
  if (threads_ <= 1 || total < kThreadedFactorFlops) {
    for (int t = 0; t < ns; ++t) top_.push_back(t);
    return;
  }
  // Split the heaviest subtree until none holds more than its share of the
  // work, so the threads stay busy; the split roots are factored afterwards.
  auto lighter = [&](int x, int y) { return work[x] < work[y]; };
  std::priority_queue<int, std::vector<int>, decltype(lighter)> heaviest(lighter, roots);
  std::vector<char> on_top(ns, 0);
  const double share = total / (2.0 * threads_);
  while (!heaviest.empty() && work[heaviest.top()] > share && !children[heaviest.top()].empty()) {
    const int t = heaviest.top();
    heaviest.pop();
    on_top[t] = 1;
    for (int child : children[t]) heaviest.push(child);
  }
  // Heaviest subtrees first, so the last ones to start are short.
  for (; !heaviest.empty(); heaviest.pop()) subtree_root_.push_back(heaviest.top());
  for (int t = 0; t < ns; ++t)
    if (on_top[t]) top_.push_back(t);
}

void CholeskyFactor::group_entries_by_panel() {
  const SymbolicFactor& s = symbolic_;
  const int ns = s.supernodes;
  const int64_t entries = static_cast<int64_t>(s.entry_target.size());
  std::vector<int> owner(entries);
  panel_entry_start_.assign(ns + 1, 0);
  for (int64_t p = 0; p < entries; ++p) {
    owner[p] = static_cast<int>(std::upper_bound(s.value_start.begin(), s.value_start.end(), s.entry_target[p]) -
                                s.value_start.begin()) - 1;
    ++panel_entry_start_[owner[p] + 1];
  }
  for (int t = 0; t < ns; ++t) panel_entry_start_[t + 1] += panel_entry_start_[t];
  panel_entries_.resize(entries);
  std::vector<int64_t> next(panel_entry_start_.begin(), panel_entry_start_.end() - 1);
  for (int64_t p = 0; p < entries; ++p) panel_entries_[next[owner[p]]++] = p;
}

void CholeskyFactor::plan_out_of_core(double memory_doubles) {
  const SymbolicFactor& s = symbolic_;
  const int ns = s.supernodes;
  auto ooc = std::make_unique<OutOfCore>();
  ooc->plan = plan_panels(s);
  ooc->first_allocation = std::max(memory_doubles, 1.0);
  ooc->allocation = ooc->first_allocation;
  while (ooc->allocation < static_cast<double>(ooc->plan.working_doubles)) ooc->allocation *= 2;
  // The allocation may hold more than the factorisation needs: as much
  // of the factor as it holds then stays in memory between solves.
  const int64_t factor_doubles = s.value_start[ns];
  const int64_t working_doubles = std::max<int64_t>(
      ooc->plan.working_doubles, std::min<int64_t>(factor_doubles, static_cast<int64_t>(ooc->allocation)));
  reserve_huge(ooc->working, working_doubles);
  ooc->working.assign(working_doubles, 0.0);
  out_of_core_ = std::move(ooc);
}

bool CholeskyFactor::open_store() {
  OutOfCore& ooc = *out_of_core_;
  Channel* log = storage_.channel(1);
  const int64_t total = symbolic_.value_start[symbolic_.supernodes];
  // About one working storage's worth a file.
  const double per_allocation = std::ceil(static_cast<double>(total) / ooc.allocation);
  const int files = static_cast<int>(std::clamp(per_allocation, 1.0, static_cast<double>(kMaxFactorFiles)));
  ooc.store = OutOfCoreStore::open(storage_.directory, files, total, log);
  if (!ooc.store) return false;
  for (double allocation = ooc.first_allocation; allocation < ooc.allocation;) {
    allocation *= 2;
    msg(log, "WARNING: not enough working storage allocated, " "increasing to %.2fMB\n",
        allocation * kMegabytesPerDouble);
  }
  msg(log, "Writing %.0fMB factor matrix and %.0fMB update matrix\n", static_cast<double>(total) * kMegabytesPerDouble,
      static_cast<double>(ooc.plan.working_doubles) * kMegabytesPerDouble);
  msg(storage_.channel(2), "Out-of-core factorization with %.0fMB of working storage\n",
      ooc.allocation * kMegabytesPerDouble);
  return true;
}

bool CholeskyFactor::move_in_core() {
  out_of_core_.reset();
  try {
    reserve_huge(values_, symbolic_.value_start[symbolic_.supernodes]);
    values_.assign(symbolic_.value_start[symbolic_.supernodes], 0.0);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

std::string CholeskyFactor::storage_directory() const {
  return out_of_core_ && out_of_core_->store ? out_of_core_->store->directory() : std::string();
}

int CholeskyFactor::factor(const double* values, double pivot_floor, const signed char* pivot_sign) {
  const SymbolicFactor& s = symbolic_;
  const int n = s.rows;
  double largest = 0;
  for (int i = 0; i < n; ++i)
    if (s.diagonal_entry[i] >= 0) largest = std::max(largest, std::fabs(values[s.diagonal_entry[i]]));
  const double threshold = pivot_floor * largest;
  // A pivot below kLeastPivot of its own diagonal has lost nearly all its
  // digits to cancellation: its value is rounding noise, and dividing by it
  // would spoil the columns below. It counts as that bound instead; the
  // refinement of each solve takes up the difference.
  for (int k = 0; k < n; ++k) {
    const int i = s.perm[k];
    const int64_t e = s.diagonal_entry[i];
    least_pivot_[k] = e >= 0 ? kLeastPivot * std::fabs(values[e]) : 0.0;
    sign_[k] = pivot_sign && pivot_sign[i] < 0 ? -1 : 1;
  }
  std::fill(zero_pivot_.begin(), zero_pivot_.end(), 0);

  std::atomic<int> zeros{0};
  std::atomic<bool> failed{false};
  // Supernode t's block sits at base + offset[t]: the whole factor in core,
  // the working storage out of core.
  double* base = values_.data();
  const int64_t* offset = s.value_start.data();
  auto panel = [&](int t) { return base + offset[t]; };
  // Out of core a panel may keep only its rows from kept_from[t] on, its
  // leading dimension that many rows shorter.
  const int* kept_from = nullptr;
  auto kept = [&](int t) { return kept_from ? kept_from[t] : 0; };
  // The updates of supernode t falling in its block rows [lo, hi). Rows are
  // cut into fixed chunks whatever the thread count, so that every entry is
  // computed by the same kernel calls and results never depend on threads.
  auto gather = [&](int t, int lo, int hi, const int* position, Workspace& w) {
    const int rows = s.row_count(t);
    const int first = s.first[t];
    double* block = panel(t);
    // The rows of source `src` from `p` on that fall in [lo, hi): [a, a + m),
    // and the c target columns they reach.
    struct Piece {
      int src, p, a, m, c;
    };
    auto piece_of = [&](int64_t u) {
      const int src = s.update_source[u], p = s.update_begin[u], q = s.update_end[u];
      const int src_rows = s.row_count(src);
      const int* src_row = s.row_index.data() + s.row_start[src];
      // Source rows map to increasing rows of the target.
      const int* begin = std::partition_point(src_row + p, src_row + src_rows, [&](int r) { return position[r] < lo; });
      const int* end = std::partition_point(begin, src_row + src_rows, [&](int r) { return position[r] < hi; });
      const int a = static_cast<int>(begin - src_row);
      return Piece{src, p, a, static_cast<int>(end - begin), std::min(q, static_cast<int>(end - src_row)) - p};
    };
    // Sources whose rows from p on are the same rows (siblings over a dense
    // block, common in normal matrices) are stacked side by side, so one
    // wide product replaces many thin ones and their scatters.
    auto same_rows = [&](const Piece& x, const Piece& y) {
      const int nx = s.row_count(x.src) - x.p, ny = s.row_count(y.src) - y.p;
      return nx == ny && x.a - x.p == y.a - y.p && x.m == y.m && x.c == y.c &&
             std::equal(s.row_index.data() + s.row_start[x.src] + x.p,
                        s.row_index.data() + s.row_start[x.src] + x.p + nx,
                        s.row_index.data() + s.row_start[y.src] + y.p);
    };
    const int64_t u_end = s.update_start[t + 1];
    for (int64_t u = s.update_start[t]; u < u_end;) {
      if (dense_update_[u]) {
        ++u;
        continue;
      }
      const Piece head = piece_of(u);
      if (head.m <= 0 || head.c <= 0) {
        ++u;
        continue;
      }
      const int src_rows = s.row_count(head.src);
      const int* src_row = s.row_index.data() + s.row_start[head.src];
      double* upd = w.update.data();
      int64_t next = u + 1;
      int stacked = s.width(head.src);
      if (!pivot_sign) {
        while (next < u_end && !dense_update_[next] && stacked + s.width(s.update_source[next]) <= kStackWidth) {
          const Piece other = piece_of(next);
          if (!same_rows(head, other)) break;
          stacked += s.width(other.src);
          ++next;
        }
      }
      // Where the update's rows land in the target: looked up once, and
      // mostly in unbroken runs, each subtracted without indirection.
      int* relative = w.relative.data();
      int* run_start = w.run_start.data();
      int runs = 0;
      for (int ii = 0; ii < head.m; ++ii) {
        relative[ii] = position[src_row[head.a + ii]];
        if (ii == 0 || relative[ii] != relative[ii - 1] + 1) run_start[runs++] = ii;
      }
      run_start[runs] = head.m;
      const ThinTarget target{block, rows,      src_row + head.p,          first, relative,
                              run_start, runs, runs * kShortRun <= head.m, head.p - head.a};
      if (next == u + 1 && s.width(head.src) <= kThinUpdateWidth) {
        const int skip = kept(head.src);
        const double* src_block = panel(head.src);
        const ThinSource source{src_block + (head.a - skip), src_block + (head.p - skip), src_rows - skip,
                                s.width(head.src), head.m, head.c,
                                pivot_sign ? sign_.data() + s.first[head.src] : nullptr};
        subtract_thin_update(source, target);
        u = next;
        continue;
      }
      if (next > u + 1) {
        // Left panel: rows [a, a + m) of every stacked source; right panel:
        // rows [p, p + c).
        double* left = w.stack.data();
        double* right = left + static_cast<int64_t>(head.m) * stacked;
        int column = 0;
        for (int64_t v = u; v < next; ++v) {
          const Piece piece = piece_of(v);
          const int skip = kept(piece.src);
          const int vr = s.row_count(piece.src) - skip;
          const double* src_block = panel(piece.src);
          for (int k = 0; k < s.width(piece.src); ++k, ++column) {
            const double* col = src_block + static_cast<int64_t>(k) * vr;
            std::copy(col + (piece.a - skip), col + (piece.a - skip) + head.m,
                      left + static_cast<int64_t>(column) * head.m);
            std::copy(col + (piece.p - skip), col + (piece.p - skip) + head.c,
                      right + static_cast<int64_t>(column) * head.c);
          }
        }
        cblas_dgemm(CblasColMajor, CblasNoTrans, CblasTrans, head.m, head.c, stacked, 1.0, left, head.m, right,
                    head.c, 0.0, upd, head.m);
      } else {
        const int src_width = s.width(head.src);
        const int skip = kept(head.src);
        const int src_ld = src_rows - skip;
        const double* src_block = panel(head.src);
        const double* right = src_block + (head.p - skip);
        int right_ld = src_ld;
        if (pivot_sign) {
          const signed char* src_sign = sign_.data() + s.first[head.src];
          for (int k = 0; k < src_width; ++k) {
            const double* from = src_block + static_cast<int64_t>(k) * src_ld + (head.p - skip);
            double* to = w.scaled.data() + static_cast<int64_t>(k) * head.c;
            for (int i = 0; i < head.c; ++i) to[i] = from[i] * src_sign[k];
          }
          right = w.scaled.data();
          right_ld = head.c;
        }
        cblas_dgemm(CblasColMajor, CblasNoTrans, CblasTrans, head.m, head.c, src_width, 1.0,
                    src_block + (head.a - skip), src_ld, right, right_ld, 0.0, upd, head.m);
      }
      subtract_update_product(upd, head.m, head.c, target);
      u = next;
    }
  };
  auto set_positions = [&](int t, Workspace& w) {
    const int* row_of = s.row_index.data() + s.row_start[t];
    for (int i = 0; i < s.row_count(t); ++i) w.position[row_of[i]] = i;
  };
  // Chunks of one supernode on `team` threads, thread h using spaces[h].
  auto for_chunks = [](int team, int count, Workspace* spaces, const std::function<void(int, Workspace&)>& body) {
    share_out(team, count, [&](int k, int h) { body(k, spaces[h]); });
  };
  // The dense updates of supernode t (see kDenseUpdate), applied before the
  // others: each group of sources is spread into the target's row positions
  // once, then every row chunk takes its product, the last chunk first.
  auto apply_dense_updates = [&](int t, int team, Workspace* spaces) {
    const int rows = s.row_count(t), width = s.width(t);
    const int* position = spaces[0].position.data();
    double* block = panel(t);
    double* spread = spaces[0].dense_panel.data();
    double* spread_signed = pivot_sign ? spread + static_cast<int64_t>(rows) * kDenseGroup : spread;
    // Without pivot signs the panel is its own right factor: it may be
    // spread straight into the layout of the wide-vector product.
    const bool packed = !pivot_sign && has_wide_vectors();
    const int64_t stride = static_cast<int64_t>(kPackRows) * kDenseGroup;
    const int64_t row_groups = packed_rows(rows) / kPackRows;
    const int chunks = (rows + kRowChunk - 1) / kRowChunk;
    const int64_t u_end = s.update_start[t + 1];
    for (int64_t u = s.update_start[t]; u < u_end;) {
      int columns = 0;
      for (; u < u_end; ++u) {
        if (!dense_update_[u]) continue;
        const int src = s.update_source[u], src_width = s.width(src);
        if (columns + src_width > kDenseGroup) break;
        const int skip = kept(src), src_rows = s.row_count(src), src_ld = src_rows - skip;
        const int* src_row = s.row_index.data() + s.row_start[src];
        const double* src_block = panel(src);
        for (int k = 0; k < src_width; ++k, ++columns) {
          const double* col = src_block + static_cast<int64_t>(k) * src_ld;
          if (packed) {
            for (int64_t g = 0; g < row_groups; ++g)
              std::fill_n(spread + g * stride + columns * kPackRows, kPackRows, 0.0);
            for (int i = s.update_begin[u]; i < src_rows; ++i)
              spread[packed_index(position[src_row[i]], columns, stride)] = col[i - skip];
            continue;
          }
          double* to = spread + static_cast<int64_t>(columns) * rows;
          std::fill(to, to + rows, 0.0);
          for (int i = s.update_begin[u]; i < src_rows; ++i) to[position[src_row[i]]] = col[i - skip];
          if (pivot_sign) {
            const double sign = sign_[s.first[src] + k];
            double* signed_to = spread_signed + static_cast<int64_t>(columns) * rows;
            for (int i = 0; i < rows; ++i) signed_to[i] = to[i] * sign;
          }
        }
      }
      if (columns == 0) break;
      for_chunks(team, chunks, spaces, [&](int k, Workspace&) {
        const int chunk = chunks - 1 - k;
        const int lo = chunk * kRowChunk, hi = std::min(rows, lo + kRowChunk);
        if (packed)
          subtract_packed_product(spread, stride, columns, lo, hi, std::min(hi, width), block, rows);
        else
          cblas_dgemm(CblasColMajor, CblasNoTrans, CblasTrans, hi - lo, std::min(hi, width), columns, -1.0,
                      spread + lo, rows, spread_signed, rows, 1.0, block + lo, rows);
      });
    }
  };
  // One supernode on `team` threads. Its rows are cut into the same chunks
  // whatever the team, so every entry comes out of the same kernel calls.
  auto process = [&](int t, int team, Workspace* spaces) {
    const int rows = s.row_count(t), width = s.width(t), first = s.first[t];
    double* block = panel(t);
    // Assembled by the thread that factors it, just before: the panel is
    // then in its cache, and no pass over the whole factor is needed.
    // Entry order within the panel keeps every sum the same.
    std::fill(block, block + (s.value_start[t + 1] - s.value_start[t]), 0.0);
    for (int64_t k = panel_entry_start_[t]; k < panel_entry_start_[t + 1]; ++k) {
      const int64_t p = panel_entries_[k];
      block[s.entry_target[p] - s.value_start[t]] += values[p];
    }
    set_positions(t, spaces[0]);
    const int* position = spaces[0].position.data();
    const int chunks = (rows + kRowChunk - 1) / kRowChunk;
    apply_dense_updates(t, team, spaces);
    // Lower chunks reach more columns: handed out last row chunk first, the
    // work left at the end is small.
    for_chunks(team, chunks, spaces, [&](int k, Workspace& w) {
      const int chunk = chunks - 1 - k;
      gather(t, chunk * kRowChunk, std::min(rows, (chunk + 1) * kRowChunk), position, w);
    });
    const ChunkLoop loop = [&](int count, const std::function<void(int)>& body) {
      for_chunks(team, count, spaces, [&](int k, Workspace&) { body(k); });
    };
    const int z = factor_diagonal_block(block, rows, width, sign_.data() + first, zero_pivot_.data() + first,
                                        threshold, least_pivot_.data() + first, spaces[0].scaled.data(), loop);
    if (z < 0) {
      failed = true;
      return;
    }
    zeros += z;
    for_chunks(team, chunks, spaces, [&](int k, Workspace&) {
      const int lo = std::max(k * kRowChunk, width), hi = std::min(rows, (k + 1) * kRowChunk);
      if (hi > lo)
        solve_rows_below(block, rows, width, block + lo, hi - lo, sign_.data() + first, zero_pivot_.data() + first);
    });
  };

  // Dense kernels run single-threaded: the threads share out subtrees, then
  // the chunks of the supernodes above them.
  const SingleThreadedBlas blas;
  bool in_core = !out_of_core_;
  if (!in_core && !out_of_core_->store && !open_store()) {
    // No files: factor in memory after all.
    if (!move_in_core()) return -1;
    in_core = true;
  }
  const int64_t factor_size = s.value_start[s.supernodes];
  // Out of core with a working storage that holds the whole factor (the
  // doubling often gets it there): the factor is computed there as in
  // memory, on every thread, and stays there. The solves find every panel
  // resident, so the files, which would only be written, stay empty.
  const bool whole_in_working =
      !in_core && static_cast<int64_t>(out_of_core_->working.size()) >= factor_size;
  if (!in_core && !whole_in_working) {
    // The placement of live panels follows the supernode order, so out of
    // core the tree is walked in that order; each supernode still shares
    // its row chunks among the threads, which keeps the numbers identical.
    OutOfCore& ooc = *out_of_core_;
    const PanelPlan& plan = ooc.plan;
    ooc.resident[0] = ooc.resident[1] = 0;
    ooc.kept_from.assign(s.supernodes, 0);
    base = ooc.working.data();
    offset = plan.offset.data();
    kept_from = ooc.kept_from.data();
    bool written = true;
    for (int t = 0; t < s.supernodes && !failed && written; ++t) {
      process(t, threads_, workspaces_.data());
      // Written as soon as it is final, so the files fill in order; its
      // space is reused as its rows retire and once its last target is
      // factored.
      if (!failed) written = ooc.store->write(s.value_start[t], panel(t), s.value_start[t + 1] - s.value_start[t]);
      // Retired rows leave: the rows kept move to the front of the panel's
      // place, column by column, each to a lower address than it had.
      for (int64_t k = plan.trim_start[t]; k < plan.trim_start[t + 1]; ++k) {
        const PanelTrim& trim = plan.trims[k];
        const int src = trim.supernode, rows = s.row_count(src);
        const int from_ld = rows - ooc.kept_from[src], to_ld = rows - trim.first_row;
        double* to = panel(src);
        const double* from = to + (trim.first_row - ooc.kept_from[src]);
        for (int j = 0; j < s.width(src); ++j)
          std::copy(from + static_cast<int64_t>(j) * from_ld, from + static_cast<int64_t>(j) * from_ld + to_ld,
                    to + static_cast<int64_t>(j) * to_ld);
        ooc.kept_from[src] = trim.first_row;
      }
    }
    if (written) return failed ? -1 : zeros.load();
    // The files failed us: factor in memory after all.
    if (!move_in_core()) return -1;
    std::fill(zero_pivot_.begin(), zero_pivot_.end(), 0);
    zeros = 0;
  }
  base = whole_in_working ? out_of_core_->working.data() : values_.data();
  offset = s.value_start.data();
  kept_from = nullptr;
  share_out(threads_, static_cast<int>(subtree_root_.size()), [&](int k, int h) {
    const int root = subtree_root_[k];
    for (int t = subtree_first_[root]; t <= root && !failed; ++t) process(t, 1, &workspaces_[h]);
  });
  for (int t : top_) {
    if (failed) break;
    process(t, threads_, workspaces_.data());
  }
  if (failed) return -1;
  if (whole_in_working) {
    out_of_core_->resident[0] = 0;
    out_of_core_->resident[1] = s.supernodes;
  }
  return zeros;
}

// Hands out supernode blocks in the order a solve visits them: straight
// from memory in core; out of core through the working array, refilled
// with the run of consecutive panels that follows (or, going backwards,
// precedes) the one asked for. The files keep the in-core layout, so a run
// is one read, and the backward pass starts with the run the forward pass
// ended on. The panels the array still holds carry over to the next solve;
// out of core, solves take turns.
class CholeskyFactor::BlockStream {
 public:
  explicit BlockStream(const CholeskyFactor& f) : s_(f.symbolic_) {
    if (!f.out_of_core_) {
      in_core_ = f.values_.data();
      return;
    }
    OutOfCore& ooc = *f.out_of_core_;
    turn_ = std::unique_lock<std::mutex>(ooc.solve_lock);
    store_ = ooc.store.get();
    buffer_ = ooc.working.data();
    buffer_size_ = static_cast<int64_t>(ooc.working.size());
    resident_ = ooc.resident;
    lo_ = resident_[0];
    hi_ = resident_[1];
  }
  ~BlockStream() {
    if (resident_) resident_[0] = lo_, resident_[1] = hi_;
  }
  BlockStream(const BlockStream&) = delete;
  BlockStream& operator=(const BlockStream&) = delete;

  void turn_back() { forward_ = false; }

  // Every panel at its place in one array, in memory or all held by the
  // working array: its start, from which threads may read at once.
  const double* all_panels() const {
    if (in_core_) return in_core_;
    return lo_ == 0 && hi_ == s_.supernodes ? buffer_ : nullptr;
  }

  const double* block(int t) {
    if (in_core_) return in_core_ + s_.value_start[t];
    if (t < lo_ || t >= hi_) load(t);
    return buffer_ + (s_.value_start[t] - s_.value_start[lo_]);
  }

 private:
  void load(int t) {
    const std::vector<int64_t>& at = s_.value_start;
    lo_ = t;
    hi_ = t + 1;
    if (forward_) {
      while (hi_ < s_.supernodes && at[hi_ + 1] - at[lo_] <= buffer_size_) ++hi_;
    } else {
      while (lo_ > 0 && at[hi_] - at[lo_ - 1] <= buffer_size_) --lo_;
    }
    // A failed read must not pass for a solution: NaN reaches the caller's
    // residual checks.
    if (!store_->read(at[lo_], buffer_, at[hi_] - at[lo_]))
      std::fill(buffer_, buffer_ + (at[hi_] - at[lo_]), std::numeric_limits<double>::quiet_NaN());
  }

  const SymbolicFactor& s_;
  const double* in_core_ = nullptr;
  std::unique_lock<std::mutex> turn_;
  const OutOfCoreStore* store_ = nullptr;
  double* buffer_ = nullptr;
  int64_t buffer_size_ = 0;
  int* resident_ = nullptr;
  bool forward_ = true;
  int lo_ = 0, hi_ = 0;  // supernodes in the buffer
};

void CholeskyFactor::solve(double* x) const {
  std::vector<double> work(symbolic_.rows);
  solve(x, work.data());
}

void CholeskyFactor::solve_many(double* x, int count) const {
  const int n = symbolic_.rows;
  if (n == 0 || count <= 0) return;
  const int chunks = (count + kRhsChunk - 1) / kRhsChunk;
  // Out of core the solves take turns over the panels anyway.
  const int team = out_of_core_ ? 1 : std::min(threads_, chunks);
  const SingleThreadedBlas blas;
  const SymbolicFactor& s = symbolic_;
  int max_below = 1;
  for (int t = 0; t < s.supernodes; ++t) max_below = std::max(max_below, s.row_count(t) - s.width(t));
  const int group = std::min(kRhsChunk, count);
  if (static_cast<int>(rhs_work_.size()) < team) rhs_work_.resize(team);
  for (int h = 0; h < team; ++h) {
    rhs_work_[h].rows.resize(static_cast<size_t>(n) * group);
    rhs_work_[h].below.resize(static_cast<size_t>(max_below) * group);
  }
  share_out(team, chunks, [&](int k, int h) {
    const int first = k * kRhsChunk;
    solve_chunk(x, count, first, std::min(kRhsChunk, count - first), rhs_work_[h]);
  });
}

// Right-hand sides [first, first + count) of the `stride` in x. They are
// held row by row in pivot order, so that gathering and scattering a
// supernode's rows moves contiguous runs and every kernel call covers all
// of them.
void CholeskyFactor::solve_chunk(double* x, int stride, int first_rhs, int count, RhsWork& work) const {
  const SymbolicFactor& s = symbolic_;
  const int n = s.rows;
  std::vector<double>& w = work.rows;
  std::vector<double>& below_values = work.below;
  auto row = [&](int k) { return w.data() + static_cast<size_t>(k) * count; };
  auto original = [&](int k) { return x + static_cast<size_t>(s.perm[k]) * stride + first_rhs; };
  for (int k = 0; k < n; ++k) std::copy_n(original(k), count, row(k));
  auto zero_pivot_rows = [&](int first, int width) {
    for (int k = first; k < first + width; ++k)
      if (zero_pivot_[k]) std::fill(row(k), row(k) + count, 0.0);
  };
  BlockStream blocks(*this);
  // Forward: L̃·Y = B. Held transposed, Yᵀ·L₁₁ᵀ = Bᵀ; the rows below then
  // take Yᵀ·L₂₁ᵀ.
  for (int t = 0; t < s.supernodes; ++t) {
    const int rows = s.row_count(t), width = s.width(t), first = s.first[t], below = rows - width;
    const double* block = blocks.block(t);
    const int* row_of = s.row_index.data() + s.row_start[t];
    if (width == 1) {
      // Most supernodes are single columns: plain loops beat kernel calls.
      double* pivot_row = row(first);
      const double scale = zero_pivot_[first] ? 0.0 : 1.0 / block[0];
      for (int c = 0; c < count; ++c) pivot_row[c] *= scale;
      for (int i = 1; i < rows; ++i) {
        double* target = row(row_of[i]);
        const double l = block[i];
        for (int c = 0; c < count; ++c) target[c] -= l * pivot_row[c];
      }
      continue;
    }
    cblas_dtrsm(CblasColMajor, CblasRight, CblasLower, CblasTrans, CblasNonUnit, count, width, 1.0, block, rows,
                row(first), count);
    zero_pivot_rows(first, width);
    if (below == 0) continue;
    cblas_dgemm(CblasColMajor, CblasNoTrans, CblasTrans, count, below, width, 1.0, row(first), count, block + width,
                rows, 0.0, below_values.data(), count);
    for (int i = 0; i < below; ++i) {
      double* target = row(row_of[width + i]);
      const double* update = below_values.data() + static_cast<size_t>(i) * count;
      for (int c = 0; c < count; ++c) target[c] -= update[c];
    }
  }
  for (int k = 0; k < n; ++k)
    if (sign_[k] < 0)
      for (int c = 0; c < count; ++c) row(k)[c] = -row(k)[c];
  // Backward: L̃ᵀ·X = S·Y, transposed Xᵀ·L₁₁ = (S·Y)ᵀ − (rows below)ᵀ·L₂₁.
  blocks.turn_back();
  for (int t = s.supernodes - 1; t >= 0; --t) {
    const int rows = s.row_count(t), width = s.width(t), first = s.first[t], below = rows - width;
    const double* block = blocks.block(t);
    const int* row_of = s.row_index.data() + s.row_start[t];
    if (width == 1) {
      double* pivot_row = row(first);
      for (int i = 1; i < rows; ++i) {
        const double* source = row(row_of[i]);
        const double l = block[i];
        for (int c = 0; c < count; ++c) pivot_row[c] -= l * source[c];
      }
      const double scale = zero_pivot_[first] ? 0.0 : 1.0 / block[0];
      for (int c = 0; c < count; ++c) pivot_row[c] *= scale;
      continue;
    }
    if (below > 0) {
      for (int i = 0; i < below; ++i)
        std::copy_n(row(row_of[width + i]), count, below_values.data() + static_cast<size_t>(i) * count);
      cblas_dgemm(CblasColMajor, CblasNoTrans, CblasNoTrans, count, width, below, -1.0, below_values.data(), count,
                  block + width, rows, 1.0, row(first), count);
    }
    cblas_dtrsm(CblasColMajor, CblasRight, CblasLower, CblasNoTrans, CblasNonUnit, count, width, 1.0, block, rows,
                row(first), count);
    zero_pivot_rows(first, width);
  }
  for (int k = 0; k < n; ++k) std::copy_n(row(k), count, original(k));
}

void CholeskyFactor::solve(double* x, double* work) const {
  const SymbolicFactor& s = symbolic_;
  const int n = s.rows;
  BlockStream blocks(*this);
  for (int k = 0; k < n; ++k) work[k] = x[s.perm[k]];
  // Per thread: the rows below a supernode, summed or gathered.
  auto scratch = [](int size) {
    thread_local std::vector<double> values;
    if (static_cast<int>(values.size()) < size) values.resize(static_cast<size_t>(size));
    return values.data();
  };
  // Forward, L̃·y = b: each supernode solves its diagonal block, then
  // subtracts its columns times the result from the rows below.
  auto forward = [&](int t, const double* block) {
    const int rows = s.row_count(t), width = s.width(t), first = s.first[t];
    const int* row_of = s.row_index.data() + s.row_start[t];
    double* xt = work + first;
    if (width == 1) {
      xt[0] = zero_pivot_[first] ? 0.0 : xt[0] / block[0];
      const double v = xt[0];
      if (v != 0.0)
        for (int i = 1; i < rows; ++i) work[row_of[i]] -= block[i] * v;
      return;
    }
    solve_lower(block, rows, width, xt);
    for (int k = 0; k < width; ++k)
      if (zero_pivot_[first + k]) xt[k] = 0.0;
    if (rows > width)
      subtract_rows_times(block + width, rows, width, rows - width, xt, row_of + width, work, scratch(rows - width));
  };
  // Backward, L̃ᵀ·x = S·y: each supernode takes the rows below, then solves
  // its diagonal block.
  auto backward = [&](int t, const double* block) {
    const int rows = s.row_count(t), width = s.width(t), first = s.first[t], below = rows - width;
    const int* row_of = s.row_index.data() + s.row_start[t];
    double* xt = work + first;
    if (below > 0) subtract_columns_dot(block + width, rows, width, below, work, row_of + width, xt, scratch(below));
    if (width == 1) {
      xt[0] = zero_pivot_[first] ? 0.0 : xt[0] / block[0];
      return;
    }
    solve_lower_transposed(block, rows, width, xt);
    for (int k = 0; k < width; ++k)
      if (zero_pivot_[first + k]) xt[k] = 0.0;
  };
  for (int t = 0; t < s.supernodes; ++t) forward(t, blocks.block(t));
  for (int k = 0; k < n; ++k)
    if (sign_[k] < 0) work[k] = -work[k];
  const double* panels = blocks.all_panels();
  if (panels && !subtree_root_.empty() && s.factor_nonzeros >= kThreadedSolveNonzeros) {
    // A supernode needs only the rows of its ancestors: those above the
    // subtrees first, then the subtrees side by side, each supernode doing
    // what it would on one thread. (Forward, the subtrees would all
    // subtract from the rows above them, and those rows cannot be shared
    // out without changing the order of the subtractions.)
    auto panel = [&](int t) { return panels + s.value_start[t]; };
    for (auto t = top_.rbegin(); t != top_.rend(); ++t) backward(*t, panel(*t));
    share_out(threads_, static_cast<int>(subtree_root_.size()), [&](int k, int) {
      const int root = subtree_root_[k];
      for (int t = root; t >= subtree_first_[root]; --t) backward(t, panel(t));
    });
  } else {
    blocks.turn_back();
    for (int t = s.supernodes - 1; t >= 0; --t) backward(t, blocks.block(t));
  }
  for (int k = 0; k < n; ++k) x[s.perm[k]] = work[k];
}

}  // namespace korva::barrier

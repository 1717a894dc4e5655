#include "io/lp/lp_builder.h"

#include <algorithm>
#include <cmath>

#include "env/channel.h"
#include "env/environment.h"
#include "io/indicator_kind.h"

namespace korva::lp {
namespace {

constexpr double kInf = 1e20;
constexpr int kRepeatLimit = 5;  // repeat messages per name list

struct ListInfo {
  char letter;
  const char* kind;  // for the repeat message
};
constexpr ListInfo kRowLists[3] = {{'c', "Row"}, {'u', "User cut"}, {'l', "Lazy constraint"}};

// Final names of one list: the labels from the file, and default names
// "%c%lld" for the unlabeled entries that avoid every label of the list.
// Repeats among the labels are reported (at most five per list).
class NameList {
 public:
  NameList(Environment& env, char letter, const char* kind)
      : env_(env), letter_(letter), kind_(kind) {}

  void add_label(std::string_view label) {
    bool added = false;
    used_.find_or_add(label, added);
    if (!added && ++repeats_ <= kRepeatLimit) {
      const std::string text(label);
      msg(env_.warning(), "%s '%s' repeats.\n", kind_, text.c_str());
    }
  }
  // Default name for position k (0-based) of the list.
  std::string default_name(int64_t k) {
    std::string name = letter_ + std::to_string(k + 1);
    if (used_.find(name) >= 0) {
      const std::string base = name + "_";
      for (int64_t m = 1; used_.find(name) >= 0; ++m) name = base + std::to_string(m);
    }
    bool added = false;
    used_.find_or_add(name, added);
    return name;
  }

 private:
  Environment& env_;
  char letter_;
  const char* kind_;
  NameTable used_;
  int repeats_ = 0;
};

// Names of a list whose entries carry (name, named): labels first, so that
// defaults can avoid all of them.
template <class List, class Get>
void name_entries(Environment& env, char letter, const char* kind, List& list, Get get) {
  NameList names(env, letter, kind);
  for (auto& e : list)
    if (get(e).second) names.add_label(*get(e).first);
  for (size_t k = 0; k < list.size(); ++k)
    if (!get(list[k]).second) *get(list[k]).first = names.default_name(static_cast<int64_t>(k));
}

}  // namespace

int Builder::column(std::string_view name) {
  bool added = false;
  const int64_t j = columns_.find_or_add(name, added);
  if (added) {
    lb_.push_back(0.0);
    ub_.push_back(kInf);
    stated_.push_back(0);
  }
  return static_cast<int>(j);
}

void Builder::merge_duplicates(std::vector<int>& idx, std::vector<double>& val) {
  if (mark_.size() < static_cast<size_t>(num_cols())) {
    mark_.resize(num_cols(), 0);
    slot_.resize(num_cols(), 0);
  }
  if (++stamp_ == 0) {  // wrapped: start the stamps afresh
    std::fill(mark_.begin(), mark_.end(), 0);
    stamp_ = 1;
  }
  size_t kept = 0;
  bool cancelled = false;
  for (size_t k = 0; k < idx.size(); ++k) {
    const int j = idx[k];
    if (mark_[j] == stamp_) {
      val[slot_[j]] += val[k];
      cancelled = cancelled || val[slot_[j]] == 0.0;
      continue;
    }
    mark_[j] = stamp_;
    slot_[j] = static_cast<int>(kept);
    idx[kept] = j;
    val[kept] = val[k];
    ++kept;
  }
  idx.resize(kept);
  val.resize(kept);
  if (cancelled) {  // x - x: the entry is gone, as if never written
    size_t out = 0;
    for (size_t k = 0; k < idx.size(); ++k)
      if (val[k] != 0.0) idx[out] = idx[k], val[out++] = val[k];
    idx.resize(out);
    val.resize(out);
  }
}

void Builder::commit_objective(bool keep_quadratic) {
  obj_idx_.insert(obj_idx_.end(), terms_idx_.begin(), terms_idx_.end());
  obj_val_.insert(obj_val_.end(), terms_val_.begin(), terms_val_.end());
  if (keep_quadratic) qobj_.insert(qobj_.end(), quad_.begin(), quad_.end());
  clear_expression();
}

void Builder::commit_row(RowKind kind, std::string_view label, bool labeled, char sense,
                         double rhs) {
  merge_duplicates(terms_idx_, terms_val_);
  RowList& list = lists_[static_cast<int>(kind)];
  list.index.insert(list.index.end(), terms_idx_.begin(), terms_idx_.end());
  list.value.insert(list.value.end(), terms_val_.begin(), terms_val_.end());
  list.begin.push_back(static_cast<int64_t>(list.index.size()));
  list.rhs.push_back(rhs);
  list.sense.push_back(sense);
  list.label.push_back(labeled ? list.labels.add(label, false) : -1);
  clear_expression();
}

void Builder::commit_qconstraint(std::string_view label, bool labeled, char sense, double rhs) {
  merge_duplicates(terms_idx_, terms_val_);
  StagedQConstraint q;
  q.linind = terms_idx_;
  q.linval = terms_val_;
  q.quad = quad_;
  q.sense = sense;
  q.rhs = rhs;
  q.name.assign(label);
  q.named = labeled;
  qcons_.push_back(std::move(q));
  clear_expression();
}

void Builder::commit_indicator(std::string_view label, bool labeled, int column, int kind,
                               char sense, double rhs) {
  merge_duplicates(terms_idx_, terms_val_);
  StagedIndicator ic;
  ic.column = column;
  ic.kind = kind;
  ic.linind = terms_idx_;
  ic.linval = terms_val_;
  ic.sense = sense;
  ic.rhs = rhs;
  ic.name.assign(label);
  ic.named = labeled;
  indicators_.push_back(std::move(ic));
  clear_expression();
}

void Builder::begin_sos(std::string_view label, bool labeled, char type) {
  StagedSos s;
  s.type = type;
  s.name.assign(label);
  s.named = labeled;
  sos_.push_back(std::move(s));
}

Builder::Checkpoint Builder::checkpoint() const {
  Checkpoint c{};
  c.cols = num_cols();
  c.obj = static_cast<int64_t>(obj_idx_.size());
  c.qobj = static_cast<int64_t>(qobj_.size());
  for (int k = 0; k < 3; ++k) {
    c.rows[k] = lists_[k].rows();
    c.nnz[k] = static_cast<int64_t>(lists_[k].index.size());
    c.labels[k] = lists_[k].labels.size();
  }
  c.qcons = static_cast<int64_t>(qcons_.size());
  c.indicators = static_cast<int64_t>(indicators_.size());
  c.types = static_cast<int64_t>(types_.size());
  c.sos = static_cast<int64_t>(sos_.size());
  c.sos_members = sos_.empty() ? 0 : static_cast<int64_t>(sos_.back().index.size());
  return c;
}

void Builder::rollback(const Checkpoint& c) {
  columns_.truncate(c.cols);
  lb_.resize(c.cols);
  ub_.resize(c.cols);
  stated_.resize(c.cols);
  obj_idx_.resize(c.obj);
  obj_val_.resize(c.obj);
  qobj_.resize(c.qobj);
  for (int k = 0; k < 3; ++k) {
    RowList& l = lists_[k];
    l.begin.resize(c.rows[k] + 1);
    l.rhs.resize(c.rows[k]);
    l.sense.resize(c.rows[k]);
    l.label.resize(c.rows[k]);
    l.index.resize(c.nnz[k]);
    l.value.resize(c.nnz[k]);
    l.labels.truncate(c.labels[k]);
  }
  qcons_.resize(c.qcons);
  indicators_.resize(c.indicators);
  types_.resize(c.types);
  sos_.resize(c.sos);
  if (!sos_.empty()) {
    sos_.back().index.resize(c.sos_members);
    sos_.back().weight.resize(c.sos_members);
  }
  clear_expression();
}

int64_t Builder::rows_total() const { return lists_[0].rows(); }

int Builder::finish(ReaderArrays& out, bool with_types) {
  const int n = num_cols();
  out.objsense = objsense_;
  out.objname = objname_.empty() ? "obj" : objname_;
  // Columns in order of first appearance.
  out.col_names.clear();
  out.col_names.reserve(n);
  for (int j = 0; j < n; ++j) out.col_names.push_back(columns_.name(j));
  out.obj.assign(n, 0.0);
  for (size_t k = 0; k < obj_idx_.size(); ++k) out.obj[obj_idx_[k]] += obj_val_[k];
  out.lb = lb_;
  out.ub = ub_;

  // Variable types, in file order.
  if (with_types && !types_.empty()) {
    out.ctype.assign(n, 'C');
    bool warned = false;
    for (const TypeDecl& d : types_) {
      char& t = out.ctype[d.col];
      double& lo = out.lb[d.col];
      double& up = out.ub[d.col];
      switch (d.section) {
        case TypeSection::kGeneral:
          t = t == 'S' ? 'N' : 'I';
          break;
        case TypeSection::kSemi:
          t = t == 'I' ? 'N' : 'S';
          break;
        case TypeSection::kInteger:
          if (stated_[d.col]) {
            t = lo == 0.0 && up == 1.0 ? 'B' : 'I';
          } else {
            up = 1.0;
            t = 'B';
          }
          break;
        case TypeSection::kBinary: {
          t = 'B';
          if (!stated_[d.col]) {
            lo = 0.0;
            up = 1.0;
            break;
          }
          const bool fixed01 = lo == up && (std::fabs(lo) <= 1e-10 || std::fabs(lo - 1.0) <= 1e-10);
          if (!fixed01 && !(lo == 0.0 && up == 1.0) && !warned) {
            msg(env_.warning(), "Warning:  Binary variables declared with bounds other than 0 and 1.\n");
            warned = true;
          }
          break;
        }
      }
    }
  }

  // Rows: the matrix goes column-major, rows in file order inside a column.
  RowList& rows = lists_[0];
  const int64_t m = rows.rows();
  out.rhs = rows.rhs;
  out.sense = rows.sense;
  out.range.clear();
  {
    NameList names(env_, 'c', kRowLists[0].kind);
    out.row_names.clear();
    out.row_names.reserve(static_cast<size_t>(m));
    for (int64_t i = 0; i < m; ++i)
      if (rows.label[i] >= 0) names.add_label(rows.labels.name(rows.label[i]));
    for (int64_t i = 0; i < m; ++i) {
      if (rows.label[i] >= 0)
        out.row_names.push_back(rows.labels.name(rows.label[i]));
      else
        out.row_names.push_back(names.default_name(i));
    }
  }
  out.matcnt.assign(n, 0);
  for (int j : rows.index) ++out.matcnt[j];
  out.matbeg.resize(n);
  int64_t pos = 0;
  for (int j = 0; j < n; ++j) out.matbeg[j] = pos, pos += out.matcnt[j];
  out.matind.resize(pos);
  out.matval.resize(pos);
  {
    std::vector<int64_t> next(out.matbeg);
    for (int64_t i = 0; i < m; ++i) {
      for (int64_t k = rows.begin[i]; k < rows.begin[i + 1]; ++k) {
        const int64_t p = next[rows.index[k]]++;
        out.matind[p] = static_cast<int>(i);
        out.matval[p] = rows.value[k];
      }
    }
  }
  std::vector<int>().swap(rows.index);
  std::vector<double>().swap(rows.value);

  // User cuts and lazy constraints.
  for (int kind = 1; kind <= 2; ++kind) {
    RowList& l = lists_[kind];
    ReaderRowPool& pool = kind == 1 ? out.user_cuts : out.lazy_constraints;
    pool.rhs = l.rhs;
    pool.sense = l.sense;
    pool.begin.assign(l.begin.begin(), l.begin.end() - 1);
    pool.index = l.index;
    pool.value = l.value;
    NameList names(env_, kRowLists[kind].letter, kRowLists[kind].kind);
    for (int64_t i = 0; i < l.rows(); ++i)
      if (l.label[i] >= 0) names.add_label(l.labels.name(l.label[i]));
    pool.names.resize(l.rows());
    for (int64_t i = 0; i < l.rows(); ++i)
      pool.names[i] = l.label[i] >= 0 ? std::string(l.labels.name(l.label[i]))
                                      : names.default_name(i);
  }

  // Quadratic objective as the full symmetric matrix.
  out.qmatbeg.clear();
  out.qmatcnt.clear();
  out.qmatind.clear();
  out.qmatval.clear();
  if (!qobj_.empty()) {
    std::vector<QuadTerm> q;
    q.reserve(qobj_.size() * 2);
    for (const QuadTerm& t : qobj_) {
      if (t.i == t.j) {
        q.push_back(t);
      } else {
        q.push_back({t.i, t.j, t.v / 2});
        q.push_back({t.j, t.i, t.v / 2});
      }
    }
    std::sort(q.begin(), q.end(), [](const QuadTerm& a, const QuadTerm& b) {
      return a.j != b.j ? a.j < b.j : a.i < b.i;
    });
    out.qmatbeg.assign(n, 0);
    out.qmatcnt.assign(n, 0);
    size_t k = 0;
    for (int j = 0; j < n; ++j) {
      out.qmatbeg[j] = static_cast<int64_t>(out.qmatind.size());
      while (k < q.size() && q[k].j == j) {
        const int i = q[k].i;
        double v = 0.0;
        while (k < q.size() && q[k].j == j && q[k].i == i) v += q[k++].v;
        if (v != 0.0) {
          out.qmatind.push_back(i);
          out.qmatval.push_back(v);
          ++out.qmatcnt[j];
        }
      }
    }
  }

  // Quadratic constraints.
  name_entries(env_, 'q', "Quadratic constraint", qcons_,
               [](StagedQConstraint& q) { return std::pair(&q.name, q.named); });
  out.qconstraints.clear();
  for (StagedQConstraint& s : qcons_) {
    ReaderQConstraint q;
    q.linind = std::move(s.linind);
    q.linval = std::move(s.linval);
    for (const QuadTerm& t : s.quad) {
      q.quadrow.push_back(t.i);
      q.quadcol.push_back(t.j);
      q.quadval.push_back(t.v);
    }
    q.sense = s.sense;
    q.rhs = s.rhs;
    q.name = std::move(s.name);
    out.qconstraints.push_back(std::move(q));
  }

  // Indicator constraints.
  name_entries(env_, 'i', "Indicator constraint", indicators_,
               [](StagedIndicator& c) { return std::pair(&c.name, c.named); });
  out.indicators.clear();
  for (StagedIndicator& s : indicators_) {
    ReaderIndicator ic;
    ic.indicator = s.column;
    ic.complemented = encode_indicator_kind(s.kind);
    ic.linind = std::move(s.linind);
    ic.linval = std::move(s.linval);
    ic.sense = s.sense;
    ic.rhs = s.rhs;
    ic.name = std::move(s.name);
    out.indicators.push_back(std::move(ic));
  }

  // Special ordered sets.
  name_entries(env_, 's', "SOS", sos_, [](StagedSos& s) { return std::pair(&s.name, s.named); });
  out.sos.clear();
  if (with_types) {
    for (StagedSos& s : sos_) {
      ReaderSos r;
      r.type = s.type;
      r.name = std::move(s.name);
      r.indices = std::move(s.index);
      r.weights = std::move(s.weight);
      out.sos.push_back(std::move(r));
    }
  }
  return 0;
}

}  // namespace korva::lp

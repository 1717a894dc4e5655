// The LP writer's sections, in file order: header, objective, constraints
// (rows, quadratic constraints, indicators), user cuts, lazy constraints,
// bounds, column types, sets, End.
#include "io/lp/lp_writer.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "env/channel.h"
#include "env/environment.h"
#include "env/error_codes.h"
#include "env/errors.h"
#include "io/lp/lp_line_builder.h"
#include "io/lp/lp_writer_names.h"
#include "io/model_view.h"
#include "io/number_format.h"
#include "io/stream.h"

namespace korva::lp {
namespace {

constexpr int kNotRepresentable = 1650;
constexpr double kInf = 1e20;

class Writer {
 public:
  Writer(Environment& env, ModelView& view, LineBuilder& out, NameMode mode)
      : env_(env), view_(view), out_(out), mode_(mode) {}

  int write(const char* encoding);
  // One section for a display channel, under the names the file would use.
  void display(DisplayPart part);

 private:
  // `announce`: say on the warning channel when names were rewritten (a
  // file; a display says nothing).
  void prepare_names(bool announce);
  void warn_default_names();
  void header(const char* encoding);
  void objective();
  void constraints();
  void pools();
  void bounds();
  void types();
  void sets();

  // A number as text (sign included); remembers unrepresentable ones.
  std::string_view num(double v);
  // Appends a linear term: first terms carry no '+', coefficients near 1
  // are left out.
  void term(double coef, std::string_view name, bool& first);
  void quad_term(double coef, std::string_view a, std::string_view b, bool& first);
  void sense_rhs(char sense, double rhs);
  void row(std::string_view name, const int* idx, const double* val, int64_t n, char sense,
           double rhs, std::string_view extra_name = {}, double extra_coef = 0.0);
  int objective_prefix() const;

  Environment& env_;
  ModelView& view_;
  LineBuilder& out_;
  NameMode mode_;
  int status_ = 0;
  char number_[kNumberTextSize];
  std::string piece_;
  NameList cols_, rows_, sos_, qcons_, inds_, cuts_, lazy_;
  std::string objname_;
  std::vector<std::string> range_cols_;  // "Rg" + row name, per ranged row ("" otherwise)
};

std::string_view Writer::num(double v) {
  bool ok = true;
  const size_t n = format_number(v, number_, ok);
  if (!ok && status_ == 0) status_ = kNotRepresentable;
  return {number_, n};
}

void Writer::term(double coef, std::string_view name, bool& first) {
  piece_.clear();
  if (coef < 0) piece_ += " -";
  else if (!first) piece_ += " +";
  const double a = std::fabs(coef);
  if (std::fabs(a - 1.0) > 1e-13) {
    piece_ += ' ';
    piece_ += num(a);
  }
  piece_ += ' ';
  piece_ += name;
  out_.piece(piece_);
  first = false;
}

void Writer::quad_term(double coef, std::string_view a, std::string_view b, bool& first) {
  piece_.clear();
  if (coef < 0) piece_ += " -";
  else if (!first) piece_ += " +";
  const double m = std::fabs(coef);
  if (std::fabs(m - 1.0) > 1e-13) {
    piece_ += ' ';
    piece_ += num(m);
  }
  piece_ += ' ';
  piece_ += a;
  if (b.empty()) {
    piece_ += " ^2";
  } else {
    piece_ += " * ";
    piece_ += b;
  }
  out_.piece(piece_);
  first = false;
}

void Writer::sense_rhs(char sense, double rhs) {
  piece_ = sense == 'L' ? " <= " : sense == 'G' ? " >= " : sense == 'E' || sense == 'R' ? "  = " : "  ? ";
  piece_ += num(rhs);
  out_.piece(piece_);
}

void Writer::row(std::string_view name, const int* idx, const double* val, int64_t n, char sense,
                 double rhs, std::string_view extra_name, double extra_coef) {
  std::string head = " ";
  head += name;
  head += ':';
  out_.start(head, name.size() + 2);
  bool first = true;
  for (int64_t k = 0; k < n; ++k) term(val[k], cols_[idx[k]], first);
  if (!extra_name.empty()) term(extra_coef, extra_name, first);
  if (first && view_.num_cols() > 0) term(0.0, cols_[0], first);  // an empty row still reads as one
  sense_rhs(sense, rhs);
  out_.end_line();
}

// ---- names ----------------------------------------------------------------------

std::string bound_text(double v) {
  if (v <= -kInf) return "-Inf";
  if (v >= kInf) return "Inf";
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
  std::string out;
  for (const char* p = buf; p < r.ptr; ++p) {
    if (*p == '+') continue;
    out.push_back(*p == '-' ? '~' : *p);
  }
  return out.substr(0, 13);
}

void Writer::prepare_names(bool announce) {
  const bool conform = mode_ == NameMode::kOwn && env_.int_param(kNameConformityParam) != 0;
  bool rewritten = false;
  const int n = view_.num_cols();
  if (mode_ == NameMode::kAnnotated) {
    cols_.assign(n, [&](size_t j) {
      char buf[96];
      const char type = view_.has_types() ? view_.ctype(static_cast<int>(j)) : 'C';
      std::snprintf(buf, sizeof buf, "%c%lld(%s,%s)", type, static_cast<long long>(j + 1),
                    bound_text(view_.lower(static_cast<int>(j))).c_str(),
                    bound_text(view_.upper(static_cast<int>(j))).c_str());
      return std::string(buf);
    }, false);
  } else {
    rewritten |= cols_.assign(n, [&](size_t j) { return view_.col_name(static_cast<int>(j)); }, conform);
  }
  rewritten |= rows_.assign(view_.num_rows(), [&](size_t i) { return view_.row_name(static_cast<int>(i)); }, conform);
  rewritten |= qcons_.assign(view_.num_qconstraints(), [&](size_t k) { return view_.qconstraint_name(static_cast<int>(k)); }, conform);
  rewritten |= inds_.assign(view_.num_indicators(), [&](size_t k) { return view_.indicator_name(static_cast<int>(k)); }, conform);
  rewritten |= cuts_.assign(view_.pool_rows(0), [&](size_t k) { return view_.pool_row_name(0, static_cast<int>(k)); }, conform);
  rewritten |= lazy_.assign(view_.pool_rows(1), [&](size_t k) { return view_.pool_row_name(1, static_cast<int>(k)); }, conform);
  rewritten |= sos_.assign(view_.num_sos(), [&](size_t k) { return view_.sos_name(static_cast<int>(k)); }, conform);
  // The objective's label is read back like the others.
  objname_ = view_.objective_name();
  if (conform && !objname_.empty() && needs_conformity(objname_)) {
    objname_ = conforming_name(objname_, 0);
    rewritten = true;
  }
  if (rewritten && announce)
    msg(env_.warning(), "Warning:  Output names have been modified to conform to LP format.\n");
  range_cols_.assign(view_.has_ranges() ? view_.num_rows() : 0, std::string());
  for (int i = 0; i < static_cast<int>(range_cols_.size()); ++i)
    if (view_.sense(i) == 'R') range_cols_[i] = "Rg" + std::string(rows_[i]);
}

void Writer::warn_default_names() {
  if (mode_ != NameMode::kAnnotated && view_.num_cols() > 0 && !view_.col_names_stored() &&
      !view_.col_provider())
    msg(env_.warning(), "Default variable names x1, x2 ... being created.\n");
  if (view_.num_rows() > 0 && !view_.row_names_stored() && !view_.row_provider())
    msg(env_.warning(), "Default row names c1, c2 ... being created.\n");
  if (view_.num_sos() > 0 && !view_.sos_names_stored())
    msg(env_.warning(), "Default sos names s1, s2 ... being created.\n");
  if (view_.num_qconstraints() > 0 && !view_.qconstraint_names_stored())
    msg(env_.warning(), "Default quadratic constraint names q1, q2 ... being created.\n");
  if (view_.num_indicators() > 0 && !view_.indicator_names_stored())
    msg(env_.warning(), "Default indicator names i1, i2 ... being created.\n");
  if (view_.pool_rows(0) > 0 && !view_.pool_names_stored(0))
    msg(env_.warning(), "Default user cut names u1, u2 ... being created.\n");
  if (view_.pool_rows(1) > 0 && !view_.pool_names_stored(1))
    msg(env_.warning(), "Default lazy constraint names l1, l2 ... being created.\n");
}

// ---- sections -------------------------------------------------------------------

void Writer::header(const char* encoding) {
  char line[1024];
  std::snprintf(line, sizeof line, "\\ENCODING=%s\n", encoding);
  out_.text(line);
  // The name is cut at a character boundary first, so that the precision
  // of the format never splits a UTF-8 sequence.
  const std::string name(cut_name(view_.problem_name()));
  std::snprintf(line, sizeof line, "\\Problem name: %.255s\n\n", name.c_str());
  out_.text(line);
}

// The reader numbers columns by first appearance. The objective lists
// columns 0 .. m-1 (with zero coefficients where needed) so that the file
// reads back with the columns in their order: m covers every column with an
// objective coefficient, and, unless the rows then name the remaining
// columns in increasing order, all columns.
int Writer::objective_prefix() const {
  const int n = view_.num_cols();
  // Range columns appear in the rows; listing every column first keeps them
  // behind the problem's own columns.
  for (const std::string& rg : range_cols_)
    if (!rg.empty()) return n;
  int m = 0;
  for (int j = 0; j < n; ++j)
    if (view_.obj(j) != 0.0 || (view_.has_quadratic() && view_.quad_column(j).size() > 0))
      m = j + 1;
  if (m == n) return m;
  int expect = m;
  auto see = [&](int j) {
    if (j < expect) return true;
    if (j == expect) return ++expect, true;
    return false;
  };
  const RowCopy& rc = view_.rows();
  for (int i = 0; i < view_.num_rows(); ++i)
    for (int64_t k = rc.begin[i]; k < rc.begin[i + 1]; ++k)
      if (!see(rc.index[k])) return n;
  for (int q = 0; q < view_.num_qconstraints(); ++q) {
    const QuadConstraint& c = view_.qconstraint(q);
    for (int j : c.linind) if (!see(j)) return n;
    for (size_t k = 0; k < c.quadrow.size(); ++k)
      if (!see(c.quadrow[k]) || !see(c.quadcol[k])) return n;
  }
  for (int q = 0; q < view_.num_indicators(); ++q) {
    const IndicatorConstraint& c = view_.indicator(q);
    if (!see(c.indicator)) return n;
    for (int j : c.linind) if (!see(j)) return n;
  }
  for (int kind = 0; kind < 2; ++kind)
    if (const RowPool* p = view_.pool(kind))
      for (int j : p->index) if (!see(j)) return n;
  return expect == n ? m : n;
}

void Writer::objective() {
  out_.text(view_.objsense() < 0 ? "Maximize\n" : "Minimize\n");
  const std::string& name = objname_;
  if (name.empty()) {
    out_.start(" obj:", 5);
  } else {
    const std::string_view cut = cut_name(name);
    out_.start(" " + std::string(cut) + ":", cut.size() + 2);
  }
  const int m = objective_prefix();
  bool first = true;
  for (int j = 0; j < view_.num_cols(); ++j)
    if (j < m || view_.obj(j) != 0.0) term(view_.obj(j), cols_[j], first);
  if (view_.has_quadratic()) {
    out_.piece(" + [");
    bool qfirst = true;
    for (int j = 0; j < view_.num_cols(); ++j) {
      const SparseSpan col = view_.quad_column(j);
      for (int k = 0; k < col.size(); ++k) {
        const int i = col.index[k];
        if (i > j) continue;  // each pair once, from the upper triangle
        if (i == j) quad_term(col.value[k], cols_[j], {}, qfirst);
        else quad_term(2 * col.value[k], cols_[i], cols_[j], qfirst);
      }
    }
    out_.piece(" ] / 2");
  }
  out_.end_line();
}

void Writer::constraints() {
  if (view_.num_rows() == 0 && view_.num_qconstraints() == 0 && view_.num_indicators() == 0)
    return;
  out_.text("Subject To\n");
  const RowCopy& rc = view_.rows();
  for (int i = 0; i < view_.num_rows(); ++i) {
    const int64_t b = rc.begin[i];
    const char sense = view_.sense(i);
    if (sense == 'R') {
      // rhs <= a.x <= rhs + r as a.x - Rg = rhs with Rg between 0 and r.
      row(rows_[i], rc.index.data() + b, rc.value.data() + b, rc.begin[i + 1] - b, 'E',
          view_.rhs(i), range_cols_[i], -1.0);
    } else {
      row(rows_[i], rc.index.data() + b, rc.value.data() + b, rc.begin[i + 1] - b, sense,
          view_.rhs(i));
    }
  }
  for (int q = 0; q < view_.num_qconstraints(); ++q) {
    const QuadConstraint& c = view_.qconstraint(q);
    std::string head = " " + std::string(qcons_[q]) + ":";
    out_.start(head, qcons_[q].size() + 2);
    bool first = true;
    for (size_t k = 0; k < c.linind.size(); ++k) term(c.linval[k], cols_[c.linind[k]], first);
    out_.piece(" [");
    bool qfirst = true;
    for (size_t k = 0; k < c.quadrow.size(); ++k) {
      const int i = c.quadrow[k], j = c.quadcol[k];
      if (i == j) quad_term(c.quadval[k], cols_[i], {}, qfirst);
      else quad_term(c.quadval[k], cols_[i], cols_[j], qfirst);
    }
    out_.piece(" ]");
    sense_rhs(c.sense, c.rhs);
    out_.end_line();
  }
  for (int q = 0; q < view_.num_indicators(); ++q) {
    const IndicatorConstraint& c = view_.indicator(q);
    const int kind = view_.indicator_kind(q);
    std::string head = " " + std::string(inds_[q]) + ":";
    out_.start(head, inds_[q].size() + 2);
    const int k = kind < 0 ? -kind : kind;
    piece_ = " ";
    piece_ += cols_[c.indicator];
    piece_ += kind < 0 ? " = 0 " : " = 1 ";
    piece_ += k == 1 ? "->" : k == 2 ? "<-" : k == 3 ? "<->" : "?";
    out_.piece(piece_);
    bool first = true;
    for (size_t t = 0; t < c.linind.size(); ++t) term(c.linval[t], cols_[c.linind[t]], first);
    if (first && view_.num_cols() > 0) term(0.0, cols_[0], first);
    sense_rhs(c.sense, c.rhs);
    out_.end_line();
  }
}

void Writer::pools() {
  for (int kind = 0; kind < 2; ++kind) {
    const RowPool* p = view_.pool(kind);
    if (!p || p->num_rows() == 0) continue;
    out_.text(kind == 0 ? "User Cuts\n" : "Lazy Constraints\n");
    const NameList& names = kind == 0 ? cuts_ : lazy_;
    for (int r = 0; r < p->num_rows(); ++r) {
      const int64_t b = p->begin[r];
      row(names[r], p->index.data() + b, p->value.data() + b, p->begin[r + 1] - b, p->sense[r],
          p->rhs[r]);
    }
  }
}

void Writer::bounds() {
  const int n = view_.num_cols();
  bool any = false;
  for (int j = 0; j < n && !any; ++j) any = view_.lower(j) != 0.0 || view_.upper(j) < kInf;
  for (int i = 0; i < static_cast<int>(range_cols_.size()) && !any; ++i)
    any = !range_cols_[i].empty();
  if (!any) return;
  out_.text("Bounds\n");
  std::string line;
  auto write_bound = [&](std::string_view name, double lo, double up, char type) {
    const bool integer = type == 'I' || type == 'B';
    if (lo == 0.0 && up >= kInf && !integer) return;
    line.clear();
    if (lo <= -kInf && up >= kInf) {
      line.append(6, ' ').append(name).append(" Free");
    } else if (up >= kInf && type == 'B') {
      line.append(lo < 0 ? "-" : " ").append(num(std::fabs(lo))).append(" <= ").append(name).append(" <= Inf");
    } else if (up >= kInf) {
      line.append(6, ' ').append(name).append(" >= ").append(num(lo));
    } else if (lo <= -kInf) {
      line.append(" -Inf <= ").append(name).append(" <= ").append(num(up));
    } else if (lo == up) {
      line.append(6, ' ').append(name).append(" = ").append(num(lo));
    } else {
      line.append(lo < 0 ? "-" : " ").append(num(std::fabs(lo))).append(" <= ").append(name);
      line.append(" <= ").append(num(up));
    }
    line.push_back('\n');
    out_.text(line);
  };
  for (int j = 0; j < n; ++j) write_bound(cols_[j], view_.lower(j), view_.upper(j), view_.ctype(j));
  for (int i = 0; i < static_cast<int>(range_cols_.size()); ++i) {
    if (range_cols_[i].empty()) continue;
    const double r = view_.range(i);
    write_bound(range_cols_[i], r >= 0 ? 0.0 : r, r >= 0 ? r : 0.0, 'C');
  }
}

void Writer::types() {
  if (!view_.has_types()) return;
  struct Heading {
    const char* title;
    char a, b;
  };
  const Heading headings[] = {{"Binaries\n", 'B', 'B'}, {"Generals\n", 'I', 'N'},
                              {"Semi-Continuous\n", 'S', 'N'}};
  for (const Heading& h : headings) {
    bool any = false;
    for (int j = 0; j < view_.num_cols(); ++j) {
      const char t = view_.ctype(j);
      if (t != h.a && t != h.b) continue;
      if (!any) out_.text(h.title), out_.start({}, 0), any = true;
      piece_ = " ";
      piece_ += cols_[j];
      out_.piece(piece_);
    }
    if (any) out_.end_line();
  }
}

void Writer::sets() {
  if (view_.num_sos() == 0) return;
  out_.text("SOS\n");
  for (int k = 0; k < view_.num_sos(); ++k) {
    const SosSet& s = view_.sos(k);
    std::string head = " " + std::string(sos_[k]) + ": S" + s.type + " ::";
    out_.start(head, 2);
    for (size_t m = 0; m < s.indices.size(); ++m) {
      piece_ = " ";
      piece_ += cols_[s.indices[m]];
      piece_ += " : ";
      piece_ += num(s.weights[m]);
      out_.piece(piece_);
    }
    out_.end_line();
  }
}

void Writer::display(DisplayPart part) {
  prepare_names(false);
  switch (part) {
    case DisplayPart::kObjective: objective(); break;
    case DisplayPart::kConstraints:
      if (view_.num_rows() == 0 && view_.num_qconstraints() == 0 && view_.num_indicators() == 0)
        out_.text("There are no constraints.\n");
      else
        constraints();
      break;
    case DisplayPart::kBounds: bounds(); break;
    case DisplayPart::kTypes: types(); break;
    case DisplayPart::kSets: sets(); break;
  }
  out_.flush();
}

int Writer::write(const char* encoding) {
  prepare_names(true);
  warn_default_names();
  header(encoding);
  objective();
  constraints();
  pools();
  bounds();
  types();
  sets();
  out_.text("End\n");
  const int io = out_.flush();
  return io ? io : status_;
}

}  // namespace

int write_lp(Environment& env, Problem& lp, const char* filename, NameMode mode) {
  ModelView view(env, lp, mode != NameMode::kOwn);
  if (int status = view.status()) return status;
  StreamOptions options;
  options.mode = "w";
  options.allow_compression = true;
  std::unique_ptr<FileStream> stream;
  if (int status = FileStream::open(env, filename, options, stream)) return status;
  int status = 0;
  {
    LineBuilder out(*stream);
    Writer writer(env, view, out, mode);
    status = writer.write(stream->encoding_name());
  }
  return FileStream::close(env, stream, status);
}

int display_part(Environment& env, Problem& lp, Channel& channel, DisplayPart part) {
  ModelView view(env, lp, false);
  if (int status = view.status()) return status;
  LineBuilder out(channel);
  Writer writer(env, view, out, NameMode::kOwn);
  writer.display(part);
  return 0;
}

}  // namespace korva::lp

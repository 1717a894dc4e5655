// The MPS writer's QMATRIX, QCMATRIX, SOS and INDICATORS sections.
#include <algorithm>
#include <cstdlib>

#include "io/mps/mps_writer.h"

namespace korva::mps {
namespace {

// Codes of the indicator kinds 1 (->), 2 (<-) and 3 (<->).
const char* kind_code(int kind) {
  switch (std::abs(kind)) {
    case 1: return "IF";
    case 2: return "OI";
    case 3: return "FF";
    default: return "??";
  }
}

}  // namespace

void Writer::write_quadratic() {
  if (!view_.has_quadratic()) return;
  // The problem keeps the full symmetric matrix, which is what QMATRIX holds.
  out_.text("QMATRIX").end_line();
  for (int j = 0; j < view_.num_cols(); ++j) {
    const SparseSpan entries = view_.quad_column(j);
    for (int k = 0; k < entries.size(); ++k)
      out_.text("    ")
          .padded(column(entries.index[k]), column_width_)
          .text("  ")
          .padded(column(j), column_width_)
          .text("  ")
          .number(objective_sign_ * entries.value[k])
          .end_line();
  }
}

void Writer::write_qconstraints() {
  struct Entry {
    int row, column;
    double value;
  };
  std::vector<Entry> entries;
  for (int k = 0; k < view_.num_qconstraints(); ++k) {
    const QuadConstraint& qc = view_.qconstraint(k);
    out_.text("QCMATRIX   ").text(writable_name(qc_rows_[k].name)).end_line();
    // The section holds the symmetric matrix Q of x'Qx: a term v·x_i·x_j
    // (i != j) is v/2 at (i, j) and at (j, i), halves the reader adds back
    // exactly.
    entries.clear();
    for (size_t t = 0; t < qc.quadval.size(); ++t) {
      const int i = qc.quadrow[t], j = qc.quadcol[t];
      const double v = qc.quadval[t];
      if (i == j) {
        entries.push_back({i, j, v});
      } else {
        entries.push_back({i, j, 0.5 * v});
        entries.push_back({j, i, 0.5 * v});
      }
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
      return a.column != b.column ? a.column < b.column : a.row < b.row;
    });
    for (size_t t = 0; t < entries.size();) {
      Entry e = entries[t++];
      while (t < entries.size() && entries[t].row == e.row && entries[t].column == e.column)
        e.value += entries[t++].value;
      out_.text("    ")
          .padded(column(e.row), column_width_)
          .text("  ")
          .padded(column(e.column), column_width_)
          .text("  ")
          .number(e.value)
          .end_line();
    }
  }
}

void Writer::write_sos() {
  if (view_.num_sos() == 0) return;
  out_.text("SOS").end_line();
  for (int k = 0; k < view_.num_sos(); ++k) {
    const SosSet& set = view_.sos(k);
    const char header[5] = {' ', 'S', set.type, ' ', '\0'};
    out_.text(header).text(writable_name(sos_names_[k])).end_line();
    for (size_t m = 0; m < set.indices.size(); ++m)
      out_.text("    ")
          .padded(column(set.indices[m]), column_width_)
          .text("  ")
          .number(set.weights[m])
          .end_line();
  }
}

void Writer::write_indicators() {
  if (view_.num_indicators() == 0) return;
  out_.text("INDICATORS").end_line();
  for (int k = 0; k < view_.num_indicators(); ++k) {
    const int kind = view_.indicator_kind(k);
    // A complemented indicator (negative kind) triggers at 0.
    out_.text(" ")
        .text(kind_code(kind))
        .text(" ")
        .padded(indicator_rows_[k].name, row_width_)
        .text("  ")
        .padded(column(view_.indicator(k).indicator), column_width_)
        .text("  ")
        .number(kind < 0 ? 0.0 : 1.0)
        .end_line();
  }
}

}  // namespace korva::mps

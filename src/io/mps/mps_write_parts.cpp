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
  out_.format("QMATRIX\n");
  for (int j = 0; j < view_.num_cols(); ++j) {
    const SparseSpan entries = view_.quad_column(j);
    for (int k = 0; k < entries.size(); ++k)
      out_.format("    %.255s  %.255s  %s\n", name1_(column(entries.index[k]), column_width_),
                  name2_(column(j), column_width_),
                  out_.field(objective_sign_ * entries.value[k]).c_str());
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
    out_.format("QCMATRIX   %.255s\n", name1_(qc_rows_[k].name));
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
      out_.format("    %.255s  %.255s  %s\n", name1_(column(e.row), column_width_),
                  name2_(column(e.column), column_width_), out_.field(e.value).c_str());
    }
  }
}

void Writer::write_sos() {
  if (view_.num_sos() == 0) return;
  out_.format("SOS\n");
  for (int k = 0; k < view_.num_sos(); ++k) {
    const SosSet& set = view_.sos(k);
    out_.format(" S%c %s\n", set.type, name1_(sos_names_[k]));
    for (size_t m = 0; m < set.indices.size(); ++m)
      out_.format("    %.255s  %s\n", name1_(column(set.indices[m]), column_width_),
                  out_.field(set.weights[m]).c_str());
  }
}

void Writer::write_indicators() {
  if (view_.num_indicators() == 0) return;
  out_.format("INDICATORS\n");
  for (int k = 0; k < view_.num_indicators(); ++k) {
    const int kind = view_.indicator_kind(k);
    // A complemented indicator (negative kind) triggers at 0.
    out_.format(" %s %.255s  %.255s  %s\n", kind_code(kind),
                name1_(indicator_rows_[k].name, row_width_),
                name2_(column(view_.indicator(k).indicator), column_width_),
                out_.field(kind < 0 ? 0.0 : 1.0).c_str());
  }
}

}  // namespace korva::mps

// BOUNDS: the lines that make the reader rebuild each column's bounds and
// type exactly. Integer columns sit between markers, where the reader
// starts them binary with bounds 0 and 1; the choice of lines below follows
// the reader's rules for what turns them into general integers or
// semi-integers.
#include "io/mps/mps_writer.h"

namespace korva::mps {
namespace {

constexpr double kInf = 1e20;

}  // namespace

void Writer::write_bounds() {
  bool started = false;
  auto begin = [&] {
    if (!started) out_.format("BOUNDS\n");
    started = true;
  };
  auto set = [&] { return name1_("bnd", column_width_); };
  auto col = [&](int j) { return name2_(column(j), column_width_); };
  enum Kind { UP, LO, FX, LI, SC };
  auto valued = [&](Kind kind, int j, double value) {
    begin();
    const NumberText number = out_.field(value);
    switch (kind) {
      case UP: out_.format(" UP %.255s  %.255s  %s\n", set(), col(j), number.c_str()); break;
      case LO: out_.format(" LO %.255s  %.255s  %s\n", set(), col(j), number.c_str()); break;
      case FX: out_.format(" FX %.255s  %.255s  %s\n", set(), col(j), number.c_str()); break;
      case LI: out_.format(" LI %.255s  %.255s  %s\n", set(), col(j), number.c_str()); break;
      case SC: out_.format(" SC %.255s  %.255s  %s\n", set(), col(j), number.c_str()); break;
    }
  };
  auto free_column = [&](int j) {
    begin();
    out_.format(" FR %.255s  %.255s\n", set(), name2_(column(j)));
  };
  auto minus_infinity = [&](int j) {
    begin();
    out_.format(" MI %.255s  %.255s\n", set(), name2_(column(j)));
  };

  for (int j = 0; j < view_.num_cols(); ++j) {
    const double lb = view_.lower(j);
    const double ub = view_.upper(j);
    const bool no_lower = lb <= -kInf;
    const bool no_upper = ub >= kInf;
    switch (view_.ctype(j)) {
      case 'B':
        // Written although the markers imply it: other readers differ on
        // the default bounds of integer columns.
        if (lb == ub) {
          valued(FX, j, lb);
        } else {
          if (lb != 0.0) valued(LO, j, lb);
          valued(UP, j, ub);
        }
        break;
      case 'I':
        // LI marks the column integer whatever its upper bound.
        if (no_lower && no_upper) {
          free_column(j);
          break;
        }
        if (no_lower)
          minus_infinity(j);
        else
          valued(LI, j, lb);
        if (!no_upper) valued(UP, j, ub);
        break;
      case 'S':
      case 'N':
        // An explicit lower bound: without one the reader assumes 1.
        if (no_lower)
          minus_infinity(j);
        else
          valued(LO, j, lb);
        valued(SC, j, ub);
        break;
      default:
        if (no_lower && no_upper) {
          free_column(j);
        } else if (lb == ub) {
          valued(FX, j, lb);
        } else {
          if (no_lower)
            minus_infinity(j);
          else if (lb != 0.0 || (!no_upper && ub < 0.0))
            valued(LO, j, lb);  // without it a negative upper bound frees the column below
          if (!no_upper) valued(UP, j, ub);
        }
    }
  }
}

}  // namespace korva::mps

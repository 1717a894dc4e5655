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
  auto line = [&](const char* type) {
    if (!started) out_.text("BOUNDS").end_line();
    started = true;
    out_.text(" ").text(type).text(" ").padded("bnd", column_width_).text("  ");
  };
  auto valued = [&](const char* type, int j, double value) {
    line(type);
    out_.padded(column(j), column_width_).text("  ").number(value).end_line();
  };
  auto bare = [&](const char* type, int j) {
    line(type);
    out_.text(writable_name(column(j))).end_line();
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
          valued("FX", j, lb);
        } else {
          if (lb != 0.0) valued("LO", j, lb);
          valued("UP", j, ub);
        }
        break;
      case 'I':
        // LI marks the column integer whatever its upper bound.
        if (no_lower && no_upper) {
          bare("FR", j);
          break;
        }
        if (no_lower)
          bare("MI", j);
        else
          valued("LI", j, lb);
        if (!no_upper) valued("UP", j, ub);
        break;
      case 'S':
      case 'N':
        // An explicit lower bound: without one the reader assumes 1.
        if (no_lower)
          bare("MI", j);
        else
          valued("LO", j, lb);
        valued("SC", j, ub);
        break;
      default:
        if (no_lower && no_upper) {
          bare("FR", j);
        } else if (lb == ub) {
          valued("FX", j, lb);
        } else {
          if (no_lower)
            bare("MI", j);
          else if (lb != 0.0 || (!no_upper && ub < 0.0))
            valued("LO", j, lb);  // without it a negative upper bound frees the column below
          if (!no_upper) valued("UP", j, ub);
        }
    }
  }
}

}  // namespace korva::mps

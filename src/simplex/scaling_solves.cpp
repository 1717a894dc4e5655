// Moving right-hand sides and results of basis solves between the user's
// units and the scaled problem whose basis is factorised.
#include "simplex/scaling.h"

namespace korva {

namespace {
// d of the basic variable: its scaled column is R⁻¹·column·d.
double column_factor(const ScalingRecord& record, const lu::BasisSource& source, int var) {
  if (source.is_structural(var)) return 1.0 / record.active_cols[var];
  return record.active_rows[source.logical_row_of(var)];
}
}  // namespace

void scale_ftran_input(const ScalingRecord& record, double* a, int m) {
  if (!record.scaled()) return;
  for (int i = 0; i < m; ++i) a[i] /= record.active_rows[i];
}

void unscale_ftran_result(const ScalingRecord& record, const lu::BasisSource& source, const int* basic_index,
                          double* x, int m) {
  if (!record.scaled()) return;
  for (int p = 0; p < m; ++p) x[p] *= column_factor(record, source, basic_index[p]);
}

void scale_btran_input(const ScalingRecord& record, const lu::BasisSource& source, const int* basic_index,
                       double* c, int m) {
  if (!record.scaled()) return;
  for (int p = 0; p < m; ++p) c[p] *= column_factor(record, source, basic_index[p]);
}

void unscale_btran_result(const ScalingRecord& record, double* y, int m) {
  if (!record.scaled()) return;
  for (int i = 0; i < m; ++i) y[i] /= record.active_rows[i];
}

}  // namespace korva

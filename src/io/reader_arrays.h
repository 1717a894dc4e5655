// What a model-file reader produces: the whole model as plain arrays, copied
// into the problem object in one place (io/dispatch) once the file has been
// read completely. Names are UTF-8.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace korva {

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
  std::vector<std::string> col_names;
  std::vector<double> obj, lb, ub;
  std::vector<char> ctype;  // empty, or one per column
  // Rows.
  std::vector<std::string> row_names;
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
  // Basis carried by the file (binary format only).
  std::vector<int> cstat, rstat;

  int num_cols() const { return static_cast<int>(obj.size()); }
  int num_rows() const { return static_cast<int>(rhs.size()); }
};

}  // namespace korva

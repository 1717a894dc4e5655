// Placeholders for model operations that are not written yet; each one is
// replaced by its real implementation in src/model/.
#include "env/error_codes.h"
#include "model/model.h"

namespace korva {
void DerivedDeleter::operator()(LpSolution*) const {}
void DerivedDeleter::operator()(PresolveRecord*) const {}
void DerivedDeleter::operator()(MipSearch*) const {}
void DerivedDeleter::operator()(OptimizerWork*) const {}
void DerivedDeleter::operator()(ModificationBuffer*) const {}
}  // namespace korva

namespace korva::model {
Problem* create_problem(Environment&, const char*, int* status) {
  if (status) *status = err::kNoMemory;
  return nullptr;
}
void free_problem(Problem*) {}
int copy_lp(Environment&, Problem&, int, int, int, const double*, const double*, const char*,
            const int64_t*, const int*, const int*, const double*, const double*, const double*,
            const double*, const char* const*, const char* const*) { return err::kBadArgument; }
int set_problem_name(Environment&, Problem&, const char*) { return err::kBadArgument; }
int set_objective_name(Environment&, Problem&, const char*) { return err::kBadArgument; }
int copy_ctype(Environment&, Problem&, const char*) { return err::kBadArgument; }
int add_sos(Environment&, Problem&, int, int64_t, const char*, const int64_t*, const int*,
            const double*, const char* const*) { return err::kBadArgument; }
int add_row_pool(Environment&, Problem&, int, int, int64_t, const double*, const char*,
                 const int64_t*, const int*, const double*, const char* const*) {
  return err::kBadArgument;
}
int copy_quad(Environment&, Problem&, const int64_t*, const int*, const int*, const double*) {
  return err::kBadArgument;
}
int copy_qpsep(Environment&, Problem&, const double*) { return err::kBadArgument; }
int add_qconstr(Environment&, Problem&, int, int64_t, double, char, const int*, const double*,
                const int*, const int*, const double*, const char*) { return err::kBadArgument; }
int add_indicator(Environment&, Problem&, int, int, int, double, char, const int*, const double*,
                  const char*) { return err::kBadArgument; }
int copy_basis(Environment&, Problem&, const int*, const int*) { return err::kBadArgument; }
int complete(Environment&, Problem&) { return 0; }
void raise_event(Problem&, ChangeEvent) {}
std::string row_name(Environment&, const Problem&, int) { return {}; }
std::string col_name(Environment&, const Problem&, int) { return {}; }
}  // namespace korva::model

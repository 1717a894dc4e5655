// What each change event discards. Editors only raise events; optimisers
// only store their state in DerivedState; this table is the one place that
// connects the two.
#include <iterator>

#include "model/model.h"

namespace korva::model {
namespace {

enum Effect : unsigned {
  kValuesInvalid = 1u << 0,  // solution values stay stored but no longer match
  kFreeRecord = 1u << 1,     // the solution record goes
  kDiscardBasis = 1u << 2,
  kWorkPartial = 1u << 3,    // optimiser work data decides what it keeps
  kWorkAll = 1u << 4,        // optimiser work data goes
  kDiscardStarts = 1u << 5,  // MIP starts go
  kNamesOnly = 1u << 6,      // only the derived subproblems go; status kept
  kKeepPresolve = 1u << 7,   // the editor has carried the change into the presolved model
};

struct EventRule {
  ChangeEvent event;
  unsigned effects;
};

using enum ChangeEvent;

constexpr unsigned kObjectiveLike = kValuesInvalid | kWorkPartial;
constexpr unsigned kStructural = kFreeRecord | kWorkAll;
constexpr unsigned kReplacing = kFreeRecord | kDiscardBasis | kWorkAll;

constexpr EventRule kEventTable[] = {
    {ObjSense, kObjectiveLike},
    {ObjCoef, kObjectiveLike},
    {ObjList, kObjectiveLike},
    {RhsList, kWorkPartial},
    {RhsCoef, kWorkPartial},
    {Bounds, kObjectiveLike | kKeepPresolve},
    {RangeCoef, kObjectiveLike},
    {Ranges, kObjectiveLike},
    {MatrixNonbasic, kWorkPartial},
    {ColumnTypes, kStructural},
    {Indicators, kStructural},
    {Lazy, kStructural},
    {AddRows, kStructural},
    {RowsBuffered, kStructural},
    {DelRows, kStructural},
    {DelSetRows, kStructural},
    {ProblemType, kStructural},
    {AddCols, kWorkAll},
    {BufferedCols, kStructural},
    {DelCols, kStructural},
    {DelSetCols, kStructural},
    {Senses, kStructural},
    {Pattern, kStructural},
    {ReplaceModel, kReplacing | kDiscardStarts},
    {QuadReplaced, kReplacing},
    {QuadChanged, kReplacing},
    {TypeConversion, kReplacing},
    {QConstraints, kReplacing},
    {Names, kNamesOnly},
    {BasisLoaded, kStructural},
};

unsigned effects_of(ChangeEvent event) {
  for (const EventRule& rule : kEventTable)
    if (rule.event == event) return rule.effects;
  return kReplacing | kDiscardStarts;  // an unlisted event keeps nothing
}

}  // namespace

void raise_event(Problem& lp, ChangeEvent event) {
  DerivedState& d = lp.derived;
  const unsigned effects = effects_of(event);
  for (auto& sub : d.subproblems) sub.reset();
  if (effects & kNamesOnly) return;

  d.status = 0;
  // While the buffer is applied, the presolved problem receives the same
  // additions and so still matches.
  if (!lp.buffer.in_use && !(effects & kKeepPresolve)) d.presolve.reset();
  d.mip_search.reset();
  if (lp.mip && lp.mip->pool && !lp.mip->pool->keep_after_partial_reset(static_cast<int>(event)))
    lp.mip->pool.reset();
  if (effects & kValuesInvalid) d.values_valid = false;
  if (effects & kFreeRecord) {
    d.solution.reset();
    d.values_valid = false;
  }
  if (effects & kDiscardBasis) d.basis.reset();
  if (effects & kWorkAll) {
    d.work.reset();
  } else if ((effects & kWorkPartial) && d.work &&
             !d.work->keep_after_partial_reset(static_cast<int>(event))) {
    d.work.reset();
  }
  if ((effects & kDiscardStarts) && lp.mip) lp.mip->starts.reset();
}

}  // namespace korva::model

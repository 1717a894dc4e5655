// What each change event discards of the state optimisers cache in a
// problem. Nothing of this is visible through the interface before an
// optimiser exists, so the table is checked on the record itself.
#include <gtest/gtest.h>

#include "model/model.h"

namespace {

using korva::AttachedPart;
using korva::Basis;
using korva::ChangeEvent;
using korva::Problem;

// Work data that keeps itself on a partial reset when asked to.
struct Work : AttachedPart {
  explicit Work(bool keep) : keep(keep) {}
  bool keep_after_partial_reset(int) override { return keep; }
  bool keep;
};

void fill(Problem& lp, bool work_keeps) {
  lp.derived.status = 1;
  lp.derived.values_valid = true;
  lp.derived.solution = std::make_unique<AttachedPart>();
  lp.derived.basis = std::make_unique<Basis>();
  lp.derived.presolve = std::make_unique<AttachedPart>();
  lp.derived.mip_search = std::make_unique<AttachedPart>();
  lp.derived.subproblems[0] = std::make_unique<AttachedPart>();
  lp.derived.work = std::make_unique<Work>(work_keeps);
}

struct Expectation {
  ChangeEvent event;
  bool values_valid, record, basis, work_if_it_keeps;
};

// Kept state per event, the rest of the table being common: every event
// but 23 resets the status and drops MIP search and subproblems, and every
// event but a bound change drops presolve.
constexpr Expectation kTable[] = {
    {ChangeEvent::ObjSense, false, true, true, true},
    {ChangeEvent::ObjCoef, false, true, true, true},
    {ChangeEvent::ObjList, false, true, true, true},
    {ChangeEvent::RhsList, true, true, true, true},
    {ChangeEvent::RhsCoef, true, true, true, true},
    {ChangeEvent::Bounds, false, true, true, true},
    {ChangeEvent::RangeCoef, false, true, true, true},
    {ChangeEvent::Ranges, false, true, true, true},
    {ChangeEvent::MatrixNonbasic, true, true, true, true},
    {ChangeEvent::ColumnTypes, false, false, true, false},
    {ChangeEvent::AddRows, false, false, true, false},
    {ChangeEvent::DelSetRows, false, false, true, false},
    {ChangeEvent::ProblemType, false, false, true, false},
    {ChangeEvent::AddCols, true, true, true, false},
    {ChangeEvent::BufferedCols, false, false, true, false},
    {ChangeEvent::Senses, false, false, true, false},
    {ChangeEvent::Pattern, false, false, true, false},
    {ChangeEvent::ReplaceModel, false, false, false, false},
    {ChangeEvent::QuadReplaced, false, false, false, false},
    {ChangeEvent::TypeConversion, false, false, false, false},
    {ChangeEvent::QConstraints, false, false, false, false},
};

TEST(ChangeEvents, EachEventDiscardsItsRowOfTheTable) {
  for (const Expectation& e : kTable) {
    SCOPED_TRACE(static_cast<int>(e.event));
    Problem lp;
    fill(lp, true);
    korva::model::raise_event(lp, e.event);
    EXPECT_EQ(lp.derived.status, 0);
    EXPECT_EQ(lp.derived.values_valid, e.values_valid);
    EXPECT_EQ(lp.derived.solution != nullptr, e.record);
    EXPECT_EQ(lp.derived.basis != nullptr, e.basis);
    EXPECT_EQ(lp.derived.work != nullptr, e.work_if_it_keeps);
    // The bound editor carries its changes into the presolved model, and
    // drops that itself when it cannot.
    EXPECT_EQ(lp.derived.presolve != nullptr, e.event == ChangeEvent::Bounds);
    EXPECT_EQ(lp.derived.mip_search, nullptr);
    EXPECT_EQ(lp.derived.subproblems[0], nullptr);
  }
}

TEST(ChangeEvents, PartialResetDropsWorkThatDoesNotKeepItself) {
  Problem lp;
  fill(lp, false);
  korva::model::raise_event(lp, ChangeEvent::RhsList);
  EXPECT_EQ(lp.derived.work, nullptr);
  EXPECT_NE(lp.derived.solution, nullptr);
}

TEST(ChangeEvents, NameChangesKeepStatusSolutionAndBasis) {
  Problem lp;
  fill(lp, false);
  korva::model::raise_event(lp, ChangeEvent::Names);
  EXPECT_EQ(lp.derived.status, 1);
  EXPECT_TRUE(lp.derived.values_valid);
  EXPECT_NE(lp.derived.solution, nullptr);
  EXPECT_NE(lp.derived.basis, nullptr);
  EXPECT_NE(lp.derived.presolve, nullptr);
  EXPECT_NE(lp.derived.work, nullptr);
  EXPECT_EQ(lp.derived.subproblems[0], nullptr);
}

TEST(ChangeEvents, ReplacementDropsMipStarts) {
  Problem lp;
  lp.mip = std::make_unique<korva::MipData>();
  lp.mip->starts = std::make_unique<AttachedPart>();
  korva::model::raise_event(lp, ChangeEvent::Bounds);
  EXPECT_NE(lp.mip->starts, nullptr);
  korva::model::raise_event(lp, ChangeEvent::ReplaceModel);
  EXPECT_EQ(lp.mip->starts, nullptr);
}

TEST(ChangeEvents, PresolveSurvivesWhileTheBufferIsApplied) {
  Problem lp;
  fill(lp, true);
  lp.buffer.in_use = true;
  korva::model::raise_event(lp, ChangeEvent::AddRows);
  EXPECT_NE(lp.derived.presolve, nullptr);
}

}  // namespace

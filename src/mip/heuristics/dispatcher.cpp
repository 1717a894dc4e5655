#include "mip/heuristics/dispatcher.h"

#include "env/errors.h"
#include "mip/heuristics/binary_local_search.h"
#include "mip/heuristics/diving.h"
#include "mip/heuristics/feasibility_pump.h"
#include "mip/heuristics/fix_and_propagate.h"
#include "mip/heuristics/one_opt.h"
#include "mip/heuristics/rounding.h"
#include "mip/heuristics/sub_mip_heuristics.h"

namespace korva::mip {

namespace {

// The short pump of the end-of-root heuristic.
constexpr int kEndOfRootPumpRounds = 30;

enum class Kind { None, OneOpt, Rounding, Dive, PureBinary, Quick, Pump, LockFixing, DiveVariant, EndOfRoot, SubMip };

struct Entry {
  Kind kind;
  int argument;
};

// By identifier, from kFirstHeuristic.
constexpr Entry kTable[kLastHeuristic - kFirstHeuristic + 1] = {
    {Kind::OneOpt, 0},                                    // 2
    {Kind::Rounding, 0},                                  // 3
    {Kind::Rounding, 1},                                  // 4
    {Kind::Rounding, 2},                                  // 5
    {Kind::Rounding, 3},                                  // 6
    {Kind::Dive, 0},                                      // 7
    {Kind::PureBinary, 0},                                // 8
    {Kind::Quick, 0},                                     // 9
    {Kind::Pump, 0},                                      // 10
    {Kind::LockFixing, 2100000000},                       // 11
    {Kind::LockFixing, -1},                               // 12
    {Kind::LockFixing, 1},                                // 13
    {Kind::DiveVariant, -1},                              // 14
    {Kind::DiveVariant, 0},                               // 15
    {Kind::DiveVariant, 1},                               // 16
    {Kind::DiveVariant, 2},                               // 17
    {Kind::EndOfRoot, 0},                                 // 18
    {Kind::SubMip, static_cast<int>(SubMipMode::Rins)},   // 19
    {Kind::SubMip, static_cast<int>(SubMipMode::Feasibility)},  // 20
    {Kind::None, 0},                                      // 21
    {Kind::None, 0},                                      // 22
    {Kind::SubMip, static_cast<int>(SubMipMode::LocalBranching)},  // 23
    {Kind::SubMip, static_cast<int>(SubMipMode::Crossover)},       // 24
    {Kind::None, 0},                                      // 25
    {Kind::SubMip, static_cast<int>(SubMipMode::Mutation)},   // 26
    {Kind::SubMip, static_cast<int>(SubMipMode::Proximity)},  // 27
    {Kind::None, 0},                                      // 28
    {Kind::None, 0},                                      // 29
    {Kind::None, 0},                                      // 30
    {Kind::None, 0},                                      // 31
    {Kind::None, 0},                                      // 32
};

int end_of_root(HeuristicContext& ctx, std::vector<double>& x, double* objective, bool* found) {
  if (ctx.incumbent) return sub_mip_heuristic(ctx, SubMipMode::Rins, x, objective, found);
  PumpOptions options;
  options.rounds = kEndOfRootPumpRounds;
  options.improve = false;
  if (int code = feasibility_pump(ctx, options, x, objective, found); code != 0 || *found) return code;
  return sub_mip_heuristic(ctx, SubMipMode::Feasibility, x, objective, found);
}

int dispatch(HeuristicContext& ctx, const Entry& e, std::vector<double>& x, double* objective, bool* found) {
  switch (e.kind) {
    case Kind::None:
      return 0;
    case Kind::OneOpt:
      return one_opt(ctx, x, objective, found);
    case Kind::Rounding:
      return rounding_heuristic(ctx, e.argument, x, objective, found);
    case Kind::Dive:
      return dive_by_type(ctx, x, objective, found);
    case Kind::PureBinary:
      return binary_local_search(ctx, x, objective, found);
    case Kind::Quick:
      return quick_rounding(ctx, x, objective, found);
    case Kind::Pump:
      return pump_by_setting(ctx, x, objective, found);
    case Kind::LockFixing:
      return lock_fixing(ctx, e.argument, x, objective, found);
    case Kind::DiveVariant:
      return dive_variant(ctx, e.argument, x, objective, found);
    case Kind::EndOfRoot:
      return end_of_root(ctx, x, objective, found);
    case Kind::SubMip:
      return sub_mip_heuristic(ctx, static_cast<SubMipMode>(e.argument), x, objective, found);
  }
  return 0;
}

}  // namespace

int run_heuristic(HeuristicContext& ctx, int identifier, bool* found, std::vector<double>& x, double* objective) {
  if (!found || !objective) return err::kNullPointer;
  *found = false;
  if (identifier < kFirstHeuristic || identifier > kLastHeuristic) return err::kBadArgument;
  if (static_cast<int>(ctx.lp_x.size()) != ctx.model.num_cols) return 0;  // no LP point to work from
  bool hit = false;
  double z = kInf;
  if (int code = dispatch(ctx, kTable[identifier - kFirstHeuristic], x, &z, &hit)) return code;
  if (!hit) return 0;
  *found = true;
  *objective = z;
  ctx.state.remember(x);
  return 0;
}

}  // namespace korva::mip

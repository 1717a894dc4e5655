// The root's preparation and cutting-plane rounds, before the tree search:
// the clique table, probing and symmetry breaking, then the rounds. The
// root LP is solved, the enabled families separate cuts from its solution,
// the best of them join the model's rows (the search's copy of them), and
// the LP is solved again from the basis it had. The rounds end at the pass
// limit, when no cut is found, when the bound stalls or when the solution
// is integral. Cuts whose rows went slack leave again between rounds; they
// and the cuts not chosen form the pool the tree draws on.
#pragma once
#include <functional>
#include <memory>

#include "mip/clique_table.h"
#include "mip/cut_pool.h"
#include "mip/cuts/cut.h"
#include "mip/cuts/mcf_network.h"
#include "mip/mip_model.h"
#include "mip/node_log.h"
#include "mip/node_lp.h"
#include "mip/node_worker.h"
#include "mip/probing.h"
#include "mip/search_record.h"
#include "mip/search_settings.h"

namespace korva::mip {

class RootCuts {
 public:
  // `user_cuts`: the problem's user cut pool (in the model's columns), or null.
  RootCuts(Environment& env, MipModel& model, const SearchSettings& settings, MipSearchRecord& record,
           const RowPool* user_cuts)
      : env_(env), model_(model), settings_(settings), record_(record), user_cuts_(user_cuts) {}

  // Returns 0 or an error code of the LP solves. The model keeps the cuts;
  // the record counts them by family.
  int run();

  // The basis of the last root solve on the model with its cuts (null when
  // no round ran to the end); the search's root starts from it.
  std::shared_ptr<const CompactBasis> basis() const { return basis_; }
  // What separation in the tree may read again; null when the cut rounds
  // are switched off.
  const TreeSeparators* tree_separators() {
    if (settings_.cut_passes < 0) return nullptr;
    tree_separators_.implied_bounds = &implied_bounds_;
    return &tree_separators_;
  }
  // Whether the root relaxation time line was written.
  bool reported_root() const { return reported_root_; }

  // Informational callbacks during probing (107), Gomory (108),
  // disjunctive (109) and MIR and flow cover (110) work: `call(where)`
  // true asks to stop the search.
  void call_back_with(std::function<bool(int)> call) { info_call_ = std::move(call); }
  bool aborted() const { return aborted_; }

 private:
  void prepare();
  CliqueTable::Progress clique_progress(const char* line);
  void install_pool(int base_rows);
  int separate_round(int pass, int base_rows, const Domain& domain, NodeLp& lp, std::vector<Cut>& found,
                     bool* stopped);
  int disjunctive_candidates(int pass) const;
  void break_symmetry(int base_rows);
  SeparationProgress separator_progress(const char* line, int64_t quiet_work, int wherefrom);
  bool any_family() const;
  bool gomory_pass(int pass) const;
  int max_passes() const;

  Environment& env_;
  MipModel& model_;
  const SearchSettings& settings_;
  MipSearchRecord& record_;
  std::function<bool(int)> info_call_;
  bool aborted_ = false;
  bool info(int wherefrom);
  const RowPool* user_cuts_;
  CliqueTable cliques_;
  std::vector<ImpliedBound> implied_bounds_;
  CutPool pool_;
  std::vector<Cut> permanent_;
  TreeSeparators tree_separators_;
  std::unique_ptr<McfNetwork> network_;  // found in the first round that needs it  // rows that join before the rounds and stay
  std::shared_ptr<CompactBasis> basis_;
  bool reported_root_ = false;
};

}  // namespace korva::mip

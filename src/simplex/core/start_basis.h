// Starting bases and the translation between the work record's statuses and
// the user's basis (cstat/rstat of KRVgetbase and KRVcopybase).
//
// User row statuses describe the row's activity: 0 at the end given by the
// right-hand side, 2 at the other end of a ranged row. Internally the
// logical s = -a·x sits at one of its bounds, so which internal bound a
// user status means depends on the sense: for an 'L' row the right-hand
// side is the logical's lower bound, for a 'G' row its upper bound.
#pragma once
#include "model/problem.h"
#include "simplex/core/simplex_work.h"

namespace korva::simplex {

// Every logical basic, every structural nonbasic at a finite bound (lower
// first) or free at 0.
void set_slack_basis(SimplexWork& w);
// Statuses from the user's basis; repairs a wrong count of basic variables
// (extra basics leave at a bound, missing ones are made up with logicals
// that the factorisation's repair sorts out).
void set_user_basis(SimplexWork& w, const Basis& b);
// The user's basis from the work record.
void get_user_basis(const SimplexWork& w, Basis& b);

// Puts every nonbasic variable on the bound its status names, moving a
// status that names an infinite bound to the other bound or to free.
// Superbasic values stay (superbasic_values: user start values when given).
void place_nonbasic_values(SimplexWork& w);
void place_nonbasic_value(SimplexWork& w, int var);
// Copies the working bounds of the basic variables into basic_lower/upper.
void refresh_basic_bounds(SimplexWork& w);
// True when the basis holds exactly the logicals.
bool is_slack_basis(const SimplexWork& w);

// Whether user row status 0 means the logical's lower bound.
bool rhs_end_is_lower(char sense, double range);

}  // namespace korva::simplex

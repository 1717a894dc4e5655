// The LP format writer: KRVlpwrite (the problem's own names), KRVlprewrite
// (generic names) and the annotated mode of KRVwriteprob ("ALP"), whose
// column names carry each column's type, index and bounds.
#pragma once
#include "env/channel.h"
#include "model/problem.h"

namespace korva::lp {

enum class NameMode { kOwn, kGeneric, kAnnotated };

// The LP-name conformity switch: hidden integer parameter 1115. When it is
// non-zero, every name list that holds a name the LP reader would not read
// back as written (a leading digit, '.', 'e' or 'E'; a sign, blank,
// delimiter or end-of-line character inside) is rewritten to readable
// names with a "#position" suffix. At 0 (the default) names are written as
// they stand.
inline constexpr int kNameConformityParam = 1115;

// Writes `lp` to `filename` (compressed when the name says so). Returns 0 or
// an error code (negated when printed); 1650 when a number could not be
// written (the file is written all the same).
int write_lp(Environment& env, Problem& lp, const char* filename, NameMode mode);

// The display of one part of a problem on a message channel, laid out as in
// an LP file; a problem without constraints says "There are no
// constraints." instead. Returns 0 or an error code.
enum class DisplayPart { kObjective, kConstraints, kBounds, kTypes, kSets };
int display_part(Environment& env, Problem& lp, Channel& channel, DisplayPart part);

}  // namespace korva::lp

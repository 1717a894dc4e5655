// The older text form of a MIP-start file: one start given by column names.
//
//   * ENCODING=ISO-8859-1
//   NAME          problem    MIP Start
//       x1           1
//       y            2.5
//   ENDATA
//
// Lines starting with '*' are comments; every other line between NAME and
// ENDATA is a column name and a value. The file is text in the file
// encoding (KRV_PARAM_FILEENCODING).
#pragma once
#include "io/xml/solution_document.h"
#include "mip/mip_starts.h"

namespace korva::mst {

// Writes `start` of `p`. A problem without column names is written with
// the default names x1, x2, ... and says so on the warning channel.
int write_mst_text(Environment& env, const Problem& p, const char* filename, const mip::MipStart& start);

// Reads the file (already known to be in this form) into one solution of
// `doc`. Names are required to read it: 1219 for a problem without column
// names. Unknown and repeated names are warnings with their line numbers.
int read_mst_text(Environment& env, const Problem& p, const char* filename, xml::SolutionDocument& doc);

}  // namespace korva::mst

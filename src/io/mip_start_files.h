// The MIP-start files: reading a file of either form into the problem's
// starts, and writing the starts as XML or in the older text form. A file
// is XML when its first character that is not white space is '<'; any
// other file is read in the older text form.
#pragma once
#include "model/problem.h"

namespace korva {

enum class StartFileRead {
  AllStarts,   // KRVreadcopymipstarts: every start of the file
  FirstStart,  // KRVreadcopymipstart: the first start
  Solution,    // KRVreadcopysol on a MIP: the first solution, as a start
};

// The file's starts replace the problem's (a MIP: 3003 otherwise). A file
// without any value warns and leaves the starts as they were; so does any
// error, as nothing read is installed before the whole file was read.
int read_mip_start_file(Environment& env, Problem& p, const char* filename, StartFileRead how);

// Reads the file in whichever form it is into `doc` (the first solution
// only, unless `how` asks for all), with the reader's warnings.
namespace xml {
struct SolutionDocument;
}
int read_start_document(Environment& env, const Problem& p, const char* filename, StartFileRead how,
                        xml::SolutionDocument& doc);

// KRVwritemipstarts: starts begin..end as XML.
int write_mip_start_range(Environment& env, Problem& p, const char* fname, const char* filename,
                          int begin, int end);

// KRVmstwrite: every start as XML, or, when hidden integer parameter 1108 is
// 1, the first start in the older text form (which holds one start).
int write_mip_start_file(Environment& env, Problem& p, const char* filename);
inline constexpr int kMstTextFormParam = 1108;

}  // namespace korva

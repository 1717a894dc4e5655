#include "env/error_codes.h"
#include "env/errors.h"
#include "io/dispatch.h"
#include "io/file_type.h"
#include "io/lp/lp_writer.h"
#include "io/mps/mps.h"
#include "io/sav/sav.h"

namespace korva {

int write_model_file(Environment& env, Problem& lp, const char* filename, const char* filetype) {
  if (!filename) return err::kNoFileName;
  WriteFormat format;
  if (int status = write_format(filename, filetype, format)) return status;
  // The compression suffix stays in the name: the stream compresses.
  switch (format) {
    case WriteFormat::kMps: return mps::write_mps(env, lp, filename, false);
    case WriteFormat::kMpsGeneric: return mps::write_mps(env, lp, filename, true);
    case WriteFormat::kLp: return lp::write_lp(env, lp, filename, lp::NameMode::kOwn);
    case WriteFormat::kLpGeneric: return lp::write_lp(env, lp, filename, lp::NameMode::kGeneric);
    case WriteFormat::kLpAnnotated:
      return lp::write_lp(env, lp, filename, lp::NameMode::kAnnotated);
    case WriteFormat::kSav:
      return sav::write_sav(env, lp, filename);
  }
  return err::kBadFileType;
}

}  // namespace korva

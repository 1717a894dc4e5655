// Entry of the MPS writers: open the stream, write, close.
#include <memory>

#include "io/model_view.h"
#include "io/mps/mps.h"
#include "io/mps/mps_output.h"
#include "io/mps/mps_writer.h"

namespace korva::mps {

int write_mps(Environment& env, Problem& lp, const char* filename, bool generic_names) {
  const ModelView view(env, lp, generic_names);
  if (int status = view.status()) return status;
  StreamOptions options;
  options.mode = "w";
  options.must_exist = false;
  std::unique_ptr<FileStream> stream;
  if (int status = FileStream::open(env, filename, options, stream)) return status;
  Output out(*stream, env.int_param(KRV_PARAM_MPSLONGNUM) != 0);
  Writer(view, out).write(stream->encoding_name());
  // A number without decimal form (1650) still leaves a complete file.
  return FileStream::close(env, stream, out.finish());
}

}  // namespace korva::mps

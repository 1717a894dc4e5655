// Entry of the MPS reader: the file is read as free format and, when that
// fails, read again by the fixed column positions, whose reading stands
// only if the whole file follows them and some name holds a blank.
#include <string>

#include "env/channel.h"
#include "io/mps/mps.h"
#include "io/mps/mps_errors.h"
#include "io/mps/mps_parser.h"

namespace korva::mps {
namespace {

// Bytes of text expected from the stream; model files compress some ten
// to fifteen times, random numbers less.
uint64_t text_bytes(const FileStream& stream) {
  const uint64_t bytes = stream.file_bytes();
  return stream.piped() ? 8 * bytes : bytes;
}

// Reads `stream` by the fixed columns into `out`; true when that reading
// stands.
bool read_fixed(Environment& env, FileStream& free_stream, const ReadOptions& options,
                MessageLog& log, ReaderArrays& out) {
  std::unique_ptr<FileStream> stream;
  StreamOptions open;
  open.mode = "rb";
  if (FileStream::open(env, free_stream.name().c_str(), open, stream)) return false;
  LineSource lines(*stream, log);
  Parser parser(env, lines, Layout::Fixed, options, log);
  parser.set_text_bytes(text_bytes(*stream));
  const int status = parser.run(out);
  FileStream::close(env, stream, status);
  return status == 0 && parser.saw_blank_in_name();
}

}  // namespace

int read_mps(Environment& env, FileStream& stream, ReaderArrays& out, const ReadOptions& options) {
  MessageLog free_log(env);
  LineSource lines(stream, free_log);
  Parser parser(env, lines, Layout::Free, options, free_log);
  parser.set_text_bytes(text_bytes(stream));
  const int status = parser.run(out);
  // Errors of the stream and overlong lines do not depend on the layout.
  if (status == 0 || status > 0 || status == -code::kLineTooLong) {
    free_log.flush();
    return status;
  }

  MessageLog fixed_log(env);
  ReaderArrays fixed_out;
  if (read_fixed(env, stream, options, fixed_log, fixed_out)) {
    fixed_log.flush();
    msg(env.warning(), "Warning:  Names contain blanks; '%s' read by fixed MPS columns.\n",
        stream.name().c_str());
    out = std::move(fixed_out);
    return 0;
  }
  free_log.flush();
  return status;
}

}  // namespace korva::mps

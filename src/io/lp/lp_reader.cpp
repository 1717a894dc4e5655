#include "io/lp/lp_reader.h"

#include <cstdio>
#include <memory>

#include "io/lp/lp_parser.h"
#include "io/stream.h"

namespace korva::lp {

int read_lp_stream(Environment& env, FileStream& stream, const char* display_name,
                   bool interactive, ReaderArrays& out, const ReadSwitches& sw) {
  Parser parser(env, stream, display_name, interactive, sw);
  return parser.run(out);
}

int read_lp(Environment& env, const char* filename, ReaderArrays& out, const ReadSwitches& sw) {
  const bool interactive = !filename || !*filename;
  StreamOptions options;
  options.mode = "rb";
  options.default_extension = ".lp";
  options.must_exist = false;
  options.allow_compression = true;
  if (interactive) options.existing = stdin;
  std::unique_ptr<FileStream> stream;
  if (int status = FileStream::open(env, interactive ? "<stdin>" : filename, options, stream))
    return status;
  const int status =
      read_lp_stream(env, *stream, interactive ? "<stdin>" : filename, interactive, out, sw);
  return FileStream::close(env, stream, status);
}

}  // namespace korva::lp

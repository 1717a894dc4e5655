// The LP format reader: parses a model file (or, interactively, the
// standard input) into the reader arrays that the dispatch copies into a
// problem object.
#pragma once
#include "io/reader_arrays.h"

struct krv_env_s;

namespace korva {
class FileStream;
using Environment = krv_env_s;
}  // namespace korva

namespace korva::lp {

// What the caller accepts; the rest is read and dropped with a message.
struct ReadSwitches {
  bool types = true;
  bool quad_objective = true;
  bool quad_constraints = true;
};

// Opens `filename` (default extension ".lp", the file encoding, compression
// by suffix) and reads it; a null or empty name reads the standard input
// interactively. Returns 0 or a printed (negative) error code.
int read_lp(Environment& env, const char* filename, ReaderArrays& out, const ReadSwitches& sw);

// Reads from an open stream. `display_name` names the source in messages;
// in interactive mode a prompt is printed and a line with an error can be
// entered again.
int read_lp_stream(Environment& env, FileStream& stream, const char* display_name,
                   bool interactive, ReaderArrays& out, const ReadSwitches& sw);

}  // namespace korva::lp

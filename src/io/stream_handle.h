// Opening the handle under a stream or a bare-handle user: shared by the
// file stream and the bare-handle helpers (internal to io/).
#pragma once
#include <cstdio>
#include <string>

#include "io/stream.h"

namespace korva {

struct OpenedHandle {
  FILE* file = nullptr;
  bool piped = false;
  std::string name;  // the name that was opened (with the default extension when it was added)
};

// Reading: the compressor pipe for compressed names (after proving that the
// file exists), else the plain file, retried with the default extension when
// allowed. Failures print 1421 / 1423 and return them negated.
int open_read_handle(Environment& env, const char* filename, const char* mode,
                     const char* default_extension, bool must_exist, bool allow_compression,
                     OpenedHandle& out);
// Writing: the compressor pipe or the plain file; failures print 1421 / 1422.
int open_write_handle(Environment& env, const char* filename, const char* mode,
                      bool allow_compression, OpenedHandle& out);

}  // namespace korva

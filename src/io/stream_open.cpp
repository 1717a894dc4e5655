// Opening files for the stream and the bare-handle helpers: plain files,
// compressor pipes, the default-extension retry and their error reports.
#include <fcntl.h>
#include <strings.h>

#include <cstring>
#include <string>
#include <vector>

#include "env/error_codes.h"
#include "env/errors.h"
#include "io/stream.h"
#include "io/stream_handle.h"

namespace korva {
namespace {

constexpr int kPipeSize = 1 << 20;

bool ends_with_ci(std::string_view name, std::string_view suffix) {
  return name.size() >= suffix.size() &&
         strncasecmp(name.data() + name.size() - suffix.size(), suffix.data(), suffix.size()) == 0;
}

// The command is run through the system's command interpreter; names are
// passed as they are, without quoting, so what the caller names is what the
// shell sees.
std::string pipe_command(const char* format, Compressor c, const char* filename) {
  std::vector<char> buffer(std::strlen(filename) + 200);
  std::snprintf(buffer.data(), buffer.size(), format, compressor_program(c), filename);
  return buffer.data();
}

// The C library of this platform only knows "r" and "w" for pipes; the
// binary flag of the file modes has no meaning there.
FILE* open_pipe(const std::string& command, bool reading) {
  std::fflush(nullptr);  // the child inherits unflushed buffers otherwise
  FILE* pipe = popen(command.c_str(), reading ? "r" : "w");
  // With the default 64 KiB a decompressor stalls whenever the reader is
  // busy with a few lines; a larger pipe lets both run at full speed. A
  // refusal (a system limit) only costs that speed.
  if (pipe) fcntl(fileno(pipe), F_SETPIPE_SZ, kPipeSize);
  return pipe;
}

int report_open(Environment& env, int code, const char* name) {
  return report_formatted(&env, code, name);
}

}  // namespace

Compressor compressor_for(std::string_view name) {
  if (name.size() < 3) return Compressor::None;
  if (ends_with_ci(name, ".bz2")) return Compressor::Bzip2;
  if (ends_with_ci(name, ".gz")) return Compressor::Gzip;
  // Only the upper-case .Z names compress: model.lp.z is a plain LP file.
  if (name.substr(name.size() - 2) == ".Z") return Compressor::Gzip;
  return Compressor::None;
}

const char* compressor_program(Compressor c) {
  switch (c) {
    case Compressor::Bzip2: return "bzip2";
    case Compressor::Gzip: return "gzip";
    case Compressor::None: break;
  }
  return "";
}

int open_read_handle(Environment& env, const char* filename, const char* mode,
                     const char* default_extension, bool must_exist, bool allow_compression,
                     OpenedHandle& out) {
  if (!filename || !*filename) return report_formatted(&env, err::kNoFileName);
  const Compressor c = allow_compression ? compressor_for(filename) : Compressor::None;
  if (c != Compressor::None) {
    // popen succeeds even for a missing file (the shell reports it), so the
    // file is proved to exist first.
    FILE* probe = std::fopen(filename, "rb");
    if (!probe) return report_open(env, err::kCannotRead, filename);
    std::fclose(probe);
    FILE* pipe = open_pipe(pipe_command("%s -cd %s", c, filename), true);
    if (!pipe) return report_open(env, err::kCannotRead, filename);
    out = {pipe, true, filename};
    return 0;
  }
  if (FILE* f = std::fopen(filename, mode)) {
    out = {f, false, filename};
    return 0;
  }
  if (must_exist || !default_extension || !*default_extension)
    return report_open(env, err::kCannotRead, filename);
  if (ends_with_ci(filename, default_extension))
    return report_open(env, err::kCannotRead, filename);
  std::string extended = std::string(filename) + default_extension;
  if (FILE* f = std::fopen(extended.c_str(), mode)) {
    out = {f, false, std::move(extended)};
    return 0;
  }
  report_open(env, err::kCannotRead, filename);
  return report_open(env, err::kCannotRead, extended.c_str());
}

int open_write_handle(Environment& env, const char* filename, const char* mode,
                      bool allow_compression, OpenedHandle& out) {
  if (!filename || !*filename) return report_formatted(&env, err::kNoFileName);
  const Compressor c = allow_compression ? compressor_for(filename) : Compressor::None;
  if (c != Compressor::None) {
    // Creating the file first proves that it can be written; the shell's
    // redirection would fail without telling us.
    FILE* probe = std::fopen(filename, "wb");
    if (!probe) return report_open(env, err::kCannotWrite, filename);
    std::fclose(probe);
    FILE* pipe = open_pipe(pipe_command("%s -c > %s", c, filename), false);
    if (!pipe) return report_open(env, err::kCannotWrite, filename);
    out = {pipe, true, filename};
    return 0;
  }
  FILE* f = std::fopen(filename, mode);
  if (!f) return report_open(env, err::kCannotWrite, filename);
  out = {f, false, filename};
  return 0;
}

int open_bare_read(Environment& env, const char* filename, const char* default_extension,
                   bool allow_compression, FILE*& out) {
  out = nullptr;
  OpenedHandle h;
  const int status =
      open_read_handle(env, filename, "rb", default_extension, false, allow_compression, h);
  if (status == 0) out = h.file;
  return status;
}

int open_bare_write(Environment& env, const char* filename, bool allow_compression, FILE*& out) {
  out = nullptr;
  OpenedHandle h;
  const int status = open_write_handle(env, filename, "wb", allow_compression, h);
  if (status == 0) out = h.file;
  return status;
}

int close_bare(const char* filename, FILE* file) {
  if (!file) return 0;
  const bool piped = filename && compressor_for(filename) != Compressor::None;
  if (piped) {
    // A decompressor stopped half-way exits with a broken pipe; reading the
    // rest lets it finish normally. (On a write pipe this returns at once.)
    char sink[32];
    while (std::fread(sink, 1, sizeof sink, file) == sizeof sink) {
    }
  }
  const int rc = piped ? pclose(file) : std::fclose(file);
  return rc == 0 ? 0 : err::kIoError;
}

}  // namespace korva

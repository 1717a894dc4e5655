// The file stream: text files read and written through the file encoding
// (KRV_PARAM_FILEENCODING) with the library's UTF-8 inside, compressed
// transparently through gzip/bzip2 pipes when the name asks for it.
//
// Open failures are printed here (with the file name) and returned negated,
// so the exported function does not print them again. Read and write errors
// are returned positive (not yet printed) and remembered: the first one
// stays in status() and is what close() returns when the caller had no
// error of its own, so a writer that ignores write results still reports a
// full disk.
#pragma once
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "env/encoding.h"

struct krv_env_s;

namespace korva {
using Environment = krv_env_s;

enum class Compressor { None, Gzip, Bzip2 };
// Compression selected by the file name's suffix (".gz"/".bz2" in any case,
// ".Z" with an upper-case Z only).
Compressor compressor_for(std::string_view filename);
// The program run for a compressor ("gzip", "bzip2").
const char* compressor_program(Compressor c);

struct StreamOptions {
  const char* mode = "rb";               // "rb" or "w" (or "wb")
  const char* default_extension = nullptr;  // e.g. ".lp", retried when the name fails
  const char* encoding = nullptr;        // null: KRV_PARAM_FILEENCODING of the environment
  bool must_exist = true;
  bool allow_compression = true;
  FILE* existing = nullptr;              // wrap this handle instead of opening (not closed)
};

class FileStream {
 public:
  ~FileStream();
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  // Opens `filename`. Returns 0 or a (negated, printed) error code. With
  // options.existing the handle is wrapped and `filename` only names it.
  static int open(Environment& env, const char* filename, const StreamOptions& options,
                  std::unique_ptr<FileStream>& out);

  // Reads one line including its newline into `buffer` (NUL-terminated,
  // never splitting a UTF-8 sequence; long lines come in pieces). `length`
  // receives the bytes stored, 0 at end of file. Returns 0 or an error code.
  // On a wrapped handle (standard input) a line also ends 4 bytes before the
  // end of the buffer.
  int read_line(char* buffer, size_t size, size_t& length);
  // The same line as read_line with a buffer of `size` bytes would store
  // (without the terminator), handed out where it lies in the stream's own
  // buffer: valid until the next read from the stream. Empty at end of file.
  int read_line_view(size_t size, std::string_view& line);
  // Next code point, or -1 at end of file, in `cp`. Returns 0 or an error code.
  int read_char(int32_t& cp);
  // Raw bytes without conversion (format detection only, before any text
  // has been read).
  size_t read_bytes(void* buffer, size_t size, size_t count);

  int write(std::string_view utf8);
  int printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  int vprintf(const char* format, va_list args);
  int write_char(int32_t cp, int64_t repeat = 1);

  // Closes the stream; returns `caller_status` when that is an error, else
  // the stream's sticky status (e.g. 1426 after a failed write).
  static int close(Environment& env, std::unique_ptr<FileStream>& stream, int caller_status);

  int status() const { return status_; }
  const std::string& name() const { return name_; }
  // Size in bytes of the file on disk (the compressed file for a piped
  // stream), 0 when unknown: a hint for readers sizing their arrays.
  uint64_t file_bytes() const;
  // True when the text comes through a decompressing pipe.
  bool piped() const;
  // Canonical name of the file encoding (written into LP and MPS headers).
  const char* encoding_name() const;
  // True when the stream wraps a handle it did not open (standard input).
  bool wrapped() const;

 private:
  FileStream();
  struct Impl;
  int fail(int code);  // records the first error, returns it
  int fill(size_t limit);
  int write_bytes(const char* data, size_t n);
  std::unique_ptr<Impl> impl_;
  std::string name_;
  int status_ = 0;
};

// Bare-handle helpers (no encoding layer) for binary and XML files.
// Return 0 or a negated printed error code.
int open_bare_read(Environment& env, const char* filename, const char* default_extension,
                   bool allow_compression, FILE*& out);
int open_bare_write(Environment& env, const char* filename, bool allow_compression, FILE*& out);
// Closes with pclose when the name has a compression suffix, else fclose.
// Returns 0, or 1426 (not printed) when the close reports a failure.
int close_bare(const char* filename, FILE* file);

}  // namespace korva

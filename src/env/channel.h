// Message channels: named sinks with a list of destinations (files,
// indirect files, functions). All text the library prints goes through them.
#pragma once
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "env/encoding.h"
#include "korva/korva.h"

struct krv_env_s;

namespace korva {
using Environment = krv_env_s;

enum class DestinationKind : int { File = 1, IndirectFile = 2, Function = 3 };

struct Destination {
  DestinationKind kind = DestinationKind::File;
  FILE* file = nullptr;            // File
  FILE** indirect = nullptr;       // IndirectFile: read at every write
  void* handle = nullptr;          // Function
  KRVmsgfunc function = nullptr;   // Function
  Converter converter;             // not open: text goes out as UTF-8
  std::u16string utf16;            // conversion scratch, kept between messages
  std::string encoded;

  Destination();
  // `utf8` is NUL-terminated UTF-8; `ascii` says it is 7-bit only.
  void write(const std::string& utf8, bool ascii);
  void flush();
};

}  // namespace korva

struct krv_channel_s {
  korva::Environment* env = nullptr;
  // Front is the head: the most recently added destination receives first.
  std::vector<std::unique_ptr<korva::Destination>> destinations;

  // Writes well-formed UTF-8 text to every destination.
  void write_utf8(const std::string& text);
  void flush();
  void clear();  // flushes and removes all destinations
  bool has_file(FILE* fp) const;
};

namespace korva {
using Channel = krv_channel_s;

// Adds destinations; the encoding is chosen from the kind and the owning
// environment's parameters. Return 0 or an error code (1235 leaves the
// destination in place without a converter).
int add_file_destination(Channel& ch, FILE* fp);
int add_indirect_destination(Channel& ch, FILE** fpp);
int add_function_destination(Channel& ch, void* handle, KRVmsgfunc fn);
// Remove the first matching destination from the head; 1052 / 1053 when none.
int remove_file_destination(Channel& ch, FILE* fp);
int remove_function_destination(Channel& ch, void* handle, KRVmsgfunc fn);

// The internal message routine: printf-style, at most 2047 bytes, normalised
// to UTF-8. A null channel prints nothing. Returns the length of the UTF-8 text.
int msg(Channel* ch, const char* format, ...) __attribute__((format(printf, 2, 3)));
int vmsg(Channel* ch, const char* format, va_list args);
// Unformatted, any length (UTF-8 expected; normalised like msg).
int msg_text(Channel* ch, std::string_view text);

// KRV_PARAM_SCRIND's side effect: standard output on the results, warning
// and error channels, added once or removed.
void set_screen_output(Environment& env, bool on);

// KRVsetlogfile: moves the log file destination of the results, warning,
// error and log channels from the recorded log file to `fp` (null: none).
int set_log_file(Environment& env, FILE* fp);

}  // namespace korva

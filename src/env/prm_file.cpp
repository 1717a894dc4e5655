#include "env/prm_file.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "env/environment.h"
#include "env/errors.h"
#include "env/params.h"
#include "io/stream.h"

namespace korva {
namespace {

constexpr const char* kHeaderLine = "KORVA Parameter File Version %s\n";
constexpr const char* kHeaderPattern = "KORVA Parameter File Version %s";
// One literal, so that the message can be found as it is printed.
constexpr const char* kVersionWarning = "Warning:  KORVA version found in file %s (%s) does not match\n          this KORVA version (%s).\n";
constexpr const char* kNonIntegralWarning =
    "Warning, line %lld: non-integral value specified for integer parameter.\n";
constexpr size_t kLineBufferSize = 10000;
constexpr const char* kDefaultExtension = ".prm";

// ---------------------------------------------------------------------------
// File access through the library's file stream: parameter files are UTF-8
// text (decoded and normalised by the stream), compressed when the name asks
// for it. Open failures are printed by the stream with the file name and
// come back negated.

class OutputFile {
 public:
  int open(Environment& env, const char* name) {
    StreamOptions options;
    options.mode = "w";
    options.encoding = "UTF-8";
    options.allow_compression = true;
    name_ = name;
    return FileStream::open(env, name, options, stream_);
  }

  // Results are collected by the stream: its first failure is what close
  // reports.
  [[gnu::format(printf, 2, 3)]] void printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    stream_->vprintf(format, args);
    va_end(args);
  }

  // Write errors surface when the data reaches the disk, so they are
  // checked at the close; a parameter file that did not get there is one
  // that could not be written.
  int close(Environment& env) {
    if (FileStream::close(env, stream_, 0) != 0)
      return report_formatted(&env, err::kCannotWrite, name_.c_str());
    return 0;
  }

 private:
  std::unique_ptr<FileStream> stream_;
  std::string name_;
};

class InputFile {
 public:
  InputFile() : buffer_(kLineBufferSize) {}
  ~InputFile() {
    if (stream_) FileStream::close(*env_, stream_, 0);
  }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Tries the name, then the name with the default extension appended.
  int open(Environment& env, const char* name) {
    env_ = &env;
    StreamOptions options;
    options.mode = "rb";
    options.default_extension = kDefaultExtension;
    options.encoding = "UTF-8";
    options.must_exist = false;
    options.allow_compression = true;
    if (int status = FileStream::open(env, name, options, stream_)) return status;
    name_ = stream_->name();
    return 0;
  }

  // Next piece of a line, at most kLineBufferSize - 1 bytes including its
  // newline. False at end of file or on a read or decoding error.
  bool read_piece(std::string& piece) {
    size_t length = 0;
    status_ = stream_->read_line(buffer_.data(), buffer_.size(), length);
    if (status_ || length == 0) return false;
    piece.assign(buffer_.data(), length);
    return true;
  }
  int status() const { return status_; }
  const std::string& name() const { return name_; }

 private:
  Environment* env_ = nullptr;
  std::unique_ptr<FileStream> stream_;
  std::string name_;
  std::vector<char> buffer_;
  int status_ = 0;
};

// ---------------------------------------------------------------------------
// Writer

// Visible parameters are written by name; hidden ones have no name, so their
// number takes the name's column.
void write_key(OutputFile& out, const ParamDef& def) {
  if (def.hidden)
    out.printf("%-32d ", def.number);
  else
    out.printf("%-32s ", def.name);
}

void write_setting(OutputFile& out, const ParamDef& def, const ParamSlot& value) {
  switch (def.type) {
    case ParamType::Int:
      if (def.hidden)
        out.printf("%-32d %-d\n", def.number, static_cast<int>(value.i));
      else
        out.printf("%-32s %-d\n", def.name, static_cast<int>(value.i));
      break;
    case ParamType::Long:
      if (def.hidden)
        out.printf("%-32d %-lld\n", def.number, value.i);
      else
        out.printf("%-32s %-lld\n", def.name, value.i);
      break;
    case ParamType::Double: {
      // The file must read back the same wherever it is read, so the
      // decimal point is the C locale's.
      write_key(out, def);
      ScopedCLocale c_locale;
      out.printf("%-23.14e", value.d);
      out.printf("\n");
      break;
    }
    case ParamType::String: {
      // Raw-byte values (paths) may hold bytes that are not UTF-8; the file
      // is UTF-8 and must stay readable, so those bytes are left out.
      std::string text = value.s;
      normalize_utf8(text);
      if (def.hidden)
        out.printf("%-32d \"%-s\"\n", def.number, text.c_str());
      else
        out.printf("%-32s \"%-s\"\n", def.name, text.c_str());
      break;
    }
    case ParamType::None:
      break;
  }
}

bool is_written(const Environment& env, const ParamDef& def) {
  if (def.type == ParamType::None) return false;
  // The names-only switch governs how the reader treats the file itself, so
  // a file never carries it.
  if (def.number == hidden_param::kPrmNamesOnly) return false;
  return env.params.differs_from_default(def);
}

// ---------------------------------------------------------------------------
// Reader

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view skip_blanks(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && is_blank(text[i])) ++i;
  return text.substr(i);
}

// Splits off the text up to the next white space.
std::string_view take_token(std::string_view& text) {
  size_t n = 0;
  while (n < text.size() && !is_blank(text[n])) ++n;
  const std::string_view token = text.substr(0, n);
  text.remove_prefix(n);
  return token;
}

// Cuts a line at its newline and at the first '#' outside double quotes.
void strip_line(std::string& line) {
  const size_t newline = line.find('\n');
  if (newline != std::string::npos) line.resize(newline);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == '#' && !quoted) {
      line.resize(i);
      break;
    }
  }
}

bool is_decimal_integer(std::string_view token) {
  size_t i = (!token.empty() && (token[0] == '-' || token[0] == '+')) ? 1 : 0;
  if (i == token.size()) return false;
  for (; i < token.size(); ++i)
    if (token[i] < '0' || token[i] > '9') return false;
  return true;
}

// A value that passed validation, to be applied once the whole file is read.
struct PendingSetting {
  int number = 0;
  ParamType type = ParamType::None;
  long long integral = 0;
  double real = 0.0;
  std::string text;
};

class PrmParser {
 public:
  PrmParser(Environment& env, const std::string& filename) : env_(env), filename_(filename) {}

  // One line, already cut at its newline and comment. 0 or an error code.
  int parse(long long line_number, const std::string& line) {
    line_ = line_number;
    if (line.empty()) return 0;
    return seen_header_ ? setting(line) : header(line);
  }

  // A file without a header line is as bad as one with a wrong header.
  int finish(long long lines_read) {
    return seen_header_ ? 0 : report_formatted(&env_, err::kPrmBadHeader, lines_read);
  }

  const std::vector<PendingSetting>& pending() const { return pending_; }

 private:
  int header(const std::string& line) {
    std::vector<char> version(line.size() + 1);
    if (std::sscanf(line.c_str(), kHeaderPattern, version.data()) != 1)
      return report_formatted(&env_, err::kPrmBadHeader, line_);
    seen_header_ = true;
    if (std::strcmp(version.data(), env_.version) != 0)
      msg(env_.warning(), kVersionWarning, filename_.c_str(), version.data(), env_.version);
    return 0;
  }

  int setting(std::string_view line) {
    line = skip_blanks(line);
    const std::string key(take_token(line));
    if (key.empty()) return report_formatted(&env_, err::kPrmNotEnoughEntries, line_);
    const ParamDef* def = nullptr;
    if (int status = resolve(key, def)) return status;
    if (def->type == ParamType::None) return 0;  // an unused number: nothing to set
    PendingSetting setting;
    setting.number = def->number;
    setting.type = def->type;
    line = skip_blanks(line);
    int status = 0;
    switch (def->type) {
      case ParamType::Int:
      case ParamType::Long:
        status = integral_value(line, setting);
        break;
      case ParamType::Double:
        status = real_value(line, setting);
        break;
      case ParamType::String:
        status = text_value(line, setting);
        break;
      case ParamType::None:
        break;
    }
    if (status) return status;
    pending_.push_back(std::move(setting));
    return 0;
  }

  int resolve(const std::string& key, const ParamDef*& def) {
    if (env_.int_param(hidden_param::kPrmNamesOnly) != 0 || !is_decimal_integer(key)) {
      def = find_param_by_name(key.c_str());
      return def ? 0 : err::kBadParamName;
    }
    const long long number = std::strtoll(key.c_str(), nullptr, 10);
    def = number >= 1001 && number < 6000 ? find_param(static_cast<int>(number)) : nullptr;
    return def ? 0 : err::kBadParamNumber;
  }

  int integral_value(std::string_view& line, PendingSetting& setting) {
    const std::string token(take_token(line));
    if (token.empty()) return report_formatted(&env_, err::kPrmNotEnoughEntries, line_);
    char* end = nullptr;
    setting.integral = std::strtoll(token.c_str(), &end, 10);
    if (end == token.c_str())
      return report_formatted(&env_, err::kBadNumber, line_, token.c_str());
    // "1.5" or "1e-3" was meant as something else; say so, and go on with
    // the integer part.
    if (token.find_first_of("-.", 1) != std::string::npos)
      msg(env_.warning(), kNonIntegralWarning, line_);
    return validate_long_param(env_, setting.number, setting.integral);
  }

  int real_value(std::string_view& line, PendingSetting& setting) {
    const std::string token(take_token(line));
    if (token.empty()) return report_formatted(&env_, err::kPrmNotEnoughEntries, line_);
    char* end = nullptr;
    {
      ScopedCLocale c_locale;
      setting.real = std::strtod(token.c_str(), &end);
    }
    if (end == token.c_str())
      return report_formatted(&env_, err::kBadNumber, line_, token.c_str());
    return validate_dbl_param(env_, setting.number, setting.real);
  }

  // A double-quoted text (no escapes) or a bare word.
  int text_value(std::string_view& line, PendingSetting& setting) {
    if (!line.empty() && line[0] == '"') {
      const size_t close = line.find('"', 1);
      if (close == std::string_view::npos)
        return report_formatted(&env_, err::kPrmNotEnoughEntries, line_);
      setting.text.assign(line.substr(1, close - 1));
    } else {
      setting.text.assign(take_token(line));
      if (setting.text.empty()) return report_formatted(&env_, err::kPrmNotEnoughEntries, line_);
    }
    return validate_str_param(env_, setting.number, setting.text.c_str());
  }

  Environment& env_;
  const std::string& filename_;
  long long line_ = 0;
  bool seen_header_ = false;
  std::vector<PendingSetting> pending_;
};

int apply_setting(Environment& env, const PendingSetting& s) {
  switch (s.type) {
    case ParamType::Int:
    case ParamType::Long:
      return set_long_param(env, s.number, s.integral);
    case ParamType::Double:
      return set_dbl_param(env, s.number, s.real);
    case ParamType::String:
      return set_str_param(env, s.number, s.text.c_str());
    case ParamType::None:
      break;
  }
  return 0;
}

// Every value was checked against the settings in force while the file was
// read; against the defaults two of them may still exclude each other, so a
// failure here puts everything back as well.
int apply_all(Environment& env, const std::vector<PendingSetting>& pending) {
  const ParamValues saved = env.params;
  reset_params(env);
  for (const PendingSetting& s : pending) {
    if (int status = apply_setting(env, s)) {
      restore_params(env, saved);
      return status;
    }
  }
  return 0;
}

}  // namespace

int write_param_file(Environment& env, const char* filename) {
  if (!filename || !*filename) return err::kNoFileName;
  OutputFile out;
  if (int status = out.open(env, filename)) return status;
  out.printf(kHeaderLine, env.version);
  for (int slot = 0; slot < kParamSlotCount; ++slot) {
    const ParamDef& def = param_at_slot(slot);
    if (is_written(env, def)) write_setting(out, def, env.params.slots[slot]);
  }
  return out.close(env);
}

int read_param_file(Environment& env, const char* filename) {
  if (!filename || !*filename) return err::kNoFileName;
  InputFile in;
  if (int status = in.open(env, filename)) return status;
  PrmParser parser(env, in.name());
  std::string piece;
  long long line_number = 0;
  bool line_complete = true;
  while (in.read_piece(piece)) {
    // Lines longer than the buffer arrive in pieces of the same line.
    if (line_complete) ++line_number;
    line_complete = !piece.empty() && piece.back() == '\n';
    strip_line(piece);
    if (int status = parser.parse(line_number, piece)) return status;
  }
  if (in.status()) return in.status();
  if (int status = parser.finish(line_number)) return status;
  return apply_all(env, parser.pending());
}

}  // namespace korva

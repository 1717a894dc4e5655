#include "env/prm_file.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "env/environment.h"
#include "env/errors.h"
#include "env/params.h"

namespace korva {
namespace {

constexpr const char* kHeaderLine = "KORVA Parameter File Version %s\n";
constexpr const char* kHeaderPattern = "KORVA Parameter File Version %s";
constexpr const char* kVersionWarning =
    "Warning:  KORVA version found in file %s (%s) does not match\n"
    "          this KORVA version (%s).\n";
constexpr const char* kNonIntegralWarning =
    "Warning, line %lld: non-integral value specified for integer parameter.\n";
constexpr size_t kLineBufferSize = 10000;
constexpr std::string_view kDefaultExtension = ".prm";

// ---------------------------------------------------------------------------
// File access. Parameter files will go through the shared file stream
// (io/stream.h, UTF-8 encoding, ".prm" default extension) once it exists;
// until then these two FILE* wrappers stand in for it. They report open
// failures exactly as the stream does (printed with the file name, returned
// negated), so switching over only replaces this section. Compressed names
// come with the stream.

bool ends_with_ignoring_case(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  text.remove_prefix(text.size() - suffix.size());
  for (size_t i = 0; i < suffix.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(text[i]) != lower(suffix[i])) return false;
  }
  return true;
}

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile() {
    if (file_) std::fclose(file_);
  }

  int open(Environment& env, const char* name) {
    file_ = std::fopen(name, "w");
    if (!file_) return report_formatted(&env, err::kCannotWrite, name);
    name_ = name;
    return 0;
  }

  [[gnu::format(printf, 2, 3)]] void printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(file_, format, args);
    va_end(args);
  }

  // Write errors surface when the data reaches the disk, so they are
  // checked at the close.
  int close(Environment& env) {
    bool failed = std::ferror(file_) != 0 || std::fflush(file_) != 0;
    failed = std::fclose(file_) != 0 || failed;
    file_ = nullptr;
    return failed ? report_formatted(&env, err::kCannotWrite, name_.c_str()) : 0;
  }

 private:
  FILE* file_ = nullptr;
  std::string name_;
};

class InputFile {
 public:
  InputFile() = default;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile() {
    if (file_) std::fclose(file_);
  }

  // Tries the name, then the name with the default extension appended.
  int open(Environment& env, const char* name) {
    name_ = name;
    if ((file_ = std::fopen(name, "rb"))) return 0;
    if (ends_with_ignoring_case(name_, kDefaultExtension))
      return report_formatted(&env, err::kCannotRead, name);
    name_ += kDefaultExtension;
    if ((file_ = std::fopen(name_.c_str(), "rb"))) return 0;
    report_formatted(&env, err::kCannotRead, name);
    return report_formatted(&env, err::kCannotRead, name_.c_str());
  }

  // Next piece of a line, at most kLineBufferSize - 1 bytes including its
  // newline. False at end of file or on a read error.
  bool read_piece(std::string& piece) {
    if (!std::fgets(buffer_, sizeof buffer_, file_)) return false;
    piece.assign(buffer_);
    return true;
  }
  bool failed() const { return std::ferror(file_) != 0; }
  const std::string& name() const { return name_; }

 private:
  FILE* file_ = nullptr;
  std::string name_;
  char buffer_[kLineBufferSize];
};

// Text read from a parameter file is UTF-8, normalised to composed form like
// every text the library reads. 1235 for bytes that are not UTF-8.
int normalise_utf8(std::string& text) {
  if (is_ascii(text)) return 0;
  std::u16string wide;
  if (!utf8_to_utf16(text, wide) || !nfc_normalize(wide) || !utf16_to_utf8(wide, text))
    return err::kEncoding;
  return 0;
}

// ---------------------------------------------------------------------------
// Writer

void write_setting(OutputFile& out, const ParamDef& def, const ParamSlot& value) {
  // Hidden parameters have no name; their number takes the name's column.
  const std::string key = def.hidden ? std::to_string(def.number) : std::string(def.name);
  switch (def.type) {
    case ParamType::Int:
      out.printf("%-32s %-d\n", key.c_str(), static_cast<int>(value.i));
      break;
    case ParamType::Long:
      out.printf("%-32s %-lld\n", key.c_str(), value.i);
      break;
    case ParamType::Double: {
      ScopedCLocale c_locale;
      out.printf("%-32s %-23.14e\n", key.c_str(), value.d);
      break;
    }
    case ParamType::String: {
      // Raw-byte values (paths) may hold bytes that are not UTF-8; the file
      // is UTF-8 and must stay readable, so those bytes are left out.
      std::string text = value.s;
      normalize_utf8(text);
      out.printf("%-32s \"%-s\"\n", key.c_str(), text.c_str());
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
    if (int status = normalise_utf8(piece)) return status;
    strip_line(piece);
    if (int status = parser.parse(line_number, piece)) return status;
  }
  if (in.failed()) return err::kIoError;
  if (int status = parser.finish(line_number)) return status;
  return apply_all(env, parser.pending());
}

}  // namespace korva

#include "io/file_type.h"

#include <strings.h>

#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "env/environment.h"
#include "env/error_codes.h"
#include "env/errors.h"
#include "io/sav/sav.h"
#include "io/stream.h"

namespace korva {
namespace {

bool starts_with_ci(std::string_view s, const char* prefix) {
  const size_t n = std::strlen(prefix);
  return s.size() >= n && strncasecmp(s.data(), prefix, n) == 0;
}

bool ends_with_ci(std::string_view s, const char* suffix) {
  const size_t n = std::strlen(suffix);
  return s.size() >= n && strncasecmp(s.data() + s.size() - n, suffix, n) == 0;
}

}  // namespace

FileType type_from_string(const char* filetype) {
  const std::string_view t(filetype);
  if (starts_with_ci(t, "LP")) return FileType::kLp;
  if (starts_with_ci(t, "MPS")) return FileType::kMps;
  if (starts_with_ci(t, "SAV")) return FileType::kSav;
  if (starts_with_ci(t, "MIN")) return FileType::kNetwork;
  if (starts_with_ci(t, "NET")) return FileType::kNetwork;
  return FileType::kInvalid;
}

FileType type_from_name(const char* filename) {
  std::string_view name(filename);
  // The compression suffix does not say what is inside.
  if (name.size() > 4 && ends_with_ci(name, ".BZ2"))
    name.remove_suffix(4);
  else if (name.size() >= 4 && ends_with_ci(name, ".GZ"))
    name.remove_suffix(3);
  else if (ends_with_ci(name, ".Z"))
    name.remove_suffix(2);
  if (name.size() < 3) return FileType::kUndetermined;
  if (ends_with_ci(name, ".LP")) return FileType::kLp;
  if (name.size() > 3) {
    if (ends_with_ci(name, ".MPS") || ends_with_ci(name, ".QPS")) return FileType::kMps;
    if (ends_with_ci(name, ".SAV")) return FileType::kSav;
    if (ends_with_ci(name, ".NET") || ends_with_ci(name, ".MIN")) return FileType::kNetwork;
  }
  return FileType::kUndetermined;
}

int sniff_type(Environment& env, const char* filename, FileType& type) {
  type = FileType::kUndetermined;
  // 1. The binary format, under the name or the name with ".sav".
  {
    FILE* f = nullptr;
    if (int status = open_bare_read(env, filename, ".sav", true, f)) return status;
    const bool sav = sav::header_valid(f);
    close_bare(filename, f);
    if (sav) {
      type = FileType::kSav;
      return 0;
    }
  }
  StreamOptions options;
  options.mode = "rb";
  options.must_exist = true;
  options.allow_compression = true;
  // 2. The earlier binary layout: a length byte of at least 5, then "KORVA".
  {
    std::unique_ptr<FileStream> s;
    if (int status = FileStream::open(env, filename, options, s)) return status;
    unsigned char n = 0;
    bool old_sav = false;
    if (s->read_bytes(&n, 1, 1) == 1 && n >= 5) {
      unsigned char head[256];
      if (s->read_bytes(head, 1, n) == n && std::memcmp(head, "KORVA", 5) == 0) old_sav = true;
    }
    FileStream::close(env, s, 0);
    if (old_sav) {
      type = FileType::kSav;
      return 0;
    }
  }
  // 3. The first character of the text.
  std::unique_ptr<FileStream> s;
  if (int status = FileStream::open(env, filename, options, s)) return status;
  int32_t c = -1;
  const int status = s->read_char(c);
  FileStream::close(env, s, 0);
  if (status) return report_error(&env, status), -status;
  if (c == '\n' || c == ' ')
    type = FileType::kLp;
  else if (c >= 0 && c < 32)
    type = FileType::kSav;
  else if (c == '*' || c == 'N' || c == 'n')
    type = FileType::kMps;
  else if (c == 'M' || c == 'm' || c == '\\')
    type = FileType::kLp;
  else
    return report_formatted(&env, err::kBadFileType);  // also an empty file
  return 0;
}

int write_format(const char* filename, const char* filetype, WriteFormat& format) {
  std::string type;
  if (filetype) {
    type = filetype;
  } else {
    const std::string_view name(filename);
    const size_t last = name.rfind('.');
    if (last == std::string_view::npos) return err::kBadFileType;
    if (compressor_for(name) != Compressor::None) {
      // out.mps.gz: the extension is the text between the last two dots.
      if (last == 0) return err::kBadFileType;
      const size_t before = name.rfind('.', last - 1);
      if (before == std::string_view::npos || last - before >= 5) return err::kBadFileType;
      type = name.substr(before + 1, last - before - 1);
    } else {
      type = name.substr(last + 1);
    }
  }
  if (type.size() > 3) return err::kBadFileType;
  const std::string_view t(type);
  if (starts_with_ci(t, "MPS")) format = WriteFormat::kMps;
  else if (starts_with_ci(t, "RMP") || starts_with_ci(t, "REW")) format = WriteFormat::kMpsGeneric;
  else if (starts_with_ci(t, "LP")) format = WriteFormat::kLp;
  else if (starts_with_ci(t, "RLP")) format = WriteFormat::kLpGeneric;
  else if (starts_with_ci(t, "ALP")) format = WriteFormat::kLpAnnotated;
  else if (starts_with_ci(t, "SAV")) format = WriteFormat::kSav;
  else return err::kBadFileType;
  return 0;
}

}  // namespace korva

// Choosing a model file's format: from an explicit type string, from the
// file name, or from the file's first bytes.
#pragma once
#include <cstddef>

struct krv_env_s;

namespace korva {
using Environment = krv_env_s;

enum class FileType { kUndetermined, kLp, kMps, kSav, kNetwork, kInvalid };

// Case-insensitive prefix test: "LP", "MPS", "SAV", "MIN", "NET" (so "lp"
// and "LPX" are LP); anything else is kInvalid.
FileType type_from_string(const char* filetype);
// By extension, after setting aside a compression suffix; kUndetermined
// when the name does not tell.
FileType type_from_name(const char* filename);
// By content. Returns 0 with the type, or a printed (negative) error: 1423
// when the file cannot be opened, 1424 when the content is not recognised.
int sniff_type(Environment& env, const char* filename, FileType& type);

// The writers selectable by KRVwriteprob.
enum class WriteFormat { kMps, kMpsGeneric, kLp, kLpGeneric, kLpAnnotated, kSav };
// From the type string, or from the name's extension (for a compressed name
// the extension before the compression suffix). 0 or 1424 (not printed).
int write_format(const char* filename, const char* filetype, WriteFormat& format);

}  // namespace korva

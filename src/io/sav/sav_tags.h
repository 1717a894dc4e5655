// Identifier octets of the SAV format (SAV_FORMAT.md beside this file
// describes the whole layout).
#pragma once
#include <cstdint>

namespace korva::sav {

inline constexpr int kFormatVersion = 1;
inline constexpr char kFormatText[] = "KORVA binary SAV file";

// Application-class constructed tags (identifier 0x60 | tag below 31).
enum AppTag : int {
  kRoot = 1,
  kHeader = 2,
  kNames = 3,
  kLpData = 4,
  kMipData = 5,
  kQuadData = 6,
  kIndicatorData = 7,
  kSosSets = 12,
  kOrder = 13,
  kUserCuts = 14,
  kLazyConstraints = 15,
  kQuadConstraints = 17,
  kQuadConstraint = 18,
  kIndicator = 19,
  kQuadObjective = 21,
  kHeaderText = 24,
  kStart = 25,
};

// Universal primitives.
inline constexpr uint8_t kInteger = 0x02;      // 32- or 64-bit two's complement, minimal
inline constexpr uint8_t kOctetString = 0x04;  // one byte (a sense, a type, a flag)
inline constexpr uint8_t kUtf8String = 0x0C;
inline constexpr uint8_t kSequence = 0x30;     // constructed: a text, one UTF8String per byte

// Context-class primitives for arrays; the contents are the elements back
// to back, numbers big-endian.
inline constexpr uint8_t kDoubleArray = 0x80;  // IEEE 754 binary64
inline constexpr uint8_t kInt32Array = 0x81;
inline constexpr uint8_t kInt64Array = 0x82;
inline constexpr uint8_t kByteArray = 0x83;
inline constexpr uint8_t kTextArray = 0x84;    // NUL-terminated texts

// Result codes of the encoder and decoder routines.
enum Code : int {
  kOk = 0,
  kUninterpretable = 1,  // mapped to 1564
  kNoData = 2,           // the file ends inside an element: 1561
  kReadFailed = 3,       // 1561
  kWriteFailed = 4,      // 1562
};

}  // namespace korva::sav

// Solution status codes and their texts.
#pragma once

namespace korva {

namespace status {
inline constexpr int kOptimal = 1;
inline constexpr int kUnbounded = 2;
inline constexpr int kInfeasible = 3;
inline constexpr int kInfOrUnbd = 4;
inline constexpr int kOptimalInfeas = 5;
inline constexpr int kNumBest = 6;
inline constexpr int kAbortItLim = 10;
inline constexpr int kAbortTimeLim = 11;
inline constexpr int kAbortObjLim = 12;
inline constexpr int kAbortUser = 13;
inline constexpr int kAbortDetTimeLim = 25;
}  // namespace status

struct StatusEntry {
  int code;
  const char* text;
  const char* short_text;
};
extern const StatusEntry kStatusTable[];  // terminated by code 0

const StatusEntry* find_status(int code);
// "Unknown status value" / "Unknown stat value" for an unknown code.
const char* status_text(int code);
const char* status_short_text(int code);

}  // namespace korva

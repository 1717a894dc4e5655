// How an indicator constraint's kind travels through the problem object.
// The problem keeps one integer per indicator, the complemented flag of the
// interface: 0 and 1 keep that meaning for the common kind (->, active when
// the column is 1, or 0 when complemented); the other kinds (<- and <->)
// store their code, negated when complemented. Readers encode, writers
// decode, so the model files keep every kind.
#pragma once

namespace korva {

// kind: 1 (->), 2 (<-), 3 (<->); negative when complemented.
inline int encode_indicator_kind(int kind) { return kind == 1 ? 0 : kind == -1 ? 1 : kind; }
inline int decode_indicator_kind(int stored) {
  return stored == 0 ? 1 : stored == 1 ? -1 : stored;
}

}  // namespace korva

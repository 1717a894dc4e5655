// Post-processing of a model just read from a file: a random permutation of
// its columns and/or rows, asked for by two hidden settings of the
// environment. It exists to test how much an algorithm's path depends on
// the order of the model; the permuted model is the same model.
#pragma once
#include "io/reader_arrays.h"

struct krv_env_s;

namespace korva {
using Environment = krv_env_s;

// Hidden integer settings: non-zero permutes the columns (1049) or the rows
// (1050) of every model read through KRVreadcopyprob. The permutation is
// drawn from the environment's random sequence restarted at its seed, so the
// same seed gives the same order.
inline constexpr int kPermuteColumnsParam = 1049;
inline constexpr int kPermuteRowsParam = 1050;

// Applies the requested permutations to the reader arrays before they are
// copied into the problem. Models with general constraints (special ordered
// sets, indicator and quadratic constraints, user cuts, lazy constraints)
// are left as they are, with a warning.
void permute_read_model(Environment& env, ReaderArrays& a);

}  // namespace korva

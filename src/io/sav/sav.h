// The SAV binary model format (SAV_FORMAT.md beside this file): the
// writer behind KRVsavwrite, the reader the model-file dispatch calls, and
// the header test of its content sniffing.
#pragma once
#include <cstdio>

#include "io/reader_arrays.h"
#include "model/problem.h"

namespace korva::sav {

// Writes the problem; 1422 when the file cannot be created, 1562 when the
// data cannot be written. Returns 0 or an error code.
int write_sav(Environment& env, Problem& p, const char* filename);

// Reads the file into `arrays` (names, types, SOS, order, quadratic and
// indicator data, user cuts, lazy constraints and the basis included).
// Errors: 1423, 1560 (not a SAV file), 1561 (the file ends too early),
// 1563 (the earlier layout, chosen by KORVA_SAVFILE_VERSION <= 0), 1564
// (values that cannot be interpreted). Sections with contents this reader
// does not know are read past, with warnings once the read succeeded.
int read_sav(Environment& env, const char* filename, ReaderArrays& arrays);

// Whether the file starts with a SAV header (root, header, version and
// format text); the file position is left anywhere.
bool header_valid(FILE* file);

// The reader chosen by KORVA_SAVFILE_VERSION: 1 when unset or not entirely
// a decimal number.
int savfile_version();

}  // namespace korva::sav

// Taking path text apart: PathUnquoteSpacesA and _splitpath_s, as the Windows shell and C
// runtime define them for a single-byte ANSI code page (Windows-1252 has no lead bytes, so no
// character spans two bytes).
#pragma once

#include <cstddef>

#include "platform/shell/shell_types.h"

constexpr std::size_t _MAX_PATH = 260;
constexpr std::size_t _MAX_DRIVE = 3;
constexpr std::size_t _MAX_DIR = 256;
constexpr std::size_t _MAX_FNAME = 256;
constexpr std::size_t _MAX_EXT = 256;

// Removes one pair of double quotes when the path both begins and ends with one (a lone '"'
// counts as both and leaves ""). TRUE when quotes were removed; a null path gives FALSE.
BOOL PathUnquoteSpacesA(LPSTR path) noexcept;

// Splits `path` into drive (any character followed by ':'), directory (up to and including the
// last '\' or '/'), file name and extension (from the last '.' after the directory, dot
// included). Each output may be null with a size of 0 to skip it.
// Returns 0; EINVAL for a null path or an output whose pointer and size disagree (the valid
// outputs are then set to ""); ERANGE when a part does not fit its buffer with its NUL (every
// output is set to ""). Nothing is ever written past a buffer's size.
int _splitpath_s(const char* path, char* drive, std::size_t drive_size, char* dir,
                 std::size_t dir_size, char* fname, std::size_t fname_size, char* ext,
                 std::size_t ext_size) noexcept;

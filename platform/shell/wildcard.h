// File-name patterns as FindFirstFileA reads them.
//
// The pattern is first rewritten the way Windows hands it to the file system: "*.*" becomes
// "*"; every '?' becomes DOS_QM; a '*' followed by '.' becomes DOS_STAR; a '.' followed by '?',
// '*' or the end becomes DOS_DOT. Then, comparing letters without regard to case:
//   '*'       any run of characters, dots included;
//   DOS_STAR  any run that does not pass the name's last dot;
//   DOS_QM    one character, or nothing at a dot or at the end of the name (so "???" also
//             matches "ab", and "a?.txt" matches "a.txt");
//   DOS_DOT   a dot, or nothing at the end of the name (so "*." matches names without one).
// There are no 8.3 short names, so "*.htm" does not match "x.html" as it can on Windows.
#pragma once

#include <string_view>

namespace shell {

bool wildcard_match(std::u16string_view pattern, std::u16string_view name) noexcept;

bool has_wildcards(std::u16string_view pattern) noexcept;

}  // namespace shell

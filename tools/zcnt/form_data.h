// zcnt form-data filled.pdf: the answers of a filled-in PDF form as JSON, {name: value} for
// every field whose value is collected, keyed by its mapping name when the form has one.
#pragma once

#include <cstdio>
#include <string>

namespace zcnt {

// 0 when the answers are printed on `out`; 2 for a file that cannot be read, is encrypted or
// has no form (one line on `err`).
int run_form_data(const std::string& path, std::FILE* out, std::FILE* err);

}  // namespace zcnt

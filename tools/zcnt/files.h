// Writing the tool's output files whole or not at all (the engine's writer: a temporary file
// beside the target, then a rename), and reading its input, which must be a regular file.
#pragma once

#include <string>
#include <string_view>

namespace zcnt {

bool write_file_atomically(const std::string& path, std::string_view contents, std::string* error);
bool read_file(const std::string& path, std::string* contents, std::string* error);

}  // namespace zcnt

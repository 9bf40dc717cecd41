// Writing the tool's output files whole or not at all (the engine's writer: a temporary file
// beside the target, then a rename), and reading its input, which must be a regular file.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "host/engine.h"

namespace zcnt {

// The outputs of one run, written together: each goes to a temporary file beside its target
// as it is added, and `commit` renames them all or, when one fails, none.
class output_files {
public:
    bool add(const std::string& path, std::string_view contents, std::string* error);
    bool commit(std::string* error);

private:
    host::file_batch batch_;
};

// The files the document could not use (a picture that does not decode, a PDF that does not
// open …): an error naming the first of them, or with `keep_going` a warning on `err` for each.
bool check_unusable_files(const std::vector<host::unusable_file>& files, bool keep_going,
                          std::FILE* err, std::string* error);

bool write_file_atomically(const std::string& path, std::string_view contents, std::string* error);
bool read_file(const std::string& path, std::string* contents, std::string* error);

}  // namespace zcnt

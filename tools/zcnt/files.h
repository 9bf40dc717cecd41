// Writing the tool's output files whole or not at all (the engine's writer: a temporary file
// beside the target, then a rename), and reading its input, which must be a regular file.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/engine.h"

namespace zcnt {

// Folders made for a run's outputs, with any missing folders above them: unless the run keeps
// them, they go again with whatever was put in them. A folder that was there already stays.
class made_folders {
public:
    made_folders() = default;
    made_folders(const made_folders&) = delete;
    made_folders& operator=(const made_folders&) = delete;
    ~made_folders();
    bool make(const std::string& path, std::string* error);
    void keep() { made_.clear(); }

private:
    std::vector<std::string> made_;  // the highest folder each make created
};

// The outputs of one run, written together: each goes to a temporary file beside its target
// as it is added, and `commit` renames them all or, when one fails, none.
class output_files {
public:
    bool add(const std::string& path, std::string_view contents, std::string* error);
    // A folder for an output, gone again when the outputs are not committed.
    bool make_folder(const std::string& path, std::string* error) { return folders_.make(path, error); }
    bool commit(std::string* error);

private:
    made_folders folders_;  // before the batch, so that its files go first
    host::file_batch batch_;
};

// The files the document could not use (a picture that does not decode, a PDF that does not
// open …): an error naming the first of them, or with `keep_going` a warning on `err` for each.
bool check_unusable_files(const std::vector<host::unusable_file>& files, bool keep_going,
                          std::FILE* err, std::string* error);

// The first of `outputs` (an option and its file; empty ones are left out) that names the same
// file as an output before it or as one of `inputs`: a message for it, or empty when each
// output is a file of its own.
std::string clashing_output(const std::vector<std::pair<std::string, std::string>>& outputs,
                            const std::vector<std::string>& inputs);

bool write_file_atomically(const std::string& path, std::string_view contents, std::string* error);
bool read_file(const std::string& path, std::string* contents, std::string* error);

}  // namespace zcnt

// Whole-file reads and atomic writes for the tool.
#include "tools/zcnt/files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>

#include "host/engine.h"

namespace zcnt {

bool write_file_atomically(const std::string& path, std::string_view contents, std::string* error)
{
    // The engine's own writer: one place that creates temporary files safely.
    std::string message;
    if (SUCCEEDED(host::write_file_atomically(
            path, reinterpret_cast<const BYTE*>(contents.data()), contents.size(), &message)))
        return true;
    *error = message;
    return false;
}

made_folders::~made_folders()
{
    std::error_code ec;
    for (const std::string& folder : made_) std::filesystem::remove_all(folder, ec);
}

bool made_folders::make(const std::string& path, std::string* error)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path highest;
    for (fs::path at = fs::absolute(path, ec); !ec && !fs::exists(at, ec); at = at.parent_path()) {
        highest = at;
        if (at == at.parent_path()) break;
    }
    if (!ec) fs::create_directories(path, ec);
    if (ec) {
        *error = "cannot make " + path + ": " + ec.message();
        return false;
    }
    if (!highest.empty()) made_.push_back(highest.string());
    return true;
}

namespace {

// One file under both names: the same file when both are there, else the same path once links
// and dots are resolved (two outputs not written yet).
bool same_file(const std::string& a, const std::string& b)
{
    struct stat x {}, y {};
    if (::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0)
        return x.st_dev == y.st_dev && x.st_ino == y.st_ino;
    std::error_code ea, eb;
    const std::filesystem::path pa = std::filesystem::weakly_canonical(a, ea);
    const std::filesystem::path pb = std::filesystem::weakly_canonical(b, eb);
    return !ea && !eb && pa == pb;
}

}  // namespace

std::string clashing_output(const std::vector<std::pair<std::string, std::string>>& outputs,
                            const std::vector<std::string>& inputs)
{
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const auto& [option, path] = outputs[i];
        if (path.empty()) continue;
        for (std::size_t j = 0; j < i; ++j)
            if (!outputs[j].second.empty() && same_file(path, outputs[j].second))
                return path + " is named by both " + outputs[j].first + " and " + option;
        for (const std::string& input : inputs)
            if (!input.empty() && same_file(path, input))
                return path + " is an input file, which " + option + " would replace";
    }
    return {};
}

bool output_files::add(const std::string& path, std::string_view contents, std::string* error)
{
    return SUCCEEDED(batch_.prepare(path, reinterpret_cast<const BYTE*>(contents.data()),
                                    contents.size(), error));
}

bool output_files::commit(std::string* error)
{
    if (FAILED(batch_.commit(error))) return false;
    folders_.keep();
    return true;
}

bool check_unusable_files(const std::vector<host::unusable_file>& files, bool keep_going,
                          std::FILE* err, std::string* error)
{
    if (files.empty()) return true;
    if (!keep_going) {
        *error = "cannot use " + files.front().file + ": " + files.front().cause;
        if (files.size() > 1)
            *error += " (and " + std::to_string(files.size() - 1) + " more file" +
                      (files.size() > 2 ? "s" : "") + ")";
        return false;
    }
    for (const host::unusable_file& f : files)
        std::fprintf(err, "zcnt: warning: cannot use %s: %s\n", f.file.c_str(), f.cause.c_str());
    return true;
}

bool read_file(const std::string& path, std::string* contents, std::string* error)
{
    // A description may come through a pipe (`zcnt render <(generate)`): unlike the documents
    // and pictures it names, it is read once from start to end, so only a folder is refused.
    std::FILE* f = std::fopen(path.c_str(), "rb");
    struct stat st {};
    if (f && ::fstat(::fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(f);
        f = nullptr;
        errno = EISDIR;
    }
    if (!f) {
        *error = errno == EISDIR ? path + ": is a folder" : path + ": " + std::strerror(errno);
        return false;
    }
    contents->clear();
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) contents->append(buffer, n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        *error = path + ": read error";
        return false;
    }
    return true;
}

}  // namespace zcnt

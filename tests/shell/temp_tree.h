// A scratch directory for the shell tests, created with mkdtemp and removed with its contents.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/shell/path_map.h"

namespace shell_test {

// A file's bytes; empty if it cannot be read.
inline std::string read_all(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class TempTree {
public:
    TempTree()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zcnt-shell-XXXXXX").string();
        root_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempTree()
    {
        std::error_code ignored;
        if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    bool ok() const { return !root_.empty(); }
    const std::string& root() const { return root_; }

    // The Windows spelling of a path below the root ("Z:\tmp\zcnt-shell-…\name").
    std::string windows(const std::string& relative = "") const
    {
        std::string path = shell::windows_path_from_native(root_);
        if (!relative.empty()) path += "\\" + relative;
        return path;
    }

    void file(const std::string& relative, const std::string& contents = "") const
    {
        std::ofstream out(root_ + "/" + relative, std::ios::binary | std::ios::trunc);
        out << contents;
    }
    void folder(const std::string& relative) const
    {
        std::filesystem::create_directories(root_ + "/" + relative);
    }

private:
    std::string root_;
};

// Sets an environment variable for one scope and restores what was there.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (had_) setenv(name_.c_str(), old_.c_str(), 1);
        else unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::string old_;
    bool had_ = false;
};

}  // namespace shell_test

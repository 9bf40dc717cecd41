// For tests of user-named files: a scratch folder, a FIFO in it, and a deadline for a reader
// given the FIFO's name; a reader that waits for a writer is released by opening the other
// end, so a hang fails the test instead of stopping the run.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <thread>

namespace user_files {

// A fresh folder under the temporary folder, removed with all it holds.
class scratch_folder {
public:
    explicit scratch_folder(const char* prefix)
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) != nullptr) root_ = pattern;
    }
    ~scratch_folder()
    {
        std::error_code ignored;
        if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
    }
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;

    bool ok() const { return !root_.empty(); }
    const std::filesystem::path& root() const { return root_; }
    std::string path(const std::string& name) const { return (root_ / name).string(); }

private:
    std::filesystem::path root_;
};

inline bool make_fifo(const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0; }

// True when `read` returned on its own within two seconds.
inline bool returns_without_writer(const std::string& fifo, const std::function<void()>& read)
{
    auto done = std::async(std::launch::async, read);
    if (done.wait_for(std::chrono::seconds(2)) == std::future_status::ready) {
        done.get();
        return true;
    }
    // A reader waiting in open lets a non-blocking writer open; its close is the end of file.
    for (int tries = 0; tries < 500; ++tries) {
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            ::close(fd);
            if (done.wait_for(std::chrono::milliseconds(100)) == std::future_status::ready) break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    done.wait();
    return false;
}

}  // namespace user_files

// For tests of user-named files, in the shell tests' scratch folder: a FIFO, and a deadline for
// a reader given the FIFO's name; a reader that waits for a writer is released by opening the
// other end, so a hang fails the test instead of stopping the run.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>

#include "tests/shell/temp_tree.h"

namespace user_files {

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

// File names and file writing shared by the engine's objects and its writers.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/types.h"

namespace host {

// The file a path given to the engine names: Windows forms ("Z:\tmp\a.png", "C:\…" through
// $ZCNT_DRIVE_C) mapped as the shell maps them, plain Linux paths as they are, in UTF-8.
std::string native_path(std::u16string_view path);

// Files written together: each is written to a temporary file beside its target and flushed;
// `commit` renames them all over their targets, and when one cannot be renamed puts back what
// the others held. Whatever is not committed is removed with the batch.
class file_batch {
public:
    file_batch() noexcept;
    ~file_batch();
    file_batch(const file_batch&) = delete;
    file_batch& operator=(const file_batch&) = delete;

    // A failure leaves nothing of this file and names its cause in `message`.
    HRESULT prepare(const std::string& path, const BYTE* data, std::size_t size,
                    std::string* message) noexcept;
    HRESULT commit(std::string* message) noexcept;

private:
    struct entry;
    std::vector<std::unique_ptr<entry>> entries_;
};

// Written to a temporary file next to `path`, flushed to the disk and renamed over it; a
// failure leaves nothing behind and names its cause in `message`.
HRESULT write_file_atomically(const std::string& path, const BYTE* data, std::size_t size,
                              std::string* message) noexcept;

}  // namespace host

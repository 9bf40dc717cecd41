// File names and file writing shared by the engine's objects and its writers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/com/types.h"

namespace host {

// The file a path given to the engine names: Windows forms ("Z:\tmp\a.png", "C:\…" through
// $ZCNT_DRIVE_C) mapped as the shell maps them, plain Linux paths as they are, in UTF-8.
std::string native_path(std::u16string_view path);

// Written to a temporary file next to `path`, flushed to the disk and renamed over it; a
// failure leaves nothing behind and names its cause in `message`.
HRESULT write_file_atomically(const std::string& path, const BYTE* data, std::size_t size,
                              std::string* message) noexcept;

}  // namespace host

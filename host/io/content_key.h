// What makes two files or two buffers the same picture or page for the writers: their bytes.
// A key is the size and two independent 64-bit hashes of the bytes, as text; equal keys are
// taken as equal content. (C++17: the PDF writer includes it.)
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace host {

// The key of a buffer, with `tag` in front (say, its dimensions).
std::string bytes_key(const std::string& tag, const void* data, std::size_t size);

// The key file_content_key gives a file that holds these bytes.
std::string file_bytes_key(const void* data, std::size_t size);

// The key of a regular file's bytes; empty when it cannot be read. Read again only when its
// device, inode, size or modification time changed since the last call for the same path.
std::string file_content_key(const std::string& path);

// The same for a file already open under `path`: what is hashed is what the file holds, even if
// the path has been pointed elsewhere since it was opened. Reads it from the start, leaves it
// open and at no particular position.
std::string file_content_key(const std::string& path, std::FILE* file);

}  // namespace host

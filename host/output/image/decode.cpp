// Format recognition by signature, file access and the checks every decoder shares.
#include "host/output/image/decode.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <new>

#include "host/output/image/png_stream.h"
#include "platform/com/regular_file.h"

namespace host::image {
namespace detail {

HRESULT fail(std::string* message, HRESULT hr, const char* text) noexcept
{
    if (message != nullptr) {
        try {
            *message = text;
        } catch (const std::bad_alloc&) {
            message->clear();
        }
    }
    return hr;
}

HRESULT fail(std::string* message, HRESULT hr, const std::string& text) noexcept
{
    return fail(message, hr, text.c_str());
}

HRESULT check_dimensions(std::uint64_t width, std::uint64_t height, std::string* message) noexcept
{
    const char* what = nullptr;
    if (width == 0 || height == 0)
        what = "image is empty";
    else if (width > max_side || height > max_side || width * height > max_pixels)
        what = "image too large";
    if (what == nullptr) return S_OK;
    char text[96];
    std::snprintf(text, sizeof text, "%s: %llu x %llu", what,
                  static_cast<unsigned long long>(width), static_cast<unsigned long long>(height));
    return fail(message, E_INVALIDARG, text);
}

bool memory_source::read(std::uint64_t offset, BYTE* to, std::size_t count) noexcept
{
    if (offset > size_ || count > size_ - offset) return false;
    if (count != 0) std::memcpy(to, data_ + offset, count);
    return true;
}

}  // namespace detail

namespace {

using detail::memory_source;

using detail::fail;

class file_source final : public detail::source {
public:
    file_source(std::FILE* file, std::uint64_t size) noexcept : file_(file), size_(size) {}
    std::uint64_t size() const noexcept override { return size_; }
    bool read(std::uint64_t offset, BYTE* to, std::size_t count) noexcept override
    {
        if (offset > size_ || count > size_ - offset) return false;
        if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
        return std::fread(to, 1, count, file_) == count;
    }

private:
    std::FILE* file_;
    std::uint64_t size_;
};

HRESULT cannot_open(const std::string& path, int error, std::string* message) noexcept
{
    try {
        // The regular-file check reports a FIFO or a device as "nothing to seek in".
        const std::string why = error == ESPIPE ? "not a regular file" : std::strerror(error);
        return fail(message, STG_E_FILENOTFOUND, "cannot open " + path + ": " + why);
    } catch (const std::bad_alloc&) {
        return fail(message, STG_E_FILENOTFOUND, "cannot open file");
    }
}

// Opens for reading and finds the size; a directory or a device fails here, not later.
HRESULT open_file(const std::string& path, std::FILE** file, std::uint64_t* size,
                  std::string* message) noexcept
{
    *file = com::fopen_regular_file(path.c_str());
    if (*file == nullptr) return cannot_open(path, errno, message);
    int error = 0;
    if (fseeko(*file, 0, SEEK_END) != 0) error = errno;
    const off_t end = error == 0 ? ftello(*file) : -1;
    if (error == 0 && end < 0) error = errno;
    // Linux opens a directory for reading; only the first read says what it is.
    BYTE probe;
    if (error == 0 && (fseeko(*file, 0, SEEK_SET) != 0 ||
                       (std::fread(&probe, 1, 1, *file) != 1 && std::ferror(*file))))
        error = errno;
    if (error != 0) {
        std::fclose(*file);
        *file = nullptr;
        return cannot_open(path, error, message);
    }
    *size = static_cast<std::uint64_t>(end);
    return S_OK;
}

enum class sniffed { png, jpeg, bmp, unknown };

sniffed sniff(detail::source& in) noexcept
{
    static constexpr BYTE png_signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    BYTE head[8] = {};
    const std::size_t have = in.size() < sizeof head ? static_cast<std::size_t>(in.size()) : 8;
    if (!in.read(0, head, have)) return sniffed::unknown;
    if (have >= 8 && std::memcmp(head, png_signature, 8) == 0) return sniffed::png;
    if (have >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) return sniffed::jpeg;
    if (have >= 2 && head[0] == 'B' && head[1] == 'M') return sniffed::bmp;
    return sniffed::unknown;
}

HRESULT unknown_format(std::string* message) noexcept
{
    return fail(message, E_INVALIDARG, "not a PNG, JPEG or BMP image");
}

HRESULT probe_source(detail::source& in, info* out, std::string* message) noexcept
{
    switch (sniff(in)) {
    case sniffed::png: return detail::probe_png(in, out, message);
    case sniffed::jpeg: return detail::probe_jpeg(in, out, message);
    case sniffed::bmp: return detail::probe_bmp(in, out, message);
    case sniffed::unknown: break;
    }
    return unknown_format(message);
}

HRESULT start(std::string* message) noexcept
{
    if (message != nullptr) message->clear();
    return S_OK;
}

}  // namespace

HRESULT probe_bytes(const BYTE* data, std::size_t size, info* out, std::string* message) noexcept
{
    start(message);
    if (out == nullptr) return E_POINTER;
    *out = {};
    if (data == nullptr && size != 0) return E_POINTER;
    memory_source in(data, size);
    info found{};
    const HRESULT hr = probe_source(in, &found, message);
    if (SUCCEEDED(hr)) *out = found;
    return hr;
}

HRESULT probe_file(const std::string& path, info* out, std::string* message) noexcept
{
    start(message);
    if (out == nullptr) return E_POINTER;
    *out = {};
    std::FILE* file = nullptr;
    std::uint64_t size = 0;
    const HRESULT opened = open_file(path, &file, &size, message);
    if (FAILED(opened)) return opened;
    const com::file_ptr closer(file);
    file_source in(file, size);
    info found{};
    const HRESULT hr = probe_source(in, &found, message);
    if (SUCCEEDED(hr)) *out = found;
    return hr;
}

HRESULT decode_bytes(const BYTE* data, std::size_t size, bool keep_jpeg, picture* out,
                     std::string* message) noexcept
{
    start(message);
    if (out == nullptr) return E_POINTER;
    *out = {};
    if (data == nullptr && size != 0) return E_POINTER;
    memory_source in(data, size);
    picture decoded{};
    HRESULT hr = E_UNEXPECTED;
    switch (sniff(in)) {
    case sniffed::png: hr = detail::decode_png(data, size, &decoded, message); break;
    case sniffed::jpeg: hr = detail::decode_jpeg(data, size, keep_jpeg, &decoded, message); break;
    case sniffed::bmp: hr = detail::decode_bmp(data, size, &decoded, message); break;
    case sniffed::unknown: hr = unknown_format(message); break;
    }
    if (SUCCEEDED(hr)) *out = std::move(decoded);
    return hr;
}

HRESULT read_image_file(const std::string& path, std::vector<BYTE>* bytes, info* found,
                        std::string* message) noexcept
{
    start(message);
    if (bytes == nullptr || found == nullptr) return E_POINTER;
    bytes->clear();
    std::FILE* file = nullptr;
    std::uint64_t size = 0;
    const HRESULT opened = open_file(path, &file, &size, message);
    if (FAILED(opened)) return opened;
    const com::file_ptr closer(file);
    file_source in(file, size);
    const HRESULT probed = probe_source(in, found, message);
    if (FAILED(probed)) return probed;
    if (size > SIZE_MAX) return fail(message, E_OUTOFMEMORY, "file too large to read");
    try {
        bytes->resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return fail(message, E_OUTOFMEMORY, "out of memory reading the image file");
    } catch (const std::length_error&) {
        return fail(message, E_OUTOFMEMORY, "file too large to read");
    }
    if (!in.read(0, bytes->data(), bytes->size())) {
        std::vector<BYTE>().swap(*bytes);
        return cannot_open(path, errno ? errno : EIO, message);
    }
    return S_OK;
}

HRESULT decode_file(const std::string& path, bool keep_jpeg, picture* out,
                    std::string* message) noexcept
{
    start(message);
    if (out == nullptr) return E_POINTER;
    *out = {};
    std::vector<BYTE> bytes;
    info found{};
    const HRESULT hr = read_image_file(path, &bytes, &found, message);
    if (FAILED(hr)) return hr;
    return decode_bytes(bytes.data(), bytes.size(), keep_jpeg, out, message);
}

namespace {

// Takes the rows and keeps none of them.
class no_sink final : public png_row_sink {
public:
    bool begin(LONG, LONG, int, bool) noexcept override { return true; }
    bool row(const BYTE*, const BYTE*) noexcept override { return true; }
};

}  // namespace

HRESULT check_file(const std::string& path, std::string* message) noexcept
{
    std::vector<BYTE> bytes;
    info found{};
    const HRESULT hr = read_image_file(path, &bytes, &found, message);
    if (FAILED(hr)) return hr;
    // A PNG is decoded a row at a time, as the PDF writer would decode it.
    if (found.kind == format::png) {
        no_sink sink;
        return read_png_rows(bytes.data(), bytes.size(), sink, message);
    }
    picture decoded;
    return decode_bytes(bytes.data(), bytes.size(), true, &decoded, message);
}

}  // namespace host::image

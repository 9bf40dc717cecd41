// Image resources for the print engine: PNG, JPEG and BMP, told apart by their content.
//
// Input is untrusted. Every declared size is checked before anything is allocated for it, every
// failure comes back as an HRESULT with a one-line reason, and nothing throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/com/types.h"

namespace host::image {

enum class format { png, jpeg, bmp };

struct info {
    format kind;
    LONG width;   // pixels
    LONG height;
};

struct picture {
    format kind;
    LONG width = 0, height = 0;
    int components = 3;       // 1 grey or 3 RGB, 8 bits each
    std::vector<BYTE> pixels; // width*components bytes per row, top row first, no padding
    std::vector<BYTE> alpha;  // empty when fully opaque, else width*height bytes
    // The original file, for a JPEG that a PDF can embed as it is (8-bit, grey or YCbCr/RGB,
    // Huffman coded); pixels then stay empty. CMYK and arithmetic-coded JPEGs are decoded.
    std::vector<BYTE> jpeg;
};

// Larger declared sizes are refused before allocating; so is a side above 65535.
constexpr std::uint64_t max_pixels = 1u << 28;
constexpr std::uint64_t max_side = 65535;

// Size and format only, reading as little as needed.
HRESULT probe_bytes(const BYTE* data, std::size_t size, info* out, std::string* message) noexcept;
HRESULT probe_file(const std::string& path, info* out, std::string* message) noexcept;

// Full decode. With keep_jpeg a JPEG that PDF takes as it is fills `jpeg` and leaves `pixels`
// empty; otherwise, and for every other image, pixels are decoded.
HRESULT decode_bytes(const BYTE* data, std::size_t size, bool keep_jpeg, picture* out,
                     std::string* message) noexcept;
HRESULT decode_file(const std::string& path, bool keep_jpeg, picture* out,
                    std::string* message) noexcept;

// Whether the whole file decodes, as the PDF writer will decode it; nothing is kept.
HRESULT check_file(const std::string& path, std::string* message) noexcept;

namespace detail {

// Random access to the input, so probing a file reads only the bytes it looks at.
class source {
public:
    virtual ~source() = default;
    virtual std::uint64_t size() const noexcept = 0;
    // False when [offset, offset + count) is not all there.
    virtual bool read(std::uint64_t offset, BYTE* to, std::size_t count) noexcept = 0;
};

class memory_source final : public source {
public:
    memory_source(const BYTE* data, std::size_t size) noexcept : data_(data), size_(size) {}
    std::uint64_t size() const noexcept override { return size_; }
    bool read(std::uint64_t offset, BYTE* to, std::size_t count) noexcept override;

private:
    const BYTE* data_;
    std::size_t size_;
};

// Sets *message (when non-null) and returns hr.
HRESULT fail(std::string* message, HRESULT hr, const char* text) noexcept;
HRESULT fail(std::string* message, HRESULT hr, const std::string& text) noexcept;
// E_INVALIDARG for an empty or oversized image, S_OK otherwise.
HRESULT check_dimensions(std::uint64_t width, std::uint64_t height, std::string* message) noexcept;

// Each decoder is entered only after its signature matched.
HRESULT probe_png(source& in, info* out, std::string* message) noexcept;
HRESULT probe_jpeg(source& in, info* out, std::string* message) noexcept;
HRESULT probe_bmp(source& in, info* out, std::string* message) noexcept;
HRESULT decode_png(const BYTE* data, std::size_t size, picture* out, std::string* message) noexcept;
HRESULT decode_jpeg(const BYTE* data, std::size_t size, bool keep_jpeg, picture* out,
                    std::string* message) noexcept;
HRESULT decode_bmp(const BYTE* data, std::size_t size, picture* out, std::string* message) noexcept;

}  // namespace detail
}  // namespace host::image

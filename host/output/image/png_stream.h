// PNG for writers that must not hold a whole decoded image: the file's own compressed data when
// a PDF can take it as it is, else the decoded rows one at a time.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "host/output/image/decode.h"

namespace host::image {

// A PNG's image data as a PDF takes it: the zlib stream of its IDAT chunks, each row led by its
// filter byte (a PDF's PNG predictors), samples big-endian.
struct png_direct {
    LONG width = 0, height = 0;
    int colours = 1;       // samples a pixel: 1 grey or palette index, 3 RGB
    int depth = 8;         // bits a sample: 1, 2, 4, 8 or 16
    bool indexed = false;
    std::vector<BYTE> palette;  // for indexed: R, G, B of 2^depth entries, black past PLTE's
    std::vector<BYTE> data;
};

// S_OK and `out` filled for a non-interlaced PNG without transparency whose gamma is sRGB's;
// S_FALSE when it has to be decoded; a failure for a file damaged in its structure. Nothing is
// decompressed: the chunks, their checksums and the declared size are checked.
HRESULT png_direct_data(const BYTE* data, std::size_t size, png_direct* out,
                        std::string* message) noexcept;

// Receives a PNG's rows as they are decoded: 8-bit grey or RGB, alpha in a plane of its own.
class png_row_sink {
public:
    virtual ~png_row_sink() = default;
    // Before the first row. False stops decoding with E_OUTOFMEMORY.
    virtual bool begin(LONG width, LONG height, int components, bool alpha) noexcept = 0;
    // The rows top first: width*components colour bytes, width alpha bytes (null without alpha).
    virtual bool row(const BYTE* colour, const BYTE* alpha) noexcept = 0;
};

// Decodes to `sink` as the full decoder does, holding one row at a time (the whole image only
// for an interlaced file, whose rows come in seven passes).
HRESULT read_png_rows(const BYTE* data, std::size_t size, png_row_sink& sink,
                      std::string* message) noexcept;

// The whole file after its header was probed, so an unknown, damaged or oversized image is
// refused before it is read.
HRESULT read_image_file(const std::string& path, std::vector<BYTE>* bytes, info* found,
                        std::string* message) noexcept;

}  // namespace host::image

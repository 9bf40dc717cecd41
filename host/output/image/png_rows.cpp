// PNG decoded row by row through libpng's sequential reader, into the same 8-bit grey or RGB
// (with alpha) that the whole-picture decoder gives.
//
// libpng reports errors by longjmp. Every call that may jump is made from a function below that
// holds only C structures; buffers are allocated by the callers before they start.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "host/output/image/png_chunks.h"
#include "host/output/image/png_stream.h"

namespace host::image {
namespace {

using detail::fail;

struct reader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    const BYTE* data = nullptr;
    std::size_t size = 0, at = 0;
    char error[160] = "";
    // Known after start():
    png_uint_32 width = 0, height = 0;
    int channels = 0;
    bool colour = false, interlaced = false;
    std::size_t row_bytes = 0;

    ~reader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

void read_bytes(png_structp png, png_bytep to, std::size_t count)
{
    auto* r = static_cast<reader*>(png_get_io_ptr(png));
    if (count > r->size - r->at) png_error(png, "file truncated");
    std::memcpy(to, r->data + r->at, count);
    r->at += count;
}

void on_error(png_structp png, png_const_charp what)
{
    auto* r = static_cast<reader*>(png_get_error_ptr(png));
    std::snprintf(r->error, sizeof r->error, "%s", what != nullptr ? what : "");
    png_longjmp(png, 1);
}

void on_warning(png_structp, png_const_charp) {}

// The header read and the transformations set: palette and low bit depths expanded, tRNS made
// alpha, 16-bit samples scaled to 8 (taken as sRGB, like 8-bit ones), a gamma other than
// sRGB's converted to it, alpha not premultiplied.
bool start(reader& r)
{
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_set_read_fn(r.png, &r, read_bytes);
    png_read_info(r.png, r.info);
    png_set_expand(r.png);
    png_set_scale_16(r.png);
    png_set_alpha_mode(r.png, PNG_ALPHA_PNG, PNG_DEFAULT_sRGB);
    r.interlaced = png_get_interlace_type(r.png, r.info) != PNG_INTERLACE_NONE;
    if (r.interlaced) png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);
    r.width = png_get_image_width(r.png, r.info);
    r.height = png_get_image_height(r.png, r.info);
    r.channels = png_get_channels(r.png, r.info);
    r.colour = (png_get_color_type(r.png, r.info) & PNG_COLOR_MASK_COLOR) != 0;
    r.row_bytes = png_get_rowbytes(r.png, r.info);
    return true;
}

bool read_row(reader& r, png_bytep row)
{
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_read_row(r.png, row, nullptr);
    return true;
}

bool read_image(reader& r, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_read_image(r.png, rows);
    return true;
}

HRESULT libpng_failed(std::string* message, const char* what) noexcept
{
    char text[192];
    std::snprintf(text, sizeof text, "corrupt PNG: %s", what[0] != '\0' ? what : "decoding failed");
    return fail(message, E_INVALIDARG, text);
}

// Hands the rows to the sink, the alpha samples moved out of the interleaved row.
class row_splitter {
public:
    row_splitter(png_row_sink& sink, std::size_t width, int channels, bool alpha)
        : sink_(sink), width_(width), components_(alpha ? channels - 1 : channels), alpha_(alpha)
    {
        if (alpha_) {
            colour_.resize(width * std::size_t(components_));
            mask_.resize(width);
        }
    }
    bool put(const BYTE* row) noexcept
    {
        if (!alpha_) return sink_.row(row, nullptr);
        const std::size_t step = std::size_t(components_) + 1;
        BYTE* to = colour_.data();
        for (std::size_t x = 0; x < width_; ++x, row += step) {
            for (int c = 0; c < components_; ++c) *to++ = row[c];
            mask_[x] = row[components_];
        }
        return sink_.row(colour_.data(), mask_.data());
    }

private:
    png_row_sink& sink_;
    std::size_t width_;
    int components_;
    bool alpha_;
    std::vector<BYTE> colour_, mask_;
};

HRESULT out_of_memory(std::string* message) noexcept
{
    return fail(message, E_OUTOFMEMORY, "out of memory decoding PNG");
}

}  // namespace

HRESULT read_png_rows(const BYTE* data, std::size_t size, png_row_sink& sink,
                      std::string* message) noexcept
{
    detail::png_header header{};
    const HRESULT checked = detail::check_png_file(data, size, &header, message);
    if (FAILED(checked)) return checked;
    try {
        reader r;
        r.data = data;
        r.size = size;
        r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r, on_error, on_warning);
        if (r.png != nullptr) r.info = png_create_info_struct(r.png);
        if (r.info == nullptr) return out_of_memory(message);
        if (!start(r)) return libpng_failed(message, r.error);
        if (r.width != header.width || r.height != header.height)
            return fail(message, E_INVALIDARG, "corrupt PNG: inconsistent header");
        const bool alpha = r.channels == 2 || r.channels == 4;
        const int components = r.colour ? 3 : 1;
        if (r.channels != components + (alpha ? 1 : 0) || r.row_bytes != std::size_t{r.width} * std::size_t(r.channels))
            return fail(message, E_UNEXPECTED, "PNG decoded to an unexpected layout");
        row_splitter split(sink, r.width, r.channels, alpha);
        if (!sink.begin(static_cast<LONG>(r.width), static_cast<LONG>(r.height), components, alpha))
            return out_of_memory(message);
        if (!r.interlaced) {
            std::vector<BYTE> row(r.row_bytes);
            for (png_uint_32 y = 0; y < r.height; ++y) {
                if (!read_row(r, row.data())) return libpng_failed(message, r.error);
                if (!split.put(row.data())) return out_of_memory(message);
            }
            return S_OK;
        }
        // Every pass adds to rows the next has already begun: the image is whole only at the end.
        std::vector<BYTE> image(r.row_bytes * r.height);
        std::vector<png_bytep> rows(r.height);
        for (png_uint_32 y = 0; y < r.height; ++y) rows[y] = image.data() + r.row_bytes * y;
        if (!read_image(r, rows.data())) return libpng_failed(message, r.error);
        for (png_uint_32 y = 0; y < r.height; ++y)
            if (!split.put(rows[y])) return out_of_memory(message);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return out_of_memory(message);
    }
}

}  // namespace host::image

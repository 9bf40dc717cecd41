// JPEG: the frame header walked by hand for probing, libjpeg for the rest.
//
// libjpeg reports errors by longjmp. The jump stays inside run_libjpeg, which holds only C
// structures; its pixel buffer is allocated by the caller before it starts.
// First: the platform types declare TRUE and FALSE, which jpeglib.h defines as macros only when
// they are not already macros.
#include "host/output/image/decode.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>
#include <jerror.h>

namespace host::image::detail {
namespace {

// A progressive file may hold any number of scans, each a pass over the whole image.
constexpr int max_scans = 1000;

struct jpeg_frame {
    std::uint32_t width, height;
    unsigned components;
};

std::uint32_t big_endian16(const BYTE* p) noexcept { return std::uint32_t{p[0]} << 8 | p[1]; }

bool is_frame_marker(BYTE m) noexcept
{
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

// Walks the markers up to the first frame header, skipping segments without reading them.
HRESULT read_frame(source& in, jpeg_frame* out, std::string* message) noexcept
{
    const std::uint64_t size = in.size();
    std::uint64_t at = 2;  // after SOI
    BYTE b[8];
    for (;;) {
        // libjpeg skips stray bytes before a marker; so does this.
        do {
            if (!in.read(at++, b, 1)) return fail(message, E_INVALIDARG, "JPEG header truncated");
        } while (b[0] != 0xFF);
        do {
            if (!in.read(at++, b, 1)) return fail(message, E_INVALIDARG, "JPEG header truncated");
        } while (b[0] == 0xFF);
        const BYTE marker = b[0];
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        if (marker == 0xD8) return fail(message, E_INVALIDARG, "corrupt JPEG: second start marker");
        if (marker == 0xD9 || marker == 0xDA)
            return fail(message, E_INVALIDARG, "corrupt JPEG: no frame header before the image data");
        if (!in.read(at, b, 2)) return fail(message, E_INVALIDARG, "JPEG header truncated");
        const std::uint32_t length = big_endian16(b);
        if (length < 2) return fail(message, E_INVALIDARG, "corrupt JPEG: bad marker length");
        if (is_frame_marker(marker)) {
            if (length < 8 || !in.read(at + 2, b, 6))
                return fail(message, E_INVALIDARG, "JPEG header truncated");
            if (marker == 0xC3 || (marker >= 0xC5 && marker <= 0xC7) || marker == 0xCB ||
                marker >= 0xCD)
                return fail(message, E_INVALIDARG, "unsupported JPEG: lossless or hierarchical");
            if (b[0] != 8) {
                char text[64];
                std::snprintf(text, sizeof text, "unsupported JPEG precision %u", unsigned{b[0]});
                return fail(message, E_INVALIDARG, text);
            }
            out->height = big_endian16(b + 1);
            out->width = big_endian16(b + 3);
            out->components = b[5];
            if (out->components != 1 && out->components != 3 && out->components != 4) {
                char text[64];
                std::snprintf(text, sizeof text, "unsupported JPEG with %u components",
                              out->components);
                return fail(message, E_INVALIDARG, text);
            }
            return check_dimensions(out->width, out->height, message);
        }
        at += length;
        if (at > size) return fail(message, E_INVALIDARG, "JPEG header truncated");
    }
}

enum class jpeg_status { ok, failed, mismatch };

// Plain data only: it crosses the setjmp boundary.
struct jpeg_job {
    const BYTE* data;
    std::size_t size;
    BYTE* pixels;          // null: read the header only
    std::size_t capacity;  // bytes at pixels
    // Results.
    jpeg_status status;
    JDIMENSION width, height;
    int num_components;
    J_COLOR_SPACE colour_space;
    bool adobe;
    bool arithmetic;
    int precision;
    std::size_t scan_offset;  // just after the first scan header
    char text[JMSG_LENGTH_MAX];
};

struct error_state {
    jpeg_error_mgr pub;  // first, so libjpeg's pointer converts back
    std::jmp_buf jump;
    char text[JMSG_LENGTH_MAX];
};

[[noreturn]] void on_error(j_common_ptr cinfo)
{
    auto* state = reinterpret_cast<error_state*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, state->text);
    std::longjmp(state->jump, 1);
}

// Warnings that mean the entropy data is cut short or damaged fail the decode, instead of
// giving an image padded with grey; harmless ones (stray bytes between markers) are ignored.
void on_message(j_common_ptr cinfo, int level)
{
    if (level >= 0) return;
    const int code = cinfo->err->msg_code;
    if (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE)
        on_error(cinfo);
    ++cinfo->err->num_warnings;
}

void on_output(j_common_ptr) {}

void on_progress(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor) return;
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number <= max_scans) return;
    auto* state = reinterpret_cast<error_state*>(cinfo->err);
    std::snprintf(state->text, sizeof state->text, "more than %d scans", max_scans);
    std::longjmp(state->jump, 1);
}

void run_libjpeg(jpeg_job* job) noexcept
{
    jpeg_decompress_struct cinfo;
    error_state errors;
    jpeg_progress_mgr progress;
    std::memset(&cinfo, 0, sizeof cinfo);
    std::memset(&errors, 0, sizeof errors);
    std::memset(&progress, 0, sizeof progress);
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = on_error;
    errors.pub.emit_message = on_message;
    errors.pub.output_message = on_output;
    progress.progress_monitor = on_progress;
    if (setjmp(errors.jump) != 0) {
        std::memcpy(job->text, errors.text, sizeof job->text);
        job->status = jpeg_status::failed;
        jpeg_destroy_decompress(&cinfo);
        return;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, job->data, static_cast<unsigned long>(job->size));
    jpeg_read_header(&cinfo, TRUE);
    job->width = cinfo.image_width;
    job->height = cinfo.image_height;
    job->num_components = cinfo.num_components;
    job->colour_space = cinfo.jpeg_color_space;
    job->adobe = cinfo.saw_Adobe_marker != 0;
    job->arithmetic = cinfo.arith_code != 0;
    job->precision = cinfo.data_precision;
    job->scan_offset = static_cast<std::size_t>(cinfo.src->next_input_byte - job->data);
    job->status = jpeg_status::ok;
    if (job->pixels == nullptr) {
        jpeg_destroy_decompress(&cinfo);
        return;
    }
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE: cinfo.out_color_space = JCS_GRAYSCALE; break;
    case JCS_YCbCr:
    case JCS_RGB: cinfo.out_color_space = JCS_RGB; break;
    case JCS_CMYK:
    case JCS_YCCK: cinfo.out_color_space = JCS_CMYK; break;
    default: job->status = jpeg_status::mismatch; break;
    }
    if (job->status == jpeg_status::ok) {
        jpeg_calc_output_dimensions(&cinfo);
        const std::size_t stride =
            std::size_t{cinfo.output_width} * static_cast<std::size_t>(cinfo.output_components);
        if (stride * cinfo.output_height != job->capacity) job->status = jpeg_status::mismatch;
    }
    if (job->status != jpeg_status::ok) {
        jpeg_destroy_decompress(&cinfo);
        return;
    }
    jpeg_start_decompress(&cinfo);
    const std::size_t stride =
        std::size_t{cinfo.output_width} * static_cast<std::size_t>(cinfo.output_components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = job->pixels + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}

// Follows the entropy-coded data past any further scans to the end-of-image marker. Inside
// entropy data 0xFF is only ever followed by a stuffed zero or a restart marker.
bool reaches_end(const BYTE* data, std::size_t size, std::size_t at) noexcept
{
    while (at < size && size - at >= 2) {
        if (data[at] != 0xFF) {
            ++at;
            continue;
        }
        const BYTE m = data[at + 1];
        if (m == 0xD9) return true;
        if (m == 0xFF) {
            ++at;
            continue;
        }
        if (m == 0x00 || m == 0x01 || (m >= 0xD0 && m <= 0xD8)) {
            at += 2;
            continue;
        }
        if (size - at < 4) return false;
        const std::size_t length = big_endian16(data + at + 2);
        if (length < 2) return false;
        at += 2 + length;
    }
    return false;
}

HRESULT libjpeg_failed(std::string* message, const char* what) noexcept
{
    char text[JMSG_LENGTH_MAX + 32];
    std::snprintf(text, sizeof text, "corrupt JPEG: %s", what);
    return fail(message, E_INVALIDARG, text);
}

}  // namespace

HRESULT probe_jpeg(source& in, info* out, std::string* message) noexcept
{
    jpeg_frame frame{};
    const HRESULT hr = read_frame(in, &frame, message);
    if (FAILED(hr)) return hr;
    *out = {format::jpeg, static_cast<LONG>(frame.width), static_cast<LONG>(frame.height)};
    return S_OK;
}

HRESULT decode_jpeg(const BYTE* data, std::size_t size, bool keep_jpeg, picture* out,
                    std::string* message) noexcept
{
    memory_source in(data, size);
    jpeg_frame frame{};
    const HRESULT framed = read_frame(in, &frame, message);
    if (FAILED(framed)) return framed;

    picture result{};
    result.kind = format::jpeg;
    result.width = static_cast<LONG>(frame.width);
    result.height = static_cast<LONG>(frame.height);
    jpeg_job job{};
    job.data = data;
    job.size = size;

    if (keep_jpeg) {
        run_libjpeg(&job);
        if (job.status != jpeg_status::ok) return libjpeg_failed(message, job.text);
        // PDF's DCT filter takes 8-bit grey, RGB and YCbCr with Huffman coding, baseline or
        // progressive; anything else is decoded to pixels below.
        const bool embeddable = job.precision == 8 && !job.arithmetic &&
                                (job.num_components == 1 || job.num_components == 3) &&
                                (job.colour_space == JCS_GRAYSCALE || job.colour_space == JCS_YCbCr ||
                                 job.colour_space == JCS_RGB);
        if (embeddable) {
            if (job.width != frame.width || job.height != frame.height)
                return fail(message, E_INVALIDARG, "corrupt JPEG: inconsistent frame header");
            if (!reaches_end(data, size, job.scan_offset))
                return fail(message, E_INVALIDARG, "JPEG data truncated before its end marker");
            try {
                result.jpeg.assign(data, data + size);
            } catch (const std::bad_alloc&) {
                return fail(message, E_OUTOFMEMORY, "out of memory copying JPEG");
            }
            result.components = job.num_components;
            *out = std::move(result);
            return S_OK;
        }
    }

    const std::size_t decoded_components = frame.components;  // CMYK narrows to RGB below
    const std::size_t count = std::size_t{frame.width} * frame.height;
    try {
        result.pixels.resize(count * decoded_components);
    } catch (const std::bad_alloc&) {
        return fail(message, E_OUTOFMEMORY, "out of memory decoding JPEG");
    }
    job.pixels = result.pixels.data();
    job.capacity = result.pixels.size();
    run_libjpeg(&job);
    if (job.status == jpeg_status::failed) return libjpeg_failed(message, job.text);
    if (job.status == jpeg_status::mismatch)
        return fail(message, E_INVALIDARG, "corrupt JPEG: colour space does not match the frame");

    if (decoded_components == 4) {
        // Adobe's CMYK files store the channels inverted (255 = no ink); others do not.
        BYTE* p = result.pixels.data();
        const unsigned flip = job.adobe ? 0 : 255;
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned c = p[i * 4] ^ flip, m = p[i * 4 + 1] ^ flip, y = p[i * 4 + 2] ^ flip,
                           k = p[i * 4 + 3] ^ flip;
            p[i * 3] = static_cast<BYTE>((c * k + 127) / 255);
            p[i * 3 + 1] = static_cast<BYTE>((m * k + 127) / 255);
            p[i * 3 + 2] = static_cast<BYTE>((y * k + 127) / 255);
        }
        result.pixels.resize(count * 3);
    }
    result.components = decoded_components == 1 ? 1 : 3;
    *out = std::move(result);
    return S_OK;
}

}  // namespace host::image::detail

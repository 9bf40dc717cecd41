// BMP images for placing them: the platform's BMP reader, with the size limits every image
// format shares here.
#include <algorithm>

#include "host/output/image/decode.h"
#include "platform/gdi/bmp_reader.h"

namespace host::image::detail {
namespace {

// The layout from the first bytes of `in`, which must be big enough to place.
HRESULT read_layout(source& in, gdi::bmp::layout* out, std::string* message) noexcept
{
    BYTE head[gdi::bmp::largest_head];
    const auto have = static_cast<std::size_t>(std::min<std::uint64_t>(in.size(), sizeof head));
    if (!in.read(0, head, have)) return fail(message, E_INVALIDARG, "BMP header truncated");
    const HRESULT hr = gdi::bmp::read_file_layout(head, have, in.size(), out, message);
    if (FAILED(hr)) return hr;
    return check_dimensions(out->width, out->height, message);
}

}  // namespace

HRESULT probe_bmp(source& in, info* out, std::string* message) noexcept
{
    gdi::bmp::layout layout;
    const HRESULT hr = read_layout(in, &layout, message);
    if (FAILED(hr)) return hr;
    *out = {format::bmp, static_cast<LONG>(layout.width), static_cast<LONG>(layout.height)};
    return S_OK;
}

HRESULT decode_bmp(const BYTE* data, std::size_t size, picture* out, std::string* message) noexcept
{
    memory_source in(data, size);
    gdi::bmp::layout layout;
    HRESULT hr = read_layout(in, &layout, message);
    if (FAILED(hr)) return hr;
    gdi::bmp::image decoded;
    hr = gdi::bmp::decode(data, size, layout, gdi::bmp::past_palette::black, &decoded, message);
    if (FAILED(hr)) return hr;
    out->kind = format::bmp;
    out->width = static_cast<LONG>(decoded.width);
    out->height = static_cast<LONG>(decoded.height);
    out->components = decoded.components;
    out->pixels = std::move(decoded.pixels);
    out->alpha = std::move(decoded.alpha);
    return S_OK;
}

}  // namespace host::image::detail

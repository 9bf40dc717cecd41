// A QR code image: parse the source, find its configuration, encode the text, hand the bitmap
// to a new image resource and place it, on the configured template page when there is one.
#include "elements/qrcode/qrcode.h"

#include <cstring>
#include <new>

#include "elements/qrcode/qr_capacity.h"
#include "elements/qrcode/qr_config.h"
#include "elements/qrcode/qr_source.h"
#include "elements/qrcode/qr_symbol.h"
#include "platform/com/codepage.h"
#include "platform/com/raii.h"
#include "platform/com/safearray.h"
#include "platform/shell/file_info.h"

namespace cnt::qrcode {
namespace {

constexpr std::size_t kPrefixLength = 6;
constexpr LONG kLight = 0xFFFFFF;

// A SAFEARRAY handed over in a VARIANT and destroyed afterwards.
class array_variant {
public:
    array_variant(VARTYPE vt, ULONG count) noexcept : array_(SafeArrayCreateVector(vt, 0, count))
    {
        VariantInit(&v_);
        if (array_) {
            v_.vt = static_cast<VARTYPE>(VT_ARRAY | vt);
            v_.parray = array_;
        }
    }
    ~array_variant() { SafeArrayDestroy(array_); }
    array_variant(const array_variant&) = delete;
    array_variant& operator=(const array_variant&) = delete;
    bool ok() const noexcept { return array_ != nullptr; }
    HRESULT fill(const void* data, std::size_t bytes) noexcept
    {
        void* to = nullptr;
        RETURN_IF_FAILED(SafeArrayAccessData(array_, &to));
        std::memcpy(to, data, bytes);
        return SafeArrayUnaccessData(array_);
    }
    const VARIANT& get() const noexcept { return v_; }

private:
    SAFEARRAY* array_;
    VARIANT v_;
};

// Bits per pixel 1, the further setting 0 (no smoothing of the scaled modules), the size, the
// pixels and the palette, in that order.
HRESULT hand_over(IZImageResource* image, const bitmap& b, OLE_COLOR dark) noexcept
{
    array_variant pixels(VT_UI1, static_cast<ULONG>(b.bits.size()));
    array_variant palette(VT_I4, 2);
    if (!pixels.ok() || !palette.ok()) return E_OUTOFMEMORY;
    RETURN_IF_FAILED(pixels.fill(b.bits.data(), b.bits.size()));
    const LONG colours[2] = {static_cast<LONG>(dark), kLight};
    RETURN_IF_FAILED(palette.fill(colours, sizeof colours));
    image->put_BitsPerPixel(1);
    image->put_Interpolate(0);
    image->put_Width(b.side);
    image->put_Height(b.side);
    image->put_Pixels(pixels.get());
    image->put_Palette(palette.get());
    return S_OK;
}

// 32-bit a × b / c, truncated; wrapping products and a zero or overflowing quotient as 0.
LONG scale(LONG a, LONG b, LONG c) noexcept
{
    const LONG product = wrap_mul(a, b);
    if (c == 0 || (c == -1 && product == LONG(0x80000000))) return 0;
    return product / c;
}

HRESULT place_on_template(const configuration& c, IZImageResource* image, const settings& how,
                          placement& to)
{
    const std::u16string wide = com::from_ansi(c.template_path);
    com::Bstr file(wide);
    if (file.is_null()) return E_OUTOFMEMORY;
    com::ComPtr<IZStoredDocument> document;
    if (FAILED(to.load_document(file.get(), &document))) return E_UNEXPECTED;
    LONG tw = 0, th = 0;
    rect& bounds = to.bounds();
    if (FAILED(to.place_page(document.get(), &bounds, how.keep, &tw, &th))) return E_UNEXPECTED;
    // A page that measures no tenths of a millimetre has no place for the symbol.
    if (tw == 0 || th == 0) return E_UNEXPECTED;
    const LONG w = wrap_sub(bounds.right, bounds.left);
    const LONG h = wrap_sub(bounds.bottom, bounds.top);
    const LONG dx = scale(w, c.left, tw);
    const LONG dy = scale(h, c.top, th);
    const LONG s = scale(w, c.size, tw);
    rect spot{wrap_add(bounds.left, dx), wrap_add(bounds.top, dy), 0, 0};
    spot.right = wrap_add(spot.left, s);
    spot.bottom = wrap_add(spot.top, s);
    if (FAILED(to.place_image(image, &spot, how.keep))) return E_UNEXPECTED;
    return S_OK;
}

HRESULT build_code(std::u16string_view image_file, const settings& how, placement& to)
{
    located_source src;
    RETURN_IF_FAILED(locate_source(image_file.substr(kPrefixLength), &src));
    if (src.text.empty()) return S_FALSE;

    configuration config;
    if (!src.name.empty()) {
        const HRESULT found = find_configuration(src.name, src.language, &config);
        RETURN_IF_FAILED(found);
        if (found != S_OK) return E_UNEXPECTED;
    }

    com::ComPtr<IZImageResource> image;
    if (FAILED(to.create_image(&image))) return E_UNEXPECTED;
    // Without a symbol the image stays empty, and placing it fails below. The encoder reads
    // up to the first zero; a text longer than any symbol holds is not even converted.
    const std::u16string_view encoded = src.text.substr(0, src.text.find(u'\0'));
    symbol code;
    if (encoded.size() <= longest_text(how.level) &&
        encode(com::to_ansi(encoded), how.level, &code)) {
        bitmap b;
        RETURN_IF_FAILED(make_bitmap(code, how.margin, &b));
        RETURN_IF_FAILED(hand_over(image.get(), b, config.colour));
    }

    if (src.name.empty() || !PathFileExistsA(config.template_path.c_str())) {
        if (FAILED(to.place_image(image.get(), &to.bounds(), how.keep))) return E_UNEXPECTED;
        return S_OK;
    }
    return place_on_template(config, image.get(), how, to);
}

}  // namespace

HRESULT build(std::u16string_view image_file, const settings& how, placement& to) noexcept
{
    if (image_file.size() < kPrefixLength) return E_UNEXPECTED;
    try {
        return build_code(image_file, how, to);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace cnt::qrcode

// Encoding with libqrencode and drawing the symbol's modules into a one-bit bitmap.
#include "elements/qrcode/qr_symbol.h"

#include <qrencode.h>

#include "elements/qrcode/qr_capacity.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

namespace cnt::qrcode {
namespace {

constexpr int kPixelsPerModule = 3;

struct qr_deleter {
    void operator()(QRcode* code) const noexcept { QRcode_free(code); }
};

// The last symbol this thread made: a document that shows one code on many pages (an address
// in every footer) encodes it once. A level of -1 holds nothing.
struct last_symbol {
    std::string text;
    LONG level = -1;
    symbol made;
};
thread_local last_symbol last;

}  // namespace

bool encode(const std::string& text, LONG level, symbol* out)
{
    out->width = 0;
    out->modules.clear();
    // libqrencode would refuse other levels too; they are not converted to its enum, where
    // they have no value.
    if (level < QR_ECLEVEL_L || level > QR_ECLEVEL_H) return false;
    // libqrencode reads up to the first zero byte, and takes long to refuse a long text.
    if (!may_fit(text.c_str(), level)) return false;
    if (level == last.level && text == last.text) {
        *out = last.made;
        return true;
    }
    std::unique_ptr<QRcode, qr_deleter> code(
        QRcode_encodeString(text.c_str(), 0, static_cast<QRecLevel>(level), QR_MODE_8, 1));
    if (!code || code->width <= 0) return false;
    const std::size_t n = static_cast<std::size_t>(code->width);
    out->modules.assign(code->data, code->data + n * n);
    out->width = code->width;
    last.level = -1;  // until all of it is kept: a copy may run out of memory half way
    last.text = text;
    last.made = *out;
    last.level = level;
    return true;
}

HRESULT make_bitmap(const symbol& s, SHORT margin, bitmap* out) noexcept
{
    // The bitmap has no room for a negative quiet zone: it is taken as none, so that no
    // module lands outside the rows.
    const std::int64_t m = margin < 0 ? 0 : margin;
    const std::int64_t n = s.width < 0 ? 0 : s.width;
    const std::int64_t side = (n + 2 * m) * kPixelsPerModule;
    const std::int64_t row = (side + 7) / 8;
    if (static_cast<std::uint64_t>(row * side) > max_bitmap_bytes) return E_OUTOFMEMORY;
    if (s.modules.size() < static_cast<std::size_t>(n * n)) return E_INVALIDARG;
    try {
        out->side = static_cast<LONG>(side);
        out->row_bytes = static_cast<LONG>(row);
        out->bits.assign(static_cast<std::size_t>(row * side), 0xFF);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    // Rows above and below the modules stay light, as does each row's padding.
    for (std::int64_t y = 0; y < n; ++y) {
        BYTE* first = out->bits.data() + (kPixelsPerModule * (m + y)) * row;
        for (std::int64_t x = 0; x < n; ++x) {
            if (!(s.modules[static_cast<std::size_t>(y * n + x)] & 1)) continue;
            for (int k = 0; k < kPixelsPerModule; ++k) {
                const std::int64_t px = kPixelsPerModule * (m + x) + k;
                first[px / 8] &= static_cast<BYTE>(~(0x80u >> (px % 8)));
            }
        }
        // Each module row is three pixel rows alike.
        for (int k = 1; k < kPixelsPerModule; ++k)
            std::copy(first, first + row, first + k * row);
    }
    return S_OK;
}

}  // namespace cnt::qrcode

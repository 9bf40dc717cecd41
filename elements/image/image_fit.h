// The three ways an image element fits its content into a rectangle, each with the arithmetic
// of its content kind: raster images in truncating 32-bit integers, PDF pages in double
// precision truncated, stored document pages in single precision rounded half up. Each takes
// the rectangle's width and height and the content's own size, and gives the fitted width and
// height; the top-left corner of the rectangle stays where it is.
#pragma once

#include "core/element_state.h"

namespace cnt::image {

struct extent {
    LONG width = 0, height = 0;
};

// 32-bit a / b truncated toward zero; the one quotient that does not fit (-2^31 / -1) wraps.
constexpr LONG divide(LONG a, LONG b) noexcept
{
    if (b == -1) return wrap_sub(0, a);
    return a / b;
}

// Raster pixels iw × ih (both non-zero).
constexpr extent fit_raster(LONG w, LONG h, LONG iw, LONG ih, bool keep) noexcept
{
    if (!keep) return {w, h};
    LONG fitted = divide(wrap_mul(w, ih), iw);
    if (fitted > h) {
        w = divide(wrap_mul(h, iw), ih);
        fitted = h;
    }
    return {w, fitted};
}

// A PDF page of pw × ph points (both non-zero).
constexpr extent fit_pdf(LONG w, LONG h, double pw, double ph, bool keep) noexcept
{
    if (!keep) return {w, h};
    const double d = static_cast<double>(w) * ph / pw;
    if (static_cast<double>(h) < d)
        w = to_long(pw * static_cast<double>(h) / ph);
    else
        h = to_long(d);
    return {w, h};
}

// A stored document page of pw × ph of its own pixels (both non-zero).
constexpr extent fit_stored_page(LONG w, LONG h, LONG pw, LONG ph, bool keep) noexcept
{
    if (!keep) return {w, h};
    const float d = static_cast<float>(w) * static_cast<float>(ph) / static_cast<float>(pw);
    LONG fitted = to_long(static_cast<double>(d) + 0.5);
    if (fitted > h) {
        const float across =
            static_cast<float>(h) * static_cast<float>(pw) / static_cast<float>(ph);
        w = to_long(static_cast<double>(across) + 0.5);
        fitted = h;
    }
    return {w, fitted};
}

}  // namespace cnt::image

// Measuring what an element paints, and the pieces of its annotation's dictionary.
#include "host/output/pdf/annotations.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "host/model/journal.h"
#include "host/output/pdf/content_writer.h"

namespace host::pdf {

void measuring_painter::add(double left, double top, double right, double bottom)
{
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    if (empty_) {
        left_ = left, top_ = top, right_ = right, bottom_ = bottom;
        empty_ = false;
        return;
    }
    left_ = std::min(left_, left);
    top_ = std::min(top_, top);
    right_ = std::max(right_, right);
    bottom_ = std::max(bottom_, bottom);
}

paint_rect measuring_painter::bounds(LONG margin) const noexcept
{
    if (empty_) return {};
    const double m = std::clamp<LONG>(margin, 0, 1 << 20);
    auto at = [](double v) { return static_cast<LONG>(std::clamp(v, -1e9, 1e9)); };
    return {at(std::floor(left_ - m)), at(std::floor(top_ - m)), at(std::ceil(right_ + m)),
            at(std::ceil(bottom_ + m))};
}

void measuring_painter::shape(const shape_paint& s)
{
    to_.shape(s);
    if (!s.items) return;
    const float* m = s.transform;
    // A stroke reaches half its width past the outline; joins and hairlines a little more.
    const double pad = s.paint_mode != 1 ? std::max<LONG>(s.line_width, 1) + 1.0 : 0;
    for (const path_item& item : *s.items) {
        if (item.op == op_break) continue;
        const double xs[2] = {double(item.v[0]), double(item.v[2])};
        const double ys[2] = {double(item.v[1]), double(item.v[3])};
        for (double x : xs)
            for (double y : ys) {
                const double px = m ? x * m[0] + y * m[2] + m[4] : x;
                const double py = m ? x * m[1] + y * m[3] + m[5] : y;
                add(px - pad, py - pad, px + pad, py + pad);
            }
        // A band stays a rectangle under a transform that only moves and scales.
        if (s.paint_mode == 1 && item.op == op_rectangle && (!m || (m[1] == 0 && m[2] == 0))) {
            const double x0 = m ? xs[0] * m[0] + m[4] : xs[0], x1 = m ? xs[1] * m[0] + m[4] : xs[1];
            const double y0 = m ? ys[0] * m[3] + m[5] : ys[0], y1 = m ? ys[1] * m[3] + m[5] : ys[1];
            auto at = [](double v) { return static_cast<LONG>(std::lround(std::clamp(v, -1e9, 1e9))); };
            bands_.push_back({at(std::min(x0, x1)), at(std::min(y0, y1)), at(std::max(x0, x1)),
                              at(std::max(y0, y1))});
            band_colour = s.fill;
            band_transparency = s.transparency;
        }
    }
}

void measuring_painter::text(const text_paint& t)
{
    to_.text(t);
    if (t.text.empty()) return;
    const double size = t.font ? std::abs(double(t.font->size)) : 12;
    const double angle = t.font ? t.font->angle : 0;
    // The text's box, generously: an em above the baseline, a third below, and along it the
    // average width of a character in the faces the elements use.
    const double length = size * 0.6 * double(t.text.size());
    const double c = std::cos(angle), s = std::sin(angle);
    const double along[2] = {0, length}, across[2] = {-size, size / 3};
    double l = 0, tp = 0, r = 0, b = 0;
    bool first = true;
    for (double a : along)
        for (double d : across) {
            // Across the baseline is (-sin, cos) in page units, y growing downwards.
            const double x = t.x + a * c - d * s, y = t.y + a * s + d * c;
            if (first) {
                l = r = x, tp = b = y;
                first = false;
            }
            l = std::min(l, x), r = std::max(r, x), tp = std::min(tp, y), b = std::max(b, y);
        }
    if (t.clip && t.clip->mode == 1) {
        const paint_rect& k = t.clip->rect;
        l = std::max(l, double(std::min(k.left, k.right)));
        r = std::min(r, double(std::max(k.left, k.right)));
        tp = std::max(tp, double(std::min(k.top, k.bottom)));
        b = std::min(b, double(std::max(k.top, k.bottom)));
        if (l >= r || tp >= b) return;
    }
    add(l, tp, r, b);
}

void measuring_painter::image(const image_paint& i)
{
    to_.image(i);
    add(i.rect.left, i.rect.top, i.rect.right, i.rect.bottom);
}

void measuring_painter::link(const link_paint& l)
{
    to_.link(l);
    if (url.empty()) url = l.url;
    add(l.rect.left, l.rect.top, l.rect.right, l.rect.bottom);
}

void measuring_painter::pdf_page(const pdf_page_paint& p)
{
    to_.pdf_page(p);
    add(p.rect.left, p.rect.top, p.rect.right, p.rect.bottom);
}

void measuring_painter::document_page(const document_page_paint& d)
{
    to_.document_page(d);
    add(d.rect.left, d.rect.top, d.rect.right, d.rect.bottom);
}

const char* mark_subtype(const paint_rect& band, const std::vector<paint_rect>& words, LONG unit,
                         paint_rect* line)
{
    *line = band;
    const LONG height = band.bottom - band.top;
    if (height > std::max<LONG>(unit, 1) * 3 / 2) return "/Highlight";
    bool found = false;
    for (const paint_rect& w : words) {
        const bool across = w.left < band.right && band.left < w.right;
        const bool within = w.top <= band.top && band.bottom <= w.bottom + unit;
        if (!across || !within) continue;
        if (!found) {
            *line = w;
            found = true;
        } else {
            line->left = std::min(line->left, w.left);
            line->top = std::min(line->top, w.top);
            line->right = std::max(line->right, w.right);
            line->bottom = std::max(line->bottom, w.bottom);
        }
    }
    if (!found) return "/Underline";
    line->left = std::min(line->left, band.left);
    line->right = std::max(line->right, band.right);
    // An underline sits in the lowest quarter of the line; a strikethrough across its middle.
    const LONG line_height = line->bottom - line->top;
    return band.top >= line->bottom - line_height / 4 - unit ? "/Underline" : "/StrikeOut";
}

std::string quad_points(const std::vector<point_rect>& boxes)
{
    std::string out = "[";
    for (const point_rect& b : boxes) {
        for (double v : {b.left, b.top, b.right, b.top, b.left, b.bottom, b.right, b.bottom}) {
            append_number(out, v);
            out += ' ';
        }
    }
    if (out.size() > 1) out.pop_back();
    out += ']';
    return out;
}

std::string name_token(std::u16string_view text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out = "/";
    for (unsigned char c : utf8(text)) {
        const bool plain = c > 32 && c < 127 && std::string_view("()<>[]{}/%#").find(char(c)) ==
                                                      std::string_view::npos;
        if (plain) {
            out += char(c);
        } else {
            out += '#';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string pdf_date(std::time_t when)
{
    std::tm t{};
    if (!gmtime_r(&when, &t)) return "D:19700101000000Z";
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "D:%04d%02d%02d%02d%02d%02dZ", t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return buffer;
}

std::time_t annotation_time()
{
    if (const char* fixed = std::getenv("SOURCE_DATE_EPOCH")) {
        errno = 0;
        char* end = nullptr;
        const long long v = std::strtoll(fixed, &end, 10);
        if (errno == 0 && end != fixed && *end == '\0' && v >= 0) return static_cast<std::time_t>(v);
    }
    return std::time(nullptr);
}

}  // namespace host::pdf

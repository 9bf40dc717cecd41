// The page painter of the PDF writer: each painted object of a page as content-stream
// operators, with the fonts, images, graphics states and placed pages it uses as resources.
#include "host/output/pdf/pdf_writer_parts.h"

#include <cmath>
#include <map>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include "host/model/journal.h"
#include "host/output/paint.h"
#include "host/output/pdf/content_writer.h"
#include "host/output/pdf/font_set.h"
#include "host/output/pdf/object_writer.h"
#include "host/output/pdf/pdf_file.h"
#include "host/output/pdf/pdf_names.h"
#include "host/output/scene.h"

namespace host::pdf::detail {
namespace {

// Stored documents placing pages of stored documents: deeper pages are left out.
constexpr int kMaxDepth = 4;
// A Bézier quarter circle's control distance, as a share of the radius.
constexpr double kKappa = 0.5522847498307936;

bool is_colour(OLE_COLOR c) { return (c & 0xFF000000u) == 0; }


}  // namespace

void append_uri(std::string& s, std::u16string_view url)
{
    static const char digits[] = "0123456789ABCDEF";
    s += '(';
    for (unsigned char c : utf8(url)) {
        if (c > 0x20 && c < 0x7F) {
            if (c == '(' || c == ')' || c == '\\') s += '\\';
            s += static_cast<char>(c);
        } else {
            s += '%';
            s += digits[c >> 4];
            s += digits[c & 15];
        }
    }
    s += ')';
}

std::string page_painter::name_for(std::map<QPDFObjGen, std::string>& names, const char* prefix,
                                   QPDFObjectHandle object)
{
    auto known = names.find(object.getObjGen());
    if (known != names.end()) return known->second;
    std::string name = prefix + std::to_string(names.size() + 1);
    names.emplace(object.getObjGen(), name);
    by_name_.emplace(std::string(prefix) + "\n" + name, object);
    return name;
}

QPDFObjectHandle page_painter::resources() const
{
    QPDFObjectHandle r = QPDFObjectHandle::newDictionary();
    auto group = [&](const char* key, const char* prefix) {
        QPDFObjectHandle d = QPDFObjectHandle::newDictionary();
        const std::string start = std::string(prefix) + "\n";
        for (const auto& [k, object] : by_name_) {
            if (k.compare(0, start.size(), start) != 0) continue;
            std::string name(1, '/');
            name.append(k, start.size(), std::string::npos);
            d.replaceKey(name, object);
        }
        if (!d.getKeys().empty()) r.replaceKey(key, d);
    };
    group(name::Font, "F");
    group(name::XObject, "X");
    group(name::ExtGState, "G");
    group("/Properties", "P");
    return r;
}

std::string page_painter::resource_key() const
{
    std::string key;
    for (const auto& [name, object] : by_name_) {
        key += name;
        key += ' ';
        key += std::to_string(object.getObjectID());
        key += ';';
    }
    return key;
}

void page_painter::begin_optional(QPDFObjectHandle group)
{
    out_.begin_optional(name_for(properties_, "P", group));
}

void page_painter::transparency(SHORT transparency, LONG blend)
{
    if (transparency <= 0 && blend == 0) return;
    const double alpha = 1.0 - std::min<SHORT>(transparency, 100) / 100.0;
    out_.graphics_state(name_for(states_, "G", w_.state(alpha, blend)));
}

void page_painter::shape(const shape_paint& s)
{
    if (!s.items || s.items->empty()) return;
    const bool fill = s.paint_mode != 0 && is_colour(s.fill);
    const bool stroke = s.paint_mode != 1 && is_colour(s.stroke);
    if (!fill && !stroke) return;
    out_.save();
    transparency(s.transparency, s.blend);
    const float* m = s.transform;
    if (m && !(m[0] == 1 && m[1] == 0 && m[2] == 0 && m[3] == 1 && m[4] == 0 && m[5] == 0))
        out_.transform(m[0], m[1], m[2], m[3], m[4], m[5]);
    if (fill) out_.fill_colour(s.fill);
    if (stroke) {
        out_.stroke_colour(s.stroke);
        // A pen one unit wide or less is the thinnest line the device shows, as a one-pixel
        // pen draws on screen: at a fine resolution a unit is a hair nobody would see.
        out_.line_width(s.line_width <= 1 ? 0 : s.line_width);
    }
    for (const path_item& item : *s.items) {
        if (item.op == op_break) continue;  // each figure is closed on its own
        const box b = normalised({item.v[0], item.v[1], item.v[2], item.v[3]});
        const double w = b.right - b.left, h = b.bottom - b.top;
        if (item.op == op_rectangle) {
            out_.rectangle(b.left, b.top, w, h);
            continue;
        }
        double rx = w / 2, ry = h / 2;
        if (item.op == op_rounded) {
            rx = std::min(std::fabs(double(item.v[4])) / 2, w / 2);
            ry = std::min(std::fabs(double(item.v[5])) / 2, h / 2);
        }
        const double kx = rx * kKappa, ky = ry * kKappa;
        const double l = b.left, t = b.top, r = b.right, bo = b.bottom;
        out_.move_to(l + rx, t);
        out_.line_to(r - rx, t);
        out_.curve_to(r - rx + kx, t, r, t + ry - ky, r, t + ry);
        out_.line_to(r, bo - ry);
        out_.curve_to(r, bo - ry + ky, r - rx + kx, bo, r - rx, bo);
        out_.line_to(l + rx, bo);
        out_.curve_to(l + rx - kx, bo, l, bo - ry + ky, l, bo - ry);
        out_.line_to(l, t + ry);
        out_.curve_to(l, t + ry - ky, l + rx - kx, t, l + rx, t);
        out_.close_path();
    }
    // Figures inside figures leave holes, as GDI's alternate fill mode paints them.
    if (fill && stroke)
        out_.fill_stroke_even_odd();
    else if (fill)
        out_.fill_even_odd();
    else
        out_.stroke();
    out_.restore();
}

void page_painter::text(const text_paint& t)
{
    if (t.text.empty() || !is_colour(t.color)) return;
    font_set::shaped shaped = w_.fonts().shape(t.font, t.text);
    if (shaped.font < 0) {
        w_.warn("no font installed to show \"" + utf8(t.text) + "\"");
        return;
    }
    // A font without a size shows at GDI's default height, 12 points at the page's resolution.
    double size = t.font ? t.font->size : 0;
    if (size <= 0) size = 12.0 / (72.0 * scale_) * 1.0;
    const double angle = t.font ? t.font->angle : 0;
    const double c = std::cos(angle), s = std::sin(angle);
    out_.save();
    if (t.clip && t.clip->mode == 1) {
        const box b = normalised(t.clip->rect);
        out_.rectangle(b.left, b.top, b.right - b.left, b.bottom - b.top);
        out_.clip();
    }
    transparency(t.transparency, 0);
    out_.fill_colour(t.color);
    if (shaped.fake_bold) {
        out_.stroke_colour(t.color);
        out_.line_width(size / 30);
    }
    out_.begin_text();
    out_.font(name_for(fonts_, "F", w_.fonts().reference(shaped.font)), 1);
    if (shaped.fake_bold) out_.text_render_mode(2);
    // Text space: x along the baseline, y up from it (up on the page is -y in page units).
    const double shear = shaped.fake_italic ? 0.2 : 0;
    out_.text_matrix(size * c, size * s, size * (s + shear * c), -size * (c - shear * s), t.x, t.y);
    out_.show_glyphs(shaped.glyphs);
    out_.end_text();
    out_.restore();
}

void page_painter::placeholder(const box& b)
{
    out_.save();
    out_.fill_rgb(0.9, 0.9, 0.9);
    out_.stroke_rgb(0.5, 0.5, 0.5);
    out_.line_width(std::max(1.0, 0.5 / scale_));
    out_.rectangle(b.left, b.top, b.right - b.left, b.bottom - b.top);
    out_.fill_stroke();
    out_.move_to(b.left, b.top);
    out_.line_to(b.right, b.bottom);
    out_.move_to(b.right, b.top);
    out_.line_to(b.left, b.bottom);
    out_.stroke();
    out_.restore();
}

void page_painter::image(const image_paint& i)
{
    const box b = normalised(i.rect);
    if (b.right <= b.left || b.bottom <= b.top) return;
    QPDFObjectHandle x = i.image ? w_.image(*i.image) : QPDFObjectHandle();
    if (!x.isInitialized()) {
        placeholder(b);
        return;
    }
    out_.save();
    // The image's unit square, its top row first, onto the rectangle.
    out_.transform(b.right - b.left, 0, 0, -(b.bottom - b.top), b.left, b.bottom);
    out_.draw_object(name_for(xobjects_, "X", x));
    out_.restore();
}

void page_painter::link(const link_paint& l)
{
    if (!links_ || l.url.empty()) return;  // forms have no annotations of their own
    const box b = normalised(l.rect);
    // /Type is optional for annotations; leaving it out saves an entry in every link.
    std::string a = "<< /Subtype /Link /Rect [";
    append_number(a, b.left * scale_);
    a += ' ';
    append_number(a, page_height_points - b.bottom * scale_);
    a += ' ';
    append_number(a, b.right * scale_);
    a += ' ';
    append_number(a, page_height_points - b.top * scale_);
    a += "] /Border [0 0 0] /A << /S /URI /URI ";
    append_uri(a, l.url);
    a += " >> >>";
    annotations_.push_back(std::move(a));
}

void page_painter::place_form(QPDFObjectHandle form, double form_left, double form_bottom,
                              double form_width, double form_height, const box& target,
                              bool keep_aspect)
{
    const double tw = target.right - target.left, th = target.bottom - target.top;
    if (form_width <= 0 || form_height <= 0 || tw <= 0 || th <= 0) return;
    double sx = tw / form_width, sy = th / form_height;
    double left = target.left, top = target.top;
    if (keep_aspect) {
        const double s = std::min(sx, sy);
        left += (tw - form_width * s) / 2;
        top += (th - form_height * s) / 2;
        sx = sy = s;
    }
    out_.save();
    out_.rectangle(target.left, target.top, tw, th);
    out_.clip();
    // The form's space is y-up points: its top edge goes to `top`.
    out_.transform(sx, 0, 0, -sy, left - form_left * sx, top + (form_bottom + form_height) * sy);
    out_.draw_object(name_for(xobjects_, "X", form));
    out_.restore();
}

void page_painter::pdf_page(const pdf_page_paint& p)
{
    const box target = normalised(p.rect);
    if (!p.file || !p.file->is_open()) {
        w_.warn("a placed PDF page has no open PDF document");
        placeholder(target);
        return;
    }
    QPDFObjectHandle form = w_.foreign_page(*p.file, p.page_number);
    if (!form.isInitialized()) {
        placeholder(target);
        return;
    }
    // The form's box as it lands on the page: its /BBox through its /Matrix.
    QPDFObjectHandle::Rectangle bbox = form.getDict().getKey(name::BBox).getArrayAsRectangle();
    QPDFObjectHandle::Matrix m(1, 0, 0, 1, 0, 0);  // a form without /Matrix has the identity
    QPDFObjectHandle matrix = form.getDict().getKey(name::Matrix);
    if (matrix.isMatrix()) m = matrix.getArrayAsMatrix();
    double xs[4], ys[4];
    const double cx[4] = {bbox.llx, bbox.urx, bbox.llx, bbox.urx};
    const double cy[4] = {bbox.lly, bbox.lly, bbox.ury, bbox.ury};
    for (int k = 0; k < 4; ++k) {
        xs[k] = m.a * cx[k] + m.c * cy[k] + m.e;
        ys[k] = m.b * cx[k] + m.d * cy[k] + m.f;
    }
    const double x0 = *std::min_element(xs, xs + 4), x1 = *std::max_element(xs, xs + 4);
    const double y0 = *std::min_element(ys, ys + 4), y1 = *std::max_element(ys, ys + 4);
    place_form(form, x0, y0, x1 - x0, y1 - y0, target, p.keep_aspect);
}

void page_painter::document_page(const document_page_paint& d)
{
    const box target = normalised(d.rect);
    if (!d.document) {
        w_.warn("a placed document page has no loaded document");
        placeholder(target);
        return;
    }
    if (depth_ + 1 > kMaxDepth) {
        w_.warn("stored documents nested too deeply; the innermost page is left out");
        return;
    }
    const LONG pages = page_count(d.document);
    if (d.page_number < 1 || d.page_number > pages) {
        w_.warn("a placed document page names page " + std::to_string(d.page_number) +
                " of a document with " + std::to_string(pages));
        placeholder(target);
        return;
    }
    QPDFObjectHandle form = w_.stored_page(d.document, d.page_number, depth_ + 1);
    if (!form.isInitialized()) return;
    const page_frame p = frame_of(d.document, d.page_number - 1);
    const double res = p.resolution > 0 ? p.resolution : 72;
    place_form(form, 0, 0, p.width * 72.0 / res, p.height * 72.0 / res, target, false);
}

}  // namespace host::pdf::detail

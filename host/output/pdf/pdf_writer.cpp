// The PDF writer: one PDF page per document page, its content stream drawn in page units
// (one `cm` maps them to points with y growing downwards), fonts subset at the end, images and
// placed pages shared between the pages that show them, links as URI annotations.
#include "host/output/pdf/pdf_writer.h"

#include <cmath>
#include <exception>
#include <map>
#include <new>
#include <set>
#include <tuple>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include "host/io/files.h"
#include "host/model/journal.h"
#include "host/output/paint.h"
#include "host/output/pdf/content_writer.h"
#include "host/output/pdf/font_set.h"
#include "host/output/pdf/image_objects.h"
#include "host/output/pdf/object_writer.h"
#include "host/output/pdf/pdf_file.h"
#include "host/output/scene.h"
#include "host/output/pdf/pdf_names.h"

namespace host::pdf {
namespace {

// Stored documents placing pages of stored documents: deeper pages are left out.
constexpr int kMaxDepth = 4;
// A Bézier quarter circle's control distance, as a share of the radius.
constexpr double kKappa = 0.5522847498307936;

bool is_colour(OLE_COLOR c) { return (c & 0xFF000000u) == 0; }

struct box {
    double left, top, right, bottom;
};

box normalised(const paint_rect& r)
{
    box b{double(r.left), double(r.top), double(r.right), double(r.bottom)};
    if (b.left > b.right) std::swap(b.left, b.right);
    if (b.top > b.bottom) std::swap(b.top, b.bottom);
    return b;
}

// The URI as a PDF string of 7-bit ASCII: other characters as percent-escaped UTF-8, and the
// string's own delimiters escaped.
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

QPDFObjectHandle content_stream(QPDF& out, deflater* packer, const std::string& data)
{
    std::string packed;
    if (packer && !data.empty() && packer->pack(data, &packed)) {
        QPDFObjectHandle stream = QPDFObjectHandle::newStream(&out);
        stream.replaceStreamData(packed, QPDFObjectHandle::newName(name::FlateDecode),
                                 QPDFObjectHandle::newNull());
        return stream;
    }
    return QPDFObjectHandle::newStream(&out, data);
}

class writer;

// Draws the objects of one page (or of a stored document's page placed as a form).
class page_painter final : public painter {
public:
    page_painter(writer& w, int depth, double points_per_unit, bool links)
        : w_(w), depth_(depth), scale_(points_per_unit), links_(links)
    {
    }

    void shape(const shape_paint& s) override;
    void text(const text_paint& t) override;
    void image(const image_paint& i) override;
    void link(const link_paint& l) override;
    void pdf_page(const pdf_page_paint& p) override;
    void document_page(const document_page_paint& d) override;

    content_writer& content() { return out_; }
    QPDFObjectHandle resources() const;
    // The names and objects the resources hold, as text: pages with equal keys share one
    // resource dictionary.
    std::string resource_key() const;
    // The page's link annotations as PDF text.
    const std::vector<std::string>& annotations() const { return annotations_; }
    double page_height_points = 0;

private:
    std::string name_for(std::map<QPDFObjGen, std::string>& names, const char* prefix,
                         QPDFObjectHandle object);
    void transparency(SHORT transparency, LONG blend);
    void place_form(QPDFObjectHandle form, double form_left, double form_bottom, double form_width,
                    double form_height, const box& target, bool keep_aspect);
    void placeholder(const box& b);

    writer& w_;
    int depth_;
    double scale_;
    bool links_;
    content_writer out_;
    std::map<QPDFObjGen, std::string> fonts_, xobjects_, states_;
    std::map<std::string, QPDFObjectHandle> by_name_;
    std::vector<std::string> annotations_;
};

class writer {
public:
    explicit writer(const write_options& options, write_report* report)
        : options_(options), report_(report), fonts_(out_)
    {
        out_.emptyPDF();
    }

    HRESULT run(document_object* doc, std::string* bytes, std::string* message);

    QPDF& out() { return out_; }
    font_set& fonts() { return fonts_; }
    void warn(const std::string& text)
    {
        if (report_ && report_->warnings.size() < 100) report_->warnings.push_back(text);
    }
    QPDFObjectHandle state(double alpha, LONG blend);
    QPDFObjectHandle image(const image_data& d);
    QPDFObjectHandle foreign_page(const pdf_file& file, LONG number);
    QPDFObjectHandle stored_page(document_object* doc, LONG number, int depth);

private:
    // The number of the resource dictionary a page uses: pages with the same resources share one.
    int shared_resources(object_writer& file, const page_painter& painter);

    write_options options_;
    write_report* report_;
    QPDF out_;
    font_set fonts_;
    std::map<std::pair<long long, LONG>, QPDFObjectHandle> states_;
    std::map<const void*, QPDFObjectHandle> images_;
    std::set<const void*> bad_images_;
    std::map<std::pair<const pdf_file*, LONG>, QPDFObjectHandle> foreign_;
    std::map<std::pair<document_object*, LONG>, QPDFObjectHandle> stored_;
    std::set<std::pair<document_object*, LONG>> in_progress_;
    object_writer* file_ = nullptr;  // while run() writes
    std::map<std::string, int> resources_;
};

// ---- page painter -----------------------------------------------------------------------------

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
        out_.line_width(s.line_width);
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

// ---- writer -----------------------------------------------------------------------------------

int writer::shared_resources(object_writer& file, const page_painter& painter)
{
    std::string key = painter.resource_key();
    auto known = resources_.find(key);
    if (known != resources_.end()) return known->second;
    const int number = file.reserve();
    std::string text;
    file.append(text, painter.resources());
    file.object(number, text);
    resources_.emplace(std::move(key), number);
    return number;
}

QPDFObjectHandle writer::state(double alpha, LONG blend)
{
    const auto key = std::make_pair(std::llround(alpha * 1000), blend);
    auto known = states_.find(key);
    if (known != states_.end()) return known->second;
    QPDFObjectHandle g = QPDFObjectHandle::newDictionary();
    g.replaceKey(name::Type, QPDFObjectHandle::newName(name::ExtGState));
    g.replaceKey(name::ca, QPDFObjectHandle::newReal(alpha, 3, true));
    g.replaceKey(name::CA, QPDFObjectHandle::newReal(alpha, 3, true));
    if (blend == 1) g.replaceKey(name::BM, QPDFObjectHandle::newName(name::Multiply));
    QPDFObjectHandle made = out_.makeIndirectObject(g);
    states_.emplace(key, made);
    return made;
}

QPDFObjectHandle writer::image(const image_data& d)
{
    auto known = images_.find(d.key);
    if (known != images_.end()) return known->second;
    if (bad_images_.count(d.key)) return {};
    std::string error;
    QPDFObjectHandle x = image_xobject(out_, d, &error);
    if (!x.isInitialized()) {
        warn("image " + (d.file.empty() ? std::string("without a file") : utf8(d.file)) +
             " is not shown: " + error);
        bad_images_.insert(d.key);
        return {};
    }
    QPDFObjectHandle made = out_.makeIndirectObject(x);
    images_.emplace(d.key, made);
    return made;
}

QPDFObjectHandle writer::foreign_page(const pdf_file& file, LONG number)
{
    const auto key = std::make_pair(&file, number);
    auto known = foreign_.find(key);
    if (known != foreign_.end()) return known->second;
    QPDFObjectHandle made;
    if (number < 1 || number > file.page_count()) {
        warn("page " + std::to_string(number) + " of " + file.path() + " does not exist");
    } else {
        try {
            std::vector<QPDFPageObjectHelper> pages =
                QPDFPageDocumentHelper(*file.document()).getAllPages();
            QPDFObjectHandle form =
                pages[static_cast<std::size_t>(number - 1)].getFormXObjectForPage(true);
            made = out_.copyForeignObject(form);
        } catch (const std::exception& e) {
            warn("page " + std::to_string(number) + " of " + file.path() +
                 " cannot be placed: " + e.what());
            made = QPDFObjectHandle();
        }
    }
    foreign_.emplace(key, made);
    return made;
}

QPDFObjectHandle writer::stored_page(document_object* doc, LONG number, int depth)
{
    const auto key = std::make_pair(doc, number);
    if (auto it = stored_.find(key); it != stored_.end()) return it->second;
    if (in_progress_.count(key)) {
        warn("a stored page places itself; the inner copy is left out");
        return {};
    }
    in_progress_.insert(key);
    const page_frame p = frame_of(doc, number - 1);
    const double res = p.resolution > 0 ? p.resolution : 72;
    const double scale = 72.0 / res;
    page_painter painter(*this, depth, scale, false);
    painter.page_height_points = p.height * scale;
    painter.content().transform(scale, 0, 0, -scale, 0, painter.page_height_points);
    paint_page(doc, number - 1, painter);
    QPDFObjectHandle form = content_stream(out_, options_.compress ? &file_->packer() : nullptr, painter.content().data());
    QPDFObjectHandle dict = form.getDict();
    dict.replaceKey(name::Type, QPDFObjectHandle::newName(name::XObject));
    dict.replaceKey(name::Subtype, QPDFObjectHandle::newName(name::Form));
    QPDFObjectHandle bbox = QPDFObjectHandle::newArray();
    for (double v : {0.0, 0.0, p.width * scale, p.height * scale})
        bbox.appendItem(QPDFObjectHandle::newReal(v, 3, true));
    dict.replaceKey(name::BBox, bbox);
    dict.replaceKey(name::Resources, painter.resources());
    QPDFObjectHandle made = out_.makeIndirectObject(form);
    in_progress_.erase(key);
    stored_.emplace(key, made);
    return made;
}

HRESULT writer::run(document_object* doc, std::string* bytes, std::string* message)
{
    const LONG total = page_count(doc);
    if (total == 0) {
        *message = "the document has no pages";
        return E_INVALIDARG;
    }
    // Each page goes into the file as soon as it is painted; only the fonts, images and placed
    // pages it shares with others wait for the end.
    object_writer file(*bytes, out_, options_.compress);
    file_ = &file;
    const int root = file.reserve(), tree = file.reserve();
    std::vector<int> kids;
    kids.reserve(static_cast<std::size_t>(total));
    std::string dict;
    for (LONG index = 0; index < total; ++index) {
        const page_frame p = frame_of(doc, index);
        const double res = p.resolution > 0 ? p.resolution : 72;
        const double scale = 72.0 / res;
        const double width = p.width * scale, height = p.height * scale;
        if (!(width > 0) || !(height > 0) || width > 14400 || height > 14400) {
            *message = "page " + std::to_string(index + 1) + " has a size PDF cannot hold (" +
                       std::to_string(p.width) + " x " + std::to_string(p.height) + " at " +
                       std::to_string(p.resolution) + " units per inch)";
            return E_INVALIDARG;
        }
        page_painter painter(*this, 0, scale, true);
        painter.page_height_points = height;
        painter.content().transform(scale, 0, 0, -scale, 0, height);
        paint_page(doc, index, painter);

        const int contents = file.reserve();
        file.stream(contents, {}, painter.content().data(), false);
        const int resources = shared_resources(file, painter);
        const int page = file.reserve();
        dict = "<< /Type /Page /Parent ";
        dict += std::to_string(tree) + " 0 R /MediaBox [0 0 ";
        append_number(dict, width);
        dict += ' ';
        append_number(dict, height);
        dict += "] /Resources " + std::to_string(resources) + " 0 R /Contents " +
                std::to_string(contents) + " 0 R";
        if (!painter.annotations().empty()) {
            dict += " /Annots [";
            for (const std::string& a : painter.annotations()) {
                const int n = file.reserve();
                file.object(n, a);
                dict += std::to_string(n) + " 0 R ";
            }
            dict.back() = ']';
        }
        dict += " >>";
        file.object(page, dict);
        kids.push_back(page);
        // The first pages tell how large the file will be; room a quarter larger covers the
        // fonts and the rest (room never written to costs no memory). Once only: growing
        // the room again would copy what is there.
        const LONG done = index + 1;
        if (done == std::min<LONG>(total, 16))
            file.expect(file.size() / std::size_t(done) * std::size_t(total) / 4 * 5 + 65536);
        if (options_.progress) options_.progress(done, total);
    }
    fonts_.finish();

    dict = "<< /Type /Pages /Count " + std::to_string(total) + " /Kids [";
    for (int k : kids) dict += std::to_string(k) + " 0 R ";
    dict.back() = ']';
    dict += " >>";
    file.object(tree, dict);
    file.object(root, "<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R >>");
    const int info = file.reserve();
    file.object(info, "<< /Producer (ContentElements) >>");
    file.finish(root, info);
    for (const std::string& w : file.warnings()) warn(w);
    if (report_) {
        report_->pages = total;
        report_->bytes = bytes->size();
    }
    return S_OK;
}

}  // namespace

HRESULT write_pdf_bytes(document_object* doc, const write_options& options, std::string* out,
                        write_report* report, std::string* message) noexcept
{
    std::string ignored;
    if (!message) message = &ignored;
    if (!doc || !out) {
        *message = "no document to write";
        return E_POINTER;
    }
    out->clear();
    HRESULT hr = E_FAIL;
    try {
        if (report) *report = write_report{};
        writer w(options, report);
        hr = w.run(doc, out, message);
    } catch (const std::bad_alloc&) {
        *message = "out of memory while writing the PDF";
        hr = E_OUTOFMEMORY;
    } catch (const std::exception& e) {
        *message = std::string("the PDF cannot be written: ") + e.what();
        hr = E_FAIL;
    }
    // No half-written file for the caller.
    if (FAILED(hr)) std::string().swap(*out);
    return hr;
}

HRESULT write_pdf(document_object* doc, const std::string& path, const write_options& options,
                  write_report* report, std::string* message) noexcept
{
    std::string ignored;
    if (!message) message = &ignored;
    std::string bytes;
    const HRESULT hr = write_pdf_bytes(doc, options, &bytes, report, message);
    if (FAILED(hr)) return hr;
    return write_file_atomically(path, reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(),
                                 message);
}

}  // namespace host::pdf

// The PDF writer: one PDF page per document page, its content stream drawn in page units
// (one `cm` maps them to points with y growing downwards), fonts subset at the end, images and
// placed pages shared between the pages that show them, links as URI annotations.
#include "host/output/pdf/pdf_writer.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <tuple>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include "host/io/content_key.h"
#include "host/io/files.h"
#include "host/model/journal.h"
#include "host/output/form_scene.h"
#include "host/output/pdf/acroform.h"
#include "host/output/pdf/annotations.h"
#include "host/output/paint.h"
#include "host/output/pdf/content_writer.h"
#include "host/output/pdf/font_set.h"
#include "host/output/pdf/image_objects.h"
#include "host/output/pdf/object_writer.h"
#include "host/output/pdf/opened_pdf.h"
#include "host/output/pdf/page_form.h"
#include "host/output/pdf/pdf_file.h"
#include "host/output/pdf/pdf_names.h"
#include "host/output/pdf/pdf_writer_parts.h"
#include "host/output/scene.h"

namespace host::pdf {
namespace detail {
namespace {

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

}  // namespace

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

namespace {

// Pictures are the same when their bytes are: the file's, or the pixels and palette given.
std::string content_key_of(const image_data& d)
{
    const std::string tag = std::to_string(d.width) + "x" + std::to_string(d.height) + "x" +
                            std::to_string(d.bits) + (d.interpolate ? "i" : "") + ":";
    if (!d.file.empty()) {
        const std::string file = file_content_key(native_path(d.file));
        return file.empty() ? std::string() : tag + file;
    }
    if (!d.pixels) return {};
    std::string palette;
    if (d.palette)
        palette = bytes_key("palette:", d.palette->data(), d.palette->size() * sizeof((*d.palette)[0]));
    return bytes_key(tag + palette + "pixels:", d.pixels->data(), d.pixels->size());
}

}  // namespace

QPDFObjectHandle writer::image(const image_data& d)
{
    auto known = images_.find(d.key);
    if (known != images_.end()) return known->second;
    if (bad_images_.count(d.key)) return {};
    // The same picture placed by many images is decoded and written once.
    const std::string content = content_key_of(d);
    if (!content.empty()) {
        if (auto same = by_content_.find(content); same != by_content_.end()) {
            if (!same->second.isInitialized()) {
                bad_images_.insert(d.key);
                return {};
            }
            images_.emplace(d.key, same->second);
            return same->second;
        }
    }
    std::string error;
    QPDFObjectHandle x = image_xobject(out_, d, &error);
    if (!x.isInitialized()) {
        warn("image " + (d.file.empty() ? std::string("without a file") : utf8(d.file)) +
             " is not shown: " + error);
        bad_images_.insert(d.key);
        if (!content.empty()) by_content_.emplace(content, QPDFObjectHandle());
        return {};
    }
    QPDFObjectHandle made = out_.makeIndirectObject(x);
    images_.emplace(d.key, made);
    if (!content.empty()) by_content_.emplace(content, made);
    return made;
}

QPDFObjectHandle writer::foreign_page(const pdf_file& file, LONG number)
{
    const std::shared_ptr<opened_pdf>& opened = file.opened();
    const auto key = std::make_pair(opened, number);
    auto known = foreign_.find(key);
    if (known != foreign_.end()) return known->second;
    // The same page of the same bytes, opened by many placed pages, is copied once.
    std::string content = file.content_key();
    if (!content.empty()) {
        content += "#" + std::to_string(number);
        if (auto same = by_content_.find(content); same != by_content_.end()) {
            foreign_.emplace(key, same->second);
            return same->second;
        }
    }
    QPDFObjectHandle made;
    if (number < 1 || number > file.page_count()) {
        warn("page " + std::to_string(number) + " of " + file.path() + " does not exist");
    } else {
        if (std::find(placed_files_.begin(), placed_files_.end(), opened) == placed_files_.end())
            placed_files_.push_back(opened);
        try {
            const std::lock_guard<std::mutex> reading(opened->reading);
            std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(opened->pdf).getAllPages();
            made = page_as_form(out_, *file_, pages[static_cast<std::size_t>(number - 1)]);
        } catch (const std::exception& e) {
            warn("page " + std::to_string(number) + " of " + file.path() +
                 " cannot be placed: " + e.what());
            made = QPDFObjectHandle();
        }
    }
    foreign_.emplace(key, made);
    if (!content.empty()) by_content_.emplace(content, made);
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

QPDFObjectHandle writer::layout_markers()
{
    if (layout_markers_.isInitialized()) return layout_markers_;
    layout_markers_ = out_.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /OCG /Name (Layout markers) /Usage << /Print << /PrintState /OFF >> "
        "/View << /ViewState /ON >> >> >>"));
    return layout_markers_;
}

namespace {

bool own_annotation(LONG type) { return type >= 2 && type <= 5; }

// A group field has no widget: it is a frame round its fields with its title (its description,
// else its name) set into the top edge on a gap of paper, drawn as page content.
void group_frames(painter& to, const std::vector<form_field>& fields, LONG resolution)
{
    const LONG point = std::max<LONG>(resolution / 72, 1);
    for (const form_field& f : fields) {
        if (f.type != 14) continue;
        const paint_rect& b = f.bounds;
        const OLE_COLOR ink = f.has_border && (f.border & 0xFF000000u) == 0 ? f.border : 0x808080;
        std::vector<path_item> frame{{op_rectangle, {b.left, b.top, b.right, b.bottom, 0, 0}}};
        shape_paint line;
        line.items = &frame;
        line.stroke = ink;
        line.line_width = point;
        to.shape(line);
        const std::u16string& title = f.description.empty() ? f.name : f.description;
        if (title.empty()) continue;
        font_paint face;
        face.face = u"Arial";
        face.size = 9 * point;
        const LONG x = b.left + 6 * point;
        const LONG width = static_cast<LONG>(title.size()) * face.size / 2 + 2 * point;
        std::vector<path_item> gap{{op_rectangle,
                                    {x - 2 * point, b.top - 5 * point, x + width, b.top + 5 * point, 0, 0}}};
        shape_paint paper;
        paper.paint_mode = 1;
        paper.items = &gap;
        paper.fill = 0xFFFFFF;
        to.shape(paper);
        text_paint t;
        t.text = title;
        t.x = x;
        t.y = b.top + 3 * point;
        t.font = &face;
        t.color = ink == 0x808080 ? 0x404040 : ink;
        to.text(t);
    }
}

}  // namespace

int writer::element_annotation(object_writer& file, document_object* doc, LONG index,
                               const page_element& e, const page_frame& frame)
{
    const double res = frame.resolution > 0 ? frame.resolution : 72;
    const double scale = 72.0 / res;
    const double height = frame.height * scale;
    page_painter look(*this, 0, scale, false);
    look.page_height_points = height;
    look.content().transform(scale, 0, 0, -scale, 0, height);
    measuring_painter meter(look);
    paint_page_objects(doc, index, meter, [&](LONG maker) { return maker == e.id; });
    if (meter.empty()) return 0;
    // What lies beyond the page is not shown; a viewer lists the annotation where it is seen.
    paint_rect seen = meter.bounds(std::max<LONG>(frame.resolution / 36, 1));  // two points
    seen.left = std::clamp<LONG>(seen.left, 0, frame.width);
    seen.right = std::clamp<LONG>(seen.right, 0, frame.width);
    seen.top = std::clamp<LONG>(seen.top, 0, frame.height);
    seen.bottom = std::clamp<LONG>(seen.bottom, 0, frame.height);
    if (seen.left >= seen.right || seen.top >= seen.bottom) return 0;
    const point_rect r = rect_in_points(seen, scale, height);
    std::string rect = "[";
    for (double v : {r.left, r.bottom, r.right, r.top}) {
        append_number(rect, v);
        rect += ' ';
    }
    rect.back() = ']';

    const int resources = shared_resources(file, look);
    const int appearance = file.reserve();
    file.stream(appearance,
                "/Type /XObject /Subtype /Form /BBox " + rect + " /Resources " +
                    std::to_string(resources) + " 0 R",
                look.content().data(), false);

    std::string a = "<< /Type /Annot /Subtype ";
    if (e.type == 4) {
        // A link whose frame is its appearance; one without an address stays in the page.
        if (meter.url.empty()) return -1;
        a += "/Link /Border [0 0 0] /A << /S /URI /URI ";
        append_uri(a, meter.url);
        a += " >>";
    } else if (e.type == 2) {
        a += "/FreeText /DA (0 g /Helv 10 Tf)";
    } else if (e.type == 3) {
        a += "/Stamp";
        if (!e.title.empty()) a += " /Name " + name_token(e.title);
    } else {
        const LONG unit = std::max<LONG>(frame.resolution / 72, 1);
        const std::vector<paint_rect> words = word_boxes(doc, index);
        const char* subtype = "/Highlight";
        std::vector<point_rect> quads;
        for (const paint_rect& band : meter.bands()) {
            paint_rect line{};
            subtype = mark_subtype(band, words, unit, &line);
            quads.push_back(rect_in_points(line, scale, height));
        }
        a += subtype;
        a += " /QuadPoints " + quad_points(quads);
        const rgb c = rgb_of(meter.band_colour);
        a += " /C [";
        for (double v : {c.r, c.g, c.b}) {
            append_number(a, v);
            a += ' ';
        }
        a.back() = ']';
        a += " /CA ";
        append_number(a, 1.0 - std::clamp<int>(meter.band_transparency, 0, 100) / 100.0);
    }
    a += " /Rect " + rect + " /F 4 /NM (zcnt-" + std::to_string(index + 1) + "-" +
         std::to_string(e.id) + ") /M (" + date_ + ")";
    if (!author_.empty()) a += " /T " + text_string(author_);
    if (!e.contents.empty()) a += " /Contents " + text_string(e.contents);
    a += " /AP << /N " + std::to_string(appearance) + " 0 R >> >>";
    const int number = file.reserve();
    file.object(number, a);
    return number;
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
    acroform form(file);
    const int root = file.reserve(), tree = file.reserve();
    std::vector<int> kids;
    kids.reserve(static_cast<std::size_t>(total));
    std::string dict;
    if (!options_.flatten) {
        date_ = pdf_date(annotation_time());
        author_ = annotation_author();
    }
    for (LONG index = 0; index < total; ++index) {
        const page_frame p = frame_of(doc, index);
        const double res = p.resolution > 0 ? p.resolution : 72;
        const double scale = 72.0 / res;
        const double width = p.width * scale, height = p.height * scale;
        // PDF's limits: 3 to 14 400 points a side. Below them a size is written as a box that
        // readers take for no size at all, or replace with a default paper size.
        if (!(width >= 3) || !(height >= 3) || width > 14400 || height > 14400) {
            *message = "page " + std::to_string(index + 1) + " has a size PDF cannot hold (" +
                       std::to_string(p.width) + " x " + std::to_string(p.height) + " at " +
                       std::to_string(p.resolution) + " units per inch)";
            return E_INVALIDARG;
        }
        page_painter painter(*this, 0, scale, true);
        painter.page_height_points = height;
        painter.content().transform(scale, 0, 0, -scale, 0, height);
        const std::vector<form_field> page_fields = form_fields_of(doc, index);
        std::vector<page_element> marks;
        if (!options_.flatten) marks = elements_on(doc, index);
        std::set<LONG> own, layout;
        for (const page_element& e : marks) {
            if (own_annotation(e.type)) own.insert(e.id);
            if (e.type == 15) layout.insert(e.id);
        }
        if (own.empty() && layout.empty()) {
            paint_page(doc, index, painter);
        } else {
            paint_page_objects(doc, index, painter, [&](LONG maker) {
                return !own.count(maker) && !layout.count(maker);
            });
            if (!layout.empty()) {
                painter.begin_optional(layout_markers());
                paint_page_objects(doc, index, painter,
                                   [&](LONG maker) { return layout.count(maker) != 0; });
                painter.content().end_marked();
            }
        }
        group_frames(painter, page_fields, p.resolution);
        std::vector<int> notes;
        for (const page_element& e : marks) {
            if (!own.count(e.id)) continue;
            const int n = element_annotation(file, doc, index, e, p);
            if (n > 0) notes.push_back(n);
            if (n < 0)
                paint_page_objects(doc, index, painter, [&](LONG maker) { return maker == e.id; });
        }

        const int contents = file.reserve();
        file.stream(contents, {}, painter.content().data(), false);
        const int resources = shared_resources(file, painter);
        const int page = file.reserve();
        const std::vector<int> fields = form.add_page(page, page_fields, scale, height);
        dict = "<< /Type /Page /Parent ";
        dict += std::to_string(tree) + " 0 R /MediaBox [0 0 ";
        append_number(dict, width);
        dict += ' ';
        append_number(dict, height);
        dict += "] /Resources " + std::to_string(resources) + " 0 R /Contents " +
                std::to_string(contents) + " 0 R";
        if (!painter.annotations().empty() || !fields.empty() || !notes.empty()) {
            dict += " /Annots [";
            for (int n : notes) dict += std::to_string(n) + " 0 R ";
            for (const std::string& a : painter.annotations()) {
                const int n = file.reserve();
                file.object(n, a);
                dict += std::to_string(n) + " 0 R ";
            }
            for (int n : fields) dict += std::to_string(n) + " 0 R ";
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
    std::string layers;
    if (layout_markers_.isInitialized()) {
        const std::string ocg = std::to_string(file.number_of(layout_markers_)) + " 0 R";
        layers = " /OCProperties << /OCGs [" + ocg + "] /D << /Order [" + ocg + "] /ON [" + ocg +
                 "] /AS [<< /Event /Print /OCGs [" + ocg + "] /Category [/Print] >> << /Event "
                 "/View /OCGs [" + ocg + "] /Category [/View] >>] >> >>";
    }
    file.object(root, "<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R" + form.finish() +
                          layers + " >>");
    const int info = file.reserve();
    file.object(info, "<< /Producer (ContentElements) >>");
    // finish() reads the placed files for what the pages took from them, each file held
    // meanwhile: in the order of their addresses, so that two writes never hold one each and
    // wait for the other's.
    std::sort(placed_files_.begin(), placed_files_.end());
    std::vector<std::unique_lock<std::mutex>> reading;
    reading.reserve(placed_files_.size());
    for (const std::shared_ptr<opened_pdf>& f : placed_files_) reading.emplace_back(f->reading);
    file.finish(root, info);
    reading.clear();
    for (const std::string& w : file.warnings()) warn(w);
    if (report_) {
        report_->pages = total;
        report_->bytes = bytes->size();
    }
    return S_OK;
}

}  // namespace detail

using detail::writer;

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

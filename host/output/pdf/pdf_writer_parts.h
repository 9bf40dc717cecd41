// The PDF writer's parts, shared by its two files: the page painter (page_painter.cpp) draws
// one page's objects into a content stream and collects its resources; the writer
// (pdf_writer.cpp) numbers the objects, shares what pages have in common and writes the file.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include "host/output/paint.h"
#include "host/output/pdf/content_writer.h"
#include "host/output/pdf/font_set.h"
#include "host/output/pdf/object_writer.h"
#include "host/output/pdf/opened_pdf.h"
#include "host/output/pdf/pdf_file.h"
#include "host/output/pdf/pdf_writer.h"
#include "host/output/scene.h"

namespace host::pdf::detail {

struct box {
    double left, top, right, bottom;
};

inline box normalised(const paint_rect& r)
{
    box b{double(r.left), double(r.top), double(r.right), double(r.bottom)};
    if (b.left > b.right) std::swap(b.left, b.right);
    if (b.top > b.bottom) std::swap(b.top, b.bottom);
    return b;
}

class writer;

// The URI as a PDF string of 7-bit ASCII: other characters as percent-escaped UTF-8, and the
// string's own delimiters escaped.
void append_uri(std::string& s, std::u16string_view url);

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
    // What follows shows only while `group` (an optional content group) is on, until
    // content().end_marked().
    void begin_optional(QPDFObjectHandle group);
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
    std::map<QPDFObjGen, std::string> fonts_, xobjects_, states_, properties_;
    std::map<std::string, QPDFObjectHandle> by_name_;
    std::vector<std::string> annotations_;
};

class writer {
public:
    // `out_` only holds the objects that qpdf makes for the file (fonts, images, forms); the
    // file's catalog and pages are our own, so it parses no empty file of its own first.
    explicit writer(const write_options& options, write_report* report)
        : options_(options), report_(report), fonts_(out_)
    {
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
    // The optional content group of the layout markers (page breaks): on screen, not printed.
    QPDFObjectHandle layout_markers();

private:
    // The number of the resource dictionary a page uses: pages with the same resources share one.
    int shared_resources(object_writer& file, const page_painter& painter);
    // The page's own annotation for element `e` with its appearance, by number; 0 when it drew
    // nothing, -1 when what it drew belongs in the page content (a link without an address).
    int element_annotation(object_writer& file, document_object* doc, LONG index,
                           const page_element& e, const page_frame& frame);

    write_options options_;
    write_report* report_;
    // The placed files this write reads, kept open until it is done though a progress callback
    // closes one meanwhile; before the objects that refer into them, so that it outlives them.
    std::vector<std::shared_ptr<opened_pdf>> placed_files_;
    QPDF out_;
    font_set fonts_;
    std::map<std::pair<long long, LONG>, QPDFObjectHandle> states_;
    std::map<const void*, QPDFObjectHandle> images_;
    std::set<const void*> bad_images_;
    // By what was opened rather than by the file, which may be opened again on other bytes; held,
    // so that an opening let go during the write (from a progress callback) cannot leave its
    // address to a new one, which would be taken for it.
    std::map<std::pair<std::shared_ptr<opened_pdf>, LONG>, QPDFObjectHandle> foreign_;
    // Images and placed pages by the key of their bytes (host/io/content_key.h); an
    // uninitialised handle for a picture that could not be shown.
    std::map<std::string, QPDFObjectHandle> by_content_;
    std::map<std::pair<document_object*, LONG>, QPDFObjectHandle> stored_;
    std::set<std::pair<document_object*, LONG>> in_progress_;
    object_writer* file_ = nullptr;  // while run() writes
    std::map<std::string, int> resources_;
    QPDFObjectHandle layout_markers_;
    std::string date_;  // the annotations' /M
    std::u16string author_;
};

}  // namespace host::pdf::detail

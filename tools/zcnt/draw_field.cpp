// zcnt draw-field: finds the field by its Name, sizes a bitmap to the field's area at 96 dpi
// times the scale, maps the page's units onto its pixels and has the field draw itself there.
#include "tools/zcnt/draw_field.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "contentelements/cnt_formfield.h"
#include "host/kinds/drawing_host.h"
#include "module/class_map.h"
#include "platform/gdi/gdi.h"
#include "tools/zcnt/dispatch_call.h"
#include "tools/zcnt/element_classes.h"
#include "tools/zcnt/files.h"
#include "tools/zcnt/host_bridge.h"
#include "tools/zcnt/render_report.h"

namespace zcnt {
namespace {

constexpr double max_scale = 16;
constexpr LONG max_pixels = 16384;  // on either side

struct failure {
    int status;
    std::string message;
};

struct found_field {
    com::ComPtr<IZElement> element;
    LONG resolution = 0;
};

found_field find_field(IZDocument* document, const std::u16string& name)
{
    com::ComPtr<IZPageList> pages;
    document->get_Pages(pages.put());
    LONG page_count = 0;
    if (pages) pages->get_Count(&page_count);
    for (LONG n = 1; n <= page_count; ++n) {
        com::ComPtr<IZPrintContentPage> page;
        com::ComPtr<IZPageObjectList> list;
        if (FAILED(pages->get_Item(n, page.put())) || !page) continue;
        page->get_PageObjects(list.put());
        LONG count = 0;
        if (list) list->get_Count(&count);
        for (LONG i = 1; i <= count; ++i) {
            com::ComPtr<IDispatch> object;
            com::ComPtr<IZCntElementFormField> field;
            found_field found;
            if (FAILED(list->get_Item(i, object.put())) || !object ||
                FAILED(object->QueryInterface(IZCntElementFormField::iid, field.put_void())) ||
                FAILED(object->QueryInterface(IZElement::iid, found.element.put_void())))
                continue;
            com::Bstr field_name;
            field->get_Name(field_name.put());
            if (field_name.view() != name) continue;
            page->get_Resolution(&found.resolution);
            return found;
        }
    }
    return {};
}

// Memory device context, bitmap and drawing host, released in the right order.
class canvas {
public:
    canvas(LONG width, LONG height)
    {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        // The screen's format: a bitmap compatible with the new context would be monochrome.
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        if (!dc_ || !bitmap_) return;
        old_ = SelectObject(dc_, bitmap_);
        const RECT all{0, 0, width, height};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~canvas()
    {
        if (dc_ && old_) SelectObject(dc_, old_);
        if (bitmap_) DeleteObject(bitmap_);
        if (dc_) DeleteDC(dc_);
    }
    canvas(const canvas&) = delete;
    canvas& operator=(const canvas&) = delete;

    bool ok() const { return dc_ && bitmap_ && old_; }
    HDC dc() const { return dc_; }
    // The bitmap on its own again, so that it can be written.
    HBITMAP finish()
    {
        if (old_) SelectObject(dc_, old_);
        old_ = nullptr;
        return bitmap_;
    }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

// Page units to pixels: `resolution` units are 96 × scale pixels. The extents carry two more
// digits than the scale needs where the resolution leaves room for them.
void map_page_units(HDC dc, LONG left, LONG top, LONG resolution, double scale)
{
    const LONG digits = resolution <= std::numeric_limits<int>::max() / 100 ? 100 : 1;
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowOrgEx(dc, left, top, nullptr);
    SetWindowExtEx(dc, resolution * digits, resolution * digits, nullptr);
    const int viewport = static_cast<int>(std::lround(96.0 * scale * digits));
    SetViewportExtEx(dc, viewport, viewport, nullptr);
    SetViewportOrgEx(dc, 0, 0, nullptr);
}

// The PNG goes to a temporary file first: the output is written whole or not at all.
void write_png(HBITMAP bitmap, const std::string& output)
{
    const char* tmpdir = std::getenv("TMPDIR");
    const std::string folder = tmpdir && *tmpdir ? tmpdir : "/tmp";
    std::string temp = folder + "/zcnt-field-XXXXXX.png";
    const int fd = mkstemps(temp.data(), 4);
    if (fd < 0)
        throw failure{1, "no temporary file for the picture in " + folder + ": " + std::strerror(errno)};
    close(fd);
    std::string bytes, error;
    const bool saved = SaveBitmapPng(bitmap, temp.c_str()) && read_file(temp, &bytes, &error);
    unlink(temp.c_str());
    if (!saved) throw failure{1, "the picture cannot be encoded as PNG"};
    if (!write_file_atomically(output, bytes, &error)) throw failure{2, error};
}

double scale_of(const std::string& text)
{
    char* end = nullptr;
    const double scale = text.empty() ? 0 : std::strtod(text.c_str(), &end);
    if (!end || *end != '\0' || !std::isfinite(scale) || scale <= 0 || scale > max_scale)
        throw failure{2, "the scale must be a number above 0 and at most 16, not \"" + text + "\""};
    return scale;
}

void draw(const draw_field_options& options)
{
    const double scale = scale_of(options.scale_text);
    host::document loaded;
    std::string error;
    com::ComPtr<IZDocument> document;
    if (FAILED(bridge::load_document(options.document, &loaded, &error)) ||
        !(document = bridge::interface_of(loaded)))
        throw failure{2, error};
    const found_field field = find_field(document.get(), utf16_of(options.name));
    if (!field.element)
        throw failure{2, options.document + " has no form field named \"" + options.name + "\""};
    LONG left = 0, top = 0, right = 0, bottom = 0;
    field.element->GetBounds(&left, &top, &right, &bottom);
    const long long width_units = static_cast<long long>(right) - left;
    const long long height_units = static_cast<long long>(bottom) - top;
    if (width_units <= 0 || height_units <= 0 || field.resolution <= 0)
        throw failure{2, "the field \"" + options.name + "\" has an empty area"};
    const double pixels_per_unit = 96.0 * scale / field.resolution;
    const double width = std::ceil(static_cast<double>(width_units) * pixels_per_unit);
    const double height = std::ceil(static_cast<double>(height_units) * pixels_per_unit);
    if (width > max_pixels || height > max_pixels)
        throw failure{2, "the picture would be larger than 16384 pixels a side; "
                         "use a smaller scale"};

    canvas c(static_cast<LONG>(width), static_cast<LONG>(height));
    if (!c.ok()) throw failure{1, "no memory for a picture of the field"};
    map_page_units(c.dc(), left, top, field.resolution, scale);
    com::ComPtr<IZDrawingHost> drawing_host;
    if (FAILED(host::make_drawing_host(c.dc(), drawing_host.put())))
        throw failure{1, "no memory for the drawing host"};
    const HRESULT hr = field.element->Draw(reinterpret_cast<LONGLONG>(c.dc()), 0, 0, 0, 0, 0,
                                           reinterpret_cast<LONGLONG>(drawing_host.get()));
    if (FAILED(hr)) throw failure{1, "the field cannot draw itself (" + hex_of(hr) + ")"};
    write_png(c.finish(), options.output);
}

}  // namespace

int run_draw_field(const draw_field_options& options, std::FILE* err)
{
    if (FAILED(use_element_classes(nullptr))) {
        std::fprintf(err, "zcnt: the library's classes cannot be registered\n");
        return 1;
    }
    int status = 0;
    try {
        draw(options);
    } catch (const failure& f) {
        std::fprintf(err, "zcnt: %s\n", f.message.c_str());
        status = f.status;
    } catch (const std::exception& e) {
        std::fprintf(err, "zcnt: %s\n", e.what());
        status = 1;
    }
    cnt::module::revoke_classes();
    return status;
}

}  // namespace zcnt

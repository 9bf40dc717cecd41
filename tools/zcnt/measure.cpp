// zcnt measure: which font file a face name resolves to, its metrics and the extent of a text,
// in display pixels and in page units through the same "DISPLAY" mapping the elements measure
// with — for a user who wonders why a note wraps where it does.
#include "tools/zcnt/measure.h"

#include <cstring>
#include <string>

#include "elements/measure/display_context.h"
#include "platform/gdi/face.h"
#include "platform/gdi/gdi.h"
#include "tools/zcnt/dispatch_call.h"

namespace zcnt {
namespace {

struct measured {
    std::string face_name;
    TEXTMETRICA tm{};
    SIZE extent{};
    LONG height = 0;  // the LOGFONTA height asked for
};

void print(std::FILE* out, const char* what, const measured& m)
{
    std::fprintf(out, "%s (font height %d, face \"%s\"):\n", what, m.height, m.face_name.c_str());
    std::fprintf(out,
                 "  height %d  ascent %d  descent %d  internal leading %d  external leading %d\n"
                 "  average width %d  maximum width %d  weight %d\n"
                 "  text extent %d x %d\n",
                 m.tm.tmHeight, m.tm.tmAscent, m.tm.tmDescent, m.tm.tmInternalLeading,
                 m.tm.tmExternalLeading, m.tm.tmAveCharWidth, m.tm.tmMaxCharWidth, m.tm.tmWeight,
                 m.extent.cx, m.extent.cy);
}

}  // namespace

int run_measure(const measure_options& o, std::FILE* out, std::FILE* err)
{
    if (o.size_tenths < -32768 || o.size_tenths > 32767) {
        std::fprintf(err, "zcnt: the size is in tenths of a point, a 16-bit number\n");
        return 2;
    }
    if (o.resolution < 1 || o.resolution > 100000) {
        std::fprintf(err, "zcnt: the resolution must be between 1 and 100000 units per inch\n");
        return 2;
    }
    const std::u16string face16 = utf16_of(o.face);
    const std::string text = cnt::measure::to_thread_ansi(utf16_of(o.text));
    const auto tenths = static_cast<LONG>(o.size_tenths);
    const auto resolution = static_cast<LONG>(o.resolution);

    // Device pixels: the display context as it comes.
    measured pixels;
    HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!screen) {
        std::fprintf(err, "zcnt: no display context\n");
        return 1;
    }
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -MulDiv(dpi, tenths, 720);
    const std::string face_ansi = cnt::measure::to_thread_ansi(face16);
    std::strncpy(lf.lfFaceName, face_ansi.c_str(), LF_FACESIZE - 1);
    pixels.height = lf.lfHeight;
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(screen, font);
    GetTextMetricsA(screen, &pixels.tm);
    GetTextExtentPoint32A(screen, text.data(), static_cast<int>(text.size()), &pixels.extent);
    char name[LF_FACESIZE] = {};
    GetTextFaceA(screen, LF_FACESIZE, name);
    pixels.face_name = name;
    SelectObject(screen, old);
    DeleteObject(font);
    DeleteDC(screen);

    // Page units: the reference context the note and the stamp measure on.
    measured page;
    cnt::measure::display_context dc(resolution);
    page.height = dc.note_font_height(tenths);
    if (!dc.ok() || !dc.select_font(face16.c_str(), false, false, page.height)) {
        std::fprintf(err, "zcnt: the font cannot be made\n");
        return 1;
    }
    dc.text_metrics(&page.tm);
    page.extent = dc.extent(text);
    char page_face[LF_FACESIZE] = {};
    GetTextFaceA(dc.dc(), LF_FACESIZE, page_face);
    page.face_name = page_face;

    const gdi::Face* file = gdi::resolve_face(lf);
    std::fprintf(out, "\"%s\" at %lld tenths of a point resolves to %s\n", o.face.c_str(),
                 o.size_tenths, file ? file->path.c_str() : "(no font file)");
    std::fprintf(out, "text: \"%s\" (%zu ANSI characters)\n", o.text.c_str(), text.size());
    print(out, ("display pixels at " + std::to_string(dpi) + " dpi").c_str(), pixels);
    print(out, ("page units at " + std::to_string(resolution) + " per inch").c_str(), page);
    std::fprintf(out, "a note's line height: %d page units\n",
                 page.tm.tmHeight + page.tm.tmExternalLeading);
    return 0;
}

}  // namespace zcnt

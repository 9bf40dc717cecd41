// The design-time picture, read back pixel by pixel from a memory context: the host told the
// background, the tinted box, each class's icon with its transparent parts, where the name's
// ink starts, the same picture at other scales, the low fields whose icon becomes a square,
// and the degenerate rectangles, names and contexts that must still draw without failing.
#include <gtest/gtest.h>

#include "fields/field_drawing.h"
#include "fields/field_icons.h"
#include "platform/gdi/commctrl.h"
#include "tests/fields/form_support.h"
#include "tests/gdi/gdi_fixtures.h"

namespace form_test {
namespace {

using gdi_test::Canvas;
constexpr COLORREF tint = 0xFAE7E7;
constexpr COLORREF white = 0xFFFFFF;

// Counts what the drawing tells its host.
class drawing_host
    : public com::object_root<drawing_host, com::automation::dispatch_impl<IZDrawingHost>> {
public:
    HRESULT SetBackground(OLE_COLOR colour, LONG flags) noexcept override
    {
        calls.push_back({colour, flags});
        return E_FAIL;  // ignored by the field
    }
    std::vector<std::pair<OLE_COLOR, LONG>> calls;
};

HRESULT draw(IUnknown* field, HDC dc, IZDrawingHost* host = nullptr)
{
    return as<IZElement>(field)->Draw(reinterpret_cast<LONGLONG>(dc), 0, 0, 0, 0, 0,
                                      reinterpret_cast<LONGLONG>(host));
}

ComPtr<IZCntElementFormField> field_at(const field_class& c, LONG l, LONG t, LONG w, LONG h,
                                       const char16_t* name)
{
    auto field = create(c);
    as<IZCntElementBase>(field.get())->SetPosition(l, t, w, h);
    com::Bstr n(name);
    field->put_Name(n.get());
    return field;
}

// The icon of resource `id` as it should land on the tint: magenta shows the tint.
std::vector<COLORREF> icon_on_tint(UINT id)
{
    cnt::fields::register_field_icons();
    auto* bitmap = static_cast<HBITMAP>(
        LoadImageA(cnt::fields::this_module(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
    EXPECT_NE(bitmap, nullptr) << id;
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    std::vector<COLORREF> out;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const COLORREF c = GetPixel(memory, x, y);
            out.push_back(c == 0xFF00FF ? tint : c);
        }
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    return out;
}

std::vector<COLORREF> area(const Canvas& canvas, int left, int top, int size = 16)
{
    std::vector<COLORREF> out;
    for (int y = top; y < top + size; ++y)
        for (int x = left; x < left + size; ++x) out.push_back(canvas.at(x, y));
    return out;
}

// The first column from `from` on, within rows [top, bottom), holding anything but the tint.
int first_ink(const Canvas& canvas, int from, int to, int top, int bottom)
{
    for (int x = from; x < to; ++x)
        for (int y = top; y < bottom; ++y)
            if (canvas.at(x, y) != tint) return x;
    return -1;
}

TEST(FormDraw, EachClassDrawsItsBoxIconAndNameAndTellsTheHost)
{
    for (const field_class& c : classes) {
        SCOPED_TRACE(c.coclass);
        Canvas canvas(200, 60);
        auto field = field_at(c, 10, 10, 150, 20, u"Hello");
        ComPtr<drawing_host> host;
        ASSERT_EQ(com::make<drawing_host>(host.put()), S_OK);
        ASSERT_EQ(draw(field.get(), canvas.dc(), host.get()), S_OK);
        EXPECT_EQ(host->calls, (std::vector<std::pair<OLE_COLOR, LONG>>{{0xFAE7E7, 0}}));

        EXPECT_EQ(canvas.at(10, 10), 0u) << "outlined with the context's black pen";
        EXPECT_EQ(canvas.at(159, 29), 0u);
        EXPECT_EQ(canvas.at(150, 25), tint);
        EXPECT_EQ(canvas.at(9, 9), white);
        EXPECT_EQ(canvas.at(160, 30), white);
        if (c.icon) {
            EXPECT_EQ(area(canvas, 11, 11), icon_on_tint(c.icon)) << "16 x 16 at one pixel in";
            EXPECT_EQ(first_ink(canvas, 27, 150, 11, 29), 28) << "the name two pixels after it";
        } else {
            EXPECT_EQ(first_ink(canvas, 11, 150, 11, 29), 12) << "no icon: the name two pixels in";
        }
        bool label_colour = false;
        for (int y = 11; y < 29; ++y)
            for (int x = 12; x < 150; ++x) label_colour |= canvas.at(x, y) == 0x646464;
        EXPECT_TRUE(label_colour) << "the name is written in grey";
    }
}

TEST(FormDraw, TheIconsAreLoadedOnceAndTheirIndexesRemembered)
{
    Canvas canvas(100, 40);
    for (int round = 0; round < 3; ++round)
        for (const field_class& c : classes) draw(field_at(c, 0, 0, 90, 30, u"").get(), canvas.dc());
    ASSERT_NE(cnt::fields::field_icon_list(), nullptr);
    EXPECT_EQ(ImageList_GetImageCount(cnt::fields::field_icon_list()), 7);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(cnt::fields::field_icon_list(), &cx, &cy);
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    EXPECT_EQ(cnt::fields::field_icon_index(201), cnt::fields::field_icon_index(201));
    EXPECT_EQ(cnt::fields::field_icon_index(0), -1);
    EXPECT_EQ(cnt::fields::field_icon_index(999), -1) << "no such bitmap: no icon";
    EXPECT_EQ(ImageList_GetImageCount(cnt::fields::field_icon_list()), 7);
}

TEST(FormDraw, LowFieldsDrawTheIconAsASquareOfTheirHeight)
{
    const struct {
        LONG height;
        int size, offset;
    } cases[] = {{20, 16, 1}, {18, 16, 1}, {17, 17, 0}, {16, 16, 0}, {10, 10, 0}};
    const std::vector<COLORREF> icon = icon_on_tint(201);
    for (const auto& k : cases) {
        SCOPED_TRACE(k.height);
        Canvas canvas(200, 60);
        ASSERT_EQ(draw(field_at(classes[0], 10, 10, 150, k.height, u"W").get(), canvas.dc()), S_OK);
        const int top = 10 + k.offset;
        // The square's corners and the columns around it.
        if (k.size == 16) {
            EXPECT_EQ(area(canvas, 11, top), icon);
        } else {
            EXPECT_EQ(canvas.at(11, top), icon[0]);
            EXPECT_EQ(canvas.at(11 + k.size - 1, top + k.size - 1), icon[255]);
        }
        EXPECT_EQ(first_ink(canvas, 11 + k.size, 150, 11, 10 + k.height - 1), 12 + k.size)
            << "the name two pixels after the square";
    }
}

TEST(FormDraw, OtherScalesGiveTheSamePixelsThroughRoundedConversions)
{
    Canvas reference(200, 60);
    draw(field_at(classes[3], 10, 10, 150, 20, u"Hello").get(), reference.dc());
    const struct {
        const char* what;
        SIZE window, viewport;
        LONG scale;  // logical units a device pixel
    } mappings[] = {
        {"2:1", {2, 2}, {1, 1}, 2},
        {"both flipped", {-2, -2}, {-1, -1}, 2},
        {"4:1", {4, 4}, {1, 1}, 4},
    };
    for (const auto& m : mappings) {
        SCOPED_TRACE(m.what);
        Canvas canvas(200, 60);
        SetMapMode(canvas.dc(), MM_ANISOTROPIC);
        SetWindowExtEx(canvas.dc(), m.window.cx, m.window.cy, nullptr);
        SetViewportExtEx(canvas.dc(), m.viewport.cx, m.viewport.cy, nullptr);
        const LONG s = m.scale;
        ASSERT_EQ(draw(field_at(classes[3], 10 * s, 10 * s, 150 * s, 20 * s, u"").get(), canvas.dc()), S_OK);
        SetMapMode(canvas.dc(), MM_TEXT);  // read back in pixels
        EXPECT_EQ(area(canvas, 11, 11), area(reference, 11, 11)) << "the icon one pixel in";
        EXPECT_EQ(canvas.at(150, 25), tint);
    }

    // 3 logical units for 2 pixels: a pixel is 2 units (1.5 rounded), the icon 24 units.
    Canvas canvas(200, 80);
    SetMapMode(canvas.dc(), MM_ANISOTROPIC);
    SetWindowExtEx(canvas.dc(), 3, 3, nullptr);
    SetViewportExtEx(canvas.dc(), 2, 2, nullptr);
    ASSERT_EQ(draw(field_at(classes[3], 30, 30, 225, 60, u"Hello").get(), canvas.dc()), S_OK);
    SetMapMode(canvas.dc(), MM_TEXT);
    EXPECT_EQ(area(canvas, 21, 21), area(reference, 11, 11)) << "at (32, 32) logical, 16 pixels wide";
    // The name at 30 + 2 * 2 + 24 = 58 units, device 38.67: column 39.
    EXPECT_EQ(first_ink(canvas, 37, 150, 21, 58), 39);
}

TEST(FormDraw, DegenerateFieldsAndMissingPiecesStillDraw)
{
    {
        SCOPED_TRACE("zero height");
        Canvas canvas(200, 60);
        ASSERT_EQ(draw(field_at(classes[0], 10, 20, 150, 0, u"Hello").get(), canvas.dc()), S_OK);
        EXPECT_EQ(canvas.count(white, RECT{0, 0, 200, 20}), 200 * 20);
        EXPECT_EQ(canvas.count(white, RECT{0, 21, 200, 60}), 200 * 39) << "nothing below the line";
    }
    for (const auto& [w, h] : {std::pair{-150, -20}, std::pair{0, 20}, std::pair{-150, 20}}) {
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        Canvas canvas(400, 80);
        ASSERT_EQ(draw(field_at(classes[1], 200, 40, w, h, u"Hello").get(), canvas.dc()), S_OK);
        const RECT box{std::min<LONG>(200, 200 + w), std::min<LONG>(40, 40 + h),
                       std::max<LONG>(200, 200 + w) + 1, std::max<LONG>(40, 40 + h) + 1};
        const int inside = (box.right - box.left) * (box.bottom - box.top);
        EXPECT_EQ(canvas.count(white, RECT{0, 0, 400, 80}) + inside - canvas.count(white, box), 400 * 80)
            << "nothing outside the rectangle";
    }
    {
        SCOPED_TRACE("empty name");
        Canvas canvas(200, 60);
        ASSERT_EQ(draw(field_at(classes[4], 10, 10, 150, 20, u"").get(), canvas.dc()), S_OK);
        EXPECT_EQ(first_ink(canvas, 27, 159, 11, 29), -1) << "only the box and the icon";
        EXPECT_EQ(area(canvas, 11, 11), icon_on_tint(202));
    }
    {
        SCOPED_TRACE("no context");
        ComPtr<drawing_host> host;
        ASSERT_EQ(com::make<drawing_host>(host.put()), S_OK);
        EXPECT_EQ(draw(field_at(classes[0], 0, 0, 50, 20, u"x").get(), nullptr, host.get()), S_OK);
        EXPECT_EQ(host->calls.size(), 1u);
    }
}

TEST(FormDraw, TheLabelFontIsTenPointTimesForTheContextsScale)
{
    const struct {
        const char* what;
        SIZE window;
        LONG height;
    } cases[] = {{"1:1", {1, 1}, -13}, {"2:1", {2, 2}, -26}, {"flipped", {1, -1}, -13}, {"3:1", {3, 3}, -39}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        Canvas canvas(10, 10);
        SetMapMode(canvas.dc(), MM_ANISOTROPIC);
        SetWindowExtEx(canvas.dc(), k.window.cx, k.window.cy, nullptr);
        SetViewportExtEx(canvas.dc(), 1, 1, nullptr);
        HFONT font = nullptr;
        ASSERT_EQ(cnt::fields::create_label_font(canvas.dc(), &font), S_OK);
        LOGFONTA lf{};
        ASSERT_EQ(GetObjectA(font, sizeof lf, &lf), static_cast<int>(sizeof lf));
        DeleteObject(font);
        EXPECT_EQ(lf.lfHeight, k.height) << "96 dpi: 13 pixels, as logical units";
        EXPECT_EQ(std::string(lf.lfFaceName), "Times New Roman");
        EXPECT_EQ(lf.lfWeight, FW_NORMAL);
        EXPECT_EQ(lf.lfItalic, 0);
        EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
    }
    HFONT screen = nullptr;
    ASSERT_EQ(cnt::fields::create_label_font(nullptr, &screen), S_OK);
    LOGFONTA lf{};
    GetObjectA(screen, sizeof lf, &lf);
    DeleteObject(screen);
    EXPECT_EQ(lf.lfHeight, -13) << "the screen's context when none is given";
}

}  // namespace
}  // namespace form_test

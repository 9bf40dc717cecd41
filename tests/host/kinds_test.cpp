// The properties of the host object kinds through their interfaces: what each setter refuses
// (and that a refused value leaves the property as it was), how the journal shows a call and
// its result, a null pointer to a getter, and which checks a loaded .pjd record gets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "host/io/crc32.h"
#include "tests/host/page_lists.h"

namespace {

// The host tests' page, with a way to list a new object on it.
struct page_with_objects : page_lists {
    // A new object of `kind`, the only one listed: on the page object list, or, for a kind that
    // list refuses to make, on the resource list.
    template <typename I>
    com::ComPtr<I> listed(LONG kind)
    {
        com::ComPtr<IDispatch> probe;
        return objects->Create(kind, probe.put()) == E_INVALIDARG ? keep<I>(resources.get(), kind)
                                                                   : place<I>(objects.get(), kind);
    }
};

// One setter call on a new object whose property was set to a start value: the value it is
// given, what it answers, the value the getter gives after it (the start value after a
// refusal) and the journal's line for the call.
template <typename T>
struct setter_case {
    const char* what;
    T value;
    HRESULT expected;
    T after;
    const char* line;
};

template <typename I, typename T>
void check_setter(LONG kind, HRESULT (I::*put)(T), HRESULT (I::*get)(T*), T start,
                  const std::vector<setter_case<T>>& cases)
{
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        page_with_objects page;
        com::ComPtr<I> o = page.listed<I>(kind);
        ASSERT_TRUE(o);
        ASSERT_EQ((o.get()->*put)(start), S_OK);
        page.doc.journal().enable();
        EXPECT_EQ((o.get()->*put)(c.value), c.expected);
        EXPECT_EQ(page.doc.journal().lines(), std::vector<std::string>{c.line});
        T got{};
        EXPECT_EQ((o.get()->*get)(&got), S_OK);
        EXPECT_EQ(got, c.after);
        EXPECT_EQ((o.get()->*get)(nullptr), E_POINTER);
    }
}

// Transparency 0 to 100, modes within their enumerations, clip mode 0 or 1, a finite font
// angle and an image size that is not negative.
TEST(HostKinds, SettersRefuseValuesOutsideTheirRange)
{
    using S = setter_case<SHORT>;
    check_setter<IZShape, SHORT>(zeKindShape, &IZShape::put_Transparency,
                                 &IZShape::get_Transparency, 20,
                                 {S{"top", 100, S_OK, 100, "shape#1.put_Transparency(100)"},
                                  S{"bottom", 0, S_OK, 0, "shape#1.put_Transparency(0)"},
                                  S{"above", 101, E_INVALIDARG, 20,
                                    "shape#1.put_Transparency(101) !0x80070057"},
                                  S{"below", -1, E_INVALIDARG, 20,
                                    "shape#1.put_Transparency(-1) !0x80070057"}});
    check_setter<IZTextObject, SHORT>(zeKindTextObject, &IZTextObject::put_Transparency,
                                      &IZTextObject::get_Transparency, 20,
                                      {S{"top", 100, S_OK, 100, "text#1.put_Transparency(100)"},
                                       S{"above", 101, E_INVALIDARG, 20,
                                         "text#1.put_Transparency(101) !0x80070057"},
                                       S{"below", -32768, E_INVALIDARG, 20,
                                         "text#1.put_Transparency(-32768) !0x80070057"}});
    using P = setter_case<ZeShapePaintMode>;
    const auto mode = [](LONG v) { return static_cast<ZeShapePaintMode>(v); };
    check_setter<IZShape, ZeShapePaintMode>(
        zeKindShape, &IZShape::put_PaintMode, &IZShape::get_PaintMode, mode(1),
        {P{"fill and stroke", mode(2), S_OK, mode(2), "shape#1.put_PaintMode(2)"},
         P{"stroke", mode(0), S_OK, mode(0), "shape#1.put_PaintMode(0)"},
         P{"past the last", mode(3), E_INVALIDARG, mode(1), "shape#1.put_PaintMode(3) !0x80070057"},
         P{"negative", mode(-1), E_INVALIDARG, mode(1), "shape#1.put_PaintMode(-1) !0x80070057"}});
    using B = setter_case<ZeShapeBlendMode>;
    const auto blend = [](LONG v) { return static_cast<ZeShapeBlendMode>(v); };
    check_setter<IZShape, ZeShapeBlendMode>(
        zeKindShape, &IZShape::put_BlendMode, &IZShape::get_BlendMode, blend(0),
        {B{"multiply", blend(1), S_OK, blend(1), "shape#1.put_BlendMode(1)"},
         B{"past the last", blend(2), E_INVALIDARG, blend(0),
           "shape#1.put_BlendMode(2) !0x80070057"}});
    using C = setter_case<LONG>;
    check_setter<IZClipFrame, LONG>(zeKindClipFrame, &IZClipFrame::put_Mode,
                                    &IZClipFrame::get_Mode, 0,
                                    {C{"one", 1, S_OK, 1, "clip#1.put_Mode(1)"},
                                     C{"two", 2, E_INVALIDARG, 0, "clip#1.put_Mode(2) !0x80070057"},
                                     C{"negative", -1, E_INVALIDARG, 0,
                                       "clip#1.put_Mode(-1) !0x80070057"}});
    using A = setter_case<double>;
    check_setter<IZFont, double>(
        zeKindFont, &IZFont::put_Angle, &IZFont::get_Angle, 0.5,
        {A{"negative", -0.25, S_OK, -0.25, "font#1.put_Angle(-0.25)"},
         A{"infinite", std::numeric_limits<double>::infinity(), E_INVALIDARG, 0.5,
           "font#1.put_Angle(inf) !0x80070057"},
         A{"not a number", std::nan(""), E_INVALIDARG, 0.5,
           "font#1.put_Angle(nan) !0x80070057"}});
    using W = setter_case<LONG>;
    check_setter<IZImageResource, LONG>(
        zeKindImageResource, &IZImageResource::put_Width, &IZImageResource::get_Width, 5,
        {W{"zero", 0, S_OK, 0, "image#1.put_Width(0)"},
         W{"negative", -1, E_INVALIDARG, 5, "image#1.put_Width(-1) !0x80070057"}});
    check_setter<IZImageResource, LONG>(
        zeKindImageResource, &IZImageResource::put_Height, &IZImageResource::get_Height, 5,
        {W{"negative", -1, E_INVALIDARG, 5, "image#1.put_Height(-1) !0x80070057"}});
}

// A .pjd file of `doc` with the one run of bytes `from` turned into `to` and the checksum of
// its chunk made good again, so that only the object's own checks can refuse it.
std::vector<BYTE> patched(const host::document& doc, const std::vector<BYTE>& from,
                          const std::vector<BYTE>& to)
{
    std::vector<BYTE> bytes;
    EXPECT_EQ(doc.save_bytes(&bytes), S_OK);
    const auto at = std::search(bytes.begin(), bytes.end(), from.begin(), from.end());
    EXPECT_NE(at, bytes.end());
    if (at == bytes.end()) return bytes;
    EXPECT_EQ(std::search(at + 1, bytes.end(), from.begin(), from.end()), bytes.end());
    std::copy(to.begin(), to.end(), at);
    const auto u32 = [&](std::size_t i) {
        return std::uint32_t(bytes[i]) | std::uint32_t(bytes[i + 1]) << 8 |
               std::uint32_t(bytes[i + 2]) << 16 | std::uint32_t(bytes[i + 3]) << 24;
    };
    const std::size_t where = static_cast<std::size_t>(at - bytes.begin());
    for (std::size_t chunk = 8; chunk + 12 <= bytes.size(); chunk += 12 + u32(chunk + 4)) {
        const std::size_t crc_at = chunk + 8 + u32(chunk + 4);
        if (where < chunk || where >= crc_at) continue;
        const std::uint32_t crc = host::crc32(bytes.data() + chunk, crc_at - chunk);
        for (int i = 0; i < 4; ++i) bytes[crc_at + i] = BYTE(crc >> (8 * i));
    }
    return bytes;
}

std::vector<BYTE> le32(std::uint32_t v) { return {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)}; }
std::vector<BYTE> operator+(std::vector<BYTE> a, const std::vector<BYTE>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
std::vector<BYTE> le64(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return le32(std::uint32_t(bits)) + le32(std::uint32_t(bits >> 32));
}

// The setters' checks that a loaded record gets too, and the one it does not: a transparency
// a file holds is taken as it is.
TEST(HostKinds, LoadedRecordsGetTheChecksOfTheirKind)
{
    constexpr std::uint32_t marker = 0x5A5A5A5A;
    struct load_case {
        const char* what;
        std::function<void(page_with_objects&)> make;
        std::vector<BYTE> from, to;
        bool loads;
    };
    const auto filled_shape = [](page_with_objects& p) {
        auto shape = p.listed<IZShape>(zeKindShape);
        shape->put_PaintMode(zeShapePaintFill);
        shape->put_StrokeColor(marker);
    };
    const std::vector<load_case> cases = {
        {"clip mode two",
         [](page_with_objects& p) {
             auto clip = p.listed<IZClipFrame>(zeKindClipFrame);
             clip->put_Mode(1);
             com::ComPtr<IZRect> r;
             clip->get_Rect(r.put());
             r->put_Left(LONG(marker));
         },
         le32(1) + le32(marker), le32(2) + le32(marker), false},
        {"paint mode three", filled_shape,
         le32(1) + le32(marker), le32(3) + le32(marker), false},
        {"paint mode fill and stroke", filled_shape,
         le32(1) + le32(marker), le32(2) + le32(marker), true},
        {"font angle not a number",
         [](page_with_objects& p) { p.listed<IZFont>(zeKindFont)->put_Angle(0.375); },
         le64(0.375), le64(std::nan("")), false},
        {"transparency past a hundred",
         [](page_with_objects& p) {
             auto text = p.listed<IZTextObject>(zeKindTextObject);
             text->put_Color(marker);
         },
         le32(marker) + le32(0) + le32(0) + std::vector<BYTE>{0, 0},
         le32(marker) + le32(0) + le32(0) + std::vector<BYTE>{200, 0}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        page_with_objects page;
        c.make(page);
        const std::vector<BYTE> bytes = patched(page.doc, c.from, c.to);
        host::document loaded;
        std::string message;
        const HRESULT hr = host::document::load_bytes(bytes.data(), bytes.size(), &loaded, &message);
        if (!c.loads) {
            EXPECT_EQ(hr, STG_E_INVALIDHEADER);
            EXPECT_NE(message.find("does not fit its kind"), std::string::npos) << message;
            continue;
        }
        ASSERT_EQ(hr, S_OK) << message;
        // Saved again, the file is the patched one: the value was kept as it was read.
        std::vector<BYTE> again;
        ASSERT_EQ(loaded.save_bytes(&again), S_OK);
        EXPECT_EQ(again, bytes);
    }
}

}  // namespace

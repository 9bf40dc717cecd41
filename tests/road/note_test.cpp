// The note element in the engine: its record, its setters' rules, the host objects of the
// word-wrapped and the automatic-text layouts with coordinates from the display metrics, and
// what a copy carries.
#include <string>
#include <vector>

#include "contentelements/cnt_note.h"
#include "platform/gdi/gdi.h"
#include "platform/shell/overrides.h"
#include "tests/road/element_records.h"
#include "tests/road/support.h"

namespace {

using road::bytes;
using road::create;
using road::property;

constexpr OLE_COLOR kNone = 0xFFFFFFFF;

class Note : public road::on_pages {
protected:
    Note() : on_pages(5) {}
    void SetUp() override
    {
        road::on_pages::SetUp();
        shell::set_user_name_override(u"jdoe");
        shell::set_clock_override(1781264096);  // 2026-06-12 11:34:56 UTC
    }
    void TearDown() override
    {
        shell::set_user_name_override(std::nullopt);
        shell::set_clock_override(std::nullopt);
        road::on_pages::TearDown();
    }

    com::ComPtr<IZCntElementNote> note_on(LONG page, host::document* on = nullptr)
    {
        return attached<IZCntElementNote>(u"Orvane.ZCntElementNote.1", page, on);
    }

    HRESULT set(IZCntElementNote* note, const char16_t* text, ZeCntNoteStyle style,
                OLE_COLOR fill = 0xFFFFFF, OLE_COLOR border = 0, SHORT size = 100,
                const char16_t* face = u"Arial")
    {
        com::Bstr t(text), f(face);
        return note->SetNoteData(t.get(), 0x112233, f.get(), size, 0, 0, fill, border, style, 0,
                                 0, 0);
    }
};

TEST_F(Note, ANewNoteSavesItsNinetyByteRecord)
{
    auto note = create<IZCntElementNote>(u"Orvane.ZCntElementNote.1");
    bytes expected;
    road::put_u32(expected, 1);                                // version
    for (int i = 0; i < 5; ++i) road::put_u32(expected, 0);    // bounds, style
    road::put_string(expected, u"");                           // text
    road::put_u32(expected, 0);                                // text colour
    road::put_u16(expected, 100);                              // font size
    road::put_string(expected, u"");                           // font name
    for (int i = 0; i < 2; ++i) road::put_u16(expected, 0);    // bold, italic
    road::put_u32(expected, 0);                                // border
    road::put_u32(expected, 0xFFFFFF);                         // fill
    road::put_u16(expected, 0);                                // shadow
    for (int i = 0; i < 2; ++i) road::put_u32(expected, 0);    // horizontal, vertical
    for (int i = 0; i < 2; ++i) road::put_u16(expected, 0);    // fill transparency, callout
    for (int i = 0; i < 2; ++i) road::put_u32(expected, 0);    // reserved
    road::put_string(expected, u"");                           // description
    for (int i = 0; i < 2; ++i) road::put_u32(expected, 0);
    const bytes got = road::saved(note.get());
    EXPECT_EQ(got.size(), 90u);
    EXPECT_EQ(got, expected);

    // Every field survives a load into a fresh note, reserved values included.
    bytes custom = expected;
    custom[4] = 7;     // left
    custom[60] = 0x2A; // reserved 1, low byte
    auto other = create<IZCntElementNote>(u"Orvane.ZCntElementNote.1");
    ASSERT_EQ(road::load(other.get(), custom), S_OK);
    EXPECT_EQ(road::saved(other.get()), custom);
}

TEST_F(Note, SettersFollowTheirShortcutsAndRanges)
{
    auto note = create<IZCntElementNote>(u"Orvane.ZCntElementNote.1");
    road::saved(note.get());  // clears dirty
    EXPECT_EQ(note->put_TextColor(0), S_OK);  // the stored value: nothing happens
    EXPECT_FALSE(road::is_dirty(note.get()));
    com::Bstr same(u"");
    EXPECT_EQ(note->put_Text(same.get()), S_OK);  // strings have no shortcut
    EXPECT_TRUE(road::is_dirty(note.get()));

    EXPECT_EQ(note->put_FillTransparency(150), E_INVALIDARG);
    EXPECT_EQ(note->put_FillTransparency(-1), E_INVALIDARG);
    EXPECT_EQ(note->put_FillTransparency(100), S_OK);
    // The bulk setter does not check.
    com::Bstr t(u"x"), f(u"Arial");
    EXPECT_EQ(note->SetNoteData(t.get(), 0, f.get(), 100, 0, 0, 0, 0, zeCntNoteStyleRectangle,
                                0, 0, 150),
              S_OK);
    SHORT transparency = 0;
    note->get_FillTransparency(&transparency);
    EXPECT_EQ(transparency, 150);

    note->SetPosition(100, 100, -50, -20);  // kept as given
    LONG l, tp, w, h;
    note->GetPosition(&l, &tp, &w, &h);
    EXPECT_EQ((std::vector<LONG>{l, tp, w, h}), (std::vector<LONG>{100, 100, -50, -20}));
}

TEST_F(Note, WrapsWordsIntoLinesMeasuredOnTheDisplayContext)
{
    auto note = note_on(1);
    ASSERT_EQ(note->SetPosition(500, 500, 2000, 800), S_OK);
    const std::string body = "Please check the figures in the second table before the review on Monday.";
    ASSERT_EQ(set(note.get(), std::u16string(body.begin(), body.end()).c_str(),
                  zeCntNoteStyleRectangle, 0xCCFFFF, 0x0000FF, 120),
              S_OK);

    // The display context as the note sets it up, measured here independently.
    HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    SetMapMode(dc, MM_ANISOTROPIC);
    ScaleWindowExtEx(dc, 720, GetDeviceCaps(dc, LOGPIXELSX), 720, GetDeviceCaps(dc, LOGPIXELSX),
                     nullptr);
    POINT p[2] = {{0, MulDiv(GetDeviceCaps(dc, LOGPIXELSY), 120, 720)}, {0, 0}};
    DPtoLP(dc, p, 2);
    HFONT font = CreateFontA(-(p[0].y - p[1].y), 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                             0, "Arial");
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    auto width_of = [dc](const std::string& s) {
        SIZE size{};
        GetTextExtentPoint32A(dc, s.data(), static_cast<int>(s.size()), &size);
        return size.cx;
    };

    // Inset by 2 mm and 1 mm, rounded: MulDiv(2, 7200, 254) = 57, MulDiv(1, 7200, 254) = 28.
    const LONG left = 557, top = 528, right = 2443;
    const auto lines = doc.find(1, "text");
    ASSERT_GE(lines.size(), 2u);
    const LONG line_height = tm.tmHeight + tm.tmExternalLeading;
    std::string rebuilt;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string text = property(lines[i], "Text");
        EXPECT_EQ(property(lines[i], "X"), std::to_string(left));
        EXPECT_EQ(property(lines[i], "Y"),
                  std::to_string(top + static_cast<LONG>(i) * line_height + tm.tmAscent +
                                 tm.tmInternalLeading));
        // Each line holds as many words as fit; the next word would not have.
        std::string trimmed = text;
        while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
        EXPECT_LE(width_of(trimmed), right - left) << text;
        if (i + 1 < lines.size()) {
            const std::string next = property(lines[i + 1], "Text");
            const std::string first_word = next.substr(0, next.find(' '));
            EXPECT_GT(width_of(text + first_word), right - left) << text << "|" << first_word;
        }
        // Every line fits above the bottom: no clip frame on any of them.
        EXPECT_EQ(property(lines[i], "ClipFrame"), "null");
        rebuilt += text;
    }
    EXPECT_EQ(rebuilt, body);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    const auto fonts = doc.find(1, "font");
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(property(fonts[0], "Size"), "120");
}

TEST_F(Note, LineFeedsEmptyLinesAndTheBottomOfTheTextRectangle)
{
    auto note = note_on(1);
    note->SetPosition(1000, 1000, 3000, 2000);
    ASSERT_EQ(set(note.get(), u"a\r\n\r\nb", zeCntNoteStyleRectangle, kNone, kNone), S_OK);
    auto lines = doc.find(1, "text");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(property(lines[0], "Text") + "|" + property(lines[1], "Text") + "|" +
                  property(lines[2], "Text"),
              "a||b");
    EXPECT_TRUE(doc.find(1, "shape").empty());  // neither fill nor border

    // A note one line high: the lines that would start below the bottom are not made.
    note->SetPosition(1000, 1000, 3000, 150);
    lines = doc.find(1, "text");
    ASSERT_GE(lines.size(), 1u);
    EXPECT_LT(lines.size(), 3u);
    EXPECT_EQ(property(lines[0], "Text"), "a");
}

TEST_F(Note, AutomaticPageNumbersUserNameAndDate)
{
    struct {
        ZeCntNoteStyle style;
        const char16_t* text;
        std::string shown;
    } cases[] = {
        {zeCntNoteStyleAutoTextPageNumber, u"Page $p of $P", "Page 3 of 5"},
        {zeCntNoteStyleAutoTextPageNumber, u"$p$p", "33"},
        {zeCntNoteStyleAutoTextUserName, u"%d by $u", "%d by jdoe"},
        {zeCntNoteStyleAutoTextCustom, u"$u $p", "$u $p"},
        {zeCntNoteStyleAutoTextDateTime, u"%Y-%m $u", "2026-06 jdoe"},
    };
    for (const auto& c : cases) {
        host::document fresh;
        for (int i = 0; i < 5; ++i) fresh.add_page(5950, 8420, 720);
        auto note = note_on(3, &fresh);
        note->SetPosition(500, 8000, 1000, 200);
        ASSERT_EQ(set(note.get(), c.text, c.style, kNone, kNone), S_OK);
        const auto lines = fresh.find(3, "text");
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(property(lines[0], "Text"), c.shown);
        // The note fits its own text: one pixel size high, from the bottom up.
        LONG l, tp, w, h;
        note->GetPosition(&l, &tp, &w, &h);
        EXPECT_EQ(l, 500);
        EXPECT_EQ(tp + h, 8200);
        EXPECT_EQ(h, 100);  // (int)(100 × 720 / 720.0 + 0.5)
        EXPECT_GT(w, 0);
    }
}

// The description, the position and other classes go as for every class:
// tests/elements/element_skeleton_test.cpp. Here the note's own data, and an alignment it keeps.
TEST_F(Note, CopyToCarriesTheNoteData)
{
    auto from = note_on(1);
    auto to = note_on(1);
    to->put_TextHorizontalAlignment(zeCntHorizontalAlignmentRight);
    set(from.get(), u"copied", zeCntNoteStyleTextOnly, 0x123456, 0x654321, 140, u"Courier New");
    com::ComPtr<IZCntElementBase> target;
    to->QueryInterface(IZCntElementBase::iid, target.put_void());
    ASSERT_EQ(from->CopyTo(target.get()), S_OK);
    EXPECT_EQ(road::saved(from.get()).size(), road::saved(to.get()).size());
    com::Bstr text, face;
    to->get_Text(text.put());
    to->get_FontName(face.put());
    EXPECT_EQ(text.view(), u"copied");
    EXPECT_EQ(face.view(), u"Courier New");
    ZeCntHorizontalAlignmentType align{};
    to->get_TextHorizontalAlignment(&align);
    EXPECT_EQ(align, zeCntHorizontalAlignmentRight);
}

}  // namespace

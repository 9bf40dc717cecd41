// The conversions of the fillable form: colours, rectangles, field types and flags, and the
// text strings names and values are written as.
#include <gtest/gtest.h>

#include <string>

#include "host/output/pdf/acroform.h"

namespace {

using host::form_field;
using host::pdf::field_flags;
using host::pdf::field_type;
using host::pdf::rect_in_points;
using host::pdf::rgb_of;
using host::pdf::text_string;

TEST(AcroForm, ColoursRectanglesTypesAndFlags)
{
    // 0x00BBGGRR: the low byte is red.
    const struct {
        OLE_COLOR colour;
        double r, g, b;
    } colours[] = {{0x0000FF, 1, 0, 0}, {0x008000, 0, 128 / 255.0, 0},
                   {0x800000, 0, 0, 128 / 255.0}, {0xEEFFEE, 238 / 255.0, 1, 238 / 255.0},
                   {0, 0, 0, 0}};
    for (const auto& c : colours) {
        const host::pdf::rgb got = rgb_of(c.colour);
        EXPECT_DOUBLE_EQ(got.r, c.r) << c.colour;
        EXPECT_DOUBLE_EQ(got.g, c.g) << c.colour;
        EXPECT_DOUBLE_EQ(got.b, c.b) << c.colour;
    }

    // 720 units per inch (0.1 point a unit) on an A4 page 842 points high; corners given in
    // either order come out as left, bottom, right, top.
    const struct {
        host::paint_rect r;
        double left, bottom, right, top;
    } rects[] = {{{500, 800, 3000, 1050}, 50, 737, 300, 762},
                 {{3000, 1050, 500, 800}, 50, 737, 300, 762},
                 {{0, 0, 5950, 8420}, 0, 0, 595, 842}};
    for (const auto& c : rects) {
        const host::pdf::point_rect got = rect_in_points(c.r, 0.1, 842);
        EXPECT_NEAR(got.left, c.left, 1e-9);
        EXPECT_NEAR(got.bottom, c.bottom, 1e-9);
        EXPECT_NEAR(got.right, c.right, 1e-9);
        EXPECT_NEAR(got.top, c.top, 1e-9);
    }

    // Element types 6 text … 14 group; /Ff bit n is 1 << (n - 1).
    const struct {
        LONG type;
        bool read_only, edit, multi;
        const char* ft;
        LONG flags;
    } kinds[] = {{6, false, false, false, "/Tx", 0},
                 {6, true, false, false, "/Tx", 1},
                 {12, true, false, false, "/Tx", 1},
                 {7, false, false, false, "/Ch", 1 << 17},
                 {7, false, true, false, "/Ch", (1 << 17) | (1 << 18)},
                 {8, false, false, true, "/Ch", 1 << 21},
                 {8, false, true, false, "/Ch", 0},  // the edit flag is the combo box's only
                 {9, true, false, false, "/Btn", 1},
                 {10, false, false, false, "/Btn", (1 << 15) | (1 << 14)},
                 {11, false, false, false, "/Btn", 1 << 16},
                 {14, false, false, false, nullptr, 0}};
    for (const auto& k : kinds) {
        form_field f;
        f.type = k.type;
        f.read_only = k.read_only;
        f.edit_box = k.edit;
        f.multi_select = k.multi;
        const char* ft = field_type(k.type);
        EXPECT_EQ(ft ? std::string(ft) : "none", k.ft ? std::string(k.ft) : "none") << k.type;
        EXPECT_EQ(field_flags(f), k.flags) << k.type;
    }
}

TEST(AcroForm, TextStrings)
{
    const struct {
        std::u16string text;
        std::string pdf;
    } cases[] = {{u"customer", "(customer)"},
                 {u"", "()"},
                 {u"a(b)\\c", "(a\\(b\\)\\\\c)"},
                 {u"Zo\u00EB", "<FEFF005A006F00EB>"},
                 {u"tab\there", "<FEFF00740061006200090068006500720065>"},
                 {u"\U0001F600", "<FEFFD83DDE00>"}};
    for (const auto& c : cases) EXPECT_EQ(text_string(c.text), c.pdf);
}

}  // namespace

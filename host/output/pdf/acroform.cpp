// The form fields as merged field and widget annotations, their appearance streams in
// Helvetica, the radio groups and the catalog's /AcroForm.
#include "host/output/pdf/acroform.h"

#include <algorithm>
#include <cstdio>

#include "host/output/pdf/content_writer.h"
#include "host/output/pdf/object_writer.h"

namespace host::pdf {
namespace {

constexpr LONG kText = 6, kCombo = 7, kList = 8, kCheck = 9, kRadio = 10, kButton = 11,
               kDateTime = 12;
constexpr LONG kReadOnly = 1 << 0, kNoToggleToOff = 1 << 14, kRadioFlag = 1 << 15,
               kPushButton = 1 << 16, kComboFlag = 1 << 17, kEdit = 1 << 18,
               kMultiSelect = 1 << 21;

void append_literal(std::string& out, std::string_view bytes)
{
    out += '(';
    for (char c : bytes) {
        if (c == '(' || c == ')' || c == '\\') out += '\\';
        out += c;
    }
    out += ')';
}

// What Helvetica in WinAnsiEncoding can show of a text: Latin-1 as it is, the rest as '?'.
std::string win_ansi(std::u16string_view text)
{
    std::string out;
    for (char16_t c : text)
        out += (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF) ? static_cast<char>(c) : '?';
    return out;
}

void append_colour(std::string& out, const rgb& c)
{
    append_number(out, c.r);
    out += ' ';
    append_number(out, c.g);
    out += ' ';
    append_number(out, c.b);
}

std::string colour_array(OLE_COLOR c)
{
    std::string out = "[";
    append_colour(out, rgb_of(c));
    return out + ']';
}

// System colours (the high byte set) have no fixed value; a PDF gets none for them.
bool plain(bool has, OLE_COLOR c) { return has && (c & 0xFF000000u) == 0; }

double font_points(const form_field& f, double height)
{
    if (f.font_size > 0) return f.font_size / 10.0;
    return std::max(1.0, std::min(12.0, (height - 4) * 0.7));
}

// The box of a widget: its fill, its frame one point wide.
std::string frame(const form_field& f, double w, double h)
{
    std::string s;
    if (plain(f.has_fill, f.fill)) {
        append_colour(s, rgb_of(f.fill));
        s += " rg 0 0 ";
        append_number(s, w);
        s += ' ';
        append_number(s, h);
        s += " re f\n";
    }
    if (plain(f.has_border, f.border)) {
        append_colour(s, rgb_of(f.border));
        s += " RG 1 w 0.5 0.5 ";
        append_number(s, w - 1);
        s += ' ';
        append_number(s, h - 1);
        s += " re S\n";
    }
    return s;
}

// Lines of text from the top (one line centred vertically), clipped to the box, in the
// widget's font size, colour and alignment. Helvetica's glyphs average about half an em: the
// alignment is an estimate; a viewer that regenerates the appearance places them exactly.
std::string text_lines(const form_field& f, double w, double h,
                       const std::vector<std::u16string>& lines, bool centred)
{
    const double size = font_points(f, h);
    std::string s = "/Tx BMC q 1 1 ";
    append_number(s, w - 2);
    s += ' ';
    append_number(s, h - 2);
    s += " re W n BT /Helv ";
    append_number(s, size);
    s += " Tf ";
    append_colour(s, plain(f.has_text, f.text_color) ? rgb_of(f.text_color) : rgb{});
    s += " rg\n";
    double y = centred ? (h - size) / 2 + size * 0.22 : h - 2 - size * 0.9;
    for (const std::u16string& line : lines) {
        const std::string bytes = win_ansi(line);
        const double width = 0.5 * size * double(bytes.size());
        double x = 2;
        if (f.alignment == 1) x = (w - width) / 2;
        if (f.alignment == 2) x = w - 2 - width;
        s += "1 0 0 1 ";
        append_number(s, x);
        s += ' ';
        append_number(s, y);
        s += " Tm ";
        append_literal(s, bytes);
        s += " Tj\n";
        y -= size * 1.15;
    }
    return s + "ET Q EMC\n";
}

const form_option* chosen(const form_field& f)
{
    for (const form_option& o : f.options)
        if (f.has_value && (o.export_value.empty() ? o.display : o.export_value) == f.value)
            return &o;
    return nullptr;
}

// What the widget shows when it is not a check box or radio button.
std::string face(const form_field& f, double w, double h)
{
    std::string s = frame(f, w, h);
    std::vector<std::u16string> lines;
    if (f.type == kList) {
        for (const form_option& o : f.options) lines.push_back(o.display);
        return s + text_lines(f, w, h, lines, false);
    }
    if (f.type == kButton) {
        form_field centre = f;
        centre.alignment = 1;
        return s + text_lines(centre, w, h, {f.description}, true);
    }
    const form_option* o = f.type == kCombo ? chosen(f) : nullptr;
    if (o) lines.push_back(o->display);
    else if (f.has_value) lines.push_back(f.value);
    return s + text_lines(f, w, h, lines, true);
}

// The mark of a chosen check box (a cross) or radio button (a filled square), in the text
// colour or black.
std::string mark(const form_field& f, double w, double h)
{
    std::string s = frame(f, w, h);
    const double inset = std::min(w, h) * 0.25;
    append_colour(s, plain(f.has_text, f.text_color) ? rgb_of(f.text_color) : rgb{});
    if (f.type == kRadio) {
        s += " rg ";
        for (double v : {inset, inset, w - 2 * inset, h - 2 * inset}) {
            append_number(s, v);
            s += ' ';
        }
        return s + "re f\n";
    }
    s += " RG 1.5 w ";
    const double l = inset, b = inset, r = w - inset, t = h - inset;
    for (double v : {l, b}) append_number(s += ' ', v);
    s += " m";
    for (double v : {r, t}) append_number(s += ' ', v);
    s += " l";
    for (double v : {l, t}) append_number(s += ' ', v);
    s += " m";
    for (double v : {r, b}) append_number(s += ' ', v);
    return s + " l S\n";
}

}  // namespace

rgb rgb_of(OLE_COLOR c) noexcept
{
    return {(c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0};
}

point_rect rect_in_points(const paint_rect& r, double s, double page_height) noexcept
{
    const double l = std::min(r.left, r.right), rt = std::max(r.left, r.right);
    const double t = std::min(r.top, r.bottom), b = std::max(r.top, r.bottom);
    return {l * s, page_height - b * s, rt * s, page_height - t * s};
}

const char* field_type(LONG type) noexcept
{
    switch (type) {
    case kText:
    case kDateTime:
        return "/Tx";
    case kCombo:
    case kList:
        return "/Ch";
    case kCheck:
    case kRadio:
    case kButton:
        return "/Btn";
    default:
        return nullptr;
    }
}

LONG field_flags(const form_field& f) noexcept
{
    LONG flags = f.read_only ? kReadOnly : 0;
    if (f.type == kCombo) flags |= kComboFlag | (f.edit_box ? kEdit : 0);
    if (f.type == kList && f.multi_select) flags |= kMultiSelect;
    if (f.type == kRadio) flags |= kRadioFlag | kNoToggleToOff;
    if (f.type == kButton) flags |= kPushButton;
    return flags;
}

std::string text_string(std::u16string_view text)
{
    const bool ascii =
        std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= 0x20 && c < 0x7F; });
    if (ascii) {
        std::string out;
        append_literal(out, std::string(text.begin(), text.end()));
        return out;
    }
    std::string out = "<FEFF";
    char hex[8];
    for (char16_t c : text) {
        std::snprintf(hex, sizeof hex, "%04X", unsigned(c));
        out += hex;
    }
    return out + '>';
}

// A partial field name may not hold a period (it joins the names of a hierarchy), so periods
// become underscores; a name used before on any page gets "_2", "_3" … so that every field keeps
// a value of its own (not ".2": that would make it the kid of a field of the first name).
std::string acroform::unique_name(const std::u16string& name)
{
    std::u16string n = name.empty() ? u"field" : name;
    std::replace(n.begin(), n.end(), u'.', u'_');
    int& uses = used_[n];
    ++uses;
    if (uses == 1) return text_string(n);
    std::u16string numbered;
    do {
        const std::string digits = std::to_string(uses);
        numbered = n + u"_" + std::u16string(digits.begin(), digits.end());
    } while (used_.count(numbered) && ++uses);
    used_[numbered] = 1;
    return text_string(numbered);
}

int acroform::font()
{
    if (font_ == 0) font_ = file_.reserve();
    return font_;
}

std::string acroform::widget(int page, const form_field& f, const point_rect& r,
                             const std::string& on_state, bool on)
{
    const double w = std::max(1.0, r.right - r.left), h = std::max(1.0, r.top - r.bottom);
    std::string stream_entries = "/Type /XObject /Subtype /Form /BBox [0 0 ";
    append_number(stream_entries, w);
    stream_entries += ' ';
    append_number(stream_entries, h);
    stream_entries += "] /Resources << /Font << /Helv " + std::to_string(font()) + " 0 R >> >>";
    auto appearance = [&](const std::string& data) {
        const int n = file_.reserve();
        file_.stream(n, stream_entries, data, false);
        return std::to_string(n) + " 0 R";
    };

    std::string a = " /Type /Annot /Subtype /Widget /Rect [";
    for (double v : {r.left, r.bottom, r.right, r.top}) {
        append_number(a, v);
        a += ' ';
    }
    a.back() = ']';
    a += " /F 4 /P " + std::to_string(page) + " 0 R /MK <<";
    if (plain(f.has_border, f.border)) a += " /BC " + colour_array(f.border);
    if (plain(f.has_fill, f.fill)) a += " /BG " + colour_array(f.fill);
    if (f.type == kButton) a += " /CA " + text_string(f.description);
    a += " >> /DA ";
    std::string da = "/Helv ";
    append_number(da, f.font_size > 0 ? f.font_size / 10.0 : 0);
    da += " Tf ";
    append_colour(da, plain(f.has_text, f.text_color) ? rgb_of(f.text_color) : rgb{});
    append_literal(a, da + " rg");
    if (f.alignment > 0 && f.alignment <= 2) a += " /Q " + std::to_string(f.alignment);
    if (f.type == kCheck || f.type == kRadio) {
        a += " /AS " + (on ? on_state : std::string("/Off"));
        a += " /AP << /N << " + on_state + ' ' + appearance(mark(f, w, h)) + " /Off " +
             appearance(frame(f, w, h)) + " >> >>";
    } else {
        a += " /AP << /N " + appearance(face(f, w, h)) + " >>";
    }
    return a;
}

std::string acroform::field(const form_field& f)
{
    std::string d = std::string("/FT ") + field_type(f.type) + " /T " + unique_name(f.name);
    if (!f.description.empty()) d += " /TU " + text_string(f.description);
    if (const LONG flags = field_flags(f)) d += " /Ff " + std::to_string(flags);
    if (f.type == kCheck) {
        if (f.has_value) d += f.value_on ? " /V /Yes" : " /V /Off";
        if (f.has_default) d += f.default_on ? " /DV /Yes" : " /DV /Off";
    } else if (f.type == kList && f.multi_select && f.selected.size() > 1) {
        d += " /V [";
        for (const std::u16string& v : f.selected) d += text_string(v) + ' ';
        d.back() = ']';
        if (f.has_default) d += " /DV " + text_string(f.default_value);
    } else if (f.type != kRadio && f.type != kButton) {
        if (f.has_value) d += " /V " + text_string(f.value);
        if (f.has_default) d += " /DV " + text_string(f.default_value);
    }
    if (f.type == kDateTime) {
        // A viewer checks what is typed and shows the value as a date, in the form the value
        // is written in.
        const std::string format = f.value.size() > 10 ? "yyyy-mm-dd HH:MM" : "yyyy-mm-dd";
        d += " /AA << /F << /S /JavaScript /JS (AFDate_FormatEx(\"" + format +
             "\");) >> /K << /S /JavaScript /JS (AFDate_KeystrokeEx(\"" + format + "\");) >> >>";
    }
    if (f.type == kCombo || f.type == kList) {
        d += " /Opt [";
        for (const form_option& o : f.options)
            d += '[' + text_string(o.export_value.empty() ? o.display : o.export_value) + ' ' +
                 text_string(o.display) + ']';
        d += ']';
    }
    // Our own keys, for reading the answers back: the name the answers are collected under and
    // whether the field's value is collected at all.
    if (!f.mapping.empty()) d += " /ZCntMapping " + text_string(f.mapping);
    if (!f.exported) d += " /ZCntExport false";
    return d;
}

std::vector<int> acroform::add_page(int page, const std::vector<form_field>& fields,
                                    double points_per_unit, double page_height_points)
{
    std::vector<int> annots;
    for (const form_field& f : fields) {
        if (!field_type(f.type)) continue;
        const point_rect r = rect_in_points(f.bounds, points_per_unit, page_height_points);
        const int n = file_.reserve();
        annots.push_back(n);
        if (f.type != kRadio) {
            file_.object(n, "<< " + field(f) + widget(page, f, r, "/Yes", f.value_on) + " >>");
            fields_.push_back(n);
            continue;
        }
        // Radio buttons of one name are the kids of one field, each with a state of its own;
        // the first chosen one is the group's value.
        auto [it, fresh] = radios_.try_emplace(f.name);
        radio_group& g = it->second;
        if (fresh) {
            g.number = file_.reserve();
            g.entries = field(f);
            radio_order_.push_back(f.name);
        }
        const std::string state = "/On" + std::to_string(g.kids.size() + 1);
        const bool on = f.value_on && g.on.empty();
        if (on) g.on = state;
        file_.object(n, "<< /Parent " + std::to_string(g.number) + " 0 R" +
                            widget(page, f, r, state, on) + " >>");
        g.kids.push_back(n);
    }
    return annots;
}

std::string acroform::finish()
{
    for (const std::u16string& name : radio_order_) {
        const radio_group& g = radios_[name];
        std::string d = "<< " + g.entries + " /V " + (g.on.empty() ? "/Off" : g.on) + " /Kids [";
        for (int k : g.kids) d += std::to_string(k) + " 0 R ";
        d.back() = ']';
        file_.object(g.number, d + " >>");
        fields_.push_back(g.number);
    }
    if (font_)
        file_.object(font_,
                     "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    if (fields_.empty()) return {};
    std::string a = " /AcroForm << /Fields [";
    for (int n : fields_) a += std::to_string(n) + " 0 R ";
    a.back() = ']';
    return a + " /DA (/Helv 0 Tf 0 g) /DR << /Font << /Helv " + std::to_string(font()) +
           " 0 R >> >> /NeedAppearances false >>";
}

}  // namespace host::pdf

// The form fields of a page for the PDF writer, read through the fields' public interfaces.
#include "host/output/form_scene.h"

#include <cmath>
#include <cstdio>

#include "contentelements/cnt_fields.h"
#include "contentelements/zprint_objects.h"
#include "host/model/document_object.h"
#include "platform/com/raii.h"
#include "platform/com/safearray.h"
#include "platform/com/variant_date.h"

namespace host {
namespace {

std::u16string text_of(com::Bstr& b) { return std::u16string(b.view()); }

// A value as text, and whether it reads as "on"; false when the field has none or it has no
// text form (an object).
bool value_text(const com::Variant& v, std::u16string* text, bool* on)
{
    if (v.vt() == VT_EMPTY || v.vt() == VT_NULL) return false;
    com::Variant t;
    if (FAILED(VariantChangeType(t.put(), v.get(), 0, VT_BSTR)) || t.vt() != VT_BSTR) return false;
    *text = std::u16string(com::bstr_view(t->bstrVal));
    com::Variant b;
    if (on && SUCCEEDED(VariantChangeType(b.put(), v.get(), 0, VT_BOOL)) && b.vt() == VT_BOOL)
        *on = b->boolVal != VARIANT_FALSE;
    return true;
}

// A date value as a viewer's date format shows it: "yyyy-mm-dd", with "HH:MM" when it has a
// time of day. False outside the years a date variant can hold.
bool iso_date(double when, std::u16string* text)
{
    if (!(when > -657435.0 && when < 2958466.0)) return false;
    const double day = std::floor(when);
    long long y = 0;
    unsigned m = 0, d = 0;
    com::variant_detail::civil_from_days(static_cast<long long>(day) - 25569, &y, &m, &d);
    const long long minutes = std::llround((when - day) * 1440.0);
    char buffer[48];
    int n = std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02u", y, m, d);
    if (minutes > 0 && minutes < 1440)
        n += std::snprintf(buffer + n, sizeof buffer - static_cast<std::size_t>(n), " %02lld:%02lld",
                           minutes / 60, minutes % 60);
    text->assign(buffer, buffer + n);
    return true;
}

// The texts of an array value, one-dimensional, of strings or variants that have one.
bool array_texts(const com::Variant& v, std::vector<std::u16string>* out)
{
    if (!(v.vt() & VT_ARRAY) || !v->parray || SafeArrayGetDim(v->parray) != 1) return false;
    LONG low = 0, high = -1;
    SafeArrayGetLBound(v->parray, 1, &low);
    SafeArrayGetUBound(v->parray, 1, &high);
    for (LONG i = low; i <= high && i - low < 10000; ++i) {
        com::Variant item, text;
        if ((v.vt() & VT_TYPEMASK) == VT_VARIANT) {
            if (FAILED(SafeArrayGetElement(v->parray, &i, item.put()))) continue;
        } else if ((v.vt() & VT_TYPEMASK) == VT_BSTR) {
            BSTR s = nullptr;
            if (FAILED(SafeArrayGetElement(v->parray, &i, &s))) continue;
            item->vt = VT_BSTR;
            item->bstrVal = s;
        } else {
            return false;
        }
        if (SUCCEEDED(VariantChangeType(text.put(), item.get(), 0, VT_BSTR)) && text.vt() == VT_BSTR)
            out->emplace_back(com::bstr_view(text->bstrVal));
    }
    return true;
}

void read_text_attributes(IZCntTextAttributes* t, form_field& f)
{
    if (!t) return;
    f.has_text = true;
    t->get_TextColor(&f.text_color);
    t->get_FontSize(&f.font_size);
    ZeCntHorizontalAlignmentType a{};
    if (SUCCEEDED(t->get_TextHorizontalAlignment(&a))) f.alignment = static_cast<LONG>(a);
}

void read_options(IZCntChoiceFieldOptionCollection* items, form_field& f)
{
    LONG count = 0;
    if (!items || FAILED(items->get_Count(&count))) return;
    for (LONG i = 1; i <= count; ++i) {
        com::ComPtr<IZCntChoiceFieldOption> o;
        if (FAILED(items->get_Item(i, o.put())) || !o) continue;
        com::Bstr display, value;
        o->get_DisplayName(display.put());
        o->get_ExportValue(value.put());
        f.options.push_back({text_of(value), text_of(display)});
    }
}

// The parts only some kinds have: text attributes, choices and their flags.
void read_kind(const com::ComPtr<IUnknown>& e, form_field& f)
{
    com::ComPtr<IZCntTextAttributes> t;
    com::ComPtr<IZCntChoiceFieldOptionCollection> items;
    VARIANT_BOOL flag = VARIANT_FALSE;
    if (auto text = e.try_as<IZCntElementFieldText>()) {
        text->get_TextAttributes(t.put());
    } else if (auto combo = e.try_as<IZCntElementFieldCombo>()) {
        combo->get_TextAttributes(t.put());
        combo->get_ChoiceItems(items.put());
        if (SUCCEEDED(combo->get_EditBox(&flag))) f.edit_box = flag != VARIANT_FALSE;
    } else if (auto list = e.try_as<IZCntElementFieldList>()) {
        list->get_TextAttributes(t.put());
        list->get_ChoiceItems(items.put());
        if (SUCCEEDED(list->get_MultiSelect(&flag))) f.multi_select = flag != VARIANT_FALSE;
    }
    read_text_attributes(t.get(), f);
    read_options(items.get(), f);
}

bool read_field(const com::ComPtr<IUnknown>& e, form_field& f)
{
    auto field = e.try_as<IZCntElementFormField>();
    auto base = e.try_as<IZCntElementBase>();
    if (!field || !base) return false;
    ZeCntElementType type{};
    if (FAILED(base->get_ElementType(&type))) return false;
    f.type = static_cast<LONG>(type);
    if (auto element = e.try_as<IZElement>()) {
        element->GetBounds(&f.bounds.left, &f.bounds.top, &f.bounds.right, &f.bounds.bottom);
    } else {
        LONG left = 0, top = 0, width = 0, height = 0;
        base->GetPosition(&left, &top, &width, &height);
        f.bounds = {left, top, left + width, top + height};
    }
    com::Bstr s;
    if (SUCCEEDED(field->get_Name(s.put()))) f.name = text_of(s);
    if (SUCCEEDED(base->get_Description(s.put()))) f.description = text_of(s);
    if (SUCCEEDED(field->get_MappingName(s.put()))) f.mapping = text_of(s);
    VARIANT_BOOL flag = VARIANT_FALSE;
    if (SUCCEEDED(field->get_ReadOnly(&flag))) f.read_only = flag != VARIANT_FALSE;
    flag = VARIANT_TRUE;
    if (SUCCEEDED(field->get_Export(&flag))) f.exported = flag != VARIANT_FALSE;
    com::Variant v;
    if (SUCCEEDED(field->get_DefaultValue(v.put()))) {
        f.has_default = value_text(v, &f.default_value, &f.default_on);
        if (f.type == 12 && v.vt() == VT_DATE) f.has_default = iso_date(v->date, &f.default_value);
    }
    if (SUCCEEDED(field->get_CurrentValue(v.put()))) {
        f.has_value = value_text(v, &f.value, &f.value_on);
        if (array_texts(v, &f.selected) && !f.selected.empty()) {
            f.value = f.selected.front();
            f.has_value = true;
        }
        if (f.type == 12 && v.vt() == VT_DATE) f.has_value = iso_date(v->date, &f.value);
    }
    // A field that was never filled in shows its default.
    if (!f.has_value && f.has_default) {
        f.value = f.default_value;
        f.value_on = f.default_on;
        f.has_value = true;
    }
    com::ComPtr<IZCntFormFieldAppearance> look;
    if (SUCCEEDED(field->get_Appearance(look.put())) && look) {
        f.has_border = SUCCEEDED(look->get_BorderColor(&f.border));
        f.has_fill = SUCCEEDED(look->get_FillColor(&f.fill));
    }
    read_kind(e, f);
    return true;
}

}  // namespace

std::vector<form_field> form_fields_of(document_object* doc, LONG index)
{
    std::vector<form_field> out;
    if (!doc || index < 0 || index >= static_cast<LONG>(doc->pages().size())) return out;
    page& p = *doc->pages()[static_cast<std::size_t>(index)];
    for (const list_entry& e : p.objects().entries()) {
        form_field f;
        if (read_field(e.identity, f)) out.push_back(std::move(f));
    }
    return out;
}

}  // namespace host

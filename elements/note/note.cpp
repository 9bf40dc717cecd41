// The note element: a block of word-wrapped text in an optional outline, or one line of
// automatic text that sizes the note to fit. Every change rebuilds its host objects: the
// outline shape, a font resource, a clip frame and one text object per line.
#include "elements/note/note.h"

#include "core/element.h"
#include "elements/note/note_fields.h"
#include "elements/note/note_layout.h"
#include "elements/note/note_objects.h"

namespace cnt {
namespace {

class CZCntElementNote : public element<CZCntElementNote, IZCntElementNote> {
public:
    static constexpr ZeCntElementType element_type = zeCntElementTypeNote;
    static constexpr const CLSID& class_id = CLSID_ZCntElementNote;
    static constexpr ULONG record_version = 1;
    static constexpr bool aggregatable = true;

    HRESULT get_Text(BSTR* text) noexcept override { return get_string(f_.text, text); }
    HRESULT put_Text(BSTR text) noexcept override { return store_string(f_.text, text, notify::yes); }
    HRESULT get_TextColor(OLE_COLOR* v) noexcept override { return get_value(f_.text_colour, v); }
    HRESULT put_TextColor(OLE_COLOR v) noexcept override { return store_if_changed(f_.text_colour, v, notify::no); }
    HRESULT get_FontSize(SHORT* v) noexcept override { return get_value(f_.font_size, v); }
    HRESULT put_FontSize(SHORT v) noexcept override { return store_if_changed(f_.font_size, v, notify::yes); }
    HRESULT get_FontName(BSTR* name) noexcept override { return get_string(f_.font_name, name); }
    HRESULT put_FontName(BSTR name) noexcept override
    {
        return store_string(f_.font_name, name, notify::yes);
    }
    HRESULT get_FontBold(VARIANT_BOOL* v) noexcept override { return get_value(f_.bold, v); }
    HRESULT put_FontBold(VARIANT_BOOL v) noexcept override { return store_if_changed(f_.bold, v, notify::no); }
    HRESULT get_FontItalic(VARIANT_BOOL* v) noexcept override { return get_value(f_.italic, v); }
    HRESULT put_FontItalic(VARIANT_BOOL v) noexcept override { return store_if_changed(f_.italic, v, notify::yes); }
    HRESULT get_BorderColor(OLE_COLOR* v) noexcept override { return get_value(f_.border_colour, v); }
    HRESULT put_BorderColor(OLE_COLOR v) noexcept override
    {
        return store_if_changed(f_.border_colour, v, notify::no);
    }
    HRESULT get_FillColor(OLE_COLOR* v) noexcept override { return get_value(f_.fill_colour, v); }
    HRESULT put_FillColor(OLE_COLOR v) noexcept override { return store_if_changed(f_.fill_colour, v, notify::no); }
    HRESULT get_NoteStyle(ZeCntNoteStyle* v) noexcept override { return get_value(f_.style, v); }
    HRESULT put_NoteStyle(ZeCntNoteStyle v) noexcept override { return store_if_changed(f_.style, v, notify::yes); }
    HRESULT get_Shadow(VARIANT_BOOL* v) noexcept override { return get_value(f_.shadow, v); }
    HRESULT put_Shadow(VARIANT_BOOL v) noexcept override { return store_if_changed(f_.shadow, v, notify::no); }
    HRESULT get_FillTransparency(SHORT* v) noexcept override { return get_value(f_.fill_transparency, v); }
    HRESULT put_FillTransparency(SHORT v) noexcept override
    {
        // Compared as unsigned: a negative percentage is as much out of range as 101.
        if (static_cast<USHORT>(v) > 100) return E_INVALIDARG;
        return store_if_changed(f_.fill_transparency, v, notify::no);
    }
    HRESULT get_TextHorizontalAlignment(ZeCntHorizontalAlignmentType* v) noexcept override
    {
        return get_value(f_.horizontal, v);
    }
    HRESULT put_TextHorizontalAlignment(ZeCntHorizontalAlignmentType v) noexcept override
    {
        return store_if_changed(f_.horizontal, v, notify::no);
    }
    HRESULT get_TextVerticalAlignment(ZeCntVerticalAlignmentType* v) noexcept override
    {
        return get_value(f_.vertical, v);
    }
    HRESULT put_TextVerticalAlignment(ZeCntVerticalAlignmentType v) noexcept override
    {
        return store_if_changed(f_.vertical, v, notify::no);
    }
    HRESULT get_Callout(VARIANT_BOOL* v) noexcept override { return get_value(f_.callout, v); }
    HRESULT put_Callout(VARIANT_BOOL v) noexcept override { return store_if_changed(f_.callout, v, notify::yes); }

    HRESULT SetNoteData(BSTR text, OLE_COLOR text_colour, BSTR font_name, SHORT font_size,
                        VARIANT_BOOL bold, VARIANT_BOOL italic, OLE_COLOR fill_colour,
                        OLE_COLOR border_colour, ZeCntNoteStyle style, VARIANT_BOOL shadow,
                        VARIANT_BOOL callout, SHORT fill_transparency) noexcept override
    {
        // The transparency is stored unchecked, unlike through the property.
        return store_all(text, text_colour, font_name, font_size, bold, italic, fill_colour,
                         border_colour, style, shadow, callout, fill_transparency);
    }

    using C = CZCntElementNote;
    using F = note::fields;
    static constexpr auto record_fields()
    {
        return record::table(
            record::position(), record::enumeration(&C::f_, &F::style).arg<8>(),
            record::string(&C::f_, &F::text).arg<0>(),
            record::colour(&C::f_, &F::text_colour).arg<1>(),
            record::i16(&C::f_, &F::font_size).arg<3>(),
            record::string(&C::f_, &F::font_name).arg<2>(),
            record::boolean(&C::f_, &F::bold).arg<4>(),
            record::boolean(&C::f_, &F::italic).arg<5>(),
            record::colour(&C::f_, &F::border_colour).arg<7>(),
            record::colour(&C::f_, &F::fill_colour).arg<6>(),
            record::boolean(&C::f_, &F::shadow).arg<9>(),
            record::enumeration(&C::f_, &F::horizontal), record::enumeration(&C::f_, &F::vertical),
            record::i16(&C::f_, &F::fill_transparency).arg<11>(),
            record::boolean(&C::f_, &F::callout).arg<10>(), record::i32(&C::f_, &F::reserved1),
            record::i32(&C::f_, &F::reserved2), record::description(), record::page_objects(),
            record::resources());
    }
    static constexpr auto bulk_setter = &IZCntElementNote::SetNoteData;

    bool nothing_to_build() const noexcept { return s_.position.is_zero(); }

    HRESULT build(build_context& c) noexcept
    {
        RETURN_IF_FAILED(note::create_outline(f_, s_.position, c.objects, s_.page_object_ids));
        com::ComPtr<IZFont> font;
        RETURN_IF_FAILED(
            note::create_font(f_, c.resolution(), c.resources, s_.resource_ids, &font));
        // The layout's own failures leave what it made; they are not reported.
        note::layout l{f_, s_.position, s_.page_object_ids, c.objects, c.resources, font.get()};
        if (note::lay_out_text(l, c.page)) {
            s_.dirty = 1;
            notify_container();
        }
        return S_OK;
    }

private:
    note::fields f_;
};

}  // namespace

HRESULT create_note(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    return com::create_instance<CZCntElementNote>(outer, riid, ppv);
}

}  // namespace cnt

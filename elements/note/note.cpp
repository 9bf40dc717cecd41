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
    static constexpr bool normalise_position = false;

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
        RETURN_IF_FAILED(f_.text.assign(text));
        RETURN_IF_FAILED(f_.font_name.assign(font_name));
        f_.text_colour = text_colour;
        f_.font_size = font_size;
        f_.bold = bold;
        f_.italic = italic;
        f_.fill_colour = fill_colour;
        f_.border_colour = border_colour;
        f_.style = style;
        f_.shadow = shadow;
        f_.callout = callout;
        f_.fill_transparency = fill_transparency;  // stored unchecked, unlike the property
        s_.dirty = 1;
        rebuild();
        notify_container();
        return S_OK;
    }

    HRESULT copy_into(IZCntElementNote* to) noexcept
    {
        return to->SetNoteData(f_.text.get(), f_.text_colour, f_.font_name.get(), f_.font_size,
                               f_.bold, f_.italic, f_.fill_colour, f_.border_colour, f_.style,
                               f_.shadow, f_.callout, f_.fill_transparency);
    }

    HRESULT save_fields(IStream* stream) noexcept
    {
        const rect& r = s_.position;
        RETURN_IF_FAILED(record::write_i32(stream, r.left));
        RETURN_IF_FAILED(record::write_i32(stream, r.top));
        RETURN_IF_FAILED(record::write_i32(stream, r.right));
        RETURN_IF_FAILED(record::write_i32(stream, r.bottom));
        RETURN_IF_FAILED(record::write_enum(stream, f_.style));
        RETURN_IF_FAILED(record::write_string(stream, f_.text.get()));
        RETURN_IF_FAILED(record::write_u32(stream, f_.text_colour));
        RETURN_IF_FAILED(record::write_i16(stream, f_.font_size));
        RETURN_IF_FAILED(record::write_string(stream, f_.font_name.get()));
        RETURN_IF_FAILED(record::write_i16(stream, f_.bold));
        RETURN_IF_FAILED(record::write_i16(stream, f_.italic));
        RETURN_IF_FAILED(record::write_u32(stream, f_.border_colour));
        RETURN_IF_FAILED(record::write_u32(stream, f_.fill_colour));
        RETURN_IF_FAILED(record::write_i16(stream, f_.shadow));
        RETURN_IF_FAILED(record::write_enum(stream, f_.horizontal));
        RETURN_IF_FAILED(record::write_enum(stream, f_.vertical));
        RETURN_IF_FAILED(record::write_i16(stream, f_.fill_transparency));
        RETURN_IF_FAILED(record::write_i16(stream, f_.callout));
        RETURN_IF_FAILED(record::write_i32(stream, f_.reserved1));
        RETURN_IF_FAILED(record::write_i32(stream, f_.reserved2));
        RETURN_IF_FAILED(record::write_string(stream, s_.description.get()));
        RETURN_IF_FAILED(record::write_ids(stream, s_.page_object_ids));
        return record::write_ids(stream, s_.resource_ids);
    }

    HRESULT load_fields(IStream* stream, ULONG) noexcept
    {
        rect& r = s_.position;
        RETURN_IF_FAILED(record::read_i32(stream, &r.left));
        RETURN_IF_FAILED(record::read_i32(stream, &r.top));
        RETURN_IF_FAILED(record::read_i32(stream, &r.right));
        RETURN_IF_FAILED(record::read_i32(stream, &r.bottom));
        RETURN_IF_FAILED(record::read_enum(stream, &f_.style));
        RETURN_IF_FAILED(record::read_string(stream, f_.text.slot()));
        RETURN_IF_FAILED(record::read_u32(stream, &f_.text_colour));
        RETURN_IF_FAILED(record::read_i16(stream, &f_.font_size));
        RETURN_IF_FAILED(record::read_string(stream, f_.font_name.slot()));
        RETURN_IF_FAILED(record::read_i16(stream, &f_.bold));
        RETURN_IF_FAILED(record::read_i16(stream, &f_.italic));
        RETURN_IF_FAILED(record::read_u32(stream, &f_.border_colour));
        RETURN_IF_FAILED(record::read_u32(stream, &f_.fill_colour));
        RETURN_IF_FAILED(record::read_i16(stream, &f_.shadow));
        RETURN_IF_FAILED(record::read_enum(stream, &f_.horizontal));
        RETURN_IF_FAILED(record::read_enum(stream, &f_.vertical));
        RETURN_IF_FAILED(record::read_i16(stream, &f_.fill_transparency));
        RETURN_IF_FAILED(record::read_i16(stream, &f_.callout));
        RETURN_IF_FAILED(record::read_i32(stream, &f_.reserved1));
        RETURN_IF_FAILED(record::read_i32(stream, &f_.reserved2));
        RETURN_IF_FAILED(record::read_string(stream, s_.description.slot()));
        RETURN_IF_FAILED(record::read_ids(stream, &s_.page_object_ids));
        return record::read_ids(stream, &s_.resource_ids);
    }

    HRESULT rebuild() noexcept
    {
        if (!s_.page) return E_UNEXPECTED;
        if (s_.position.is_zero()) return S_OK;
        com::ComPtr<IZResourceList> resources;
        com::ComPtr<IZPageObjectList> objects;
        s_.page->get_Resources(resources.put());
        s_.page->get_PageObjects(objects.put());
        if (!resources || !objects) return E_UNEXPECTED;
        RETURN_IF_FAILED(remove_created_host_objects());

        HRESULT hr = note::create_outline(f_, s_.position, objects.get(), s_.page_object_ids);
        com::ComPtr<IZFont> font;
        LONG resolution = 0;
        if (SUCCEEDED(hr)) {
            s_.page->get_Resolution(&resolution);
            hr = note::create_font(f_, resolution, resources.get(), s_.resource_ids, &font);
        }
        if (FAILED(hr)) {
            remove_created_host_objects();
            return hr;
        }
        // The layout's own failures leave what it made; they are not reported.
        note::layout l{f_, s_.position, s_.page_object_ids, objects.get(), resources.get(),
                       font.get()};
        if (note::lay_out_text(l, s_.page.get())) {
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

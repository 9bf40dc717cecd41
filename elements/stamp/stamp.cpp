// The stamp element: a header line above a content line in a rectangular or oval frame,
// grown to hold its texts, turnable about its bottom-left corner and partly transparent.
#include "elements/stamp/stamp.h"

#include "core/element.h"
#include "elements/stamp/stamp_appearance.h"
#include "elements/stamp/stamp_fields.h"

namespace cnt {
namespace {

class CZCntElementStamp : public element<CZCntElementStamp, IZCntElementStamp> {
public:
    static constexpr ZeCntElementType element_type = zeCntElementTypeStamp;
    static constexpr const CLSID& class_id = CLSID_ZCntElementStamp;
    static constexpr ULONG record_version = 1;
    static constexpr bool aggregatable = true;

    // Texts and colours have no same-value shortcut: putting the current value rebuilds too.
    HRESULT get_HeaderText(BSTR* v) noexcept override { return get_string(f_.header.text, v); }
    HRESULT put_HeaderText(BSTR v) noexcept override { return store_string(f_.header.text, v, notify::yes); }
    HRESULT get_HeaderTextColor(OLE_COLOR* v) noexcept override { return get_value(f_.header.colour, v); }
    HRESULT put_HeaderTextColor(OLE_COLOR v) noexcept override
    {
        return store(f_.header.colour, v, notify::no);
    }
    HRESULT get_HeaderSize(SHORT* v) noexcept override { return get_value(f_.header_size, v); }
    HRESULT put_HeaderSize(SHORT v) noexcept override
    {
        return store(f_.header_size, static_cast<SHORT>(v < 0 || v > 100 ? 70 : v), notify::yes);
    }
    HRESULT get_HeaderFontName(BSTR* v) noexcept override { return get_string(f_.header.font_name, v); }
    HRESULT put_HeaderFontName(BSTR v) noexcept override
    {
        return store_string(f_.header.font_name, v, notify::no);
    }
    HRESULT get_HeaderFontBold(VARIANT_BOOL* v) noexcept override { return get_value(f_.header.bold, v); }
    HRESULT put_HeaderFontBold(VARIANT_BOOL v) noexcept override
    {
        return store(f_.header.bold, v, notify::yes);
    }
    HRESULT get_HeaderFontItalic(VARIANT_BOOL* v) noexcept override { return get_value(f_.header.italic, v); }
    HRESULT put_HeaderFontItalic(VARIANT_BOOL v) noexcept override
    {
        return store(f_.header.italic, v, notify::yes);
    }
    HRESULT get_BorderColor(OLE_COLOR* v) noexcept override { return get_value(f_.border_colour, v); }
    HRESULT put_BorderColor(OLE_COLOR v) noexcept override { return store(f_.border_colour, v, notify::no); }
    HRESULT get_FillColor(OLE_COLOR* v) noexcept override { return get_value(f_.fill_colour, v); }
    HRESULT put_FillColor(OLE_COLOR v) noexcept override { return store(f_.fill_colour, v, notify::no); }
    HRESULT get_StampStyle(ZeCntStampStyle* v) noexcept override { return get_value(f_.style, v); }
    HRESULT put_StampStyle(ZeCntStampStyle v) noexcept override { return store(f_.style, v, notify::yes); }
    HRESULT get_Shadow(VARIANT_BOOL* v) noexcept override { return get_value(f_.shadow, v); }
    HRESULT put_Shadow(VARIANT_BOOL v) noexcept override
    {
        return store_if_changed(f_.shadow, v, notify::no);
    }
    HRESULT get_Transparency(SHORT* v) noexcept override { return get_value(f_.transparency, v); }
    HRESULT put_Transparency(SHORT v) noexcept override
    {
        if (static_cast<USHORT>(v) > 100) return E_INVALIDARG;  // negative ones too
        return store_if_changed(f_.transparency, v, notify::no);
    }
    HRESULT get_ContentText(BSTR* v) noexcept override { return get_string(f_.content.text, v); }
    HRESULT put_ContentText(BSTR v) noexcept override
    {
        return store_string(f_.content.text, v, notify::yes);
    }
    HRESULT get_ContentTextColor(OLE_COLOR* v) noexcept override { return get_value(f_.content.colour, v); }
    HRESULT put_ContentTextColor(OLE_COLOR v) noexcept override
    {
        return store(f_.content.colour, v, notify::no);
    }
    HRESULT get_ContentFontName(BSTR* v) noexcept override { return get_string(f_.content.font_name, v); }
    HRESULT put_ContentFontName(BSTR v) noexcept override
    {
        return store_string(f_.content.font_name, v, notify::yes);
    }
    HRESULT get_ContentFontBold(VARIANT_BOOL* v) noexcept override { return get_value(f_.content.bold, v); }
    HRESULT put_ContentFontBold(VARIANT_BOOL v) noexcept override
    {
        return store(f_.content.bold, v, notify::yes);
    }
    HRESULT get_ContentFontItalic(VARIANT_BOOL* v) noexcept override { return get_value(f_.content.italic, v); }
    HRESULT put_ContentFontItalic(VARIANT_BOOL v) noexcept override
    {
        return store(f_.content.italic, v, notify::yes);
    }

    // The only element that turns.
    HRESULT get_Inclination(SHORT* degrees) noexcept override { return get_value(f_.inclination, degrees); }
    HRESULT put_Inclination(SHORT degrees) noexcept override
    {
        // −90..90, tested in one unsigned comparison.
        if (static_cast<USHORT>(degrees + 90) > 180) return E_INVALIDARG;
        return store_if_changed(f_.inclination, degrees, notify::yes);
    }
    HRESULT get_AllowInclination(VARIANT_BOOL* allowed) noexcept override
    {
        if (!allowed) return E_POINTER;
        *allowed = VARIANT_TRUE;
        return S_OK;
    }

    HRESULT SetStampData(BSTR header_text, OLE_COLOR header_colour, BSTR header_font,
                         SHORT header_size, VARIANT_BOOL header_bold, VARIANT_BOOL header_italic,
                         BSTR content_text, OLE_COLOR content_colour, BSTR content_font,
                         VARIANT_BOOL content_bold, VARIANT_BOOL content_italic,
                         OLE_COLOR fill_colour, OLE_COLOR border_colour, ZeCntStampStyle style,
                         VARIANT_BOOL shadow, SHORT transparency,
                         SHORT inclination) noexcept override
    {
        // Transparency and inclination are stored unchecked; an out-of-range header size
        // becomes 100 here, not 70 as through the property.
        if (header_size < 0 || header_size > 100) header_size = 100;
        return store_all(header_text, header_colour, header_font, header_size, header_bold,
                         header_italic, content_text, content_colour, content_font, content_bold,
                         content_italic, fill_colour, border_colour, style, shadow, transparency,
                         inclination);
    }

    using C = CZCntElementStamp;
    using F = stamp::fields;
    using T = stamp::text_part;
    static constexpr auto record_fields()
    {
        return record::table(
            record::position(), record::enumeration(&C::f_, &F::style).arg<13>(),
            record::string(&C::f_, &F::header, &T::text).arg<0>(),
            record::colour(&C::f_, &F::header, &T::colour).arg<1>(),
            record::i16(&C::f_, &F::header_size).arg<3>(),
            record::string(&C::f_, &F::header, &T::font_name).arg<2>(),
            record::boolean(&C::f_, &F::header, &T::bold).arg<4>(),
            record::boolean(&C::f_, &F::header, &T::italic).arg<5>(),
            record::string(&C::f_, &F::content, &T::text).arg<6>(),
            record::colour(&C::f_, &F::content, &T::colour).arg<7>(),
            record::string(&C::f_, &F::content, &T::font_name).arg<8>(),
            record::boolean(&C::f_, &F::content, &T::bold).arg<9>(),
            record::boolean(&C::f_, &F::content, &T::italic).arg<10>(),
            record::colour(&C::f_, &F::border_colour).arg<12>(),
            record::colour(&C::f_, &F::fill_colour).arg<11>(),
            record::boolean(&C::f_, &F::shadow).arg<14>(),
            record::i16(&C::f_, &F::transparency).arg<15>(),
            record::i16(&C::f_, &F::inclination).arg<16>(), record::description(),
            record::page_objects(), record::resources());
    }
    static constexpr auto bulk_setter = &IZCntElementStamp::SetStampData;

    bool nothing_to_build() const noexcept { return s_.position.is_zero(); }

    HRESULT build(build_context& c) noexcept
    {
        const LONG resolution = c.resolution();
        stamp::appearance a{f_, s_.position, s_.page_object_ids, s_.resource_ids,
                            c.objects, c.resources, resolution};
        return stamp::build(a);
    }

private:
    stamp::fields f_;
};

}  // namespace

HRESULT create_stamp(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    return com::create_instance<CZCntElementStamp>(outer, riid, ppv);
}

}  // namespace cnt

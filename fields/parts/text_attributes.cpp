// CZCntTextAttributes: the text colour, font and alignment of the text, combo and list box
// fields, as a child of the text field or as an independent object of a choice field, with its
// record (version, TextColor, FontSize, FontName, FontBold, FontItalic, the two alignments).
#include "fields/parts/child_object.h"
#include "fields/parts/parts.h"
#include "fields/parts/property_object.h"

namespace cnt::fields {
namespace {

using HAlign = ZeCntHorizontalAlignmentType;
using VAlign = ZeCntVerticalAlignmentType;

class CZCntTextAttributes : public property_object<CZCntTextAttributes, IZCntTextAttributes> {
public:
    HRESULT get_TextColor(OLE_COLOR* v) noexcept override { return get_property(colour_, v); }
    HRESULT put_TextColor(OLE_COLOR v) noexcept override
    {
        return put_property(colour_, v, dirty_);
    }
    HRESULT get_FontSize(SHORT* v) noexcept override { return get_property(size_, v); }
    HRESULT put_FontSize(SHORT v) noexcept override { return put_property(size_, v, dirty_); }
    HRESULT get_FontName(BSTR* v) noexcept override { return get_property(font_, v); }
    HRESULT put_FontName(BSTR v) noexcept override { return put_property(font_, v, dirty_); }
    HRESULT get_FontBold(VARIANT_BOOL* v) noexcept override { return get_property(bold_, v); }
    HRESULT put_FontBold(VARIANT_BOOL v) noexcept override
    {
        return put_property(bold_, v, dirty_);
    }
    HRESULT get_FontItalic(VARIANT_BOOL* v) noexcept override { return get_property(italic_, v); }
    HRESULT put_FontItalic(VARIANT_BOOL v) noexcept override
    {
        return put_property(italic_, v, dirty_);
    }
    HRESULT get_TextHorizontalAlignment(HAlign* v) noexcept override
    {
        return get_property(horizontal_, v);
    }
    HRESULT put_TextHorizontalAlignment(HAlign v) noexcept override
    {
        return put_property(horizontal_, v, dirty_);
    }
    HRESULT get_TextVerticalAlignment(VAlign* v) noexcept override
    {
        return get_property(vertical_, v);
    }
    HRESULT put_TextVerticalAlignment(VAlign v) noexcept override
    {
        return put_property(vertical_, v, dirty_);
    }

    static constexpr auto record_fields() noexcept
    {
        using C = CZCntTextAttributes;
        return record::table(record::colour(&C::colour_), record::i16(&C::size_),
                             record::string(&C::font_), record::boolean(&C::bold_),
                             record::boolean(&C::italic_), record::enumeration(&C::horizontal_),
                             record::enumeration(&C::vertical_));
    }

    // The font name starts as the empty string, not null.
    HRESULT final_construct() noexcept { return font_.get() ? S_OK : E_OUTOFMEMORY; }

private:
    OLE_COLOR colour_ = 0;
    SHORT size_ = 100;  // tenths of a point
    bstr_field font_{u""};
    VARIANT_BOOL bold_ = 0;
    VARIANT_BOOL italic_ = 0;
    HAlign horizontal_ = zeCntHorizontalAlignmentLeft;
    VAlign vertical_ = zeCntVerticalAlignmentTop;
};

}  // namespace

HRESULT create_text_attributes(IUnknown* parent, IZCntTextAttributes** out) noexcept
{
    if (parent) return make_owned_child<CZCntTextAttributes>(parent, out);
    // Independent: an ordinary object, whose module lock lasts as long as it does.
    return com::make<CZCntTextAttributes>(out);
}

}  // namespace cnt::fields

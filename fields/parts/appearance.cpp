// CZCntFormFieldAppearance: the border and fill colour every form field hands out as a child
// object, with its 12-byte record (version, BorderColor, FillColor).
#include "fields/parts/child_object.h"
#include "fields/parts/parts.h"
#include "fields/parts/property_object.h"

namespace cnt::fields {
namespace {

class CZCntFormFieldAppearance
    : public property_object<CZCntFormFieldAppearance, IZCntFormFieldAppearance> {
public:
    HRESULT get_BorderColor(OLE_COLOR* v) noexcept override { return get_property(border_, v); }
    HRESULT put_BorderColor(OLE_COLOR v) noexcept override
    {
        return put_property(border_, v, dirty_);
    }
    HRESULT get_FillColor(OLE_COLOR* v) noexcept override { return get_property(fill_, v); }
    HRESULT put_FillColor(OLE_COLOR v) noexcept override { return put_property(fill_, v, dirty_); }

    static constexpr auto record_fields() noexcept
    {
        using C = CZCntFormFieldAppearance;
        return record::table(record::colour(&C::border_), record::colour(&C::fill_));
    }

private:
    OLE_COLOR border_ = 0;
    OLE_COLOR fill_ = 0xFFFFFF;
};

}  // namespace

HRESULT create_appearance_child(IUnknown* parent, IZCntFormFieldAppearance** out) noexcept
{
    return make_owned_child<CZCntFormFieldAppearance>(parent, out);
}

}  // namespace cnt::fields

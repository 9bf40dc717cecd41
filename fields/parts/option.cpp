// CZCntChoiceFieldOption: one choice of a combo or list box — the text shown and the value
// exported — with its record (version, DisplayName, ExportValue).
#include "fields/parts/option.h"

#include "fields/parts/property_object.h"

namespace cnt::fields {
namespace {

class CZCntChoiceFieldOption
    : public property_object<CZCntChoiceFieldOption, IZCntChoiceFieldOption> {
public:
    HRESULT get_DisplayName(BSTR* v) noexcept override { return get_property(display_, v); }
    HRESULT put_DisplayName(BSTR v) noexcept override { return put_property(display_, v, dirty_); }
    HRESULT get_ExportValue(BSTR* v) noexcept override { return get_property(export_, v); }
    HRESULT put_ExportValue(BSTR v) noexcept override { return put_property(export_, v, dirty_); }

    static constexpr auto record_fields() noexcept
    {
        using C = CZCntChoiceFieldOption;
        return record::table(record::string(&C::display_), record::string(&C::export_));
    }

    HRESULT final_construct() noexcept
    {
        return display_.get() && export_.get() ? S_OK : E_OUTOFMEMORY;
    }

private:
    bstr_field display_{u""};
    bstr_field export_{u""};
};

}  // namespace

HRESULT create_option(IZCntChoiceFieldOption** out) noexcept
{
    return com::make<CZCntChoiceFieldOption>(out);
}

}  // namespace cnt::fields

// The link element: a rectangle of its page that links to LinkURL, realised as a link object
// and, when BorderColor is set, a stroked rectangle shape over the same bounds.
#include "elements/link/link.h"

#include "core/colour.h"
#include "core/element.h"
#include "core/host_objects.h"

namespace cnt {
namespace {

class CZCntElementLink : public element<CZCntElementLink, IZCntElementLink> {
public:
    static constexpr ZeCntElementType element_type = zeCntElementTypeLink;
    static constexpr const CLSID& class_id = CLSID_ZCntElementLink;
    static constexpr ULONG record_version = 1;
    static constexpr bool aggregatable = true;

    // The properties alone do not tell the container; SetLinkData does.
    HRESULT get_LinkURL(BSTR* url) noexcept override { return get_string(url_, url); }
    HRESULT put_LinkURL(BSTR url) noexcept override { return store_string(url_, url, notify::no); }
    HRESULT get_BorderColor(OLE_COLOR* v) noexcept override { return get_value(border_colour_, v); }
    HRESULT put_BorderColor(OLE_COLOR v) noexcept override
    {
        return store(border_colour_, v, notify::no);
    }
    HRESULT get_Shadow(VARIANT_BOOL* v) noexcept override { return get_value(shadow_, v); }
    HRESULT put_Shadow(VARIANT_BOOL v) noexcept override { return store(shadow_, v, notify::no); }
    HRESULT SetLinkData(BSTR url, OLE_COLOR border_colour, VARIANT_BOOL shadow) noexcept override
    {
        return store_all(url, border_colour, shadow);
    }

    using C = CZCntElementLink;
    static constexpr auto record_fields()
    {
        return record::table(record::position(), record::string(&C::url_).arg<0>(),
                             record::colour(&C::border_colour_).arg<1>(),
                             record::boolean(&C::shadow_).arg<2>(), record::description(),
                             record::page_objects());
    }
    static constexpr auto bulk_setter = &IZCntElementLink::SetLinkData;

    // Nothing is realised without a URL and a rectangle; objects made earlier then stay.
    bool nothing_to_build() const noexcept { return url_.empty() || s_.position.is_zero(); }

    HRESULT build(build_context& c) noexcept
    {
        RETURN_IF_FAILED(create_link(c.objects));
        RETURN_IF_FAILED(add_border(c.objects));
        return S_OK;
    }

private:
    HRESULT create_link(IZPageObjectList* objects) noexcept
    {
        com::ComPtr<IZLink> link;
        RETURN_IF_FAILED(create_page_object(objects, zeKindLink, s_.page_object_ids, &link));
        const HRESULT hr = link->put_URL(url_.get());
        if (hr < 0) return hr;
        com::ComPtr<IZRect> area;
        link->get_Rect(area.put());
        if (!area) return E_UNEXPECTED;
        area->put_Left(s_.position.left);
        area->put_Right(s_.position.right);
        area->put_Top(s_.position.top);
        area->put_Bottom(s_.position.bottom);
        return S_OK;
    }

    HRESULT add_border(IZPageObjectList* objects) noexcept
    {
        if (border_colour_ == no_colour) return S_OK;
        com::ComPtr<IZShape> shape;
        RETURN_IF_FAILED(create_page_object(objects, zeKindShape, s_.page_object_ids, &shape));
        shape->put_PaintMode(zeShapePaintStroke);
        shape->put_StrokeColor(border_colour_);
        com::ComPtr<IZPath> path;
        shape->get_Path(path.put());
        if (!path) return E_UNEXPECTED;
        const rect& r = s_.position;
        path->Rectangle(r.left, r.top, r.right, r.bottom);
        return S_OK;
    }

    bstr_field url_{u""};
    OLE_COLOR border_colour_ = no_colour;
    VARIANT_BOOL shadow_ = 0;
};

}  // namespace

HRESULT create_link(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    return com::create_instance<CZCntElementLink>(outer, riid, ppv);
}

}  // namespace cnt

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

    HRESULT get_LinkURL(BSTR* url) noexcept override
    {
        if (!url) return E_POINTER;
        return url_.copy_to(url);
    }
    HRESULT put_LinkURL(BSTR url) noexcept override
    {
        RETURN_IF_FAILED(url_.assign(url));
        s_.dirty = 1;
        rebuild();
        return S_OK;
    }
    HRESULT get_BorderColor(OLE_COLOR* colour) noexcept override
    {
        if (!colour) return E_POINTER;
        *colour = border_colour_;
        return S_OK;
    }
    HRESULT put_BorderColor(OLE_COLOR colour) noexcept override
    {
        border_colour_ = colour;
        s_.dirty = 1;
        rebuild();
        return S_OK;
    }
    HRESULT get_Shadow(VARIANT_BOOL* shadow) noexcept override
    {
        if (!shadow) return E_POINTER;
        *shadow = shadow_;
        return S_OK;
    }
    HRESULT put_Shadow(VARIANT_BOOL shadow) noexcept override
    {
        shadow_ = shadow;
        s_.dirty = 1;
        rebuild();
        return S_OK;
    }
    HRESULT SetLinkData(BSTR url, OLE_COLOR border_colour, VARIANT_BOOL shadow) noexcept override
    {
        RETURN_IF_FAILED(url_.assign(url));
        border_colour_ = border_colour;
        shadow_ = shadow;
        s_.dirty = 1;
        rebuild();
        notify_container();
        return S_OK;
    }

    HRESULT copy_into(IZCntElementLink* to) noexcept
    {
        return to->SetLinkData(url_.get(), border_colour_, shadow_);
    }

    HRESULT save_fields(IStream* stream) noexcept
    {
        const rect& r = s_.position;
        RETURN_IF_FAILED(record::write_i32(stream, r.left));
        RETURN_IF_FAILED(record::write_i32(stream, r.top));
        RETURN_IF_FAILED(record::write_i32(stream, r.right));
        RETURN_IF_FAILED(record::write_i32(stream, r.bottom));
        RETURN_IF_FAILED(record::write_string(stream, url_.get()));
        RETURN_IF_FAILED(record::write_u32(stream, border_colour_));
        RETURN_IF_FAILED(record::write_i16(stream, shadow_));
        RETURN_IF_FAILED(record::write_string(stream, s_.description.get()));
        return record::write_ids(stream, s_.page_object_ids);
    }

    HRESULT load_fields(IStream* stream, ULONG) noexcept
    {
        rect& r = s_.position;
        RETURN_IF_FAILED(record::read_i32(stream, &r.left));
        RETURN_IF_FAILED(record::read_i32(stream, &r.top));
        RETURN_IF_FAILED(record::read_i32(stream, &r.right));
        RETURN_IF_FAILED(record::read_i32(stream, &r.bottom));
        RETURN_IF_FAILED(record::read_string(stream, url_.slot()));
        RETURN_IF_FAILED(record::read_u32(stream, &border_colour_));
        RETURN_IF_FAILED(record::read_i16(stream, &shadow_));
        RETURN_IF_FAILED(record::read_string(stream, s_.description.slot()));
        return record::read_ids(stream, &s_.page_object_ids);
    }

    // Nothing is realised without a URL and a rectangle; objects made earlier then stay.
    HRESULT rebuild() noexcept
    {
        if (!s_.page) return E_UNEXPECTED;
        if (url_.empty() || s_.position.is_zero()) return S_OK;
        com::ComPtr<IZResourceList> resources;
        com::ComPtr<IZPageObjectList> objects;
        s_.page->get_Resources(resources.put());
        s_.page->get_PageObjects(objects.put());
        if (!resources || !objects) return E_UNEXPECTED;
        RETURN_IF_FAILED(remove_created_host_objects());
        HRESULT hr = create_link(objects.get());
        if (SUCCEEDED(hr)) hr = add_border(objects.get());
        if (FAILED(hr)) {
            remove_created_host_objects();
            return hr;
        }
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

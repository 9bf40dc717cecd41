// The image element: a raster image, the first page of a PDF file or of a stored document, or
// a QR code, placed into its bounds with its proportions kept or not, optionally framed. Every
// rebuild removes what the last one made and makes the content anew.
#include "elements/image/image.h"

#include "core/colour.h"
#include "core/element.h"
#include "elements/image/image_content.h"

namespace cnt {
namespace {

class CZCntElementImage : public element<CZCntElementImage, IZCntElementImage> {
public:
    static constexpr ZeCntElementType element_type = zeCntElementTypeImage;
    static constexpr const CLSID& class_id = CLSID_ZCntElementImage;
    // Version 2 added the resource ids; 0 and 1 still load.
    static constexpr ULONG record_version = 2;
    static constexpr bool aggregatable = false;
    static constexpr bool normalise_position = true;

    HRESULT get_ImageFile(BSTR* file) noexcept override { return get_string(file_, file); }
    HRESULT put_ImageFile(BSTR file) noexcept override
    {
        if (!file) return E_INVALIDARG;
        remove_created();
        const std::u16string_view s = com::bstr_view(file);
        if (!s.empty() && s.front() == u'-') {
            std::size_t end = 0;
            linked_id_ = leading_number(s, &end);
            // "-id|path": the path alone is the file; "-id" alone keeps the file as it was.
            if (end < s.size() && s[end] == u'|') {
                BSTR rest = SysAllocStringLen(s.data() + end + 1,
                                              static_cast<UINT>(s.size() - end - 1));
                if (!rest) return E_OUTOFMEMORY;
                SysFreeString(*file_.slot());
                *file_.slot() = rest;
            }
        }
        if (linked_id_ >= 0) RETURN_IF_FAILED(file_.assign(file));
        s_.dirty = 1;
        rebuild();
        notify_container();
        return S_OK;
    }
    HRESULT get_MaintainAspectRatio(VARIANT_BOOL* keep) noexcept override
    {
        return get_value(keep_, keep);
    }
    HRESULT put_MaintainAspectRatio(VARIANT_BOOL keep) noexcept override
    {
        return store_if_changed(keep_, keep, notify::yes);
    }
    HRESULT get_BorderColor(OLE_COLOR* colour) noexcept override
    {
        return get_value(border_colour_, colour);
    }
    HRESULT put_BorderColor(OLE_COLOR colour) noexcept override
    {
        return store_if_changed(border_colour_, colour, notify::no);
    }
    HRESULT get_Shadow(VARIANT_BOOL* shadow) noexcept override { return get_value(shadow_, shadow); }
    HRESULT put_Shadow(VARIANT_BOOL shadow) noexcept override
    {
        return store_if_changed(shadow_, shadow, notify::no);
    }
    HRESULT SetImageData(BSTR file, VARIANT_BOOL keep, OLE_COLOR border_colour,
                         VARIANT_BOOL shadow) noexcept override
    {
        keep_ = keep;
        border_colour_ = border_colour;
        shadow_ = shadow;
        return put_ImageFile(file);
    }
    HRESULT get_Transparency(SHORT* percent) noexcept override
    {
        return get_value(transparency_, percent);
    }
    HRESULT put_Transparency(SHORT percent) noexcept override
    {
        if (static_cast<USHORT>(percent) > 100) return E_INVALIDARG;  // negative ones too
        return store_if_changed(transparency_, percent, notify::no);
    }
    // Settings of the next QR code made; they do not rebuild and are not saved.
    HRESULT put_QRCodeMargin(SHORT modules) noexcept override
    {
        qr_margin_ = modules;
        return S_OK;
    }
    HRESULT put_QRCodeErrorCorrectionLevel(ZeQRCodeErrorCorrectionLevel level) noexcept override
    {
        qr_level_ = level;
        return S_OK;
    }

    HRESULT copy_into(IZCntElementImage* to) noexcept
    {
        return to->SetImageData(file_.get(), keep_, border_colour_, shadow_);
    }

    void attach_document(IDispatch* document) noexcept
    {
        document_ = com::ComPtr<IDispatch>(document);
    }

    HRESULT save_fields(IStream* stream) noexcept
    {
        const rect& r = s_.position;
        RETURN_IF_FAILED(record::write_i32(stream, r.left));
        RETURN_IF_FAILED(record::write_i32(stream, r.top));
        RETURN_IF_FAILED(record::write_i32(stream, r.right));
        RETURN_IF_FAILED(record::write_i32(stream, r.bottom));
        RETURN_IF_FAILED(record::write_string(stream, file_.get()));
        RETURN_IF_FAILED(record::write_i16(stream, keep_));
        RETURN_IF_FAILED(record::write_u32(stream, border_colour_));
        RETURN_IF_FAILED(record::write_i16(stream, shadow_));
        RETURN_IF_FAILED(record::write_i16(stream, transparency_));
        RETURN_IF_FAILED(record::write_string(stream, s_.description.get()));
        RETURN_IF_FAILED(record::write_i32(stream, linked_id_));
        RETURN_IF_FAILED(record::write_ids(stream, s_.page_object_ids));
        return record::write_ids(stream, s_.resource_ids);
    }

    HRESULT load_fields(IStream* stream, ULONG version) noexcept
    {
        rect& r = s_.position;
        RETURN_IF_FAILED(record::read_i32(stream, &r.left));
        RETURN_IF_FAILED(record::read_i32(stream, &r.top));
        RETURN_IF_FAILED(record::read_i32(stream, &r.right));
        RETURN_IF_FAILED(record::read_i32(stream, &r.bottom));
        RETURN_IF_FAILED(record::read_string(stream, file_.slot()));
        RETURN_IF_FAILED(record::read_i16(stream, &keep_));
        RETURN_IF_FAILED(record::read_u32(stream, &border_colour_));
        RETURN_IF_FAILED(record::read_i16(stream, &shadow_));
        RETURN_IF_FAILED(record::read_i16(stream, &transparency_));
        RETURN_IF_FAILED(record::read_string(stream, s_.description.slot()));
        RETURN_IF_FAILED(record::read_i32(stream, &linked_id_));
        RETURN_IF_FAILED(record::read_ids(stream, &s_.page_object_ids));
        if (version >= 2) return record::read_ids(stream, &s_.resource_ids);
        // Older records kept the one resource they made in the linked object id.
        if (linked_id_ > 0) {
            try {
                s_.resource_ids.push_back(linked_id_);
            } catch (const std::bad_alloc&) {
                return E_OUTOFMEMORY;
            }
            linked_id_ = 0;
        }
        return S_OK;
    }

    // Page objects, then a resource id from an old record, then the resources.
    HRESULT remove_created() noexcept
    {
        if (!s_.page) return E_UNEXPECTED;
        if (!s_.page_object_ids.empty()) {
            com::ComPtr<IZPageObjectList> list;
            s_.page->get_PageObjects(list.put());
            if (!list) return E_UNEXPECTED;
            for (LONG id : s_.page_object_ids)
                if (id != 0) list->Remove(id);
            s_.page_object_ids.clear();
        }
        const bool old_resource = linked_id_ > 0;
        if (old_resource || !s_.resource_ids.empty()) {
            com::ComPtr<IZResourceList> list;
            s_.page->get_Resources(list.put());
            if (!list) return E_UNEXPECTED;
            if (old_resource) {
                list->Remove(linked_id_);
                linked_id_ = 0;
            }
            for (LONG id : s_.resource_ids)
                if (id != 0) list->Remove(id);
            s_.resource_ids.clear();
        }
        return S_OK;
    }

    HRESULT rebuild() noexcept
    {
        if (!s_.page) return E_UNEXPECTED;
        com::ComPtr<IZResourceList> resources;
        s_.page->get_Resources(resources.put());
        if (!resources) return E_UNEXPECTED;
        resources_ = resources;
        com::ComPtr<IZPageObjectList> objects;
        s_.page->get_PageObjects(objects.put());
        if (!objects) return E_UNEXPECTED;
        remove_created();

        image::content_builder build(image::content_inputs{
            s_, file_.get(), keep_, linked_id_, qr_margin_, qr_level_, objects.get(),
            resources.get(), document_.get()});
        HRESULT hr = build.build_content();
        if (SUCCEEDED(hr)) hr = build.add_border(border_colour_);
        if (FAILED(hr)) {
            remove_created();
            return hr;
        }
        // Each object goes right after the one before it, the first right after the element.
        LONG previous = s_.element_id;
        for (LONG id : s_.page_object_ids) {
            objects->Order(id, previous, 0);
            previous = id;
        }
        return S_OK;
    }

private:
    // The number at the start of s, sign included, in base 10 as wcstol reads it (saturating
    // at the 32-bit limits); 0 when no digit follows the sign. *end: where the number ends,
    // 0 when there is none.
    static LONG leading_number(std::u16string_view s, std::size_t* end) noexcept
    {
        std::size_t i = 0;
        bool negative = false;
        if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) negative = s[i++] == u'-';
        const std::size_t digits = i;
        long long value = 0;
        for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i)
            if (value <= 0x80000000LL) value = value * 10 + (s[i] - u'0');
        if (i == digits) {
            *end = 0;
            return 0;
        }
        *end = i;
        if (negative) return value >= 0x80000000LL ? LONG(0x80000000) : static_cast<LONG>(-value);
        return value >= 0x7FFFFFFFLL ? LONG(0x7FFFFFFF) : static_cast<LONG>(value);
    }

    bstr_field file_{u""};
    VARIANT_BOOL keep_ = VARIANT_TRUE;
    OLE_COLOR border_colour_ = no_colour;
    VARIANT_BOOL shadow_ = VARIANT_FALSE;
    SHORT transparency_ = 0;
    LONG linked_id_ = 0;
    SHORT qr_margin_ = 1;
    LONG qr_level_ = zeQRCodeErrorCorrectionLevelL;
    com::ComPtr<IZResourceList> resources_;  // cached by the rebuild
    com::ComPtr<IDispatch> document_;        // kept from Attach
};

}  // namespace

HRESULT create_image(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    return com::create_instance<CZCntElementImage>(outer, riid, ppv);
}

}  // namespace cnt

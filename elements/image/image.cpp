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
    // A failed removal of the last content does not stop the new one.
    static constexpr element_options options{.normalise_position = true,
                                             .lists_checked_in_turn = true,
                                             .removal_failure_ignored = true};

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

    void attach_document(IDispatch* document) noexcept
    {
        document_ = com::ComPtr<IDispatch>(document);
    }

    // The resource ids close the record; they come after the table because their presence
    // depends on the version.
    using C = CZCntElementImage;
    static constexpr auto record_fields()
    {
        return record::table(record::position(), record::string(&C::file_).arg<0>(),
                             record::boolean(&C::keep_).arg<1>(),
                             record::colour(&C::border_colour_).arg<2>(),
                             record::boolean(&C::shadow_).arg<3>(), record::i16(&C::transparency_),
                             record::description(), record::i32(&C::linked_id_),
                             record::page_objects());
    }
    static constexpr auto bulk_setter = &IZCntElementImage::SetImageData;

    HRESULT save_fields(IStream* stream) noexcept
    {
        RETURN_IF_FAILED(record::save(stream, record_fields(), *this));
        return record::write_ids(stream, s_.resource_ids);
    }

    HRESULT load_fields(IStream* stream, ULONG version) noexcept
    {
        RETURN_IF_FAILED(record::load(stream, record_fields(), *this));
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
    HRESULT remove_created() noexcept { return remove_created_host_objects(&linked_id_); }

    HRESULT build(build_context& c) noexcept
    {
        resources_ = com::ComPtr<IZResourceList>(c.resources);
        image::content_builder content(image::content_inputs{
            s_, file_.get(), keep_, linked_id_, qr_margin_, qr_level_, c.objects, c.resources,
            document_.get()});
        RETURN_IF_FAILED(content.build_content());
        RETURN_IF_FAILED(content.add_border(border_colour_));
        order_after_element(c.objects);
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

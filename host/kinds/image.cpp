// Image resources and placed images. An image resource records the file it was told to load,
// whether it exists and its size in pixels from its header; decoding the pixels is the PDF
// writer's business.
#include <sys/stat.h>

#include "host/kinds/factory.h"
#include "host/kinds/properties.h"
#include "host/kinds/rect_view.h"
#include "host/output/image/decode.h"
#include "host/output/paint.h"
#include "platform/com/safearray.h"

namespace host {
namespace {

class image_resource : public kind_object<image_resource, IZImageResource> {
public:
    HRESULT Load(BSTR file, LONG page) noexcept override
    {
        auto rec = record("Load", file, page);
        HRESULT hr = S_OK;
        try {
            file_ = from_bstr(file);
            page_ = page;
            error_.clear();
            // A file's own pixels replace any given before; its size comes from its header,
            // the pixels are decoded when the page is written.
            pixels_.clear();
            palette_.clear();
            width_ = height_ = 0;
            struct stat st {};
            missing_ = ::stat(native_path(file_).c_str(), &st) != 0 || !S_ISREG(st.st_mode);
            if (missing_) return rec(STG_E_FILENOTFOUND);
            image::info info{};
            hr = image::probe_file(native_path(file_), &info, &error_);
            if (SUCCEEDED(hr)) {
                width_ = info.width;
                height_ = info.height;
                bits_ = 24;
            }
        } catch (const std::bad_alloc&) {
            return rec(E_OUTOFMEMORY);
        }
        return rec(hr);
    }
    HRESULT get_Width(LONG* v) noexcept override { return get("get_Width", width_, v); }
    HRESULT get_Height(LONG* v) noexcept override { return get("get_Height", height_, v); }
    HOST_LONG_PROPERTY(BitsPerPixel, bits_)
    HOST_LONG_PROPERTY(Interpolate, interpolate_)
    HRESULT put_Width(LONG v) noexcept override { return put("put_Width", width_, v); }
    HRESULT put_Height(LONG v) noexcept override { return put("put_Height", height_, v); }
    HRESULT put_Pixels(VARIANT bytes) noexcept override
    {
        auto rec = record("put_Pixels", std::string("bytes"));
        return rec(read_array(bytes, 1, &pixels_));
    }
    HRESULT put_Palette(VARIANT colours) noexcept override
    {
        auto rec = record("put_Palette", std::string("colours"));
        return rec(read_array(colours, 4, &palette_));
    }
    HOST_GET_TEXT(FileName, file_)

    void resource(resource_info& out) const override
    {
        view_.key = this;
        view_.file = file_;
        view_.width = width_;
        view_.height = height_;
        view_.bits = bits_;
        view_.interpolate = interpolate_;
        view_.pixels = &pixels_;
        view_.palette = &palette_;
        out.image = &view_;
    }
    void describe(property_list& out) const override
    {
        out.emplace_back("FileName", utf8(file_));
        out.emplace_back("Page", number(page_));
        out.emplace_back("Missing", missing_ ? "true" : "false");
        out.emplace_back("Width", number(width_));
        out.emplace_back("Height", number(height_));
        out.emplace_back("BitsPerPixel", number(bits_));
        out.emplace_back("Interpolate", number(interpolate_));
        out.emplace_back("PixelBytes", number(static_cast<LONG>(pixels_.size())));
        out.emplace_back("PaletteBytes", number(static_cast<LONG>(palette_.size())));
        if (!error_.empty()) out.emplace_back("Error", error_);
    }
    void save(byte_writer& out, const ref_serials&) const override
    {
        out.text(file_);
        out.i32(page_);
        out.u8(missing_ ? 1 : 0);
        out.i32(width_);
        out.i32(height_);
        out.i32(bits_);
        out.i32(interpolate_);
        out.blob(pixels_);
        out.blob(palette_);
    }
    bool load(byte_reader& in, const ref_lookup&) override
    {
        file_ = in.text();
        page_ = in.i32();
        missing_ = in.u8() != 0;
        width_ = in.i32();
        height_ = in.i32();
        bits_ = in.i32();
        interpolate_ = in.i32();
        pixels_ = in.blob();
        palette_ = in.blob();
        return in.ok();
    }

private:
    HRESULT get(std::string_view member, LONG field, LONG* v) noexcept
    {
        auto rec = record(member);
        if (!v) return rec(E_POINTER);
        *v = field;
        return rec(S_OK, *v);
    }
    HRESULT put(std::string_view member, LONG& field, LONG v) noexcept
    {
        auto rec = record(member, v);
        if (v < 0) return rec(E_INVALIDARG);
        field = v;
        return rec(S_OK);
    }
    // A one-dimensional array of bytes (or of 32-bit colours), copied as it lies in memory.
    static HRESULT read_array(const VARIANT& v, ULONG element, std::vector<BYTE>* out) noexcept
    {
        const VARIANT* value = (v.vt & VT_BYREF) && v.pvarVal && v.vt == (VT_BYREF | VT_VARIANT)
                                   ? v.pvarVal
                                   : &v;
        if (!(value->vt & VT_ARRAY)) return E_INVALIDARG;
        SAFEARRAY* array = (value->vt & VT_BYREF) ? (value->pparray ? *value->pparray : nullptr)
                                                  : value->parray;
        if (!array || SafeArrayGetDim(array) != 1) return E_INVALIDARG;
        const ULONG size = SafeArrayGetElemsize(array);
        if (size != element && !(element == 4 && size == 4)) return E_INVALIDARG;
        const std::size_t bytes = std::size_t(array->rgsabound[0].cElements) * size;
        void* data = nullptr;
        RETURN_IF_FAILED(SafeArrayAccessData(array, &data));
        HRESULT hr = S_OK;
        try {
            const BYTE* p = static_cast<const BYTE*>(data);
            out->assign(p, p + bytes);
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
        }
        SafeArrayUnaccessData(array);
        return hr;
    }

    std::u16string file_;
    LONG page_ = 0;
    bool missing_ = false;
    LONG width_ = 0;
    LONG height_ = 0;
    LONG bits_ = 24;
    LONG interpolate_ = 1;
    std::vector<BYTE> pixels_;
    std::vector<BYTE> palette_;
    std::string error_;
    mutable image_data view_;
};

class placed_image : public kind_object<placed_image, IZPlacedImage> {
public:
    HRESULT get_Image(IZImageResource** v) noexcept override
    {
        auto rec = record("get_Image");
        if (!v) return rec(E_POINTER);
        image_.copy_to(v);
        return rec(S_OK, ref(*v));
    }
    HRESULT putref_Image(IZImageResource* v) noexcept override
    {
        auto rec = record("putref_Image", ref(v));
        image_ = com::ComPtr<IZImageResource>(v);
        return rec(S_OK);
    }
    HRESULT get_Rect(IZRect** rect) noexcept override
    {
        auto rec = record("get_Rect");
        return rec(make_rect_view(this, &rect_, rect), part_name("rect"));
    }
    void describe(property_list& out) const override
    {
        out.emplace_back("Image", ctx()->name_of(image_.get()));
        describe_rect(rect_, out);
    }
    void save(byte_writer& out, const ref_serials& refs) const override
    {
        out.u32(refs.serial(image_.get()));
        save_rect(rect_, out);
    }
    bool load(byte_reader& in, const ref_lookup& refs) override
    {
        if (!load_ref(in, refs, &image_)) return false;
        load_rect(rect_, in);
        return in.ok();
    }
    void references(std::vector<IUnknown*>& out) const override
    {
        if (image_) out.push_back(image_.get());
    }
    void paint(painter& p) const override
    {
        image_paint i;
        if (image_) i.image = resource_of(image_.get()).image;
        i.rect = {rect_.left, rect_.top, rect_.right, rect_.bottom};
        p.image(i);
    }
    void drop_references() noexcept override
    {
        host_object::drop_references();
        image_ = nullptr;
    }

private:
    com::ComPtr<IZImageResource> image_;
    rect_data rect_;
};

}  // namespace

HRESULT make_image_resource(const std::shared_ptr<context>& ctx, LONG page_id,
                            IDispatch** out) noexcept
{
    return make_kind<image_resource>(ctx, zeKindImageResource, page_id, out);
}

HRESULT make_placed_image(const std::shared_ptr<context>& ctx, LONG page_id, IDispatch** out) noexcept
{
    return make_kind<placed_image>(ctx, zeKindPlacedImage, page_id, out);
}

}  // namespace host

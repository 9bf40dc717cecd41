// Image resources and placed images. An image resource records the file it was told to load,
// whether it exists and its size in pixels from its header; decoding the pixels is the PDF
// writer's business.
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

#include <tuple>

#include "host/io/content_key.h"
#include "host/kinds/property_table.h"
#include "host/output/image/decode.h"
#include "host/output/paint.h"
#include "platform/com/safearray.h"

namespace host {
namespace {

// Whether a file decodes, checked once for the same bytes: a picture placed on a thousand
// pages is decoded once to see that it can be, and once more when the PDF is written.
HRESULT checked(const std::string& path, std::string* error)
{
    struct verdict {
        HRESULT hr;
        std::string error;
    };
    static std::mutex lock;
    static std::map<std::string, verdict> known;
    const std::string key = file_content_key(path);
    if (!key.empty()) {
        std::lock_guard<std::mutex> hold(lock);
        if (auto it = known.find(key); it != known.end()) {
            *error = it->second.error;
            return it->second.hr;
        }
    }
    const HRESULT hr = image::check_file(path, error);
    if (!key.empty()) {
        std::lock_guard<std::mutex> hold(lock);
        if (known.size() > 4096) known.clear();
        known.emplace(key, verdict{hr, *error});
    }
    return hr;
}

struct image_fields {
    std::u16string file_;
    LONG page_ = 0;
    bool missing_ = false;
    LONG width_ = 0;
    LONG height_ = 0;
    LONG bits_ = 24;
    LONG interpolate_ = 1;
    std::vector<BYTE> pixels_;
    std::vector<BYTE> palette_;
};
constexpr auto image_table = std::tuple{
    field<codec::text>("FileName", &image_fields::file_),
    field<codec::i32>("Page", &image_fields::page_),
    field<codec::yes_no>("Missing", &image_fields::missing_),
    field<codec::i32>("Width", &image_fields::width_, not_negative),
    field<codec::i32>("Height", &image_fields::height_, not_negative),
    field<codec::i32>("BitsPerPixel", &image_fields::bits_),
    field<codec::i32>("Interpolate", &image_fields::interpolate_),
    field<codec::bytes>("PixelBytes", &image_fields::pixels_),
    field<codec::bytes>("PaletteBytes", &image_fields::palette_),
};

class image_resource
    : public table_kind<image_resource, IZImageResource, image_fields, image_table> {
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
            const std::string path = native_path(file_);
            missing_ = !present(path);
            if (missing_) return rec(STG_E_FILENOTFOUND);
            image::info info{};
            hr = image::probe_file(path, &info, &error_);
            if (SUCCEEDED(hr)) {
                width_ = info.width;
                height_ = info.height;
                bits_ = 24;
                // A header can promise what the data does not hold; the size stays the
                // header's, so the picture is placed as before and shown as not decoded.
                hr = checked(path, &error_);
            }
            if (FAILED(hr)) unusable(error_);
        } catch (const std::bad_alloc&) {
            return rec(E_OUTOFMEMORY);
        }
        return rec(hr);
    }
    HOST_PROPERTY(Width)
    HOST_PROPERTY(Height)
    HOST_PROPERTY(BitsPerPixel)
    HOST_PROPERTY(Interpolate)
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
    HOST_GET_PROPERTY(FileName)

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
        with_table::describe(out);
        if (!error_.empty()) out.emplace_back("Error", error_);
    }
    // The file may have gone or changed since the resource was saved: checked again as Load
    // checks it, so that the loading document names what it cannot use.
    bool load(byte_reader& in, const ref_lookup& refs) override
    {
        if (!load_fields(in, refs) || !in.ok()) return false;
        if (file_.empty() || !pixels_.empty()) return true;
        try {
            const std::string path = native_path(file_);
            if (present(path) && FAILED(checked(path, &error_))) unusable(error_);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

private:
    void unusable(const std::string& cause) const
    {
        if (context* c = ctx()) c->note_unusable(utf8(file_), cause);
    }
    // Whether `path` names a regular file; one that does not is named as unusable.
    bool present(const std::string& path) const
    {
        struct stat st {};
        const bool found = ::stat(path.c_str(), &st) == 0;
        if (found && S_ISREG(st.st_mode)) return true;
        unusable(found ? "not a regular file" : std::strerror(errno));
        return false;
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

    std::string error_;
    mutable image_data view_;
};

struct placed_image_fields {
    com::ComPtr<IZImageResource> image_;
    rect_data rect_;
};
constexpr auto placed_image_table = std::tuple{
    field<codec::reference<IZImageResource>>("Image", &placed_image_fields::image_),
    field<codec::rect>("Rect", &placed_image_fields::rect_),
};

class placed_image
    : public table_kind<placed_image, IZPlacedImage, placed_image_fields, placed_image_table> {
public:
    HOST_REF_PROPERTY(Image)
    HRESULT get_Rect(IZRect** rect) noexcept override
    {
        auto rec = record("get_Rect");
        return rec(make_rect_view(this, &rect_, rect), part_name("rect"));
    }
    void paint(painter& p) const override
    {
        image_paint i;
        if (image_) i.image = resource_of(image_.get()).image;
        i.rect = {rect_.left, rect_.top, rect_.right, rect_.bottom};
        p.image(i);
    }
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

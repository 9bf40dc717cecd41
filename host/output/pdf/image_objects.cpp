// Image XObjects for the PDF writer. A PNG is never held decoded: its own compressed data goes
// in as it is when a PDF can take it, else its rows are deflated as they are decoded.
#include "host/output/pdf/image_objects.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include <qpdf/Buffer.hh>
#include <zlib.h>

#include "host/io/files.h"
#include "host/model/journal.h"
#include "host/output/image/decode.h"
#include "host/output/image/png_stream.h"
#include "host/output/pdf/pdf_names.h"

namespace host::pdf {
namespace {

QPDFObjectHandle image_dictionary(QPDFObjectHandle stream, LONG width, LONG height, int bits)
{
    QPDFObjectHandle d = stream.getDict();
    d.replaceKey(name::Type, QPDFObjectHandle::newName(name::XObject));
    d.replaceKey(name::Subtype, QPDFObjectHandle::newName(name::Image));
    d.replaceKey(name::Width, QPDFObjectHandle::newInteger(width));
    d.replaceKey(name::Height, QPDFObjectHandle::newInteger(height));
    d.replaceKey(name::BitsPerComponent, QPDFObjectHandle::newInteger(bits));
    return d;
}

QPDFObjectHandle indexed_space(const std::string& lookup)
{
    QPDFObjectHandle space = QPDFObjectHandle::newArray();
    space.appendItem(QPDFObjectHandle::newName(name::Indexed));
    space.appendItem(QPDFObjectHandle::newName(name::DeviceRGB));
    space.appendItem(QPDFObjectHandle::newInteger(static_cast<long long>(lookup.size() / 3) - 1));
    space.appendItem(QPDFObjectHandle::newString(lookup));
    return space;
}

std::shared_ptr<Buffer> buffer_of(const BYTE* data, std::size_t size)
{
    auto buffer = std::make_shared<Buffer>(size);
    if (size != 0) std::memcpy(buffer->getBuffer(), data, size);
    return buffer;
}

QPDFObjectHandle grey_or_rgb(int components)
{
    return QPDFObjectHandle::newName(components == 1 ? name::DeviceGray : name::DeviceRGB);
}

std::string rgb_of(OLE_COLOR c)
{
    std::string s(3, '\0');
    s[0] = static_cast<char>(c & 0xFF);
    s[1] = static_cast<char>((c >> 8) & 0xFF);
    s[2] = static_cast<char>((c >> 16) & 0xFF);
    return s;
}

// Pixels given through the resource's interface: 1 bit (two-colour palette, black and white
// without one), 8 bits (grey, or palette indices), 24 bits (R, G, B); rows padded to bytes.
QPDFObjectHandle raw_image(QPDF& out, const image_data& image, std::string* error)
{
    const LONG w = image.width, h = image.height, bits = image.bits;
    if (w <= 0 || h <= 0 || w > 65535 || h > 65535) {
        *error = "image without a size";
        return {};
    }
    if (bits != 1 && bits != 8 && bits != 24) {
        *error = "unsupported bits per pixel " + std::to_string(bits);
        return {};
    }
    const std::uint64_t row = (std::uint64_t(w) * std::uint64_t(bits) + 7) / 8;
    const std::uint64_t need = row * std::uint64_t(h);
    if (!image.pixels || image.pixels->size() < need) {
        *error = "image pixels missing: " + std::to_string(need) + " bytes needed";
        return {};
    }
    std::string data(reinterpret_cast<const char*>(image.pixels->data()), need);
    QPDFObjectHandle stream = QPDFObjectHandle::newStream(&out, data);
    QPDFObjectHandle d = image_dictionary(stream, w, h, bits == 24 ? 8 : bits);
    const std::size_t colours = image.palette ? image.palette->size() / 4 : 0;
    if (bits == 24) {
        d.replaceKey(name::ColorSpace, QPDFObjectHandle::newName(name::DeviceRGB));
    } else if (colours > 0) {
        const std::size_t used = std::min<std::size_t>(colours, bits == 1 ? 2 : 256);
        std::string lookup;
        for (std::size_t i = 0; i < used; ++i) {
            OLE_COLOR c = 0;
            for (int b = 0; b < 4; ++b) c |= OLE_COLOR((*image.palette)[i * 4 + std::size_t(b)]) << (8 * b);
            lookup += rgb_of(c);
        }
        d.replaceKey(name::ColorSpace, indexed_space(lookup));
    } else {
        d.replaceKey(name::ColorSpace, QPDFObjectHandle::newName(name::DeviceGray));
    }
    // A bitmap scaled up must keep its hard edges (a QR symbol must stay readable).
    d.replaceKey(name::Interpolate, QPDFObjectHandle::newBool(image.interpolate != 0 && bits != 1));
    return stream;
}

// A PNG's IDAT data with the PNG predictors that undo its row filters.
QPDFObjectHandle direct_png(QPDF& out, const image::png_direct& png, bool interpolate)
{
    QPDFObjectHandle stream = QPDFObjectHandle::newStream(&out);
    QPDFObjectHandle parms = QPDFObjectHandle::newDictionary();
    parms.replaceKey(name::Predictor, QPDFObjectHandle::newInteger(15));
    parms.replaceKey(name::Colors, QPDFObjectHandle::newInteger(png.colours));
    parms.replaceKey(name::BitsPerComponent, QPDFObjectHandle::newInteger(png.depth));
    parms.replaceKey(name::Columns, QPDFObjectHandle::newInteger(png.width));
    stream.replaceStreamData(buffer_of(png.data.data(), png.data.size()),
                             QPDFObjectHandle::newName(name::FlateDecode), parms);
    QPDFObjectHandle d = image_dictionary(stream, png.width, png.height, png.depth);
    if (png.indexed)
        d.replaceKey(name::ColorSpace,
                     indexed_space(std::string(png.palette.begin(), png.palette.end())));
    else
        d.replaceKey(name::ColorSpace, grey_or_rgb(png.colours));
    d.replaceKey(name::Interpolate, QPDFObjectHandle::newBool(interpolate));
    return stream;
}

// A zlib stream written a piece at a time, growing as it goes.
class plane_packer {
public:
    plane_packer() = default;
    plane_packer(const plane_packer&) = delete;
    plane_packer& operator=(const plane_packer&) = delete;
    ~plane_packer()
    {
        if (open_) deflateEnd(&z_);
    }
    bool open() noexcept { return open_ = deflateInit(&z_, Z_DEFAULT_COMPRESSION) == Z_OK; }
    bool add(const BYTE* data, std::size_t size, bool last) noexcept
    {
        if (!open_ || size > 0x40000000u) return false;
        z_.next_in = const_cast<Bytef*>(data);
        z_.avail_in = static_cast<uInt>(size);
        for (;;) {
            if (packed_.size() - used_ < 16384) {
                try {
                    packed_.resize(std::max<std::size_t>(packed_.size() * 2, used_ + 65536));
                } catch (const std::bad_alloc&) {
                    return false;
                }
            }
            const std::size_t room = std::min<std::size_t>(packed_.size() - used_, 0x40000000u);
            z_.next_out = packed_.data() + used_;
            z_.avail_out = static_cast<uInt>(room);
            const int rc = deflate(&z_, last ? Z_FINISH : Z_NO_FLUSH);
            used_ += room - z_.avail_out;
            if (rc == Z_STREAM_END) return true;
            if (rc != Z_OK && rc != Z_BUF_ERROR) return false;
            if (!last && z_.avail_in == 0) return true;
        }
    }
    // The stream, its room given back.
    std::shared_ptr<Buffer> take()
    {
        std::shared_ptr<Buffer> packed = buffer_of(packed_.data(), used_);
        std::vector<BYTE>().swap(packed_);
        return packed;
    }

private:
    z_stream z_{};
    bool open_ = false;
    std::vector<BYTE> packed_;
    std::size_t used_ = 0;
};

// Deflates the colour and alpha rows as the decoder gives them; an alpha plane that turns out
// opaque throughout is not written.
class packing_sink final : public image::png_row_sink {
public:
    bool begin(LONG width, LONG height, int components, bool alpha) noexcept override
    {
        width_ = width;
        height_ = height;
        components_ = components;
        alpha_ = alpha;
        return colour_.open() && (!alpha || mask_.open());
    }
    bool row(const BYTE* colour, const BYTE* alpha) noexcept override
    {
        const bool last = ++rows_ == height_;
        const std::size_t w = static_cast<std::size_t>(width_);
        if (!colour_.add(colour, w * static_cast<std::size_t>(components_), last)) return false;
        if (!alpha_) return true;
        for (std::size_t x = 0; x < w && opaque_; ++x) opaque_ = alpha[x] == 0xFF;
        return mask_.add(alpha, w, last);
    }
    QPDFObjectHandle xobject(QPDF& out, bool interpolate)
    {
        QPDFObjectHandle stream = QPDFObjectHandle::newStream(&out);
        stream.replaceStreamData(colour_.take(), QPDFObjectHandle::newName(name::FlateDecode),
                                 QPDFObjectHandle::newNull());
        QPDFObjectHandle d = image_dictionary(stream, width_, height_, 8);
        d.replaceKey(name::ColorSpace, grey_or_rgb(components_));
        d.replaceKey(name::Interpolate, QPDFObjectHandle::newBool(interpolate));
        if (alpha_ && !opaque_) {
            QPDFObjectHandle mask = QPDFObjectHandle::newStream(&out);
            mask.replaceStreamData(mask_.take(), QPDFObjectHandle::newName(name::FlateDecode),
                                   QPDFObjectHandle::newNull());
            QPDFObjectHandle md = image_dictionary(mask, width_, height_, 8);
            md.replaceKey(name::ColorSpace, QPDFObjectHandle::newName(name::DeviceGray));
            d.replaceKey(name::SMask, mask);
        }
        return stream;
    }

private:
    LONG width_ = 0, height_ = 0, rows_ = 0;
    int components_ = 1;
    bool alpha_ = false, opaque_ = true;
    plane_packer colour_, mask_;
};

QPDFObjectHandle png_image(QPDF& out, const std::vector<BYTE>& file, bool interpolate, std::string* error)
{
    image::png_direct direct;
    const HRESULT hr = image::png_direct_data(file.data(), file.size(), &direct, error);
    if (FAILED(hr)) return {};
    if (hr == S_OK) return direct_png(out, direct, interpolate);
    packing_sink sink;
    if (FAILED(image::read_png_rows(file.data(), file.size(), sink, error))) return {};
    return sink.xobject(out, interpolate);
}

QPDFObjectHandle file_image(QPDF& out, const image_data& image, std::string* error)
{
    std::vector<BYTE> file;
    image::info found{};
    if (FAILED(image::read_image_file(native_path(image.file), &file, &found, error))) return {};
    if (found.kind == image::format::png) return png_image(out, file, image.interpolate != 0, error);
    image::picture pic;
    const HRESULT hr = image::decode_bytes(file.data(), file.size(), true, &pic, error);
    if (FAILED(hr)) return {};
    std::vector<BYTE>().swap(file);
    QPDFObjectHandle stream;
    if (!pic.jpeg.empty()) {
        // Already compressed: the writer must leave the bytes as they are.
        stream = QPDFObjectHandle::newStream(&out);
        stream.replaceStreamData(buffer_of(pic.jpeg.data(), pic.jpeg.size()),
                                 QPDFObjectHandle::newName(name::DCTDecode), QPDFObjectHandle::newNull());
        QPDFObjectHandle d = image_dictionary(stream, pic.width, pic.height, 8);
        d.replaceKey(name::ColorSpace, grey_or_rgb(pic.components));
        return stream;
    }
    stream = QPDFObjectHandle::newStream(&out, buffer_of(pic.pixels.data(), pic.pixels.size()));
    QPDFObjectHandle d = image_dictionary(stream, pic.width, pic.height, 8);
    d.replaceKey(name::ColorSpace, grey_or_rgb(pic.components));
    d.replaceKey(name::Interpolate, QPDFObjectHandle::newBool(image.interpolate != 0));
    if (!pic.alpha.empty()) {
        QPDFObjectHandle mask = QPDFObjectHandle::newStream(&out, buffer_of(pic.alpha.data(), pic.alpha.size()));
        QPDFObjectHandle md = image_dictionary(mask, pic.width, pic.height, 8);
        md.replaceKey(name::ColorSpace, QPDFObjectHandle::newName(name::DeviceGray));
        d.replaceKey(name::SMask, mask);
    }
    return stream;
}

}  // namespace

QPDFObjectHandle image_xobject(QPDF& out, const image_data& image, std::string* error)
{
    if (image.pixels && !image.pixels->empty()) return raw_image(out, image, error);
    if (image.file.empty()) {
        *error = "image resource without a file or pixels";
        return {};
    }
    return file_image(out, image, error);
}

}  // namespace host::pdf

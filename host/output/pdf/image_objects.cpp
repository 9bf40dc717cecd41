// Image XObjects for the PDF writer.
#include "host/output/pdf/image_objects.h"

#include <cstdint>

#include "host/io/files.h"
#include "host/model/journal.h"
#include "host/output/image/decode.h"
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
        QPDFObjectHandle space = QPDFObjectHandle::newArray();
        space.appendItem(QPDFObjectHandle::newName(name::Indexed));
        space.appendItem(QPDFObjectHandle::newName(name::DeviceRGB));
        space.appendItem(QPDFObjectHandle::newInteger(static_cast<long long>(used) - 1));
        space.appendItem(QPDFObjectHandle::newString(lookup));
        d.replaceKey(name::ColorSpace, space);
    } else {
        d.replaceKey(name::ColorSpace, QPDFObjectHandle::newName(name::DeviceGray));
    }
    // A bitmap scaled up must keep its hard edges (a QR symbol must stay readable).
    d.replaceKey(name::Interpolate, QPDFObjectHandle::newBool(image.interpolate != 0 && bits != 1));
    return stream;
}

QPDFObjectHandle file_image(QPDF& out, const image_data& image, std::string* error)
{
    image::picture pic;
    const HRESULT hr = image::decode_file(native_path(image.file), true, &pic, error);
    if (FAILED(hr)) return {};
    QPDFObjectHandle stream;
    if (!pic.jpeg.empty()) {
        stream = QPDFObjectHandle::newStream(
            &out, std::string(reinterpret_cast<const char*>(pic.jpeg.data()), pic.jpeg.size()));
        QPDFObjectHandle d = image_dictionary(stream, pic.width, pic.height, 8);
        d.replaceKey(name::ColorSpace,
                     QPDFObjectHandle::newName(pic.components == 1 ? name::DeviceGray : name::DeviceRGB));
        // Already compressed: the writer must leave the bytes as they are.
        stream.replaceStreamData(
            std::string(reinterpret_cast<const char*>(pic.jpeg.data()), pic.jpeg.size()),
            QPDFObjectHandle::newName(name::DCTDecode), QPDFObjectHandle::newNull());
        return stream;
    }
    stream = QPDFObjectHandle::newStream(
        &out, std::string(reinterpret_cast<const char*>(pic.pixels.data()), pic.pixels.size()));
    QPDFObjectHandle d = image_dictionary(stream, pic.width, pic.height, 8);
    d.replaceKey(name::ColorSpace,
                 QPDFObjectHandle::newName(pic.components == 1 ? name::DeviceGray : name::DeviceRGB));
    d.replaceKey(name::Interpolate, QPDFObjectHandle::newBool(image.interpolate != 0));
    if (!pic.alpha.empty()) {
        QPDFObjectHandle mask = QPDFObjectHandle::newStream(
            &out, std::string(reinterpret_cast<const char*>(pic.alpha.data()), pic.alpha.size()));
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

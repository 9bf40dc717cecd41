// Shared steps of the image and QR code tests: an image element made by its create function
// and attached to a page of a host document, image files, and the host objects it made.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contentelements/cnt_image.h"
#include "elements/image/image.h"
#include "host/output/pdf/pdf_writer.h"
#include "tests/elements/element_support.h"

namespace element_test {

// A black 24-bit BMP of w × h pixels.
inline std::string bmp(LONG w, LONG h)
{
    const ULONG row = (static_cast<ULONG>(w) * 3 + 3) & ~3u, pixels = row * static_cast<ULONG>(h);
    bytes b{'B', 'M'};
    // File size, reserved, pixel offset; the info header's size, width, height, one plane of
    // 24 bits, no compression, the pixel bytes, 72 dpi both ways, no palette.
    for (ULONG v : {54 + pixels, 0u, 54u, 40u, static_cast<ULONG>(w), static_cast<ULONG>(h)})
        put_u32(b, v);
    put_u16(b, 1);
    put_u16(b, 24);
    for (ULONG v : {0u, pixels, 2835u, 2835u, 0u, 0u}) put_u32(b, v);
    b.resize(b.size() + pixels, 0);
    return std::string(b.begin(), b.end());
}

// A one-page PDF of pw × ph points, written by the engine.
inline std::string pdf(int pw, int ph)
{
    host::document source;
    EXPECT_EQ(source.add_page(pw, ph, 72), S_OK);
    std::string out, message;
    EXPECT_EQ(host::pdf::write_pdf_bytes(source.model(), {}, &out, nullptr, &message), S_OK) << message;
    return out;
}

// A stored document of one empty page, w × h at `resolution`, saved to `path`.
inline void stored_document(const std::string& path, LONG w, LONG h, LONG resolution)
{
    host::document d;
    ASSERT_EQ(d.add_page(w, h, resolution), S_OK);
    ASSERT_EQ(d.save(path), S_OK);
}

// Left, top, right, bottom of a placed object's rectangle.
inline std::vector<std::string> rect_of(const host::object_view& v)
{
    return {property(v, "Rect.Left"), property(v, "Rect.Top"), property(v, "Rect.Right"),
            property(v, "Rect.Bottom")};
}

// A host document with one page and image elements attached to it.
class image_page : public page_fixture {
protected:
    com::ComPtr<IZCntElementImage> image(bool attached = true)
    {
        auto made = made_by<IZCntElementImage>(cnt::create_image);
        if (attached && made) {
            EXPECT_EQ(attach(made.get()), S_OK);
        }
        return made;
    }
    // An attached image at left, top, width and height.
    com::ComPtr<IZCntElementImage> image_at(LONG l, LONG t, LONG w, LONG h)
    {
        auto made = image();
        if (made) {
            EXPECT_EQ(made->SetPosition(l, t, w, h), S_OK);
        }
        return made;
    }
    // An image resource of the page with only a size, as a host object an element may link.
    LONG raw_image(LONG w, LONG h)
    {
        com::ComPtr<IDispatch> list;
        doc.resources(1, list.put());
        com::ComPtr<IZResourceList> resources;
        list->QueryInterface(IZResourceList::iid, resources.put_void());
        com::ComPtr<IDispatch> made;
        resources->Create(zeKindImageResource, made.put());
        com::ComPtr<IZImageResource> image;
        made->QueryInterface(IZImageResource::iid, image.put_void());
        image->put_Width(w);
        image->put_Height(h);
        LONG id = 0;
        resources->Add(*com::Variant::from_unknown(image.get()).get(), &id);
        return id;
    }
    // The element's page objects of one kind.
    std::vector<host::object_view> of_kind(const std::string& kind) const
    {
        return doc.find(1, kind);
    }

    scratch files;
};

}  // namespace element_test

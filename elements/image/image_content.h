// What an image element makes in the host for its content and border: the content kind chosen
// from ImageFile (a QR source, a stored document, a PDF file or a raster image), its host
// objects created and placed with that kind's fitting rule, and the optional border shape.
// Ids of everything made go to the element's lists in order of creation.
#pragma once

#include "contentelements/zprint_page.h"
#include "core/element_state.h"
#include "elements/qrcode/qr_source.h"
#include "elements/qrcode/qrcode.h"

namespace cnt::image {

// One rebuild's view of the element: its state, its content settings and the host lists.
struct content_inputs {
    element_state& state;
    BSTR file;                   // ImageFile
    VARIANT_BOOL keep;           // MaintainAspectRatio
    LONG linked_id;              // negative: a host object that supplies the content
    SHORT margin;                // QR quiet zone
    LONG level;                  // QR error correction
    IZPageObjectList* objects;
    IZResourceList* resources;
    IDispatch* document;         // may be null
};

class content_builder final : public qrcode::placement {
public:
    explicit content_builder(const content_inputs& in) noexcept : in_(in) {}

    // S_OK, S_FALSE for an empty QR text, E_INVALIDARG for a missing file without a linked
    // object, E_UNEXPECTED for anything the host refused, E_OUTOFMEMORY.
    HRESULT build_content() noexcept;
    // A stroked rectangle over the bounds as they stand, unless the colour is no_colour.
    HRESULT add_border(OLE_COLOR colour) noexcept;

    HRESULT create_image(com::ComPtr<IZImageResource>* out) noexcept override;
    HRESULT load_document(BSTR file, com::ComPtr<IZStoredDocument>* out) noexcept override;
    HRESULT place_image(IZImageResource* image, rect* r, bool keep) noexcept override;
    HRESULT place_page(IZStoredDocument* document, rect* r, bool keep, LONG* width,
                       LONG* height) noexcept override;
    rect& bounds() noexcept override { return in_.state.position; }

private:
    HRESULT raster(IDispatch* existing) noexcept;
    HRESULT pdf_page(IDispatch* existing) noexcept;
    HRESULT stored_page(IDispatch* existing) noexcept;
    HRESULT file_content(IDispatch* existing) noexcept;

    content_inputs in_;
};

}  // namespace cnt::image

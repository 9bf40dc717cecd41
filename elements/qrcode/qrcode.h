// The QR branch of an image element's content: the element lends what it knows how to do
// with the host (make an image resource, load a stored document, place either into a
// rectangle with its fitting rule), and the QR code decides what to make and where.
#pragma once

#include <string_view>

#include "contentelements/zprint_objects.h"
#include "core/element_state.h"
#include "platform/com/com_ptr.h"

namespace cnt::qrcode {

class placement {
public:
    // An image resource made in the resource list, its id kept by the element.
    virtual HRESULT create_image(com::ComPtr<IZImageResource>* out) noexcept = 0;
    // A stored document made in the resource list (id kept) and told to load `file`.
    virtual HRESULT load_document(BSTR file, com::ComPtr<IZStoredDocument>* out) noexcept = 0;
    // The image placed into *r, which shrinks to the fitted size (top-left kept).
    virtual HRESULT place_image(IZImageResource* image, rect* r, bool keep) noexcept = 0;
    // The document's first page placed into *r (fitted likewise); *width and *height get the
    // page's size in tenths of a millimetre.
    virtual HRESULT place_page(IZStoredDocument* document, rect* r, bool keep, LONG* width,
                               LONG* height) noexcept = 0;
    // The element's bounds, which the placements may fit.
    virtual rect& bounds() noexcept = 0;

protected:
    ~placement() = default;
};

struct settings {
    SHORT margin = 1;  // quiet zone in modules
    LONG level = 0;    // error correction, 0 to 3
    bool keep = true;  // MaintainAspectRatio
};

// Builds the QR code for `image_file` (which begins with "qrcode"). S_FALSE when the text is
// empty (nothing made); E_UNEXPECTED for a malformed source, a configuration not found, a text
// no symbol holds or a failed placement; E_OUTOFMEMORY.
HRESULT build(std::u16string_view image_file, const settings& how, placement& to) noexcept;

}  // namespace cnt::qrcode

// Which kinds the lists create, and the creation by kind.
#include "host/kinds/factory.h"

namespace host {

bool is_page_object_kind(LONG kind) noexcept
{
    return kind == zeKindTextObject || kind == zeKindShape || kind == zeKindPlacedImage ||
           kind == zeKindLink || kind == zeKindPlacedDocumentPage;
}

bool is_resource_kind(LONG kind) noexcept
{
    return kind == zeKindImageResource || kind == zeKindFont || kind == zeKindClipFrame ||
           kind == zeKindLineStyle || kind == zeKindStoredDocument;
}

bool lists_as_page_object(LONG kind) noexcept
{
    return is_page_object_kind(kind) || kind == zeKindPlacedPdfPage;
}

bool lists_as_resource(LONG kind) noexcept
{
    return is_resource_kind(kind) || kind == zeKindPdfDocument;
}

// Every kind a .pjd file can hold, the class-made ones included.
HRESULT create_host_object(const std::shared_ptr<context>& ctx, LONG kind, LONG page_id,
                           IDispatch** out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    switch (kind) {
    case zeKindTextObject: return make_text_object(ctx, page_id, out);
    case zeKindShape: return make_shape(ctx, page_id, out);
    case zeKindPlacedImage: return make_placed_image(ctx, page_id, out);
    case zeKindLink: return make_link(ctx, page_id, out);
    case zeKindPlacedDocumentPage: return make_placed_page(ctx, page_id, out);
    case zeKindImageResource: return make_image_resource(ctx, page_id, out);
    case zeKindFont: return make_font(ctx, page_id, out);
    case zeKindClipFrame: return make_clip_frame(ctx, page_id, out);
    case zeKindLineStyle: return make_line_style(ctx, page_id, out);
    case zeKindStoredDocument: return make_stored_document(ctx, page_id, out);
    case zeKindPlacedPdfPage: return make_placed_pdf_page(ctx, page_id, out);
    case zeKindPdfDocument: return make_pdf_document(ctx, page_id, out);
    default: return E_INVALIDARG;
    }
}

}  // namespace host

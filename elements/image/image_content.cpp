// The image element's content and border, as host objects.
#include "elements/image/image_content.h"

#include <new>
#include <string>

#include "core/colour.h"
#include "core/host_objects.h"
#include "elements/image/image_fit.h"
#include "platform/com/codepage.h"
#include "platform/com/com.h"
#include "support/path.h"

namespace cnt::image {
namespace {

// In-process server, in-process handler, local server and remote server.
constexpr DWORD kClassContext = 0x17;
constexpr LONG kDefaultResolution = 300;
constexpr LONG kDefaultSide = 500;  // 50 mm, in tenths of a millimetre

std::u16string_view view(BSTR s) noexcept { return com::bstr_view(s); }

bool same_no_case(const std::string& a, const char* b) noexcept
{
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (x != y) return false;
    }
    return i == a.size() && !b[i];
}

// Left, right, top and bottom, in that order, onto a placed object's rectangle.
HRESULT set_rect(IZRect* r, const rect& to) noexcept
{
    if (!r) return E_UNEXPECTED;
    r->put_Left(to.left);
    r->put_Right(to.right);
    r->put_Top(to.top);
    r->put_Bottom(to.bottom);
    return S_OK;
}

void apply(rect* r, const extent& e) noexcept
{
    r->right = wrap_add(r->left, e.width);
    r->bottom = wrap_add(r->top, e.height);
}

}  // namespace

HRESULT content_builder::build_content() noexcept
{
    element_state& s = in_.state;
    com::ComPtr<IDispatch> existing;
    if (in_.document && in_.linked_id < 0) {
        com::ComPtr<IZDocument> doc;
        in_.document->QueryInterface(IZDocument::iid, doc.put_void());
        if (doc) doc->LookUp(in_.linked_id, existing.put());
    }
    const bool qr = qrcode::is_qr_source(view(in_.file));

    LONG res = kDefaultResolution;
    s.page->get_Resolution(&res);
    // An empty side takes 50 mm at the page's resolution; the element keeps the new size.
    const LONG side = divide(wrap_mul(res, kDefaultSide), 254);
    rect& b = s.position;
    if (b.right == b.left) b.right = wrap_add(b.left, side);
    if (b.bottom == b.top) b.bottom = wrap_add(b.top, side);

    if (qr) {
        const qrcode::settings how{in_.margin, in_.level, in_.keep != 0};
        return qrcode::build(view(in_.file), how, *this);
    }
    return file_content(existing.get());
}

HRESULT content_builder::file_content(IDispatch* existing) noexcept
{
    std::string extension;
    try {
        const std::string ansi = com::to_ansi(view(in_.file));
        const CPath path(ansi.c_str());
        if (!existing && !path.FileExists()) return E_INVALIDARG;
        extension = path.GetExtension();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    HRESULT hr;
    if (same_no_case(extension, "pjd"))
        hr = stored_page(existing);
    else if (same_no_case(extension, "pdf"))
        hr = pdf_page(existing);
    else
        hr = raster(existing);
    return FAILED(hr) ? E_UNEXPECTED : S_OK;
}

HRESULT content_builder::raster(IDispatch* existing) noexcept
{
    com::ComPtr<IZImageResource> image;
    if (existing) {
        if (FAILED(existing->QueryInterface(IZImageResource::iid, image.put_void())) || !image)
            return E_UNEXPECTED;
    } else {
        RETURN_IF_FAILED(create_image(&image));
        // What the file holds shows in the size the placement asks for next.
        image->Load(in_.file, -1);
    }
    return place_image(image.get(), &in_.state.position, in_.keep != 0);
}

HRESULT content_builder::pdf_page(IDispatch* existing) noexcept
{
    element_state& s = in_.state;
    com::ComPtr<IZPdfDocument> pdf;
    if (existing) {
        if (FAILED(existing->QueryInterface(IZPdfDocument::iid, pdf.put_void())) || !pdf)
            return E_UNEXPECTED;
    } else {
        if (FAILED(CoCreateInstance(CLSID_ZPdfDocument, nullptr, kClassContext,
                                    IZPdfDocument::iid, pdf.put_void())) ||
            !pdf)
            return E_UNEXPECTED;
        // The resource list knows the document both as a resource with an id and as an
        // object. Only the id is taken back when the rebuild fails, so the document becomes
        // an object only once it has a page to place: a file that does not open, or has no
        // such page, leaves nothing behind.
        LONG id = 0;
        in_.resources->Add(detail::unknown_variant(pdf.get()), &id);
        RETURN_IF_FAILED(detail::append_id(s.resource_ids, id));
        com::Bstr no_password(u"");
        if (FAILED(pdf->Open(in_.file, 0, no_password.get()))) return E_UNEXPECTED;
    }
    LONG count = 0;
    pdf->get_PageCount(&count);
    if (count <= 0) return E_UNEXPECTED;
    double pw = 0, ph = 0;
    pdf->GetPageSize(1, &pw, &ph);
    if (pw == 0 || ph == 0) return E_UNEXPECTED;
    if (!existing) {
        com::ComPtr<IZObject> as_object;
        pdf->QueryInterface(IZObject::iid, as_object.put_void());
        in_.resources->AddObject(as_object.get());
    }

    com::ComPtr<IZPlacedPdfPage> placed;
    if (FAILED(CoCreateInstance(CLSID_ZPlacedPdfPage, nullptr, kClassContext,
                                IZPlacedPdfPage::iid, placed.put_void())) ||
        !placed)
        return E_UNEXPECTED;
    com::ComPtr<IZElement> as_element;
    if (FAILED(placed->QueryInterface(IZElement::iid, as_element.put_void())) || !as_element)
        return E_UNEXPECTED;
    in_.objects->AddElement(as_element.get());
    LONG id = 0;
    in_.objects->Add(detail::unknown_variant(as_element.get()), &id);
    RETURN_IF_FAILED(detail::append_id(s.page_object_ids, id));
    placed->putref_Document(pdf.get());
    as_element->Attach(in_.objects, in_.resources, in_.document);
    placed->put_PageNumber(1);

    rect& b = s.position;
    const extent e = fit_pdf(wrap_sub(b.right, b.left), wrap_sub(b.bottom, b.top), pw, ph,
                             in_.keep != 0);
    apply(&b, e);
    placed->put_KeepAspectRatio(in_.keep);
    placed->SetPosition(b.left, b.top, e.width, e.height);
    return S_OK;
}

HRESULT content_builder::stored_page(IDispatch* existing) noexcept
{
    com::ComPtr<IZStoredDocument> document;
    if (existing) {
        if (FAILED(existing->QueryInterface(IZStoredDocument::iid, document.put_void())) ||
            !document)
            return E_UNEXPECTED;
    } else {
        RETURN_IF_FAILED(load_document(in_.file, &document));
    }
    LONG tw = 0, th = 0;
    return place_page(document.get(), &in_.state.position, in_.keep != 0, &tw, &th);
}

HRESULT content_builder::create_image(com::ComPtr<IZImageResource>* out) noexcept
{
    return create_resource(in_.resources, zeKindImageResource, in_.state.resource_ids, out);
}

HRESULT content_builder::load_document(BSTR file, com::ComPtr<IZStoredDocument>* out) noexcept
{
    RETURN_IF_FAILED(
        create_resource(in_.resources, zeKindStoredDocument, in_.state.resource_ids, out));
    // A document that does not load has no page, and placing it fails.
    (*out)->Load(file, 0);
    return S_OK;
}

HRESULT content_builder::place_image(IZImageResource* image, rect* r, bool keep) noexcept
{
    LONG iw = 0, ih = 0;
    image->get_Width(&iw);
    image->get_Height(&ih);
    if (iw == 0 || ih == 0) return E_UNEXPECTED;
    com::ComPtr<IZPlacedImage> placed;
    RETURN_IF_FAILED(
        create_page_object(in_.objects, zeKindPlacedImage, in_.state.page_object_ids, &placed));
    placed->putref_Image(image);
    placed->Attach(in_.objects, in_.resources, in_.document);
    apply(r, fit_raster(wrap_sub(r->right, r->left), wrap_sub(r->bottom, r->top), iw, ih, keep));
    com::ComPtr<IZRect> where;
    placed->get_Rect(where.put());
    return set_rect(where.get(), *r);
}

HRESULT content_builder::place_page(IZStoredDocument* document, rect* r, bool keep, LONG* width,
                                    LONG* height) noexcept
{
    com::ComPtr<IZPageList> pages;
    if (document) document->get_Pages(pages.put());
    if (!pages) return E_UNEXPECTED;
    com::ComPtr<IZPrintContentPage> first;
    pages->get_Item(1, first.put());
    if (!first) return E_UNEXPECTED;
    LONG pw = 0, ph = 0, rp = 0;
    first->get_Width(&pw);
    first->get_Height(&ph);
    first->get_Resolution(&rp);
    if (pw == 0 || ph == 0 || rp == 0) return E_UNEXPECTED;
    *width = divide(wrap_mul(pw, 254), rp);
    *height = divide(wrap_mul(ph, 254), rp);

    com::ComPtr<IZPlacedDocumentPage> placed;
    RETURN_IF_FAILED(create_page_object(in_.objects, zeKindPlacedDocumentPage,
                                        in_.state.page_object_ids, &placed));
    placed->putref_Document(document);
    placed->Attach(in_.objects, in_.resources, in_.document);
    placed->put_PageNumber(1);
    apply(r, fit_stored_page(wrap_sub(r->right, r->left), wrap_sub(r->bottom, r->top), pw, ph,
                             keep));
    com::ComPtr<IZRect> where;
    placed->get_Rect(where.put());
    return set_rect(where.get(), *r);
}

HRESULT content_builder::add_border(OLE_COLOR colour) noexcept
{
    if (colour == no_colour) return S_OK;
    com::ComPtr<IZShape> shape;
    RETURN_IF_FAILED(
        create_page_object(in_.objects, zeKindShape, in_.state.page_object_ids, &shape));
    shape->put_PaintMode(zeShapePaintStroke);
    shape->put_StrokeColor(colour);
    com::ComPtr<IZPath> path;
    shape->get_Path(path.put());
    if (!path) return E_UNEXPECTED;
    const rect& b = in_.state.position;
    path->Rectangle(b.left, b.top, b.right, b.bottom);
    return S_OK;
}

}  // namespace cnt::image

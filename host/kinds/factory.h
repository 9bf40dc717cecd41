// Creation of the host objects by kind, as the page object list and the resource list offer it.
#pragma once

#include <memory>

#include "host/kinds/host_object.h"

namespace host {

class document_core;

// Which list creates which kinds.
bool is_page_object_kind(LONG kind) noexcept;
bool is_resource_kind(LONG kind) noexcept;
// Which list takes which kinds: those it creates, and the ones made by class id.
bool lists_as_page_object(LONG kind) noexcept;
bool lists_as_resource(LONG kind) noexcept;

// *out := a new host object of `kind` for the page `page_id`; E_INVALIDARG for a kind the
// engine does not make.
HRESULT create_host_object(const std::shared_ptr<context>& ctx, LONG kind, LONG page_id,
                           IDispatch** out) noexcept;

// One creator per kind file.
HRESULT make_shape(const std::shared_ptr<context>& ctx, LONG page_id, IDispatch** out) noexcept;
HRESULT make_line_style(const std::shared_ptr<context>& ctx, LONG page_id, IDispatch** out) noexcept;
HRESULT make_text_object(const std::shared_ptr<context>& ctx, LONG page_id, IDispatch** out) noexcept;
HRESULT make_font(const std::shared_ptr<context>& ctx, LONG page_id, IDispatch** out) noexcept;
HRESULT make_clip_frame(const std::shared_ptr<context>& ctx, LONG page_id, IDispatch** out) noexcept;
HRESULT make_link(const std::shared_ptr<context>& ctx, LONG page_id, IDispatch** out) noexcept;
HRESULT make_image_resource(const std::shared_ptr<context>& ctx, LONG page_id,
                            IDispatch** out) noexcept;
HRESULT make_placed_image(const std::shared_ptr<context>& ctx, LONG page_id, IDispatch** out) noexcept;
HRESULT make_stored_document(const std::shared_ptr<context>& ctx, LONG page_id,
                             IDispatch** out) noexcept;
HRESULT make_placed_page(const std::shared_ptr<context>& ctx, LONG page_id, IDispatch** out) noexcept;
HRESULT make_pdf_document(const std::shared_ptr<context>& ctx, LONG page_id, IDispatch** out) noexcept;
HRESULT make_placed_pdf_page(const std::shared_ptr<context>& ctx, LONG page_id,
                             IDispatch** out) noexcept;

// Puts the PDF document and placed PDF page classes into the process's class table (once).
HRESULT register_engine_classes() noexcept;

// Makes a T, binds it to the document and hands out its IDispatch.
template <typename T>
HRESULT make_kind(const std::shared_ptr<context>& ctx, LONG kind, LONG page_id,
                  IDispatch** out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    T* made = nullptr;
    RETURN_IF_FAILED(com::make<T>(&made));
    made->bind(ctx, kind, page_id);
    *out = made;
    return S_OK;
}

// Reads a reference of a .pjd record: null for serial 0; false when the serial names nothing
// or an object without the interface.
template <typename I>
bool load_ref(byte_reader& in, const ref_lookup& refs, com::ComPtr<I>* out)
{
    out->reset();
    std::uint32_t serial = in.u32();
    if (!in.ok() || serial == 0) return in.ok();
    IUnknown* object = refs.object(serial);
    if (!object) return false;
    return SUCCEEDED(object->QueryInterface(I::iid, out->put_void())) && *out;
}

}  // namespace host

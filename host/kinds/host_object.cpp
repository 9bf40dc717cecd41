// The common part of the host objects: names, kind, Attach, and the shared helpers.
#include "host/kinds/host_object.h"

#include "host/output/paint.h"

#include <cstdio>

namespace host {

host_object* host_object_of(IUnknown* object) noexcept
{
    if (!object) return nullptr;
    com::ComPtr<IHostObject> hook;
    if (FAILED(object->QueryInterface(IHostObject::iid, hook.put_void())) || !hook) return nullptr;
    return hook->host_self();
}

resource_info resource_of(IUnknown* object) noexcept
{
    resource_info info;
    if (host_object* h = host_object_of(object)) h->resource(info);
    return info;
}

const char* kind_name(LONG kind) noexcept
{
    switch (kind) {
    case zeKindTextObject: return "text";
    case zeKindShape: return "shape";
    case zeKindPlacedImage: return "placed_image";
    case zeKindLink: return "link";
    case zeKindPlacedDocumentPage: return "placed_page";
    case zeKindImageResource: return "image";
    case zeKindFont: return "font";
    case zeKindClipFrame: return "clip";
    case zeKindLineStyle: return "line_style";
    case zeKindStoredDocument: return "stored_document";
    case zeKindPlacedPdfPage: return "placed_pdf_page";
    case zeKindPdfDocument: return "pdf_document";
    default: return "object";
    }
}

std::string host_object::name() const
{
    std::string n = kind_name(kind_);
    if (id_ != 0) {
        n += '#';
        n += std::to_string(id_);
    } else {
        n += '~';
        n += std::to_string(serial_);
    }
    return n;
}

void host_object::bind(std::shared_ptr<context> ctx, LONG kind, LONG page_id) noexcept
{
    ctx_ = std::move(ctx);
    kind_ = static_cast<std::int16_t>(kind);  // only the factory's known kinds come here
    page_id_ = page_id;
    if (ctx_) {
        serial_ = ctx_->next_serial++;
        live_next_ = ctx_->first_live;
        if (live_next_) live_next_->live_prev_ = this;
        ctx_->first_live = this;
        ++ctx_->live_count;
    }
}

host_object::~host_object()
{
    if (!ctx_) return;
    if (live_prev_)
        live_prev_->live_next_ = live_next_;
    else
        ctx_->first_live = live_next_;
    if (live_next_) live_next_->live_prev_ = live_prev_;
    --ctx_->live_count;
}

HRESULT host_object::object_kind(LONG* kind) noexcept
{
    auto rec = record("GetObjectKind");
    if (!kind) return rec(E_POINTER);
    *kind = kind_;
    return rec(S_OK, *kind);
}

HRESULT host_object::attach(IDispatch* page_objects, IDispatch* resources,
                            IDispatch* document) noexcept
{
    auto rec = record("Attach", ref(page_objects), ref(resources), ref(document));
    attached_ = true;
    return rec(S_OK);
}

HRESULT copy_out(const std::u16string& text, BSTR* out) noexcept
{
    if (!out) return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

std::u16string from_bstr(BSTR text) { return std::u16string(com::bstr_view(text)); }

std::string number(LONG v) { return std::to_string(v); }

std::string colour(OLE_COLOR v)
{
    std::string s;
    append_value(s, static_cast<ULONG>(v));
    return s;
}

std::string real(double v)
{
    std::string s;
    append_value(s, v);
    return s;
}

std::string quoted(const std::u16string& text) { return utf8(text); }

}  // namespace host

// The C++ face of the engine.
#include "host/engine.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>
#include <utility>

#include "host/input/pdf_text.h"
#include "host/kinds/host_object.h"
#include "host/model/document_object.h"
#include "host/model/element_view.h"
#include "host/model/words.h"
#include "host/output/pdf/overlay.h"
#include "host/pjd/pjd.h"

namespace host {

namespace {

object_view view_of(const list_entry& e, context& ctx)
{
    object_view v;
    v.id = e.id;
    if (host_object* h = host_object_of(e.identity.get())) {
        v.kind = kind_name(h->kind());
        h->describe(v.properties);
        return v;
    }
    com::ComPtr<IZElement> element;
    e.identity->QueryInterface(IZElement::iid, element.put_void());
    com::ComPtr<IZObject> object;
    if (!element) e.identity->QueryInterface(IZObject::iid, object.put_void());
    v.kind = element ? "element" : "object";
    LONG kind = 0;
    if ((element && SUCCEEDED(element->GetObjectKind(&kind))) ||
        (object && SUCCEEDED(object->GetObjectKind(&kind))))
        v.properties.emplace_back("ObjectKind", std::to_string(kind));
    com::ComPtr<IPersist> persist;
    e.identity->QueryInterface(IPersist::iid, persist.put_void());
    CLSID clsid{};
    if (persist && SUCCEEDED(persist->GetClassID(&clsid))) {
        OLECHAR buffer[40] = {};
        StringFromGUID2(clsid, buffer, 40);
        v.properties.emplace_back("ClassID", utf8(buffer));
    }
    LONG l = 0, t = 0, r = 0, b = 0;
    if (element && SUCCEEDED(element->GetBounds(&l, &t, &r, &b)))
        v.properties.emplace_back("Bounds", std::to_string(l) + "," + std::to_string(t) + "," +
                                                std::to_string(r) + "," + std::to_string(b));
    (void)ctx;
    return v;
}

}  // namespace

document::document()
{
    com::ComPtr<document_object> made;
    if (SUCCEEDED(make_document(&made))) doc_ = made.detach();
}

document::~document() { close(); }

document::document(document&& other) noexcept : doc_(std::exchange(other.doc_, nullptr)) {}

document& document::operator=(document&& other) noexcept
{
    if (this != &other) {
        close();
        doc_ = std::exchange(other.doc_, nullptr);
    }
    return *this;
}

void document::close() noexcept
{
    if (!doc_) return;
    doc_->close();
    std::exchange(doc_, nullptr)->Release();
}

HRESULT document::add_page(LONG width, LONG height, LONG resolution, LONG* number) noexcept
{
    if (!doc_) return E_OUTOFMEMORY;
    class page* made = nullptr;
    RETURN_IF_FAILED(doc_->new_page(width, height, resolution, 0, &made));
    made->Release();
    if (number) *number = static_cast<LONG>(doc_->pages().size());
    return S_OK;
}

LONG document::page_count() const noexcept
{
    return doc_ ? static_cast<LONG>(doc_->pages().size()) : 0;
}

LONG document::page_id(LONG number) const noexcept
{
    if (!doc_ || number < 1 || number > page_count()) return 0;
    return doc_->pages()[static_cast<std::size_t>(number - 1)]->id();
}

namespace {
class page* page_at(document_object* doc, LONG number) noexcept
{
    if (!doc || number < 1 || number > static_cast<LONG>(doc->pages().size())) return nullptr;
    return doc->pages()[static_cast<std::size_t>(number - 1)].get();
}
}  // namespace

HRESULT document::page(LONG number, IDispatch** out) const noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    class page* p = page_at(doc_, number);
    if (!p) return E_INVALIDARG;
    return p->QueryInterface(IDispatch::iid, reinterpret_cast<void**>(out));
}

HRESULT document::page_objects(LONG number, IDispatch** out) const noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    class page* p = page_at(doc_, number);
    if (!p) return E_INVALIDARG;
    *out = p->object_list();
    (*out)->AddRef();
    return S_OK;
}

HRESULT document::attach(LONG number, IUnknown* element) const noexcept
{
    class page* p = page_at(doc_, number);
    com::ComPtr<IZElement> as_element;
    if (element) element->QueryInterface(IZElement::iid, as_element.put_void());
    if (!p || !as_element) return E_INVALIDARG;
    return attach_through_view(p, as_element.get(), doc_);
}

HRESULT document::resources(LONG number, IDispatch** out) const noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    class page* p = page_at(doc_, number);
    if (!p) return E_INVALIDARG;
    *out = p->resource_list_part();
    (*out)->AddRef();
    return S_OK;
}

HRESULT document::dispatch(IDispatch** out) const noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!doc_) return E_UNEXPECTED;
    return doc_->QueryInterface(IDispatch::iid, reinterpret_cast<void**>(out));
}

std::vector<object_view> document::objects(LONG number) const
{
    std::vector<object_view> out;
    class page* p = page_at(doc_, number);
    if (!p) return out;
    for (const list_entry& e : p->objects().entries()) out.push_back(view_of(e, p->ctx()));
    return out;
}

std::vector<object_view> document::resource_objects(LONG number) const
{
    std::vector<object_view> out;
    class page* p = page_at(doc_, number);
    if (!p) return out;
    for (const list_entry& e : p->resources().entries()) out.push_back(view_of(e, p->ctx()));
    for (const list_entry& e : p->resources().unlisted()) out.push_back(view_of(e, p->ctx()));
    return out;
}

std::vector<object_view> document::find(LONG number, std::string_view kind) const
{
    std::vector<object_view> out;
    for (auto& v : objects(number))
        if (v.kind == kind) out.push_back(std::move(v));
    for (auto& v : resource_objects(number))
        if (v.kind == kind) out.push_back(std::move(v));
    return out;
}

std::vector<element_view> document::elements(LONG number) const
{
    std::vector<element_view> out;
    class page* p = page_at(doc_, number);
    if (!p) return out;
    auto is_element = [](IUnknown* o) {
        com::ComPtr<IUnknown> probe;
        if (SUCCEEDED(o->QueryInterface(IZElement::iid, probe.put_void()))) return true;
        return SUCCEEDED(o->QueryInterface(IPersistStreamInit::iid, probe.put_void()));
    };
    // The identities already in `out`; an element given twice is shown once.
    std::unordered_set<IUnknown*> shown;
    for (const list_entry& e : p->objects().entries())
        if (!host_object_of(e.identity.get()) && is_element(e.identity.get())) {
            out.push_back({e.id, e.identity});
            shown.insert(e.identity.get());
        }
    for (const auto& e : p->elements()) {
        com::ComPtr<IUnknown> identity;
        e->QueryInterface(IID_IUnknown, identity.put_void());
        if (identity && shown.count(identity.get())) continue;
        if (identity) shown.insert(identity.get());
        out.push_back({0, identity});
    }
    return out;
}

std::vector<com::ComPtr<IDispatch>> document::document_objects() const
{
    if (!doc_) return {};
    return doc_->items();
}

host::journal& document::journal() noexcept
{
    static host::journal empty;  // only for a document that could not be made
    return doc_ ? doc_->ctx().log : empty;
}

std::vector<unusable_file> document::unusable_files() const
{
    if (!doc_) return {};
    return doc_->ctx().unusable_files;
}

HRESULT document::save_bytes(std::vector<BYTE>* bytes, std::string* message) const noexcept
{
    if (!doc_) return E_UNEXPECTED;
    if (!bytes) return E_POINTER;
    return pjd_save(doc_, bytes, message);
}

HRESULT document::save(const std::string& path, std::string* message) const noexcept
{
    std::vector<BYTE> bytes;
    RETURN_IF_FAILED(save_bytes(&bytes, message));
    return pjd_write_file(path, bytes, message);
}

HRESULT document::write_pdf(const std::string& path, const pdf::write_options& options,
                            pdf::write_report* report, std::string* message) const noexcept
{
    return pdf::write_pdf(doc_, path, options, report, message);
}

HRESULT document::add_pdf_pages(const std::string& path, LONG resolution,
                                std::string* message) noexcept
{
    std::string ignored;
    if (!message) message = &ignored;
    std::vector<input::pdf_page_text> pages;
    RETURN_IF_FAILED(input::read_pdf_text(path, &pages, message));
    return add_pdf_pages(std::move(pages), path, resolution, message);
}

HRESULT document::add_pdf_pages(const std::vector<input::pdf_page_text>& pages,
                                const std::string& path, LONG resolution,
                                std::string* message) noexcept
{
    std::string ignored;
    if (!message) message = &ignored;
    try {
        std::vector<input::pdf_page_text> copy(pages);
        return add_pdf_pages(std::move(copy), path, resolution, message);
    } catch (const std::bad_alloc&) {
        *message = "out of memory for the pages of " + path;
        return E_OUTOFMEMORY;
    }
}

HRESULT document::add_pdf_pages(std::vector<input::pdf_page_text>&& pages,
                                const std::string& path, LONG resolution,
                                std::string* message) noexcept
{
    std::string ignored;
    if (!message) message = &ignored;
    if (!doc_) return E_OUTOFMEMORY;
    if (resolution < 72 || resolution > 7200) {
        *message = "a resolution of " + std::to_string(resolution) + " units per inch is outside 72 to 7200";
        return E_INVALIDARG;
    }
    try {
        const double scale = resolution / 72.0;
        auto units = [scale](double points) {
            return static_cast<LONG>(std::lround(std::clamp(points * scale, -1e9, 1e9)));
        };
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (units(pages[i].width) <= 0 || units(pages[i].height) <= 0) {
                *message = "page " + std::to_string(i + 1) + " of " + path + " has no size";
                return E_INVALIDARG;
            }
        }
        // The words move to their pages, and each page's list read goes once moved: a long
        // document's words are never held twice.
        for (input::pdf_page_text& p : pages) {
            LONG number = 0;
            RETURN_IF_FAILED(add_page(units(p.width), units(p.height), resolution, &number));
            std::vector<word>& words = page_at(doc_, number)->words();
            words.reserve(words.size() + p.words.size());
            for (input::pdf_word& w : p.words)
                words.push_back({std::move(w.text), units(w.left), units(w.top), units(w.right),
                                 units(w.bottom), 0});
            std::vector<input::pdf_word>().swap(p.words);
        }
    } catch (const std::bad_alloc&) {
        *message = "out of memory for the pages of " + path;
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT document::write_pdf_over(const std::string& input, const pdf::write_options& options,
                                 std::string* bytes, pdf::write_report* report,
                                 std::string* message) const noexcept
{
    std::string ignored;
    if (!message) message = &ignored;
    if (!bytes) return E_POINTER;
    std::string layer;
    RETURN_IF_FAILED(pdf::write_pdf_bytes(doc_, options, &layer, report, message));
    std::vector<std::string> warnings;
    RETURN_IF_FAILED(pdf::overlay_pdf(input, layer, bytes, &warnings, message));
    if (report) {
        try {
            for (std::string& w : warnings) report->warnings.push_back(std::move(w));
            report->bytes = bytes->size();
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    return S_OK;
}

HRESULT document::set_original(const original_pdf& original) noexcept
{
    if (!doc_) return E_OUTOFMEMORY;
    if (original.file.empty() != original.key.empty()) return E_INVALIDARG;
    try {
        doc_->original_file() = original.file;
        doc_->original_key() = original.key;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

document::original_pdf document::original() const
{
    if (!doc_) return {};
    return {doc_->original_file(), doc_->original_key()};
}

HRESULT document::load_bytes(const BYTE* data, std::size_t size, document* out,
                             std::string* message) noexcept
{
    if (!out) return E_POINTER;
    com::ComPtr<document_object> loaded;
    RETURN_IF_FAILED(pjd_load(data, size, false, &loaded, message));
    out->close();
    out->doc_ = loaded.detach();
    return S_OK;
}

HRESULT document::load(const std::string& path, document* out, std::string* message) noexcept
{
    if (!out) return E_POINTER;
    std::vector<BYTE> bytes;
    RETURN_IF_FAILED(pjd_read_file(path, &bytes, message));
    return load_bytes(bytes.data(), bytes.size(), out, message);
}

}  // namespace host

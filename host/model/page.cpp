// A host page: size, resolution, page id, its two lists and the words it knows.
#include <new>

#include "host/model/page.h"

#include "host/kinds/host_object.h"
#include "host/model/document_object.h"
#include "host/model/element_view.h"
#include "host/model/text_flow.h"

namespace host {

namespace {
const char* const kPage = "page";
}

void page::init(std::shared_ptr<context> ctx, document_object* doc, LONG id, LONG width,
                LONG height, LONG resolution) noexcept
{
    ctx_ = std::move(ctx);
    doc_ = com::ComPtr<document_object>(doc);
    id_ = id;
    width_ = width;
    height_ = height;
    resolution_ = resolution;
    ctx_->add_name_source(this);
}

bool page::name_of(IUnknown* key, std::string* name) const
{
    auto* self = const_cast<page*>(this);
    if (key == self->identity()) {
        *name = "page";
    } else if (key == self->objects_.unknown()) {
        *name = "page_objects";
    } else if (key == self->resources_.unknown()) {
        *name = "resources";
    } else if (bool list = false; page_of_view(key, &list) == this) {
        *name = list ? "page_objects" : "page";
    } else if (const LONG id = object_ids_.id_of(key)) {
        *name = "element#" + std::to_string(id);
    } else if (const LONG rid = resource_ids_.id_of(key)) {
        *name = "resource#" + std::to_string(rid);
    } else {
        return false;
    }
    return true;
}

namespace {
// Pages with fewer elements are searched in place.
constexpr std::size_t kIndexElementsFrom = 64;
}  // namespace

// Without memory for the index the elements are searched in place: correct, only slower.
bool page::knows_element(IUnknown* object) const noexcept
{
    if (!object) return false;
    if (elements_.size() >= kIndexElementsFrom) {
        com::ComPtr<IUnknown> key;
        if (FAILED(object->QueryInterface(IID_IUnknown, key.put_void())) || !key) return false;
        try {
            if (!element_identities_ || indexed_elements_ > elements_.size()) {
                element_identities_ = std::make_unique<std::unordered_set<IUnknown*>>();
                indexed_elements_ = 0;
            }
            for (; indexed_elements_ < elements_.size(); ++indexed_elements_) {
                com::ComPtr<IUnknown> identity;
                IZElement* e = elements_[indexed_elements_].get();
                if (e && SUCCEEDED(e->QueryInterface(IID_IUnknown, identity.put_void())) &&
                    identity)
                    element_identities_->insert(identity.get());
            }
            return element_identities_->count(key.get()) != 0;
        } catch (const std::bad_alloc&) {
            element_identities_.reset();
        }
    }
    for (const auto& e : elements_)
        if (com::same_object(e.get(), object)) return true;
    return false;
}

void page::final_release() noexcept
{
    close();
    if (ctx_) ctx_->remove_name_source(this);
}

void page::close() noexcept
{
    if (ctx_) {
        object_ids_.clear(*ctx_);
        resource_ids_.clear(*ctx_);
    }
    std::vector<com::ComPtr<IZElement>> known = std::move(elements_);
    elements_.clear();
    element_identities_.reset();
    indexed_elements_ = 0;
    known.clear();
    doc_ = nullptr;
}

HRESULT page::get_PageObjects(IZPageObjectList** list) noexcept
{
    auto rec = record(kPage, "get_PageObjects");
    if (!list) return rec(E_POINTER);
    *list = &objects_;
    AddRef();
    return rec(S_OK, std::string("page_objects"));
}

HRESULT page::get_Resources(IZResourceList** list) noexcept
{
    auto rec = record(kPage, "get_Resources");
    if (!list) return rec(E_POINTER);
    *list = &resources_;
    AddRef();
    return rec(S_OK, std::string("resources"));
}

HRESULT page::get_Resolution(LONG* v) noexcept
{
    auto rec = record(kPage, "get_Resolution");
    if (!v) return rec(E_POINTER);
    *v = resolution_;
    return rec(S_OK, *v);
}

HRESULT page::put_Resolution(LONG v) noexcept
{
    auto rec = record(kPage, "put_Resolution", v);
    if (v <= 0) return rec(E_INVALIDARG);
    resolution_ = v;
    return rec(S_OK);
}

HRESULT page::get_Width(LONG* v) noexcept
{
    auto rec = record(kPage, "get_Width");
    if (!v) return rec(E_POINTER);
    *v = width_;
    return rec(S_OK, *v);
}

HRESULT page::put_Width(LONG v) noexcept
{
    auto rec = record(kPage, "put_Width", v);
    if (v < 0) return rec(E_INVALIDARG);
    width_ = v;
    return rec(S_OK);
}

HRESULT page::get_Height(LONG* v) noexcept
{
    auto rec = record(kPage, "get_Height");
    if (!v) return rec(E_POINTER);
    *v = height_;
    return rec(S_OK, *v);
}

HRESULT page::put_Height(LONG v) noexcept
{
    auto rec = record(kPage, "put_Height", v);
    if (v < 0) return rec(E_INVALIDARG);
    height_ = v;
    return rec(S_OK);
}

HRESULT page::get_Document(IZDocument** document) noexcept
{
    auto rec = record(kPage, "get_Document");
    if (!document) return rec(E_POINTER);
    *document = nullptr;
    if (!doc_) return rec(E_UNEXPECTED);
    *document = doc_.get();
    doc_->AddRef();
    return rec(S_OK, std::string("document"));
}

HRESULT page::get_Title(BSTR* v) noexcept
{
    auto rec = record(kPage, "get_Title");
    if (!v) return rec(E_POINTER);
    HRESULT hr = copy_out(title_, v);
    return rec(hr, *v);
}

HRESULT page::put_Title(BSTR v) noexcept
{
    auto rec = record(kPage, "put_Title", v);
    try {
        title_ = from_bstr(v);
    } catch (const std::bad_alloc&) {
        return rec(E_OUTOFMEMORY);
    }
    return rec(S_OK);
}

HRESULT page::get_PageNumber(LONG* number) noexcept
{
    auto rec = record(kPage, "get_PageNumber");
    if (!number) return rec(E_POINTER);
    *number = doc_ ? doc_->number_of(this) : 0;
    return rec(*number ? S_OK : E_UNEXPECTED, *number);
}

HRESULT page::AddWord(BSTR text, LONG left, LONG top, LONG right, LONG bottom,
                      LONG object_id) noexcept
{
    auto rec = record(kPage, "AddWord", text, left, top, right, bottom, object_id);
    try {
        words_.push_back({from_bstr(text), left, top, right, bottom, object_id});
    } catch (const std::bad_alloc&) {
        return rec(E_OUTOFMEMORY);
    }
    return rec(S_OK);
}

HRESULT page::get_WordCount(LONG* count) noexcept
{
    auto rec = record(kPage, "get_WordCount");
    if (!count) return rec(E_POINTER);
    *count = static_cast<LONG>(words_.size());
    return rec(S_OK, *count);
}

HRESULT page::get_DocumentView(IDispatch** view) noexcept
{
    auto rec = record(kPage, "get_DocumentView");
    if (!view) return rec(E_POINTER);
    return rec(make_document_view(this, view), std::string("view"));
}

HRESULT page::CreateTextRange(LONG first_word, LONG count, IDispatch** range) noexcept
{
    auto rec = record(kPage, "CreateTextRange", first_word, count);
    if (!range) return rec(E_POINTER);
    *range = nullptr;
    const LONG words = static_cast<LONG>(words_.size());
    if (count < 0 || (count > 0 && (first_word < 1 || first_word > words ||
                                    count > words - first_word + 1)))
        return rec(E_INVALIDARG);
    return rec(make_text_range(this, first_word, count, range), std::string("range"));
}

HRESULT page::FindText(BSTR text, LONG* first_word) noexcept
{
    auto rec = record(kPage, "FindText", text);
    if (!first_word) return rec(E_POINTER);
    *first_word = 0;
    // The query's words, split at spaces, must match consecutive words of the page.
    std::vector<std::u16string_view> wanted;
    try {
        std::u16string_view q = com::bstr_view(text);
        std::size_t i = 0;
        while (i < q.size()) {
            while (i < q.size() && (q[i] == u' ' || q[i] == u'\t' || q[i] == u'\n')) ++i;
            std::size_t start = i;
            while (i < q.size() && q[i] != u' ' && q[i] != u'\t' && q[i] != u'\n') ++i;
            if (i > start) wanted.push_back(q.substr(start, i - start));
        }
    } catch (const std::bad_alloc&) {
        return rec(E_OUTOFMEMORY);
    }
    if (wanted.empty()) return rec(E_INVALIDARG);
    for (std::size_t start = 0; start + wanted.size() <= words_.size(); ++start) {
        bool match = true;
        for (std::size_t k = 0; k < wanted.size() && match; ++k)
            match = words_[start + k].text == wanted[k];
        if (match) {
            *first_word = static_cast<LONG>(start + 1);
            return rec(S_OK, *first_word);
        }
    }
    return rec(S_FALSE);
}

HRESULT page::get_PageID(LONG* id) noexcept
{
    auto rec = record(kPage, "get_PageID");
    if (!id) return rec(E_POINTER);
    *id = id_;
    return rec(S_OK, *id);
}

HRESULT page::get_PageList(IZPageList** pages) noexcept
{
    auto rec = record(kPage, "get_PageList");
    if (!pages) return rec(E_POINTER);
    *pages = nullptr;
    if (!doc_) return rec(E_UNEXPECTED);
    *pages = doc_->page_list_part();
    (*pages)->AddRef();
    return rec(S_OK, std::string("pages"));
}

}  // namespace host

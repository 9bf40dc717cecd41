// The document structure of the engine: the document with its object collection and page list,
// the pages with their page object list and resource list, and the words a page knows. The
// lists live inside their page and the page list inside its document: they share their
// owner's reference count, so that holding a list keeps its page alive.
#pragma once

#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "host/host_object.h"

namespace host {

class page;
class document_object;

struct list_entry {
    LONG id = 0;
    com::ComPtr<IUnknown> identity;
};

// The ids, order and membership of one list. Ids count up from 1 and are never given twice.
// A page's lists are short: they are searched in place, and only a long list gets an index
// from identities to ids.
class list_core {
public:
    // An object already in the list keeps its id.
    HRESULT add(context& ctx, IUnknown* object, placement where, const char* foreign, LONG* id) noexcept;
    // Puts an object back under the id it was saved with (loading a .pjd).
    HRESULT insert(context& ctx, IUnknown* object, placement where, const char* foreign, LONG id) noexcept;
    // Keeps an object known without an id. Host objects kept so that nothing else holds them
    // any more (a note's clip frame after the note has rebuilt) are let go now and then.
    HRESULT keep(IUnknown* object, placement where) noexcept;
    HRESULT remove(context& ctx, LONG id) noexcept;
    HRESULT order(LONG id, LONG after) noexcept;
    const list_entry* find(LONG id) const noexcept;
    void clear(context& ctx) noexcept;

    const std::vector<list_entry>& entries() const noexcept { return entries_; }
    const std::vector<list_entry>& unlisted() const noexcept { return unlisted_; }
    LONG next_id() const noexcept { return next_id_; }
    void set_next_id(LONG next) noexcept { next_id_ = next; }

    // The id of a listed identity; 0 when it is not in the list.
    LONG id_of(IUnknown* identity) const noexcept;

private:
    bool is_kept(IUnknown* identity) const noexcept;
    // Build the indexes once the lists have grown long.
    void index_if_long() noexcept;
    void index_kept_if_long() noexcept;
    void drop_unused_kept() noexcept;

    std::vector<list_entry> entries_;
    std::vector<list_entry> unlisted_;
    // The indexes of a long list, made when it grows long (an empty map costs a page's list
    // more than its entries).
    std::unique_ptr<std::unordered_map<IUnknown*, LONG>> ids_;
    std::unique_ptr<std::unordered_set<IUnknown*>> kept_;
    std::size_t sweep_at_ = 8;  // the number of kept objects at which unused ones are looked for
    LONG next_id_ = 1;
};

// A child interface object: its reference count is its owner's.
template <typename I, typename Owner>
class child_part : public com::automation::dispatch_impl<I> {
public:
    explicit child_part(Owner* owner) noexcept : owner_(owner) {}
    HRESULT QueryInterface(REFIID riid, void** out) noexcept override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid == IID_IUnknown || riid == IDispatch::iid || riid == I::iid) {
            *out = static_cast<I*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG AddRef() noexcept override { return owner_->AddRef(); }
    ULONG Release() noexcept override { return owner_->Release(); }
    IUnknown* unknown() noexcept { return static_cast<I*>(this); }

protected:
    Owner* owner_;
};

class page_object_list final : public child_part<IZPageObjectList, page> {
public:
    using child_part::child_part;
    HRESULT AddElement(IZElement* element) noexcept override;
    HRESULT Add(VARIANT object, LONG* id) noexcept override;
    HRESULT Create(LONG kind, IDispatch** object) noexcept override;
    HRESULT get_Page(IZPrintContentPage** page) noexcept override;
    HRESULT Remove(LONG id) noexcept override;
    HRESULT Order(LONG id, LONG after, LONG flags) noexcept override;
    HRESULT get_Count(LONG* count) noexcept override;
    HRESULT get_Item(LONG index, IDispatch** object) noexcept override;
    HRESULT get_ItemID(LONG index, LONG* id) noexcept override;
    HRESULT ItemFromID(LONG id, IDispatch** object) noexcept override;
};

class resource_list final : public child_part<IZResourceList, page> {
public:
    using child_part::child_part;
    HRESULT AddObject(IZObject* object) noexcept override;
    HRESULT Add(VARIANT object, LONG* id) noexcept override;
    HRESULT Create(LONG kind, IDispatch** object) noexcept override;
    HRESULT AddWithoutID(VARIANT object) noexcept override;
    HRESULT Remove(LONG id) noexcept override;
    HRESULT get_Count(LONG* count) noexcept override;
    HRESULT get_Item(LONG index, IDispatch** object) noexcept override;
    HRESULT get_ItemID(LONG index, LONG* id) noexcept override;
    HRESULT ItemFromID(LONG id, IDispatch** object) noexcept override;
};

struct word {
    std::u16string text;
    LONG left, top, right, bottom, object_id;
};

class page : public com::object_root<page, com::automation::dispatch_impl<IZPrintContentPage>>,
             public name_source {
public:
    page() noexcept : objects_(this), resources_(this) {}
    void init(std::shared_ptr<context> ctx, document_object* doc, LONG id, LONG width,
              LONG height, LONG resolution) noexcept;
    void final_release() noexcept;

    HRESULT get_PageObjects(IZPageObjectList** list) noexcept override;
    HRESULT get_Resolution(LONG* units_per_inch) noexcept override;
    HRESULT get_Resources(IZResourceList** list) noexcept override;
    HRESULT get_Width(LONG* value) noexcept override;
    HRESULT put_Width(LONG value) noexcept override;
    HRESULT get_Height(LONG* value) noexcept override;
    HRESULT put_Height(LONG value) noexcept override;
    HRESULT put_Resolution(LONG units_per_inch) noexcept override;
    HRESULT get_Document(IZDocument** document) noexcept override;
    HRESULT get_Title(BSTR* value) noexcept override;
    HRESULT put_Title(BSTR value) noexcept override;
    HRESULT get_PageNumber(LONG* number) noexcept override;
    HRESULT AddWord(BSTR text, LONG left, LONG top, LONG right, LONG bottom,
                    LONG object_id) noexcept override;
    HRESULT get_WordCount(LONG* count) noexcept override;
    HRESULT get_DocumentView(IDispatch** view) noexcept override;
    HRESULT CreateTextRange(LONG first_word, LONG count, IDispatch** range) noexcept override;
    HRESULT FindText(BSTR text, LONG* first_word) noexcept override;
    HRESULT get_PageID(LONG* id) noexcept override;
    HRESULT get_PageList(IZPageList** pages) noexcept override;

    // For the engine itself (no journal).
    context& ctx() noexcept { return *ctx_; }
    const std::shared_ptr<context>& shared_ctx() const noexcept { return ctx_; }
    LONG id() const noexcept { return id_; }
    LONG width() const noexcept { return width_; }
    LONG height() const noexcept { return height_; }
    LONG resolution() const noexcept { return resolution_; }
    const std::u16string& title() const noexcept { return title_; }
    void set_title(std::u16string t) noexcept { title_ = std::move(t); }
    list_core& objects() noexcept { return object_ids_; }
    list_core& resources() noexcept { return resource_ids_; }
    std::vector<com::ComPtr<IZElement>>& elements() noexcept { return elements_; }
    std::vector<word>& words() noexcept { return words_; }
    page_object_list* object_list() noexcept { return &objects_; }
    resource_list* resource_list_part() noexcept { return &resources_; }
    document_object* document() const noexcept { return doc_.get(); }
    // Lets go of everything held (closing the document).
    void close() noexcept;
    // "page", "page_objects", "resources", and "element#3" or "resource#5" for objects in the
    // lists that are not the engine's.
    bool name_of(IUnknown* identity, std::string* name) const override;

    template <typename... Args>
    call_record record(std::string_view who, std::string_view member, const Args&... args) const noexcept
    {
        if (!ctx_ || !ctx_->log.enabled()) return {};
        try {
            return record_call(ctx_.get(), id_, std::string(who), member, args...);
        } catch (...) {
            return {};
        }
    }

private:
    std::shared_ptr<context> ctx_;
    com::ComPtr<document_object> doc_;
    LONG id_ = 0;
    LONG width_ = 0;
    LONG height_ = 0;
    LONG resolution_ = 0;
    std::u16string title_;
    page_object_list objects_;
    resource_list resources_;
    list_core object_ids_;
    list_core resource_ids_;
    std::vector<com::ComPtr<IZElement>> elements_;
    std::vector<word> words_;
};

class page_list final : public child_part<IZPageList, document_object> {
public:
    using child_part::child_part;
    HRESULT get_Count(LONG* count) noexcept override;
    HRESULT PageNumberOf(LONG page_id, LONG* number) noexcept override;
    HRESULT get_Item(LONG number, IZPrintContentPage** page) noexcept override;
};

class document_object
    : public com::object_root<document_object, com::automation::dispatch_impl<IZDocument>> {
public:
    document_object() noexcept : page_list_(this) {}
    void init(std::shared_ptr<context> ctx) noexcept;

    HRESULT get_Item(LONG index, IDispatch** object) noexcept override;
    HRESULT get_Count(LONG* count) noexcept override;
    HRESULT Add(IDispatch* object) noexcept override;
    HRESULT LookUp(LONG id, IDispatch** object) noexcept override;
    HRESULT get_Pages(IZPageList** pages) noexcept override;
    HRESULT AddPage(LONG width, LONG height, LONG resolution,
                    IZPrintContentPage** page) noexcept override;

    // For the engine itself (no journal).
    context& ctx() noexcept { return *ctx_; }
    const std::shared_ptr<context>& shared_ctx() const noexcept { return ctx_; }
    std::vector<com::ComPtr<page>>& pages() noexcept { return pages_; }
    std::vector<com::ComPtr<IDispatch>>& items() noexcept { return items_; }
    page_list* page_list_part() noexcept { return &page_list_; }
    // A new page at the end; id 0 takes the next page id.
    HRESULT new_page(LONG width, LONG height, LONG resolution, LONG id, page** out) noexcept;
    HRESULT add_item(IDispatch* object) noexcept;
    LONG number_of(const page* p) const noexcept;
    // Breaks every reference cycle between the document, its pages, their lists and the
    // objects in them, so that everything is freed once the last outside reference goes.
    void close() noexcept;

    template <typename... Args>
    call_record record(std::string_view who, std::string_view member, const Args&... args) const noexcept
    {
        if (!ctx_ || !ctx_->log.enabled()) return {};
        try {
            return record_call(ctx_.get(), 0, std::string(who), member, args...);
        } catch (...) {
            return {};
        }
    }

private:
    std::shared_ptr<context> ctx_;
    std::vector<com::ComPtr<page>> pages_;
    std::vector<com::ComPtr<IDispatch>> items_;
    page_list page_list_;
};

// The document view and text ranges of a page's words.
HRESULT make_document_view(page* p, IDispatch** out) noexcept;
HRESULT make_text_range(page* p, LONG first_word, LONG count, IDispatch** out) noexcept;

// The words of the text objects on `p` (see document::recognise_words).
HRESULT recognise_words(page* p, LONG* added) noexcept;

// A new empty document with its own context.
HRESULT make_document(com::ComPtr<document_object>* out) noexcept;

}  // namespace host

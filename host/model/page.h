// A page of a document: its size, resolution and page id, its page object list and resource
// list, and the words it knows.
#pragma once

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "host/model/lists.h"

namespace host {

class document_object;

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
    // The elements given to AddElement (or loaded as such); only ever appended to.
    std::vector<com::ComPtr<IZElement>>& elements() noexcept { return elements_; }
    const std::vector<com::ComPtr<IZElement>>& elements() const noexcept { return elements_; }
    // Whether `object` is one of elements(), compared by identity.
    bool knows_element(IUnknown* object) const noexcept;
    std::vector<word>& words() noexcept { return words_; }
    page_object_list* object_list() noexcept { return &objects_; }
    resource_list* resource_list_part() noexcept { return &resources_; }
    document_object* document() const noexcept { return doc_.get(); }
    // Lets go of everything held (closing the document).
    void close() noexcept;
    // "page", "page_objects", "resources", and "element#3" or "resource#5" for objects in the
    // lists that are not the engine's. The views of this page handed to elements at Attach
    // (element_view.h) answer to the page's own names: the journal cannot tell an element
    // given a view from one given the page.
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
    // The identities of elements_[0, indexed_elements_), for a page with many elements;
    // brought up to date when asked, as elements_ is appended to from outside.
    mutable std::unique_ptr<std::unordered_set<IUnknown*>> element_identities_;
    mutable std::size_t indexed_elements_ = 0;
    std::vector<word> words_;
};

}  // namespace host

// The document: its object collection and its page list, which lives inside it and shares its
// reference count. Including this header gives the whole document structure (pages and lists).
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "host/model/page.h"

namespace host {

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
    // The number of the page with that id; 0 when there is none.
    LONG number_of_id(LONG page_id) const noexcept;
    // Breaks every reference cycle between the document, its pages, their lists and the
    // objects in them, so that everything is freed once the last outside reference goes.
    void close() noexcept;
    // The PDF made elsewhere whose pages this document's pages lie over, as a saved document
    // names it: a file beside the .pjd and the content key it had; empty when there is none.
    std::string& original_file() noexcept { return original_file_; }
    std::string& original_key() noexcept { return original_key_; }

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
    // Page id → page number: pages are only ever added at the end.
    std::unordered_map<LONG, LONG> numbers_;
    std::vector<com::ComPtr<IDispatch>> items_;
    page_list page_list_;
    std::string original_file_, original_key_;
};

// A new empty document with its own context.
HRESULT make_document(com::ComPtr<document_object>* out) noexcept;

}  // namespace host

// The document view and text ranges over the words a page knows. A page's text is referred to
// by its page id; an item is a word, numbered from 1 in the order the words were added.
#include "host/model/text_flow.h"

#include "host/kinds/host_object.h"
#include "host/model/document_object.h"

namespace host {
namespace {

bool same_line(const word& a, const word& b) noexcept
{
    return a.top < b.bottom && b.top < a.bottom && b.left >= a.left;
}

class document_view
    : public com::object_root<document_view, com::automation::dispatch_impl<IZDocumentView>> {
public:
    void init(page* p) noexcept { page_ = com::ComPtr<page>(p); }

    HRESULT ItemPlace(LONG text, LONG item, LONG* left, LONG* top, LONG* right, LONG* bottom,
                      LONG, LONG, LONG* first_id, LONG* last_id) noexcept override
    {
        auto rec = page_->record("view", "ItemPlace", text, item);
        if (!left || !top || !right || !bottom || !first_id || !last_id) return rec(E_POINTER);
        const word* w = find(text, item);
        if (!w) return rec(E_INVALIDARG);
        *left = w->left;
        *top = w->top;
        *right = w->right;
        *bottom = w->bottom;
        *first_id = *last_id = w->object_id;
        return rec(S_OK, *left, *top, *right, *bottom, *first_id, *last_id);
    }

    HRESULT ItemsJoined(LONG text, LONG previous, LONG item, VARIANT_BOOL* joined) noexcept override
    {
        auto rec = page_->record("view", "ItemsJoined", text, previous, item);
        if (!joined) return rec(E_POINTER);
        *joined = VARIANT_FALSE;
        const word* w = find(text, item);
        if (!w) return rec(E_INVALIDARG);
        if (previous != 0) {
            const word* before = find(text, previous);
            if (!before) return rec(E_INVALIDARG);
            if (previous + 1 == item && same_line(*before, *w)) *joined = VARIANT_TRUE;
        }
        return rec(S_OK, *joined);
    }

private:
    const word* find(LONG text, LONG item) const noexcept
    {
        auto& words = page_->words();
        if (text != page_->id() || item < 1 || item > static_cast<LONG>(words.size()))
            return nullptr;
        return &words[static_cast<std::size_t>(item - 1)];
    }

    com::ComPtr<page> page_;
};

class text_range
    : public com::object_root<text_range, com::automation::dispatch_impl<IZTextRange>> {
public:
    void init(page* p, LONG first, LONG count) noexcept
    {
        page_ = com::ComPtr<page>(p);
        first_ = first;
        count_ = count;
    }

    HRESULT get_TextReference(LONG* text) noexcept override
    {
        auto rec = page_->record("range", "get_TextReference");
        if (!text) return rec(E_POINTER);
        *text = page_->id();
        return rec(S_OK, *text);
    }
    HRESULT get_ItemCount(LONG* count) noexcept override
    {
        auto rec = page_->record("range", "get_ItemCount");
        if (!count) return rec(E_POINTER);
        *count = count_;
        return rec(S_OK, *count);
    }
    HRESULT get_Item(LONG index, LONG* item) noexcept override
    {
        auto rec = page_->record("range", "get_Item", index);
        if (!item) return rec(E_POINTER);
        *item = 0;
        if (index < 1 || index > count_) return rec(E_INVALIDARG);
        *item = first_ + index - 1;
        return rec(S_OK, *item);
    }
    HRESULT get_Text(BSTR* value) noexcept override
    {
        auto rec = page_->record("range", "get_Text");
        if (!value) return rec(E_POINTER);
        *value = nullptr;
        std::u16string joined;
        try {
            auto& words = page_->words();
            for (LONG i = 0; i < count_; ++i) {
                const std::size_t at = static_cast<std::size_t>(first_ + i - 1);
                if (at >= words.size()) break;  // words are only ever added, but be safe
                if (i) joined += u' ';
                joined += words[at].text;
            }
        } catch (const std::bad_alloc&) {
            return rec(E_OUTOFMEMORY);
        }
        HRESULT hr = copy_out(joined, value);
        return rec(hr, *value);
    }

private:
    com::ComPtr<page> page_;
    LONG first_ = 0;
    LONG count_ = 0;
};

}  // namespace

HRESULT make_document_view(page* p, IDispatch** out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    com::ComPtr<document_view> view;
    RETURN_IF_FAILED(com::make<document_view>(view.put()));
    view->init(p);
    *out = view.detach();
    return S_OK;
}

HRESULT make_text_range(page* p, LONG first_word, LONG count, IDispatch** out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    com::ComPtr<text_range> range;
    RETURN_IF_FAILED(com::make<text_range>(range.put()));
    range->init(p, first_word, count);
    *out = range.detach();
    return S_OK;
}

}  // namespace host

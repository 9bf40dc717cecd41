// The element container: filing and finding records, form-field naming, the hit test walk
// and the container stream.
#include "container/element_container.h"

#include <charconv>
#include <iterator>
#include <limits>
#include <new>
#include <string_view>

#include "container/hit_test.h"
#include "container/record_blocks.h"
#include "container/wrapping.h"
#include "contentelements/cnt_formfield.h"
#include "contentelements/zprint_page.h"
#include "core/record_io.h"

namespace cnt {
namespace {

// Every record the container holds is one it made, so the interface leads back to the class.
CZCntElementInfo* impl(const com::ComPtr<IZCntElementInfo>& record) noexcept
{
    return static_cast<CZCntElementInfo*>(record.get());
}

// For AddElement, whose SetInfo gives the record its description.
HRESULT new_record(com::ComPtr<IZCntElementInfo>* out) noexcept
{
    CZCntElementInfo* created = nullptr;
    if (FAILED(create_element_info_to_fill(&created))) return E_OUTOFMEMORY;
    out->attach(created->info_interface());
    return S_OK;
}

// A walk over every record asks for the record a few slots ahead: records lie apart on the
// heap, and each would otherwise be waited for when its turn comes.
constexpr std::size_t kAhead = 6;

void prefetch(const com::ComPtr<IZCntElementInfo>& record) noexcept
{
    if (const auto* at = reinterpret_cast<const char*>(record.get())) {
        __builtin_prefetch(at);
        __builtin_prefetch(at + 64);
    }
}

}  // namespace

HRESULT create_element_container(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    return com::create_instance<CZCntElementContainer>(outer, riid, ppv);
}

void CZCntElementContainer::final_release() noexcept { clear(); }

// ---- Filing ---------------------------------------------------------------------------------

namespace {
// Pages with fewer slots are searched in place: an index would cost more than it saves.
constexpr std::size_t kIndexFrom = 16;
}  // namespace

// Without memory for the index the page is searched in place: correct, only slower.
bool CZCntElementContainer::index_page(page_records& page) noexcept
{
    if (page.indexed && page.indexed_at == watch_.renames) return true;
    page.indexed = false;
    page.repeats = 0;
    try {
        page.first.clear();
        page.first.reserve(page.live);
        for (std::size_t slot = page.head; slot < page.slots.size(); ++slot) {
            if (!page.slots[slot]) continue;
            if (!page.first.emplace(impl(page.slots[slot])->element_id(), slot).second) ++page.repeats;
        }
    } catch (const std::bad_alloc&) {
        page.first.clear();
        return false;
    }
    page.indexed = true;
    page.indexed_at = watch_.renames;
    return true;
}

std::size_t CZCntElementContainer::find_slot(page_records& page, LONG element_id) noexcept
{
    if (page.slots.size() >= kIndexFrom && index_page(page)) {
        const auto it = page.first.find(element_id);
        return it == page.first.end() ? npos : it->second;
    }
    for (std::size_t slot = page.head; slot < page.slots.size(); ++slot)
        if (page.slots[slot] && impl(page.slots[slot])->element_id() == element_id) return slot;
    return npos;
}

CZCntElementContainer::record_ref CZCntElementContainer::find(LONG page_id,
                                                              LONG element_id) noexcept
{
    const auto page = pages_.find(page_id);
    if (page == pages_.end()) return nullptr;
    const std::size_t slot = find_slot(page->second, element_id);
    return slot == npos ? nullptr : page->second.slots[slot];
}

HRESULT CZCntElementContainer::file(LONG key, record_ref record) noexcept
{
    CZCntElementInfo* info = impl(record);
    try {
        // Records mostly come in page order (a load, a document filed page by page): the last
        // page is tried before the tree is searched.
        auto at = pages_.end();
        if (!pages_.empty()) {
            const auto last = std::prev(pages_.end());
            if (last->first == key)
                at = last;
            else if (last->first < key) {
                // A page after the last is taken to hold about as many records as that one:
                // its slots get that room at once instead of growing to it step by step. Only
                // a hint: without the memory the slots grow as they fill.
                const std::size_t room = last->second.slots.size();
                at = pages_.try_emplace(pages_.end(), key);
                try {
                    at->second.slots.reserve(room);
                } catch (const std::bad_alloc&) {
                }
            }
        }
        if (at == pages_.end()) at = pages_.try_emplace(key).first;
        page_records& page = at->second;
        try {
            page.slots.push_back(std::move(record));
        } catch (const std::bad_alloc&) {
            if (page.live == 0) pages_.erase(at);
            throw;
        }
        ++page.live;
        if (page.indexed && page.indexed_at == watch_.renames) {
            try {
                if (!page.first.emplace(info->element_id(), page.slots.size() - 1).second)
                    ++page.repeats;
            } catch (const std::bad_alloc&) {
                page.indexed = false;
            }
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    info->file_under(key, &watch_);
    ++count_;
    changed();
    return S_OK;
}

// Closes up the empty slots, keeping the order; the index is rebuilt when next needed.
void CZCntElementContainer::close_up(page_records& page) noexcept
{
    std::size_t to = 0;
    for (std::size_t from = page.head; from < page.slots.size(); ++from)
        if (page.slots[from]) page.slots[to++] = std::move(page.slots[from]);
    page.slots.resize(to);
    page.head = 0;
    page.indexed = false;
}

void CZCntElementContainer::clear() noexcept
{
    // One walk over the records: each is let go as soon as it no longer reports back. The
    // watch's counts are zeroed at the end rather than taken down record by record, which
    // would read every record's description once more.
    for (auto& [key, page] : pages_) {
        const std::size_t n = page.slots.size();
        for (std::size_t i = 0; i < n; ++i) {
            if (i + kAhead < n) prefetch(page.slots[i + kAhead]);
            record_ref& record = page.slots[i];
            if (!record) continue;
            impl(record)->forget_watch();
            record = nullptr;
        }
    }
    pages_.clear();
    watch_.strays = 0;
    watch_.record_bytes = 0;
    count_ = 0;
    changed();
}

// ---- IZCntElementContainer ------------------------------------------------------------------

// A null element would leave a record that says page 0, element 0 under another page id.
HRESULT CZCntElementContainer::AddElement(LONG page_id, LONG element_id,
                                          IZCntElementBase* element) noexcept
{
    if (!element) return E_INVALIDARG;
    if (const record_ref existing = find(page_id, element_id)) {
        existing->SetInfo(page_id, element_id, element);
        dirty_ = true;
        return S_OK;
    }
    record_ref record;
    RETURN_IF_FAILED(new_record(&record));
    record->SetInfo(page_id, element_id, element);
    RETURN_IF_FAILED(file(page_id, std::move(record)));
    dirty_ = true;
    // Named after filing: the field's Name setter reports back through UpdateElement, which
    // must find this record rather than file a second one.
    return name_form_field(element);
}

HRESULT CZCntElementContainer::name_form_field(IZCntElementBase* element) noexcept
{
    com::ComPtr<IZCntElementFormField> field;
    element->QueryInterface(IZCntElementFormField::iid, field.put_void());
    if (!field) return S_OK;
    com::Bstr name;
    field->get_Name(name.put());
    if (name.length() != 0) return S_OK;

    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, next_field_number_).ptr;
    char16_t text[sizeof digits + 1] = {u'f'};
    std::size_t length = 1;
    for (const char* c = digits; c != end; ++c) text[length++] = static_cast<char16_t>(*c);
    com::Bstr automatic(std::u16string_view(text, length));
    if (automatic.is_null()) return E_OUTOFMEMORY;

    next_field_number_ = wrapping_add(next_field_number_, 1);
    dirty_ = true;
    field->put_Name(automatic.get());
    return S_OK;
}

// Refreshes a known record and files an unknown one, exactly as AddElement does.
HRESULT CZCntElementContainer::UpdateElement(LONG page_id, LONG element_id,
                                             IZCntElementBase* element) noexcept
{
    return AddElement(page_id, element_id, element);
}

HRESULT CZCntElementContainer::RemoveElement(LONG page_id, LONG element_id) noexcept
{
    const auto at_page = pages_.find(page_id);
    if (at_page == pages_.end()) return E_INVALIDARG;
    page_records& page = at_page->second;
    const std::size_t slot = find_slot(page, element_id);
    if (slot == npos) return E_INVALIDARG;
    const record_ref removed = std::move(page.slots[slot]);
    --page.live;
    --count_;
    if (page.live == 0) {
        pages_.erase(at_page);
    } else {
        while (!page.slots[page.head]) ++page.head;
        if (page.indexed) {
            // A later record with the same element id would become the first: rebuild then.
            if (page.repeats == 0)
                page.first.erase(element_id);
            else
                page.indexed = false;
        }
        if (page.slots.size() - page.live > page.live) close_up(page);
    }
    impl(removed)->unfile();
    changed();
    dirty_ = true;
    return S_OK;
}

HRESULT CZCntElementContainer::get_Count(LONG* count) noexcept
{
    if (!count) return E_POINTER;
    *count = static_cast<LONG>(count_);
    return S_OK;
}

CZCntElementContainer::record_ref CZCntElementContainer::at(std::size_t index) noexcept
{
    page_map::iterator page = pages_.begin();
    std::size_t base = 0;
    if (cursor_valid_ && index >= cursor_base_) {
        page = cursor_page_;
        base = cursor_base_;
    }
    while (index >= base + page->second.live) {
        base += page->second.live;
        ++page;
    }
    const page_records& records = page->second;
    const std::size_t offset = index - base;
    std::size_t slot = records.head;
    std::size_t reached = 0;
    if (records.live == records.slots.size()) {
        slot = offset;
        reached = offset;
    } else if (cursor_valid_ && page == cursor_page_ && offset >= cursor_offset_) {
        slot = cursor_slot_;
        reached = cursor_offset_;
    }
    // Empty slots are skipped on the way; the walk goes on from the last record found.
    while (reached < offset || !records.slots[slot]) {
        if (records.slots[slot]) ++reached;
        ++slot;
    }
    cursor_page_ = page;
    cursor_base_ = base;
    cursor_slot_ = slot;
    cursor_offset_ = offset;
    cursor_valid_ = true;
    return records.slots[slot];
}

HRESULT CZCntElementContainer::get_Item(LONG index, IZCntElementInfo** info) noexcept
{
    RETURN_IF_NULL_OUT(info);
    if (index < 1 || static_cast<std::size_t>(index) > count_) return E_INVALIDARG;
    return at(static_cast<std::size_t>(index) - 1).copy_to(info);
}

HRESULT CZCntElementContainer::get_ItemFromID(LONG page_id, LONG element_id,
                                              IZCntElementInfo** info) noexcept
{
    RETURN_IF_NULL_OUT(info);
    const record_ref record = find(page_id, element_id);
    if (!record) return E_INVALIDARG;
    return record.copy_to(info);
}

// The walk goes over every record in container order and skips those of other pages. While
// every record's PageID still equals the key it is filed under, the records of other keys are
// exactly the skipped ones, so looking at the page's own key alone gives the same first hit.
CZCntElementInfo* CZCntElementContainer::first_hit(LONG page_id, LONG hit_width, LONG x,
                                                   LONG y) const noexcept
{
    if (watch_.strays == 0) {
        const auto page = pages_.find(page_id);
        if (page == pages_.end()) return nullptr;
        for (const record_ref& record : page->second.slots)
            if (record && hit::hits(*impl(record), hit_width, x, y)) return impl(record);
        return nullptr;
    }
    for (const auto& [key, page] : pages_) {
        for (const record_ref& record : page.slots) {
            if (!record) continue;
            const CZCntElementInfo& info = *impl(record);
            if (info.page_id() == page_id && hit::hits(info, hit_width, x, y))
                return impl(record);
        }
    }
    return nullptr;
}

HRESULT CZCntElementContainer::FindElementFromPoint(IDispatch* page, LONG hit_width, LONG x,
                                                    LONG y, IZCntElementInfo** found) noexcept
{
    RETURN_IF_NULL_OUT(found);
    if (!page) return E_INVALIDARG;
    LONG page_id = 0;
    {
        com::ComPtr<IZPrintContentPage> host_page;
        if (FAILED(page->QueryInterface(IZPrintContentPage::iid, host_page.put_void())) ||
            !host_page)
            return E_INVALIDARG;
        host_page->get_PageID(&page_id);
    }
    CZCntElementInfo* hit = first_hit(page_id, hit_width, x, y);
    if (!hit) return S_FALSE;
    return record_ref(hit->info_interface()).copy_to(found);
}

// ---- IZObject -------------------------------------------------------------------------------

HRESULT CZCntElementContainer::GetObjectKind(LONG* kind) noexcept
{
    if (!kind) return E_POINTER;
    *kind = object_kind;
    return S_OK;
}

HRESULT CZCntElementContainer::Attach(IDispatch*, IDispatch*, IDispatch*) noexcept { return S_OK; }

// ---- The stream ----------------------------------------------------------------------------

HRESULT CZCntElementContainer::load_fields(IStream* stream, ULONG version) noexcept
{
    clear();
    LONG count = 0;
    RETURN_IF_FAILED(record::read_i32(stream, &count));
    record_blocks blocks;
    com::memory_window window;
    const com::memory_window* direct = record::direct_window(stream, &window) ? &window : nullptr;
    // The count is untrusted: each record must come from the stream before the next is made.
    for (LONG i = 0; i < count; ++i) {
        record_ref record;
        // A record that fails to load is dropped, so it need not start with a description.
        CZCntElementInfo* made = nullptr;
        RETURN_IF_FAILED(blocks.make_to_load(&made));
        record.attach(made->info_interface());
        RETURN_IF_FAILED(impl(record)->load_record(stream, direct));
        const LONG key = impl(record)->page_id();
        RETURN_IF_FAILED(file(key, std::move(record)));
    }
    if (version == 2) RETURN_IF_FAILED(record::read_i32(stream, &next_field_number_));
    return S_OK;
}

HRESULT CZCntElementContainer::save_fields(IStream* stream, BOOL clear_dirty) noexcept
{
    // The count, the records and the number in memory made at once: a memory stream would
    // otherwise double its memory, and copy its bytes, a dozen times over a large index.
    if (watch_.record_bytes <= std::numeric_limits<std::size_t>::max() - 8)
        com::reserve_memory_stream(stream, static_cast<std::size_t>(watch_.record_bytes) + 8);
    RETURN_IF_FAILED(record::write_i32(stream, static_cast<LONG>(count_)));
    com::memory_window window;
    const com::memory_window* direct = record::direct_window(stream, &window) ? &window : nullptr;
    for (const auto& [key, page] : pages_) {
        const std::size_t n = page.slots.size();
        for (std::size_t i = 0; i < n; ++i) {
            if (i + kAhead < n) prefetch(page.slots[i + kAhead]);
            const record_ref& record = page.slots[i];
            if (record) RETURN_IF_FAILED(impl(record)->save_record(stream, direct, clear_dirty));
        }
    }
    return record::write_i32(stream, next_field_number_);
}

}  // namespace cnt

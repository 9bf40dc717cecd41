// CZCntElementContainer: the document's index of element records, filed by page id (ascending,
// signed) and, within a page, in order of filing; finds records by (page id, element id) and
// by point, names unnamed form fields "f1", "f2", … and saves the whole index as one stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <vector>

#include "container/element_info.h"
#include "contentelements/cnt_container.h"
#include "contentelements/zprint_objects.h"
#include "core/persist_record.h"
#include "platform/com/com.h"

namespace cnt {

// Makes a container; with an outer object only as the inner unknown of an aggregate.
HRESULT create_element_container(IUnknown* outer, REFIID riid, void** ppv) noexcept;

class CZCntElementContainer
    : public com::object_root<CZCntElementContainer,
                              com::automation::dispatch_impl<IZCntElementContainer>,
                              com::automation::dispatch_impl<IZObject>,
                              persist_record<CZCntElementContainer>> {
public:
    // Version 2 added the next form-field number; 0 and 1 still load.
    static constexpr ULONG record_version = 2;
    static constexpr const CLSID& class_id = CLSID_ZCntElementContainer;
    static constexpr LONG object_kind = 285;

    // IZCntElementContainer
    HRESULT AddElement(LONG page_id, LONG element_id, IZCntElementBase* element) noexcept override;
    HRESULT RemoveElement(LONG page_id, LONG element_id) noexcept override;
    HRESULT get_Count(LONG* count) noexcept override;
    HRESULT get_Item(LONG index, IZCntElementInfo** info) noexcept override;
    HRESULT FindElementFromPoint(IDispatch* page, LONG hit_width, LONG x, LONG y,
                                 IZCntElementInfo** found) noexcept override;
    HRESULT UpdateElement(LONG page_id, LONG element_id,
                          IZCntElementBase* element) noexcept override;
    HRESULT get_ItemFromID(LONG page_id, LONG element_id,
                           IZCntElementInfo** info) noexcept override;

    // IZObject
    HRESULT GetObjectKind(LONG* kind) noexcept override;
    HRESULT Attach(IDispatch* page_objects, IDispatch* resources,
                   IDispatch* document) noexcept override;

    void final_release() noexcept;

protected:
    CZCntElementContainer() noexcept = default;
    ~CZCntElementContainer() = default;

private:
    friend class persist_record<CZCntElementContainer>;
    // The stream: the record count, every record, the next form-field number.
    HRESULT save_fields(IStream* stream, BOOL clear_dirty) noexcept;
    HRESULT load_fields(IStream* stream, ULONG version) noexcept;
    bool& dirty_flag() noexcept { return dirty_; }

    using record_ref = com::ComPtr<IZCntElementInfo>;
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
    // One page's records in order of filing, in one vector: a hit test reads them from
    // contiguous memory, and filing appends to the end. A removed record leaves an empty slot,
    // so that removing costs no shift; the slots are closed up once they outnumber the records.
    struct page_records {
        std::vector<record_ref> slots;
        std::size_t live = 0;
        std::size_t head = 0;  // every slot before it is empty
        // Element id → slot of its first record, for a long page; rebuilt when stale.
        std::unordered_map<LONG, std::size_t> first;
        bool indexed = false;
        std::uint64_t indexed_at = 0;  // the watch's rename count the index was built at
        std::size_t repeats = 0;       // records whose element id an earlier record has too
    };
    using page_map = std::map<LONG, page_records>;

    // The slot of the first record of (page id, element id) on page `page`; npos if none.
    std::size_t find_slot(page_records& page, LONG element_id) noexcept;
    record_ref find(LONG page_id, LONG element_id) noexcept;
    bool index_page(page_records& page) noexcept;
    void close_up(page_records& page) noexcept;
    HRESULT file(LONG key, record_ref record) noexcept;
    void clear() noexcept;
    HRESULT name_form_field(IZCntElementBase* element) noexcept;
    CZCntElementInfo* first_hit(LONG page_id, LONG hit_width, LONG x, LONG y) const noexcept;
    record_ref at(std::size_t index) noexcept;
    void changed() noexcept { cursor_valid_ = false; }

    page_map pages_;
    std::size_t count_ = 0;
    CZCntElementInfo::filing_watch watch_;
    bool dirty_ = false;
    LONG next_field_number_ = 1;

    // Where the last Item was found, so that walking Item(1) … Item(Count) costs a step each.
    bool cursor_valid_ = false;
    page_map::iterator cursor_page_;
    std::size_t cursor_base_ = 0;    // index of the cursor page's first record
    std::size_t cursor_slot_ = 0;    // the slot of the last record found …
    std::size_t cursor_offset_ = 0;  // … and its place among its page's records
};

}  // namespace cnt

// CZCntElementInfo: the container's snapshot of one element — its page id, element id, kind,
// description, rectangle (right and bottom, not width and height) and inclination — with its
// own stream record. Only the container makes these; there is no class id.
#pragma once

#include <cstddef>
#include <cstdint>

#include "contentelements/cnt_container.h"
#include "core/persist_record.h"
#include "platform/com/com.h"

namespace cnt {

class CZCntElementInfo
    : public com::object_root<CZCntElementInfo, com::automation::dispatch_impl<IZCntElementInfo>,
                              persist_record<CZCntElementInfo>> {
public:
    static constexpr ULONG record_version = 1;
    static constexpr CLSID class_id{};  // not creatable by itself

    // IZCntElementInfo
    HRESULT get_PageID(LONG* id) noexcept override;
    HRESULT put_PageID(LONG id) noexcept override;
    HRESULT get_ElementID(LONG* id) noexcept override;
    HRESULT put_ElementID(LONG id) noexcept override;
    HRESULT get_ElementType(ZeCntElementType* type) noexcept override;
    HRESULT get_Description(BSTR* text) noexcept override;
    HRESULT put_Description(BSTR text) noexcept override;
    HRESULT SetInfo(LONG page_id, LONG element_id, IZCntElementBase* element) noexcept override;
    HRESULT GetPosition(LONG* left, LONG* top, LONG* right, LONG* bottom,
                        SHORT* inclination) noexcept override;

    // What the container reads on its hot paths, without a copy or a virtual call.
    LONG page_id() const noexcept { return page_id_; }
    LONG element_id() const noexcept { return element_id_; }
    ZeCntElementType element_type() const noexcept { return type_; }
    BSTR description() const noexcept { return description_; }
    LONG left() const noexcept { return left_; }
    LONG top() const noexcept { return top_; }
    LONG right() const noexcept { return right_; }
    LONG bottom() const noexcept { return bottom_; }
    SHORT inclination() const noexcept { return inclination_; }

    // What a container watches of the records it files: how many of them have a PageID that
    // no longer equals the key they are filed under (while 0 a hit test may look at the key's
    // records alone), how often a filed record's ElementID changed (its index of element
    // ids is then rebuilt before it is used), and how many bytes their Save writes in all (the
    // room a save makes in a memory stream before it starts).
    struct filing_watch {
        LONG strays = 0;
        std::uint64_t renames = 0;
        std::uint64_t record_bytes = 0;
    };
    // The container files a record under a page id; unfile() ends the watch. A container that
    // lets every record go at once ends each watch with forget_watch(), which leaves the counts
    // alone, and then zeroes its strays and bytes itself.
    void file_under(LONG key, filing_watch* watch) noexcept
    {
        unfile();
        filed_key_ = key;
        watch_ = watch;
        if (!watch_) return;
        if (page_id_ != filed_key_) ++watch_->strays;
        watch_->record_bytes += saved_size();
    }
    void unfile() noexcept
    {
        if (!watch_) return;
        if (page_id_ != filed_key_) --watch_->strays;
        watch_->record_bytes -= saved_size();
        watch_ = nullptr;
    }
    void forget_watch() noexcept { watch_ = nullptr; }

    IZCntElementInfo* info_interface() noexcept { return this; }

    // Save and Load for the container's own records, in one piece where they can be: through
    // `window`, the direct window on `stream` (record::direct_window), or null for none.
    HRESULT save_record(IStream* stream, const com::memory_window* window,
                        BOOL clear_dirty) noexcept;
    HRESULT load_record(IStream* stream, const com::memory_window* window) noexcept;

    // A new record's description is the empty string, not null.
    HRESULT final_construct() noexcept { return to_load_ ? S_OK : make_empty_description(); }

protected:
    CZCntElementInfo() noexcept;
    // A record loaded or filled at once: no empty description is made only to be replaced.
    explicit CZCntElementInfo(bool to_load) noexcept : to_load_(to_load) {}
    ~CZCntElementInfo();
    // kTextRoom bytes beside the record, living as long as it does, where a loaded description
    // that fits is kept instead of on the heap; kTextHeader bytes of it come before the text.
    static constexpr std::size_t kTextRoom = 64;
    static constexpr std::size_t kTextHeader = 8;
    void give_text_room(BYTE* room) noexcept { text_room_ = room; }

private:
    friend class persist_record<CZCntElementInfo>;
    void set_page_id(LONG id) noexcept
    {
        if (watch_) {
            const bool was_stray = page_id_ != filed_key_;
            const bool is_stray = id != filed_key_;
            if (was_stray != is_stray) watch_->strays += is_stray ? 1 : -1;
        }
        page_id_ = id;
    }
    void set_element_id(LONG id) noexcept;
    static constexpr auto tail_fields() noexcept;
    // The record's bytes around its description: page id, element id and the description's
    // count before it; kind, rectangle and inclination after it.
    static constexpr std::size_t kHeadBytes = 12;
    static constexpr std::size_t kTailBytes = 22;
    // What Save writes, version included, as far as a filing watch counts it.
    std::size_t saved_size() const noexcept { return 4 + kHeadBytes + text_count_ + kTailBytes; }
    HRESULT make_empty_description() noexcept;
    // The bytes the record takes after its version, or 0 for a description too long to write.
    std::size_t encoded_size() const noexcept
    {
        return text_count_ > record::max_string_bytes ? 0 : kHeadBytes + text_count_ + kTailBytes;
    }
    void drop_description() noexcept;
    void take_description(BSTR text) noexcept;
    void take_description(BSTR text, ULONG count) noexcept;
    BSTR make_description(const BYTE* bytes, ULONG size) noexcept;
    void encode(BYTE* at, std::size_t size) const noexcept;
    HRESULT save_fields(IStream* stream) noexcept;
    HRESULT load_fields(IStream* stream, ULONG version) noexcept;
    bool decode(const BYTE* at, std::size_t available, std::size_t* used,
                HRESULT* result) noexcept;
    bool load_in_place(IStream* stream, HRESULT* result) noexcept;
    void encode_tail(BYTE* at) const noexcept;
    void decode_tail(const BYTE* at) noexcept;
    bool& dirty_flag() noexcept { return dirty_; }

    // In an order that leaves few gaps: a load makes and a clear reads every record.
    LONG page_id_ = 0;
    LONG element_id_ = 0;
    ZeCntElementType type_ = zeCntElementTypeUnknown;
    BSTR description_ = nullptr;
    LONG left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
    // The description's count on the stream, kept with it so that neither a save's room nor a
    // filing watch reads the text: 0 for null, the text's bytes + 2, or kTooLong.
    ULONG text_count_ = 0;
    SHORT inclination_ = 0;
    bool dirty_ = false;
    bool to_load_ = false;
    LONG filed_key_ = 0;
    BYTE* text_room_ = nullptr;
    filing_watch* watch_ = nullptr;
};

// A new, empty record owned by the caller. Records to load come from record_blocks.
HRESULT create_element_info(CZCntElementInfo** out) noexcept;
// A new record owned by the caller whose description stays null, for one that SetInfo fills
// at once: SetInfo replaces the description whatever it was.
HRESULT create_element_info_to_fill(CZCntElementInfo** out) noexcept;

}  // namespace cnt

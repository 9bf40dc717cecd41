// The element info record: its properties, SetInfo from an element and its stream record.
#include "container/element_info.h"

#include <cstring>

#include "container/wrapping.h"
#include "core/record_fields.h"
#include "platform/com/fault_switch.h"
#include "platform/com/little_endian.h"

namespace cnt {

CZCntElementInfo::CZCntElementInfo() noexcept = default;

CZCntElementInfo::~CZCntElementInfo()
{
    unfile();
    drop_description();
}

HRESULT CZCntElementInfo::make_empty_description() noexcept
{
    BSTR empty = SysAllocString(u"");
    if (!empty) return E_OUTOFMEMORY;
    take_description(empty);
    return S_OK;
}

HRESULT create_element_info(CZCntElementInfo** out) noexcept
{
    return com::make<CZCntElementInfo>(out);
}

HRESULT create_element_info_to_fill(CZCntElementInfo** out) noexcept
{
    return com::make<CZCntElementInfo>(out, true);
}


void CZCntElementInfo::set_element_id(LONG id) noexcept
{
    if (watch_ && id != element_id_) ++watch_->renames;
    element_id_ = id;
}

// ---- IZCntElementInfo -----------------------------------------------------------------------

HRESULT CZCntElementInfo::get_PageID(LONG* id) noexcept
{
    if (!id) return E_POINTER;
    *id = page_id_;
    return S_OK;
}

HRESULT CZCntElementInfo::put_PageID(LONG id) noexcept
{
    set_page_id(id);
    dirty_ = true;
    return S_OK;
}

HRESULT CZCntElementInfo::get_ElementID(LONG* id) noexcept
{
    if (!id) return E_POINTER;
    *id = element_id_;
    return S_OK;
}

HRESULT CZCntElementInfo::put_ElementID(LONG id) noexcept
{
    set_element_id(id);
    dirty_ = true;
    return S_OK;
}

HRESULT CZCntElementInfo::get_ElementType(ZeCntElementType* type) noexcept
{
    if (!type) return E_POINTER;
    *type = type_;
    return S_OK;
}

HRESULT CZCntElementInfo::get_Description(BSTR* text) noexcept
{
    if (!text) return E_POINTER;
    *text = nullptr;
    if (!description_) return S_OK;
    *text = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(description_),
                                  SysStringByteLen(description_));
    return *text ? S_OK : E_OUTOFMEMORY;
}

HRESULT CZCntElementInfo::put_Description(BSTR text) noexcept
{
    if (!text) return E_INVALIDARG;
    if (text != description_) {
        // Up to the first NUL, as a C string would be copied; the old text stays on failure.
        BSTR copy = SysAllocString(text);
        if (!copy) return E_OUTOFMEMORY;
        drop_description();
        take_description(copy);
    }
    dirty_ = true;
    return S_OK;
}

HRESULT CZCntElementInfo::SetInfo(LONG page_id, LONG element_id,
                                  IZCntElementBase* element) noexcept
{
    if (!element) return E_INVALIDARG;
    set_page_id(page_id);
    set_element_id(element_id);

    // The getters' results are not checked; one that fails leaves its value at 0.
    ZeCntElementType type = zeCntElementTypeUnknown;
    element->get_ElementType(&type);
    type_ = type;

    LONG left = 0, top = 0, width = 0, height = 0;
    element->GetPosition(&left, &top, &width, &height);
    left_ = left;
    top_ = top;
    right_ = wrapping_add(left, width);
    bottom_ = wrapping_add(top, height);

    SHORT inclination = 0;
    element->get_Inclination(&inclination);
    inclination_ = inclination;

    drop_description();
    BSTR text = nullptr;
    if (SUCCEEDED(element->get_Description(&text)))
        take_description(text);
    else
        SysFreeString(text);

    dirty_ = true;
    return S_OK;
}

HRESULT CZCntElementInfo::GetPosition(LONG* left, LONG* top, LONG* right, LONG* bottom,
                                      SHORT* inclination) noexcept
{
    if (left) *left = left_;
    if (top) *top = top_;
    if (right) *right = right_;
    if (bottom) *bottom = bottom_;
    if (inclination) *inclination = inclination_;
    return S_OK;
}

// ---- The record ----------------------------------------------------------------------------

// After the page id, element id and description, which are read by hand: setting the page id
// keeps the stray count, and the description may live in the record's own room.
constexpr auto CZCntElementInfo::tail_fields() noexcept
{
    using C = CZCntElementInfo;
    return record::table(record::enumeration(&C::type_), record::i32(&C::left_),
                         record::i32(&C::top_), record::i32(&C::right_), record::i32(&C::bottom_),
                         record::i16(&C::inclination_));
}

namespace {
// Any count above the longest string a record holds: the description cannot be saved.
constexpr ULONG kTooLong = record::max_string_bytes + 1;
}  // namespace

// A description in the record's room is let go with the record; any other is the heap's.
void CZCntElementInfo::drop_description() noexcept
{
    if (!description_) return;  // and text_count_ is 0
    if (watch_) watch_->record_bytes -= text_count_;
    text_count_ = 0;
    if (!text_room_ || reinterpret_cast<BYTE*>(description_) != text_room_ + kTextHeader)
        SysFreeString(description_);
    description_ = nullptr;
}

// The new description after drop_description().
void CZCntElementInfo::take_description(BSTR text) noexcept
{
    if (!text) return;
    const ULONG bytes = SysStringByteLen(text);
    take_description(text, bytes > record::max_string_bytes - 2 ? kTooLong : bytes + 2);
}

// The same, for a description whose count on the stream is known.
void CZCntElementInfo::take_description(BSTR text, ULONG count) noexcept
{
    description_ = text;
    text_count_ = count;
    if (watch_) watch_->record_bytes += count;
}

// The description as SysAllocStringByteLen would make it, in the record's room when it fits
// there: laid out as a BSTR (the byte length just before the text, a 16-bit terminator after
// it) and counted as an allocation all the same, so that the fault switch sees the same run.
BSTR CZCntElementInfo::make_description(const BYTE* bytes, ULONG size) noexcept
{
    if (!text_room_ || std::size_t{size} + kTextHeader + 2 > kTextRoom)
        return SysAllocStringByteLen(reinterpret_cast<LPCSTR>(bytes), size);
    if (com::fault::allocation_fails()) return nullptr;
    const std::uint32_t length = size;
    std::memcpy(text_room_ + kTextHeader - 4, &length, 4);
    BYTE* text = text_room_ + kTextHeader;
    if (size) std::memcpy(text, bytes, size);
    text[size] = 0;
    text[size + 1] = 0;
    return reinterpret_cast<BSTR>(text);
}

void CZCntElementInfo::encode_tail(BYTE* at) const noexcept
{
    com::le::store32(at, static_cast<std::uint32_t>(type_));
    com::le::store32(at + 4, static_cast<std::uint32_t>(left_));
    com::le::store32(at + 8, static_cast<std::uint32_t>(top_));
    com::le::store32(at + 12, static_cast<std::uint32_t>(right_));
    com::le::store32(at + 16, static_cast<std::uint32_t>(bottom_));
    com::le::store16(at + 20, static_cast<std::uint16_t>(inclination_));
}

void CZCntElementInfo::decode_tail(const BYTE* at) noexcept
{
    type_ = static_cast<ZeCntElementType>(static_cast<LONG>(com::le::load32(at)));
    left_ = static_cast<LONG>(com::le::load32(at + 4));
    top_ = static_cast<LONG>(com::le::load32(at + 8));
    right_ = static_cast<LONG>(com::le::load32(at + 12));
    bottom_ = static_cast<LONG>(com::le::load32(at + 16));
    inclination_ = static_cast<SHORT>(com::le::load16(at + 20));
}

// The record after its version, encoded_size() bytes, as the fields write it one by one.
void CZCntElementInfo::encode(BYTE* at, std::size_t size) const noexcept
{
    com::le::store32(at, static_cast<std::uint32_t>(page_id_));
    com::le::store32(at + 4, static_cast<std::uint32_t>(element_id_));
    const std::size_t count = size - kHeadBytes - kTailBytes;
    com::le::store32(at + 8, static_cast<std::uint32_t>(count));
    at += kHeadBytes;
    if (count) {
        if (count > 2) std::memcpy(at, description_, count - 2);
        com::le::store16(at + count - 2, 0);
        at += count;
    }
    encode_tail(at);
}

// Into a memory stream with room for the whole record, it is written in one piece: the same
// bytes the fields would write one by one, which is what happens otherwise.
HRESULT CZCntElementInfo::save_fields(IStream* stream) noexcept
{
    if (const std::size_t size = encoded_size()) {
        if (BYTE* at = record::direct_writable(stream, size)) {
            encode(at, size);
            record::direct_write_done(stream, size);
            return S_OK;
        }
    }
    RETURN_IF_FAILED(record::write_i32(stream, page_id_));
    RETURN_IF_FAILED(record::write_i32(stream, element_id_));
    RETURN_IF_FAILED(record::write_string(stream, description_));
    return record::save(stream, tail_fields(), *this);
}

// Save for the container's walk over its records: the version and the record in one piece
// where the memory stream the window is on has room, without the call through the interface.
HRESULT CZCntElementInfo::save_record(IStream* stream, const com::memory_window* window,
                                      BOOL clear_dirty) noexcept
{
    if (const std::size_t size = encoded_size(); size && window) {
        if (BYTE* at = record::window_writable(*window, 4 + size)) {
            com::le::store32(at, record_version);
            encode(at + 4, size);
            record::window_write_done(*window, 4 + size);
            if (clear_dirty) dirty_ = false;
            return S_OK;
        }
    }
    return persist_record::Save(stream, clear_dirty);
}

// A whole, well-formed record after its version, from `available` bytes at `at`, is decoded
// with the one allocation the field-by-field load makes: *used is how far that load would go
// (all of the record, or up to the description's count when the allocation fails). Anything
// else (a record cut short, a bad count or terminator) changes nothing and gives false, and is
// left to that load, which then gives the same fields, position and code.
bool CZCntElementInfo::decode(const BYTE* at, std::size_t available, std::size_t* used,
                              HRESULT* result) noexcept
{
    if (available < kHeadBytes + kTailBytes) return false;
    const ULONG count = com::le::load32(at + 8);
    if (count == 1 || count > record::max_string_bytes) return false;
    if (available < kHeadBytes + count + kTailBytes) return false;
    const BYTE* text = at + kHeadBytes;
    if (count && com::le::load16(text + count - 2) != 0) return false;

    set_page_id(static_cast<LONG>(com::le::load32(at)));
    element_id_ = static_cast<LONG>(com::le::load32(at + 4));
    drop_description();
    if (count) {
        BSTR made = make_description(text, count - 2);
        if (!made) {
            *used = 8;
            *result = E_OUTOFMEMORY;
            return true;
        }
        take_description(made, count);
    }
    decode_tail(text + count);
    *used = kHeadBytes + count + kTailBytes;
    *result = S_OK;
    return true;
}

// A whole, well-formed record in a memory stream is decoded in place.
bool CZCntElementInfo::load_in_place(IStream* stream, HRESULT* result) noexcept
{
    std::size_t available = 0, used = 0;
    const BYTE* at = record::direct_readable(stream, &available);
    if (!at || !decode(at, available, &used, result)) return false;
    record::direct_read_done(stream, used);
    return true;
}

// Load for the container's walk over its records: in the memory stream the window is on, a
// whole, well-formed record of a version this class reads is decoded in place, version and
// all; anything else goes through Load, which gives the code.
HRESULT CZCntElementInfo::load_record(IStream* stream, const com::memory_window* window) noexcept
{
    if (!window) return persist_record::Load(stream);
    std::size_t available = 0, used = 0;
    const BYTE* at = record::window_readable(*window, &available);
    if (available < 4 || com::le::load32(at) > record_version) return persist_record::Load(stream);
    const LONG element_id = element_id_;
    HRESULT hr = S_OK;
    if (!decode(at + 4, available - 4, &used, &hr)) return persist_record::Load(stream);
    record::window_read_done(*window, 4 + used);
    if (watch_ && element_id_ != element_id) ++watch_->renames;
    if (SUCCEEDED(hr)) dirty_ = false;
    return hr;
}

// Each field takes its new value as soon as it is read, so a failure part way keeps those.
HRESULT CZCntElementInfo::load_fields(IStream* stream, ULONG) noexcept
{
    const LONG element_id = element_id_;
    HRESULT hr = S_OK;
    if (!load_in_place(stream, &hr)) {
        LONG page_id = 0;
        RETURN_IF_FAILED(record::read_i32(stream, &page_id));
        set_page_id(page_id);
        hr = record::read_i32(stream, &element_id_);
        if (SUCCEEDED(hr)) {
            // As the string reader does first, whatever it then finds.
            drop_description();
            BSTR read = nullptr;
            hr = record::read_string(stream, &read);
            take_description(read);
        }
        if (SUCCEEDED(hr)) hr = record::load(stream, tail_fields(), *this);
    }
    // Read straight into the field: a filed record still reports the change of its id.
    if (watch_ && element_id_ != element_id) ++watch_->renames;
    return hr;
}

}  // namespace cnt

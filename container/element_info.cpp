// The element info record: its properties, SetInfo from an element and its stream record.
#include "container/element_info.h"

#include "container/wrapping.h"
#include "core/record_fields.h"

namespace cnt {

CZCntElementInfo::CZCntElementInfo() noexcept = default;

CZCntElementInfo::~CZCntElementInfo()
{
    unfile();
    SysFreeString(description_);
}

HRESULT CZCntElementInfo::final_construct() noexcept
{
    if (to_load_) return S_OK;
    description_ = SysAllocString(u"");
    return description_ ? S_OK : E_OUTOFMEMORY;
}

HRESULT create_element_info(CZCntElementInfo** out) noexcept
{
    return com::make<CZCntElementInfo>(out);
}

HRESULT create_element_info_to_load(CZCntElementInfo** out) noexcept
{
    return com::make<CZCntElementInfo>(out, true);
}

void CZCntElementInfo::file_under(LONG key, filing_watch* watch) noexcept
{
    unfile();
    filed_key_ = key;
    watch_ = watch;
    if (watch_ && page_id_ != filed_key_) ++watch_->strays;
}

void CZCntElementInfo::unfile() noexcept
{
    if (watch_ && page_id_ != filed_key_) --watch_->strays;
    watch_ = nullptr;
}

void CZCntElementInfo::set_page_id(LONG id) noexcept
{
    if (watch_) {
        const bool was_stray = page_id_ != filed_key_;
        const bool is_stray = id != filed_key_;
        if (was_stray != is_stray) watch_->strays += is_stray ? 1 : -1;
    }
    page_id_ = id;
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
        SysFreeString(description_);
        description_ = copy;
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

    SysFreeString(description_);
    description_ = nullptr;
    BSTR text = nullptr;
    if (SUCCEEDED(element->get_Description(&text)))
        description_ = text;
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

// After the page id, which is read by hand: setting it keeps the stray count.
constexpr auto CZCntElementInfo::record_fields() noexcept
{
    using C = CZCntElementInfo;
    return record::table(record::i32(&C::element_id_), record::string(&C::description_),
                         record::enumeration(&C::type_), record::i32(&C::left_),
                         record::i32(&C::top_), record::i32(&C::right_), record::i32(&C::bottom_),
                         record::i16(&C::inclination_));
}

HRESULT CZCntElementInfo::save_fields(IStream* stream) noexcept
{
    RETURN_IF_FAILED(record::write_i32(stream, page_id_));
    return record::save(stream, record_fields(), *this);
}

// Each field takes its new value as soon as it is read, so a failure part way keeps those.
HRESULT CZCntElementInfo::load_fields(IStream* stream, ULONG) noexcept
{
    LONG page_id = 0;
    RETURN_IF_FAILED(record::read_i32(stream, &page_id));
    set_page_id(page_id);
    const LONG element_id = element_id_;
    const HRESULT hr = record::load(stream, record_fields(), *this);
    // Read straight into the field: a filed record still reports the change of its id.
    if (watch_ && element_id_ != element_id) ++watch_->renames;
    return hr;
}

}  // namespace cnt

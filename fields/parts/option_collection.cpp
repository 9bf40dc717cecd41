// CZCntChoiceFieldOptionCollection: the ordered choices of a combo or list box, counted from 1
// through the interface, with its record — the format word of its (empty) property set,
// 0x00000E00, the item count and each option's own record.
#include <new>
#include <utility>
#include <vector>

#include "core/record_io.h"
#include "fields/parts/option.h"
#include "fields/parts/parts.h"
#include "platform/automation/dispatch_impl.h"
#include "platform/com/com.h"
#include "platform/com/enum_variant.h"

namespace cnt::fields {
namespace {

constexpr ULONG property_set_format = 0x00000E00;

// IPersistStreamInit alone: the collection answers no IPersist, although the interface
// derives from it, so the chain of bases stops here.
struct persist_stream_init_only : IPersistStreamInit {
    static constexpr IID iid = IPersistStreamInit::iid;
    using base = void;
};

com::ComPtr<IPersistStreamInit> persistence_of(IZCntChoiceFieldOption* option) noexcept
{
    com::ComPtr<IPersistStreamInit> persist;
    if (option) option->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    return persist;
}

class CZCntChoiceFieldOptionCollection
    : public com::object_root<CZCntChoiceFieldOptionCollection,
                              com::automation::dispatch_impl<IZCntChoiceFieldOptionCollection>,
                              persist_stream_init_only> {
public:
    using option_ptr = com::ComPtr<IZCntChoiceFieldOption>;

    // ---- IZCntChoiceFieldOptionCollection ----

    HRESULT get__NewEnum(IUnknown** out) noexcept override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        // The enumerator copies the variants, taking its own reference on each option.
        std::vector<VARIANT> snapshot;
        try {
            snapshot.reserve(items_.size());
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        for (const option_ptr& item : items_) {
            if (!item) continue;
            VARIANT v;
            VariantInit(&v);
            v.vt = VT_DISPATCH;
            v.pdispVal = item.get();
            snapshot.push_back(v);
        }
        com::ComPtr<IEnumVARIANT> enumerator;
        RETURN_IF_FAILED(com::create_variant_enumerator(
            snapshot.data(), static_cast<ULONG>(snapshot.size()), enumerator.put()));
        *out = enumerator.detach();
        return S_OK;
    }

    HRESULT get_Item(LONG index, IZCntChoiceFieldOption** out) noexcept override
    {
        if (!out) return E_POINTER;
        if (!valid(index)) return E_INVALIDARG;
        return items_[index - 1].copy_to(out);
    }

    HRESULT get_Count(LONG* count) noexcept override
    {
        if (!count) return E_POINTER;
        *count = size();
        return S_OK;
    }

    HRESULT Add(IZCntChoiceFieldOption** out) noexcept override
    {
        option_ptr option;
        RETURN_IF_FAILED(create_option(option.put()));
        RETURN_IF_FAILED(append(option));
        dirty_ = true;
        if (out) return option.copy_to(out);
        return S_OK;
    }

    HRESULT Remove(LONG index) noexcept override
    {
        if (!valid(index)) return E_INVALIDARG;
        items_.erase(items_.begin() + (index - 1));
        dirty_ = true;
        return S_OK;
    }

    HRESULT Clear() noexcept override
    {
        items_.clear();
        dirty_ = true;
        return S_OK;
    }

    // Moving changes the order the next Save writes, but not the dirty flag.
    HRESULT MoveItemUp(LONG index) noexcept override
    {
        if (index < 2 || !valid(index)) return E_INVALIDARG;
        std::swap(items_[index - 2], items_[index - 1]);
        return S_OK;
    }

    HRESULT MoveItemDown(LONG index) noexcept override
    {
        if (!valid(index) || index > size() - 1) return E_INVALIDARG;
        std::swap(items_[index - 1], items_[index]);
        return S_OK;
    }

    // ---- IPersistStreamInit ----

    HRESULT GetClassID(CLSID* clsid) noexcept override
    {
        if (!clsid) return E_POINTER;
        *clsid = CLSID_NULL;
        return S_OK;
    }

    // Dirty itself, or the first item's answer that is not S_FALSE.
    HRESULT IsDirty() noexcept override
    {
        if (dirty_) return S_OK;
        for (const option_ptr& item : items_) {
            const auto persist = persistence_of(item.get());
            if (!persist) return E_UNEXPECTED;
            const HRESULT hr = persist->IsDirty();
            if (hr != S_FALSE) return hr;
        }
        return S_FALSE;
    }

    HRESULT Load(IStream* stream) noexcept override
    {
        if (!stream) return E_POINTER;
        ULONG format = 0;
        if (FAILED(record::read_u32(stream, &format)) || format > property_set_format)
            return E_FAIL;
        items_.clear();
        ULONG count = 0;
        RETURN_IF_FAILED(record::read_u32(stream, &count));
        // The count is untrusted: options arrive one by one until it is met or the stream
        // fails, and those read so far stay.
        for (ULONG i = 0; i < count; ++i) {
            option_ptr option;
            if (FAILED(create_option(option.put()))) return E_OUTOFMEMORY;
            const auto persist = persistence_of(option.get());
            if (!persist) return E_UNEXPECTED;
            RETURN_IF_FAILED(persist->Load(stream));
            RETURN_IF_FAILED(append(option));
        }
        dirty_ = false;
        return S_OK;
    }

    HRESULT Save(IStream* stream, BOOL clear_dirty) noexcept override
    {
        if (!stream) return E_POINTER;
        RETURN_IF_FAILED(record::write_u32(stream, property_set_format));
        RETURN_IF_FAILED(record::write_u32(stream, static_cast<ULONG>(items_.size())));
        for (const option_ptr& item : items_) {
            const auto persist = persistence_of(item.get());
            if (!persist) return E_UNEXPECTED;
            RETURN_IF_FAILED(persist->Save(stream, clear_dirty));
        }
        if (clear_dirty) dirty_ = false;
        return S_OK;
    }

    HRESULT GetSizeMax(ULARGE_INTEGER* size) noexcept override
    {
        if (!size) return E_POINTER;
        size->QuadPart = 4;
        return S_OK;
    }

    HRESULT InitNew() noexcept override
    {
        dirty_ = true;
        return S_OK;
    }

private:
    LONG size() const noexcept { return static_cast<LONG>(items_.size()); }
    bool valid(LONG index) const noexcept { return index >= 1 && index <= size(); }

    HRESULT append(const option_ptr& option) noexcept
    {
        try {
            items_.push_back(option);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

    std::vector<option_ptr> items_;
    bool dirty_ = false;
};

}  // namespace

HRESULT create_option_collection(IZCntChoiceFieldOptionCollection** out) noexcept
{
    return com::make<CZCntChoiceFieldOptionCollection>(out);
}

}  // namespace cnt::fields

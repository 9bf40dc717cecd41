// The variant enumerator: a position over a reference-counted, read-only snapshot that clones
// share.
#include "platform/com/enum_variant.h"

#include <algorithm>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "platform/com/object.h"

namespace {

// Never changed once made, so enumerators on different threads may share it.
struct snapshot {
    std::vector<VARIANT> items;

    snapshot() = default;
    snapshot(const snapshot&) = delete;
    snapshot& operator=(const snapshot&) = delete;
    ~snapshot()
    {
        for (VARIANT& item : items) VariantClear(&item);
    }
};

class variant_enumerator : public com::object_root<variant_enumerator, IEnumVARIANT> {
public:
    variant_enumerator(std::shared_ptr<const snapshot> items, ULONG position) noexcept
        : snapshot_(std::move(items)), position_(position)
    {
    }

    HRESULT Next(ULONG count, VARIANT* items, ULONG* fetched) noexcept override
    {
        if (fetched) *fetched = 0;
        if (count == 0) return S_OK;
        if (!items) return E_INVALIDARG;
        for (ULONG i = 0; i < count; ++i) VariantInit(&items[i]);
        const ULONG copied = std::min(count, remaining());
        for (ULONG i = 0; i < copied; ++i) {
            HRESULT hr = VariantCopy(&items[i], &snapshot_->items[position_ + i]);
            if (FAILED(hr)) {
                for (ULONG j = 0; j < i; ++j) VariantClear(&items[j]);
                return hr;
            }
        }
        position_ += copied;
        if (fetched) *fetched = copied;
        return copied < count ? S_FALSE : S_OK;
    }

    HRESULT Skip(ULONG count) noexcept override
    {
        const ULONG skipped = std::min(count, remaining());
        position_ += skipped;
        return skipped < count ? S_FALSE : S_OK;
    }

    HRESULT Reset() noexcept override
    {
        position_ = 0;
        return S_OK;
    }

    HRESULT Clone(IEnumVARIANT** clone) noexcept override
    {
        if (!clone) return E_POINTER;
        *clone = nullptr;
        variant_enumerator* copy = nullptr;
        if (HRESULT hr = com::make<variant_enumerator>(&copy, snapshot_, position_); FAILED(hr))
            return hr;
        *clone = copy;
        return S_OK;
    }

private:
    ULONG remaining() const noexcept
    {
        return static_cast<ULONG>(snapshot_->items.size()) - position_;
    }

    std::shared_ptr<const snapshot> snapshot_;
    ULONG position_;
};

}  // namespace

HRESULT com::create_variant_enumerator(const VARIANT* items, ULONG count,
                                       IEnumVARIANT** out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!items && count) return E_INVALIDARG;
    std::shared_ptr<snapshot> copies;
    try {
        copies = std::make_shared<snapshot>();
        copies->items.reserve(count);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::length_error&) {
        return E_OUTOFMEMORY;
    }
    for (ULONG i = 0; i < count; ++i) {
        VARIANT copy;
        VariantInit(&copy);
        // The snapshot's destructor clears the copies made so far.
        if (HRESULT hr = VariantCopyInd(&copy, &items[i]); FAILED(hr)) return hr;
        copies->items.push_back(copy);  // cannot throw: the room is reserved
    }
    variant_enumerator* enumerator = nullptr;
    if (HRESULT hr = make<variant_enumerator>(&enumerator, std::move(copies), 0u); FAILED(hr))
        return hr;
    *out = enumerator;
    return S_OK;
}

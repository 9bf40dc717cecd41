// SAFEARRAY: descriptors, element storage with per-type ownership, locks, copy and resize.
//
// Like Windows, a descriptor made here is preceded by a 16-byte hidden header whose last four
// bytes hold the element VARTYPE (FADF_HAVEVARTYPE). Bounds are stored right-most dimension
// first (rgsabound[0] is the last dimension given to SafeArrayCreate), and elements are laid
// out with the first index varying fastest, so SafeArrayRedim's change to the last dimension
// only moves the end of the data.
#include "platform/com/safearray.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "platform/com/result.h"
#include "platform/com/unknown.h"
#include "platform/com/variant_detail.h"

namespace {

constexpr std::size_t header_size = 16;
constexpr ULONG max_locks = 0xFFFF;
// Features that describe how the caller allocated the array: such memory is not ours to free.
constexpr USHORT caller_owned = FADF_AUTO | FADF_STATIC | FADF_EMBEDDED;

ULONG element_size(VARTYPE vt) noexcept
{
    switch (vt) {
    case VT_BSTR:
    case VT_UNKNOWN:
    case VT_DISPATCH: return sizeof(void*);
    case VT_DECIMAL: return sizeof(DECIMAL);
    case VT_VARIANT: return sizeof(VARIANT);
    default: return static_cast<ULONG>(com::variant_detail::plain_size(vt));
    }
}

USHORT features_for(VARTYPE vt) noexcept
{
    switch (vt) {
    case VT_BSTR: return FADF_HAVEVARTYPE | FADF_BSTR;
    case VT_UNKNOWN: return FADF_HAVEVARTYPE | FADF_UNKNOWN;
    case VT_DISPATCH: return FADF_HAVEVARTYPE | FADF_DISPATCH;
    case VT_VARIANT: return FADF_HAVEVARTYPE | FADF_VARIANT;
    default: return FADF_HAVEVARTYPE;
    }
}

VARTYPE& stored_vartype(SAFEARRAY* array) noexcept
{
    return *reinterpret_cast<VARTYPE*>(reinterpret_cast<char*>(array) - sizeof(DWORD));
}

std::size_t descriptor_bytes(UINT dims) noexcept
{
    return sizeof(SAFEARRAY) + (dims - 1) * sizeof(SAFEARRAYBOUND);
}

SAFEARRAY* allocate_descriptor(UINT dims) noexcept
{
    char* block = static_cast<char*>(std::calloc(1, header_size + descriptor_bytes(dims)));
    if (!block) return nullptr;
    auto* array = reinterpret_cast<SAFEARRAY*>(block + header_size);
    array->cDims = static_cast<USHORT>(dims);
    return array;
}

void free_descriptor(SAFEARRAY* array) noexcept
{
    std::free(reinterpret_cast<char*>(array) - header_size);
}

// Total number of elements; false when the product does not fit.
bool element_count(const SAFEARRAY* array, std::size_t* count) noexcept
{
    std::size_t total = 1;
    for (USHORT i = 0; i < array->cDims; ++i) {
        std::size_t n = array->rgsabound[i].cElements;
        if (n && total > SIZE_MAX / n) return false;
        total *= n;
    }
    *count = total;
    return true;
}

bool data_bytes(const SAFEARRAY* array, std::size_t* bytes) noexcept
{
    std::size_t count = 0;
    if (!element_count(array, &count)) return false;
    if (array->cbElements && count > (SIZE_MAX / 2) / array->cbElements) return false;
    *bytes = count * array->cbElements;
    return true;
}

char* element_at(const SAFEARRAY* array, std::size_t index) noexcept
{
    return static_cast<char*>(array->pvData) + index * array->cbElements;
}

// Frees what elements [first, last) own.
void clear_elements(SAFEARRAY* array, std::size_t first, std::size_t last) noexcept
{
    if (!array->pvData) return;
    for (std::size_t i = first; i < last; ++i) {
        char* element = element_at(array, i);
        if (array->fFeatures & FADF_BSTR) {
            BSTR* s = reinterpret_cast<BSTR*>(element);
            SysFreeString(*s);
            *s = nullptr;
        } else if (array->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
            IUnknown** p = reinterpret_cast<IUnknown**>(element);
            if (*p) (*p)->Release();
            *p = nullptr;
        } else if (array->fFeatures & FADF_VARIANT) {
            VariantClear(reinterpret_cast<VARIANT*>(element));
        }
    }
}

// Copies one element into fresh storage at `to` (which owns nothing yet).
HRESULT copy_element(const SAFEARRAY* array, const void* from, void* to) noexcept
{
    if (array->fFeatures & FADF_BSTR) {
        BSTR s = *static_cast<const BSTR*>(from);
        BSTR copy = nullptr;
        if (s) {
            copy = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(s), SysStringByteLen(s));
            RETURN_IF_NULL_ALLOC(copy);
        }
        *static_cast<BSTR*>(to) = copy;
    } else if (array->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
        IUnknown* p = *static_cast<IUnknown* const*>(from);
        if (p) p->AddRef();
        *static_cast<IUnknown**>(to) = p;
    } else if (array->fFeatures & FADF_VARIANT) {
        VARIANT* v = static_cast<VARIANT*>(to);
        VariantInit(v);
        RETURN_IF_FAILED(VariantCopy(v, static_cast<const VARIANT*>(from)));
    } else {
        std::memcpy(to, from, array->cbElements);
    }
    return S_OK;
}

// Element index of `indices` (first index varying fastest), or DISP_E_BADINDEX.
HRESULT cell_index(const SAFEARRAY* array, const LONG* indices, std::size_t* cell) noexcept
{
    std::size_t offset = 0, stride = 1;
    for (USHORT k = 0; k < array->cDims; ++k) {
        const SAFEARRAYBOUND& bound = array->rgsabound[array->cDims - 1 - k];
        long long relative = static_cast<long long>(indices[k]) - bound.lLbound;
        if (relative < 0 || relative >= static_cast<long long>(bound.cElements))
            return DISP_E_BADINDEX;
        offset += static_cast<std::size_t>(relative) * stride;
        stride *= bound.cElements;
    }
    *cell = offset;
    return S_OK;
}

SAFEARRAY* create(VARTYPE vt, UINT dims, const SAFEARRAYBOUND* bounds) noexcept
{
    ULONG size = element_size(vt);
    if (!size || dims == 0 || dims > 0xFFFF || !bounds) return nullptr;
    SAFEARRAY* array = allocate_descriptor(dims);
    if (!array) return nullptr;
    array->fFeatures = features_for(vt);
    array->cbElements = size;
    stored_vartype(array) = vt;
    for (UINT i = 0; i < dims; ++i) array->rgsabound[i] = bounds[dims - 1 - i];
    std::size_t bytes = 0;
    if (!data_bytes(array, &bytes) || !(array->pvData = std::calloc(1, bytes ? bytes : 1))) {
        free_descriptor(array);
        return nullptr;
    }
    return array;
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, SAFEARRAYBOUND* bounds) noexcept
{
    return create(vt, dims, bounds);
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lower_bound, ULONG count) noexcept
{
    SAFEARRAYBOUND bound{count, lower_bound};
    return create(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) noexcept
{
    if (!array) return S_OK;
    if (std::atomic_ref<ULONG>(array->cLocks).load() > 0) return DISP_E_ARRAYISLOCKED;
    std::size_t count = 0;
    if (element_count(array, &count)) clear_elements(array, 0, count);
    if (array->fFeatures & caller_owned) return S_OK;
    std::free(array->pvData);
    array->pvData = nullptr;
    free_descriptor(array);
    return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* source, SAFEARRAY** out) noexcept
{
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (!source) return S_OK;
    if (source->cDims == 0) return E_INVALIDARG;
    std::size_t count = 0, bytes = 0;
    if (!element_count(source, &count) || !data_bytes(source, &bytes)) return E_OUTOFMEMORY;

    SAFEARRAY* copy = allocate_descriptor(source->cDims);
    RETURN_IF_NULL_ALLOC(copy);
    copy->fFeatures = source->fFeatures & ~(caller_owned | FADF_FIXEDSIZE);
    copy->cbElements = source->cbElements;
    std::memcpy(copy->rgsabound, source->rgsabound, source->cDims * sizeof(SAFEARRAYBOUND));
    if (source->fFeatures & FADF_HAVEVARTYPE) stored_vartype(copy) = stored_vartype(source);
    if (source->pvData) {
        copy->pvData = std::calloc(1, bytes ? bytes : 1);
        if (!copy->pvData) {
            free_descriptor(copy);
            return E_OUTOFMEMORY;
        }
        for (std::size_t i = 0; i < count; ++i) {
            HRESULT hr = copy_element(source, element_at(source, i), element_at(copy, i));
            if (FAILED(hr)) {
                clear_elements(copy, 0, i);
                std::free(copy->pvData);
                free_descriptor(copy);
                return hr;
            }
        }
    }
    *out = copy;
    return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* array) noexcept { return array ? array->cDims : 0; }

UINT SafeArrayGetElemsize(SAFEARRAY* array) noexcept { return array ? array->cbElements : 0; }

HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt) noexcept
{
    if (!array || !vt) return E_INVALIDARG;
    if (array->fFeatures & FADF_HAVEVARTYPE) {
        *vt = stored_vartype(array);
    } else if (array->fFeatures & FADF_BSTR) {
        *vt = VT_BSTR;
    } else if (array->fFeatures & FADF_DISPATCH) {
        *vt = VT_DISPATCH;
    } else if (array->fFeatures & FADF_UNKNOWN) {
        *vt = VT_UNKNOWN;
    } else if (array->fFeatures & FADF_VARIANT) {
        *vt = VT_VARIANT;
    } else {
        return E_INVALIDARG;
    }
    return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound) noexcept
{
    if (!array || !bound) return E_INVALIDARG;
    if (dim == 0 || dim > array->cDims) return DISP_E_BADINDEX;
    *bound = array->rgsabound[array->cDims - dim].lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound) noexcept
{
    if (!array || !bound) return E_INVALIDARG;
    if (dim == 0 || dim > array->cDims) return DISP_E_BADINDEX;
    const SAFEARRAYBOUND& b = array->rgsabound[array->cDims - dim];
    *bound = static_cast<LONG>(static_cast<long long>(b.lLbound) + b.cElements - 1);
    return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* array) noexcept
{
    if (!array) return E_INVALIDARG;
    std::atomic_ref<ULONG> locks(array->cLocks);
    if (locks.fetch_add(1) + 1 > max_locks) {
        locks.fetch_sub(1);
        return E_UNEXPECTED;
    }
    return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* array) noexcept
{
    if (!array) return E_INVALIDARG;
    std::atomic_ref<ULONG> locks(array->cLocks);
    ULONG current = locks.load();
    do {
        if (current == 0) return E_UNEXPECTED;
    } while (!locks.compare_exchange_weak(current, current - 1));
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) noexcept
{
    if (!array || !data) return E_INVALIDARG;
    RETURN_IF_FAILED(SafeArrayLock(array));
    *data = array->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) noexcept { return SafeArrayUnlock(array); }

HRESULT SafeArrayPtrOfIndex(SAFEARRAY* array, LONG* indices, void** element) noexcept
{
    if (!array || !indices || !element) return E_INVALIDARG;
    std::size_t cell = 0;
    RETURN_IF_FAILED(cell_index(array, indices, &cell));
    if (!array->pvData) return E_UNEXPECTED;
    *element = element_at(array, cell);
    return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* value) noexcept
{
    if (!array || !indices || !value) return E_INVALIDARG;
    std::size_t cell = 0;
    RETURN_IF_FAILED(cell_index(array, indices, &cell));
    if (!array->pvData) return E_UNEXPECTED;
    RETURN_IF_FAILED(SafeArrayLock(array));
    HRESULT hr = copy_element(array, element_at(array, cell), value);
    SafeArrayUnlock(array);
    return hr;
}

HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* value) noexcept
{
    if (!array || !indices) return E_INVALIDARG;
    // Strings and interfaces are passed as the pointer itself, so null is a valid value there.
    const bool pointer_value = array->fFeatures & (FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH);
    if (!value && !pointer_value) return E_INVALIDARG;
    std::size_t cell = 0;
    RETURN_IF_FAILED(cell_index(array, indices, &cell));
    if (!array->pvData) return E_UNEXPECTED;
    RETURN_IF_FAILED(SafeArrayLock(array));
    char* element = element_at(array, cell);
    HRESULT hr = S_OK;
    if (array->fFeatures & FADF_VARIANT) {
        hr = VariantCopy(reinterpret_cast<VARIANT*>(element), static_cast<const VARIANT*>(value));
    } else if (pointer_value) {
        // Copy first: the new value may be the one already stored.
        char fresh[sizeof(void*)];
        hr = copy_element(array, &value, fresh);
        if (SUCCEEDED(hr)) {
            clear_elements(array, cell, cell + 1);
            std::memcpy(element, fresh, sizeof(void*));
        }
    } else {
        std::memcpy(element, value, array->cbElements);
    }
    SafeArrayUnlock(array);
    return hr;
}

HRESULT SafeArrayRedim(SAFEARRAY* array, SAFEARRAYBOUND* bound) noexcept
{
    if (!array || !bound) return E_INVALIDARG;
    // Fixed-size and caller-allocated arrays cannot move their data.
    if (std::atomic_ref<ULONG>(array->cLocks).load() > 0 ||
        (array->fFeatures & (FADF_FIXEDSIZE | caller_owned)))
        return DISP_E_ARRAYISLOCKED;
    if (array->cDims == 0) return E_INVALIDARG;
    std::size_t old_count = 0, old_bytes = 0;
    if (!element_count(array, &old_count) || !data_bytes(array, &old_bytes)) return E_UNEXPECTED;

    SAFEARRAYBOUND previous = array->rgsabound[0];
    array->rgsabound[0] = *bound;
    std::size_t new_count = 0, new_bytes = 0;
    if (!element_count(array, &new_count) || !data_bytes(array, &new_bytes)) {
        array->rgsabound[0] = previous;
        return E_OUTOFMEMORY;
    }
    if (new_count < old_count) {
        clear_elements(array, new_count, old_count);
        if (void* smaller = std::realloc(array->pvData, new_bytes ? new_bytes : 1))
            array->pvData = smaller;
    } else if (new_count > old_count) {
        void* larger = std::realloc(array->pvData, new_bytes);
        if (!larger) {
            array->rgsabound[0] = previous;
            return E_OUTOFMEMORY;
        }
        array->pvData = larger;
        std::memset(static_cast<char*>(larger) + old_bytes, 0, new_bytes - old_bytes);
    }
    return S_OK;
}

// The fault stream: forwards to an inner stream and fails the calls a fault plan names, so that
// tests can reach every error path of a reader or writer.
#include "platform/com/streams.h"

#include <algorithm>
#include <memory>
#include <new>

#include "platform/com/com_ptr.h"
#include "platform/com/object.h"
#include "platform/com/stream_common.h"

namespace {

// Shared by a fault stream and its clones: the call numbers of a plan count over all of them.
struct fault_state {
    com::fault_plan plan;
    com::fault_counts counts;
};

// Lets fault_stream_counts recognise the streams of this file.
struct fault_stream_access : IUnknown {
    static constexpr IID iid = com::make_guid("{5E1A0C02-7D3B-4C55-9A21-3F6B2D8E4A10}");
    using base = IUnknown;

    virtual void get_counts(com::fault_counts* out) noexcept = 0;
};

class fault_stream : public com::object_root<fault_stream, IStream, fault_stream_access> {
public:
    fault_stream(IStream* inner, std::shared_ptr<fault_state> state) noexcept
        : inner_(inner), state_(std::move(state))
    {
    }

    HRESULT Read(void* buffer, ULONG size, ULONG* read) noexcept override
    {
        if (read) *read = 0;
        const com::fault_plan& plan = state_->plan;
        com::fault_counts& counts = state_->counts;
        ULONG call = ++counts.reads;
        if (plan.fail_read_at != 0 && call == plan.fail_read_at) return plan.read_error;
        ULONG want = plan.read_cap != 0 ? std::min(size, plan.read_cap) : size;
        ULONG got = 0;
        HRESULT hr = inner_->Read(buffer, want, &got);
        counts.bytes_read += got;
        if (read) *read = got;
        if (FAILED(hr)) return hr;
        return got < size ? S_FALSE : hr;
    }

    HRESULT Write(const void* buffer, ULONG size, ULONG* written) noexcept override
    {
        if (written) *written = 0;
        const com::fault_plan& plan = state_->plan;
        com::fault_counts& counts = state_->counts;
        ULONG call = ++counts.writes;
        if (plan.fail_write_at != 0 && call == plan.fail_write_at) return plan.write_error;
        ULONGLONG room = plan.write_limit > counts.bytes_written
                             ? plan.write_limit - counts.bytes_written
                             : 0;
        ULONG allowed = static_cast<ULONG>(std::min<ULONGLONG>(size, room));
        ULONG put = 0;
        HRESULT hr = S_OK;
        // A zero-byte write still goes through, so that the inner stream checks the buffer.
        if (allowed > 0 || size == 0) hr = inner_->Write(buffer, allowed, &put);
        counts.bytes_written += put;
        if (written) *written = put;
        if (FAILED(hr)) return hr;
        return allowed < size ? STG_E_MEDIUMFULL : hr;
    }

    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) noexcept override
    {
        ULONG call = ++state_->counts.seeks;
        if (state_->plan.fail_seek_from != 0 && call >= state_->plan.fail_seek_from)
            return state_->plan.seek_error;
        return inner_->Seek(move, origin, position);
    }

    HRESULT SetSize(ULARGE_INTEGER size) noexcept override { return inner_->SetSize(size); }

    HRESULT CopyTo(IStream* target, ULARGE_INTEGER size, ULARGE_INTEGER* read,
                   ULARGE_INTEGER* written) noexcept override
    {
        return com::stream_detail::copy_through_buffer(this, target, size.QuadPart, read, written);
    }

    HRESULT Commit(DWORD flags) noexcept override { return inner_->Commit(flags); }
    HRESULT Revert() noexcept override { return inner_->Revert(); }
    HRESULT LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size, DWORD type) noexcept override
    {
        return inner_->LockRegion(offset, size, type);
    }
    HRESULT UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size,
                         DWORD type) noexcept override
    {
        return inner_->UnlockRegion(offset, size, type);
    }
    HRESULT Stat(STATSTG* stat, DWORD flags) noexcept override { return inner_->Stat(stat, flags); }

    HRESULT Clone(IStream** clone) noexcept override
    {
        if (!clone) return STG_E_INVALIDPOINTER;
        *clone = nullptr;
        com::ComPtr<IStream> inner_clone;
        if (HRESULT hr = inner_->Clone(inner_clone.put()); FAILED(hr)) return hr;
        fault_stream* wrapper = nullptr;
        if (HRESULT hr = com::make<fault_stream>(&wrapper, inner_clone.get(), state_); FAILED(hr))
            return hr;
        *clone = wrapper;
        return S_OK;
    }

    void get_counts(com::fault_counts* out) noexcept override { *out = state_->counts; }

private:
    com::ComPtr<IStream> inner_;
    std::shared_ptr<fault_state> state_;
};

}  // namespace

HRESULT com::create_fault_stream(IStream* inner, const fault_plan& plan, IStream** out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!inner) return E_INVALIDARG;
    std::shared_ptr<fault_state> state;
    try {
        state = std::make_shared<fault_state>();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    state->plan = plan;
    fault_stream* stream = nullptr;
    if (HRESULT hr = make<fault_stream>(&stream, inner, std::move(state)); FAILED(hr)) return hr;
    *out = stream;
    return S_OK;
}

HRESULT com::fault_stream_counts(IStream* stream, fault_counts* out) noexcept
{
    if (!stream || !out) return E_INVALIDARG;
    ComPtr<fault_stream_access> access;
    if (HRESULT hr = stream->QueryInterface(fault_stream_access::iid, access.put_void()); FAILED(hr))
        return hr;
    access->get_counts(out);
    return S_OK;
}

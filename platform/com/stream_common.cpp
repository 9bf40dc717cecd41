// Seek arithmetic, buffered CopyTo and Stat names for the stream objects.
#include "platform/com/stream_common.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "platform/com/task_memory.h"

namespace com::stream_detail {

HRESULT seek_target(ULONGLONG base, LONGLONG move, ULONGLONG* target) noexcept
{
    ULONGLONG result;
    if (move < 0) {
        // Unsigned negation: -INT64_MIN does not fit in a LONGLONG.
        ULONGLONG back = 0 - static_cast<ULONGLONG>(move);
        if (back > base) return STG_E_INVALIDFUNCTION;
        result = base - back;
    } else {
        ULONGLONG forward = static_cast<ULONGLONG>(move);
        if (base > max_position || forward > max_position - base) return STG_E_INVALIDFUNCTION;
        result = base + forward;
    }
    *target = result;
    return S_OK;
}

HRESULT copy_through_buffer(IStream* source, IStream* target, ULONGLONG size,
                            ULARGE_INTEGER* read, ULARGE_INTEGER* written) noexcept
{
    ULONGLONG total_read = 0;
    ULONGLONG total_written = 0;
    auto report = [&](HRESULT hr) {
        if (read) read->QuadPart = total_read;
        if (written) written->QuadPart = total_written;
        return hr;
    };
    if (read) read->QuadPart = 0;
    if (written) written->QuadPart = 0;
    if (!target) return STG_E_INVALIDPOINTER;
    if (size == 0) return S_OK;

    constexpr ULONG chunk_size = 64 * 1024;
    const ULONG buffer_size = static_cast<ULONG>(std::min<ULONGLONG>(size, chunk_size));
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[buffer_size]);
    if (!buffer) return STG_E_INSUFFICIENTMEMORY;

    while (total_read < size) {
        const ULONG want = static_cast<ULONG>(std::min<ULONGLONG>(size - total_read, buffer_size));
        ULONG got = 0;
        HRESULT hr = source->Read(buffer.get(), want, &got);
        if (FAILED(hr)) return report(hr);
        got = std::min(got, want);  // a misbehaving source must not make us write past the buffer
        total_read += got;
        if (got > 0) {
            ULONG put = 0;
            hr = target->Write(buffer.get(), got, &put);
            total_written += std::min(put, got);
            if (FAILED(hr)) return report(hr);
            if (put < got) return report(STG_E_MEDIUMFULL);
        }
        if (got < want) break;  // the source has ended
    }
    return report(S_OK);
}

HRESULT begin_stat(STATSTG* stat, DWORD flags) noexcept
{
    if (!stat) return STG_E_INVALIDPOINTER;
    if (flags & ~static_cast<DWORD>(STATFLAG_NONAME | STATFLAG_NOOPEN)) return STG_E_INVALIDFLAG;
    std::memset(stat, 0, sizeof *stat);
    return S_OK;
}

HRESULT set_stat_name(STATSTG* stat, DWORD flags, std::u16string_view name) noexcept
{
    stat->pwcsName = nullptr;
    if (flags & STATFLAG_NONAME) return S_OK;
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((name.size() + 1) * sizeof(OLECHAR)));
    if (!copy) return STG_E_INSUFFICIENTMEMORY;
    if (!name.empty()) std::memcpy(copy, name.data(), name.size() * sizeof(OLECHAR));
    copy[name.size()] = 0;
    stat->pwcsName = copy;
    return S_OK;
}

}  // namespace com::stream_detail

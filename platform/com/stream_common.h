// What the stream objects share: seek arithmetic, CopyTo through a buffer and Stat's arguments.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/com/objidl.h"

namespace com::stream_detail {

// Positions stop at the largest signed 64-bit value, as file offsets do.
constexpr ULONGLONG max_position = static_cast<ULONGLONG>(INT64_MAX);

// The position `move` bytes from `base`; STG_E_INVALIDFUNCTION when it falls before the start
// or beyond max_position, with *target untouched.
HRESULT seek_target(ULONGLONG base, LONGLONG move, ULONGLONG* target) noexcept;

// CopyTo in terms of the source's own Read and the target's Write, through a bounce buffer, so
// that a target sharing the source's storage (a clone) cannot pull it away mid-copy. *read and
// *written (either may be null) report progress also when a call fails.
HRESULT copy_through_buffer(IStream* source, IStream* target, ULONGLONG size,
                            ULARGE_INTEGER* read, ULARGE_INTEGER* written) noexcept;

// Checks Stat's arguments and clears *stat: STG_E_INVALIDPOINTER, STG_E_INVALIDFLAG.
HRESULT begin_stat(STATSTG* stat, DWORD flags) noexcept;
// Fills pwcsName with a CoTaskMemAlloc'd copy of `name` unless STATFLAG_NONAME is set.
HRESULT set_stat_name(STATSTG* stat, DWORD flags, std::u16string_view name) noexcept;

}  // namespace com::stream_detail

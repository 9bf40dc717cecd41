// The stream objects: growable memory streams, POSIX file streams and a fault-injecting wrapper.
//
// What every stream here does alike:
//   Read      fewer bytes than asked (the end was reached) gives S_FALSE with *read = what came;
//             `read` may be null; a null buffer with a non-zero size gives STG_E_INVALIDPOINTER.
//   Write     writes everything or fails; a write after a seek beyond the end fills the gap
//             with zeros. `written` may be null.
//   Seek      SET, CUR and END with negative moves; a position before the start, past
//             2^63 - 1, or an unknown origin gives STG_E_INVALIDFUNCTION and leaves the
//             position and *position as they were. `position` may be null.
//   SetSize   grows with zeros or shrinks; the seek position stays where it was.
//   CopyTo    reads from this stream's position and writes to the target; *read and *written
//             (either may be null) say how far it got, also when it fails. A short source is
//             not an error.
//   Commit, Revert   S_OK (nothing is transacted).
//   LockRegion, UnlockRegion   STG_E_INVALIDFUNCTION.
//   Stat      STGTY_STREAM, the size, the open mode; with STATFLAG_NONAME pwcsName is null,
//             otherwise a name allocated with CoTaskMemAlloc that the caller frees. Flags other
//             than STATFLAG_NONAME and STATFLAG_NOOPEN give STG_E_INVALIDFLAG.
// Stream objects are not for concurrent use from several threads, as the object templates
// are not.
#pragma once

#include <cstddef>
#include <limits>
#include <vector>

#include "platform/com/objidl.h"

namespace com {

// ---- Memory streams -----------------------------------------------------------------------

// An empty stream, or one holding a copy of `size` bytes of `data`, at position 0. Its Stat
// name is the empty string and its mode STGM_READWRITE. Clone gives a stream with its own
// position over the same bytes: what one writes, the other reads. A memory stream never grows
// beyond memory_stream_limit(): such a Write or SetSize fails with STG_E_MEDIUMFULL, one the
// heap refuses with E_OUTOFMEMORY, and the stream is left as it was.
HRESULT create_memory_stream(IStream** out) noexcept;
HRESULT create_memory_stream(const void* data, std::size_t size, IStream** out) noexcept;

// The machine's physical memory: beyond it, growing a stream could only end in swapping or
// the kernel killing the process, so a memory stream refuses to.
ULONGLONG memory_stream_limit() noexcept;

// A copy of all the bytes of a memory stream (or a clone of one), whatever its position.
// E_INVALIDARG for null arguments, E_NOINTERFACE for a stream not made by create_memory_stream.
HRESULT memory_stream_bytes(IStream* stream, std::vector<BYTE>* out) noexcept;

// Room for `bytes` more bytes from a memory stream's position on, so that writing them grows
// its memory once instead of doubling it on the way; its bytes, size and position stay as they
// are. STG_E_MEDIUMFULL beyond memory_stream_limit(), E_OUTOFMEMORY when the heap refuses
// (the stream unchanged either way), E_INVALIDARG for a null stream, E_NOINTERFACE for a
// stream not made by create_memory_stream.
HRESULT reserve_memory_stream(IStream* stream, std::size_t bytes) noexcept;

// The bytes and position of a memory stream (or a clone), for code that reads or writes many
// small values: it works on the stream's own fields, so calls through the interface in between
// see the same bytes and position. A read or write that stays within the size and capacity
// may be done on them directly; any other goes through the stream's Read or Write.
struct memory_window {
    IStream* stream = nullptr;
    BYTE** data = nullptr;
    std::size_t* size = nullptr;
    std::size_t* capacity = nullptr;
    ULONGLONG* position = nullptr;
};
// False, leaving *out alone, for a stream not made by create_memory_stream.
bool open_memory_window(IStream* stream, memory_window* out) noexcept;

// ---- File streams -------------------------------------------------------------------------

// Opens `path` (UTF-8) with STGM_READ, STGM_WRITE or STGM_READWRITE. With STGM_CREATE the file
// is created or truncated; without it (STGM_FAILIFTHERE) it must exist. Share-mode flags are
// accepted and have no effect. Errors: STG_E_FILENOTFOUND (no such file),
// STG_E_PATHNOTFOUND (a folder on the way is missing), STG_E_ACCESSDENIED (permissions, or
// the path is a folder), STG_E_INVALIDFLAG (an access value of 3, STGM_CREATE with
// STGM_READ, or an unknown flag), STG_E_INVALIDPOINTER for a null path, E_POINTER for a null
// `out`.
// Read on a write-only stream and Write or SetSize on a read-only one give
// STG_E_ACCESSDENIED; a full disk gives STG_E_MEDIUMFULL, other I/O errors STG_E_READFAULT or
// STG_E_WRITEFAULT. Commit flushes written data to the disk. Stat names the path as given and
// reports the file's times. Clone gives a stream with its own position on the same open file.
HRESULT create_file_stream(const char* path, DWORD mode, IStream** out) noexcept;

// ---- Fault injection, for tests -----------------------------------------------------------

// What a fault stream breaks. Call numbers count from 1 over the stream and its clones; 0
// means never.
struct fault_plan {
    static constexpr ULONGLONG unlimited = std::numeric_limits<ULONGLONG>::max();

    ULONG fail_read_at = 0;  // this Read fails, reading nothing
    HRESULT read_error = STG_E_READFAULT;
    ULONG fail_write_at = 0;  // this Write fails, writing nothing
    HRESULT write_error = STG_E_WRITEFAULT;
    ULONG fail_seek_from = 0;  // this Seek and every later one fail, moving nothing
    HRESULT seek_error = STG_E_SEEKERROR;
    ULONG read_cap = 0;  // every Read asks the inner stream for at most this many bytes (0: no cap)
    // After this many bytes in all, writes are cut short: the part that fits is written and
    // the Write returns STG_E_MEDIUMFULL.
    ULONGLONG write_limit = unlimited;
};

// Calls seen so far, the failing ones included.
struct fault_counts {
    ULONG reads = 0;
    ULONG writes = 0;
    ULONG seeks = 0;
    ULONGLONG bytes_read = 0;
    ULONGLONG bytes_written = 0;
};

// Wraps `inner` (AddRef'd) so that it breaks as `plan` says. Every other call goes to the
// inner stream, except CopyTo, which reads and writes through this stream so that the plan
// applies, and Clone, which wraps a clone of the inner stream sharing this one's plan and
// counts. E_INVALIDARG for a null inner stream, E_POINTER for a null `out`.
HRESULT create_fault_stream(IStream* inner, const fault_plan& plan, IStream** out) noexcept;

// The counts of a fault stream; E_INVALIDARG for null arguments, E_NOINTERFACE for a stream
// that is not one.
HRESULT fault_stream_counts(IStream* stream, fault_counts* out) noexcept;

}  // namespace com

// The object and storage interfaces: class factories, streams and stream persistence.
#pragma once

#include "platform/com/unknown.h"

struct IClassFactory : IUnknown {
    static constexpr IID iid = com::make_guid("{00000001-0000-0000-C000-000000000046}");
    using base = IUnknown;

    virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) noexcept = 0;
    virtual HRESULT LockServer(BOOL lock) noexcept = 0;
};

// Seek origins.
enum STREAM_SEEK : DWORD { STREAM_SEEK_SET = 0, STREAM_SEEK_CUR = 1, STREAM_SEEK_END = 2 };

// Stat flags and object types.
enum STATFLAG : DWORD { STATFLAG_DEFAULT = 0, STATFLAG_NONAME = 1, STATFLAG_NOOPEN = 2 };
enum STGTY : DWORD { STGTY_STORAGE = 1, STGTY_STREAM = 2, STGTY_LOCKBYTES = 3, STGTY_PROPERTY = 4 };

// Access modes.
constexpr DWORD STGM_READ = 0x00000000;
constexpr DWORD STGM_WRITE = 0x00000001;
constexpr DWORD STGM_READWRITE = 0x00000002;
constexpr DWORD STGM_SHARE_DENY_NONE = 0x00000040;
constexpr DWORD STGM_SHARE_DENY_READ = 0x00000030;
constexpr DWORD STGM_SHARE_DENY_WRITE = 0x00000020;
constexpr DWORD STGM_SHARE_EXCLUSIVE = 0x00000010;
constexpr DWORD STGM_CREATE = 0x00001000;
constexpr DWORD STGM_FAILIFTHERE = 0x00000000;

// Commit flags.
constexpr DWORD STGC_DEFAULT = 0;

struct STATSTG {
    LPOLESTR pwcsName;
    DWORD type;
    ULARGE_INTEGER cbSize;
    FILETIME mtime;
    FILETIME ctime;
    FILETIME atime;
    DWORD grfMode;
    DWORD grfLocksSupported;
    CLSID clsid;
    DWORD grfStateBits;
    DWORD reserved;
};

// Reads and writes in order. A read that returns fewer bytes than asked for answers S_FALSE
// and reports how many it got.
struct ISequentialStream : IUnknown {
    static constexpr IID iid = com::make_guid("{0C733A30-2A1C-11CE-ADE5-00AA0044773D}");
    using base = IUnknown;

    virtual HRESULT Read(void* buffer, ULONG size, ULONG* read) noexcept = 0;
    virtual HRESULT Write(const void* buffer, ULONG size, ULONG* written) noexcept = 0;
};

struct IStream : ISequentialStream {
    static constexpr IID iid = com::make_guid("{0000000C-0000-0000-C000-000000000046}");
    using base = ISequentialStream;

    virtual HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) noexcept = 0;
    virtual HRESULT SetSize(ULARGE_INTEGER size) noexcept = 0;
    virtual HRESULT CopyTo(IStream* target, ULARGE_INTEGER size, ULARGE_INTEGER* read,
                           ULARGE_INTEGER* written) noexcept = 0;
    virtual HRESULT Commit(DWORD flags) noexcept = 0;
    virtual HRESULT Revert() noexcept = 0;
    virtual HRESULT LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size, DWORD type) noexcept = 0;
    virtual HRESULT UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size,
                                 DWORD type) noexcept = 0;
    virtual HRESULT Stat(STATSTG* stat, DWORD flags) noexcept = 0;
    virtual HRESULT Clone(IStream** clone) noexcept = 0;
};

struct IPersist : IUnknown {
    static constexpr IID iid = com::make_guid("{0000010C-0000-0000-C000-000000000046}");
    using base = IUnknown;

    virtual HRESULT GetClassID(CLSID* clsid) noexcept = 0;
};

struct IPersistStream : IPersist {
    static constexpr IID iid = com::make_guid("{00000109-0000-0000-C000-000000000046}");
    using base = IPersist;

    virtual HRESULT IsDirty() noexcept = 0;
    virtual HRESULT Load(IStream* stream) noexcept = 0;
    virtual HRESULT Save(IStream* stream, BOOL clear_dirty) noexcept = 0;
    virtual HRESULT GetSizeMax(ULARGE_INTEGER* size) noexcept = 0;
};

struct IPersistStreamInit : IPersist {
    static constexpr IID iid = com::make_guid("{7FD52380-4E07-101B-AE2D-08002B2EC713}");
    using base = IPersist;

    virtual HRESULT IsDirty() noexcept = 0;
    virtual HRESULT Load(IStream* stream) noexcept = 0;
    virtual HRESULT Save(IStream* stream, BOOL clear_dirty) noexcept = 0;
    virtual HRESULT GetSizeMax(ULARGE_INTEGER* size) noexcept = 0;
    virtual HRESULT InitNew() noexcept = 0;
};

// Class ids in streams: 16 bytes, little-endian fields. A short stream gives STG_E_READFAULT.
HRESULT ReadClassStm(IStream* stream, CLSID* clsid) noexcept;
HRESULT WriteClassStm(IStream* stream, REFCLSID clsid) noexcept;
// The object's class id, then its IPersistStream record.
HRESULT OleSaveToStream(IPersistStream* object, IStream* stream) noexcept;
// Reads the class id, creates the object through the class table, loads it and returns the
// asked-for interface.
HRESULT OleLoadFromStream(IStream* stream, REFIID riid, void** object) noexcept;

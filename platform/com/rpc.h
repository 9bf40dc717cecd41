// Calls across apartments: the interfaces between proxies, stubs and the channel that carries
// a call to the thread of the object's apartment, the proxy-stub factory a module provides for
// its own interfaces, and the marshalling functions and global interface table built on them.
//
// Everything stays in one process, so a call needs no wire format: the proxy packs its
// arguments into a frame, the channel hands the frame to the object's apartment and waits, and
// the stub runs the frame against the object there. The channel is the only part that knows
// apartments; proxies and stubs know only interface layouts, so a module's factory works with
// the apartments of whichever process loaded it.
#pragma once

#include <cstdint>

#include "platform/com/unknown.h"

constexpr HRESULT RPC_E_CHANGED_MODE = ZCNT_HR(0x80010106);
constexpr HRESULT RPC_E_DISCONNECTED = ZCNT_HR(0x80010108);
constexpr HRESULT RPC_E_WRONG_THREAD = ZCNT_HR(0x8001010E);
constexpr HRESULT CO_E_OBJNOTCONNECTED = ZCNT_HR(0x800401FD);
constexpr HRESULT REGDB_E_IIDNOTREG = ZCNT_HR(0x80040155);

// How long marshalled data lives: NORMAL is unmarshalled once, TABLESTRONG until released.
enum MSHLFLAGS : DWORD { MSHLFLAGS_NORMAL = 0, MSHLFLAGS_TABLESTRONG = 1, MSHLFLAGS_TABLEWEAK = 2 };
enum MSHCTX : DWORD { MSHCTX_LOCAL = 0, MSHCTX_NOSHAREDMEM = 1, MSHCTX_DIFFERENTMACHINE = 2,
                      MSHCTX_INPROC = 3 };

struct IRpcChannelBuffer;

// One call on its way: `invoke` runs on the object's thread with the stub's interface pointer
// (a pointer of the proxied interface) and the channel, and returns the call's HRESULT. Proxies
// derive their frames from this and keep the arguments beside it.
struct RPC_CALL_FRAME {
    HRESULT (*invoke)(RPC_CALL_FRAME* frame, void* target, IRpcChannelBuffer* channel) noexcept;
};

// An interface pointer on its way between apartments: what CoMarshalInterface writes.
struct MARSHALED_REF {
    BYTE data[40];
};

// The channel of one proxy, made by the apartment layer.
struct IRpcChannelBuffer : IUnknown {
    static constexpr IID iid = com::make_guid("{7A1F3C52-0B9E-4D8B-9F36-5C2E81D04A17}");
    using base = IUnknown;

    // Runs `frame` in the object's apartment and returns its result; RPC_E_DISCONNECTED once
    // that apartment has closed.
    virtual HRESULT SendReceive(RPC_CALL_FRAME* frame) noexcept = 0;
    // Marshals an interface pointer of the calling thread's apartment (NORMAL), for an argument
    // that crosses with the call; a null pointer gives a null reference.
    virtual HRESULT MarshalArgument(REFIID riid, IUnknown* object, MARSHALED_REF* out) noexcept = 0;
    // Unmarshals in the calling thread's apartment; consumes `ref` even on failure.
    virtual HRESULT UnmarshalArgument(MARSHALED_REF* ref, REFIID riid, void** out) noexcept = 0;
    // Drops a reference that will not be unmarshalled.
    virtual HRESULT ReleaseArgument(MARSHALED_REF* ref) noexcept = 0;
    // QueryInterface on the object itself, answered with a pointer for the calling apartment.
    virtual HRESULT QueryRemote(REFIID riid, void** out) noexcept = 0;
};

struct IRpcProxyBuffer : IUnknown {
    static constexpr IID iid = com::make_guid("{D5F56A34-593B-101A-B569-08002B2DBF7A}");
    using base = IUnknown;

    virtual HRESULT Connect(IRpcChannelBuffer* channel) noexcept = 0;
    virtual void Disconnect() noexcept = 0;
};

struct IRpcStubBuffer : IUnknown {
    static constexpr IID iid = com::make_guid("{D5F56AFC-593B-101A-B569-08002B2DBF7A}");
    using base = IUnknown;

    // Connect and Disconnect run on the object's thread: they take and drop its reference.
    virtual HRESULT Connect(IUnknown* server) noexcept = 0;
    virtual void Disconnect() noexcept = 0;
    // Runs `frame` against the connected object; RPC_E_DISCONNECTED when there is none.
    virtual HRESULT Invoke(RPC_CALL_FRAME* frame, IRpcChannelBuffer* channel) noexcept = 0;
    // The connected object's interface pointer, without a reference.
    virtual HRESULT DebugServerQueryInterface(void** object) noexcept = 0;
};

// The class object a module registers for the interfaces it can marshal.
struct IPSFactoryBuffer : IUnknown {
    static constexpr IID iid = com::make_guid("{D5F569D0-593B-101A-B569-08002B2DBF7A}");
    using base = IUnknown;

    // An unconnected proxy for `riid`: its IRpcProxyBuffer and its `riid` pointer, both
    // referenced. E_NOINTERFACE for an interface the factory cannot marshal.
    virtual HRESULT CreateProxy(IUnknown* outer, REFIID riid, IRpcProxyBuffer** proxy,
                                void** object) noexcept = 0;
    // A stub for `riid`, connected to `server` when it is not null.
    virtual HRESULT CreateStub(REFIID riid, IUnknown* server, IRpcStubBuffer** stub) noexcept = 0;
};

struct IGlobalInterfaceTable : IUnknown {
    static constexpr IID iid = com::make_guid("{00000146-0000-0000-C000-000000000046}");
    using base = IUnknown;

    virtual HRESULT RegisterInterfaceInGlobal(IUnknown* object, REFIID riid, DWORD* cookie) noexcept = 0;
    virtual HRESULT RevokeInterfaceFromGlobal(DWORD cookie) noexcept = 0;
    virtual HRESULT GetInterfaceFromGlobal(DWORD cookie, REFIID riid, void** object) noexcept = 0;
};

constexpr CLSID CLSID_StdGlobalInterfaceTable =
    com::make_guid("{00000323-0000-0000-C000-000000000046}");

struct IStream;

// Maps an interface to the class of the proxy-stub factory that marshals it, for this process.
HRESULT CoRegisterPSClsid(REFIID riid, REFCLSID clsid) noexcept;
// The process's own mapping first, then the class source (the registry's
// Interface\{IID}\ProxyStubClsid32); REGDB_E_IIDNOTREG for an interface nobody registered
// (IUnknown and IDispatch are built in and answer CLSID_NULL).
HRESULT CoGetPSClsid(REFIID riid, CLSID* clsid) noexcept;

// Writes a reference to `object` as `riid` into `stream`. E_NOINTERFACE when the object lacks
// the interface or no proxy-stub factory marshals it; CO_E_NOTINITIALIZED outside apartments.
HRESULT CoMarshalInterface(IStream* stream, REFIID riid, IUnknown* object, DWORD dest_context,
                           void* dest_context_data, DWORD flags) noexcept;
// Reads a reference: in the object's own apartment the object itself, elsewhere a proxy.
// Unmarshalling NORMAL data consumes it.
HRESULT CoUnmarshalInterface(IStream* stream, REFIID riid, void** object) noexcept;
HRESULT CoReleaseMarshalData(IStream* stream) noexcept;
HRESULT CoMarshalInterThreadInterfaceInStream(REFIID riid, IUnknown* object,
                                              IStream** stream) noexcept;
HRESULT CoGetInterfaceAndReleaseStream(IStream* stream, REFIID riid, void** object) noexcept;

namespace com {

// Serves the calling thread's single-threaded apartment: runs the calls queued for it, waiting
// up to `wait_ms` for the first when none is queued. Returns how many ran (0 on a thread that
// is not in a single-threaded apartment).
ULONG pump_calls(DWORD wait_ms = 0) noexcept;

// The process's global interface table (referenced).
HRESULT global_interface_table(IGlobalInterfaceTable** out) noexcept;

}  // namespace com

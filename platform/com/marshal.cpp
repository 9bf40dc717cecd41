// Marshalling within the process: references to exported stubs, the channel every proxy calls
// through, CoMarshalInterface and its relatives, and the global interface table.
//
// Marshalled data is a marker, the flags, the interface id, the exporting apartment and a
// cookie into the export table; the entry holds the stub alive until the data is unmarshalled
// (NORMAL) or released (TABLESTRONG).
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "platform/com/apartment.h"
#include "platform/com/class_table.h"
#include "platform/com/com_ptr.h"
#include "platform/com/oaidl.h"
#include "platform/com/result.h"
#include "platform/com/streams.h"

namespace com::detail {
// The proxy-stub factory for IUnknown and IDispatch, built from the dispatch tables.
IPSFactoryBuffer* builtin_ps_factory() noexcept;
}  // namespace com::detail

namespace {

using com::ComPtr;
using com::detail::apartment;

// A stub of an exported object, shared by the channels and the marshalled data naming it; the
// last owner drops the stub in its apartment.
struct stub_ref {
    std::shared_ptr<apartment> home;
    std::uint64_t id;
    IID iid;
    stub_ref(std::shared_ptr<apartment> h, std::uint64_t i, REFIID riid) : home(std::move(h)), id(i), iid(riid) {}
    stub_ref(const stub_ref&) = delete;
    stub_ref& operator=(const stub_ref&) = delete;
    ~stub_ref() { home->drop_stub(id); }
};

struct export_entry {
    std::shared_ptr<stub_ref> stub;
    bool table = false;
};

struct process_tables {
    std::mutex lock;
    std::map<std::uint64_t, export_entry> exports;
    std::uint64_t next_cookie = 1;
    std::map<IID, CLSID> ps_classes;
};

process_tables& tables()
{
    static process_tables* t = new process_tables;  // objects may be released during exit
    return *t;
}

constexpr BYTE marker[4] = {'Z', 'C', 'M', 'R'};

struct ref_fields {
    DWORD flags;
    IID iid;
    std::uint64_t apartment_id;
    std::uint64_t cookie;
};

void write_ref(const ref_fields& f, MARSHALED_REF* out) noexcept
{
    BYTE* p = out->data;
    std::memcpy(p, marker, 4);
    std::memcpy(p + 4, &f.flags, 4);
    std::memcpy(p + 8, &f.iid, 16);
    std::memcpy(p + 24, &f.apartment_id, 8);
    std::memcpy(p + 32, &f.cookie, 8);
}

bool read_ref(const MARSHALED_REF& in, ref_fields* f) noexcept
{
    if (std::memcmp(in.data, marker, 4) != 0) return false;
    std::memcpy(&f->flags, in.data + 4, 4);
    std::memcpy(&f->iid, in.data + 8, 16);
    std::memcpy(&f->apartment_id, in.data + 24, 8);
    std::memcpy(&f->cookie, in.data + 32, 8);
    return true;
}

bool is_null_ref(const MARSHALED_REF& ref) noexcept
{
    for (BYTE b : ref.data)
        if (b != 0) return false;
    return true;
}

HRESULT ps_factory_for(REFIID riid, IPSFactoryBuffer** out) noexcept
{
    CLSID clsid;
    RETURN_IF_FAILED(CoGetPSClsid(riid, &clsid) == REGDB_E_IIDNOTREG ? E_NOINTERFACE : S_OK);
    if (clsid == GUID_NULL) {
        *out = com::detail::builtin_ps_factory();
        (*out)->AddRef();
        return S_OK;
    }
    HRESULT hr = CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IPSFactoryBuffer::iid,
                                  reinterpret_cast<void**>(out));
    return FAILED(hr) ? E_NOINTERFACE : hr;
}

HRESULT marshal_ref(REFIID riid, IUnknown* object, DWORD flags, MARSHALED_REF* out) noexcept;
HRESULT unmarshal_ref(const MARSHALED_REF& ref, REFIID riid, void** out) noexcept;
HRESULT release_ref(const MARSHALED_REF& ref) noexcept;

constexpr IID IID_channel_impl = com::make_guid("{3C8E02D1-6A57-4F0B-8D94-E1B7A2C05F63}");

class channel final : public IRpcChannelBuffer {
public:
    explicit channel(std::shared_ptr<stub_ref> stub) noexcept : stub_(std::move(stub)) {}

    HRESULT QueryInterface(REFIID riid, void** out) noexcept override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid != IID_IUnknown && riid != IRpcChannelBuffer::iid && riid != IID_channel_impl)
            return E_NOINTERFACE;
        *out = static_cast<IRpcChannelBuffer*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() noexcept override { return ++refs_; }
    ULONG Release() noexcept override
    {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT SendReceive(RPC_CALL_FRAME* frame) noexcept override
    {
        if (!frame) return E_POINTER;
        if (!com::detail::current_apartment()) return CO_E_NOTINITIALIZED;
        HRESULT result = RPC_E_DISCONNECTED;
        apartment& home = *stub_->home;
        const HRESULT hr = home.call([&] {
            if (IRpcStubBuffer* stub = home.find_stub(stub_->id)) result = stub->Invoke(frame, this);
        });
        return FAILED(hr) ? hr : result;
    }
    HRESULT MarshalArgument(REFIID riid, IUnknown* object, MARSHALED_REF* out) noexcept override
    {
        if (!out) return E_POINTER;
        std::memset(out->data, 0, sizeof out->data);
        return object ? marshal_ref(riid, object, MSHLFLAGS_NORMAL, out) : S_OK;
    }
    HRESULT UnmarshalArgument(MARSHALED_REF* ref, REFIID riid, void** out) noexcept override
    {
        if (!ref || !out) return E_POINTER;
        *out = nullptr;
        return is_null_ref(*ref) ? S_OK : unmarshal_ref(*ref, riid, out);
    }
    HRESULT ReleaseArgument(MARSHALED_REF* ref) noexcept override
    {
        if (!ref) return E_POINTER;
        return is_null_ref(*ref) ? S_OK : release_ref(*ref);
    }
    HRESULT QueryRemote(REFIID riid, void** out) noexcept override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        struct query_frame : RPC_CALL_FRAME {
            const IID* riid;
            MARSHALED_REF found;
        } frame;
        frame.riid = &riid;
        frame.invoke = [](RPC_CALL_FRAME* f, void* target, IRpcChannelBuffer* via) noexcept {
            auto* q = static_cast<query_frame*>(f);
            ComPtr<IUnknown> answer;
            RETURN_IF_FAILED(static_cast<IUnknown*>(target)->QueryInterface(*q->riid, answer.put_void()));
            return via->MarshalArgument(*q->riid, answer.get(), &q->found);
        };
        RETURN_IF_FAILED(SendReceive(&frame));
        return UnmarshalArgument(&frame.found, riid, out);
    }

    const std::shared_ptr<stub_ref>& stub() const noexcept { return stub_; }

private:
    ~channel() = default;
    std::atomic<ULONG> refs_{1};
    std::shared_ptr<stub_ref> stub_;
};

// The stub behind `object`: a proxy of ours shares its own, anything else gets a new one in
// the calling apartment.
HRESULT stub_for(REFIID riid, IUnknown* object, std::shared_ptr<stub_ref>* out) noexcept
{
    ComPtr<IRpcChannelBuffer> via;
    if (SUCCEEDED(object->QueryInterface(IRpcChannelBuffer::iid, via.put_void()))) {
        ComPtr<IUnknown> ours;
        if (SUCCEEDED(via->QueryInterface(IID_channel_impl, ours.put_void()))) {
            auto* c = static_cast<channel*>(static_cast<IRpcChannelBuffer*>(via.get()));
            if (c->stub()->iid == riid) {
                *out = c->stub();
                return S_OK;
            }
            ComPtr<IUnknown> other;
            RETURN_IF_FAILED(via->QueryRemote(riid, other.put_void()));
            return stub_for(riid, other.get(), out);
        }
    }
    auto here = com::detail::current_apartment();
    if (!here) return CO_E_NOTINITIALIZED;
    ComPtr<IPSFactoryBuffer> factory;
    RETURN_IF_FAILED(ps_factory_for(riid, factory.put()));
    ComPtr<IRpcStubBuffer> stub;
    RETURN_IF_FAILED(factory->CreateStub(riid, object, stub.put()));
    std::uint64_t id = 0;
    RETURN_IF_FAILED(here->adopt_stub(stub.get(), &id));
    try {
        *out = std::make_shared<stub_ref>(here, id, riid);
    } catch (...) {
        here->drop_stub(id);
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT marshal_ref(REFIID riid, IUnknown* object, DWORD flags, MARSHALED_REF* out) noexcept
{
    if (!object || !out) return E_POINTER;
    if (!com::detail::current_apartment()) return CO_E_NOTINITIALIZED;
    std::shared_ptr<stub_ref> stub;
    RETURN_IF_FAILED(stub_for(riid, object, &stub));
    const std::uint64_t home = stub->home->id();
    process_tables& t = tables();
    std::uint64_t cookie;
    {
        std::lock_guard<std::mutex> guard(t.lock);
        cookie = t.next_cookie++;
        try {
            t.exports[cookie] = {std::move(stub), flags == MSHLFLAGS_TABLESTRONG};
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }
    write_ref({flags, riid, home, cookie}, out);
    return S_OK;
}

HRESULT unmarshal_ref(const MARSHALED_REF& ref, REFIID riid, void** out) noexcept
{
    *out = nullptr;
    ref_fields f{};
    if (!read_ref(ref, &f)) return E_INVALIDARG;
    if (!com::detail::current_apartment()) return CO_E_NOTINITIALIZED;
    std::shared_ptr<stub_ref> stub;
    {
        process_tables& t = tables();
        std::lock_guard<std::mutex> guard(t.lock);
        auto found = t.exports.find(f.cookie);
        if (found == t.exports.end()) return CO_E_OBJNOTCONNECTED;
        stub = found->second.stub;
        if (!found->second.table) t.exports.erase(found);
    }
    apartment& home = *stub->home;
    if (home.is_current()) {
        IRpcStubBuffer* server = home.find_stub(stub->id);
        void* object = nullptr;
        if (!server || FAILED(server->DebugServerQueryInterface(&object)) || !object)
            return CO_E_OBJNOTCONNECTED;
        return static_cast<IUnknown*>(object)->QueryInterface(riid, out);
    }
    ComPtr<IPSFactoryBuffer> factory;
    RETURN_IF_FAILED(ps_factory_for(stub->iid, factory.put()));
    ComPtr<IRpcProxyBuffer> buffer;
    ComPtr<IUnknown> proxy;
    RETURN_IF_FAILED(factory->CreateProxy(nullptr, stub->iid, buffer.put(), proxy.put_void()));
    auto* via = new (std::nothrow) channel(std::move(stub));
    if (!via) return E_OUTOFMEMORY;
    const HRESULT hr = buffer->Connect(via);
    via->Release();
    RETURN_IF_FAILED(hr);
    return proxy->QueryInterface(riid, out);
}

HRESULT release_ref(const MARSHALED_REF& ref) noexcept
{
    ref_fields f{};
    if (!read_ref(ref, &f)) return E_INVALIDARG;
    std::shared_ptr<stub_ref> stub;  // dropped outside the lock
    process_tables& t = tables();
    std::lock_guard<std::mutex> guard(t.lock);
    auto found = t.exports.find(f.cookie);
    if (found == t.exports.end()) return CO_E_OBJNOTCONNECTED;
    stub = std::move(found->second.stub);
    t.exports.erase(found);
    return S_OK;
}

HRESULT read_stream_ref(IStream* stream, MARSHALED_REF* ref) noexcept
{
    if (!stream) return E_POINTER;
    ULONG got = 0;
    RETURN_IF_FAILED(stream->Read(ref->data, sizeof ref->data, &got));
    return got == sizeof ref->data ? S_OK : STG_E_READFAULT;
}

// The process's global interface table: its cookies are table-strong export cookies.
class global_table final : public IGlobalInterfaceTable, public IClassFactory {
public:
    HRESULT QueryInterface(REFIID riid, void** out) noexcept override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid == IID_IUnknown || riid == IGlobalInterfaceTable::iid)
            *out = static_cast<IGlobalInterfaceTable*>(this);
        else if (riid == IClassFactory::iid)
            *out = static_cast<IClassFactory*>(this);
        else
            return E_NOINTERFACE;
        return S_OK;
    }
    ULONG AddRef() noexcept override { return 2; }
    ULONG Release() noexcept override { return 1; }

    HRESULT RegisterInterfaceInGlobal(IUnknown* object, REFIID riid, DWORD* cookie) noexcept override
    {
        if (!cookie) return E_INVALIDARG;
        *cookie = 0;
        MARSHALED_REF ref;
        RETURN_IF_FAILED(marshal_ref(riid, object, MSHLFLAGS_TABLESTRONG, &ref));
        ref_fields f{};
        read_ref(ref, &f);
        *cookie = static_cast<DWORD>(f.cookie);
        return S_OK;
    }
    HRESULT RevokeInterfaceFromGlobal(DWORD cookie) noexcept override
    {
        std::shared_ptr<stub_ref> stub;
        process_tables& t = tables();
        std::lock_guard<std::mutex> guard(t.lock);
        auto found = t.exports.find(cookie);
        if (found == t.exports.end() || !found->second.table) return E_INVALIDARG;
        stub = std::move(found->second.stub);
        t.exports.erase(found);
        return S_OK;
    }
    HRESULT GetInterfaceFromGlobal(DWORD cookie, REFIID riid, void** out) noexcept override
    {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        {
            process_tables& t = tables();
            std::lock_guard<std::mutex> guard(t.lock);
            auto found = t.exports.find(cookie);
            if (found == t.exports.end() || !found->second.table) return E_INVALIDARG;
        }
        MARSHALED_REF ref;
        write_ref({MSHLFLAGS_TABLESTRONG, riid, 0, cookie}, &ref);
        return unmarshal_ref(ref, riid, out);
    }

    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** out) noexcept override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return QueryInterface(riid, out);
    }
    HRESULT LockServer(BOOL) noexcept override { return S_OK; }
};

global_table the_global_table;

}  // namespace

HRESULT CoRegisterPSClsid(REFIID riid, REFCLSID clsid) noexcept
{
    process_tables& t = tables();
    std::lock_guard<std::mutex> guard(t.lock);
    try {
        t.ps_classes[riid] = clsid;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT CoGetPSClsid(REFIID riid, CLSID* clsid) noexcept
{
    if (!clsid) return E_INVALIDARG;
    *clsid = GUID_NULL;
    process_tables& t = tables();
    {
        std::lock_guard<std::mutex> guard(t.lock);
        auto found = t.ps_classes.find(riid);
        if (found != t.ps_classes.end()) {
            *clsid = found->second;
            return S_OK;
        }
    }
    if (riid == IID_IUnknown || riid == IDispatch::iid) return S_OK;
    // Then the registry's Interface\{IID}\ProxyStubClsid32, through the class source.
    const HRESULT hr = com::source_ps_clsid(riid, clsid);
    if (FAILED(hr)) *clsid = GUID_NULL;
    return SUCCEEDED(hr) ? S_OK : REGDB_E_IIDNOTREG;
}

HRESULT CoMarshalInterface(IStream* stream, REFIID riid, IUnknown* object, DWORD, void*,
                           DWORD flags) noexcept
{
    if (!stream || !object) return E_INVALIDARG;
    MARSHALED_REF ref;
    RETURN_IF_FAILED(marshal_ref(riid, object, flags, &ref));
    ULONG written = 0;
    const HRESULT hr = stream->Write(ref.data, sizeof ref.data, &written);
    if (FAILED(hr) || written != sizeof ref.data) {
        release_ref(ref);
        return FAILED(hr) ? hr : STG_E_WRITEFAULT;
    }
    return S_OK;
}

HRESULT CoUnmarshalInterface(IStream* stream, REFIID riid, void** object) noexcept
{
    if (!object) return E_POINTER;
    *object = nullptr;
    MARSHALED_REF ref;
    RETURN_IF_FAILED(read_stream_ref(stream, &ref));
    return unmarshal_ref(ref, riid, object);
}

HRESULT CoReleaseMarshalData(IStream* stream) noexcept
{
    MARSHALED_REF ref;
    RETURN_IF_FAILED(read_stream_ref(stream, &ref));
    return release_ref(ref);
}

HRESULT CoMarshalInterThreadInterfaceInStream(REFIID riid, IUnknown* object,
                                              IStream** stream) noexcept
{
    if (!stream) return E_INVALIDARG;
    *stream = nullptr;
    ComPtr<IStream> created;
    RETURN_IF_FAILED(com::create_memory_stream(created.put()));
    RETURN_IF_FAILED(CoMarshalInterface(created.get(), riid, object, MSHCTX_INPROC, nullptr,
                                        MSHLFLAGS_NORMAL));
    RETURN_IF_FAILED(created->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr));
    *stream = created.detach();
    return S_OK;
}

HRESULT CoGetInterfaceAndReleaseStream(IStream* stream, REFIID riid, void** object) noexcept
{
    if (!stream) return E_INVALIDARG;
    const HRESULT hr = CoUnmarshalInterface(stream, riid, object);
    stream->Release();
    return hr;
}

HRESULT com::global_interface_table(IGlobalInterfaceTable** out) noexcept
{
    if (!out) return E_POINTER;
    *out = &the_global_table;
    return S_OK;
}

namespace com::detail {
IClassFactory* global_table_class() noexcept { return &the_global_table; }
}  // namespace com::detail

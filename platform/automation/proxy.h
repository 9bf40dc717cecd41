// Proxies and stubs generated from member tables: the proxy for an interface presents that
// interface's vtable, each slot a thunk that packs the call into a frame and sends it through
// its channel; the stub runs the frame against the real object in the object's apartment.
//
// Why templates and not generic machine-code thunks: each slot is an ordinary C++ function of
// the member's own signature, so every argument arrives where the ABI puts it (integers,
// floating values and structures alike), the sanitizers see plain calls, and the vtable's
// prefix names the interface's type information for the dynamic type checks. The vtable itself
// is filled at run time from the member pointers (Itanium ABI: a virtual member's pointer holds
// 1 + its slot offset). An interface whose slots the tables do not cover completely has no
// proxy (E_NOINTERFACE), and so do arguments that cannot cross in this process: VARIANTs
// holding interfaces or references on the way in (DISP_E_BADVARTYPE).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstring>
#include <tuple>
#include <typeinfo>
#include <utility>

#include "platform/automation/describe.h"
#include "platform/com/rpc.h"

namespace com::automation::proxy_detail {

union vslot {
    std::ptrdiff_t offset;
    const std::type_info* rtti;
    void (*fn)();
};
constexpr std::size_t max_slots = 256;

// A vtable with the prefix the C++ ABI puts before one: offset to top and type information.
struct vtable_image {
    vslot slots[2 + max_slots]{};
    std::size_t count = 0;
    bool complete = false;
};

class proxy_core;

// What a proxied interface pointer points at.
struct face {
    const vslot* vptr;
    proxy_core* owner;
};

// The proxy object: the face for its interface and its IRpcProxyBuffer, one count for both.
class proxy_core final : public IRpcProxyBuffer {
public:
    proxy_core(const vtable_image& image, const IID* const* chain) noexcept;
    proxy_core(const proxy_core&) = delete;
    proxy_core& operator=(const proxy_core&) = delete;

    HRESULT QueryInterface(REFIID riid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return ++refs_; }
    ULONG Release() noexcept override;
    HRESULT Connect(IRpcChannelBuffer* channel) noexcept override;
    void Disconnect() noexcept override;

    // QueryInterface on the proxied interface: its own chain here, anything else remotely.
    HRESULT face_query(REFIID riid, void** out) noexcept;
    IRpcChannelBuffer* channel() const noexcept { return channel_.load(); }
    void* interface_pointer() noexcept { return &face_; }

private:
    ~proxy_core();
    face face_;
    const IID* const* chain_;
    std::atomic<ULONG> refs_{1};
    std::atomic<IRpcChannelBuffer*> channel_{nullptr};
};

// Counts live proxies and stubs, for a module's DllCanUnloadNow.
extern std::atomic<LONG> live_objects;

// The stub: holds the object's `iid` pointer and runs frames against it.
class stub final : public IRpcStubBuffer {
public:
    explicit stub(REFIID iid) noexcept : iid_(iid) { ++live_objects; }
    stub(const stub&) = delete;
    stub& operator=(const stub&) = delete;

    HRESULT QueryInterface(REFIID riid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return ++refs_; }
    ULONG Release() noexcept override;
    HRESULT Connect(IUnknown* server) noexcept override;
    void Disconnect() noexcept override;
    HRESULT Invoke(RPC_CALL_FRAME* frame, IRpcChannelBuffer* channel) noexcept override;
    HRESULT DebugServerQueryInterface(void** object) noexcept override;

private:
    ~stub();
    IID iid_;
    std::atomic<ULONG> refs_{1};
    IUnknown* server_ = nullptr;  // the `iid_` pointer, referenced
};

// ---- Arguments on their way ----------------------------------------------------------------

// Whether a VARIANT can cross as it is: no interface and no reference to caller memory that
// holds one.
bool plain_variant(const VARIANT& v) noexcept;
// A VARIANT result holding an interface travels as a marshalled reference beside its type.
struct variant_wire {
    VARTYPE vt = VT_EMPTY;
    MARSHALED_REF ref{};
};
// Server side, after the call: moves an interface out of *result into `wire`.
HRESULT variant_out(IRpcChannelBuffer* channel, VARIANT* result, variant_wire& wire) noexcept;
// Client side: puts the interface of `wire` back into *result.
HRESULT variant_in(IRpcChannelBuffer* channel, VARIANT* result, variant_wire& wire) noexcept;

// How one parameter type travels. The default passes the value itself: numbers, strings and
// pointers to results the callee writes into the waiting caller's memory.
template <typename T>
struct codec {
    struct wire {
        T value;
    };
    static HRESULT pack(IRpcChannelBuffer*, T v, wire& w) noexcept
    {
        w.value = v;
        return S_OK;
    }
    static HRESULT open(IRpcChannelBuffer*, wire& w, T* server) noexcept
    {
        *server = w.value;
        return S_OK;
    }
    static HRESULT close(IRpcChannelBuffer*, wire&, T, HRESULT) noexcept { return S_OK; }
    static HRESULT finish(IRpcChannelBuffer*, wire&, T, HRESULT hr) noexcept { return hr; }
};

template <>
struct codec<VARIANT> {
    struct wire {
        VARIANT value;
    };
    static HRESULT pack(IRpcChannelBuffer*, VARIANT v, wire& w) noexcept
    {
        w.value = v;
        return plain_variant(v) ? S_OK : DISP_E_BADVARTYPE;
    }
    static HRESULT open(IRpcChannelBuffer*, wire& w, VARIANT* server) noexcept
    {
        *server = w.value;
        return S_OK;
    }
    static HRESULT close(IRpcChannelBuffer*, wire&, VARIANT, HRESULT) noexcept { return S_OK; }
    static HRESULT finish(IRpcChannelBuffer*, wire&, VARIANT, HRESULT hr) noexcept { return hr; }
};

template <>
struct codec<const VARIANT*> {
    struct wire {
        const VARIANT* value;
    };
    static HRESULT pack(IRpcChannelBuffer*, const VARIANT* v, wire& w) noexcept
    {
        w.value = v;
        return !v || plain_variant(*v) ? S_OK : DISP_E_BADVARTYPE;
    }
    static HRESULT open(IRpcChannelBuffer*, wire& w, const VARIANT** server) noexcept
    {
        *server = w.value;
        return S_OK;
    }
    static HRESULT close(IRpcChannelBuffer*, wire&, const VARIANT*, HRESULT) noexcept { return S_OK; }
    static HRESULT finish(IRpcChannelBuffer*, wire&, const VARIANT*, HRESULT hr) noexcept { return hr; }
};

template <>
struct codec<VARIANT*> {
    struct wire {
        VARIANT* value;
        variant_wire out;
    };
    static HRESULT pack(IRpcChannelBuffer*, VARIANT* v, wire& w) noexcept
    {
        w.value = v;
        return S_OK;
    }
    static HRESULT open(IRpcChannelBuffer*, wire& w, VARIANT** server) noexcept
    {
        *server = w.value;
        return S_OK;
    }
    static HRESULT close(IRpcChannelBuffer* ch, wire& w, VARIANT* v, HRESULT hr) noexcept
    {
        return SUCCEEDED(hr) && v ? variant_out(ch, v, w.out) : S_OK;
    }
    static HRESULT finish(IRpcChannelBuffer* ch, wire& w, VARIANT* v, HRESULT hr) noexcept
    {
        const HRESULT back = v ? variant_in(ch, v, w.out) : S_OK;
        return FAILED(hr) ? hr : back;
    }
};

// An interface pointer argument: marshalled by the caller, unmarshalled in the callee's
// apartment and released there after the call.
template <typename I>
    requires com::interface_type<I>
struct codec<I*> {
    struct wire {
        MARSHALED_REF ref{};
        bool consumed = false;
    };
    static HRESULT pack(IRpcChannelBuffer* ch, I* v, wire& w) noexcept
    {
        return ch->MarshalArgument(iid_of<I>(), v, &w.ref);
    }
    static HRESULT open(IRpcChannelBuffer* ch, wire& w, I** server) noexcept
    {
        w.consumed = true;
        return ch->UnmarshalArgument(&w.ref, iid_of<I>(), reinterpret_cast<void**>(server));
    }
    static HRESULT close(IRpcChannelBuffer*, wire&, I* server, HRESULT) noexcept
    {
        if (server) server->Release();
        return S_OK;
    }
    static HRESULT finish(IRpcChannelBuffer* ch, wire& w, I*, HRESULT hr) noexcept
    {
        if (!w.consumed) ch->ReleaseArgument(&w.ref);
        return hr;
    }
};

// An interface result: marshalled in the callee's apartment, unmarshalled by the caller.
template <typename I>
    requires com::interface_type<I>
struct codec<I**> {
    struct wire {
        I** caller = nullptr;
        I* value = nullptr;
        MARSHALED_REF ref{};
    };
    static HRESULT pack(IRpcChannelBuffer*, I** v, wire& w) noexcept
    {
        w.caller = v;
        return S_OK;
    }
    static HRESULT open(IRpcChannelBuffer*, wire& w, I*** server) noexcept
    {
        *server = w.caller ? &w.value : nullptr;
        return S_OK;
    }
    static HRESULT close(IRpcChannelBuffer* ch, wire& w, I**, HRESULT hr) noexcept
    {
        I* value = std::exchange(w.value, nullptr);
        if (!value) return S_OK;
        const HRESULT marshalled = SUCCEEDED(hr) ? ch->MarshalArgument(iid_of<I>(), value, &w.ref) : S_OK;
        value->Release();
        return marshalled;
    }
    static HRESULT finish(IRpcChannelBuffer* ch, wire& w, I** v, HRESULT hr) noexcept
    {
        if (!v) return hr;
        const HRESULT back = ch->UnmarshalArgument(&w.ref, iid_of<I>(), reinterpret_cast<void**>(v));
        return FAILED(hr) ? hr : back;
    }
};

// ---- Thunks ----------------------------------------------------------------------------------

// One call of `pm` on an interface T: the frame it travels in, packed on the caller's thread,
// run on the object's, finished back on the caller's.
template <typename T, typename C, typename... Args>
struct call_frame : RPC_CALL_FRAME {
    using pm_type = HRESULT (C::*)(Args...) noexcept;
    pm_type pm;
    std::tuple<typename codec<Args>::wire...> wires;

    template <std::size_t... N>
    static HRESULT run(RPC_CALL_FRAME* base, void* target, [[maybe_unused]] IRpcChannelBuffer* ch,
                       std::index_sequence<N...>) noexcept
    {
        [[maybe_unused]] auto* f = static_cast<call_frame*>(base);
        std::tuple<Args...> server{};
        HRESULT hr = S_OK;
        ((hr = SUCCEEDED(hr) ? codec<Args>::open(ch, std::get<N>(f->wires), &std::get<N>(server))
                             : hr),
         ...);
        if (SUCCEEDED(hr)) hr = (static_cast<C*>(static_cast<T*>(target))->*f->pm)(std::get<N>(server)...);
        HRESULT closed = S_OK;
        ((closed = codec<Args>::close(ch, std::get<N>(f->wires), std::get<N>(server), hr),
          hr = SUCCEEDED(hr) && FAILED(closed) ? closed : hr),
         ...);
        return hr;
    }
    static HRESULT run_all(RPC_CALL_FRAME* base, void* target, IRpcChannelBuffer* ch) noexcept
    {
        return run(base, target, ch, std::index_sequence_for<Args...>());
    }

    template <std::size_t... N>
    static HRESULT send(face* self, pm_type pm, std::index_sequence<N...>, Args... args) noexcept
    {
        IRpcChannelBuffer* ch = self->owner->channel();
        if (!ch) return CO_E_OBJNOTCONNECTED;
        call_frame f;
        f.invoke = &run_all;
        f.pm = pm;
        HRESULT hr = S_OK;
        ((hr = SUCCEEDED(hr) ? codec<Args>::pack(ch, args, std::get<N>(f.wires)) : hr), ...);
        if (SUCCEEDED(hr)) hr = ch->SendReceive(&f);
        ((hr = codec<Args>::finish(ch, std::get<N>(f.wires), args, hr)), ...);
        return hr;
    }
};

template <typename T, std::size_t K>
using entry_at = std::remove_cvref_t<decltype(std::get<K>(interface_traits<T>::members))>;

template <typename T, std::size_t K, typename PM = typename entry_at<T, K>::pm_type>
struct method_thunk;
template <typename T, std::size_t K, typename C, typename... Args>
struct method_thunk<T, K, HRESULT (C::*)(Args...) noexcept> {
    static HRESULT call(face* self, Args... args) noexcept
    {
        using frame = call_frame<T, C, Args...>;
        return frame::send(self, std::get<K>(interface_traits<T>::members).pm,
                           std::index_sequence_for<Args...>(), args...);
    }
};

// The slot a virtual member occupies, or max_slots for a pointer that names none.
template <typename PM>
std::size_t slot_of(PM pm) noexcept
{
    struct itanium_member_pointer {
        std::uintptr_t ptr;
        std::ptrdiff_t adj;
    } rep;
    static_assert(sizeof(PM) == sizeof(rep));
    std::memcpy(&rep, &pm, sizeof rep);
    if ((rep.ptr & 1) == 0 || rep.adj != 0) return max_slots;
    const std::size_t slot = (rep.ptr - 1) / sizeof(void*);
    return slot < max_slots ? slot : max_slots;
}

void put_slot(vtable_image& image, std::size_t slot, void (*fn)()) noexcept;
// IUnknown's and IDispatch's slots, shared by every proxy.
void put_unknown_slots(vtable_image& image) noexcept;
void put_dispatch_slots(vtable_image& image) noexcept;
void seal(vtable_image& image) noexcept;

template <typename T, std::size_t... K>
void put_table(vtable_image& image, std::index_sequence<K...>) noexcept
{
    (put_slot(image, slot_of(std::get<K>(interface_traits<T>::members).pm),
              reinterpret_cast<void (*)()>(&method_thunk<T, K>::call)),
     ...);
}

template <typename T>
void put_tables(vtable_image& image) noexcept
{
    if constexpr (!std::is_void_v<T>) {
        using table = std::remove_cvref_t<decltype(interface_traits<T>::members)>;
        put_table<T>(image, std::make_index_sequence<std::tuple_size_v<table>>());
        put_tables<typename detail::table_base<T>::type>(image);
    }
}

template <typename I>
const vtable_image& vtable_for() noexcept
{
    static const vtable_image image = [] {
        vtable_image v;
        v.slots[1].rtti = &typeid(I);
        put_unknown_slots(v);
        if constexpr (std::is_base_of_v<IDispatch, I>) put_dispatch_slots(v);
        if constexpr (has_member_table<I>) put_tables<I>(v);
        seal(v);
        return v;
    }();
    return image;
}

// I and every interface it derives from, ending with IUnknown and a null.
template <typename I>
const IID* const* chain_for() noexcept
{
    static const auto chain = [] {
        std::array<const IID*, 16> ids{};
        std::size_t n = 0;
        auto add = [&]<typename X>(auto& self, X*) -> void {
            ids[n++] = &X::iid;
            if constexpr (!std::is_same_v<X, IUnknown>)
                self(self, static_cast<typename X::base*>(nullptr));
        };
        add(add, static_cast<I*>(nullptr));
        return ids;
    }();
    return chain.data();
}

template <typename I>
HRESULT create_proxy(IRpcProxyBuffer** proxy, void** object) noexcept
{
    const vtable_image& image = vtable_for<I>();
    if (!image.complete) return E_NOINTERFACE;
    auto* core = new (std::nothrow) proxy_core(image, chain_for<I>());
    if (!core) return E_OUTOFMEMORY;
    core->AddRef();
    *proxy = core;
    *object = core->interface_pointer();
    return S_OK;
}

}  // namespace com::automation::proxy_detail

namespace com::automation {

// The proxy-stub factory for the interfaces I...: a static class object (no count of its own;
// its proxies and stubs are counted by live_proxy_stub_objects).
template <typename... I>
class ps_factory final : public IPSFactoryBuffer {
public:
    HRESULT QueryInterface(REFIID riid, void** out) noexcept override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid != IID_IUnknown && riid != IPSFactoryBuffer::iid) return E_NOINTERFACE;
        *out = static_cast<IPSFactoryBuffer*>(this);
        return S_OK;
    }
    ULONG AddRef() noexcept override { return 2; }
    ULONG Release() noexcept override { return 1; }

    // Calls f(iid, name, methods) for each interface, in the factory's order: what the registry
    // says of it (methods counts every slot of its vtable, IUnknown's included).
    template <typename F>
    static void for_each_interface(F&& f)
    {
        (f(iid_of<I>(), interface_traits<I>::name,
           static_cast<unsigned>(proxy_detail::vtable_for<I>().count)),
         ...);
    }

    HRESULT CreateProxy(IUnknown* outer, REFIID riid, IRpcProxyBuffer** proxy,
                        void** object) noexcept override
    {
        if (!proxy || !object) return E_POINTER;
        *proxy = nullptr;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        HRESULT hr = E_NOINTERFACE;
        (void)((riid == iid_of<I>() ? (hr = proxy_detail::create_proxy<I>(proxy, object), true)
                                    : false) ||
               ...);
        return hr;
    }
    HRESULT CreateStub(REFIID riid, IUnknown* server, IRpcStubBuffer** out) noexcept override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!((riid == iid_of<I>()) || ...)) return E_NOINTERFACE;
        auto* created = new (std::nothrow) proxy_detail::stub(riid);
        if (!created) return E_OUTOFMEMORY;
        if (server) {
            const HRESULT hr = created->Connect(server);
            if (FAILED(hr)) {
                created->Release();
                return hr;
            }
        }
        *out = created;
        return S_OK;
    }
};

// Proxies and stubs alive, of every factory in this module.
inline LONG live_proxy_stub_objects() noexcept { return proxy_detail::live_objects.load(); }

}  // namespace com::automation

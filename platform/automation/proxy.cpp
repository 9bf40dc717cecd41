// The run-time half of the generated proxies and stubs: the proxy object, the stub, the slots
// every proxy shares (IUnknown, IDispatch), VARIANTs on their way, and the factory for the two
// interfaces every proxy-stub factory leaves to the system.
#include "platform/automation/proxy.h"

#include "platform/com/com_ptr.h"
#include "platform/com/result.h"
#include "platform/com/variant.h"

namespace com::automation::proxy_detail {

std::atomic<LONG> live_objects{0};

// ---- Proxy ---------------------------------------------------------------------------------

proxy_core::proxy_core(const vtable_image& image, const IID* const* chain) noexcept
    : face_{image.slots + 2, this}, chain_(chain)
{
    ++live_objects;
}

proxy_core::~proxy_core()
{
    Disconnect();
    --live_objects;
}

HRESULT proxy_core::QueryInterface(REFIID riid, void** out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IRpcProxyBuffer::iid) return E_NOINTERFACE;
    *out = static_cast<IRpcProxyBuffer*>(this);
    AddRef();
    return S_OK;
}

ULONG proxy_core::Release() noexcept
{
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT proxy_core::Connect(IRpcChannelBuffer* channel) noexcept
{
    if (!channel) return E_POINTER;
    channel->AddRef();
    if (IRpcChannelBuffer* old = channel_.exchange(channel)) old->Release();
    return S_OK;
}

void proxy_core::Disconnect() noexcept
{
    if (IRpcChannelBuffer* old = channel_.exchange(nullptr)) old->Release();
}

HRESULT proxy_core::face_query(REFIID riid, void** out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    for (const IID* const* id = chain_; *id; ++id) {
        if (**id == riid) {
            AddRef();
            *out = &face_;
            return S_OK;
        }
    }
    IRpcChannelBuffer* ch = channel();
    if (!ch) return CO_E_OBJNOTCONNECTED;
    // The channel answers for the marshalling layer, which marshals a proxy by its stub.
    if (riid == IRpcChannelBuffer::iid) return ch->QueryInterface(riid, out);
    return ch->QueryRemote(riid, out);
}

// ---- Stub ----------------------------------------------------------------------------------

stub::~stub()
{
    Disconnect();
    --live_objects;
}

HRESULT stub::QueryInterface(REFIID riid, void** out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IRpcStubBuffer::iid) return E_NOINTERFACE;
    *out = static_cast<IRpcStubBuffer*>(this);
    AddRef();
    return S_OK;
}

ULONG stub::Release() noexcept
{
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT stub::Connect(IUnknown* server) noexcept
{
    if (!server) return E_POINTER;
    void* found = nullptr;
    RETURN_IF_FAILED(server->QueryInterface(iid_, &found));
    Disconnect();
    server_ = static_cast<IUnknown*>(found);
    return S_OK;
}

void stub::Disconnect() noexcept
{
    if (IUnknown* old = std::exchange(server_, nullptr)) old->Release();
}

HRESULT stub::Invoke(RPC_CALL_FRAME* frame, IRpcChannelBuffer* channel) noexcept
{
    if (!frame) return E_POINTER;
    if (!server_) return RPC_E_DISCONNECTED;
    return frame->invoke(frame, server_, channel);
}

HRESULT stub::DebugServerQueryInterface(void** object) noexcept
{
    if (!object) return E_POINTER;
    *object = server_;
    return server_ ? S_OK : E_UNEXPECTED;
}

// ---- VARIANTs ------------------------------------------------------------------------------

bool plain_variant(const VARIANT& v) noexcept
{
    const VARTYPE base = v.vt & VT_TYPEMASK;
    if (base == VT_UNKNOWN || base == VT_DISPATCH) return false;
    if ((v.vt & VT_BYREF) && base == VT_VARIANT) return !v.pvarVal || plain_variant(*v.pvarVal);
    return true;
}

HRESULT variant_out(IRpcChannelBuffer* channel, VARIANT* result, variant_wire& wire) noexcept
{
    if (result->vt != VT_UNKNOWN && result->vt != VT_DISPATCH) {
        if (plain_variant(*result)) return S_OK;
        VariantClear(result);
        return DISP_E_BADVARTYPE;
    }
    wire.vt = result->vt;
    REFIID iid = result->vt == VT_DISPATCH ? IDispatch::iid : IID_IUnknown;
    const HRESULT hr = channel->MarshalArgument(iid, result->punkVal, &wire.ref);
    VariantClear(result);
    return hr;
}

HRESULT variant_in(IRpcChannelBuffer* channel, VARIANT* result, variant_wire& wire) noexcept
{
    if (wire.vt == VT_EMPTY) return S_OK;
    REFIID iid = wire.vt == VT_DISPATCH ? IDispatch::iid : IID_IUnknown;
    void* object = nullptr;
    RETURN_IF_FAILED(channel->UnmarshalArgument(&wire.ref, iid, &object));
    result->vt = wire.vt;
    result->punkVal = static_cast<IUnknown*>(object);
    return S_OK;
}

// ---- Shared slots --------------------------------------------------------------------------

namespace {

HRESULT face_query_interface(face* self, REFIID riid, void** out) noexcept
{
    return self->owner->face_query(riid, out);
}
ULONG face_add_ref(face* self) noexcept { return self->owner->AddRef(); }
ULONG face_release(face* self) noexcept { return self->owner->Release(); }

IRpcChannelBuffer* connected(face* self) noexcept { return self->owner->channel(); }

// Type information is immutable and counts atomically: it crosses as it is.
HRESULT dispatch_type_info_count(face* self, UINT* count) noexcept
{
    IRpcChannelBuffer* ch = connected(self);
    if (!ch) return CO_E_OBJNOTCONNECTED;
    struct frame : RPC_CALL_FRAME {
        UINT* count;
    } f;
    f.count = count;
    f.invoke = [](RPC_CALL_FRAME* b, void* target, IRpcChannelBuffer*) noexcept {
        return static_cast<IDispatch*>(target)->GetTypeInfoCount(static_cast<frame*>(b)->count);
    };
    return ch->SendReceive(&f);
}

HRESULT dispatch_type_info(face* self, UINT index, LCID lcid, ITypeInfo** info) noexcept
{
    IRpcChannelBuffer* ch = connected(self);
    if (!ch) return CO_E_OBJNOTCONNECTED;
    struct frame : RPC_CALL_FRAME {
        UINT index;
        LCID lcid;
        ITypeInfo** info;
    } f;
    f.index = index;
    f.lcid = lcid;
    f.info = info;
    f.invoke = [](RPC_CALL_FRAME* b, void* target, IRpcChannelBuffer*) noexcept {
        auto* a = static_cast<frame*>(b);
        return static_cast<IDispatch*>(target)->GetTypeInfo(a->index, a->lcid, a->info);
    };
    return ch->SendReceive(&f);
}

HRESULT dispatch_ids_of_names(face* self, REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                              DISPID* ids) noexcept
{
    IRpcChannelBuffer* ch = connected(self);
    if (!ch) return CO_E_OBJNOTCONNECTED;
    struct frame : RPC_CALL_FRAME {
        const IID* riid;
        LPOLESTR* names;
        UINT count;
        LCID lcid;
        DISPID* ids;
    } f;
    f.riid = &riid;
    f.names = names;
    f.count = count;
    f.lcid = lcid;
    f.ids = ids;
    f.invoke = [](RPC_CALL_FRAME* b, void* target, IRpcChannelBuffer*) noexcept {
        auto* a = static_cast<frame*>(b);
        return static_cast<IDispatch*>(target)->GetIDsOfNames(*a->riid, a->names, a->count,
                                                               a->lcid, a->ids);
    };
    return ch->SendReceive(&f);
}

HRESULT dispatch_invoke(face* self, DISPID id, REFIID riid, LCID lcid, WORD flags,
                        DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                        UINT* arg_error) noexcept
{
    IRpcChannelBuffer* ch = connected(self);
    if (!ch) return CO_E_OBJNOTCONNECTED;
    if (params)
        for (UINT i = 0; i < params->cArgs; ++i)
            if (params->rgvarg && !plain_variant(params->rgvarg[i])) return DISP_E_BADVARTYPE;
    struct frame : RPC_CALL_FRAME {
        DISPID id;
        const IID* riid;
        LCID lcid;
        WORD flags;
        DISPPARAMS* params;
        VARIANT* result;
        EXCEPINFO* exception;
        UINT* arg_error;
        variant_wire out;
    } f;
    f.id = id;
    f.riid = &riid;
    f.lcid = lcid;
    f.flags = flags;
    f.params = params;
    f.result = result;
    f.exception = exception;
    f.arg_error = arg_error;
    f.invoke = [](RPC_CALL_FRAME* b, void* target, IRpcChannelBuffer* via) noexcept {
        auto* a = static_cast<frame*>(b);
        HRESULT hr = static_cast<IDispatch*>(target)->Invoke(a->id, *a->riid, a->lcid, a->flags,
                                                             a->params, a->result, a->exception,
                                                             a->arg_error);
        if (SUCCEEDED(hr) && a->result) {
            const HRESULT moved = variant_out(via, a->result, a->out);
            if (FAILED(moved)) hr = moved;
        }
        return hr;
    };
    HRESULT hr = ch->SendReceive(&f);
    if (result) {
        const HRESULT back = variant_in(ch, result, f.out);
        if (SUCCEEDED(hr)) hr = back;
    }
    return hr;
}

template <typename F>
void (*as_slot(F* fn))()
{
    return reinterpret_cast<void (*)()>(fn);
}

}  // namespace

void put_slot(vtable_image& image, std::size_t slot, void (*fn)()) noexcept
{
    if (slot >= max_slots) {
        image.count = max_slots + 1;  // marks the table unusable in seal()
        return;
    }
    image.slots[2 + slot].fn = fn;
    if (slot + 1 > image.count) image.count = slot + 1;
}

void put_unknown_slots(vtable_image& image) noexcept
{
    put_slot(image, 0, as_slot(&face_query_interface));
    put_slot(image, 1, as_slot(&face_add_ref));
    put_slot(image, 2, as_slot(&face_release));
}

void put_dispatch_slots(vtable_image& image) noexcept
{
    put_slot(image, 3, as_slot(&dispatch_type_info_count));
    put_slot(image, 4, as_slot(&dispatch_type_info));
    put_slot(image, 5, as_slot(&dispatch_ids_of_names));
    put_slot(image, 6, as_slot(&dispatch_invoke));
}

void seal(vtable_image& image) noexcept
{
    image.complete = image.count <= max_slots;
    for (std::size_t i = 0; image.complete && i < image.count; ++i)
        image.complete = image.slots[2 + i].fn != nullptr;
}

}  // namespace com::automation::proxy_detail

namespace com::detail {

IPSFactoryBuffer* builtin_ps_factory() noexcept
{
    static automation::ps_factory<IUnknown, IDispatch> factory;
    return &factory;
}

}  // namespace com::detail

// A note's Invoke called directly and through a proxy from another apartment: what carrying
// a call to the object's thread and back costs.
#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

#include "contentelements/cnt_note.h"
#include "contentelements/cnt_types.h"
#include "module/class_map.h"
#include "module/proxy_stub.h"
#include "platform/com/com.h"
#include "platform/com/rpc.h"
#include "platform/com/streams.h"

namespace {

constexpr DISPID kFillTransparency = 0x20;

com::ComPtr<IZCntElementNote> make_note()
{
    com::ComPtr<IClassFactory> factory;
    com::ComPtr<IZCntElementNote> note;
    if (SUCCEEDED(cnt::module::get_class_object(CLSID_ZCntElementNote, IClassFactory::iid,
                                                factory.put_void())))
        factory->CreateInstance(nullptr, IZCntElementNote::iid, note.put_void());
    return note;
}

HRESULT get_transparency(IDispatch* object, VARIANT* result)
{
    DISPPARAMS none{};
    return object->Invoke(kFillTransparency, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, result,
                          nullptr, nullptr);
}

void BM_InvokeNoteDirect(benchmark::State& state)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        com::ComPtr<IZCntElementNote> note = make_note();
        IDispatch* volatile opaque = note.get();
        VARIANT result;
        for (auto _ : state) {
            benchmark::DoNotOptimize(get_transparency(opaque, &result));
            benchmark::DoNotOptimize(result.iVal);
        }
    }
    CoUninitialize();
}
BENCHMARK(BM_InvokeNoteDirect);

// The note lives in a single-threaded apartment of a thread that serves its calls; the
// benchmark's thread, in the multithreaded apartment, calls it through a proxy.
void BM_InvokeNoteProxied(benchmark::State& state)
{
    com::ComPtr<IUnknown> factory;
    DWORD cookie = 0;
    cnt::module::proxy_stub_class_object(cnt::module::CLSID_ContentElementsPS, IID_IUnknown,
                                         factory.put_void());
    CoRegisterClassObject(cnt::module::CLSID_ContentElementsPS, factory.get(),
                          CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    cnt::module::register_proxy_stub_interfaces();

    std::atomic<IStream*> marshalled{nullptr};
    std::atomic<bool> stop{false};
    std::thread server([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        {
            com::ComPtr<IZCntElementNote> note = make_note();
            IStream* stream = nullptr;
            CoMarshalInterThreadInterfaceInStream(IZCntElementNote::iid, note.get(), &stream);
            marshalled = stream;
            while (!stop) com::pump_calls(5);
        }
        com::pump_calls(0);
        CoUninitialize();
    });
    while (!marshalled) std::this_thread::yield();

    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
        com::ComPtr<IZCntElementNote> proxy;
        if (FAILED(CoGetInterfaceAndReleaseStream(marshalled.load(), IZCntElementNote::iid,
                                                  proxy.put_void())))
            state.SkipWithError("the note could not be unmarshalled");
        VARIANT result;
        for (auto _ : state) {
            if (!proxy) break;
            benchmark::DoNotOptimize(get_transparency(proxy.get(), &result));
            benchmark::DoNotOptimize(result.iVal);
        }
    }
    CoUninitialize();
    stop = true;
    server.join();
    CoRevokeClassObject(cookie);
}
BENCHMARK(BM_InvokeNoteProxied)->UseRealTime();

}  // namespace

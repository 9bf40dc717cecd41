// Threads in apartments for the marshalling tests: a body run on a thread of its own while the
// test's thread serves its single-threaded apartment, and notes to call.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "contentelements/cnt_note.h"
#include "contentelements/cnt_types.h"
#include "module/class_map.h"
#include "module/proxy_stub.h"
#include "platform/com/com.h"
#include "platform/com/rpc.h"
#include "platform/com/streams.h"

namespace marshal_test {

// Runs `body` on a new thread inside an apartment of kind `flags`; meanwhile this thread serves
// the calls that reach its own apartment, as a message loop would.
template <typename F>
void on_other_thread(DWORD flags, F body)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        EXPECT_EQ(CoInitializeEx(nullptr, flags), S_OK);
        body();
        CoUninitialize();
        done = true;
    });
    while (!done) com::pump_calls(5);
    worker.join();
    com::pump_calls(0);  // releases posted by the worker's last calls
}

inline com::ComPtr<IZCntElementNote> make_note()
{
    com::ComPtr<IClassFactory> factory;
    EXPECT_EQ(cnt::module::get_class_object(CLSID_ZCntElementNote, IClassFactory::iid,
                                            factory.put_void()),
              S_OK);
    com::ComPtr<IZCntElementNote> note;
    if (factory) {
        EXPECT_EQ(factory->CreateInstance(nullptr, IZCntElementNote::iid, note.put_void()), S_OK);
    }
    return note;
}

// What marshalling `object` as `iid` into a fresh memory stream answers.
inline HRESULT marshal_to_memory(REFIID iid, IUnknown* object)
{
    com::ComPtr<IStream> stream;
    if (HRESULT hr = com::create_memory_stream(stream.put()); FAILED(hr)) return hr;
    return CoMarshalInterface(stream.get(), iid, object, MSHCTX_INPROC, nullptr, MSHLFLAGS_NORMAL);
}

// The object's count besides the caller's own reference.
inline ULONG other_references(IUnknown* object)
{
    object->AddRef();
    return object->Release() - 1;
}

// The test's thread in a single-threaded apartment, with the library's proxy-stub factory
// registered as a class object of the process.
class ApartmentTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        com::ComPtr<IUnknown> factory;
        ASSERT_EQ(cnt::module::proxy_stub_class_object(cnt::module::CLSID_ContentElementsPS,
                                                       IID_IUnknown, factory.put_void()),
                  S_OK);
        ASSERT_EQ(CoRegisterClassObject(cnt::module::CLSID_ContentElementsPS, factory.get(),
                                        CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_),
                  S_OK);
        ASSERT_EQ(cnt::module::register_proxy_stub_interfaces(), S_OK);
    }
    void TearDown() override
    {
        CoRevokeClassObject(cookie_);
        CoUninitialize();
        EXPECT_EQ(cnt::module::proxy_stub_can_unload(), S_OK) << "a proxy or stub outlived its test";
    }

private:
    DWORD cookie_ = 0;
};

}  // namespace marshal_test

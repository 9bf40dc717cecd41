// Creating the library's classes through the registry in a process that registers none of them
// itself: ProgID to class id, class id to the library, which is loaded once and kept until
// CoFreeUnusedLibraries finds it unused; and the errors of what the registry does not know.
#include <atomic>
#include <thread>

#include "contentelements/cnt_note.h"
#include "platform/com/class_table.h"
#include "platform/com/com_ptr.h"
#include "platform/com/raii.h"
#include "platform/com/rpc.h"
#include "platform/registry/registry_classes.h"
#include "tests/module/listed_classes.h"
#include "tests/module/registry_support.h"

namespace {

constexpr CLSID kNote = module_test::kClasses[11].clsid;

class RegistryCreation : public module_test::RegistryAndModule {
protected:
    void SetUp() override
    {
        RegistryAndModule::SetUp();
        if (HasFatalFailure()) return;
        CoFreeUnusedLibraries();
        ASSERT_EQ(registry::loaded_server_count(), 0u);
    }

    static HRESULT put(IDispatch* object, const char16_t* name, com::Variant value)
    {
        DISPID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        RETURN_IF_FAILED(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id));
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{value.get(), &named, 1, 1};
        return object->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                              nullptr);
    }
    static com::Variant get(IDispatch* object, const char16_t* name)
    {
        com::Variant result;
        DISPID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPPARAMS none{};
        if (SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id)))
            object->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, result.put(), nullptr,
                           nullptr);
        return result;
    }
};

TEST_F(RegistryCreation, MakesANoteByProgIdAndDrivesItByName)
{
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(u"Orvane.ZCntElementNote", &clsid), CO_E_CLASSSTRING)
        << "nothing is registered yet";
    ASSERT_EQ(module->dll().register_server(), S_OK);

    for (const char16_t* progid : {u"Orvane.ZCntElementNote", u"orvane.zcntelementnote.1"}) {
        clsid = CLSID_NULL;
        EXPECT_EQ(CLSIDFromProgID(progid, &clsid), S_OK);
        EXPECT_EQ(clsid, kNote);
    }
    com::ComPtr<IDispatch> note;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IDispatch::iid,
                               note.put_void()), S_OK);
    EXPECT_EQ(registry::loaded_server_count(), 1u);

    EXPECT_EQ(put(note.get(), u"Text", com::Variant::from_string(u"Through the registry")), S_OK);
    EXPECT_EQ(put(note.get(), u"FillTransparency", com::Variant::from_i4(40)), S_OK);
    const com::Variant text = get(note.get(), u"Text");
    ASSERT_EQ(text.get()->vt, VT_BSTR);
    EXPECT_EQ(com::bstr_view(text.get()->bstrVal), u"Through the registry");
    const com::Variant transparency = get(note.get(), u"FillTransparency");
    EXPECT_EQ(transparency.get()->vt, VT_I2);
    EXPECT_EQ(transparency.get()->iVal, 40);

    com::ComPtr<IDispatch> second;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IDispatch::iid,
                               second.put_void()), S_OK);
    EXPECT_EQ(registry::loaded_server_count(), 1u) << "the library is loaded once";

    CoFreeUnusedLibraries();
    EXPECT_EQ(registry::loaded_server_count(), 1u) << "objects of the library are alive";
    note.reset();
    second.reset();
    CoFreeUnusedLibraries();
    EXPECT_EQ(registry::loaded_server_count(), 0u);

    // What was looked up before is not trusted once the registry has changed.
    ASSERT_EQ(module->dll().unregister_server(), S_OK);
    EXPECT_EQ(CLSIDFromProgID(u"Orvane.ZCntElementNote", &clsid), CO_E_CLASSSTRING);
    void* gone = nullptr;
    EXPECT_EQ(CoCreateInstance(kNote, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &gone),
              REGDB_E_CLASSNOTREG);
}

// A second thread calls a note of this thread's apartment: the registry names the library's own
// proxy-stub factory, which the loaded library serves; this program marshals nothing itself.
TEST_F(RegistryCreation, CallsFromAnotherThreadGoThroughTheLibrarysFactory)
{
    ASSERT_EQ(module->dll().register_server(), S_OK);
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    CLSID factory{};
    EXPECT_EQ(CoGetPSClsid(IZCntElementNote::iid, &factory), S_OK);
    EXPECT_EQ(factory, com::make_guid("{22F4CF0E-CA35-424B-B6D5-242D8290F423}"));
    {
        com::ComPtr<IZCntElementNote> note;
        ASSERT_EQ(CoCreateInstance(kNote, nullptr, CLSCTX_INPROC_SERVER, IZCntElementNote::iid,
                                   note.put_void()), S_OK);
        com::ComPtr<IStream> stream;
        ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IZCntElementNote::iid, note.get(),
                                                        stream.put()), S_OK);
        HRESULT put = E_FAIL, get = E_FAIL;
        std::u16string seen;
        void* proxy_address = nullptr;
        std::atomic<bool> done{false};
        std::thread worker([&] {
            EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
            com::ComPtr<IZCntElementNote> proxy;
            if (SUCCEEDED(CoGetInterfaceAndReleaseStream(stream.detach(), IZCntElementNote::iid,
                                                         proxy.put_void()))) {
                proxy_address = proxy.get();
                com::Bstr text(u"Sent across");
                put = proxy->put_Text(text.get());
                com::Bstr back;
                get = proxy->get_Text(back.put());
                seen = back.view();
            }
            proxy.reset();
            CoUninitialize();
            done = true;
        });
        while (!done) com::pump_calls(5);
        worker.join();
        com::pump_calls(0);
        EXPECT_EQ(put, S_OK);
        EXPECT_EQ(get, S_OK);
        EXPECT_EQ(seen, u"Sent across");
        EXPECT_NE(proxy_address, static_cast<void*>(note.get())) << "a proxy, not the note";
        com::Bstr direct;
        EXPECT_EQ(note->get_Text(direct.put()), S_OK);
        EXPECT_EQ(direct.view(), u"Sent across") << "the call ran on the note itself";
    }
    CoUninitialize();
    CoFreeUnusedLibraries();
    EXPECT_EQ(registry::loaded_server_count(), 0u) << "no proxy or stub is left alive";
    EXPECT_EQ(module->dll().unregister_server(), S_OK);
}

TEST_F(RegistryCreation, WhatTheRegistryCannotServeFailsClearly)
{
    ASSERT_EQ(module->dll().register_server(), S_OK);
    const struct {
        const char* name;
        const char16_t* server;  // null: no class key at all
        HRESULT expected;
    } cases[] = {
        {"unknown class id", nullptr, REGDB_E_CLASSNOTREG},
        {"empty server path", u"", REGDB_E_CLASSNOTREG},
        {"missing library", u"/nonexistent/libnothing.so", CO_E_DLLNOTFOUND},
        {"library without the entry point", u"libm.so.6", CO_E_ERRORINDLL},
    };
    constexpr CLSID kOther = com::make_guid("{44E6DA12-20E3-4AA6-9562-292011E8EAAB}");
    const std::u16string server = u"CLSID\\" + com::format_guid_u16(kOther) + u"\\InprocServer32";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (u"CLSID\\" + com::format_guid_u16(kOther)).c_str());
        if (c.server) {
            ASSERT_EQ(create(server.c_str(), c.server), ERROR_SUCCESS);
        }
        void* object = reinterpret_cast<void*>(1);
        EXPECT_EQ(CoCreateInstance(kOther, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
                  c.expected);
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(registry::loaded_server_count(), 0u);

    CLSID clsid = kNote;
    EXPECT_EQ(CLSIDFromProgID(u"Orvane.NoSuchElement", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(clsid, CLSID_NULL);
    ASSERT_EQ(create(u"Orvane.Broken\\CLSID", u"not a class id"), ERROR_SUCCESS);
    EXPECT_EQ(CLSIDFromProgID(u"Orvane.Broken", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(module->dll().unregister_server(), S_OK);
}

TEST_F(RegistryCreation, ADamagedRegistryIsAReadFailure)
{
    write_file("REGEDIT4\n\nnot a section\n");
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(u"Orvane.ZCntElementNote", &clsid), REGDB_E_READREGDB);
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(kNote, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              REGDB_E_READREGDB);
}

}  // namespace

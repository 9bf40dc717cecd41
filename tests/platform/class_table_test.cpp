// The class table: registration, lookup, creation through class factories, ProgIDs and the
// seam for the registry's class source.
#include <gtest/gtest.h>

#include <string_view>

#include "platform/com/class_factory.h"
#include "platform/com/class_table.h"
#include "platform/com/com_ptr.h"
#include "platform/com/object.h"
#include "platform/com/result.h"
#include "tests/platform/test_support.h"

namespace {

struct IGreeter : IUnknown {
    static constexpr IID iid = com::make_guid("{7B2E0001-0000-4000-8000-0000000000B2}");
    using base = IUnknown;
    virtual HRESULT Greeting(LONG* value) noexcept = 0;
};

constexpr CLSID kGreeterClass = com::make_guid("{7B2E0002-0000-4000-8000-0000000000B2}");
constexpr CLSID kLonerClass = com::make_guid("{7B2E0003-0000-4000-8000-0000000000B2}");
constexpr CLSID kUnknownClass = com::make_guid("{7B2E00FF-0000-4000-8000-0000000000B2}");

template <LONG Value>
class CGreeter : public com::object_root<CGreeter<Value>, IGreeter> {
public:
    HRESULT Greeting(LONG* value) noexcept override { return *value = Value, S_OK; }
};

class CLoner : public com::object_root<CLoner, IGreeter> {
public:
    static constexpr bool aggregatable = false;
    HRESULT Greeting(LONG* value) noexcept override { return *value = -1, S_OK; }
};

template <typename T>
DWORD register_class(REFCLSID clsid)
{
    DWORD cookie = 0;
    EXPECT_EQ(com::register_class_factory<T>(clsid, &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
    return cookie;
}

LONG greeting_of(REFCLSID clsid)
{
    com::ComPtr<IGreeter> greeter;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IGreeter::iid,
                                  greeter.put_void());
    if (FAILED(hr)) return hr;
    LONG value = 0;
    greeter->Greeting(&value);
    return value;
}

TEST(ClassTable, CreatesTheLatestRegistrationAndForgetsRevokedOnes)
{
    DWORD cookie = register_class<CGreeter<7>>(kGreeterClass);
    EXPECT_EQ(greeting_of(kGreeterClass), 7);

    com::ComPtr<IClassFactory> factory;
    EXPECT_EQ(CoGetClassObject(kGreeterClass, CLSCTX_INPROC_SERVER, nullptr, IClassFactory::iid,
                               factory.put_void()),
              S_OK);
    com::ComPtr<IClassFactory> again;
    EXPECT_EQ(CoGetClassObject(kGreeterClass, CLSCTX_ALL, nullptr, IClassFactory::iid,
                               again.put_void()),
              S_OK);
    EXPECT_EQ(factory.get(), again.get()) << "the registered object itself is handed out";

    DWORD later = register_class<CGreeter<2>>(kGreeterClass);
    EXPECT_EQ(greeting_of(kGreeterClass), 2) << "a later registration hides an earlier one";
    EXPECT_EQ(CoRevokeClassObject(later), S_OK);
    EXPECT_EQ(greeting_of(kGreeterClass), 7);

    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(CoRevokeClassObject(cookie), CO_E_OBJNOTREG);
    EXPECT_EQ(greeting_of(kGreeterClass), REGDB_E_CLASSNOTREG);
}

TEST(ClassTable, ReportsTheErrorsAClientExpects)
{
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(CoCreateInstance(kUnknownClass, nullptr, CLSCTX_ALL, IGreeter::iid, &out),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(CoCreateInstance(kUnknownClass, nullptr, CLSCTX_ALL, IGreeter::iid, nullptr),
              E_POINTER);

    DWORD cookie = 1234;
    EXPECT_EQ(CoRegisterClassObject(kGreeterClass, nullptr, CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &cookie),
              E_INVALIDARG);
    EXPECT_EQ(cookie, 0u);

    DWORD loner = register_class<CLoner>(kLonerClass);
    com::ComPtr<IGreeter> outer;
    ASSERT_EQ(com::make<CGreeter<5>>(outer.put()), S_OK);
    out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(CoCreateInstance(kLonerClass, outer.get(), CLSCTX_INPROC_SERVER, IID_IUnknown, &out),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(CoCreateInstance(kLonerClass, nullptr, CLSCTX_INPROC_SERVER, IClassFactory::iid,
                               &out),
              E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(CoRevokeClassObject(loner), S_OK);
}

TEST(ClassFactory, LockServerHoldsTheModuleAndTheTableHoldsTheFactory)
{
    com::ComPtr<IClassFactory> factory;
    ASSERT_EQ(com::make<com::class_factory<CLoner>>(factory.put()), S_OK);
    const LONG locks = com::module_lock_count();
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(com::module_lock_count(), locks + 1);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(com::module_lock_count(), locks);
    EXPECT_EQ(com::register_class_factory<CLoner>(kLonerClass, nullptr), E_INVALIDARG);

    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(kLonerClass, factory.get(), CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &cookie),
              S_OK);
    EXPECT_EQ(counted::references(factory.get()), 2u) << "the table holds a reference";
    ASSERT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(counted::references(factory.get()), 1u);
}

TEST(ClassTable, ResolvesProgIdsCaseInsensitively)
{
    ASSERT_EQ(com::register_progid(u"Test.Greeter.1", kGreeterClass), S_OK);
    CLSID clsid = kUnknownClass;
    EXPECT_EQ(CLSIDFromProgID(u"test.GREETER.1", &clsid), S_OK);
    EXPECT_EQ(clsid, kGreeterClass);
    EXPECT_EQ(CLSIDFromProgID(u"Test.Greeter", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(clsid, CLSID_NULL);
    EXPECT_EQ(CLSIDFromProgID(nullptr, &clsid), E_INVALIDARG);
    EXPECT_EQ(com::revoke_progid(u"TEST.greeter.1"), S_OK);
    EXPECT_EQ(com::revoke_progid(u"Test.Greeter.1"), E_INVALIDARG);
    EXPECT_EQ(com::register_progid(u"", kGreeterClass), E_INVALIDARG);
}

// A class source standing in for the registry: it knows one class and one ProgID.
struct fake_source final : com::class_source {
    int lookups = 0, frees = 0;
    HRESULT get_class_object(REFCLSID clsid, REFIID riid, void** object) noexcept override
    {
        ++lookups;
        if (clsid != kLonerClass) return REGDB_E_CLASSNOTREG;
        com::ComPtr<IClassFactory> factory;
        RETURN_IF_FAILED(com::make<com::class_factory<CLoner>>(factory.put()));
        return factory->QueryInterface(riid, object);
    }
    HRESULT clsid_from_progid(std::u16string_view progid, CLSID* clsid) noexcept override
    {
        if (progid != u"Loner") return CO_E_CLASSSTRING;
        *clsid = kLonerClass;
        return S_OK;
    }
    void free_unused_libraries() noexcept override { ++frees; }
};

TEST(ClassTable, AsksTheClassSourceForWhatTheProcessHasNotRegistered)
{
    fake_source source;
    com::class_source* previous = com::set_class_source(&source);
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(u"Loner", &clsid), S_OK);
    EXPECT_EQ(clsid, kLonerClass);
    EXPECT_EQ(greeting_of(clsid), -1);
    EXPECT_EQ(greeting_of(kUnknownClass), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(source.lookups, 2);

    DWORD cookie = register_class<CGreeter<9>>(kLonerClass);
    EXPECT_EQ(greeting_of(kLonerClass), 9) << "the process's own registration comes first";
    EXPECT_EQ(source.lookups, 2);
    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);

    CoFreeUnusedLibraries();
    EXPECT_EQ(source.frees, 1);
    EXPECT_EQ(com::set_class_source(previous), &source);
}

}  // namespace

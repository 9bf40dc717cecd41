// libcontentelements.so through its entry points: the class objects of the fifteen classes,
// refused class ids, aggregation per class, when the library may be unloaded, and that nothing
// but the four entry points is visible.
#include <cstdio>
#include <set>
#include <string>

#include "platform/com/com_ptr.h"
#include "platform/com/objidl.h"
#include "tests/module/listed_classes.h"
#include "tests/module/loaded_module.h"

namespace {

using module_test::kClasses;
using module_test::listed_class;

constexpr CLSID kNote = kClasses[11].clsid;
constexpr CLSID kProxyStubFactory = com::make_guid("{22F4CF0E-CA35-424B-B6D5-242D8290F423}");
constexpr HRESULT kClassNotAvailable = static_cast<HRESULT>(0x80040111);
constexpr HRESULT kNoAggregation = static_cast<HRESULT>(0x80040110);

// A controlling unknown that only counts: the inner objects it is offered never call it
// while they are created and released.
class outer_unknown final : public IUnknown {
public:
    HRESULT QueryInterface(REFIID, void** out) noexcept override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() noexcept override { return ++count; }
    ULONG Release() noexcept override { return --count; }
    ULONG count = 1;
};

class LoadedLibrary : public testing::Test {
protected:
    static void SetUpTestSuite() { handle = module_test::open_module(ZCNT_MODULE_FILE, dll); }
    static void TearDownTestSuite()
    {
        if (handle) dlclose(handle);
        handle = nullptr;
    }
    void SetUp() override { ASSERT_NE(handle, nullptr); }

    static com::ComPtr<IClassFactory> factory(REFCLSID clsid)
    {
        com::ComPtr<IClassFactory> out;
        EXPECT_EQ(dll.get_class_object(clsid, IClassFactory::iid, out.put_void()), S_OK);
        return out;
    }

    static inline void* handle = nullptr;
    static inline module_test::entry_points dll;
};

TEST_F(LoadedLibrary, EveryClassHasOneCachedFactoryAndItsOwnAggregationRule)
{
    for (const listed_class& c : kClasses) {
        SCOPED_TRACE(c.name);
        com::ComPtr<IClassFactory> first = factory(c.clsid);
        com::ComPtr<IClassFactory> second = factory(c.clsid);
        ASSERT_TRUE(first);
        EXPECT_EQ(first.get(), second.get()) << "the class object is made once";

        com::ComPtr<IUnknown> alone;
        EXPECT_EQ(first->CreateInstance(nullptr, IID_IUnknown, alone.put_void()), S_OK);
        EXPECT_TRUE(alone);

        outer_unknown outer;
        IUnknown* inner = reinterpret_cast<IUnknown*>(1);
        const HRESULT hr = first->CreateInstance(&outer, IID_IUnknown,
                                                 reinterpret_cast<void**>(&inner));
        if (c.aggregatable) {
            EXPECT_EQ(hr, S_OK);
            ASSERT_NE(inner, nullptr);
            EXPECT_NE(inner, alone.get());
            inner->Release();
        } else {
            EXPECT_EQ(hr, kNoAggregation);
            EXPECT_EQ(inner, nullptr);
            EXPECT_EQ(first->CreateInstance(&outer, IID_IUnknown, nullptr), E_POINTER);
        }
        EXPECT_EQ(outer.count, 1u);
    }
}

TEST_F(LoadedLibrary, RefusedClassIdsLeaveTheOutPointerNull)
{
    constexpr CLSID kForeign = com::make_guid("{44E6DA12-20E3-4AA6-9562-292011E8EAAB}");
    for (const CLSID& clsid : {kForeign, kProxyStubFactory, CLSID_NULL}) {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(dll.get_class_object(clsid, IClassFactory::iid, &out), kClassNotAvailable);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(dll.get_class_object(kNote, IClassFactory::iid, nullptr), E_POINTER);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(dll.get_class_object(kNote, IStream::iid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}

TEST_F(LoadedLibrary, UnloadsOnlyWhenNothingIsAlive)
{
    ASSERT_EQ(dll.can_unload_now(), S_OK);
    com::ComPtr<IClassFactory> notes = factory(kNote);
    EXPECT_EQ(dll.can_unload_now(), S_FALSE) << "a class object held by a client";

    com::ComPtr<IUnknown> note, aggregated;
    ASSERT_EQ(notes->CreateInstance(nullptr, IID_IUnknown, note.put_void()), S_OK);
    outer_unknown outer;
    ASSERT_EQ(notes->CreateInstance(&outer, IID_IUnknown, aggregated.put_void()), S_OK);
    EXPECT_EQ(notes->LockServer(TRUE), S_OK);
    notes.reset();

    const auto release_in_turn = [&](auto&& release) {
        EXPECT_EQ(dll.can_unload_now(), S_FALSE);
        release();
    };
    release_in_turn([&] { note.reset(); });
    release_in_turn([&] { aggregated.reset(); });
    release_in_turn([&] {
        com::ComPtr<IClassFactory> again = factory(kNote);
        EXPECT_EQ(again->LockServer(FALSE), S_OK);
    });
    EXPECT_EQ(dll.can_unload_now(), S_OK);
}

TEST_F(LoadedLibrary, ExportsTheFourEntryPointsAndNothingElse)
{
    const std::string command = std::string("nm -D --defined-only ") + ZCNT_MODULE_FILE;
    FILE* nm = popen(command.c_str(), "r");
    ASSERT_NE(nm, nullptr);
    std::set<std::string> names;
    char line[1024];
    while (fgets(line, sizeof line, nm)) {
        std::string text(line);
        const auto last = text.find_last_of(' ');
        names.insert(text.substr(last + 1, text.find_last_not_of("\r\n") - last));
    }
    ASSERT_EQ(pclose(nm), 0);
    EXPECT_EQ(names, (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject",
                                            "DllRegisterServer", "DllUnregisterServer"}));
    for (const char* inner : {"SysAllocString", "CoCreateInstance", "VariantClear",
                              "_ZN3cnt6module16get_class_objectERK4GUIDS3_PPv"})
        EXPECT_EQ(dlsym(handle, inner), nullptr) << inner;
}

}  // namespace

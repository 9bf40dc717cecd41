// DllRegisterServer and DllUnregisterServer on a registry file of the test's own: the keys of
// the application id, of every class and of the type library, that unregistration takes away
// exactly what registration wrote, a library path holding a quote, and a damaged registry.
#include <filesystem>

#include "contentelements/cnt_note.h"
#include "contentelements/cnt_types.h"
#include "platform/com/class_table.h"
#include "platform/com/com_ptr.h"
#include "tests/module/listed_classes.h"
#include "tests/module/registry_support.h"

namespace {

using module_test::kClasses;
using module_test::u16;

constexpr char16_t kAppId[] = u"{0256A686-5F57-45F3-BA47-7C2383532B34}";
constexpr char16_t kLibId[] = u"{760270EA-0445-41C0-85B0-0F90D9C57E3A}";

class ServerRegistration : public module_test::RegistryAndModule {
protected:
    static std::u16string path_of(const char* clsid, const char16_t* below)
    {
        return u"CLSID\\" + u16(clsid) + below;
    }
};

TEST_F(ServerRegistration, WritesTheApplicationIdEveryClassAndTheTypeLibrary)
{
    ASSERT_EQ(module->dll().register_server(), S_OK);
    const std::u16string library = u16(module->path());

    EXPECT_EQ(read_string(u"AppID\\{0256A686-5F57-45F3-BA47-7C2383532B34}"), u"ContentElements");
    EXPECT_EQ(read_string(u"AppID\\CntElements.DLL", u"AppID"), kAppId);

    for (const module_test::listed_class& c : kClasses) {
        SCOPED_TRACE(c.name);
        const std::u16string coclass = u16(c.name), clsid = com::format_guid_u16(c.clsid);
        const std::u16string progid = u"Orvane." + coclass, versioned = progid + u".1";
        const std::u16string description = coclass + u" Class", key = u"CLSID\\" + clsid;
        EXPECT_EQ(read_string(versioned.c_str()), description);
        EXPECT_EQ(read_string((versioned + u"\\CLSID").c_str()), clsid);
        EXPECT_EQ(read_string(progid.c_str()), description);
        EXPECT_EQ(read_string((progid + u"\\CLSID").c_str()), clsid);
        EXPECT_EQ(read_string((progid + u"\\CurVer").c_str()), versioned);
        EXPECT_EQ(read_string(key.c_str()), description);
        EXPECT_EQ(read_string(key.c_str(), u"AppID"), kAppId);
        EXPECT_EQ(read_string((key + u"\\ProgID").c_str()), versioned);
        EXPECT_EQ(read_string((key + u"\\VersionIndependentProgID").c_str()), progid);
        EXPECT_TRUE(exists((key + u"\\Programmable").c_str()));
        EXPECT_EQ(read_string((key + u"\\InprocServer32").c_str()), library);
        EXPECT_EQ(read_string((key + u"\\InprocServer32").c_str(), u"ThreadingModel"), u"Apartment");
        EXPECT_EQ(read_string((key + u"\\TypeLib").c_str()), kLibId);
    }

    const std::u16string version = std::u16string(u"TypeLib\\") + kLibId + u"\\1.0";
    EXPECT_EQ(read_string(version.c_str()), u"ContentElements 1.0 Type Library");
    EXPECT_EQ(read_string((version + u"\\0\\linux64").c_str()), library);
    EXPECT_EQ(read_string((version + u"\\FLAGS").c_str()), u"0");
    EXPECT_TRUE(exists((version + u"\\HELPDIR").c_str()));
    const std::u16string note = u"Interface\\" + com::format_guid_u16(IZCntElementNote::iid);
    EXPECT_EQ(read_string(note.c_str()), u"IZCntElementNote");
    // The module's own factory marshals its interfaces, not the automation marshaller.
    const std::u16string factory = u"{22F4CF0E-CA35-424B-B6D5-242D8290F423}";
    EXPECT_EQ(read_string((note + u"\\ProxyStubClsid32").c_str()), factory);
    EXPECT_EQ(read_string((note + u"\\NumMethods").c_str()), u"47") << "IDispatch's 7, its own 40";
    const std::u16string server = u"CLSID\\" + factory + u"\\InProcServer32";
    EXPECT_EQ(read_string((u"CLSID\\" + factory).c_str()), u"PSFactoryBuffer");
    EXPECT_EQ(read_string(server.c_str()), library);
    EXPECT_EQ(read_string(server.c_str(), u"ThreadingModel"), u"Both");
    EXPECT_EQ(read_string((note + u"\\TypeLib").c_str()), kLibId);
    EXPECT_EQ(read_string((note + u"\\TypeLib").c_str(), u"Version"), u"1.0");

    HKEY interfaces = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u"Interface", 0, KEY_READ, &interfaces), ERROR_SUCCESS);
    DWORD count = 0;
    for (char16_t name[64];; ++count) {
        DWORD size = 64;
        if (RegEnumKeyExW(interfaces, count, name, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
    }
    RegCloseKey(interfaces);
    EXPECT_EQ(count, 22u) << "every dual interface of the library";
    EXPECT_EQ(module->dll().unregister_server(), S_OK);
}

// What other registrations hold stays, however the two share keys.
struct starting_registry {
    const char* name;
    std::vector<std::pair<const char16_t*, const char16_t*>> keys;  // path, default value
};

TEST_F(ServerRegistration, UnregistrationRemovesExactlyWhatRegistrationWrote)
{
    const starting_registry cases[] = {
        {"empty", {}},
        {"shared",
         {{u"CLSID\\{11111111-2222-3333-4444-555555555555}\\InprocServer32", u"/opt/other.so"},
          {u"AppID\\{11111111-2222-3333-4444-555555555555}", u"Other"},
          {u"TypeLib\\{760270EA-0445-41C0-85B0-0F90D9C57E3A}\\2.0\\0\\linux64", u"/opt/newer.so"},
          {u"Interface\\{11111111-2222-3333-4444-555555555555}", u"IOther"}}},
    };
    for (const starting_registry& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(RegDeleteTreeW(HKEY_CLASSES_ROOT, nullptr), ERROR_SUCCESS);
        for (const auto& [path, value] : c.keys) ASSERT_EQ(create(path, value), ERROR_SUCCESS);
        const std::string before = module_test::registry_snapshot();

        ASSERT_EQ(module->dll().register_server(), S_OK);
        EXPECT_NE(module_test::registry_snapshot(), before);
        ASSERT_EQ(module->dll().register_server(), S_OK) << "registering again";
        ASSERT_EQ(module->dll().unregister_server(), S_OK);

        // The class and application id folders are kept, and only they.
        EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, u"CLSID") == ERROR_SUCCESS, c.keys.empty());
        EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, u"AppID") == ERROR_SUCCESS, c.keys.empty());
        EXPECT_EQ(module_test::registry_snapshot(), before);
    }
}

TEST_F(ServerRegistration, NamesALibraryWhosePathHoldsAQuote)
{
    tree_.folder("it's here");
    const std::string copy = tree_.root() + "/it's here/libcontentelements.so";
    std::filesystem::copy_file(ZCNT_MODULE_FILE, copy);
    const std::string before = module_test::registry_snapshot();
    {
        module_test::ModuleFile quoted(copy);
        ASSERT_TRUE(quoted.ok());
        ASSERT_EQ(quoted.dll().register_server(), S_OK);
        const std::u16string stamp = path_of("{55791426-77E1-491A-B407-4AAFF2CCCB37}",
                                             u"\\InprocServer32");
        EXPECT_EQ(read_string(stamp.c_str()), u16(quoted.path()));
        EXPECT_EQ(read_string((std::u16string(u"TypeLib\\") + kLibId + u"\\1.0\\0\\linux64").c_str()),
                  u16(quoted.path()));
        // The class source loads the library from the path as written.
        com::ComPtr<IUnknown> stamp_object;
        EXPECT_EQ(CoCreateInstance(kClasses[13].clsid, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IUnknown, stamp_object.put_void()), S_OK);
        stamp_object.reset();
        CoFreeUnusedLibraries();
        EXPECT_EQ(quoted.dll().unregister_server(), S_OK);
    }
    EXPECT_FALSE(exists(u"Orvane.ZCntElementStamp"));
    EXPECT_FALSE(exists(u"TypeLib"));
    EXPECT_TRUE(exists(u"CLSID"));
}

TEST_F(ServerRegistration, ADamagedRegistryIsReportedAndLeftAsItIs)
{
    const std::string damaged = "REGEDIT4\n\n[HKEY_CLASSES_ROOT\\CLSID]\n@=\"unterminated\n";
    write_file(damaged);
    const HRESULT bad_db = HRESULT_FROM_WIN32(ERROR_BADDB);
    EXPECT_EQ(module->dll().register_server(), bad_db);
    EXPECT_EQ(file_text(), damaged);
    EXPECT_EQ(module->dll().unregister_server(), bad_db);
    EXPECT_EQ(file_text(), damaged);
}

}  // namespace

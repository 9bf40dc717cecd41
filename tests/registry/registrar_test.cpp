// The registrar: a class script registers and unregisters cleanly, replacements and quoting,
// and scripts that do not parse leave the registry alone.
#include "platform/registry/registrar.h"

#include "tests/registry/registry_fixture.h"

namespace {

using namespace registry_test;

using Registrar = RegistryFile;

constexpr std::u16string_view class_script = uR"(
HKCR
{
    Orvane.Note.1 = s 'Note Class'
    {
        CLSID = s '{44E6DA12-20E3-4AA6-9562-292011E8EAAA}'
    }
    NoRemove CLSID
    {
        ForceRemove {44E6DA12-20E3-4AA6-9562-292011E8EAAA} = s 'Note Class'
        {
            val AppID = s '%APPID%'
            ProgID = s 'Orvane.Note.1'
            ForceRemove Programmable
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Apartment'
            }
            val 'Version' = d '0x10'
        }
    }
    NoRemove AppID
    {
        '%APPID%' = s 'It''s Content'
        Delete Obsolete
    }
}
)";

constexpr char16_t appid[] = u"{0256A686-5F57-45F3-BA47-7C2383532B34}";

HRESULT run(bool registering, std::u16string_view module_path, std::u16string_view script = class_script)
{
    const std::u16string quoted = registry::quote_for_script(module_path);
    const registry::replacement replacements[] = {{u"Module", quoted}, {u"APPID", appid}};
    return registering ? registry::register_script(script, replacements)
                       : registry::unregister_script(script, replacements);
}

TEST_F(Registrar, RegisterThenUnregisterLeavesOnlyTheNoRemoveKeys)
{
    ASSERT_EQ(ok, create(u"CLSID\\{OTHER}", u"Someone else"));
    ASSERT_EQ(ok, create(u"AppID\\Obsolete\\Child"));
    const std::string before = file_text();

    ASSERT_EQ(S_OK, run(true, u"/usr/lib/libcontentelements.so"));
    EXPECT_EQ(u"Note Class", read_string(u"Orvane.Note.1"));
    EXPECT_EQ(u"{44E6DA12-20E3-4AA6-9562-292011E8EAAA}", read_string(u"Orvane.Note.1\\CLSID"));
    const char16_t* server = u"CLSID\\{44E6DA12-20E3-4AA6-9562-292011E8EAAA}\\InprocServer32";
    EXPECT_EQ(u"/usr/lib/libcontentelements.so", read_string(server));
    EXPECT_EQ(u"Apartment", read_string(server, u"ThreadingModel"));
    EXPECT_EQ(appid, read_string(u"CLSID\\{44E6DA12-20E3-4AA6-9562-292011E8EAAA}", u"AppID"));
    EXPECT_TRUE(exists(u"CLSID\\{44E6DA12-20E3-4AA6-9562-292011E8EAAA}\\Programmable"));
    EXPECT_EQ(u"It's Content", read_string((u"AppID\\" + std::u16string(appid)).c_str()));
    EXPECT_FALSE(exists(u"AppID\\Obsolete"));
    EXPECT_EQ(u"Someone else", read_string(u"CLSID\\{OTHER}"));

    HKEY key = nullptr;
    ASSERT_EQ(ok, RegOpenKeyExW(HKEY_CLASSES_ROOT, u"CLSID\\{44E6DA12-20E3-4AA6-9562-292011E8EAAA}",
                                0, KEY_READ, &key));
    DWORD version = 0, size = sizeof version;
    EXPECT_EQ(ok, RegQueryValueExW(key, u"Version", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(&version), &size));
    EXPECT_EQ(0x10u, version);
    RegCloseKey(key);

    // ForceRemove clears what an earlier registration left inside the class's key.
    ASSERT_EQ(ok, create(u"CLSID\\{44E6DA12-20E3-4AA6-9562-292011E8EAAA}\\Stale"));
    ASSERT_EQ(S_OK, run(true, u"/usr/lib/libcontentelements.so"));
    EXPECT_FALSE(exists(u"CLSID\\{44E6DA12-20E3-4AA6-9562-292011E8EAAA}\\Stale"));

    ASSERT_EQ(S_OK, run(false, u"/usr/lib/libcontentelements.so"));
    EXPECT_FALSE(exists(u"Orvane.Note.1"));
    EXPECT_FALSE(exists(u"CLSID\\{44E6DA12-20E3-4AA6-9562-292011E8EAAA}"));
    EXPECT_TRUE(exists(u"CLSID"));
    EXPECT_TRUE(exists(u"AppID"));
    // Everything else is as it was, except the key that Delete removed.
    ASSERT_EQ(ok, create(u"AppID\\Obsolete\\Child"));
    EXPECT_EQ(before, file_text());
}

TEST_F(Registrar, ModulePathWithAQuoteRoundTrips)
{
    const std::u16string path = u"/home/o'brien/it''s/lib.so";
    ASSERT_EQ(S_OK, run(true, path));
    EXPECT_EQ(path,
              read_string(u"CLSID\\{44E6DA12-20E3-4AA6-9562-292011E8EAAA}\\InprocServer32"));
}

TEST_F(Registrar, ScriptsThatDoNotParseChangeNothing)
{
    ASSERT_EQ(ok, create(u"Kept", u"value"));
    const std::string before = file_text();
    const std::u16string_view broken[] = {
        u"HKCR { Orvane.Note = s 'unterminated }",
        u"HKCR { Orvane.Note = s 'x' { }",
        u"HKCR { Orvane.Note = q 'x' }",
        u"HKCR { Orvane.Note = d 'twelve' }",
        u"HKCR { Orvane.Note = b 'abc' }",
        u"HKCR { val }",
        u"HKCR { val Name 'x' }",
        u"HKCU { Software }",
        u"HKCR { NoRemove %UNKNOWN% }",
        u"HKCR { NoRemove 100% }",
        u"HKCR { 'a\\\\b' }",
        u"HKCR { Kept } }",
        u"HKCR Kept",
    };
    for (std::u16string_view script : broken) {
        EXPECT_EQ(DISP_E_EXCEPTION, run(true, u"/lib.so", script));
        EXPECT_EQ(DISP_E_EXCEPTION, run(false, u"/lib.so", script));
        EXPECT_EQ(before, file_text());
    }
    EXPECT_EQ(S_OK, run(true, u"/lib.so", u"HKCR { 'Percent' = s '100%%' }"));
    EXPECT_EQ(u"100%", read_string(u"Percent"));
}

TEST_F(Registrar, RegistryFailuresComeBackAsResults)
{
    write_file("not a registry\n");
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_BADDB), run(true, u"/lib.so"));
    EXPECT_EQ("not a registry\n", file_text());
}

}  // namespace

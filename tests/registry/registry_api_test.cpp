// The registry functions: keys and values round-trip through the file, names ignore case,
// the size protocol, escaping, and damaged or unreadable files.
#include <sys/stat.h>

#include <string_view>
#include <vector>

#include "tests/registry/registry_fixture.h"

namespace {

using namespace registry_test;

using Keys = RegistryFile;

std::vector<std::u16string> subkeys(HKEY key)
{
    std::vector<std::u16string> names;
    for (DWORD i = 0;; ++i) {
        char16_t name[256];
        DWORD size = 256;
        const LONG r = RegEnumKeyExW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (r == status(ERROR_NO_MORE_ITEMS)) return names;
        if (r != ok) return {u"<error>"};
        names.emplace_back(name, size);
    }
}

TEST_F(Keys, CreateSetQueryEnumerateAndDelete)
{
    HKEY clsid = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(ok, RegCreateKeyExW(HKEY_CLASSES_ROOT, u"CLSID\\{A}\\InprocServer32", 0, nullptr,
                                  0, KEY_ALL_ACCESS, nullptr, &clsid, &disposition));
    EXPECT_EQ(REG_CREATED_NEW_KEY, disposition);
    EXPECT_EQ(ok, set_string(clsid, nullptr, u"/lib/a.so"));
    EXPECT_EQ(ok, set_string(clsid, u"ThreadingModel", u"Apartment"));
    const DWORD flags = 0x1234ABCD;
    EXPECT_EQ(ok, RegSetValueExW(clsid, u"Flags", 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&flags), sizeof flags));
    RegCloseKey(clsid);
    ASSERT_EQ(ok, create(u"CLSID\\{B}"));
    ASSERT_EQ(ok, create(u"CLSID\\{A}", u"A Class"));

    EXPECT_EQ(u"/lib/a.so", read_string(u"CLSID\\{A}\\InprocServer32"));
    EXPECT_EQ(u"Apartment", read_string(u"CLSID\\{A}\\InprocServer32", u"ThreadingModel"));
    EXPECT_EQ(u"A Class", read_string(u"CLSID\\{A}"));

    HKEY key = nullptr;
    ASSERT_EQ(ok, RegOpenKeyExW(HKEY_CLASSES_ROOT, u"CLSID\\{A}\\InprocServer32", 0, KEY_READ,
                                &key));
    DWORD read = 0, type = 0, size = sizeof read;
    EXPECT_EQ(ok, RegQueryValueExW(key, u"Flags", nullptr, &type, reinterpret_cast<BYTE*>(&read),
                                   &size));
    EXPECT_EQ(REG_DWORD, type);
    EXPECT_EQ(flags, read);
    EXPECT_EQ(ok, RegDeleteValueW(key, u"ThreadingModel"));
    EXPECT_EQ(status(ERROR_FILE_NOT_FOUND), RegDeleteValueW(key, u"ThreadingModel"));
    EXPECT_EQ(status(ERROR_FILE_NOT_FOUND),
              RegQueryValueExW(key, u"ThreadingModel", nullptr, nullptr, nullptr, &size));
    RegCloseKey(key);

    ASSERT_EQ(ok, RegOpenKeyExW(HKEY_CLASSES_ROOT, u"CLSID", 0, KEY_READ, &key));
    EXPECT_EQ((std::vector<std::u16string>{u"{A}", u"{B}"}), subkeys(key));
    EXPECT_EQ(status(ERROR_ACCESS_DENIED), RegDeleteKeyW(key, u"{A}"));
    EXPECT_EQ(ok, RegDeleteKeyW(key, u"{B}"));
    EXPECT_EQ(status(ERROR_FILE_NOT_FOUND), RegDeleteKeyW(key, u"{B}"));
    EXPECT_EQ(ok, RegDeleteTreeW(key, u"{A}"));
    EXPECT_EQ(std::vector<std::u16string>{}, subkeys(key));
    RegCloseKey(key);
    EXPECT_TRUE(exists(u"CLSID"));
    EXPECT_FALSE(exists(u"CLSID\\{A}\\InprocServer32"));
}

TEST_F(Keys, NamesIgnoreCaseAndKeepTheirSpelling)
{
    ASSERT_EQ(ok, create(u"Orvane.Note\\CurVer", u"Orvane.Note.1"));
    DWORD disposition = 0;
    HKEY key = nullptr;
    ASSERT_EQ(ok, RegCreateKeyExW(HKEY_CLASSES_ROOT, u"ORVANE.NOTE\\curver", 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, &disposition));
    EXPECT_EQ(REG_OPENED_EXISTING_KEY, disposition);
    EXPECT_EQ(ok, set_string(key, u"Mixed", u"one"));
    EXPECT_EQ(ok, set_string(key, u"MIXED", u"two"));
    RegCloseKey(key);
    EXPECT_EQ(u"two", read_string(u"orvane.note\\CURVER", u"mixed"));
    EXPECT_EQ(u"Orvane.Note.1", read_string(u"oRvAnE.nOtE\\CurVer"));

    ASSERT_EQ(ok, RegOpenKeyExW(HKEY_CLASSES_ROOT, nullptr, 0, KEY_READ, &key));
    EXPECT_EQ(std::vector<std::u16string>{u"Orvane.Note"}, subkeys(key));
    RegCloseKey(key);
    EXPECT_NE(std::string::npos, file_text().find("[HKEY_CLASSES_ROOT\\Orvane.Note\\CurVer]"));
    EXPECT_NE(std::string::npos, file_text().find("\"Mixed\"=\"two\""));
}

TEST_F(Keys, StringsSurviveTheFileWhateverTheyHold)
{
    const std::u16string texts[] = {
        u"say \"hi\"",          u"C:\\Program Files\\x\\",  u"line one\nline two\r\n",
        u"Grüße, 中文, \U0001F600", u"",                        u"\\\"\\\"",
        u"tab\there",          std::u16string(u"lone \xD800 surrogate"),
    };
    HKEY key = nullptr;
    ASSERT_EQ(ok, RegCreateKeyExW(HKEY_CLASSES_ROOT, u"Texts", 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr));
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        const std::u16string name = u"v" + std::u16string(1, static_cast<char16_t>(u'a' + i));
        ASSERT_EQ(ok, set_string(key, name.c_str(), texts[i]));
    }
    const std::string file = file_text();
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        const std::u16string name = u"v" + std::u16string(1, static_cast<char16_t>(u'a' + i));
        EXPECT_EQ(texts[i], read_string(u"texts", name.c_str())) << "value " << i;
    }
    RegCloseKey(key);
    EXPECT_EQ(0u, file.rfind("REGEDIT4\n", 0));
    EXPECT_NE(std::string::npos, file.find(R"("va"="say \"hi\"")"));
    EXPECT_NE(std::string::npos, file.find(R"("vb"="C:\\Program Files\\x\\")"));
    EXPECT_NE(std::string::npos, file.find("\"vc\"=hex(1):6c,00,69,00"));
    EXPECT_NE(std::string::npos, file.find("\"vd\"=\"Grüße, 中文, \U0001F600\""));
}

TEST_F(Keys, QueryFollowsTheSizeProtocol)
{
    HKEY key = nullptr;
    ASSERT_EQ(ok, RegCreateKeyExW(HKEY_CLASSES_ROOT, u"Sized", 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr));
    ASSERT_EQ(ok, set_string(key, nullptr, u"twelve chars"));
    const DWORD needed = 13 * sizeof(char16_t);

    DWORD size = 0, type = 0;
    EXPECT_EQ(ok, RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size));
    EXPECT_EQ(needed, size);
    EXPECT_EQ(REG_SZ, type);

    char16_t buffer[13] = {};
    size = needed - 1;
    EXPECT_EQ(status(ERROR_MORE_DATA),
              RegQueryValueExW(key, u"", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size));
    EXPECT_EQ(needed, size);
    size = needed;
    EXPECT_EQ(ok, RegQueryValueExW(key, u"", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                                   &size));
    EXPECT_EQ(std::u16string_view(u"twelve chars"), buffer);
    EXPECT_EQ(status(ERROR_INVALID_PARAMETER),
              RegQueryValueExW(key, u"", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                               nullptr));

    ASSERT_EQ(ok, create(u"Sized\\Sub"));
    char16_t name[3];
    DWORD name_size = 3;  // "Sub" needs four with its terminator
    EXPECT_EQ(status(ERROR_MORE_DATA),
              RegEnumKeyExW(key, 0, name, &name_size, nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(key);
}

TEST_F(Keys, HandlesFollowWhatOthersChange)
{
    HKEY key = nullptr;
    ASSERT_EQ(ok, RegCreateKeyExW(HKEY_CLASSES_ROOT, u"Gone\\Soon", 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr));
    ASSERT_EQ(ok, RegDeleteTreeW(HKEY_CLASSES_ROOT, u"Gone"));
    EXPECT_EQ(status(ERROR_KEY_DELETED), set_string(key, nullptr, u"x"));
    EXPECT_EQ(ok, RegCloseKey(key));
    EXPECT_EQ(status(ERROR_INVALID_HANDLE), RegCloseKey(key));

    EXPECT_EQ(status(ERROR_FILE_NOT_FOUND),
              RegOpenKeyExW(HKEY_CLASSES_ROOT, u"Gone", 0, KEY_READ, &key));
    EXPECT_EQ(nullptr, key);
    EXPECT_EQ(status(ERROR_INVALID_PARAMETER), create(u"a\\\\b"));
    EXPECT_EQ(status(ERROR_INVALID_PARAMETER), create(u"line\nbreak"));
    EXPECT_EQ(status(ERROR_INVALID_PARAMETER), create(u"half \xD800 pair"));
    EXPECT_EQ(status(ERROR_INVALID_PARAMETER), create(std::u16string(256, u'k').c_str()));
    EXPECT_EQ(status(ERROR_ACCESS_DENIED), RegDeleteKeyW(HKEY_CLASSES_ROOT, u""));

    ASSERT_EQ(ok, RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Classes\\Machine", 0, nullptr,
                                  0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);
    EXPECT_TRUE(exists(u"machine"));
}

TEST_F(Keys, DamagedFileFailsAndStaysAsItWas)
{
    const std::string damaged[] = {
        "[HKEY_CLASSES_ROOT\\a]\n",
        "REGEDIT4\n\"x\"=\"outside a section\"\n",
        "REGEDIT4\n[HKEY_CURRENT_USER\\a]\n",
        "REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"x\"=\"bad \\q escape\"\n",
        "REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"x\"=\"unterminated\n",
        "REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"x\"=dword:123\n",
        "REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"x\"=hex:0g\n",
        "REGEDIT4\n[HKEY_CLASSES_ROOT\\a]\n\"x\"=\"\xff\xfe\"\n",
        "REGEDIT4\n[HKEY_CLASSES_ROOT\\a\\\\b]\n",
    };
    for (const std::string& text : damaged) {
        write_file(text);
        EXPECT_EQ(status(ERROR_BADDB), create(u"New")) << text;
        HKEY key = nullptr;
        EXPECT_EQ(status(ERROR_BADDB), RegOpenKeyExW(HKEY_CLASSES_ROOT, u"a", 0, KEY_READ, &key))
            << text;
        EXPECT_EQ(status(ERROR_BADDB), RegDeleteTreeW(HKEY_CLASSES_ROOT, u"a")) << text;
        EXPECT_EQ(text, file_text());
    }
}

TEST_F(Keys, UnreadableFileFailsToRead)
{
    tree_.folder("state/registry.reg");  // a folder where the file should be
    EXPECT_EQ(status(ERROR_CANTREAD), create(u"New"));
    HKEY key = nullptr;
    EXPECT_EQ(status(ERROR_CANTREAD), RegOpenKeyExW(HKEY_CLASSES_ROOT, u"New", 0, KEY_READ, &key));
}

TEST_F(Keys, ReadsWhatAnotherWriterWroteWithContinuedHexLines)
{
    write_file("REGEDIT4\r\n\r\n; a comment\r\n[hkey_classes_root\\Ext]\r\n"
               "@=\"x\"\r\n\"Data\"=hex:01,02,\\\r\n  03,04\r\n");
    HKEY key = nullptr;
    ASSERT_EQ(ok, RegOpenKeyExW(HKEY_CLASSES_ROOT, u"ext", 0, KEY_READ, &key));
    BYTE data[8] = {};
    DWORD size = sizeof data, type = 0;
    EXPECT_EQ(ok, RegQueryValueExW(key, u"Data", nullptr, &type, data, &size));
    EXPECT_EQ(REG_BINARY, type);
    EXPECT_EQ((std::vector<BYTE>{1, 2, 3, 4}), std::vector<BYTE>(data, data + size));
    RegCloseKey(key);

    // A long value wraps and reads back whole.
    std::vector<BYTE> big(300);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<BYTE>(i * 7);
    ASSERT_EQ(ok, RegOpenKeyExW(HKEY_CLASSES_ROOT, u"ext", 0, KEY_ALL_ACCESS, &key));
    ASSERT_EQ(ok, RegSetValueExW(key, u"Big", 0, REG_BINARY, big.data(),
                                 static_cast<DWORD>(big.size())));
    std::vector<BYTE> back(400);
    size = static_cast<DWORD>(back.size());
    EXPECT_EQ(ok, RegQueryValueExW(key, u"Big", nullptr, nullptr, back.data(), &size));
    back.resize(size);
    EXPECT_EQ(big, back);
    RegCloseKey(key);
    for (std::size_t start = 0, end; (end = file_text().find('\n', start)) != std::string::npos;
         start = end + 1)
        EXPECT_LE(end - start, 80u);
}

}  // namespace

// Each registry test works on its own registry file in a scratch folder, named by
// ZCNT_REGISTRY for the test's duration, with helpers that go through the public functions.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/registry/registry.h"
#include "tests/shell/temp_tree.h"

namespace registry_test {

constexpr LONG ok = ERROR_SUCCESS;

inline LONG status(std::uint32_t code) { return static_cast<LONG>(code); }

class RegistryFile : public ::testing::Test {
protected:
    RegistryFile() : path_(tree_.root() + "/state/registry.reg"), env_("ZCNT_REGISTRY", path_.c_str())
    {
    }

    const std::string& path() const { return path_; }

    std::string file_text() const { return shell_test::read_all(path_); }

    void write_file(const std::string& text) const
    {
        tree_.folder("state");
        tree_.file("state/registry.reg", text);
    }

public:
    // Creates `path` below HKEY_CLASSES_ROOT with a string default value (when not null).
    static LONG create(const char16_t* path, const char16_t* default_value = nullptr)
    {
        HKEY key = nullptr;
        LONG r = RegCreateKeyExW(HKEY_CLASSES_ROOT, path, 0, nullptr, 0, KEY_ALL_ACCESS,
                                 nullptr, &key, nullptr);
        if (r != ok) return r;
        if (default_value) r = set_string(key, nullptr, default_value);
        RegCloseKey(key);
        return r;
    }

    static LONG set_string(HKEY key, const char16_t* name, std::u16string_view text)
    {
        return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)));
    }

    // The string value, or "<missing>" when the key or value cannot be read.
    static std::u16string read_string(const char16_t* path, const char16_t* name = nullptr)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ok) return u"<missing>";
        char16_t buffer[512] = {};
        DWORD size = sizeof buffer, type = 0;
        const LONG r =
            RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
        if (r != ok || type != REG_SZ) return u"<missing>";
        return std::u16string(buffer, size / sizeof(char16_t)).c_str();
    }

    static bool exists(const char16_t* path)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ok) return false;
        RegCloseKey(key);
        return true;
    }

protected:
    shell_test::TempTree tree_;

private:
    std::string path_;
    shell_test::ScopedEnv env_;
};

}  // namespace registry_test

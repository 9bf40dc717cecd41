// Registering the built library in a registry file of the test's own, and reading what the
// registry then holds.
#pragma once

#include <filesystem>
#include <string>

#include "platform/registry/reg_file.h"
#include "platform/registry/reg_store.h"
#include "platform/shell/text.h"
#include "tests/module/loaded_module.h"
#include "tests/registry/registry_fixture.h"

namespace module_test {

// The whole registry as the file format writes it: equal texts are equal registries.
inline std::string registry_snapshot()
{
    std::string text;
    const LONG r = registry::read_registry([&](const registry::key& root) -> LONG {
        text = registry::format_file(root);
        return ERROR_SUCCESS;
    });
    return r == ERROR_SUCCESS ? text : "<unreadable>";
}

inline std::u16string u16(const std::string& text) { return shell::utf8_to_utf16(text); }

// A library file opened for the test: kept mapped, so that the registry's class source may
// load and close it as often as it likes.
class ModuleFile {
public:
    explicit ModuleFile(const std::string& file)
        : path_(std::filesystem::canonical(file).string()), handle_(open_module(file.c_str(), dll_))
    {
    }
    ~ModuleFile()
    {
        if (handle_) dlclose(handle_);
    }
    ModuleFile(const ModuleFile&) = delete;
    ModuleFile& operator=(const ModuleFile&) = delete;

    bool ok() const { return handle_ != nullptr; }
    const std::string& path() const { return path_; }
    const entry_points& dll() const { return dll_; }

private:
    std::string path_;
    entry_points dll_;
    void* handle_;
};

// A registry file of the test's own, and the built library opened once for the suite.
class RegistryAndModule : public registry_test::RegistryFile {
protected:
    static void SetUpTestSuite() { module = new ModuleFile(ZCNT_MODULE_FILE); }
    static void TearDownTestSuite()
    {
        delete module;
        module = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(module->ok()); }

    static inline ModuleFile* module = nullptr;
};

}  // namespace module_test

// zcnt register [--unregister] [--registry FILE] [LIB] and zcnt registry dump [--registry FILE]:
// running a library's DllRegisterServer or DllUnregisterServer, and listing the registry.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

namespace zcnt {

struct registry_commands {
    bool unregister = false;
    std::string registry_file;  // empty: the default registry
    std::string library;        // empty: the libcontentelements.so installed with the tool
    CLI::App* register_cmd = nullptr;
    CLI::App* dump_cmd = nullptr;

    explicit registry_commands(CLI::App& app);
    bool parsed() const;
    // 0 on success; 1 when the library or the registry fails (one line on `err`).
    int run(std::FILE* out, std::FILE* err) const;
};

}  // namespace zcnt

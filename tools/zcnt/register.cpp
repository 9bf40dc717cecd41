// The register and registry commands; see register.h.
#include "tools/zcnt/register.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/registry/reg_store.h"
#include "platform/registry/registry.h"
#include "platform/shell/text.h"

namespace zcnt {
namespace {

constexpr char kLibraryName[] = "libcontentelements.so";

// Beside the tool, or in the lib folder beside its bin folder (the build tree and an
// installation both lay it out so).
std::string default_library()
{
    std::error_code error;
    const std::filesystem::path tool = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return kLibraryName;
    const std::filesystem::path folder = tool.parent_path();
    for (const std::filesystem::path& candidate :
         {folder / kLibraryName, folder.parent_path() / "lib" / kLibraryName})
        if (std::filesystem::exists(candidate, error)) return candidate.string();
    return (folder.parent_path() / "lib" / kLibraryName).string();
}

std::string cause(HRESULT hr)
{
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
    const char* text = nullptr;
    if (hr == HRESULT_FROM_WIN32(ERROR_BADDB)) text = "the registry file is damaged";
    else if (hr == HRESULT_FROM_WIN32(ERROR_CANTREAD)) text = "the registry file cannot be read";
    else if (hr == HRESULT_FROM_WIN32(ERROR_CANTWRITE)) text = "the registry file cannot be written";
    else if (hr == E_OUTOFMEMORY) text = "out of memory";
    return text ? std::string(text) + " (" + code + ")" : std::string("failed with ") + code;
}

int run_register(const registry_commands& c, std::FILE* out, std::FILE* err)
{
    const std::string library = c.library.empty() ? default_library() : c.library;
    const char* entry = c.unregister ? "DllUnregisterServer" : "DllRegisterServer";
    // Kept mapped after dlclose: what the library builds for the life of a process (its type
    // library) then stays its own until the tool exits.
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle) {
        std::fprintf(err, "zcnt: cannot load %s: %s\n", library.c_str(), dlerror());
        return 1;
    }
    auto run = reinterpret_cast<HRESULT (*)()>(dlsym(handle, entry));
    if (!run) {
        std::fprintf(err, "zcnt: %s has no %s\n", library.c_str(), entry);
        dlclose(handle);
        return 1;
    }
    const HRESULT hr = run();
    dlclose(handle);
    const std::string file = registry::registry_file_path();
    if (FAILED(hr)) {
        std::fprintf(err, "zcnt: %s in %s: %s\n", entry, file.c_str(), cause(hr).c_str());
        return 1;
    }
    // Named as the registry records it: the file the soname links lead to.
    std::error_code error;
    const std::filesystem::path recorded = std::filesystem::canonical(library, error);
    std::fprintf(out, "%s %s in %s\n", c.unregister ? "unregistered" : "registered",
                 error ? library.c_str() : recorded.c_str(), file.c_str());
    return 0;
}

std::string quoted_text(std::u16string_view text)
{
    std::string out = "\"";
    for (char c : shell::utf16_to_utf8(text)) {
        if (c == '"' || c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    return out + "\"";
}

std::string value_text(const registry::value& v)
{
    if (v.type == REG_SZ || v.type == REG_EXPAND_SZ) {
        std::u16string text;
        for (std::size_t i = 0; i + 1 < v.data.size(); i += 2)
            text.push_back(static_cast<char16_t>(v.data[i] | v.data[i + 1] << 8));
        while (!text.empty() && text.back() == 0) text.pop_back();
        return quoted_text(text);
    }
    if (v.type == REG_DWORD && v.data.size() == 4)
        return "dword " + std::to_string(v.data[0] | v.data[1] << 8 | v.data[2] << 16 |
                                         static_cast<DWORD>(v.data[3]) << 24);
    std::string text = "type " + std::to_string(v.type) + ":";
    char byte[4];
    for (BYTE b : v.data) {
        std::snprintf(byte, sizeof byte, " %02x", b);
        text += byte;
    }
    return text;
}

void dump_key(const registry::key& k, const std::string& path, std::FILE* out)
{
    std::fprintf(out, "%s\n", path.c_str());
    for (const registry::value& v : k.values)
        std::fprintf(out, "    %s = %s\n", v.name.empty() ? "@" : quoted_text(v.name).c_str(),
                     value_text(v).c_str());
    for (const auto& [folded, child] : k.subkeys)
        dump_key(*child, path + "\\" + shell::utf16_to_utf8(child->name), out);
}

int run_dump(std::FILE* out, std::FILE* err)
{
    const std::string file = registry::registry_file_path();
    const LONG r = registry::read_registry([&](const registry::key& root) -> LONG {
        try {
            for (const auto& [folded, child] : root.subkeys)
                dump_key(*child, "HKEY_CLASSES_ROOT\\" + shell::utf16_to_utf8(child->name), out);
        } catch (const std::bad_alloc&) {
            return static_cast<LONG>(ERROR_NOT_ENOUGH_MEMORY);
        }
        return ERROR_SUCCESS;
    });
    if (r == ERROR_SUCCESS) return 0;
    std::fprintf(err, "zcnt: %s: %s\n", file.c_str(),
                 cause(HRESULT_FROM_WIN32(static_cast<std::uint32_t>(r))).c_str());
    return 1;
}

}  // namespace

registry_commands::registry_commands(CLI::App& app)
{
    register_cmd = app.add_subcommand(
        "register", "run a library's DllRegisterServer (or DllUnregisterServer) on the registry");
    register_cmd->add_flag("--unregister", unregister, "remove the library's registration");
    register_cmd->add_option("--registry", registry_file, "the registry file ($ZCNT_REGISTRY)");
    register_cmd->add_option("library", library, "the library (libcontentelements.so beside zcnt)");
    CLI::App* registry_cmd = app.add_subcommand("registry", "look at the registry file");
    registry_cmd->require_subcommand(1);
    dump_cmd = registry_cmd->add_subcommand("dump", "print every key and value of the registry");
    dump_cmd->add_option("--registry", registry_file, "the registry file ($ZCNT_REGISTRY)");
}

bool registry_commands::parsed() const { return register_cmd->parsed() || dump_cmd->parsed(); }

int registry_commands::run(std::FILE* out, std::FILE* err) const
{
    // The library reads the same variable, so the choice reaches it too.
    if (!registry_file.empty()) setenv("ZCNT_REGISTRY", registry_file.c_str(), 1);
    return register_cmd->parsed() ? run_register(*this, out, err) : run_dump(out, err);
}

}  // namespace zcnt

// The program files folder from the environment.
#include "platform/shell/folders.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "platform/shell/path_map.h"
#include "platform/shell/text.h"

namespace {

std::string program_files()
{
    const char* value = std::getenv("ZCNT_PROGRAM_FILES");
    std::string native = value && *value ? value : "/opt";
    while (native.size() > 1 && native.back() == '/') native.pop_back();
    return shell::windows_path_from_native(native);
}

}  // namespace

HRESULT SHGetFolderPathA(void*, int csidl, HANDLE, DWORD, LPSTR path) noexcept
{
    if (!path) return E_INVALIDARG;
    path[0] = '\0';
    if ((csidl & ~CSIDL_FLAG_MASK) != CSIDL_PROGRAM_FILES) return E_NOTIMPL;
    try {
        const std::string folder = shell::utf8_to_ansi(program_files());
        if (folder.size() >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
        std::memcpy(path, folder.c_str(), folder.size() + 1);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT SHGetFolderPathW(void*, int csidl, HANDLE, DWORD, LPWSTR path) noexcept
{
    if (!path) return E_INVALIDARG;
    path[0] = u'\0';
    if ((csidl & ~CSIDL_FLAG_MASK) != CSIDL_PROGRAM_FILES) return E_NOTIMPL;
    try {
        const std::u16string folder = shell::utf8_to_utf16(program_files());
        if (folder.size() >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
        std::memcpy(path, folder.c_str(), (folder.size() + 1) * sizeof(char16_t));
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

BOOL SHGetSpecialFolderPathA(void* owner, LPSTR path, int csidl, BOOL) noexcept
{
    return SUCCEEDED(SHGetFolderPathA(owner, csidl, nullptr, SHGFP_TYPE_CURRENT, path));
}

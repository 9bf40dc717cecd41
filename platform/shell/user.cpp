// The user name from the password database (kept once read), or the test override.
#include "platform/shell/user.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "platform/shell/text.h"

namespace {

std::mutex override_lock;
std::optional<std::u16string> name_override;

std::u16string user_name()
{
    {
        std::lock_guard<std::mutex> hold(override_lock);
        if (name_override) return *name_override;
    }
    // The database's answer is kept for the user id it was asked for: asking means reading and
    // parsing the password file, which a PDF writer asks for every file it writes.
    static std::mutex known_lock;
    static uid_t known_uid = 0;
    static std::u16string known_name;  // empty: not asked yet
    const uid_t uid = geteuid();
    {
        std::lock_guard<std::mutex> hold(known_lock);
        if (!known_name.empty() && known_uid == uid) return known_name;
    }
    std::vector<char> scratch(16384);
    passwd entry;
    passwd* found = nullptr;
    if (getpwuid_r(uid, &entry, scratch.data(), scratch.size(), &found) == 0 && found &&
        found->pw_name && *found->pw_name) {
        std::u16string name = shell::utf8_to_utf16(found->pw_name);
        std::lock_guard<std::mutex> hold(known_lock);
        known_uid = uid;
        known_name = name;
        return name;
    }
    for (const char* variable : {"USER", "LOGNAME"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return shell::utf8_to_utf16(value);
    }
    return {};
}

template <typename Char>
BOOL hand_out(const std::basic_string<Char>& name, Char* buffer, LPDWORD size) noexcept
{
    if (name.empty()) {
        SetLastError(ERROR_NOT_FOUND);
        return FALSE;
    }
    const DWORD needed = static_cast<DWORD>(name.size()) + 1;
    if (!buffer || *size < needed) {
        *size = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, name.c_str(), needed * sizeof(Char));
    *size = needed;
    return TRUE;
}

}  // namespace

namespace shell {

void set_user_name_override(std::optional<std::u16string> name)
{
    std::lock_guard<std::mutex> hold(override_lock);
    name_override = std::move(name);
}

}  // namespace shell

BOOL GetUserNameW(LPWSTR buffer, LPDWORD size) noexcept
{
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    try {
        return hand_out(user_name(), buffer, size);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

BOOL GetUserNameA(LPSTR buffer, LPDWORD size) noexcept
{
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    try {
        return hand_out(shell::utf16_to_ansi(user_name()), buffer, size);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

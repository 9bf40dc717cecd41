// The Win32 registry functions over the key tree in the registry file.
//
// An open key is the path it was opened with, not a node: every call rereads the file, so a
// handle sees what other processes changed, and ERROR_KEY_DELETED once its key is gone.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>

#include "platform/registry/reg_store.h"
#include "platform/registry/registry.h"
#include "platform/shell/text.h"

struct HKEY__ {
    registry::key_path path;
};

namespace {

using registry::key;
using registry::key_path;

constexpr LONG ok = ERROR_SUCCESS;

struct open_keys {
    std::mutex lock;
    std::unordered_set<HKEY> handles;
};

open_keys& the_open_keys()
{
    static open_keys* keys = new open_keys;  // never destroyed: keys may be closed during exit
    return *keys;
}

template <typename Body>
LONG guarded(Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

// HKEY_LOCAL_MACHINE holds the classes at SOFTWARE\Classes and nothing else.
bool strip_machine_prefix(key_path* path)
{
    if (path->size() < 2 || !shell::equal_no_case((*path)[0], u"SOFTWARE") ||
        !shell::equal_no_case((*path)[1], u"Classes"))
        return false;
    path->erase(path->begin(), path->begin() + 2);
    return true;
}

// The path of `handle` below the root (`base`) and of `sub_key` below that (`full`).
LONG resolve(HKEY handle, LPCWSTR sub_key, key_path* base, key_path* full)
{
    key_path relative;
    if (sub_key && !registry::split_path(sub_key, &relative)) return ERROR_INVALID_PARAMETER;
    base->clear();
    if (handle == HKEY_LOCAL_MACHINE) {
        if (!strip_machine_prefix(&relative)) return ERROR_FILE_NOT_FOUND;
    } else if (handle != HKEY_CLASSES_ROOT) {
        open_keys& keys = the_open_keys();
        std::lock_guard hold(keys.lock);
        if (!keys.handles.count(handle)) return ERROR_INVALID_HANDLE;
        *base = handle->path;
    }
    *full = *base;
    full->insert(full->end(), relative.begin(), relative.end());
    return ERROR_SUCCESS;
}

// Why `full` is not there: its handle's own key went away, or just the key asked for.
LONG missing(const key& root, const key_path& base)
{
    return registry::find(root, base) ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
}

LONG open_handle(key_path path, PHKEY result)
{
    HKEY handle = new HKEY__{std::move(path)};
    open_keys& keys = the_open_keys();
    try {
        std::lock_guard hold(keys.lock);
        keys.handles.insert(handle);
    } catch (const std::bad_alloc&) {
        delete handle;
        throw;
    }
    *result = handle;
    return ERROR_SUCCESS;
}

std::vector<BYTE> bytes_of(const BYTE* data, DWORD size)
{
    return data ? std::vector<BYTE>(data, data + size) : std::vector<BYTE>();
}

}  // namespace

LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR sub_key, DWORD, LPWSTR, DWORD, REGSAM, const void*,
                        PHKEY result, LPDWORD disposition) noexcept
{
    return guarded([&]() -> LONG {
        if (!result) return ERROR_INVALID_PARAMETER;
        *result = nullptr;
        key_path base, full;
        if (const LONG r = resolve(key, sub_key, &base, &full); r != ok) {
            // Windows refuses to create beside the classes rather than report them missing.
            return r == static_cast<LONG>(ERROR_FILE_NOT_FOUND) ? ERROR_ACCESS_DENIED : r;
        }
        bool created = false;
        const LONG r = registry::change_registry([&](registry::key& root) -> LONG {
            if (!registry::find(root, base)) return ERROR_KEY_DELETED;
            registry::create(root, full, &created);
            return ERROR_SUCCESS;
        });
        if (r != ok) return r;
        if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        return open_handle(std::move(full), result);
    });
}

LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR sub_key, DWORD, REGSAM, PHKEY result) noexcept
{
    return guarded([&]() -> LONG {
        if (!result) return ERROR_INVALID_PARAMETER;
        *result = nullptr;
        key_path base, full;
        if (const LONG r = resolve(key, sub_key, &base, &full); r != ok) return r;
        const LONG r = registry::read_registry([&](const registry::key& root) -> LONG {
            return registry::find(root, full) ? ok : missing(root, base);
        });
        if (r != ok) return r;
        return open_handle(std::move(full), result);
    });
}

LSTATUS RegCloseKey(HKEY key) noexcept
{
    if (key == HKEY_CLASSES_ROOT || key == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
    open_keys& keys = the_open_keys();
    {
        std::lock_guard hold(keys.lock);
        if (!keys.handles.erase(key)) return ERROR_INVALID_HANDLE;
    }
    delete key;
    return ERROR_SUCCESS;
}

LSTATUS RegSetValueExW(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE* data,
                       DWORD size) noexcept
{
    return guarded([&]() -> LONG {
        const std::u16string_view value_name = name ? name : u"";
        if (!registry::is_valid_name(value_name) || (!data && size != 0))
            return ERROR_INVALID_PARAMETER;
        key_path base, full;
        if (const LONG r = resolve(key, nullptr, &base, &full); r != ok) return r;
        std::vector<BYTE> bytes = bytes_of(data, size);
        return registry::change_registry([&](registry::key& root) -> LONG {
            registry::key* at = registry::find(root, full);
            if (!at) return ERROR_KEY_DELETED;
            at->set_value(value_name, type, std::move(bytes));
            return ERROR_SUCCESS;
        });
    });
}

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data,
                         LPDWORD size) noexcept
{
    return guarded([&]() -> LONG {
        if (data && !size) return ERROR_INVALID_PARAMETER;
        const std::u16string_view value_name = name ? name : u"";
        key_path base, full;
        if (const LONG r = resolve(key, nullptr, &base, &full); r != ok) return r;
        return registry::read_registry([&](const registry::key& root) -> LONG {
            const registry::key* at = registry::find(root, full);
            if (!at) return ERROR_KEY_DELETED;
            const registry::value* v = at->find_value(value_name);
            if (!v) return ERROR_FILE_NOT_FOUND;
            if (type) *type = v->type;
            const DWORD needed = static_cast<DWORD>(v->data.size());
            if (!size) return ERROR_SUCCESS;
            if (data && *size < needed) {
                *size = needed;
                return ERROR_MORE_DATA;
            }
            if (data && needed) std::memcpy(data, v->data.data(), needed);
            *size = needed;
            return ERROR_SUCCESS;
        });
    });
}

LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD name_size, LPDWORD,
                      LPWSTR key_class, LPDWORD class_size, FILETIME* last_write) noexcept
{
    return guarded([&]() -> LONG {
        if (!name || !name_size) return ERROR_INVALID_PARAMETER;
        key_path base, full;
        if (const LONG r = resolve(key, nullptr, &base, &full); r != ok) return r;
        return registry::read_registry([&](const registry::key& root) -> LONG {
            const registry::key* at = registry::find(root, full);
            if (!at) return ERROR_KEY_DELETED;
            if (index >= at->subkeys.size()) return ERROR_NO_MORE_ITEMS;
            const std::u16string& child = std::next(at->subkeys.begin(), index)->second->name;
            if (child.size() + 1 > *name_size) return ERROR_MORE_DATA;
            std::copy(child.begin(), child.end(), name);
            name[child.size()] = u'\0';
            *name_size = static_cast<DWORD>(child.size());
            if (key_class && class_size && *class_size) key_class[0] = u'\0';
            if (class_size) *class_size = 0;
            if (last_write) *last_write = {};
            return ERROR_SUCCESS;
        });
    });
}

LSTATUS RegDeleteKeyW(HKEY key, LPCWSTR sub_key) noexcept
{
    return guarded([&]() -> LONG {
        if (!sub_key) return ERROR_INVALID_PARAMETER;
        key_path base, full;
        if (const LONG r = resolve(key, sub_key, &base, &full); r != ok) return r;
        if (full.empty()) return ERROR_ACCESS_DENIED;
        return registry::change_registry([&](registry::key& root) -> LONG {
            const registry::key* at = registry::find(root, full);
            if (!at) return missing(root, base);
            if (!at->subkeys.empty()) return ERROR_ACCESS_DENIED;
            registry::remove_tree(root, full);
            return ERROR_SUCCESS;
        });
    });
}

LSTATUS RegDeleteTreeW(HKEY key, LPCWSTR sub_key) noexcept
{
    return guarded([&]() -> LONG {
        key_path base, full;
        if (const LONG r = resolve(key, sub_key, &base, &full); r != ok) return r;
        const bool keep_key = !sub_key || !*sub_key;
        return registry::change_registry([&](registry::key& root) -> LONG {
            registry::key* at = registry::find(root, full);
            if (!at) return missing(root, base);
            if (keep_key) at->clear();
            else registry::remove_tree(root, full);
            return ERROR_SUCCESS;
        });
    });
}

LSTATUS RegDeleteValueW(HKEY key, LPCWSTR name) noexcept
{
    return guarded([&]() -> LONG {
        const std::u16string_view value_name = name ? name : u"";
        key_path base, full;
        if (const LONG r = resolve(key, nullptr, &base, &full); r != ok) return r;
        return registry::change_registry([&](registry::key& root) -> LONG {
            registry::key* at = registry::find(root, full);
            if (!at) return ERROR_KEY_DELETED;
            return at->remove_value(value_name) ? ok : static_cast<LONG>(ERROR_FILE_NOT_FOUND);
        });
    });
}

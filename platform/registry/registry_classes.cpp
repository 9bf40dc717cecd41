// The class source over the registry and the in-process servers it names.
#include "platform/registry/registry_classes.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <map>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "platform/com/class_table.h"
#include "platform/com/rpc.h"
#include "platform/registry/reg_store.h"
#include "platform/registry/registry.h"
#include "platform/shell/text.h"

namespace registry {
namespace {

using get_class_object_fn = HRESULT (*)(REFCLSID, REFIID, void**);
using can_unload_fn = HRESULT (*)();

struct loaded_server {
    std::string path;
    void* handle;
    get_class_object_fn get_class_object;
    can_unload_fn can_unload;  // may be null: such a library stays loaded
};

// The default string value of `path` below the root: S_OK, S_FALSE when the key or the value
// is missing or not a string, or REGDB_E_READREGDB.
HRESULT read_default_string(const key_path& path, std::u16string* out)
{
    const LONG r = read_registry([&](const key& root) -> LONG {
        const key* at = find(root, path);
        const value* v = at ? at->find_value(u"") : nullptr;
        if (!v || v->type != REG_SZ) return ERROR_FILE_NOT_FOUND;
        out->clear();
        for (std::size_t i = 0; i + 1 < v->data.size(); i += 2) {
            const char16_t c = static_cast<char16_t>(v->data[i] | v->data[i + 1] << 8);
            if (c == 0) break;
            out->push_back(c);
        }
        return ERROR_SUCCESS;
    });
    if (r == ERROR_SUCCESS) return S_OK;
    if (r == static_cast<LONG>(ERROR_FILE_NOT_FOUND)) return S_FALSE;
    if (r == static_cast<LONG>(ERROR_NOT_ENOUGH_MEMORY)) return E_OUTOFMEMORY;
    return REGDB_E_READREGDB;
}

// Which registry file, in which version: every change replaces the file by a new one, so its
// inode, time and size change with its contents.
struct file_stamp {
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
    off_t size = -1;  // -1: no file

    bool operator==(const file_stamp& other) const
    {
        return path == other.path && device == other.device && inode == other.inode &&
               modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec && size == other.size;
    }
};

file_stamp stamp_now()
{
    file_stamp stamp;
    stamp.path = registry_file_path();
    struct stat info {};
    if (stat(stamp.path.c_str(), &info) == 0) {
        stamp.device = info.st_dev;
        stamp.inode = info.st_ino;
        stamp.modified = info.st_mtim;
        stamp.size = info.st_size;
    }
    return stamp;
}

// The string values looked up so far, kept while the registry file stays the same one. Read
// failures are not kept: the next lookup tries again.
class lookup_cache {
public:
    HRESULT default_string(const key_path& path, std::u16string* out)
    {
        std::u16string name;
        for (const std::u16string& step : path) name += fold(step) + u'\\';
        const file_stamp stamp = stamp_now();
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (!(stamp == stamp_)) {
                entries_.clear();
                stamp_ = stamp;
            }
            if (auto it = entries_.find(name); it != entries_.end()) {
                *out = it->second.text;
                return it->second.found ? S_OK : S_FALSE;
            }
        }
        const HRESULT hr = read_default_string(path, out);
        if (FAILED(hr)) return hr;
        std::lock_guard<std::mutex> guard(lock_);
        if (stamp == stamp_) entries_[name] = {hr == S_OK, *out};
        return hr;
    }

private:
    struct entry {
        bool found;
        std::u16string text;
    };
    std::mutex lock_;
    file_stamp stamp_;
    std::map<std::u16string, entry> entries_;
};

class registry_source final : public com::class_source {
public:
    HRESULT get_class_object(REFCLSID clsid, REFIID riid, void** object) noexcept override
    {
        try {
            std::u16string file;
            const HRESULT hr = cache_.default_string(
                {u"CLSID", com::format_guid_u16(clsid), u"InprocServer32"}, &file);
            if (FAILED(hr)) return hr;
            if (hr == S_FALSE || file.empty()) return REGDB_E_CLASSNOTREG;
            return ask_server(shell::utf16_to_utf8(file), clsid, riid, object);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

    HRESULT clsid_from_progid(std::u16string_view progid, CLSID* clsid) noexcept override
    {
        try {
            key_path path;
            if (!split_path(progid, &path) || path.size() != 1) return CO_E_CLASSSTRING;
            path.push_back(u"CLSID");
            std::u16string text;
            const HRESULT hr = cache_.default_string(path, &text);
            if (FAILED(hr)) return hr;
            if (hr == S_FALSE || !com::parse_guid(text, clsid)) return CO_E_CLASSSTRING;
            return S_OK;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

    HRESULT ps_clsid(REFIID iid, CLSID* clsid) noexcept override
    {
        *clsid = GUID_NULL;
        try {
            std::u16string text;
            const HRESULT hr = cache_.default_string(
                {u"Interface", com::format_guid_u16(iid), u"ProxyStubClsid32"}, &text);
            if (FAILED(hr)) return hr;
            if (hr == S_FALSE || !com::parse_guid(text, clsid)) {
                *clsid = GUID_NULL;
                return REGDB_E_IIDNOTREG;
            }
            return S_OK;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

    void free_unused_libraries() noexcept override
    {
        std::vector<void*> unused;
        {
            std::lock_guard<std::mutex> guard(lock_);
            for (auto it = servers_.begin(); it != servers_.end();) {
                if (it->can_unload && it->can_unload() == S_OK) {
                    unused.push_back(it->handle);
                    it = servers_.erase(it);
                } else {
                    ++it;
                }
            }
        }
        // Outside the lock: a library's destructors may create or release objects.
        for (void* handle : unused) dlclose(handle);
    }

    std::size_t count() noexcept
    {
        std::lock_guard<std::mutex> guard(lock_);
        return servers_.size();
    }

private:
    // Under the lock, so that CoFreeUnusedLibraries cannot close the library between its
    // loading and its first class object.
    HRESULT ask_server(const std::string& file, REFCLSID clsid, REFIID riid, void** object)
    {
        std::lock_guard<std::mutex> guard(lock_);
        for (const loaded_server& s : servers_)
            if (s.path == file) return s.get_class_object(clsid, riid, object);
        servers_.reserve(servers_.size() + 1);  // no failure once the library is open
        void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) return CO_E_DLLNOTFOUND;
        auto get = reinterpret_cast<get_class_object_fn>(dlsym(handle, "DllGetClassObject"));
        if (!get) {
            dlclose(handle);
            return CO_E_ERRORINDLL;
        }
        auto can_unload = reinterpret_cast<can_unload_fn>(dlsym(handle, "DllCanUnloadNow"));
        servers_.push_back({file, handle, get, can_unload});
        return get(clsid, riid, object);
    }

    lookup_cache cache_;
    std::mutex lock_;
    std::vector<loaded_server> servers_;
};

registry_source& the_source()
{
    static registry_source* source = new registry_source;  // never destroyed, as the table
    return *source;
}

int install() noexcept
{
    // A source installed before (a test's own) is kept.
    com::class_source* previous = com::set_class_source(&the_source());
    if (previous) com::set_class_source(previous);
    return 1;
}

}  // namespace

std::size_t loaded_server_count() noexcept { return the_source().count(); }

}  // namespace registry

extern "C" const int zcnt_registry_classes_installed = registry::install();

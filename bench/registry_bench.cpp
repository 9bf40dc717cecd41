// Creating an element by ProgID through the registry, as a client that carries no classes of
// its own does: the first creation, which loads the library named by InprocServer32, and a
// creation while the library is loaded and the lookups are remembered.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "bench/bench_support.h"
#include "platform/com/com_ptr.h"

namespace {

// The library registered in a registry file of the benchmark's own, named by ZCNT_REGISTRY for
// the benchmark's length, with the process's own classes revoked so that every lookup reaches
// the registry.
class registered_library {
public:
    registered_library() : folder_("zcnt-registry-bench")
    {
        const char* old = std::getenv("ZCNT_REGISTRY");
        if (old) old_registry_ = old;
        setenv("ZCNT_REGISTRY", (folder_.path() + "/registry.reg").c_str(), 1);
        CLSID clsid{};
        had_classes_ = SUCCEEDED(CLSIDFromProgID(u"Orvane.ZCntElementNote", &clsid));
        cnt::module::revoke_classes();
        void* handle = dlopen(ZCNT_MODULE_FILE, RTLD_NOW | RTLD_LOCAL);
        auto register_server = handle ? reinterpret_cast<HRESULT (*)()>(
                                            dlsym(handle, "DllRegisterServer"))
                                      : nullptr;
        ok_ = register_server && SUCCEEDED(register_server());
        if (handle) dlclose(handle);
    }
    ~registered_library()
    {
        CoFreeUnusedLibraries();
        if (had_classes_) cnt::module::register_classes();
        if (old_registry_.empty()) unsetenv("ZCNT_REGISTRY");
        else setenv("ZCNT_REGISTRY", old_registry_.c_str(), 1);
    }
    registered_library(const registered_library&) = delete;
    registered_library& operator=(const registered_library&) = delete;

    bool ok() const { return ok_; }
    // A new modification time, so that the next lookups read the file again.
    void touch()
    {
        const timespec times[2] = {{++generation_, 0}, {generation_, 0}};
        utimensat(AT_FDCWD, (folder_.path() + "/registry.reg").c_str(), times, 0);
    }

private:
    bench_support::temp_folder folder_;
    std::string old_registry_;
    bool had_classes_ = false;
    bool ok_ = false;
    time_t generation_ = 1;
};

HRESULT create_note(com::ComPtr<IDispatch>* note)
{
    CLSID clsid{};
    RETURN_IF_FAILED(CLSIDFromProgID(u"Orvane.ZCntElementNote", &clsid));
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IDispatch::iid, note->put_void());
}

// Each creation reads the registry file and loads the library; CoFreeUnusedLibraries closes
// it again.
void BM_RegistryCreateFirst(benchmark::State& state)
{
    registered_library library;
    if (!library.ok()) return state.SkipWithError("the library could not be registered");
    for (auto _ : state) {
        state.PauseTiming();
        library.touch();
        state.ResumeTiming();
        com::ComPtr<IDispatch> note;
        if (FAILED(create_note(&note))) return state.SkipWithError("creation failed");
        note.reset();
        CoFreeUnusedLibraries();
    }
}
BENCHMARK(BM_RegistryCreateFirst)->Unit(benchmark::kMicrosecond);

// The library stays loaded (an object of it is alive) and the registry file unchanged.
void BM_RegistryCreateLoaded(benchmark::State& state)
{
    registered_library library;
    com::ComPtr<IDispatch> keeper;
    if (!library.ok() || FAILED(create_note(&keeper)))
        return state.SkipWithError("the library could not be registered");
    for (auto _ : state) {
        com::ComPtr<IDispatch> note;
        if (FAILED(create_note(&note))) return state.SkipWithError("creation failed");
        benchmark::DoNotOptimize(note.get());
    }
}
BENCHMARK(BM_RegistryCreateLoaded)->Unit(benchmark::kMicrosecond);

}  // namespace

// Apartments: CoInitializeEx and CoUninitialize, the call queue of a single-threaded apartment
// and the waits that serve it.
#include "platform/com/apartment.h"

#include <atomic>
#include <chrono>
#include <utility>
#include <vector>

#include "platform/com/class_table.h"

namespace com::detail {
namespace {

struct apartment_registry {
    std::mutex lock;
    std::map<std::uint64_t, std::weak_ptr<apartment>> live;
    std::shared_ptr<apartment> mta;
    ULONG mta_threads = 0;
    std::uint64_t next_id = 1;
};

apartment_registry& registry()
{
    static apartment_registry* r = new apartment_registry;  // outlives threads still exiting
    return *r;
}

struct thread_state {
    std::shared_ptr<apartment> home;
    ULONG inits = 0;
};
thread_local thread_state this_thread;

// What a caller waits on: its own apartment's queue when it has one, else a private signal.
struct completion {
    std::mutex lock;
    std::condition_variable wake;
    bool done = false;
};

}  // namespace

apartment::apartment(std::uint64_t id, bool single_threaded) noexcept
    : id_(id), single_threaded_(single_threaded), owner_(std::this_thread::get_id())
{
}

bool apartment::is_current() const noexcept
{
    return !single_threaded_ || std::this_thread::get_id() == owner_;
}

bool apartment::post(task work) noexcept
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (closed_) return false;
        try {
            queue_.push_back(std::move(work));
        } catch (...) {
            return false;
        }
    }
    wake_.notify_all();
    return true;
}

void apartment::wait_for(const bool& done, std::unique_lock<std::mutex>& lock) noexcept
{
    while (!done) {
        if (queue_.empty()) {
            wake_.wait(lock);
            continue;
        }
        task next = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        next();
        lock.lock();
    }
}

HRESULT apartment::call(const task& work) noexcept
{
    if (is_current()) {
        work();
        return S_OK;
    }
    std::shared_ptr<apartment> waiter = current_apartment();
    if (waiter && !waiter->single_threaded()) waiter.reset();
    std::shared_ptr<completion> signal;
    try {
        signal = std::make_shared<completion>();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    // The waiting thread's flag and wake-up live where it sleeps: in its apartment when it
    // serves one, so that a call coming back to it wakes the same wait.
    std::mutex& sleep_lock = waiter ? waiter->lock_ : signal->lock;
    std::condition_variable& sleep_wake = waiter ? waiter->wake_ : signal->wake;
    const bool posted = post([&work, signal, waiter, &sleep_lock, &sleep_wake] {
        work();
        {
            std::lock_guard<std::mutex> guard(sleep_lock);
            signal->done = true;
        }
        sleep_wake.notify_all();
    });
    if (!posted) return RPC_E_DISCONNECTED;
    std::unique_lock<std::mutex> lock(sleep_lock);
    if (waiter) {
        waiter->wait_for(signal->done, lock);
    } else {
        sleep_wake.wait(lock, [&] { return signal->done; });
    }
    return S_OK;
}

ULONG apartment::serve(DWORD wait_ms) noexcept
{
    ULONG served = 0;
    std::unique_lock<std::mutex> lock(lock_);
    if (queue_.empty() && wait_ms > 0)
        wake_.wait_for(lock, std::chrono::milliseconds(wait_ms), [&] { return !queue_.empty(); });
    while (!queue_.empty()) {
        task next = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        next();
        ++served;
        lock.lock();
    }
    return served;
}

HRESULT apartment::adopt_stub(IRpcStubBuffer* stub, std::uint64_t* id) noexcept
{
    std::lock_guard<std::mutex> guard(lock_);
    if (closed_) return RPC_E_DISCONNECTED;
    try {
        *id = next_stub_++;
        stubs_.emplace(*id, stub);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    stub->AddRef();
    return S_OK;
}

IRpcStubBuffer* apartment::find_stub(std::uint64_t id) noexcept
{
    std::lock_guard<std::mutex> guard(lock_);
    auto found = stubs_.find(id);
    return found == stubs_.end() ? nullptr : found->second;
}

void apartment::drop_stub(std::uint64_t id) noexcept
{
    if (!is_current()) {
        // The apartment's thread does it; if the apartment has closed meanwhile, close did.
        auto self = find_apartment(id_);
        if (self) self->post([self, id] { self->drop_stub(id); });
        return;
    }
    IRpcStubBuffer* stub = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock_);
        auto found = stubs_.find(id);
        if (found == stubs_.end()) return;
        stub = found->second;
        stubs_.erase(found);
    }
    stub->Disconnect();
    stub->Release();
}

void apartment::close() noexcept
{
    serve(0);
    std::map<std::uint64_t, IRpcStubBuffer*> stubs;
    {
        std::lock_guard<std::mutex> guard(lock_);
        closed_ = true;
        stubs.swap(stubs_);
    }
    for (auto& [id, stub] : stubs) {
        stub->Disconnect();
        stub->Release();
    }
    // Work queued between the last serve and the close: releases, mostly; run it here.
    serve(0);
}

std::shared_ptr<apartment> current_apartment() noexcept { return this_thread.home; }

std::shared_ptr<apartment> find_apartment(std::uint64_t id) noexcept
{
    apartment_registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    auto found = r.live.find(id);
    return found == r.live.end() ? nullptr : found->second.lock();
}

}  // namespace com::detail

using com::detail::apartment;

HRESULT CoInitialize(void* reserved) noexcept
{
    return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

HRESULT CoInitializeEx(void*, DWORD flags) noexcept
{
    auto& state = com::detail::this_thread;
    const bool single = (flags & COINIT_APARTMENTTHREADED) != 0;
    if (state.inits > 0) {
        if (state.home->single_threaded() != single) return RPC_E_CHANGED_MODE;
        ++state.inits;
        return S_FALSE;
    }
    auto& r = com::detail::registry();
    std::lock_guard<std::mutex> guard(r.lock);
    try {
        if (single) {
            state.home = std::make_shared<apartment>(r.next_id++, true);
        } else {
            if (!r.mta) r.mta = std::make_shared<apartment>(r.next_id++, false);
            state.home = r.mta;
            ++r.mta_threads;
        }
        r.live[state.home->id()] = state.home;
    } catch (...) {
        state.home.reset();
        return E_OUTOFMEMORY;
    }
    state.inits = 1;
    return S_OK;
}

void CoUninitialize() noexcept
{
    auto& state = com::detail::this_thread;
    if (state.inits == 0 || --state.inits > 0) return;
    std::shared_ptr<apartment> home = std::move(state.home);
    auto& r = com::detail::registry();
    bool last = home->single_threaded();
    {
        std::lock_guard<std::mutex> guard(r.lock);
        if (!last) last = --r.mta_threads == 0;
        if (last) {
            r.live.erase(home->id());
            if (!home->single_threaded()) r.mta.reset();
        }
    }
    if (last) home->close();
}

ULONG com::pump_calls(DWORD wait_ms) noexcept
{
    auto home = com::detail::current_apartment();
    return home && home->single_threaded() ? home->serve(wait_ms) : 0;
}

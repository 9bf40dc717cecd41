// Apartments, as the marshalling layer sees them: a single-threaded apartment is one thread
// and the queue of calls it serves; the multithreaded apartment is every thread that joined it
// and runs calls on the caller's thread. Each apartment owns the stubs of the objects it
// exported, which are only ever touched on its own thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/com/rpc.h"

namespace com::detail {

class apartment {
public:
    using task = std::function<void()>;

    apartment(std::uint64_t id, bool single_threaded) noexcept;
    apartment(const apartment&) = delete;
    apartment& operator=(const apartment&) = delete;

    std::uint64_t id() const noexcept { return id_; }
    bool single_threaded() const noexcept { return single_threaded_; }
    // True on a thread where calls into this apartment may run directly.
    bool is_current() const noexcept;

    // Queues work for the apartment's thread; false once it has closed.
    bool post(task work) noexcept;
    // Runs `work` in the apartment and waits for it; a waiting single-threaded caller serves
    // its own queue meanwhile, so calls back into it proceed. RPC_E_DISCONNECTED once closed.
    HRESULT call(const task& work) noexcept;
    // Serves the queue on the apartment's thread (see com::pump_calls).
    ULONG serve(DWORD wait_ms) noexcept;

    // Takes ownership of a connected stub; the id names it to find_stub and drop_stub.
    HRESULT adopt_stub(IRpcStubBuffer* stub, std::uint64_t* id) noexcept;
    // Borrowed; null once dropped or closed. Only on the apartment's thread.
    IRpcStubBuffer* find_stub(std::uint64_t id) noexcept;
    // Disconnects and releases a stub, on the apartment's thread (posted when called
    // elsewhere); nothing once the apartment has closed, which released it already.
    void drop_stub(std::uint64_t id) noexcept;

    // Runs what is still queued, refuses what comes later and releases every stub.
    void close() noexcept;

private:
    friend struct waiter;
    void wait_for(const bool& done, std::unique_lock<std::mutex>& lock) noexcept;

    const std::uint64_t id_;
    const bool single_threaded_;
    const std::thread::id owner_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<task> queue_;
    std::map<std::uint64_t, IRpcStubBuffer*> stubs_;
    std::uint64_t next_stub_ = 1;
    bool closed_ = false;
};

// The calling thread's apartment, or null when it has not initialised COM.
std::shared_ptr<apartment> current_apartment() noexcept;
// A live apartment by id, or null.
std::shared_ptr<apartment> find_apartment(std::uint64_t id) noexcept;

}  // namespace com::detail

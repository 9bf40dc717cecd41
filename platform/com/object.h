// The object templates: every COM class of the project is composed from these.
//
//   class CSample : public com::object_root<CSample, IFoo, IBar> { … IFoo and IBar members … };
//   com::ComPtr<CSample> sample;  HRESULT hr = com::make<CSample>(&sample);
//
// `object_root` is the single-threaded root: a plain counter and a QueryInterface generated from
// the list of bases. An entry of the list is an interface or an implementation class that names
// its interface as `interface_type` (the dispatch implementations do); every interface of an
// entry's `base` chain is answered too, the first entry that has it wins, and the first entry
// is the object's IUnknown identity. A class may add
//   HRESULT final_construct() noexcept;            run after construction, may fail creation
//   void final_release() noexcept;                 run before destruction
//   HRESULT query_interface_fallback(REFIID, void**) noexcept;   answers IIDs the list misses
//   static constexpr bool aggregatable = false;    refuses creation inside an aggregate
//
// The final classes supply IUnknown: `object<T>` (stand-alone, holds a module lock while it
// lives), `aggregated_object<T>` (inner object of an aggregate, delegating to the outer
// unknown), and `child_object<T>` (owned by a parent object, whose count is guarded by a
// critical section and which keeps its parent alive while anyone else holds it).
#pragma once

#include <atomic>
#include <new>
#include <type_traits>
#include <utility>

#include "platform/com/fault_switch.h"
#include "platform/com/sync.h"
#include "platform/com/unknown.h"

namespace com {

// ---- The module's lock count --------------------------------------------------------------

namespace detail {
// One per module: the shared library is built with hidden visibility, so it gets a copy of
// its own, as a DLL has.
inline std::atomic<LONG> module_lock_count{0};
}  // namespace detail

inline LONG module_lock() noexcept { return InterlockedIncrement(&detail::module_lock_count); }
inline LONG module_unlock() noexcept { return InterlockedDecrement(&detail::module_lock_count); }
inline LONG module_lock_count() noexcept { return detail::module_lock_count.load(); }

// ---- Interface lists ----------------------------------------------------------------------

namespace detail {

template <typename B>
struct interface_of_entry {
    using type = B;
};
template <typename B>
    requires requires { typename B::interface_type; }
struct interface_of_entry<B> {
    using type = typename B::interface_type;
};

// Tries `I` and every interface it derives from, reached through the list entry `Entry`.
template <typename I, typename Entry, typename Self>
bool find_in_chain(Self* self, REFIID riid, void** object) noexcept
{
    if constexpr (std::is_void_v<I> || std::is_same_v<I, IUnknown>) {
        return false;
    } else {
        if (riid == I::iid) {
            *object = static_cast<I*>(static_cast<Entry*>(self));
            return true;
        }
        return find_in_chain<typename I::base, Entry>(self, riid, object);
    }
}

template <typename First, typename...>
struct first_of {
    using type = First;
};

}  // namespace detail

template <typename B>
using interface_of = typename detail::interface_of_entry<B>::type;

template <typename Derived, typename... Entries>
class object_root : public Entries... {
    static_assert(sizeof...(Entries) > 0, "an object needs at least one interface");

public:
    using identity_entry = typename detail::first_of<Entries...>::type;

    // QueryInterface over the entry list; the returned interface is AddRef'd through its own
    // vtable, so a contained object's reference reaches the outer unknown.
    HRESULT internal_query_interface(REFIID riid, void** object) noexcept
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        Derived* self = static_cast<Derived*>(this);
        if (riid == IID_IUnknown) {
            *object = static_cast<IUnknown*>(static_cast<identity_entry*>(self));
        } else {
            bool found = (detail::find_in_chain<interface_of<Entries>, Entries>(self, riid, object) ||
                          ...);
            if (!found) {
                if constexpr (requires { self->query_interface_fallback(riid, object); })
                    return self->query_interface_fallback(riid, object);
                else
                    return E_NOINTERFACE;
            }
        }
        static_cast<IUnknown*>(*object)->AddRef();
        return S_OK;
    }

    // The unknown that stands for this object when it is not aggregated.
    IUnknown* identity() noexcept
    {
        return static_cast<IUnknown*>(static_cast<identity_entry*>(static_cast<Derived*>(this)));
    }

    // Creation steps, called by the final classes and the creation functions below.
    HRESULT internal_final_construct() noexcept
    {
        if constexpr (requires(Derived* d) { d->final_construct(); })
            return static_cast<Derived*>(this)->final_construct();
        else
            return S_OK;
    }
    void internal_final_release() noexcept
    {
        if constexpr (requires(Derived* d) { d->final_release(); })
            static_cast<Derived*>(this)->final_release();
    }

protected:
    object_root() = default;
    ~object_root() = default;
    object_root(const object_root&) = delete;
    object_root& operator=(const object_root&) = delete;

    ULONG internal_add_ref() noexcept { return ++ref_count_; }
    ULONG internal_release() noexcept { return --ref_count_; }

    ULONG ref_count_ = 0;

    template <typename>
    friend class object;
    template <typename>
    friend class contained_object;
    template <typename>
    friend class aggregated_object;
    template <typename>
    friend class child_object;
};

template <typename T>
constexpr bool is_aggregatable()
{
    if constexpr (requires { T::aggregatable; })
        return T::aggregatable;
    else
        return true;
}

// ---- Stand-alone object -------------------------------------------------------------------

template <typename T>
class object final : public T {
public:
    template <typename... Args>
    explicit object(Args&&... args) : T(std::forward<Args>(args)...)
    {
        module_lock();
    }
    ~object() { module_unlock(); }

    HRESULT QueryInterface(REFIID riid, void** out) noexcept override
    {
        return this->internal_query_interface(riid, out);
    }
    ULONG AddRef() noexcept override { return this->internal_add_ref(); }
    ULONG Release() noexcept override
    {
        ULONG count = this->internal_release();
        if (count == 0) {
            // References taken while releasing must not free the object a second time.
            this->ref_count_ = 1;
            this->internal_final_release();
            delete this;
        }
        return count;
    }
};

// Creates a stand-alone T with one reference, owned by the caller through *out.
template <typename T, typename Out, typename... Args>
HRESULT make(Out** out, Args&&... args) noexcept
{
    static_assert(std::is_convertible_v<T*, Out*>, "make<T>(Out**): T is not an Out");
    if (!out) return E_POINTER;
    *out = nullptr;
    if (fault::allocation_fails()) return E_OUTOFMEMORY;
    auto* created = new (std::nothrow) object<T>(std::forward<Args>(args)...);
    if (!created) return E_OUTOFMEMORY;
    created->AddRef();
    HRESULT hr = created->internal_final_construct();
    if (FAILED(hr)) {
        created->Release();
        return hr;
    }
    *out = created;
    return S_OK;
}

// ---- Aggregation --------------------------------------------------------------------------

// T living inside an aggregate: every IUnknown call goes to the outer unknown.
template <typename T>
class contained_object final : public T {
public:
    template <typename... Args>
    explicit contained_object(IUnknown* outer, Args&&... args)
        : T(std::forward<Args>(args)...), outer_(outer)
    {
    }

    HRESULT QueryInterface(REFIID riid, void** out) noexcept override
    {
        return outer_->QueryInterface(riid, out);
    }
    ULONG AddRef() noexcept override { return outer_->AddRef(); }
    ULONG Release() noexcept override { return outer_->Release(); }

    IUnknown* outer() const noexcept { return outer_; }

private:
    IUnknown* outer_;
};

// The inner, non-delegating unknown of an aggregated T; the outer object holds it and asks it
// for T's interfaces.
template <typename T>
class aggregated_object final : public IUnknown {
public:
    template <typename... Args>
    explicit aggregated_object(IUnknown* outer, Args&&... args)
        : contained_(outer, std::forward<Args>(args)...)
    {
        module_lock();
    }
    ~aggregated_object() { module_unlock(); }

    HRESULT QueryInterface(REFIID riid, void** out) noexcept override
    {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown) {
            *out = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return contained_.internal_query_interface(riid, out);
    }
    ULONG AddRef() noexcept override { return ++count_; }
    ULONG Release() noexcept override
    {
        ULONG count = --count_;
        if (count == 0) {
            count_ = 1;
            contained_.internal_final_release();
            delete this;
        }
        return count;
    }

    T* inner_object() noexcept { return &contained_; }

    HRESULT final_construct() noexcept { return contained_.internal_final_construct(); }

private:
    ULONG count_ = 0;
    contained_object<T> contained_;
};

// What a class factory does: a stand-alone object when `outer` is null, else the inner unknown
// of an aggregate (which must be asked for IUnknown). Classes that refuse aggregation give
// CLASS_E_NOAGGREGATION with *out null.
template <typename T, typename... Args>
HRESULT create_instance(IUnknown* outer, REFIID riid, void** out, Args&&... args) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) {
        if constexpr (!is_aggregatable<T>()) {
            return CLASS_E_NOAGGREGATION;
        } else {
            if (riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
            if (fault::allocation_fails()) return E_OUTOFMEMORY;
            auto* inner = new (std::nothrow) aggregated_object<T>(outer, std::forward<Args>(args)...);
            if (!inner) return E_OUTOFMEMORY;
            inner->AddRef();
            HRESULT hr = inner->final_construct();
            if (SUCCEEDED(hr)) hr = inner->QueryInterface(riid, out);
            inner->Release();
            return hr;
        }
    } else {
        T* created = nullptr;
        HRESULT hr = make<T>(&created, std::forward<Args>(args)...);
        if (FAILED(hr)) return hr;
        hr = created->internal_query_interface(riid, out);
        created->identity()->Release();
        return hr;
    }
}

// ---- Child objects ------------------------------------------------------------------------

// A T owned by a parent object. Its count starts at 0 and the parent's owning pointer takes
// the first reference. While anyone besides the parent holds it, the child keeps the parent
// alive and the module loaded; when only the parent holds it, it holds nothing, so destroying
// the parent destroys the child.
template <typename T>
class child_object final : public T {
public:
    template <typename... Args>
    explicit child_object(IUnknown* parent, Args&&... args)
        : T(std::forward<Args>(args)...), parent_(parent)
    {
    }

    HRESULT QueryInterface(REFIID riid, void** out) noexcept override
    {
        return this->internal_query_interface(riid, out);
    }
    ULONG AddRef() noexcept override
    {
        std::lock_guard<CZCriticalSection> guard(lock_);
        ULONG count = this->internal_add_ref();
        if (count == 2) {
            module_lock();
            if (parent_) parent_->AddRef();
        }
        return count;
    }
    ULONG Release() noexcept override
    {
        ULONG count;
        {
            std::lock_guard<CZCriticalSection> guard(lock_);
            count = this->internal_release();
        }
        if (count == 0) {
            this->ref_count_ = 100;
            this->internal_final_release();
            delete this;
        } else if (count == 1) {
            module_unlock();
            if (parent_) parent_->Release();
        }
        return count;
    }

    IUnknown* parent() const noexcept { return parent_; }

private:
    IUnknown* parent_;
    CZCriticalSection lock_;
};

// Creates a child of `parent` at count 0; the caller's owning pointer takes the first
// reference (AddRef the result once).
template <typename T, typename... Args>
HRESULT make_child(IUnknown* parent, child_object<T>** out, Args&&... args) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    auto* created = new (std::nothrow) child_object<T>(parent, std::forward<Args>(args)...);
    if (!created) return E_OUTOFMEMORY;
    HRESULT hr = created->internal_final_construct();
    if (FAILED(hr)) {
        delete created;
        return hr;
    }
    *out = created;
    return S_OK;
}

}  // namespace com

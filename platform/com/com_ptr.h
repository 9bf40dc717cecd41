// ComPtr: an owning interface pointer, the only place outside the object templates where
// AddRef and Release are paired by hand.
#pragma once

#include <utility>

#include "platform/com/unknown.h"

namespace com {

template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Takes a new reference on `p`.
    explicit ComPtr(T* p) noexcept : p_(p) { add_ref(); }
    ComPtr(const ComPtr& other) noexcept : p_(other.p_) { add_ref(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    template <typename U>
        requires std::is_convertible_v<U*, T*>
    ComPtr(const ComPtr<U>& other) noexcept : p_(other.get())
    {
        add_ref();
    }
    ~ComPtr() { release(); }

    ComPtr& operator=(const ComPtr& other) noexcept
    {
        ComPtr(other).swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        ComPtr(std::move(other)).swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) noexcept
    {
        reset();
        return *this;
    }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    T& operator*() const noexcept { return *p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    // Releases what is held and gives the slot for a function that returns a new reference.
    T** put() noexcept
    {
        reset();
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    void reset() noexcept { release(); }
    // Takes over a reference the caller already owns.
    void attach(T* p) noexcept
    {
        release();
        p_ = p;
    }
    [[nodiscard]] T* detach() noexcept { return std::exchange(p_, nullptr); }
    // Hands a new reference to an out parameter; E_POINTER for a null one.
    HRESULT copy_to(T** out) const noexcept
    {
        if (!out) return E_POINTER;
        *out = p_;
        add_ref();
        return S_OK;
    }
    template <typename U>
    HRESULT as(ComPtr<U>* out) const noexcept
    {
        if (!out) return E_POINTER;
        if (!p_) {
            out->reset();
            return E_POINTER;
        }
        return p_->QueryInterface(iid_of<U>(), out->put_void());
    }
    template <typename U>
    ComPtr<U> try_as() const noexcept
    {
        ComPtr<U> result;
        if (p_) p_->QueryInterface(iid_of<U>(), result.put_void());
        return result;
    }

    void swap(ComPtr& other) noexcept { std::swap(p_, other.p_); }

    friend bool operator==(const ComPtr& a, const ComPtr& b) noexcept { return a.p_ == b.p_; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) noexcept { return a.p_ == nullptr; }

private:
    void add_ref() const noexcept
    {
        if (p_) p_->AddRef();
    }
    void release() noexcept
    {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }

    T* p_ = nullptr;
};

// Whether two interface pointers belong to one object: their IUnknowns are the same pointer.
bool same_object(IUnknown* a, IUnknown* b) noexcept;

}  // namespace com

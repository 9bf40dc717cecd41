// The getter and setter pairs the host object kinds repeat: a plain 32-bit value and a text,
// each recorded in the journal.
#pragma once

#include <new>

#include "host/kinds/host_object.h"

// The getter and setter pairs every kind repeats.
#define HOST_LONG_PROPERTY(Name, field)                          \
    HRESULT get_##Name(LONG* v) noexcept override                \
    {                                                            \
        auto rec = record("get_" #Name);                         \
        if (!v) return rec(E_POINTER);                           \
        *v = field;                                              \
        return rec(S_OK, *v);                                    \
    }                                                            \
    HRESULT put_##Name(LONG v) noexcept override                 \
    {                                                            \
        auto rec = record("put_" #Name, v);                      \
        field = v;                                               \
        return rec(S_OK);                                        \
    }

#define HOST_TEXT_PROPERTY(Name, field)                          \
    HRESULT get_##Name(BSTR* v) noexcept override                \
    {                                                            \
        auto rec = record("get_" #Name);                         \
        if (!v) return rec(E_POINTER);                           \
        HRESULT hr = copy_out(field, v);                         \
        return rec(hr, *v);                                      \
    }                                                            \
    HRESULT put_##Name(BSTR v) noexcept override                 \
    {                                                            \
        auto rec = record("put_" #Name, v);                      \
        try {                                                    \
            field = from_bstr(v);                                \
        } catch (const std::bad_alloc&) {                        \
            return rec(E_OUTOFMEMORY);                           \
        }                                                        \
        return rec(S_OK);                                        \
    }

#define HOST_GET_TEXT(Name, field)                               \
    HRESULT get_##Name(BSTR* v) noexcept override                \
    {                                                            \
        auto rec = record("get_" #Name);                         \
        if (!v) return rec(E_POINTER);                           \
        HRESULT hr = copy_out(field, v);                         \
        return rec(hr, *v);                                      \
    }

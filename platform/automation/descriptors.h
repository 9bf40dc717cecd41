// The run-time description of an interface that the dispatch engine and the type information
// read: members, parameters and the lookup indexes, built once per interface from its table.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "platform/automation/typeinfo_types.h"

namespace com::automation {

// How a parameter reaches the C++ method.
enum class arg_kind : BYTE {
    scalar,      // a number, date, currency, Boolean, colour or enumeration, by value
    bstr,        // BSTR [in]: the caller's string when it is one, else a converted temporary
    variant,     // VARIANT by value: a copy, cleared after the call
    variant_in,  // const VARIANT*: the caller's variant (or the one it refers to)
    object,      // interface pointer [in], asked for its interface id
    out,         // T* [out]: the caller's by-reference storage, or a temporary written back
    retval,      // T* [out, retval]: a temporary that becomes the result
};

// What a parameter's type refers to in type information, beyond its VARTYPE.
enum class udt_kind : BYTE { none, enumeration, color, object };

struct interface_desc;
using describe_fn = const interface_desc& (*)();

// A default value as the table spells it; turned into a VARIANT when it is used.
struct default_value {
    VARTYPE vt = VT_EMPTY;  // VT_EMPTY (none), VT_I4, VT_R8, VT_BOOL or VT_BSTR
    LONGLONG i = 0;
    double d = 0;
    const char16_t* s = nullptr;
};

struct param_desc {
    const OLECHAR* name = nullptr;
    arg_kind kind = arg_kind::scalar;
    VARTYPE vt = VT_EMPTY;        // the value's type; for out and retval the pointee's
    bool color = false;           // OLE_COLOR: a VT_I4 argument passes its bits
    bool scalar_pointee = false;  // out/retval of a scalar (its temporary holds the input)
    USHORT flags = 0;             // PARAMFLAG_*
    const IID* iid = nullptr;     // interface parameters and pointees
    udt_kind udt = udt_kind::none;
    const void* type_key = nullptr;  // enumerations: identifies the C++ type
    describe_fn object_desc = nullptr;  // interfaces with a member table
    default_value def;
};

// One argument on its way to the method. The thunk reads scalars from `v`'s value bits and
// everything else from `ref`; the rest is the engine's bookkeeping.
struct arg_slot {
    VARIANT v;       // temporary value or scalar bits
    void* ref;       // BSTR, interface or storage pointer handed to the method
    void* held;      // reference taken by QueryInterface, released after the call
    VARIANT* back;   // caller's variant that an [out] temporary goes back into
    VARIANT* src;    // the bound argument (null: missing)
    UINT index;      // its index in rgvarg
};

using thunk_fn = HRESULT (*)(const void* pm, IUnknown* self, arg_slot* slots) noexcept;

struct member_desc {
    const OLECHAR* name = nullptr;
    const OLECHAR* doc = nullptr;
    DISPID id = DISPID_UNKNOWN;
    WORD invkind = 0;     // INVOKE_*
    WORD func_flags = 0;  // FUNCFLAG_*
    const param_desc* params = nullptr;
    BYTE count = 0;       // C++ parameters
    BYTE visible = 0;     // the ones a caller passes: all but [retval]
    bool has_retval = false;
    thunk_fn call = nullptr;
    const void* pm = nullptr;  // the member function pointer the thunk calls through
};

struct interface_desc {
    const OLECHAR* name = nullptr;
    const OLECHAR* doc = nullptr;
    IID iid{};
    const interface_desc* base = nullptr;  // the nearest base with a table; null: none
    bool dispatch = false;                 // derives from IDispatch
    bool base_is_dispatch = false;         // the chain ends at IDispatch (not IUnknown)
    std::span<const member_desc> members;  // its own, in table order

    struct dispid_entry {
        DISPID id;
        const member_desc* member;
    };
    struct name_entry {
        std::u16string folded;
        const member_desc* member;
    };
    // Own members first, then inherited ones; sorted stably, so the first match is the one
    // nearest in table order.
    std::vector<dispid_entry> by_dispid;
    std::vector<name_entry> by_name;

    // The first member with this id whose kind is in `flags`, own members before inherited.
    const member_desc* find(DISPID id, WORD flags) const noexcept;
    // Case-insensitive.
    const member_desc* find_name(const OLECHAR* name) const noexcept;
    // Any member with this id, for names and documentation.
    const member_desc* find_any(DISPID id) const noexcept;
};

// Builds the indexes; `base` must be complete. May throw std::bad_alloc.
void index_interface(interface_desc& desc);

}  // namespace com::automation

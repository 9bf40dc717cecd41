// Declaring a type library in C++: its name, LIBID, version and help string, the interfaces
// (from their member tables), enumerations and coclasses, and getting its ITypeLib.
//
//   // content_elements_lib.h
//   struct ContentElementsLib { static void declare(com::automation::type_library_builder&); };
//   // content_elements_lib.cpp
//   void ContentElementsLib::declare(com::automation::type_library_builder& lib)
//   {
//       lib.name(u"ContentElementsLib").libid(LIBID_ContentElements).version(1, 0)
//          .doc(u"ContentElements 1.0 Type Library");
//       lib.add_interface<IZCntElementBase>().add_interface<IZCntElementNote>();
//       lib.add_enum<ZeCntElementType>();  // declared with ZCNT_AUTOMATION_ENUM, or in full:
//       lib.add_enum<ZeCntElementType>(u"ZeCntElementType", GUID_NULL,
//                                      {{u"zeCntNote", zeCntNote}, {u"zeCntStamp", zeCntStamp}});
//       lib.add_coclass(u"ZCntNote", CLSID_ZCntNote,
//                       {implements<IZCntElementNote>(IMPLTYPEFLAG_FDEFAULT)});
//   }
//   // anywhere
//   com::ComPtr<ITypeLib> lib;  com::automation::get_type_library<ContentElementsLib>(lib.put());
//
// The library is built on first use and lives as long as the process; type infos count their
// references on the library's count. An interface whose traits name `using library = L;` gets
// L's type info from its dispatch_impl; any other gets a stand-alone one.
//
// Type information as reported:
//  - a dual interface is TKIND_DISPATCH with TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE; its
//    functions are its own members (FUNC_DISPATCH, [retval] as the function's type), and its
//    one implemented type is the base interface with a table, or IDispatch. The vtable view
//    (GetRefTypeOfImplType(-1)) is not provided: TYPE_E_ELEMENTNOTFOUND.
//  - parameters of an enumeration the library declares, of OLE_COLOR (stdole's alias of
//    VT_UI4) and of interfaces with a table are VT_USERDEFINED; other enumerations are VT_I4.
//  - enumerations are TKIND_ENUM with VAR_CONST VT_I4 constants, memids 0x40000000 + index;
//    coclasses are TKIND_COCLASS, TYPEFLAG_FCANCREATE, the first interface the default unless
//    one is marked IMPLTYPEFLAG_FDEFAULT.
//  - the library reports lcid 0 and SYS_WIN64: a 64-bit process with the 64-bit layouts.
//
// Registration (LoadRegTypeLib, RegisterTypeLib) belongs to the registry layer: it would keep
// LIBID → declaration entries and call get_type_library; find_type_library below is where it
// looks up libraries already built in this process.
#pragma once

#include <initializer_list>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/describe.h"
#include "platform/automation/enum_table.h"
#include "platform/automation/typeinfo.h"
#include "platform/com/result.h"

namespace com::automation {

struct implemented_interface {
    IID iid;
    describe_fn desc;  // null for interfaces without a table
    INT flags;         // IMPLTYPEFLAG_*
};

template <typename I>
implemented_interface implements(INT flags = 0)
{
    if constexpr (has_member_table<I>)
        return {com::iid_of<I>(), &describe<I>, flags};
    else
        return {com::iid_of<I>(), nullptr, flags};
}

class type_library;

// Collects a library's declaration; type_library builds from it. Every call may throw
// std::bad_alloc, which get_type_library turns into E_OUTOFMEMORY.
class type_library_builder {
public:
    type_library_builder& name(std::u16string_view text);
    type_library_builder& libid(REFGUID id);
    type_library_builder& version(WORD major, WORD minor);
    type_library_builder& doc(std::u16string_view text);
    type_library_builder& help_file(std::u16string_view path);

    template <typename I>
    type_library_builder& add_interface()
    {
        return add_described(&describe<I>);
    }
    template <typename E>
    type_library_builder& add_enum(std::u16string_view type_name, REFGUID guid,
                                   std::initializer_list<enum_constant> constants,
                                   std::u16string_view text = {})
    {
        static_assert(detail::enum32<E>, "add_enum takes an enum with a 32-bit underlying type");
        return add_enum_keyed(&type_key_of<E>::key, type_name, guid,
                              {constants.begin(), constants.size()}, text);
    }
    // An enumeration declared with ZCNT_AUTOMATION_ENUM: its name, GUID and constants.
    template <typename E>
        requires requires { enum_traits<E>::constants; }
    type_library_builder& add_enum()
    {
        using traits = enum_traits<E>;
        return add_enum_keyed(&type_key_of<E>::key, traits::name, traits::guid,
                              traits::constants, {});
    }
    type_library_builder& add_coclass(std::u16string_view type_name, REFCLSID clsid,
                                      std::initializer_list<implemented_interface> interfaces,
                                      std::u16string_view text = {},
                                      WORD type_flags = TYPEFLAG_FCANCREATE);
    // An interface described by name only, without functions (the system's own interfaces).
    type_library_builder& add_plain_interface(std::u16string_view type_name, REFIID iid,
                                              const IID* base);
    type_library_builder& add_alias(std::u16string_view type_name, REFGUID guid, VARTYPE vt);

    type_library_builder& add_described(describe_fn describe);
    type_library_builder& add_enum_keyed(const void* key, std::u16string_view type_name,
                                         REFGUID guid, std::span<const enum_constant> constants,
                                         std::u16string_view text);

private:
    friend class type_library;

    struct constant {
        std::u16string name, doc;
        LONG value;
    };
    struct coclass_interface {
        IID iid;
        describe_fn desc;
        INT flags;
    };
    struct type_decl {
        TYPEKIND kind = TKIND_DISPATCH;
        std::u16string name, doc;
        GUID guid{};
        describe_fn describe = nullptr;   // interfaces with a table
        const void* enum_key = nullptr;   // enumerations
        std::vector<constant> constants;  // enumerations
        std::vector<coclass_interface> interfaces;  // coclasses
        WORD type_flags = 0;
        VARTYPE alias_vt = VT_EMPTY;      // aliases
        bool has_base = false;            // plain interfaces
        IID base{};
    };

    std::u16string name_, doc_, help_file_;
    GUID libid_{};
    WORD major_ = 0, minor_ = 0;
    std::vector<type_decl> types_;
};

namespace detail {
// Builds a library from its declaration function; the library is never freed.
HRESULT build_library(void (*declare)(type_library_builder&), type_library** out) noexcept;
HRESULT library_type_info(type_library* lib, const interface_desc& desc, ITypeInfo** out) noexcept;
HRESULT library_interface(type_library* lib, ITypeLib** out) noexcept;

template <typename Lib>
HRESULT library_instance(type_library** out) noexcept
{
    // A failed build is tried again on the next call.
    static type_library* built = nullptr;
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    if (!built) RETURN_IF_FAILED(build_library(&Lib::declare, &built));
    *out = built;
    return S_OK;
}
}  // namespace detail

// The ITypeLib of a declared library, built on its first use.
template <typename Lib>
HRESULT get_type_library(ITypeLib** out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    type_library* lib = nullptr;
    RETURN_IF_FAILED(detail::library_instance<Lib>(&lib));
    return detail::library_interface(lib, out);
}

// The type info an interface reports: its library's when `Lib` is not void and declares it,
// else the stand-alone one.
template <typename I, typename Lib = void>
HRESULT get_type_info(ITypeInfo** out) noexcept;

// A stand-alone type info for an interface with a table, outside any declared library (it
// belongs to the process's library of stand-alone types, which has no name and LIBID
// GUID_NULL).
HRESULT standalone_type_info(const interface_desc& desc, ITypeInfo** out) noexcept;

// The libraries built so far in this process, by LIBID and major version (minor at least
// `minor`); TYPE_E_LIBNOTREGISTERED when none.
HRESULT find_type_library(REFGUID libid, WORD major, WORD minor, ITypeLib** out) noexcept;

template <typename I, typename Lib>
HRESULT get_type_info(ITypeInfo** out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    const interface_desc* desc = nullptr;
    RETURN_IF_FAILED(try_describe<I>(&desc));
    if constexpr (!std::is_void_v<Lib>) {
        type_library* lib = nullptr;
        if (SUCCEEDED(detail::library_instance<Lib>(&lib)) &&
            SUCCEEDED(detail::library_type_info(lib, *desc, out)))
            return S_OK;
    }
    return standalone_type_info(*desc, out);
}

}  // namespace com::automation

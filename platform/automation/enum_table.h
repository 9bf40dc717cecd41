// An enumeration declared once for C++ and for its type library: one list of enumerators makes
// both the enum and the table of names and values that type_library_builder::add_enum<E>() reads,
// so that an enumerator added to the list is in both.
//
//   #define ZE_STAMP_STYLES(X) X(zeCntStampStyleRectangle, 0) X(zeCntStampStyleOval, 1)
//   ZCNT_AUTOMATION_ENUM(ZeCntStampStyle, "{5C7C1E0A-3E0B-4D8C-9E43-7B4E51D9A005}",
//                        ZE_STAMP_STYLES)
//
// declares `enum ZeCntStampStyle : LONG { zeCntStampStyleRectangle = 0, … };` and
// enum_traits<ZeCntStampStyle> with the type's name, its GUID and the constants in list order.
#pragma once

#include <type_traits>

#include "platform/com/guid.h"
#include "platform/com/types.h"

namespace com::automation {

struct enum_constant {
    const char16_t* name;
    LONG value;
    const char16_t* doc = nullptr;

    template <typename V>
        requires(std::is_integral_v<V> || std::is_enum_v<V>)
    constexpr enum_constant(const char16_t* n, V v, const char16_t* d = nullptr)
        : name(n), value(static_cast<LONG>(v)), doc(d)
    {
    }
};

// Specialised by ZCNT_AUTOMATION_ENUM.
template <typename E>
struct enum_traits;

}  // namespace com::automation

#define ZCNT_AUTOMATION_U16_(text) u##text
#define ZCNT_AUTOMATION_U16(token) ZCNT_AUTOMATION_U16_(#token)
#define ZCNT_AUTOMATION_ENUMERATOR_(name, value) name = value,
#define ZCNT_AUTOMATION_CONSTANT_(name, value) \
    com::automation::enum_constant{ZCNT_AUTOMATION_U16(name), name},

#define ZCNT_AUTOMATION_ENUM(type, guid_text, list)                                      \
    enum type : LONG { list(ZCNT_AUTOMATION_ENUMERATOR_) };                              \
    template <>                                                                           \
    struct com::automation::enum_traits<type> {                                           \
        static constexpr const char16_t* name = ZCNT_AUTOMATION_U16(type);                \
        static constexpr GUID guid = com::make_guid(guid_text);                           \
        static constexpr enum_constant constants[] = {list(ZCNT_AUTOMATION_CONSTANT_)};  \
    };

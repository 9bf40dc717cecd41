// The function and variable descriptions that member tables and enumeration declarations make:
// every function of the test interfaces in table order, a property's one entry against an entry
// per side, and the constants of enumerations.
#include "tests/platform/typeinfo_fixture.h"

// An enumeration declared once for C++ and for a library, and the library.
#define TYPEINFO_TEST_FRUITS(X) X(tfApple, 0) X(tfPear, 5) X(tfQuince, -2)
ZCNT_AUTOMATION_ENUM(TypeInfoTestFruit, "{D15A7E51-0020-4000-8000-00000000D15A}",
                     TYPEINFO_TEST_FRUITS)
#undef TYPEINFO_TEST_FRUITS

struct TypeInfoTestFruitLib {
    static void declare(com::automation::type_library_builder& lib)
    {
        lib.name(u"FruitLib").add_enum<TypeInfoTestFruit>();
    }
};

// One interface whose table gives each property in one entry, and the same vtable with a table
// of one entry per side: both describe the same functions.
struct ITypeInfoTestPairs : IDispatch {
    static constexpr IID iid = com::make_guid("{D15A7E51-0021-4000-8000-00000000D15A}");
    using base = IDispatch;
    virtual HRESULT get_Size(LONG* value) noexcept = 0;
    virtual HRESULT put_Size(LONG value) noexcept = 0;
    virtual HRESULT get_Owner(IDispatch** value) noexcept = 0;
    virtual HRESULT putref_Owner(IDispatch* value) noexcept = 0;
    virtual HRESULT get_Cell(LONG row, LONG column, OLE_COLOR* value) noexcept = 0;
    virtual HRESULT put_Cell(LONG row, LONG column, OLE_COLOR value) noexcept = 0;
    virtual HRESULT get_Count(LONG* value) noexcept = 0;
};
struct ITypeInfoTestSides : ITypeInfoTestPairs {
    static constexpr IID iid = com::make_guid("{D15A7E51-0022-4000-8000-00000000D15A}");
    using base = IDispatch;  // its own table, not an extension of the other
};

template <>
struct com::automation::interface_traits<ITypeInfoTestPairs> {
    static constexpr const char16_t* name = u"ITypeInfoTestPairs";
    using I = ITypeInfoTestPairs;
    static constexpr auto members = member_table(
        property(u"Size", 1, &I::get_Size, &I::put_Size),
        ref_property(u"Owner", 2, &I::get_Owner, &I::putref_Owner),
        property(u"Cell", 4, &I::get_Cell, &I::put_Cell, {u"Row", u"Column"}, as_color<>, hidden),
        read_only_property(u"Count", 5, &I::get_Count));
};
template <>
struct com::automation::interface_traits<ITypeInfoTestSides> {
    static constexpr const char16_t* name = u"ITypeInfoTestSides";
    using I = ITypeInfoTestSides;
    static constexpr auto members = member_table(
        propget(u"Size", 1, &I::get_Size), propput(u"Size", 1, &I::put_Size),
        propget(u"Owner", 2, &I::get_Owner), propputref(u"Owner", 2, &I::putref_Owner),
        propget(u"Cell", 4, &I::get_Cell, {u"Row", u"Column"}, as_color<>, hidden),
        propput(u"Cell", 4, &I::put_Cell, {u"Row", u"Column"}, as_color<>, hidden),
        propget(u"Count", 5, &I::get_Count));
};

namespace {

using namespace typeinfo_test;

// Each function in table order: a [retval] is the function's type, an enumeration the library
// declares, an OLE_COLOR and an interface with a table are user-defined types, an enumeration
// the library does not declare is a plain I4.
TEST_F(TypeInfo, FunctionDescriptionsFollowTheTable)
{
    const std::vector<std::string> base_functions = {
        "func 0x1 (I4 in, I4 in, I4 in, I4 in) -> VOID",
        "func 0x2 (*I4 out, *I4 out, *I4 out, *I4 out) -> VOID", "func 0x3 () -> VOID",
        "get 0x4 () -> I2", "put 0x4 (I2 in) -> VOID",
        "get 0x5 () -> BOOL", "get 0x6 () -> DispatchTestShape",
        "put 0x6 (DispatchTestShape in) -> VOID", "get 0x7 () -> BSTR",
        "put 0x7 (BSTR in) -> VOID", "get 0x8 () -> I4",
        "func 0x9 (*IDispatchTestBase in) -> VOID",
    };
    EXPECT_EQ(signatures(base.get()), base_functions);
    const std::vector<std::string> own_functions = {
        "get 0x15 () -> OLE_COLOR", "put 0x15 (OLE_COLOR in) -> VOID",
        "get 0x16 () -> R4", "put 0x16 (R4 in) -> VOID",
        "get 0x17 () -> R8", "put 0x17 (R8 in) -> VOID",
        "get 0x18 () -> BOOL", "put 0x18 (BOOL in) -> VOID",
        "get 0x19 () -> VARIANT", "put 0x19 (VARIANT in) -> VOID",
        "get 0x1A () -> DISPATCH", "putref 0x1A (DISPATCH in) -> VOID",
        "func 0x1B (UNKNOWN in) -> VOID", "func 0x1C (OLE_COLOR in, R8 in opt=R8 0.5) -> OLE_COLOR",
        "func 0x1D (I4 in) -> VOID", "func 0x1E (*I4 out, *BSTR out) -> VOID",
        "func 0x1F (BSTR in, I4 in opt=I4 3, BOOL in opt=BOOL 0) -> BSTR",
        "func 0x20 (VARIANT in, *VARIANT in opt) -> VARIANT, 1 optional",
        "get 0x0 (I4 in) -> VARIANT", "put 0x0 (I4 in, VARIANT in) -> VOID",
        "get 0xFFFFFFFC () -> UNKNOWN, restricted, hidden", "get 0x21 () -> DATE",
        "put 0x21 (DATE in) -> VOID", "get 0x22 () -> CY",
        "put 0x22 (CY in) -> VOID", "func 0x23 (*IDispatchTestBase in) -> BOOL",
        "func 0x24 (UI1 in, UI2 in, UI4 in, I2 in, R4 in, I8 in, R8 in, I4 in, I4 in opt=I4 7) "
        "-> R8", "get 0x25 () -> I4, restricted",
        "func 0x26 () -> *IDispatchTestOther",
    };
    EXPECT_EQ(signatures(all.get()), own_functions);

    // OLE_COLOR is stdole's alias of VT_UI4.
    FUNCDESC* colour = nullptr;
    ASSERT_EQ(all->GetFuncDesc(1, &colour), S_OK);
    com::ComPtr<ITypeInfo> alias;
    ASSERT_EQ(all->GetRefTypeInfo(colour->lprgelemdescParam[0].tdesc.hreftype, alias.put()), S_OK);
    all->ReleaseFuncDesc(colour);
    const TYPEATTR attr = attr_of(alias.get());
    EXPECT_EQ(std::tuple(attr.typekind, attr.tdescAlias.vt), std::tuple(TKIND_ALIAS, VT_UI4));
    com::ComPtr<ITypeInfo> none;
    EXPECT_EQ(all->GetRefTypeInfo(999, none.put()), TYPE_E_ELEMENTNOTFOUND);
}

TEST_F(TypeInfo, OnePropertyEntryDescribesWhatAnEntryPerSideDoes)
{
    com::ComPtr<ITypeInfo> pairs, sides;
    ASSERT_EQ(com::automation::get_type_info<ITypeInfoTestPairs>(pairs.put()), S_OK);
    ASSERT_EQ(com::automation::get_type_info<ITypeInfoTestSides>(sides.put()), S_OK);
    const std::vector<std::string> described = signatures(pairs.get());
    EXPECT_EQ(described, signatures(sides.get()));
    ASSERT_EQ(described.size(), 7u);
    EXPECT_EQ(described[3], "putref 0x2 (DISPATCH in) -> VOID");
    EXPECT_EQ(described[5], "put 0x4 (I4 in, I4 in, OLE_COLOR in) -> VOID, hidden");
    EXPECT_EQ(described[6], "get 0x5 () -> I4");
    BSTR names[3] = {};
    UINT count = 0;
    ASSERT_EQ(pairs->GetNames(4, names, 3, &count), S_OK);
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(com::bstr_view(names[2]), u"Column");
    for (BSTR n : names) SysFreeString(n);
}

// The constants of an enumeration declared in full and of one declared with
// ZCNT_AUTOMATION_ENUM.
TEST_F(TypeInfo, EnumerationConstants)
{
    com::ComPtr<ITypeLib> fruit_lib;
    ASSERT_EQ(com::automation::get_type_library<TypeInfoTestFruitLib>(fruit_lib.put()), S_OK);
    com::ComPtr<ITypeInfo> fruit;
    ASSERT_EQ(fruit_lib->GetTypeInfoOfGuid(
                  com::automation::enum_traits<TypeInfoTestFruit>::guid, fruit.put()),
              S_OK);
    struct case_ {
        com::ComPtr<ITypeInfo> info;
        const char16_t* name;
        std::vector<std::pair<std::u16string, LONG>> constants;
    };
    const case_ cases[] = {
        {info_of_guid(GUID_DispatchTestShape), u"DispatchTestShape",
         {{u"dtsNone", dtsNone}, {u"dtsCircle", dtsCircle}, {u"dtsSquare", dtsSquare}}},
        {fruit, u"TypeInfoTestFruit", {{u"tfApple", tfApple}, {u"tfPear", tfPear},
                                        {u"tfQuince", tfQuince}}},
    };
    for (const case_& k : cases) {
        ASSERT_TRUE(k.info);
        EXPECT_EQ(name_of(k.info.get()), k.name);
        const TYPEATTR attr = attr_of(k.info.get());
        EXPECT_EQ(std::tuple(attr.typekind, std::size_t{attr.cVars}, attr.cFuncs),
                  std::tuple(TKIND_ENUM, k.constants.size(), 0));
        for (UINT i = 0; i < k.constants.size(); ++i) {
            VARDESC* var = nullptr;
            ASSERT_EQ(k.info->GetVarDesc(i, &var), S_OK);
            EXPECT_EQ(var->varkind, VAR_CONST);
            ASSERT_NE(var->lpvarValue, nullptr);
            EXPECT_EQ(var->lpvarValue->vt, VT_I4);
            EXPECT_EQ(var->lpvarValue->lVal, k.constants[i].second);
            EXPECT_EQ(name_of(k.info.get(), var->memid), k.constants[i].first);
            k.info->ReleaseVarDesc(var);
        }
        VARDESC* var = nullptr;
        EXPECT_EQ(k.info->GetVarDesc(3, &var), TYPE_E_ELEMENTNOTFOUND);
    }

    com::ComPtr<ITypeInfo> shape = info_of_guid(GUID_DispatchTestShape);
    LPOLESTR names[] = {const_cast<LPOLESTR>(u"DTSCIRCLE")};
    MEMBERID id = 0;
    ASSERT_EQ(shape->GetIDsOfNames(names, 1, &id), S_OK);
    std::u16string doc;
    name_of(shape.get(), id, &doc);
    EXPECT_EQ(doc, u"Round");
}

}  // namespace

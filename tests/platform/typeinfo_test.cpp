// ITypeInfo and ITypeLib built from member tables and a library declaration: attributes,
// function and variable descriptions, names, references, documentation, and what is left out.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/automation/typeinfo.h"
#include "tests/platform/dispatch_test_object.h"

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

using namespace dispatch_test;

com::ComPtr<ITypeInfo> info_of_guid(REFGUID guid)
{
    com::ComPtr<ITypeLib> lib;
    com::ComPtr<ITypeInfo> info;
    if (SUCCEEDED(com::automation::get_type_library<DispatchTestLib>(lib.put())))
        lib->GetTypeInfoOfGuid(guid, info.put());
    return info;
}

// The name and help string GetDocumentation gives, "<none>" when it fails.
std::u16string name_of(ITypeInfo* info, MEMBERID id = MEMBERID_NIL, std::u16string* doc = nullptr)
{
    BSTR name = nullptr, text = nullptr;
    if (FAILED(info->GetDocumentation(id, &name, doc ? &text : nullptr, nullptr, nullptr)))
        return u"<none>";
    std::u16string out(com::bstr_view(name));
    if (doc) doc->assign(com::bstr_view(text));
    SysFreeString(name);
    SysFreeString(text);
    return out;
}

// A function description in words: "get 0x15 () -> OLE_COLOR", parameters with their flags and
// defaults, the number of optional ones and the function flags when there are any.
std::string text_of(const std::u16string& s) { return std::string(s.begin(), s.end()); }

std::string type_text(ITypeInfo* info, const TYPEDESC& t)
{
    if (t.vt == VT_PTR) return type_text(info, *t.lptdesc).insert(0, 1, '*');
    if (t.vt == VT_USERDEFINED) {
        com::ComPtr<ITypeInfo> target;
        if (FAILED(info->GetRefTypeInfo(t.hreftype, target.put()))) return "<none>";
        return text_of(name_of(target.get()));
    }
    static const std::pair<VARTYPE, const char*> names[] = {
        {VT_I2, "I2"},    {VT_I4, "I4"},     {VT_I8, "I8"},       {VT_UI1, "UI1"},
        {VT_UI2, "UI2"},  {VT_UI4, "UI4"},   {VT_R4, "R4"},       {VT_R8, "R8"},
        {VT_CY, "CY"},    {VT_DATE, "DATE"}, {VT_BSTR, "BSTR"},   {VT_BOOL, "BOOL"},
        {VT_VOID, "VOID"}, {VT_VARIANT, "VARIANT"}, {VT_DISPATCH, "DISPATCH"},
        {VT_UNKNOWN, "UNKNOWN"}};
    for (const auto& [vt, name] : names)
        if (vt == t.vt) return name;
    return std::to_string(t.vt);
}

std::string signature(ITypeInfo* info, const FUNCDESC& f)
{
    const char* kinds[] = {"", "func", "get", "", "put", "", "", "", "putref"};
    char id[16];
    std::snprintf(id, sizeof id, "0x%X", static_cast<unsigned>(f.memid));
    std::string out = kinds[f.invkind];
    out.append(" ").append(id).append(" (");
    for (SHORT k = 0; k < f.cParams; ++k) {
        const ELEMDESC& p = f.lprgelemdescParam[k];
        const USHORT flags = p.paramdesc.wParamFlags;
        if (k) out += ", ";
        out += type_text(info, p.tdesc);
        if (flags & PARAMFLAG_FIN) out += " in";
        if (flags & PARAMFLAG_FOUT) out += " out";
        if (flags & PARAMFLAG_FOPT) out += " opt";
        if ((flags & PARAMFLAG_FHASDEFAULT) && p.paramdesc.pparamdescex) {
            com::Variant text;
            VariantChangeType(text.get(), &p.paramdesc.pparamdescex->varDefaultValue, 0, VT_BSTR);
            out += '=';
            out += type_text(info, TYPEDESC{{}, p.paramdesc.pparamdescex->varDefaultValue.vt});
            out += ' ';
            out += text_of(std::u16string(com::bstr_view(text->bstrVal)));
        }
    }
    out += ") -> ";
    out += type_text(info, f.elemdescFunc.tdesc);
    if (f.cParamsOpt) out.append(", ").append(std::to_string(f.cParamsOpt)).append(" optional");
    if (f.wFuncFlags & FUNCFLAG_FRESTRICTED) out += ", restricted";
    if (f.wFuncFlags & FUNCFLAG_FHIDDEN) out += ", hidden";
    return out;
}

// Every function of a type in order, in words; all are dispatch functions.
std::vector<std::string> signatures(ITypeInfo* info)
{
    std::vector<std::string> out;
    FUNCDESC* f = nullptr;
    for (UINT k = 0; SUCCEEDED(info->GetFuncDesc(k, &f)); ++k) {
        EXPECT_EQ(f->funckind, FUNC_DISPATCH);
        EXPECT_EQ(f->callconv, CC_STDCALL);
        out.push_back(signature(info, *f));
        info->ReleaseFuncDesc(f);
    }
    return out;
}

class TypeInfo : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Built once before counting, so that the first use does not count as a leak.
        all = info_of_guid(IDispatchTestAll::iid);
        base = info_of_guid(IDispatchTestBase::iid);
        ASSERT_TRUE(all && base);
        all->GetContainingTypeLib(lib.put(), nullptr);
        ASSERT_TRUE(lib);
        bstrs_ = com::bstr_live_count();
        lib_refs_ = ref_count(lib.get());
    }
    void TearDown() override
    {
        EXPECT_EQ(com::bstr_live_count(), bstrs_);
        EXPECT_EQ(ref_count(lib.get()), lib_refs_) << "type infos count on their library";
    }

    com::ComPtr<ITypeInfo> all, base;
    com::ComPtr<ITypeLib> lib;
    long bstrs_ = 0;
    ULONG lib_refs_ = 0;
};

TEST_F(TypeInfo, DualInterfaceAttributes)
{
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(all->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, IDispatchTestAll::iid);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    EXPECT_EQ(attr->wTypeFlags, TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE);
    EXPECT_EQ(attr->cFuncs, 29);
    EXPECT_EQ(attr->cVars, 0);
    EXPECT_EQ(attr->cImplTypes, 1);
    EXPECT_EQ(attr->lcid, 0u);
    EXPECT_EQ(attr->memidConstructor, MEMBERID_NIL);
    all->ReleaseTypeAttr(attr);

    ASSERT_EQ(base->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->cFuncs, 12);
    base->ReleaseTypeAttr(attr);
    EXPECT_EQ(all->GetTypeAttr(nullptr), E_INVALIDARG);
    FUNCDESC* out_of_range = reinterpret_cast<FUNCDESC*>(0x1);
    EXPECT_EQ(all->GetFuncDesc(29, &out_of_range), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(out_of_range, nullptr);
    VARDESC* var = nullptr;
    EXPECT_EQ(all->GetVarDesc(0, &var), TYPE_E_ELEMENTNOTFOUND);
}

// Each function in table order: a [retval] is the function's type, an enumeration the library
// declares, an OLE_COLOR and an interface with a table are user-defined types, an enumeration
// the library does not declare is a plain I4.
TEST_F(TypeInfo, FunctionDescriptionsFollowTheTable)
{
    const std::vector<std::string> base_functions = {
        "func 0x1 (I4 in, I4 in, I4 in, I4 in) -> VOID",
        "func 0x2 (*I4 out, *I4 out, *I4 out, *I4 out) -> VOID",
        "func 0x3 () -> VOID",
        "get 0x4 () -> I2",
        "put 0x4 (I2 in) -> VOID",
        "get 0x5 () -> BOOL",
        "get 0x6 () -> DispatchTestShape",
        "put 0x6 (DispatchTestShape in) -> VOID",
        "get 0x7 () -> BSTR",
        "put 0x7 (BSTR in) -> VOID",
        "get 0x8 () -> I4",
        "func 0x9 (*IDispatchTestBase in) -> VOID",
    };
    EXPECT_EQ(signatures(base.get()), base_functions);
    const std::vector<std::string> own_functions = {
        "get 0x15 () -> OLE_COLOR",
        "put 0x15 (OLE_COLOR in) -> VOID",
        "get 0x16 () -> R4",
        "put 0x16 (R4 in) -> VOID",
        "get 0x17 () -> R8",
        "put 0x17 (R8 in) -> VOID",
        "get 0x18 () -> BOOL",
        "put 0x18 (BOOL in) -> VOID",
        "get 0x19 () -> VARIANT",
        "put 0x19 (VARIANT in) -> VOID",
        "get 0x1A () -> DISPATCH",
        "putref 0x1A (DISPATCH in) -> VOID",
        "func 0x1B (UNKNOWN in) -> VOID",
        "func 0x1C (OLE_COLOR in, R8 in opt=R8 0.5) -> OLE_COLOR",
        "func 0x1D (I4 in) -> VOID",
        "func 0x1E (*I4 out, *BSTR out) -> VOID",
        "func 0x1F (BSTR in, I4 in opt=I4 3, BOOL in opt=BOOL 0) -> BSTR",
        "func 0x20 (VARIANT in, *VARIANT in opt) -> VARIANT, 1 optional",
        "get 0x0 (I4 in) -> VARIANT",
        "put 0x0 (I4 in, VARIANT in) -> VOID",
        "get 0xFFFFFFFC () -> UNKNOWN, restricted, hidden",
        "get 0x21 () -> DATE",
        "put 0x21 (DATE in) -> VOID",
        "get 0x22 () -> CY",
        "put 0x22 (CY in) -> VOID",
        "func 0x23 (*IDispatchTestBase in) -> BOOL",
        "func 0x24 (UI1 in, UI2 in, UI4 in, I2 in, R4 in, I8 in, R8 in, I4 in, I4 in opt=I4 7) "
        "-> R8",
        "get 0x25 () -> I4, restricted",
        "func 0x26 () -> *IDispatchTestOther",
    };
    EXPECT_EQ(signatures(all.get()), own_functions);

    // OLE_COLOR is stdole's alias of VT_UI4.
    FUNCDESC* colour = nullptr;
    ASSERT_EQ(all->GetFuncDesc(1, &colour), S_OK);
    com::ComPtr<ITypeInfo> alias;
    ASSERT_EQ(all->GetRefTypeInfo(colour->lprgelemdescParam[0].tdesc.hreftype, alias.put()), S_OK);
    all->ReleaseFuncDesc(colour);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(alias->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_ALIAS);
    EXPECT_EQ(attr->tdescAlias.vt, VT_UI4);
    alias->ReleaseTypeAttr(attr);
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

TEST_F(TypeInfo, NamesOfFunctionsAndParameters)
{
    BSTR names[6] = {};
    UINT count = 0;
    ASSERT_EQ(all->GetNames(1, names, 6, &count), S_OK) << "inherited members too";
    ASSERT_EQ(count, 5u);
    EXPECT_EQ(com::bstr_view(names[0]), u"SetPosition");
    EXPECT_EQ(com::bstr_view(names[4]), u"Height");
    for (UINT i = 0; i < count; ++i) SysFreeString(names[i]);

    ASSERT_EQ(all->GetNames(1, names, 2, &count), S_OK);
    EXPECT_EQ(count, 2u);
    SysFreeString(names[0]);
    SysFreeString(names[1]);

    EXPECT_EQ(all->GetNames(0x7777, names, 6, &count), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(all->GetNames(1, names, 6, nullptr), E_INVALIDARG);
}

TEST_F(TypeInfo, DocumentationOfTypesAndMembers)
{
    BSTR name = nullptr, text = nullptr, file = reinterpret_cast<BSTR>(0x1);
    DWORD context = 5;
    ASSERT_EQ(base->GetDocumentation(MEMBERID_NIL, &name, &text, &context, &file), S_OK);
    EXPECT_EQ(com::bstr_view(name), u"IDispatchTestBase");
    EXPECT_EQ(com::bstr_view(text), u"An element with a position");
    EXPECT_EQ(context, 0u);
    EXPECT_EQ(file, nullptr);
    SysFreeString(name);
    SysFreeString(text);

    std::u16string doc;
    EXPECT_EQ(name_of(all.get(), 1, &doc), u"SetPosition");
    EXPECT_EQ(doc, u"Moves and sizes the element");
    EXPECT_EQ(all->GetDocumentation(0x7777, &name, nullptr, nullptr, nullptr),
              TYPE_E_ELEMENTNOTFOUND);
}

TEST_F(TypeInfo, ImplementedTypeIsTheBaseInterface)
{
    HREFTYPE ref = 77;
    ASSERT_EQ(all->GetRefTypeOfImplType(0, &ref), S_OK);
    com::ComPtr<ITypeInfo> parent;
    ASSERT_EQ(all->GetRefTypeInfo(ref, parent.put()), S_OK);
    EXPECT_EQ(parent, base);
    INT flags = -1;
    EXPECT_EQ(all->GetImplTypeFlags(0, &flags), S_OK);
    EXPECT_EQ(flags, 0);
    EXPECT_EQ(all->GetRefTypeOfImplType(1, &ref), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(all->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref), TYPE_E_ELEMENTNOTFOUND)
        << "the vtable view is not provided";

    ASSERT_EQ(base->GetRefTypeOfImplType(0, &ref), S_OK);
    com::ComPtr<ITypeInfo> dispatch;
    ASSERT_EQ(base->GetRefTypeInfo(ref, dispatch.put()), S_OK);
    EXPECT_EQ(name_of(dispatch.get()), u"IDispatch");
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(dispatch->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
    EXPECT_EQ(attr->guid, IDispatch::iid);
    EXPECT_EQ(attr->cImplTypes, 1) << "IUnknown";
    dispatch->ReleaseTypeAttr(attr);
    com::ComPtr<ITypeLib> stdole;
    ASSERT_EQ(dispatch->GetContainingTypeLib(stdole.put(), nullptr), S_OK);
    BSTR lib_name = nullptr;
    ASSERT_EQ(stdole->GetDocumentation(-1, &lib_name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(com::bstr_view(lib_name), u"stdole");
    SysFreeString(lib_name);
}

TEST_F(TypeInfo, IdsOfNamesAndInvokeThroughTheTypeInfo)
{
    LPOLESTR names[] = {const_cast<LPOLESTR>(u"setposition"), const_cast<LPOLESTR>(u"WIDTH")};
    MEMBERID ids[2] = {};
    ASSERT_EQ(all->GetIDsOfNames(names, 2, ids), S_OK);
    EXPECT_EQ(ids[0], 1);
    EXPECT_EQ(ids[1], 2);

    com::ComPtr<IDispatch> disp;
    CDispatchTest* obj = nullptr;
    ASSERT_EQ(make_test_object(&disp, &obj), S_OK);
    args a{vi4(6), vi4(7), vi4(8), vi4(9)};
    // The instance may be any interface of the object: it is asked for the described one.
    IUnknown* unknown = obj->identity();
    ASSERT_EQ(all->Invoke(unknown, 1, DISPATCH_METHOD, a.params(), nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(obj->left, 6);
    EXPECT_EQ(obj->height, 9);
    EXPECT_EQ(all->Invoke(nullptr, 1, DISPATCH_METHOD, a.params(), nullptr, nullptr, nullptr),
              E_INVALIDARG);
    disp = nullptr;
    EXPECT_EQ(g_alive, 0);
}

TEST_F(TypeInfo, DispatchImplHandsOutTheLibrarysTypeInfoOrAStandAloneOne)
{
    com::ComPtr<IDispatch> disp;
    ASSERT_EQ(make_test_object(&disp, nullptr), S_OK);
    com::ComPtr<ITypeInfo> from_object;
    ASSERT_EQ(disp->GetTypeInfo(0, 0, from_object.put()), S_OK);
    EXPECT_EQ(from_object, all);
    UINT index = 99;
    com::ComPtr<ITypeLib> containing;
    ASSERT_EQ(from_object->GetContainingTypeLib(containing.put(), &index), S_OK);
    EXPECT_EQ(containing, lib);
    EXPECT_EQ(index, 1u);

    // The second dual interface is in no library.
    com::ComPtr<IDispatchTestOther> other;
    ASSERT_EQ(disp->QueryInterface(IDispatchTestOther::iid, other.put_void()), S_OK);
    com::ComPtr<ITypeInfo> info;
    ASSERT_EQ(other->GetTypeInfo(0, 0, info.put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, IDispatchTestOther::iid);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    EXPECT_EQ(attr->cFuncs, 2);
    info->ReleaseTypeAttr(attr);
    EXPECT_EQ(name_of(info.get()), u"IDispatchTestOther");
    com::ComPtr<ITypeLib> standalone;
    ASSERT_EQ(info->GetContainingTypeLib(standalone.put(), nullptr), S_OK);
    EXPECT_NE(standalone, lib);
    TLIBATTR* lib_attr = nullptr;
    ASSERT_EQ(standalone->GetLibAttr(&lib_attr), S_OK);
    EXPECT_EQ(lib_attr->guid, GUID_NULL);
    standalone->ReleaseTLibAttr(lib_attr);
    com::ComPtr<ITypeInfo> direct;
    ASSERT_EQ((com::automation::get_type_info<IDispatchTestOther>(direct.put())), S_OK);
    EXPECT_EQ(direct, info) << "one stand-alone type info per interface";
    from_object = nullptr;
    containing = nullptr;
    other = nullptr;
    disp = nullptr;
    EXPECT_EQ(g_alive, 0);
}

TEST_F(TypeInfo, LibraryAttributesDocumentationAndTypesInDeclarationOrder)
{
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, LIBID_DispatchTest);
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 2);
    EXPECT_EQ(attr->lcid, 0u);
    EXPECT_EQ(attr->syskind, SYS_WIN64);
    lib->ReleaseTLibAttr(attr);

    struct type_ {
        TYPEKIND kind;
        const char16_t* name;
        const char16_t* doc;
    };
    const type_ types[] = {
        {TKIND_MAX, u"DispatchTestLib", u"Dispatch tests"},  // the library itself, index -1
        {TKIND_DISPATCH, u"IDispatchTestBase", u"An element with a position"},
        {TKIND_DISPATCH, u"IDispatchTestAll", u""},
        {TKIND_ENUM, u"DispatchTestShape", u""},
        {TKIND_COCLASS, u"DispatchTest", u"The test object"},
    };
    ASSERT_EQ(lib->GetTypeInfoCount(), 4u);
    for (INT i = -1; i < 4; ++i) {
        const type_& t = types[i + 1];
        BSTR name = nullptr, text = nullptr;
        ASSERT_EQ(lib->GetDocumentation(i, &name, &text, nullptr, nullptr), S_OK);
        EXPECT_EQ(com::bstr_view(name), t.name);
        EXPECT_EQ(com::bstr_view(text), t.doc);
        SysFreeString(name);
        SysFreeString(text);
        if (i < 0) continue;
        TYPEKIND kind = TKIND_MAX;
        ASSERT_EQ(lib->GetTypeInfoType(i, &kind), S_OK);
        EXPECT_EQ(kind, t.kind);
        com::ComPtr<ITypeInfo> info;
        ASSERT_EQ(lib->GetTypeInfo(i, info.put()), S_OK);
        EXPECT_EQ(name_of(info.get()), t.name);
    }
    BSTR name = nullptr;
    EXPECT_EQ(lib->GetDocumentation(4, &name, nullptr, nullptr, nullptr), TYPE_E_ELEMENTNOTFOUND);
    com::ComPtr<ITypeInfo> info;
    EXPECT_EQ(lib->GetTypeInfo(4, info.put()), TYPE_E_ELEMENTNOTFOUND);
    TYPEKIND kind;
    EXPECT_EQ(lib->GetTypeInfoType(4, &kind), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(lib->GetTypeInfoOfGuid(CLSID_NULL, info.put()), TYPE_E_ELEMENTNOTFOUND);
    ASSERT_EQ(lib->GetTypeInfoOfGuid(CLSID_DispatchTest, info.put()), S_OK);
    EXPECT_EQ(name_of(info.get()), u"DispatchTest");
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
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(k.info->GetTypeAttr(&attr), S_OK);
        EXPECT_EQ(attr->typekind, TKIND_ENUM);
        EXPECT_EQ(attr->cVars, k.constants.size());
        EXPECT_EQ(attr->cFuncs, 0);
        k.info->ReleaseTypeAttr(attr);
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

TEST_F(TypeInfo, CoclassListsItsInterfacesWithTheDefault)
{
    com::ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(CLSID_DispatchTest, coclass.put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    EXPECT_EQ(attr->cImplTypes, 2);
    EXPECT_EQ(attr->wTypeFlags, TYPEFLAG_FCANCREATE);
    coclass->ReleaseTypeAttr(attr);

    const INT flags[] = {IMPLTYPEFLAG_FDEFAULT, 0};
    const char16_t* names[] = {u"IDispatchTestAll", u"IDispatchTestOther"};
    for (UINT i = 0; i < 2; ++i) {
        INT f = -1;
        ASSERT_EQ(coclass->GetImplTypeFlags(i, &f), S_OK);
        EXPECT_EQ(f, flags[i]);
        HREFTYPE ref = 0;
        ASSERT_EQ(coclass->GetRefTypeOfImplType(i, &ref), S_OK);
        com::ComPtr<ITypeInfo> target;
        ASSERT_EQ(coclass->GetRefTypeInfo(ref, target.put()), S_OK);
        EXPECT_EQ(name_of(target.get()), names[i]);
    }
    INT f = 0;
    EXPECT_EQ(coclass->GetImplTypeFlags(2, &f), TYPE_E_ELEMENTNOTFOUND);

    void* object = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(coclass->CreateInstance(nullptr, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(all->CreateInstance(nullptr, IID_IUnknown, &object), TYPE_E_BADMODULEKIND);
}

TEST_F(TypeInfo, LibraryNamesAreFoundIgnoringCase)
{
    OLECHAR buffer[] = u"idispatchtestall";
    BOOL found = FALSE;
    ASSERT_EQ(lib->IsName(buffer, 0, &found), S_OK);
    EXPECT_TRUE(found);
    EXPECT_EQ(std::u16string_view(buffer), u"IDispatchTestAll") << "the library's spelling";
    OLECHAR member[] = u"blend";
    ASSERT_EQ(lib->IsName(member, 0, &found), S_OK);
    EXPECT_TRUE(found);
    OLECHAR missing[] = u"Nowhere";
    ASSERT_EQ(lib->IsName(missing, 0, &found), S_OK);
    EXPECT_FALSE(found);

    ITypeInfo* infos[4] = {};
    MEMBERID ids[4] = {};
    USHORT count = 4;
    OLECHAR setposition[] = u"SETPOSITION";
    ASSERT_EQ(lib->FindName(setposition, 0, infos, ids, &count), S_OK);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(ids[0], 1);
    EXPECT_EQ(infos[0], base.get());
    infos[0]->Release();
}

TEST_F(TypeInfo, UnprovidedMembersSayNotImplementedAndOnlyTheTypeInterfacesAnswer)
{
    ITypeComp* comp = reinterpret_cast<ITypeComp*>(0x1);
    EXPECT_EQ(all->GetTypeComp(&comp), E_NOTIMPL);
    EXPECT_EQ(comp, nullptr);
    EXPECT_EQ(lib->GetTypeComp(&comp), E_NOTIMPL);
    BSTR dll = nullptr, name = nullptr, mops = nullptr;
    WORD ordinal = 0;
    EXPECT_EQ(all->GetDllEntry(1, INVOKE_FUNC, &dll, &name, &ordinal), E_NOTIMPL);
    void* address = nullptr;
    EXPECT_EQ(all->AddressOfMember(1, INVOKE_FUNC, &address), E_NOTIMPL);
    EXPECT_EQ(all->GetMops(1, &mops), E_NOTIMPL);
    EXPECT_EQ(dll, nullptr);
    EXPECT_EQ(mops, nullptr);

    com::ComPtr<ITypeInfo> again;
    EXPECT_EQ(all->QueryInterface(IID_ITypeInfo, again.put_void()), S_OK);
    EXPECT_EQ(again, all);
    com::ComPtr<IUnknown> unknown;
    EXPECT_EQ(all->QueryInterface(IID_ITypeLib, unknown.put_void()), E_NOINTERFACE);
    EXPECT_EQ(lib->QueryInterface(IID_ITypeInfo, unknown.put_void()), E_NOINTERFACE);
}

TEST_F(TypeInfo, BuiltLibrariesAreFoundByLibid)
{
    com::ComPtr<ITypeLib> found;
    ASSERT_EQ(com::automation::find_type_library(LIBID_DispatchTest, 1, 0, found.put()), S_OK);
    EXPECT_EQ(found, lib);
    EXPECT_EQ(com::automation::find_type_library(LIBID_DispatchTest, 1, 3, found.put()),
              TYPE_E_LIBNOTREGISTERED);
    EXPECT_EQ(com::automation::find_type_library(LIBID_DispatchTest, 2, 0, found.put()),
              TYPE_E_LIBNOTREGISTERED);
}

}  // namespace

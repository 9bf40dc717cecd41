// ITypeInfo and ITypeLib built from member tables and a library declaration: attributes,
// names, references, documentation, the library's types, and what is left out.
#include "tests/platform/typeinfo_fixture.h"

#include <string_view>

namespace {

using namespace typeinfo_test;

TEST_F(TypeInfo, DualInterfaceAttributes)
{
    const TYPEATTR a = attr_of(all.get());
    EXPECT_EQ(a.guid, IDispatchTestAll::iid);
    EXPECT_EQ(std::tuple(a.typekind, a.wTypeFlags, a.cFuncs, a.cVars, a.cImplTypes, a.lcid,
                         a.memidConstructor),
              std::tuple(TKIND_DISPATCH, TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE, 29, 0, 1, 0u,
                         MEMBERID_NIL));
    EXPECT_EQ(attr_of(base.get()).cFuncs, 12);
    EXPECT_EQ(all->GetTypeAttr(nullptr), E_INVALIDARG);
    FUNCDESC* out_of_range = reinterpret_cast<FUNCDESC*>(0x1);
    EXPECT_EQ(all->GetFuncDesc(29, &out_of_range), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(out_of_range, nullptr);
    VARDESC* var = nullptr;
    EXPECT_EQ(all->GetVarDesc(0, &var), TYPE_E_ELEMENTNOTFOUND);
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
    const TYPEATTR attr = attr_of(dispatch.get());
    EXPECT_EQ(attr.guid, IDispatch::iid);
    EXPECT_EQ(std::tuple(attr.typekind, attr.cImplTypes), std::tuple(TKIND_INTERFACE, 1))
        << "IUnknown";
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
    const TYPEATTR attr = attr_of(info.get());
    EXPECT_EQ(attr.guid, IDispatchTestOther::iid);
    EXPECT_EQ(std::tuple(attr.typekind, attr.cFuncs), std::tuple(TKIND_DISPATCH, 2));
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

TEST_F(TypeInfo, LibraryAttributesDocumentationTypesInDeclarationOrderAndLookupByLibid)
{
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(std::tuple(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind),
              std::tuple(LIBID_DispatchTest, 1, 2, 0u, SYS_WIN64));
    lib->ReleaseTLibAttr(attr);

    struct type_ {
        TYPEKIND kind;
        const char16_t* name;
        const char16_t* doc;
    };
    const type_ types[] = {
        {TKIND_MAX, u"DispatchTestLib", u"Dispatch tests"},  // the library itself, index -1
        {TKIND_DISPATCH, u"IDispatchTestBase", u"An element with a position"},
        {TKIND_DISPATCH, u"IDispatchTestAll", u""}, {TKIND_ENUM, u"DispatchTestShape", u""},
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

    // Built libraries are found by their id and a version they satisfy.
    com::ComPtr<ITypeLib> found;
    ASSERT_EQ(com::automation::find_type_library(LIBID_DispatchTest, 1, 0, found.put()), S_OK);
    EXPECT_EQ(found, lib);
    for (auto [major, minor] : {std::pair<WORD, WORD>{1, 3}, {2, 0}})
        EXPECT_EQ(com::automation::find_type_library(LIBID_DispatchTest, major, minor, found.put()),
                  TYPE_E_LIBNOTREGISTERED);
}

TEST_F(TypeInfo, CoclassListsItsInterfacesWithTheDefault)
{
    com::ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(CLSID_DispatchTest, coclass.put()), S_OK);
    const TYPEATTR attr = attr_of(coclass.get());
    EXPECT_EQ(std::tuple(attr.typekind, attr.cImplTypes, attr.wTypeFlags),
              std::tuple(TKIND_COCLASS, 2, TYPEFLAG_FCANCREATE));

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

    com::ComPtr<ITypeInfo> again;
    EXPECT_EQ(all->QueryInterface(IID_ITypeInfo, again.put_void()), S_OK);
    EXPECT_EQ(again, all);
    com::ComPtr<IUnknown> unknown;
    EXPECT_EQ(all->QueryInterface(IID_ITypeLib, unknown.put_void()), E_NOINTERFACE);
    EXPECT_EQ(lib->QueryInterface(IID_ITypeInfo, unknown.put_void()), E_NOINTERFACE);
}

}  // namespace

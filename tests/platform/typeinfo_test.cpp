// ITypeInfo and ITypeLib built from member tables and a library declaration: attributes,
// function and variable descriptions, names, references, documentation, and what is left out.
#include <gtest/gtest.h>

#include "platform/automation/typeinfo.h"
#include "tests/platform/dispatch_test_object.h"

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

std::u16string name_of(ITypeInfo* info, MEMBERID id = MEMBERID_NIL)
{
    BSTR name = nullptr;
    if (FAILED(info->GetDocumentation(id, &name, nullptr, nullptr, nullptr))) return u"<none>";
    std::u16string out(com::bstr_view(name));
    SysFreeString(name);
    return out;
}

// Finds a function description by DISPID and kind among the type's own functions.
struct func {
    ITypeInfo* info = nullptr;
    FUNCDESC* desc = nullptr;
    func(ITypeInfo* i, MEMBERID id, INVOKEKIND kind) : info(i)
    {
        TYPEATTR* attr = nullptr;
        if (FAILED(i->GetTypeAttr(&attr))) return;
        for (UINT k = 0; k < attr->cFuncs && !desc; ++k) {
            FUNCDESC* d = nullptr;
            if (FAILED(i->GetFuncDesc(k, &d))) continue;
            if (d->memid == id && d->invkind == kind) desc = d;
            else i->ReleaseFuncDesc(d);
        }
        i->ReleaseTypeAttr(attr);
    }
    ~func()
    {
        if (desc) info->ReleaseFuncDesc(desc);
    }
    const ELEMDESC& param(int k) const { return desc->lprgelemdescParam[k]; }
    // The name of the type a VT_USERDEFINED description refers to.
    std::u16string referred(const TYPEDESC& td) const
    {
        com::ComPtr<ITypeInfo> target;
        if (td.vt != VT_USERDEFINED || FAILED(info->GetRefTypeInfo(td.hreftype, target.put())))
            return u"<none>";
        return name_of(target.get());
    }
};

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
}

TEST_F(TypeInfo, FunctionDescriptionsFollowTheTable)
{
    FUNCDESC* first = nullptr;
    ASSERT_EQ(all->GetFuncDesc(0, &first), S_OK);
    EXPECT_EQ(first->memid, 0x15);
    EXPECT_EQ(first->invkind, INVOKE_PROPERTYGET);
    EXPECT_EQ(first->funckind, FUNC_DISPATCH);
    EXPECT_EQ(first->callconv, CC_STDCALL);
    EXPECT_EQ(first->cParams, 0) << "[retval] is the function's type";
    EXPECT_EQ(first->elemdescFunc.tdesc.vt, VT_USERDEFINED);
    all->ReleaseFuncDesc(first);

    FUNCDESC* out_of_range = reinterpret_cast<FUNCDESC*>(0x1);
    EXPECT_EQ(all->GetFuncDesc(29, &out_of_range), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(out_of_range, nullptr);

    func set(base.get(), 1, INVOKE_FUNC);
    ASSERT_TRUE(set.desc);
    ASSERT_EQ(set.desc->cParams, 4);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(set.param(k).tdesc.vt, VT_I4);
        EXPECT_EQ(set.param(k).paramdesc.wParamFlags, PARAMFLAG_FIN);
    }
    EXPECT_EQ(set.desc->elemdescFunc.tdesc.vt, VT_VOID);

    func get(base.get(), 2, INVOKE_FUNC);
    ASSERT_TRUE(get.desc);
    ASSERT_EQ(get.desc->cParams, 4);
    EXPECT_EQ(get.param(3).tdesc.vt, VT_PTR);
    EXPECT_EQ(get.param(3).tdesc.lptdesc->vt, VT_I4);
    EXPECT_EQ(get.param(3).paramdesc.wParamFlags, PARAMFLAG_FOUT);
}

TEST_F(TypeInfo, ParameterTypesAsVartypes)
{
    struct case_ {
        MEMBERID id;
        INVOKEKIND kind;
        VARTYPE vt;  // the put's value, or the get's type
    };
    const case_ cases[] = {
        {4, INVOKE_PROPERTYPUT, VT_I2},        {5, INVOKE_PROPERTYGET, VT_BOOL},
        {7, INVOKE_PROPERTYPUT, VT_BSTR},      {0x16, INVOKE_PROPERTYPUT, VT_R4},
        {0x17, INVOKE_PROPERTYGET, VT_R8},     {0x18, INVOKE_PROPERTYPUT, VT_BOOL},
        {0x19, INVOKE_PROPERTYPUT, VT_VARIANT}, {0x1A, INVOKE_PROPERTYPUTREF, VT_DISPATCH},
        {0x1A, INVOKE_PROPERTYGET, VT_DISPATCH}, {0x21, INVOKE_PROPERTYPUT, VT_DATE},
        {0x22, INVOKE_PROPERTYGET, VT_CY},     {DISPID_NEWENUM, INVOKE_PROPERTYGET, VT_UNKNOWN},
    };
    for (const case_& k : cases) {
        ITypeInfo* owner = k.id < 0x15 && k.id > 0 ? base.get() : all.get();
        func f(owner, k.id, k.kind);
        ASSERT_TRUE(f.desc) << k.id;
        const VARTYPE vt = k.kind == INVOKE_PROPERTYGET ? f.desc->elemdescFunc.tdesc.vt
                                                        : f.param(f.desc->cParams - 1).tdesc.vt;
        EXPECT_EQ(vt, k.vt) << k.id;
    }
    func parent(all.get(), 0x1B, INVOKE_FUNC);
    EXPECT_EQ(parent.param(0).tdesc.vt, VT_UNKNOWN);
}

TEST_F(TypeInfo, UserDefinedTypesReferToTheirTypeInfos)
{
    func colour(all.get(), 0x15, INVOKE_PROPERTYPUT);
    ASSERT_TRUE(colour.desc);
    EXPECT_EQ(colour.referred(colour.param(0).tdesc), u"OLE_COLOR");
    com::ComPtr<ITypeInfo> alias;
    ASSERT_EQ(all->GetRefTypeInfo(colour.param(0).tdesc.hreftype, alias.put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(alias->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_ALIAS);
    EXPECT_EQ(attr->tdescAlias.vt, VT_UI4);
    alias->ReleaseTypeAttr(attr);

    func shape(base.get(), 6, INVOKE_PROPERTYGET);
    EXPECT_EQ(shape.referred(shape.desc->elemdescFunc.tdesc), u"DispatchTestShape");

    func copy(base.get(), 9, INVOKE_FUNC);
    ASSERT_EQ(copy.param(0).tdesc.vt, VT_PTR);
    EXPECT_EQ(copy.referred(*copy.param(0).tdesc.lptdesc), u"IDispatchTestBase");

    func peer(all.get(), 0x26, INVOKE_FUNC);
    ASSERT_EQ(peer.desc->elemdescFunc.tdesc.vt, VT_PTR);
    EXPECT_EQ(peer.referred(*peer.desc->elemdescFunc.tdesc.lptdesc), u"IDispatchTestOther");

    // An enumeration the library does not declare is a plain VT_I4.
    func sum(all.get(), 0x24, INVOKE_FUNC);
    ASSERT_EQ(sum.desc->cParams, 9);
    EXPECT_EQ(sum.param(8).tdesc.vt, VT_I4);
    EXPECT_EQ(sum.param(0).tdesc.vt, VT_UI1);
    EXPECT_EQ(sum.param(5).tdesc.vt, VT_I8);

    com::ComPtr<ITypeInfo> none;
    EXPECT_EQ(all->GetRefTypeInfo(999, none.put()), TYPE_E_ELEMENTNOTFOUND);
}

TEST_F(TypeInfo, OptionalParametersAndDefaults)
{
    func blend(all.get(), 0x1C, INVOKE_FUNC);
    ASSERT_TRUE(blend.desc);
    ASSERT_EQ(blend.desc->cParams, 2);
    EXPECT_EQ(blend.param(1).paramdesc.wParamFlags,
              PARAMFLAG_FIN | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT);
    ASSERT_NE(blend.param(1).paramdesc.pparamdescex, nullptr);
    const VARIANT& amount = blend.param(1).paramdesc.pparamdescex->varDefaultValue;
    EXPECT_EQ(amount.vt, VT_R8);
    EXPECT_EQ(amount.dblVal, 0.5);
    EXPECT_EQ(blend.referred(blend.desc->elemdescFunc.tdesc), u"OLE_COLOR");

    func describe(all.get(), 0x1F, INVOKE_FUNC);
    const VARIANT& upper = describe.param(2).paramdesc.pparamdescex->varDefaultValue;
    EXPECT_EQ(upper.vt, VT_BOOL);
    EXPECT_EQ(upper.boolVal, VARIANT_FALSE);

    func join(all.get(), 0x20, INVOKE_FUNC);
    EXPECT_EQ(join.param(1).paramdesc.wParamFlags, PARAMFLAG_FIN | PARAMFLAG_FOPT);
    EXPECT_EQ(join.param(1).tdesc.vt, VT_PTR);
    EXPECT_EQ(join.param(1).tdesc.lptdesc->vt, VT_VARIANT);
    EXPECT_EQ(join.desc->cParamsOpt, 1);
}

TEST_F(TypeInfo, FunctionFlags)
{
    func items(all.get(), DISPID_NEWENUM, INVOKE_PROPERTYGET);
    EXPECT_EQ(items.desc->wFuncFlags, FUNCFLAG_FRESTRICTED | FUNCFLAG_FHIDDEN);
    func colour(all.get(), 0x15, INVOKE_PROPERTYGET);
    EXPECT_EQ(colour.desc->wFuncFlags, 0);
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

    ASSERT_EQ(all->GetDocumentation(1, &name, &text, nullptr, nullptr), S_OK);
    EXPECT_EQ(com::bstr_view(name), u"SetPosition");
    EXPECT_EQ(com::bstr_view(text), u"Moves and sizes the element");
    SysFreeString(name);
    SysFreeString(text);

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

TEST_F(TypeInfo, DispatchImplHandsOutTheLibrarysTypeInfo)
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
    from_object = nullptr;
    containing = nullptr;
    disp = nullptr;
    EXPECT_EQ(g_alive, 0);
}

TEST_F(TypeInfo, SecondDualInterfaceGetsAStandAloneTypeInfo)
{
    com::ComPtr<IDispatch> disp;
    ASSERT_EQ(make_test_object(&disp, nullptr), S_OK);
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
    other = nullptr;
    disp = nullptr;
}

TEST_F(TypeInfo, LibraryAttributesAndDocumentation)
{
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, LIBID_DispatchTest);
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 2);
    EXPECT_EQ(attr->lcid, 0u);
    EXPECT_EQ(attr->syskind, SYS_WIN64);
    lib->ReleaseTLibAttr(attr);

    BSTR name = nullptr, text = nullptr;
    ASSERT_EQ(lib->GetDocumentation(-1, &name, &text, nullptr, nullptr), S_OK);
    EXPECT_EQ(com::bstr_view(name), u"DispatchTestLib");
    EXPECT_EQ(com::bstr_view(text), u"Dispatch tests");
    SysFreeString(name);
    SysFreeString(text);
    ASSERT_EQ(lib->GetDocumentation(3, &name, &text, nullptr, nullptr), S_OK);
    EXPECT_EQ(com::bstr_view(name), u"DispatchTest");
    EXPECT_EQ(com::bstr_view(text), u"The test object");
    SysFreeString(name);
    SysFreeString(text);
    EXPECT_EQ(lib->GetDocumentation(4, &name, nullptr, nullptr, nullptr), TYPE_E_ELEMENTNOTFOUND);
}

TEST_F(TypeInfo, LibraryListsItsTypesInDeclarationOrder)
{
    ASSERT_EQ(lib->GetTypeInfoCount(), 4u);
    const TYPEKIND kinds[] = {TKIND_DISPATCH, TKIND_DISPATCH, TKIND_ENUM, TKIND_COCLASS};
    const char16_t* names[] = {u"IDispatchTestBase", u"IDispatchTestAll", u"DispatchTestShape",
                               u"DispatchTest"};
    for (UINT i = 0; i < 4; ++i) {
        TYPEKIND kind = TKIND_MAX;
        ASSERT_EQ(lib->GetTypeInfoType(i, &kind), S_OK);
        EXPECT_EQ(kind, kinds[i]);
        com::ComPtr<ITypeInfo> info;
        ASSERT_EQ(lib->GetTypeInfo(i, info.put()), S_OK);
        EXPECT_EQ(name_of(info.get()), names[i]);
    }
    com::ComPtr<ITypeInfo> info;
    EXPECT_EQ(lib->GetTypeInfo(4, info.put()), TYPE_E_ELEMENTNOTFOUND);
    TYPEKIND kind;
    EXPECT_EQ(lib->GetTypeInfoType(4, &kind), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(lib->GetTypeInfoOfGuid(CLSID_NULL, info.put()), TYPE_E_ELEMENTNOTFOUND);
    ASSERT_EQ(lib->GetTypeInfoOfGuid(CLSID_DispatchTest, info.put()), S_OK);
    EXPECT_EQ(name_of(info.get()), u"DispatchTest");
}

TEST_F(TypeInfo, EnumerationConstants)
{
    com::ComPtr<ITypeInfo> shape = info_of_guid(GUID_DispatchTestShape);
    ASSERT_TRUE(shape);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(shape->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_ENUM);
    EXPECT_EQ(attr->cVars, 3);
    EXPECT_EQ(attr->cFuncs, 0);
    shape->ReleaseTypeAttr(attr);

    VARDESC* var = nullptr;
    ASSERT_EQ(shape->GetVarDesc(2, &var), S_OK);
    EXPECT_EQ(var->varkind, VAR_CONST);
    ASSERT_NE(var->lpvarValue, nullptr);
    EXPECT_EQ(var->lpvarValue->vt, VT_I4);
    EXPECT_EQ(var->lpvarValue->lVal, dtsSquare);
    const MEMBERID square = var->memid;
    shape->ReleaseVarDesc(var);
    EXPECT_EQ(shape->GetVarDesc(3, &var), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(name_of(shape.get(), square), u"dtsSquare");

    LPOLESTR names[] = {const_cast<LPOLESTR>(u"DTSCIRCLE")};
    MEMBERID id = 0;
    ASSERT_EQ(shape->GetIDsOfNames(names, 1, &id), S_OK);
    BSTR doc = nullptr;
    ASSERT_EQ(shape->GetDocumentation(id, nullptr, &doc, nullptr, nullptr), S_OK);
    EXPECT_EQ(com::bstr_view(doc), u"Round");
    SysFreeString(doc);
    EXPECT_EQ(all->GetVarDesc(0, &var), TYPE_E_ELEMENTNOTFOUND);
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
    EXPECT_EQ(all->CreateInstance(nullptr, IID_IUnknown, &object),
              TYPE_E_BADMODULEKIND);
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

TEST_F(TypeInfo, UnprovidedMembersSayNotImplemented)
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
}

TEST_F(TypeInfo, QueryInterfaceAnswersOnlyTheTypeInterfaces)
{
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

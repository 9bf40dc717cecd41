// The type information tests' fixture and helpers: the test library's two dual interfaces,
// leak checks of strings and library references, and function descriptions put in words.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "platform/automation/typeinfo.h"
#include "tests/platform/dispatch_test_object.h"

namespace typeinfo_test {

using namespace dispatch_test;

inline com::ComPtr<ITypeInfo> info_of_guid(REFGUID guid)
{
    com::ComPtr<ITypeLib> lib;
    com::ComPtr<ITypeInfo> info;
    if (SUCCEEDED(com::automation::get_type_library<DispatchTestLib>(lib.put())))
        lib->GetTypeInfoOfGuid(guid, info.put());
    return info;
}

// The name and help string GetDocumentation gives, "<none>" when it fails.
inline std::u16string name_of(ITypeInfo* info, MEMBERID id = MEMBERID_NIL,
                              std::u16string* doc = nullptr)
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

// A copy of a type's attributes (zeros when GetTypeAttr fails), so that a test can compare
// several fields at once.
inline TYPEATTR attr_of(ITypeInfo* info)
{
    TYPEATTR copy{};
    TYPEATTR* attr = nullptr;
    EXPECT_EQ(info->GetTypeAttr(&attr), S_OK);
    if (!attr) return copy;
    copy = *attr;
    info->ReleaseTypeAttr(attr);
    return copy;
}

// A function description in words: "get 0x15 () -> OLE_COLOR", parameters with their flags and
// defaults, the number of optional ones and the function flags when there are any.
inline std::string text_of(const std::u16string& s) { return std::string(s.begin(), s.end()); }

inline std::string type_text(ITypeInfo* info, const TYPEDESC& t)
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

inline std::string signature(ITypeInfo* info, const FUNCDESC& f)
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
inline std::vector<std::string> signatures(ITypeInfo* info)
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
        lib_refs_ = references(lib.get());
    }
    void TearDown() override
    {
        EXPECT_EQ(com::bstr_live_count(), bstrs_);
        EXPECT_EQ(references(lib.get()), lib_refs_) << "type infos count on their library";
    }

    com::ComPtr<ITypeInfo> all, base;
    com::ComPtr<ITypeLib> lib;
    long bstrs_ = 0;
    ULONG lib_refs_ = 0;
};

}  // namespace typeinfo_test

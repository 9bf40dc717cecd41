// Calls by name as `zcnt render` makes them: the argument blamed for a bad value is counted in
// call order from 1 whether Invoke names it (from the last, from 0) or not (a value out of
// range), and a member's own failure keeps its code behind DISP_E_EXCEPTION.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "module/class_map.h"
#include "tools/zcnt/dispatch_call.h"

namespace {

using zcnt::call_result;

class registered_classes : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(cnt::module::register_classes(), S_OK); }
    void TearDown() override { cnt::module::revoke_classes(); }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new registered_classes);

// An IDispatch whose Invoke blames the argument at a given index of rgvarg.
struct blaming_dispatch : IDispatch {
    UINT blamed = 0;
    HRESULT QueryInterface(REFIID, void**) noexcept override { return E_NOINTERFACE; }
    ULONG AddRef() noexcept override { return 1; }
    ULONG Release() noexcept override { return 1; }
    HRESULT GetTypeInfoCount(UINT* count) noexcept override { *count = 0; return S_OK; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID* ids) noexcept override
    {
        ids[0] = 1;
        return S_OK;
    }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                   UINT* arg_error) noexcept override
    {
        *arg_error = blamed;
        return DISP_E_TYPEMISMATCH;
    }
};

TEST(DispatchCall, CountsTheBlamedArgumentInCallOrderFromOne)
{
    blaming_dispatch target;
    for (UINT from_last = 0; from_last < 4; ++from_last) {
        SCOPED_TRACE(from_last);
        target.blamed = from_last;
        std::vector<com::Variant> values(4);
        for (auto& v : values) v = com::Variant::from_i4(1);
        call_result r;
        zcnt::invoke_member(&target, 1, DISPATCH_METHOD, "M", values, std::vector<bool>(4, false),
                            &r);
        EXPECT_EQ(r.arg_error, 4 - from_last);
        EXPECT_EQ(r.error,
                  "argument " + std::to_string(4 - from_last) + " of \"M\" has the wrong type");
    }
}

com::ComPtr<IDispatch> make(const char16_t* progid)
{
    CLSID clsid{};
    com::ComPtr<IDispatch> out;
    if (SUCCEEDED(CLSIDFromProgID(progid, &clsid)))
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IDispatch::iid, out.put_void());
    return out;
}

com::Variant i8(LONGLONG value)
{
    com::Variant v;
    v->vt = VT_I8;
    v->llVal = value;
    return v;
}

com::Variant null_string()
{
    com::Variant v;
    v->vt = VT_BSTR;
    v->bstrVal = nullptr;
    return v;
}

// SetPosition(1, 2, 3, 4) with one argument replaced, or a property put of one value.
struct call_case {
    const char* name;
    WORD flags;
    std::size_t replaced;  // SetPosition's argument from 1 given `value`; 0: `value` alone
    com::Variant (*value)();
    HRESULT hr;
    UINT arg_error;  // from 1; 0 for none
    HRESULT scode;   // with DISP_E_EXCEPTION
};

const call_case kCalls[] = {
    {"SetPosition", DISPATCH_METHOD, 1, [] { return com::Variant::from_i4(1); }, S_OK, 0, S_OK},
    {"SetPosition", DISPATCH_METHOD, 2, [] { return com::Variant::from_string(u"two"); },
     DISP_E_TYPEMISMATCH, 2, S_OK},
    {"SetPosition", DISPATCH_METHOD, 1, [] { return com::Variant::from_string(u"one"); },
     DISP_E_TYPEMISMATCH, 1, S_OK},
    // Invoke names no argument for a value out of range: the type information does.
    {"SetPosition", DISPATCH_METHOD, 3, [] { return i8(LONGLONG{1} << 40); }, DISP_E_OVERFLOW, 3, S_OK},
    {"SetPosition", DISPATCH_METHOD, 4, [] { return i8(-(LONGLONG{1} << 40)); }, DISP_E_OVERFLOW, 4, S_OK},
    {"FontSize", DISPATCH_PROPERTYPUT, 0, [] { return com::Variant::from_i4(99999); }, DISP_E_OVERFLOW, 1, S_OK},
    {"Inclination", DISPATCH_PROPERTYPUT, 0, [] { return com::Variant::from_i4(1 << 20); },
     DISP_E_OVERFLOW, 1, S_OK},
    {"Description", DISPATCH_PROPERTYPUT, 0, null_string, DISP_E_EXCEPTION, 0, E_INVALIDARG},
};

std::vector<com::Variant> arguments_of(const call_case& c)
{
    std::vector<com::Variant> out;
    if (c.replaced == 0) {
        out.push_back(c.value());
        return out;
    }
    for (LONG v : {1, 2, 3, 4}) out.push_back(com::Variant::from_i4(v));
    out[c.replaced - 1] = c.value();
    return out;
}

TEST(DispatchCall, ReportsTheArgumentAndTheMembersOwnCode)
{
    const com::ComPtr<IDispatch> note = make(u"Orvane.ZCntElementNote.1");
    ASSERT_TRUE(note);
    for (const call_case& c : kCalls) {
        std::vector<com::Variant> values = arguments_of(c);
        SCOPED_TRACE(std::string(c.name) + " with " + std::to_string(values.size()) + " arguments");
        call_result r;
        com::ComPtr<IDispatch> owner;
        DISPID id = 0;
        ASSERT_TRUE(zcnt::find_member(note.get(), c.name, &owner, &id, &r));
        zcnt::invoke_member(owner.get(), id, c.flags, c.name, values,
                            std::vector<bool>(values.size(), false), &r);
        EXPECT_EQ(r.hr, c.hr);
        EXPECT_EQ(r.arg_error, c.arg_error);
        EXPECT_EQ(r.scode, c.scode);
        if (c.arg_error) {
            EXPECT_NE(r.error.find("argument " + std::to_string(c.arg_error) + " of"),
                      std::string::npos) << r.error;
        }
    }
}

TEST(DispatchCall, NamesAnUnknownMember)
{
    const com::ComPtr<IDispatch> note = make(u"Orvane.ZCntElementNote.1");
    ASSERT_TRUE(note);
    call_result r;
    com::ComPtr<IDispatch> owner;
    DISPID id = 0;
    EXPECT_FALSE(zcnt::find_member(note.get(), "NoSuchMember", &owner, &id, &r));
    EXPECT_EQ(r.hr, DISP_E_UNKNOWNNAME);
    EXPECT_EQ(r.error, "unknown member \"NoSuchMember\"");
    // Members of the element interfaces the note also answers are found there.
    EXPECT_TRUE(zcnt::find_member(note.get(), "GetBounds", &owner, &id, &r));
    EXPECT_NE(owner.get(), note.get());
}

}  // namespace

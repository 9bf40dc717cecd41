// The test object behind the dispatch tests: implements IDispatchTestAll and IDispatchTestOther,
// records what each call received, and counts live instances.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/com/error_info.h"
#include "platform/com/object.h"
#include "platform/com/raii.h"
#include "tests/platform/dispatch_test_interface.h"
#include "tests/platform/test_support.h"

namespace dispatch_test {

inline int g_alive = 0;

class CDispatchTest
    : public com::object_root<CDispatchTest, com::automation::dispatch_impl<IDispatchTestAll>,
                              com::automation::dispatch_impl<IDispatchTestOther>> {
public:
    // What the calls received.
    LONG left = 0, top = 0, width = 0, height = 0;
    int deletes = 0;
    SHORT inclination = 0;
    DispatchTestShape shape = dtsNone;
    std::u16string description;
    BSTR last_description = nullptr;  // the pointer the method saw (not owned)
    OLE_COLOR colour = 0;
    float opacity = 0;
    double scale = 0;
    VARIANT_BOOL visible = VARIANT_FALSE;
    com::Variant tag;
    com::ComPtr<IDispatch> owner;
    com::ComPtr<IUnknown> parent;
    IDispatchTestBase* copied_to = nullptr;  // not held
    double blend_amount = -1;
    com::Variant join_second;
    LONG item_index = -1;
    com::Variant item_value;
    DATE created = 0;
    CY amount{};
    DispatchTestMode mode = dtmPlain;
    int calls = 0;

    // IDispatchTestBase
    HRESULT SetPosition(LONG l, LONG t, LONG w, LONG h) noexcept override
    {
        return ++calls, left = l, top = t, width = w, height = h, S_OK;
    }
    HRESULT GetPosition(LONG* l, LONG* t, LONG* w, LONG* h) noexcept override
    {
        ++calls;
        if (!l || !t || !w || !h) return E_POINTER;
        *l = left, *t = top, *w = width, *h = height;
        return S_OK;
    }
    HRESULT Delete() noexcept override { return ++deletes, S_OK; }
    HRESULT get_Inclination(SHORT* v) noexcept override { return *v = inclination, S_OK; }
    HRESULT put_Inclination(SHORT v) noexcept override { return inclination = v, S_OK; }
    HRESULT get_AllowInclination(VARIANT_BOOL* v) noexcept override { return *v = -1, S_OK; }
    HRESULT get_Shape(DispatchTestShape* v) noexcept override { return *v = shape, S_OK; }
    HRESULT put_Shape(DispatchTestShape v) noexcept override { return shape = v, S_OK; }
    HRESULT get_Description(BSTR* v) noexcept override
    {
        *v = SysAllocStringLen(description.data(), static_cast<UINT>(description.size()));
        return *v ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT put_Description(BSTR v) noexcept override
    {
        last_description = v;
        return description.assign(com::bstr_view(v)), S_OK;
    }
    HRESULT get_PageID(LONG* v) noexcept override { return *v = 17, S_OK; }
    HRESULT CopyTo(IDispatchTestBase* destination) noexcept override
    {
        copied_to = destination;
        return destination ? destination->SetPosition(left, top, width, height) : E_POINTER;
    }

    // IDispatchTestAll
    HRESULT get_Colour(OLE_COLOR* v) noexcept override { return *v = colour, S_OK; }
    HRESULT put_Colour(OLE_COLOR v) noexcept override { return colour = v, S_OK; }
    HRESULT get_Opacity(float* v) noexcept override { return *v = opacity, S_OK; }
    HRESULT put_Opacity(float v) noexcept override { return opacity = v, S_OK; }
    HRESULT get_Scale(double* v) noexcept override { return *v = scale, S_OK; }
    HRESULT put_Scale(double v) noexcept override { return scale = v, S_OK; }
    HRESULT get_Visible(VARIANT_BOOL* v) noexcept override { return *v = visible, S_OK; }
    HRESULT put_Visible(VARIANT_BOOL v) noexcept override { return visible = v, S_OK; }
    HRESULT get_Tag(VARIANT* v) noexcept override
    {
        VariantInit(v);
        return VariantCopy(v, tag.get());
    }
    HRESULT put_Tag(VARIANT v) noexcept override { return VariantCopy(tag.get(), &v); }
    HRESULT get_Owner(IDispatch** v) noexcept override { return owner.copy_to(v); }
    HRESULT putref_Owner(IDispatch* v) noexcept override { return owner = com::ComPtr(v), S_OK; }
    HRESULT SetParent(IUnknown* p) noexcept override { return parent = decltype(parent)(p), S_OK; }
    HRESULT Blend(OLE_COLOR c, double a, OLE_COLOR* result) noexcept override
    {
        return blend_amount = a, *result = c ^ 0x00FFFFFFu, S_OK;
    }
    HRESULT Fail(LONG code) noexcept override
    {
        if (code == 0) return S_OK;
        if (code == 1) return E_ACCESSDENIED;  // without error information
        return com::report_error(static_cast<HRESULT>(code), u"The element is locked",
                                 u"DispatchTest", IDispatchTestAll::iid);
    }
    HRESULT Swap(LONG* number, BSTR* text) noexcept override
    {
        *number = *number * 2 + 1;
        *text = SysAllocString(u"swapped");
        return *text ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT Describe(BSTR prefix, LONG count, VARIANT_BOOL upper, BSTR* text) noexcept override
    {
        std::u16string out;
        for (LONG i = 0; i < count; ++i) out += com::bstr_view(prefix);
        if (upper)
            for (auto& c : out)
                if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 0x20);
        *text = SysAllocStringLen(out.data(), static_cast<UINT>(out.size()));
        return *text ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT Join(VARIANT first, const VARIANT* second, VARIANT* joined) noexcept override
    {
        join_second = com::Variant(*second);
        VariantInit(joined);
        return VariantCopy(joined, &first);
    }
    HRESULT get_Item(LONG index, VARIANT* value) noexcept override
    {
        item_index = index;
        VariantInit(value);
        return VariantCopy(value, item_value.get());
    }
    HRESULT put_Item(LONG index, VARIANT value) noexcept override
    {
        item_index = index;
        return VariantCopy(item_value.get(), &value);
    }
    HRESULT get__NewEnum(IUnknown** items) noexcept override
    {
        return (*items = identity())->AddRef(), S_OK;
    }
    HRESULT get_Created(DATE* v) noexcept override { return *v = created, S_OK; }
    HRESULT put_Created(DATE v) noexcept override { return created = v, S_OK; }
    HRESULT get_Amount(CY* v) noexcept override { return *v = amount, S_OK; }
    HRESULT put_Amount(CY v) noexcept override { return amount = v, S_OK; }
    HRESULT Link(IDispatchTestBase* other, VARIANT_BOOL* linked) noexcept override
    {
        copied_to = other;
        return *linked = other ? VARIANT_TRUE : VARIANT_FALSE, S_OK;
    }
    HRESULT Sum(BYTE b, USHORT us, ULONG ul, SHORT s, float f, LONGLONG ll, double d, LONG l,
                DispatchTestMode m, double* sum) noexcept override
    {
        mode = m;
        *sum = b + us + static_cast<double>(ul) + s + f + static_cast<double>(ll) + d + l;
        return S_OK;
    }
    HRESULT get_Secret(LONG* v) noexcept override { return *v = 99, S_OK; }
    HRESULT Peer(IDispatchTestOther** other) noexcept override
    {
        return *other = this, AddRefSelf(), S_OK;
    }

    // IDispatchTestOther
    HRESULT get_Name(BSTR* v) noexcept override
    {
        *v = SysAllocString(u"other");
        return *v ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT Ping(LONG value, LONG* echoed) noexcept override
    {
        return *echoed = value + 1000, S_OK;
    }

    void AddRefSelf() noexcept { identity()->AddRef(); }
    std::vector<LONG> position() const { return {left, top, width, height}; }

protected:
    CDispatchTest() { ++g_alive; }
    ~CDispatchTest() { --g_alive; }
};

// A new test object: its IDispatch (the first dual interface's) and the object itself.
inline HRESULT make_test_object(com::ComPtr<IDispatch>* dispatch, CDispatchTest** object)
{
    CDispatchTest* created = nullptr;
    HRESULT hr = com::make<CDispatchTest>(&created);
    if (FAILED(hr)) return hr;
    hr = created->identity()->QueryInterface(IDispatch::iid, dispatch->put_void());
    if (object) *object = created;
    created->identity()->Release();
    return hr;
}

using counted::references;

// ---- Arguments (each owns what it holds; args clears them) ------------------------------

inline VARIANT vi4(LONG value) { return variant_of(VT_I4, value); }
inline VARIANT vi2(SHORT value) { return variant_of(VT_I2, value); }
inline VARIANT vr8(double value) { return variant_of(VT_R8, value); }
inline VARIANT vbool(bool value) { return variant_of(VT_BOOL, VARIANT_BOOL(value ? -1 : 0)); }
inline VARIANT vstr(const char16_t* text) { return variant_of(VT_BSTR, SysAllocString(text)); }
inline VARIANT vtyped(VARTYPE vt) { return variant_of(vt, 0LL); }
inline VARIANT vmissing() { return variant_of(VT_ERROR, SCODE{DISP_E_PARAMNOTFOUND}); }
inline VARIANT vbyref(VARTYPE vt, void* storage)
{
    return variant_of(static_cast<VARTYPE>(VT_BYREF | vt), storage);
}
// Takes a new reference.
inline VARIANT vunknown(IUnknown* p, VARTYPE vt = VT_UNKNOWN)
{
    if (p) p->AddRef();
    return variant_of(vt, p);
}

// An argument block that owns its variants. Given in the caller's order (first argument
// first), stored reversed as rgvarg expects; `raw` stores them as given.
class args {
public:
    args(std::initializer_list<VARIANT> natural = {}) : v_(natural.begin(), natural.end())
    {
        std::vector<VARIANT> reversed(v_.rbegin(), v_.rend());
        v_.swap(reversed);
    }
    explicit args(const std::vector<VARIANT>& natural) : v_(natural.rbegin(), natural.rend()) {}
    static args raw(const std::vector<VARIANT>& rgvarg, std::vector<DISPID> named = {})
    {
        args a;
        a.v_.assign(rgvarg.begin(), rgvarg.end());
        a.named_ = std::move(named);
        return a;
    }
    args(args&&) = default;
    args(const args&) = delete;
    ~args()
    {
        for (VARIANT& v : v_) VariantClear(&v);
    }
    args& named(std::vector<DISPID> ids)
    {
        named_ = std::move(ids);
        return *this;
    }
    // The put form: the value (last in the caller's order) named DISPID_PROPERTYPUT.
    args& put() { return named({DISPID_PROPERTYPUT}); }

    DISPPARAMS* params()
    {
        p_.rgvarg = v_.empty() ? nullptr : v_.data();
        p_.cArgs = static_cast<UINT>(v_.size());
        p_.rgdispidNamedArgs = named_.empty() ? nullptr : named_.data();
        p_.cNamedArgs = static_cast<UINT>(named_.size());
        return &p_;
    }
    VARIANT& operator[](std::size_t rgvarg_index) { return v_[rgvarg_index]; }

private:
    std::vector<VARIANT> v_;
    std::vector<DISPID> named_;
    DISPPARAMS p_{};
};

constexpr UINT kNoArg = 0xBADBAD;

// One Invoke and everything it handed back.
struct call {
    HRESULT hr = E_UNEXPECTED;
    com::Variant result;
    UINT arg_error = kNoArg;
    EXCEPINFO exception{};

    call() = default;
    call(call&& o) noexcept
        : hr(o.hr), result(std::move(o.result)), arg_error(o.arg_error), exception(o.exception)
    {
        o.exception = {};
    }
    ~call()
    {
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
    }
};

// Into a call the test prepared, or into a new one.
inline void invoke(call& c, IDispatch* d, DISPID id, WORD flags, args& a)
{
    c.hr = d->Invoke(id, IID_NULL, 0, flags, a.params(), c.result.put(), &c.exception,
                     &c.arg_error);
}
inline call invoke(IDispatch* d, DISPID id, WORD flags, args& a)
{
    call c;
    invoke(c, d, id, flags, a);
    return c;
}
inline call invoke(IDispatch* d, DISPID id, WORD flags, args&& a)
{
    return invoke(d, id, flags, a);
}

inline DISPID id_of(IDispatch* d, const char16_t* name)
{
    DISPID id = 12345;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return SUCCEEDED(d->GetIDsOfNames(IID_NULL, names, 1, 0, &id)) ? id : DISPID_UNKNOWN;
}

// A fresh test object for each test; at the end, no object or string may be left alive.
class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bstrs_ = com::bstr_live_count();
        ASSERT_EQ(make_test_object(&disp, &obj), S_OK);
    }
    void TearDown() override
    {
        disp = nullptr;
        EXPECT_EQ(g_alive, 0);
        EXPECT_EQ(com::bstr_live_count(), bstrs_);
    }

    com::ComPtr<IDispatch> disp;
    CDispatchTest* obj = nullptr;
    long bstrs_ = 0;
};

}  // namespace dispatch_test

// The container as a COM object: its interfaces, calls by name through IDispatch, Attach,
// aggregation and reference counts.
#include <algorithm>

#include "tests/container/support.h"

namespace container_test {
namespace {

class ContainerObject : public Released {};

DISPID id_of(IDispatch* d, const char16_t* name)
{
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    EXPECT_EQ(d->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK) << "no member by that name";
    return id;
}

HRESULT call(IDispatch* d, const char16_t* name, WORD flags, std::vector<VARIANT> args,
             VARIANT* result, EXCEPINFO* exception = nullptr)
{
    std::reverse(args.begin(), args.end());  // rgvarg holds the last argument first
    DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    UINT arg_error = 0;
    return d->Invoke(id_of(d, name), IID_NULL, 0, flags, &params, result, exception, &arg_error);
}

VARIANT i4(LONG v)
{
    VARIANT x;
    VariantInit(&x);
    x.vt = VT_I4;
    x.lVal = v;
    return x;
}

VARIANT dispatch(IDispatch* d)
{
    VARIANT x;
    VariantInit(&x);
    x.vt = VT_DISPATCH;
    x.pdispVal = d;
    return x;
}

TEST_F(ContainerObject, MembersAreCalledByNameThroughIDispatch)
{
    auto c = new_container();
    auto d = query<IDispatch>(c.get());
    ASSERT_TRUE(d);
    auto e = element_at(0, 0, 10, 10, u"by name");
    com::Variant result;
    ASSERT_EQ(call(d.get(), u"AddElement", DISPATCH_METHOD, {i4(4), i4(40), dispatch(e->base())},
                   result.put()),
              S_OK);
    ASSERT_EQ(call(d.get(), u"count", DISPATCH_PROPERTYGET, {}, result.put()), S_OK);
    EXPECT_EQ(result->vt, VT_I4);
    EXPECT_EQ(result->lVal, 1);

    ASSERT_EQ(call(d.get(), u"Item", DISPATCH_PROPERTYGET, {i4(1)}, result.put()), S_OK);
    ASSERT_EQ(result->vt, VT_DISPATCH);
    auto info = query<IZCntElementInfo>(result->pdispVal);
    ASSERT_TRUE(info);
    EXPECT_EQ(description_of(info.get()), u"by name");

    // The record is itself driven by name.
    auto record = query<IDispatch>(info.get());
    ASSERT_EQ(call(record.get(), u"ElementID", DISPATCH_PROPERTYGET, {}, result.put()), S_OK);
    EXPECT_EQ(result->lVal, 40);

    EXCEPINFO exception{};
    EXPECT_EQ(call(d.get(), u"Item", DISPATCH_PROPERTYGET, {i4(2)}, result.put(), &exception),
              DISP_E_EXCEPTION);
    EXPECT_EQ(exception.scode, E_INVALIDARG);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);

    ASSERT_EQ(call(d.get(), u"RemoveElement", DISPATCH_METHOD, {i4(4), i4(40)}, result.put()),
              S_OK);
    ASSERT_EQ(call(d.get(), u"Count", DISPATCH_PROPERTYGET, {}, result.put()), S_OK);
    EXPECT_EQ(result->lVal, 0);
}

TEST_F(ContainerObject, AnswersItsInterfacesWithOneIdentityAndAcceptsAttach)
{
    auto c = new_container();
    auto unknown = query<IUnknown>(c.get());
    for (const IID& iid : {IZCntElementContainer::iid, IDispatch::iid, IZObject::iid,
                           IPersist::iid, IPersistStreamInit::iid}) {
        com::ComPtr<IUnknown> p;
        ASSERT_EQ(c->QueryInterface(iid, p.put_void()), S_OK);
        EXPECT_EQ(query<IUnknown>(p.get()).get(), unknown.get());
    }
    com::ComPtr<IUnknown> none;
    EXPECT_EQ(c->QueryInterface(IZCntElementInfo::iid, none.put_void()), E_NOINTERFACE);
    EXPECT_EQ(c->QueryInterface(IPersistStream::iid, none.put_void()), E_NOINTERFACE);
    auto d = query<IDispatch>(c.get());
    EXPECT_EQ(static_cast<void*>(d.get()), static_cast<void*>(c.get()))
        << "IDispatch is the container interface's own";
    auto object = query<IZObject>(c.get());
    EXPECT_EQ(object->GetObjectKind(nullptr), E_POINTER);
    EXPECT_EQ(object->Attach(nullptr, nullptr, nullptr), S_OK);
}

// An outer object that aggregates a container and answers the rest through it.
class COuter : public com::object_root<COuter, IPersist> {
public:
    HRESULT GetClassID(CLSID* id) noexcept override { return *id = GUID{}, S_OK; }
    HRESULT final_construct() noexcept
    {
        return cnt::create_element_container(identity(), IID_IUnknown, inner_.put_void());
    }
    void final_release() noexcept { inner_.reset(); }
    HRESULT query_interface_fallback(REFIID riid, void** out) noexcept
    {
        return inner_ ? inner_->QueryInterface(riid, out) : E_NOINTERFACE;
    }

private:
    com::ComPtr<IUnknown> inner_;
};

TEST_F(ContainerObject, CanBeAggregatedAskedForIUnknownOnly)
{
    com::ComPtr<IPersist> outer;
    ASSERT_EQ(com::make<COuter>(outer.put()), S_OK);
    auto c = query<IZCntElementContainer>(outer.get());
    ASSERT_TRUE(c);
    EXPECT_EQ(query<IUnknown>(c.get()).get(), query<IUnknown>(outer.get()).get())
        << "the inner container answers with the outer identity";
    auto e = element_at(0, 0, 1, 1);
    EXPECT_EQ(c->AddElement(1, 1, e->base()), S_OK);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(cnt::create_element_container(outer.get(), IZCntElementContainer::iid, &out),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(cnt::create_element_container(nullptr, IZCntElementContainer::iid, nullptr),
              E_POINTER);
}

TEST_F(ContainerObject, ReleasingTheContainerReleasesEveryRecord)
{
    auto c = new_container();
    auto e = element_at(0, 0, 1, 1, u"text");
    for (LONG id = 1; id <= 50; ++id) c->AddElement(id % 7, id, e->base());
    com::ComPtr<IZCntElementInfo> kept;
    c->get_Item(3, kept.put());
    c = nullptr;
    EXPECT_EQ(description_of(kept.get()), u"text");
    // Released checks that the last holder took every record with it.
}

}  // namespace
}  // namespace container_test

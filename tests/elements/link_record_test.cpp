// The link element without a host: its record byte for byte, damaged records, the base members
// as the link implements them, CopyTo, calls by name and its COM identity.
#include <gtest/gtest.h>

#include <vector>

#include "contentelements/cnt_link.h"
#include "contentelements/zprint_objects.h"
#include "elements/link/link.h"
#include "platform/com/com.h"
#include "platform/com/streams.h"

namespace {

using bytes = std::vector<BYTE>;

com::ComPtr<IZCntElementLink> new_link()
{
    com::ComPtr<IZCntElementLink> link;
    EXPECT_EQ(cnt::create_link(nullptr, IZCntElementLink::iid, link.put_void()), S_OK);
    return link;
}

bytes saved(IUnknown* element, BOOL clear_dirty = TRUE)
{
    com::ComPtr<IPersistStreamInit> persist;
    element->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    com::ComPtr<IStream> s;
    com::create_memory_stream(s.put());
    EXPECT_EQ(persist->Save(s.get(), clear_dirty), S_OK);
    bytes b;
    com::memory_stream_bytes(s.get(), &b);
    return b;
}

HRESULT load(IUnknown* element, const bytes& record)
{
    com::ComPtr<IPersistStreamInit> persist;
    element->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    com::ComPtr<IStream> s;
    com::create_memory_stream(record.data(), record.size(), s.put());
    return persist->Load(s.get());
}

void append_u32(bytes& b, ULONG v)
{
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<BYTE>(v >> (8 * i)));
}
void append_string(bytes& b, std::u16string_view text)
{
    append_u32(b, static_cast<ULONG>(text.size() * 2 + 2));
    for (char16_t c : text) {
        b.push_back(static_cast<BYTE>(c));
        b.push_back(static_cast<BYTE>(c >> 8));
    }
    b.push_back(0);
    b.push_back(0);
}

// version, bounds, URL, border colour, shadow, description, page object ids
bytes link_record(ULONG version, LONG l, LONG t, LONG r, LONG b, std::u16string_view url,
                  OLE_COLOR colour, SHORT shadow, std::u16string_view description,
                  const std::vector<LONG>& ids)
{
    bytes out;
    append_u32(out, version);
    for (LONG v : {l, t, r, b}) append_u32(out, static_cast<ULONG>(v));
    append_string(out, url);
    append_u32(out, colour);
    out.push_back(static_cast<BYTE>(shadow));
    out.push_back(static_cast<BYTE>(static_cast<USHORT>(shadow) >> 8));
    append_string(out, description);
    append_u32(out, static_cast<ULONG>(ids.size()));
    for (LONG id : ids) append_u32(out, static_cast<ULONG>(id));
    return out;
}

TEST(LinkRecord, ANewLinkSavesItsDefaultsIn42Bytes)
{
    auto link = new_link();
    const bytes record = saved(link.get());
    EXPECT_EQ(record.size(), 42u);
    EXPECT_EQ(record, link_record(1, 0, 0, 0, 0, u"", 0xFFFFFFFF, 0, u"", {}));
}

TEST(LinkRecord, LoadRestoresEveryFieldAndSavesTheSameBytes)
{
    const bytes record = link_record(1, 10, 20, -5, 40, u"https://example.org/ä", 0x00FF8000,
                                     -1, u"Product page", {12, 0, 14});
    auto link = new_link();
    ASSERT_EQ(load(link.get(), record), S_OK);
    LONG l, t, w, h;
    ASSERT_EQ(link->GetPosition(&l, &t, &w, &h), S_OK);
    EXPECT_EQ(l, 10);
    EXPECT_EQ(t, 20);
    EXPECT_EQ(w, -15);
    EXPECT_EQ(h, 20);
    com::Bstr url, description;
    ASSERT_EQ(link->get_LinkURL(url.put()), S_OK);
    EXPECT_EQ(url.view(), u"https://example.org/ä");
    ASSERT_EQ(link->get_Description(description.put()), S_OK);
    EXPECT_EQ(description.view(), u"Product page");
    OLE_COLOR colour = 0;
    VARIANT_BOOL shadow = 0;
    link->get_BorderColor(&colour);
    link->get_Shadow(&shadow);
    EXPECT_EQ(colour, 0x00FF8000u);
    EXPECT_EQ(shadow, -1);
    EXPECT_EQ(saved(link.get()), record);
}

TEST(LinkRecord, VersionZeroLoadsAndVersionTwoIsRefusedBeforeAnyField)
{
    auto link = new_link();
    EXPECT_EQ(load(link.get(), link_record(0, 1, 2, 3, 4, u"a", 1, 0, u"", {})), S_OK);
    EXPECT_EQ(load(link.get(), link_record(2, 9, 9, 9, 9, u"b", 2, 0, u"", {})), E_UNEXPECTED);
    LONG l, t, w, h;
    link->GetPosition(&l, &t, &w, &h);
    EXPECT_EQ(l, 1);  // nothing of the version-2 record was read
    // 0xFFFFFFFF is a version far above 1 when compared unsigned.
    EXPECT_EQ(load(link.get(), link_record(0xFFFFFFFF, 0, 0, 0, 0, u"", 0, 0, u"", {})),
              E_UNEXPECTED);
}

TEST(LinkRecord, ANullUrlIsSavedAsCountZeroAndComesBackNull)
{
    auto link = new_link();
    ASSERT_EQ(link->put_LinkURL(nullptr), S_OK);
    const bytes record = saved(link.get());
    EXPECT_EQ(record.size(), 40u);  // the URL is its count alone
    EXPECT_EQ(record[20], 0);       // the URL's count right after the bounds
    auto other = new_link();
    ASSERT_EQ(load(other.get(), record), S_OK);
    com::Bstr url;
    ASSERT_EQ(other->get_LinkURL(url.put()), S_OK);
    EXPECT_TRUE(url.is_null());
}

TEST(LinkRecord, ARecordCutAtAnyByteFailsAndLeavesAUsableLink)
{
    const bytes record = link_record(1, 10, 20, 30, 40, u"https://x.org", 5, -1, u"d", {7, 8});
    for (std::size_t cut = 0; cut < record.size(); ++cut) {
        auto link = new_link();
        const bytes part(record.begin(), record.begin() + static_cast<long>(cut));
        const HRESULT hr = load(link.get(), part);
        EXPECT_TRUE(FAILED(hr)) << "cut at " << cut;
        com::ComPtr<IPersistStreamInit> persist;
        link->QueryInterface(IPersistStreamInit::iid, persist.put_void());
        EXPECT_EQ(persist->IsDirty(), S_OK) << "a failed load leaves the link dirty";
        EXPECT_GE(saved(link.get()).size(), 38u);  // still saves a whole record
    }
}

TEST(LinkRecord, AWriteFailureIsReturnedAndKeepsTheDirtyFlag)
{
    auto link = new_link();
    com::ComPtr<IPersistStreamInit> persist;
    link->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    // Version, four bounds, URL count + text + terminator, colour, shadow, description (3),
    // id count: 14 writes.
    for (ULONG at = 1; at <= 14; ++at) {
        com::ComPtr<IStream> inner, faulty;
        com::create_memory_stream(inner.put());
        com::fault_plan plan;
        plan.fail_write_at = at;
        com::create_fault_stream(inner.get(), plan, faulty.put());
        EXPECT_EQ(persist->Save(faulty.get(), TRUE), STG_E_WRITEFAULT) << "write " << at;
        EXPECT_EQ(persist->IsDirty(), S_OK);
    }
    com::ComPtr<IStream> inner, faulty;
    com::create_memory_stream(inner.put());
    com::fault_plan plan;
    plan.fail_write_at = 15;
    com::create_fault_stream(inner.get(), plan, faulty.put());
    EXPECT_EQ(persist->Save(faulty.get(), TRUE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
}

TEST(LinkPersistence, SizeClassIdDirtyAndInitNew)
{
    auto link = new_link();
    com::ComPtr<IPersistStreamInit> persist;
    link->QueryInterface(IPersistStreamInit::iid, persist.put_void());
    ULARGE_INTEGER size{};
    ASSERT_EQ(persist->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size.QuadPart, 4u);
    EXPECT_EQ(persist->GetSizeMax(nullptr), E_POINTER);
    CLSID clsid{};
    ASSERT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_ZCntElementLink);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    saved(link.get(), FALSE);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    saved(link.get(), TRUE);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    EXPECT_EQ(persist->InitNew(), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    saved(link.get(), TRUE);
    link->put_BorderColor(0xFFFFFFFF);  // the same value still counts as a change
    EXPECT_EQ(persist->IsDirty(), S_OK);
}

TEST(LinkBase, MembersAsTheLinkImplementsThemBeforeAttach)
{
    auto link = new_link();
    ASSERT_EQ(link->SetPosition(100, 100, -50, -20), S_OK);
    LONG l, t, w, h;
    ASSERT_EQ(link->GetPosition(&l, &t, &w, &h), S_OK);
    EXPECT_EQ(w, -50);  // not normalised
    EXPECT_EQ(h, -20);
    EXPECT_EQ(link->GetPosition(&l, nullptr, &w, &h), E_POINTER);
    SHORT angle = 5;
    EXPECT_EQ(link->get_Inclination(&angle), S_OK);
    EXPECT_EQ(angle, 0);
    EXPECT_EQ(link->put_Inclination(10), E_NOTIMPL);
    VARIANT_BOOL allowed = -1;
    EXPECT_EQ(link->get_AllowInclination(&allowed), S_OK);
    EXPECT_EQ(allowed, 0);
    ZeCntElementType type{};
    EXPECT_EQ(link->get_ElementType(&type), S_OK);
    EXPECT_EQ(type, zeCntElementTypeLink);
    EXPECT_EQ(link->put_Description(nullptr), E_INVALIDARG);
    LONG page_id = 77;
    EXPECT_EQ(link->get_PageID(&page_id), E_UNEXPECTED);
    EXPECT_EQ(page_id, 0);
    EXPECT_EQ(link->get_PageID(nullptr), E_POINTER);
    EXPECT_EQ(link->Delete(), S_OK);

    com::ComPtr<IZElement> element;
    ASSERT_EQ(link->QueryInterface(IZElement::iid, element.put_void()), S_OK);
    LONG kind = 0;
    EXPECT_EQ(element->GetObjectKind(&kind), S_OK);
    EXPECT_EQ(kind, 288);
    LONG r, b;
    ASSERT_EQ(element->GetBounds(&l, &t, &r, &b), S_OK);
    EXPECT_EQ(r, 50);
    EXPECT_EQ(b, 80);
    EXPECT_EQ(element->GetBounds(&l, &t, &r, nullptr), E_POINTER);
    EXPECT_EQ(element->Draw(0, 0, 0, 0, 0, 0, 0), S_OK);
    EXPECT_EQ(element->Attach(nullptr, nullptr, nullptr), S_OK);
}

TEST(LinkBase, DescriptionsKeepEmbeddedZerosAndNullUrlsStayNull)
{
    auto link = new_link();
    BSTR text = SysAllocStringLen(u"a\0b", 3);
    ASSERT_EQ(link->put_Description(text), S_OK);
    SysFreeString(text);
    com::Bstr back;
    ASSERT_EQ(link->get_Description(back.put()), S_OK);
    EXPECT_EQ(back.length(), 3u);
    EXPECT_EQ(link->get_Description(nullptr), E_POINTER);
    ASSERT_EQ(link->put_LinkURL(nullptr), S_OK);
    com::Bstr url(u"x");
    ASSERT_EQ(link->get_LinkURL(url.put()), S_OK);
    EXPECT_TRUE(url.is_null());
}

TEST(LinkCopy, CopiesDescriptionAndLinkDataButNotThePosition)
{
    auto from = new_link();
    auto to = new_link();
    from->SetPosition(1, 2, 3, 4);
    com::Bstr url(u"https://example.org"), description(u"the source");
    from->SetLinkData(url.get(), 0x123456, -1);
    from->put_Description(description.get());
    com::ComPtr<IZCntElementBase> destination;
    to->QueryInterface(IZCntElementBase::iid, destination.put_void());
    ASSERT_EQ(from->CopyTo(destination.get()), S_OK);
    com::Bstr got_url, got_description;
    to->get_LinkURL(got_url.put());
    to->get_Description(got_description.put());
    EXPECT_EQ(got_url.view(), u"https://example.org");
    EXPECT_EQ(got_description.view(), u"the source");
    OLE_COLOR colour = 0;
    to->get_BorderColor(&colour);
    EXPECT_EQ(colour, 0x123456u);
    LONG l, t, w, h;
    to->GetPosition(&l, &t, &w, &h);
    EXPECT_EQ(l, 0);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(from->CopyTo(nullptr), E_INVALIDARG);
}

// An element base of some other kind: CopyTo must refuse it.
class other_element : public com::object_root<other_element, IZCntElementBase> {
public:
    HRESULT GetTypeInfoCount(UINT*) noexcept override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) noexcept override { return E_NOTIMPL; }
    HRESULT SetPosition(LONG, LONG, LONG, LONG) noexcept override { return S_OK; }
    HRESULT GetPosition(LONG*, LONG*, LONG*, LONG*) noexcept override { return S_OK; }
    HRESULT Delete() noexcept override { return S_OK; }
    HRESULT get_Inclination(SHORT*) noexcept override { return S_OK; }
    HRESULT put_Inclination(SHORT) noexcept override { return S_OK; }
    HRESULT get_AllowInclination(VARIANT_BOOL*) noexcept override { return S_OK; }
    HRESULT get_ElementType(ZeCntElementType*) noexcept override { return S_OK; }
    HRESULT get_Description(BSTR*) noexcept override { return S_OK; }
    HRESULT put_Description(BSTR) noexcept override
    {
        ++description_puts;
        return S_OK;
    }
    HRESULT get_PageID(LONG*) noexcept override { return S_OK; }
    HRESULT CopyTo(IZCntElementBase*) noexcept override { return S_OK; }
    int description_puts = 0;
};

TEST(LinkCopy, ADestinationOfAnotherKindIsRefusedUntouched)
{
    auto from = new_link();
    other_element* other = nullptr;
    ASSERT_EQ(com::make<other_element>(&other), S_OK);
    EXPECT_EQ(from->CopyTo(other), E_INVALIDARG);
    EXPECT_EQ(other->description_puts, 0);
    other->Release();
}

TEST(LinkIdentity, InterfacesShareTheirPointersAsTheClassListsThem)
{
    auto link = new_link();
    com::ComPtr<IZCntElementBase> base;
    com::ComPtr<IDispatch> dispatch;
    com::ComPtr<IPersist> persist;
    com::ComPtr<IPersistStreamInit> persist_init;
    com::ComPtr<IZElement> element;
    ASSERT_EQ(link->QueryInterface(IZCntElementBase::iid, base.put_void()), S_OK);
    ASSERT_EQ(link->QueryInterface(IDispatch::iid, dispatch.put_void()), S_OK);
    ASSERT_EQ(link->QueryInterface(IPersist::iid, persist.put_void()), S_OK);
    ASSERT_EQ(link->QueryInterface(IPersistStreamInit::iid, persist_init.put_void()), S_OK);
    ASSERT_EQ(link->QueryInterface(IZElement::iid, element.put_void()), S_OK);
    EXPECT_EQ(static_cast<void*>(base.get()), static_cast<void*>(link.get()));
    EXPECT_EQ(static_cast<void*>(dispatch.get()), static_cast<void*>(link.get()));
    EXPECT_EQ(static_cast<void*>(persist.get()), static_cast<void*>(persist_init.get()));
    EXPECT_TRUE(com::same_object(element.get(), link.get()));
}

TEST(LinkIdentity, CanBeTheInnerObjectOfAnAggregate)
{
    // A minimal outer object that hands every QueryInterface to the inner one.
    struct outer_unknown : IUnknown {
        IUnknown* inner = nullptr;
        ULONG refs = 1;
        HRESULT QueryInterface(REFIID riid, void** ppv) noexcept override
        {
            if (riid == IID_IUnknown) {
                *ppv = this;
                AddRef();
                return S_OK;
            }
            return inner->QueryInterface(riid, ppv);
        }
        ULONG AddRef() noexcept override { return ++refs; }
        ULONG Release() noexcept override { return --refs; }
    } outer;
    ASSERT_EQ(cnt::create_link(&outer, IZCntElementLink::iid, reinterpret_cast<void**>(&outer.inner)),
              CLASS_E_NOAGGREGATION);
    ASSERT_EQ(cnt::create_link(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)), S_OK);
    com::ComPtr<IZCntElementLink> through;
    ASSERT_EQ(outer.QueryInterface(IZCntElementLink::iid, through.put_void()), S_OK);
    com::ComPtr<IUnknown> identity;
    through->QueryInterface(IID_IUnknown, identity.put_void());
    EXPECT_EQ(identity.get(), static_cast<IUnknown*>(&outer));
    through.reset();
    identity.reset();
    outer.inner->Release();
}

TEST(LinkDispatch, PropertiesAndMethodsAnswerByName)
{
    auto link = new_link();
    com::ComPtr<IDispatch> dispatch;
    link->QueryInterface(IDispatch::iid, dispatch.put_void());
    auto id_of = [&](const char16_t* name) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = DISPID_UNKNOWN;
        EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK) << "name";
        return id;
    };
    EXPECT_EQ(id_of(u"linkurl"), 0x15);
    EXPECT_EQ(id_of(u"SetPosition"), 1);
    EXPECT_EQ(id_of(u"CopyTo"), 9);

    // SetLinkData("https://a.org", -1 as the colour's bits, True)
    VARIANT args[3];
    VariantInit(&args[0]);
    args[0].vt = VT_BOOL;
    args[0].boolVal = VARIANT_TRUE;
    VariantInit(&args[1]);
    args[1].vt = VT_I4;
    args[1].lVal = 0x00ABCDEF;
    VariantInit(&args[2]);
    args[2].vt = VT_BSTR;
    args[2].bstrVal = SysAllocString(u"https://a.org");
    DISPPARAMS params{args, nullptr, 3, 0};
    EXPECT_EQ(dispatch->Invoke(0x18, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              S_OK);
    VariantClear(&args[2]);
    com::Variant result;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ASSERT_EQ(dispatch->Invoke(0x16, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, result.get(), nullptr,
                               nullptr),
              S_OK);
    EXPECT_EQ(result->ulVal, 0x00ABCDEFu);
    ASSERT_EQ(dispatch->Invoke(6, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, result.get(), nullptr,
                               nullptr),
              S_OK);
    EXPECT_EQ(result->lVal, 4);
    UINT bad = 99;
    EXPECT_EQ(dispatch->Invoke(0x18, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, &bad),
              DISP_E_BADPARAMCOUNT);
}

}  // namespace

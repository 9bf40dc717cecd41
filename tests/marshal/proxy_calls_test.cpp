// A note of the test thread's apartment called from another thread through a proxy: each call
// answers what the same call on a second note answers directly, and the proxy's references
// end with it.
#include <string>

#include "tests/marshal/apartment_support.h"

namespace {

using marshal_test::ApartmentTest;
using marshal_test::make_note;
using marshal_test::on_other_thread;
using marshal_test::marshal_to_memory;
using marshal_test::other_references;

std::string hex(HRESULT hr) { return std::to_string(static_cast<std::uint32_t>(hr)) + ";"; }

// Appends each piece in turn.
template <typename... P>
std::string cat(const P&... pieces)
{
    std::string out;
    (out.append(pieces), ...);
    return out;
}

std::string text(BSTR s)
{
    std::string out;
    for (char16_t c : com::bstr_view(s)) out.append(std::to_string(c)).append(",");
    SysFreeString(s);
    return out;
}

struct note_case {
    const char* name;
    std::string (*run)(IZCntElementNote* note);
};

const note_case kCases[] = {
    {"text", [](IZCntElementNote* n) {
         com::Bstr in(u"Notiz \u00fcber drei W\u00f6rter");
         std::string r = hex(n->put_Text(in.get()));
         BSTR out = nullptr;
         r += hex(n->get_Text(&out));
         return cat(r, text(out));
     }},
    {"position out arguments", [](IZCntElementNote* n) {
         std::string r = hex(n->SetPosition(10, -20, 300, 400));
         LONG v[4] = {};
         r += hex(n->GetPosition(&v[0], &v[1], &v[2], &v[3]));
         for (LONG x : v) r.append(",").append(std::to_string(x));
         return r;
     }},
    {"refused transparency", [](IZCntElementNote* n) {
         std::string r = hex(n->put_FillTransparency(150));
         SHORT t = -1;
         r += hex(n->get_FillTransparency(&t));
         return cat(r, std::to_string(t));
     }},
    {"many arguments", [](IZCntElementNote* n) {
         com::Bstr body(u"x"), font(u"Courier New");
         std::string r = hex(n->SetNoteData(body.get(), 0x112233, font.get(), 95, VARIANT_TRUE,
                                            VARIANT_FALSE, 0x445566, 0x778899,
                                            static_cast<ZeCntNoteStyle>(1), VARIANT_TRUE,
                                            VARIANT_FALSE, 150));
         BSTR name = nullptr;
         SHORT size = 0, transparency = 0;
         OLE_COLOR fill = 0;
         // Each get runs before its value is read: argument order is unspecified.
         r += hex(n->get_FontName(&name));
         r += text(name);
         r += hex(n->get_FontSize(&size));
         r += std::to_string(size);
         r += hex(n->get_FillColor(&fill));
         r += std::to_string(fill);
         r += hex(n->get_FillTransparency(&transparency));
         return cat(r, std::to_string(transparency));
     }},
    {"Invoke by name", [](IZCntElementNote* n) {
         LPOLESTR names[] = {const_cast<LPOLESTR>(u"fontsize"), const_cast<LPOLESTR>(u"Nothing")};
         DISPID ids[2] = {};
         std::string r = hex(n->GetIDsOfNames(IID_NULL, names, 1, 0, ids));
         r += hex(n->GetIDsOfNames(IID_NULL, names + 1, 1, 0, ids + 1));
         VARIANT value;
         value.vt = VT_I4;
         value.lVal = 130;
         DISPID put_id = DISPID_PROPERTYPUT;
         DISPPARAMS put{&value, &put_id, 1, 1};
         r += hex(n->Invoke(ids[0], IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr));
         DISPPARAMS none{nullptr, nullptr, 0, 0};
         com::Variant got;
         r += hex(n->Invoke(ids[0], IID_NULL, 0, DISPATCH_PROPERTYGET, &none, got.put(), nullptr, nullptr));
         r += cat(std::to_string(got.get()->vt), std::string(","), std::to_string(got.get()->iVal));
         UINT bad = 99;
         r += hex(n->Invoke(ids[0], IID_NULL, 0, DISPATCH_PROPERTYPUT, &none, nullptr, nullptr, &bad));
         return r;
     }},
};

TEST_F(ApartmentTest, ProxiedCallsAnswerAsDirectCalls)
{
    for (const note_case& c : kCases) {
        SCOPED_TRACE(c.name);
        auto direct = make_note();
        auto owned = make_note();
        ASSERT_TRUE(direct && owned);
        const std::string expected = c.run(direct.get());
        IStream* stream = nullptr;
        ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IZCntElementNote::iid, owned.get(), &stream), S_OK);
        std::string got;
        bool proxied = false;
        on_other_thread(COINIT_MULTITHREADED, [&] {
            com::ComPtr<IZCntElementNote> proxy;
            ASSERT_EQ(CoGetInterfaceAndReleaseStream(stream, IZCntElementNote::iid, proxy.put_void()), S_OK);
            proxied = proxy.get() != owned.get();
            got = c.run(proxy.get());
        });
        EXPECT_TRUE(proxied);
        EXPECT_EQ(got, expected);
        EXPECT_EQ(other_references(owned.get()), 0u) << "the stub kept the note";
    }
    // The refused put really failed, so the comparison above compared a failure.
    auto note = make_note();
    EXPECT_EQ(note->put_FillTransparency(150), E_INVALIDARG);
}

TEST_F(ApartmentTest, InterfacesWithoutProxyAreRefused)
{
    auto note = make_note();
    EXPECT_EQ(marshal_to_memory(IPersistStreamInit::iid, note.get()), E_NOINTERFACE);
    IStream* passed = nullptr;
    ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IZCntElementNote::iid, note.get(), &passed), S_OK);
    on_other_thread(COINIT_MULTITHREADED, [&] {
        com::ComPtr<IZCntElementNote> proxy;
        ASSERT_EQ(CoGetInterfaceAndReleaseStream(passed, IZCntElementNote::iid, proxy.put_void()), S_OK);
        com::ComPtr<IUnknown> other;
        EXPECT_EQ(proxy->QueryInterface(IPersistStreamInit::iid, other.put_void()), E_NOINTERFACE);
        com::ComPtr<IZCntElementBase> base;
        EXPECT_EQ(proxy->QueryInterface(IZCntElementBase::iid, base.put_void()), S_OK);
        com::ComPtr<IDispatch> disp;
        EXPECT_EQ(proxy->QueryInterface(IDispatch::iid, disp.put_void()), S_OK);
        UINT count = 0;
        EXPECT_EQ(disp->GetTypeInfoCount(&count), S_OK);
        EXPECT_EQ(count, 1u);
    });
    EXPECT_EQ(other_references(note.get()), 0u);
}

TEST_F(ApartmentTest, GlobalTableHandsOutProxiesUntilRevoked)
{
    auto note = make_note();
    com::ComPtr<IGlobalInterfaceTable> git;
    ASSERT_EQ(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                               IGlobalInterfaceTable::iid, git.put_void()),
              S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(git->RegisterInterfaceInGlobal(note.get(), IZCntElementNote::iid, &cookie), S_OK);
    com::ComPtr<IZCntElementNote> same;
    ASSERT_EQ(git->GetInterfaceFromGlobal(cookie, IZCntElementNote::iid, same.put_void()), S_OK);
    EXPECT_EQ(same.get(), note.get()) << "the own apartment gets the object itself";
    same = nullptr;
    for (int round = 0; round < 2; ++round) {
        on_other_thread(COINIT_APARTMENTTHREADED, [&] {
            com::ComPtr<IZCntElementNote> proxy;
            ASSERT_EQ(git->GetInterfaceFromGlobal(cookie, IZCntElementNote::iid, proxy.put_void()), S_OK);
            EXPECT_EQ(proxy->put_FontSize(static_cast<SHORT>(100 + round)), S_OK);
        });
    }
    SHORT size = 0;
    EXPECT_EQ(note->get_FontSize(&size), S_OK);
    EXPECT_EQ(size, 101);
    EXPECT_GT(other_references(note.get()), 0u);
    EXPECT_EQ(git->RevokeInterfaceFromGlobal(cookie), S_OK);
    EXPECT_EQ(git->RevokeInterfaceFromGlobal(cookie), E_INVALIDARG);
    com::pump_calls(0);
    EXPECT_EQ(other_references(note.get()), 0u);
}

}  // namespace

// The apartment rules: modes per thread, marshalling outside apartments, and calls into an
// apartment that has closed.
#include "tests/marshal/apartment_support.h"

namespace {

using marshal_test::ApartmentTest;
using marshal_test::make_note;
using marshal_test::marshal_to_memory;

TEST(Apartments, ModeIsFixedPerThreadUntilUninitialised)
{
    struct step {
        DWORD flags;
        HRESULT expected;
    };
    const step steps[] = {{COINIT_MULTITHREADED, S_OK},
                          {COINIT_MULTITHREADED, S_FALSE},
                          {COINIT_APARTMENTTHREADED, RPC_E_CHANGED_MODE}};
    std::thread([&] {
        for (const step& s : steps) EXPECT_EQ(CoInitializeEx(nullptr, s.flags), s.expected);
        CoUninitialize();
        CoUninitialize();
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK) << "left the apartment";
        CoUninitialize();
    }).join();
}

TEST(Apartments, OutsideAnApartmentNothingIsMarshalled)
{
    auto note = make_note();
    EXPECT_EQ(marshal_to_memory(IZCntElementNote::iid, note.get()), CO_E_NOTINITIALIZED);
    EXPECT_EQ(com::pump_calls(0), 0u);
}

TEST_F(ApartmentTest, CallsIntoAClosedApartmentAreDisconnected)
{
    com::ComPtr<IZCntElementNote> proxy;
    std::thread([&] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        auto note = make_note();
        IStream* stream = nullptr;
        ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IZCntElementNote::iid, note.get(), &stream), S_OK);
        // Unmarshalled on the test's thread below, after this apartment closed.
        std::thread([&] {
            ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
            EXPECT_EQ(CoGetInterfaceAndReleaseStream(stream, IZCntElementNote::iid, proxy.put_void()), S_OK);
            CoUninitialize();
        }).join();
        note = nullptr;
        CoUninitialize();
    }).join();
    ASSERT_TRUE(proxy);
    BSTR text = nullptr;
    EXPECT_EQ(proxy->get_Text(&text), RPC_E_DISCONNECTED);
    EXPECT_EQ(text, nullptr);
    proxy = nullptr;
}

}  // namespace

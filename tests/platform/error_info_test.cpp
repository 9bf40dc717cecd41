// The thread's error information: SetErrorInfo, GetErrorInfo and the error object.
#include <gtest/gtest.h>

#include <thread>
#include <tuple>

#include "platform/com/com_ptr.h"
#include "platform/com/error_info.h"
#include "tests/platform/test_support.h"

namespace {

com::ComPtr<IErrorInfo> make_error(const char16_t* description)
{
    com::ComPtr<ICreateErrorInfo> create;
    com::ComPtr<IErrorInfo> error;
    if (SUCCEEDED(CreateErrorInfo(create.put()))) {
        create->SetDescription(const_cast<LPOLESTR>(description));
        error = create.try_as<IErrorInfo>();
    }
    return error;
}

// GetErrorInfo's result, which must give a null object when it has none.
HRESULT none_left()
{
    IErrorInfo* info = reinterpret_cast<IErrorInfo*>(0x1);
    HRESULT hr = GetErrorInfo(0, &info);
    EXPECT_EQ(info, nullptr);
    return hr;
}

TEST(ErrorInfo, GetHandsTheObjectOverAndClears)
{
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(none_left(), S_FALSE);
    com::ComPtr<IErrorInfo> error = make_error(u"broken");
    ASSERT_TRUE(error);
    const ULONG before = counted::references(error.get());
    ASSERT_EQ(SetErrorInfo(0, error.get()), S_OK);
    EXPECT_EQ(counted::references(error.get()), before + 1);

    com::ComPtr<IErrorInfo> got;
    ASSERT_EQ(GetErrorInfo(0, got.put()), S_OK);
    EXPECT_EQ(got, error);
    EXPECT_EQ(counted::references(error.get()), before + 1) << "the thread's reference moved to us";
    EXPECT_EQ(none_left(), S_FALSE);
    got = nullptr;
    EXPECT_EQ(counted::references(error.get()), before);
}

TEST(ErrorInfo, SettingAgainNullOrClearingReleasesTheOldObject)
{
    com::ComPtr<IErrorInfo> first = make_error(u"one");
    com::ComPtr<IErrorInfo> second = make_error(u"two");
    const ULONG before = counted::references(first.get());
    SetErrorInfo(0, first.get());
    SetErrorInfo(0, second.get());
    EXPECT_EQ(counted::references(first.get()), before);
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(counted::references(second.get()), before);
    SetErrorInfo(0, first.get());
    com::clear_error_info();
    EXPECT_EQ(counted::references(first.get()), before);
    EXPECT_EQ(none_left(), S_FALSE);
}

TEST(ErrorInfo, ReservedArgumentsAndNullPointersAreRefused)
{
    com::ComPtr<IErrorInfo> error = make_error(u"x");
    EXPECT_EQ(SetErrorInfo(1, error.get()), E_INVALIDARG);
    IErrorInfo* info = nullptr;
    EXPECT_EQ(GetErrorInfo(1, &info), E_INVALIDARG);
    EXPECT_EQ(GetErrorInfo(0, nullptr), E_INVALIDARG);
    EXPECT_EQ(CreateErrorInfo(nullptr), E_INVALIDARG);
    EXPECT_EQ(none_left(), S_FALSE) << "the refused set stored nothing";
}

TEST(ErrorInfo, ObjectKeepsWhatWasSet)
{
    com::ComPtr<ICreateErrorInfo> create;
    ASSERT_EQ(CreateErrorInfo(create.put()), S_OK);
    const GUID guid = com::make_guid("{E1E1E1E1-0000-4000-8000-000000000001}");
    create->SetGUID(guid);
    create->SetSource(const_cast<LPOLESTR>(u"Sample.Source"));
    create->SetDescription(const_cast<LPOLESTR>(u"Something failed"));
    create->SetHelpContext(42);
    com::ComPtr<IErrorInfo> error = create.try_as<IErrorInfo>();
    ASSERT_TRUE(error);

    const long bstrs = com::bstr_live_count();
    GUID got{};
    BSTR source = nullptr, description = nullptr, help = reinterpret_cast<BSTR>(0x1);
    DWORD context = 0;
    for (HRESULT hr : {error->GetGUID(&got), error->GetSource(&source),
                       error->GetDescription(&description), error->GetHelpFile(&help),
                       error->GetHelpContext(&context)})
        EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(std::tuple(got, com::bstr_view(source), com::bstr_view(description), context),
              std::tuple(guid, u"Sample.Source", u"Something failed", 42u));
    EXPECT_EQ(help, nullptr) << "never set";
    EXPECT_EQ(error->GetSource(nullptr), E_INVALIDARG);
    SysFreeString(source);
    SysFreeString(description);
    EXPECT_EQ(com::bstr_live_count(), bstrs);
}

TEST(ErrorInfo, EachThreadHasItsOwn)
{
    com::ComPtr<IErrorInfo> error = make_error(u"main");
    SetErrorInfo(0, error.get());
    HRESULT other_thread = E_UNEXPECTED;
    std::thread([&] {
        other_thread = none_left();
        com::ComPtr<IErrorInfo> own = make_error(u"worker");
        SetErrorInfo(0, own.get());  // released when the thread ends
    }).join();
    EXPECT_EQ(other_thread, S_FALSE);
    com::ComPtr<IErrorInfo> got;
    ASSERT_EQ(GetErrorInfo(0, got.put()), S_OK);
    EXPECT_EQ(got, error);
}

}  // namespace

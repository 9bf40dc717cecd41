// Error information: the calling thread's IErrorInfo, set by a failing method and read by its
// caller, with CreateErrorInfo to make one.
#pragma once

#include <string_view>

#include "platform/com/oaidl.h"

struct ICreateErrorInfo : IUnknown {
    static constexpr IID iid = com::make_guid("{22F03340-547D-101B-8E65-08002B2BD119}");
    using base = IUnknown;

    virtual HRESULT SetGUID(REFGUID guid) noexcept = 0;
    virtual HRESULT SetSource(LPOLESTR source) noexcept = 0;
    virtual HRESULT SetDescription(LPOLESTR description) noexcept = 0;
    virtual HRESULT SetHelpFile(LPOLESTR help_file) noexcept = 0;
    virtual HRESULT SetHelpContext(DWORD help_context) noexcept = 0;
};

// Replaces the thread's error information (AddRef'd; null clears it). E_INVALIDARG when
// `reserved` is not 0.
HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* info) noexcept;
// Hands over the thread's error information and clears it: S_OK with the object, or S_FALSE
// with *info null when there is none. E_INVALIDARG for a null `info` or non-zero `reserved`.
HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** info) noexcept;
// A new, empty error object; query it for IErrorInfo to pass it to SetErrorInfo.
HRESULT CreateErrorInfo(ICreateErrorInfo** info) noexcept;

namespace com {

// For methods that fail with a message: sets the thread's error information (interface id,
// source, description) and returns `hr`, so that `return report_error(E_INVALIDARG, …);` reads
// as one step. When the error object cannot be made, `hr` is still returned.
HRESULT report_error(HRESULT hr, std::u16string_view description, std::u16string_view source = {},
                     REFGUID iid = GUID_NULL) noexcept;

// Drops the thread's error information, as a dispatcher does before it calls a method. Cheap
// when there is none.
void clear_error_info() noexcept;

}  // namespace com

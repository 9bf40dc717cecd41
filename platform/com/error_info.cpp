// The error object and the thread's slot for it.
#include "platform/com/error_info.h"

#include <new>
#include <string>
#include <utility>

#include "platform/com/com_ptr.h"
#include "platform/com/object.h"

namespace {

// One reference per thread, released when the thread ends.
struct thread_error_slot {
    IErrorInfo* info = nullptr;
    ~thread_error_slot()
    {
        if (info) std::exchange(info, nullptr)->Release();
    }
};
thread_local thread_error_slot t_error;

HRESULT copy_out(const std::u16string& text, bool set, BSTR* out) noexcept
{
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (!set) return S_OK;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT assign(std::u16string* target, bool* set, LPCOLESTR text) noexcept
{
    try {
        if (text) {
            target->assign(text);
            *set = true;
        } else {
            target->clear();
            *set = false;
        }
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

class CErrorInfo : public com::object_root<CErrorInfo, IErrorInfo, ICreateErrorInfo> {
public:
    HRESULT GetGUID(GUID* guid) noexcept override
    {
        if (!guid) return E_INVALIDARG;
        *guid = guid_;
        return S_OK;
    }
    HRESULT GetSource(BSTR* out) noexcept override { return copy_out(source_, has_source_, out); }
    HRESULT GetDescription(BSTR* out) noexcept override
    {
        return copy_out(description_, has_description_, out);
    }
    HRESULT GetHelpFile(BSTR* out) noexcept override
    {
        return copy_out(help_file_, has_help_file_, out);
    }
    HRESULT GetHelpContext(DWORD* context) noexcept override
    {
        if (!context) return E_INVALIDARG;
        *context = help_context_;
        return S_OK;
    }

    HRESULT SetGUID(REFGUID guid) noexcept override
    {
        guid_ = guid;
        return S_OK;
    }
    HRESULT SetSource(LPOLESTR text) noexcept override
    {
        return assign(&source_, &has_source_, text);
    }
    HRESULT SetDescription(LPOLESTR text) noexcept override
    {
        return assign(&description_, &has_description_, text);
    }
    HRESULT SetHelpFile(LPOLESTR text) noexcept override
    {
        return assign(&help_file_, &has_help_file_, text);
    }
    HRESULT SetHelpContext(DWORD context) noexcept override
    {
        help_context_ = context;
        return S_OK;
    }

private:
    GUID guid_{};
    std::u16string source_, description_, help_file_;
    bool has_source_ = false, has_description_ = false, has_help_file_ = false;
    DWORD help_context_ = 0;
};

}  // namespace

HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* info) noexcept
{
    if (reserved != 0) return E_INVALIDARG;
    if (info) info->AddRef();
    // The old object is released last: its Release may itself set error information.
    IErrorInfo* old = std::exchange(t_error.info, info);
    if (old) old->Release();
    return S_OK;
}

HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** info) noexcept
{
    if (reserved != 0 || !info) return E_INVALIDARG;
    *info = std::exchange(t_error.info, nullptr);
    return *info ? S_OK : S_FALSE;
}

HRESULT CreateErrorInfo(ICreateErrorInfo** info) noexcept
{
    if (!info) return E_INVALIDARG;
    return com::make<CErrorInfo>(info);
}

namespace com {

HRESULT report_error(HRESULT hr, std::u16string_view description, std::u16string_view source,
                     REFGUID iid) noexcept
{
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.put()))) return hr;
    try {
        std::u16string text(description), from(source);
        create->SetGUID(iid);
        if (!from.empty()) create->SetSource(from.data());
        create->SetDescription(text.data());
    } catch (const std::bad_alloc&) {
        return hr;
    }
    if (auto error = create.try_as<IErrorInfo>()) SetErrorInfo(0, error.get());
    return hr;
}

void clear_error_info() noexcept
{
    if (t_error.info) std::exchange(t_error.info, nullptr)->Release();
}

}  // namespace com

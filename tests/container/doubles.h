// Stand-ins for what the container reads: an element (optionally a form field) whose base
// properties the test sets, and a host page that reports a page id. Both count as module
// objects, so a test can see that everything was released.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "contentelements/cnt_container.h"
#include "contentelements/cnt_formfield.h"
#include "contentelements/zprint_page.h"
#include "platform/com/com.h"

namespace container_test {

struct element_values {
    LONG left = 0, top = 0, width = 0, height = 0;
    SHORT inclination = 0;
    ZeCntElementType type = zeCntElementTypeLink;
    std::u16string description;
    bool null_description = false;
};

class base_members : public com::automation::dispatch_impl<IZCntElementBase> {
public:
    element_values values;
    int description_reads = 0;

    HRESULT SetPosition(LONG l, LONG t, LONG w, LONG h) noexcept override
    {
        values.left = l, values.top = t, values.width = w, values.height = h;
        return S_OK;
    }
    HRESULT GetPosition(LONG* l, LONG* t, LONG* w, LONG* h) noexcept override
    {
        if (!l || !t || !w || !h) return E_POINTER;
        *l = values.left, *t = values.top, *w = values.width, *h = values.height;
        return S_OK;
    }
    HRESULT Delete() noexcept override { return S_OK; }
    HRESULT get_Inclination(SHORT* d) noexcept override { return *d = values.inclination, S_OK; }
    HRESULT put_Inclination(SHORT d) noexcept override { return values.inclination = d, S_OK; }
    HRESULT get_AllowInclination(VARIANT_BOOL* a) noexcept override
    {
        return *a = VARIANT_TRUE, S_OK;
    }
    HRESULT get_ElementType(ZeCntElementType* t) noexcept override
    {
        return *t = values.type, S_OK;
    }
    HRESULT get_Description(BSTR* text) noexcept override
    {
        ++description_reads;
        *text = values.null_description
                    ? nullptr
                    : SysAllocStringLen(values.description.data(),
                                        static_cast<UINT>(values.description.size()));
        return S_OK;
    }
    HRESULT put_Description(BSTR) noexcept override { return E_NOTIMPL; }
    HRESULT get_PageID(LONG* id) noexcept override { return *id = 0, E_UNEXPECTED; }
    HRESULT CopyTo(IZCntElementBase*) noexcept override { return E_NOTIMPL; }
};

class CElement : public com::object_root<CElement, base_members> {
public:
    IZCntElementBase* base() noexcept { return this; }
};

class field_members : public com::automation::dispatch_impl<IZCntElementFormField> {
public:
    com::Bstr name;
    int name_puts = 0;
    // Runs inside put_Name, as an attached field reports its change to the container.
    std::function<void()> on_name_put;

    HRESULT get_Name(BSTR* out) noexcept override
    {
        *out = name.is_null() ? nullptr : SysAllocStringLen(name.view().data(), name.length());
        return S_OK;
    }
    HRESULT put_Name(BSTR value) noexcept override
    {
        ++name_puts;
        name = com::Bstr(com::bstr_view(value));
        if (on_name_put) on_name_put();
        return S_OK;
    }
    HRESULT get_ReadOnly(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    HRESULT put_ReadOnly(VARIANT_BOOL) noexcept override { return E_NOTIMPL; }
    HRESULT get_DefaultValue(VARIANT*) noexcept override { return E_NOTIMPL; }
    HRESULT put_DefaultValue(VARIANT) noexcept override { return E_NOTIMPL; }
    HRESULT get_CurrentValue(VARIANT*) noexcept override { return E_NOTIMPL; }
    HRESULT put_CurrentValue(VARIANT) noexcept override { return E_NOTIMPL; }
    HRESULT get_MappingName(BSTR*) noexcept override { return E_NOTIMPL; }
    HRESULT put_MappingName(BSTR) noexcept override { return E_NOTIMPL; }
    HRESULT get_Export(VARIANT_BOOL*) noexcept override { return E_NOTIMPL; }
    HRESULT put_Export(VARIANT_BOOL) noexcept override { return E_NOTIMPL; }
    HRESULT get_Appearance(IZCntFormFieldAppearance**) noexcept override { return E_NOTIMPL; }
};

class CField : public com::object_root<CField, base_members, field_members> {
public:
    IZCntElementBase* base() noexcept { return this; }
    void final_release() noexcept { on_name_put = nullptr; }
};

class CPage : public com::object_root<CPage, com::automation::dispatch_impl<IZPrintContentPage>> {
public:
    LONG page_id = 0;
    bool answers_page_id = true;

    HRESULT get_PageObjects(IZPageObjectList**) noexcept override { return E_NOTIMPL; }
    HRESULT get_Resolution(LONG*) noexcept override { return E_NOTIMPL; }
    HRESULT get_Resources(IZResourceList**) noexcept override { return E_NOTIMPL; }
    HRESULT get_Width(LONG*) noexcept override { return E_NOTIMPL; }
    HRESULT put_Width(LONG) noexcept override { return E_NOTIMPL; }
    HRESULT get_Height(LONG*) noexcept override { return E_NOTIMPL; }
    HRESULT put_Height(LONG) noexcept override { return E_NOTIMPL; }
    HRESULT put_Resolution(LONG) noexcept override { return E_NOTIMPL; }
    HRESULT get_Document(IZDocument**) noexcept override { return E_NOTIMPL; }
    HRESULT get_Title(BSTR*) noexcept override { return E_NOTIMPL; }
    HRESULT put_Title(BSTR) noexcept override { return E_NOTIMPL; }
    HRESULT get_PageNumber(LONG*) noexcept override { return E_NOTIMPL; }
    HRESULT AddWord(BSTR, LONG, LONG, LONG, LONG, LONG) noexcept override { return E_NOTIMPL; }
    HRESULT get_WordCount(LONG*) noexcept override { return E_NOTIMPL; }
    HRESULT get_DocumentView(IDispatch**) noexcept override { return E_NOTIMPL; }
    HRESULT CreateTextRange(LONG, LONG, IDispatch**) noexcept override { return E_NOTIMPL; }
    HRESULT FindText(BSTR, LONG*) noexcept override { return E_NOTIMPL; }
    // A page that fails the getter leaves the id untouched and reports an error.
    HRESULT get_PageID(LONG* id) noexcept override
    {
        if (!answers_page_id) return E_FAIL;
        *id = page_id;
        return S_OK;
    }
    HRESULT get_PageList(IZPageList**) noexcept override { return E_NOTIMPL; }

    IDispatch* dispatch() noexcept { return this; }
};

inline com::ComPtr<CElement> make_element(const element_values& v)
{
    CElement* raw = nullptr;
    if (FAILED(com::make<CElement>(&raw))) return nullptr;
    raw->values = v;
    com::ComPtr<CElement> out;
    out.attach(raw);
    return out;
}

// A field has two IUnknown bases, so it is held through its base interface.
struct field_ref {
    com::ComPtr<IZCntElementBase> holder;
    CField* field = nullptr;
    CField* operator->() const noexcept { return field; }
    IZCntElementBase* base() const noexcept { return holder.get(); }
};

inline field_ref make_field(std::u16string_view name, bool null_name = false)
{
    CField* raw = nullptr;
    if (FAILED(com::make<CField>(&raw))) return {};
    raw->values.type = zeCntElementTypeFieldText;
    raw->values.width = raw->values.height = 10;
    if (!null_name) raw->name = com::Bstr(name);
    field_ref out;
    out.holder.attach(raw->base());
    out.field = raw;
    return out;
}

inline com::ComPtr<CPage> make_page(LONG id)
{
    CPage* raw = nullptr;
    if (FAILED(com::make<CPage>(&raw))) return nullptr;
    raw->page_id = id;
    com::ComPtr<CPage> out;
    out.attach(raw);
    return out;
}

}  // namespace container_test

// The page view an element is given at Attach: every call goes to the page, and what is added
// to the page object list through the view is noted as the element's.
#include "host/model/element_view.h"

#include "host/model/document_object.h"

namespace host {
namespace {

class element_view;

// Answered by a view and by its page object list: the page they show, for its journal names.
struct IElementView : IUnknown {
    static constexpr IID iid = com::make_guid("{6C2E8A41-3F5B-4D7E-A1C9-8B4F2E6D0A37}");
    using base = IUnknown;
    virtual page* viewed_page(bool* objects_list) noexcept = 0;
};

// IElementView for a view or for its page object list, counted with the view.
class view_hook final : public IElementView {
public:
    view_hook(element_view* view, bool objects_list) noexcept
        : view_(view), objects_list_(objects_list)
    {
    }
    HRESULT QueryInterface(REFIID riid, void** out) noexcept override;
    ULONG AddRef() noexcept override;
    ULONG Release() noexcept override;
    page* viewed_page(bool* objects_list) noexcept override;

private:
    element_view* view_;
    bool objects_list_;
};

class object_list_view final : public child_part<IZPageObjectList, element_view> {
public:
    using child_part::child_part;
    HRESULT QueryInterface(REFIID riid, void** out) noexcept override;

    HRESULT AddElement(IZElement* element) noexcept override;
    HRESULT Add(VARIANT object, LONG* id) noexcept override;
    HRESULT Create(LONG kind, IDispatch** object) noexcept override;
    HRESULT get_Page(IZPrintContentPage** page) noexcept override;
    HRESULT Remove(LONG id) noexcept override;
    HRESULT Order(LONG id, LONG after, LONG flags) noexcept override;
    HRESULT get_Count(LONG* count) noexcept override;
    HRESULT get_Item(LONG index, IDispatch** object) noexcept override;
    HRESULT get_ItemID(LONG index, LONG* id) noexcept override;
    HRESULT ItemFromID(LONG id, IDispatch** object) noexcept override;
};

class element_view
    : public com::object_root<element_view, com::automation::dispatch_impl<IZPrintContentPage>> {
public:
    element_view() noexcept : objects_(this), page_hook_(this, false), list_hook_(this, true) {}
    void init(page* p, IUnknown* element) noexcept
    {
        page_ = com::ComPtr<page>(p);
        // Only the address is kept, as a key: the element holds its view, not the other way.
        com::ComPtr<IUnknown> identity_of_element;
        element->QueryInterface(IID_IUnknown, identity_of_element.put_void());
        maker_ = identity_of_element.get();
    }
    HRESULT query_interface_fallback(REFIID riid, void** out) noexcept
    {
        if (riid != IElementView::iid) return E_NOINTERFACE;
        *out = static_cast<IElementView*>(&page_hook_);
        page_hook_.AddRef();
        return S_OK;
    }
    IElementView* list_hook() noexcept { return &list_hook_; }
    IUnknown* list_unknown() noexcept { return objects_.unknown(); }
    page* viewed() noexcept { return page_.get(); }

    page& real() noexcept { return *page_; }
    // The element's id in the page object list, once it has added itself there.
    LONG maker() noexcept { return page_->objects().id_of(maker_); }

    HRESULT get_PageObjects(IZPageObjectList** list) noexcept override
    {
        // The page's answer goes to the journal; the element works on the view's list.
        com::ComPtr<IZPageObjectList> theirs;
        HRESULT hr = page_->get_PageObjects(theirs.put());
        if (FAILED(hr) || !list) return hr;
        *list = &objects_;
        AddRef();
        return hr;
    }
    HRESULT get_Resolution(LONG* v) noexcept override { return page_->get_Resolution(v); }
    HRESULT get_Resources(IZResourceList** list) noexcept override { return page_->get_Resources(list); }
    HRESULT get_Width(LONG* v) noexcept override { return page_->get_Width(v); }
    HRESULT put_Width(LONG v) noexcept override { return page_->put_Width(v); }
    HRESULT get_Height(LONG* v) noexcept override { return page_->get_Height(v); }
    HRESULT put_Height(LONG v) noexcept override { return page_->put_Height(v); }
    HRESULT put_Resolution(LONG v) noexcept override { return page_->put_Resolution(v); }
    HRESULT get_Document(IZDocument** d) noexcept override { return page_->get_Document(d); }
    HRESULT get_Title(BSTR* v) noexcept override { return page_->get_Title(v); }
    HRESULT put_Title(BSTR v) noexcept override { return page_->put_Title(v); }
    HRESULT get_PageNumber(LONG* n) noexcept override { return page_->get_PageNumber(n); }
    HRESULT AddWord(BSTR text, LONG left, LONG top, LONG right, LONG bottom, LONG id) noexcept override
    {
        return page_->AddWord(text, left, top, right, bottom, id);
    }
    HRESULT get_WordCount(LONG* n) noexcept override { return page_->get_WordCount(n); }
    HRESULT get_DocumentView(IDispatch** v) noexcept override { return page_->get_DocumentView(v); }
    HRESULT CreateTextRange(LONG first, LONG count, IDispatch** range) noexcept override
    {
        return page_->CreateTextRange(first, count, range);
    }
    HRESULT FindText(BSTR text, LONG* first) noexcept override { return page_->FindText(text, first); }
    HRESULT get_PageID(LONG* id) noexcept override { return page_->get_PageID(id); }
    HRESULT get_PageList(IZPageList** pages) noexcept override { return page_->get_PageList(pages); }

private:
    com::ComPtr<page> page_;
    IUnknown* maker_ = nullptr;
    object_list_view objects_;
    view_hook page_hook_, list_hook_;
};

IZPageObjectList* objects_of(element_view* v) noexcept { return v->real().object_list(); }

HRESULT view_hook::QueryInterface(REFIID riid, void** out) noexcept
{
    return objects_list_ ? view_->list_unknown()->QueryInterface(riid, out)
                         : view_->identity()->QueryInterface(riid, out);
}
ULONG view_hook::AddRef() noexcept { return view_->identity()->AddRef(); }
ULONG view_hook::Release() noexcept { return view_->identity()->Release(); }

page* view_hook::viewed_page(bool* objects_list) noexcept
{
    *objects_list = objects_list_;
    return view_->viewed();
}

HRESULT object_list_view::QueryInterface(REFIID riid, void** out) noexcept
{
    if (out && riid == IElementView::iid) {
        *out = owner_->list_hook();
        AddRef();
        return S_OK;
    }
    return child_part::QueryInterface(riid, out);
}

HRESULT object_list_view::AddElement(IZElement* element) noexcept
{
    return objects_of(owner_)->AddElement(element);
}

HRESULT object_list_view::Add(VARIANT object, LONG* id) noexcept
{
    const HRESULT hr = objects_of(owner_)->Add(object, id);
    if (SUCCEEDED(hr) && id && *id != 0) {
        const LONG maker = owner_->maker();
        // The element listing itself makes nothing.
        if (maker != 0 && maker != *id) owner_->real().objects().set_maker(*id, maker);
    }
    return hr;
}

HRESULT object_list_view::Create(LONG kind, IDispatch** object) noexcept
{
    return objects_of(owner_)->Create(kind, object);
}

HRESULT object_list_view::get_Page(IZPrintContentPage** p) noexcept
{
    com::ComPtr<IZPrintContentPage> theirs;
    HRESULT hr = objects_of(owner_)->get_Page(theirs.put());
    if (FAILED(hr) || !p) return hr;
    *p = owner_;
    owner_->AddRef();
    return hr;
}

HRESULT object_list_view::Remove(LONG id) noexcept { return objects_of(owner_)->Remove(id); }

HRESULT object_list_view::Order(LONG id, LONG after, LONG flags) noexcept
{
    return objects_of(owner_)->Order(id, after, flags);
}

HRESULT object_list_view::get_Count(LONG* count) noexcept
{
    return objects_of(owner_)->get_Count(count);
}

HRESULT object_list_view::get_Item(LONG index, IDispatch** object) noexcept
{
    return objects_of(owner_)->get_Item(index, object);
}

HRESULT object_list_view::get_ItemID(LONG index, LONG* id) noexcept
{
    return objects_of(owner_)->get_ItemID(index, id);
}

HRESULT object_list_view::ItemFromID(LONG id, IDispatch** object) noexcept
{
    return objects_of(owner_)->ItemFromID(id, object);
}

}  // namespace

page* page_of_view(IUnknown* object, bool* objects_list) noexcept
{
    *objects_list = false;
    com::ComPtr<IElementView> view;
    if (!object || FAILED(object->QueryInterface(IElementView::iid, view.put_void())) || !view)
        return nullptr;
    return view->viewed_page(objects_list);
}

HRESULT make_element_view(page* p, IUnknown* element, IZPrintContentPage** view) noexcept
{
    if (!view) return E_POINTER;
    *view = nullptr;
    if (!p || !element) return E_INVALIDARG;
    element_view* made = nullptr;
    RETURN_IF_FAILED(com::make<element_view>(&made));
    made->init(p, element);
    *view = made;
    return S_OK;
}

HRESULT attach_through_view(page* p, IZElement* element, IDispatch* document) noexcept
{
    if (!p || !element) return E_INVALIDARG;
    com::ComPtr<IZPrintContentPage> view;
    RETURN_IF_FAILED(make_element_view(p, element, view.put()));
    com::ComPtr<IZPageObjectList> objects;
    view->get_PageObjects(objects.put());
    if (!objects) return E_UNEXPECTED;
    return element->Attach(objects.get(), p->resource_list_part(), document);
}

}  // namespace host

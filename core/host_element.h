// IZElement for an annotation element: its kind, the attach procedure that enters it into the
// page's object list and the document's element container, its bounds and the drawing it
// leaves to its host objects. Part of the element skeleton (core/element.h).
#pragma once

#include "contentelements/cnt_container.h"
#include "contentelements/cnt_document.h"
#include "contentelements/cnt_types.h"
#include "contentelements/zprint_page.h"
#include "core/element_state.h"
#include "platform/com/com.h"

namespace cnt {

// The choices an element class makes in the skeleton's shared steps, where the elements
// differ; a class without `options` takes these defaults.
struct element_options {
    bool normalise_position = false;         // SetPosition swaps reversed edges
    bool attach_needs_page_objects = true;   // AddElement at Attach only with page objects made
    bool lists_checked_in_turn = false;      // rebuild: a missing resource list ends it before
                                             // the page objects are asked for
    bool removal_failure_ignored = false;    // rebuild: goes on after a failed removal of the
                                             // earlier objects
};

template <typename D>
constexpr element_options options_of() noexcept
{
    if constexpr (requires { D::options; })
        return D::options;
    else
        return element_options{};
}

// IZElement for an element: kind, attach, bounds and the no-op drawing.
template <typename Derived>
class host_element : public com::automation::dispatch_impl<IZElement> {
public:
    HRESULT GetObjectKind(LONG* kind) noexcept override
    {
        if (!kind) return E_POINTER;
        *kind = kElementKindBase + Derived::element_type;
        return S_OK;
    }

    HRESULT Attach(IDispatch* page_objects, IDispatch* resources,
                   IDispatch* document) noexcept override;

    HRESULT GetBounds(LONG* left, LONG* top, LONG* right, LONG* bottom) noexcept override
    {
        if (!left || !top || !right || !bottom) return E_POINTER;
        const rect& r = self().state().position;
        *left = r.left;
        *top = r.top;
        *right = r.right;
        *bottom = r.bottom;
        return S_OK;
    }

    HRESULT Draw(LONGLONG, LONG, LONG, LONG, LONG, LONG, LONGLONG) noexcept override
    {
        return S_OK;
    }

private:
    Derived& self() noexcept { return static_cast<Derived&>(*this); }
};

// ---- Attach ---------------------------------------------------------------------------------

template <typename Derived>
HRESULT host_element<Derived>::Attach(IDispatch* page_objects, IDispatch* /*resources*/,
                                      IDispatch* document) noexcept
{
    if (!page_objects) return S_OK;
    Derived& d = self();
    element_state& s = d.state();

    s.page.reset();
    com::ComPtr<IZPageObjectList> list;
    page_objects->QueryInterface(IZPageObjectList::iid, list.put_void());
    if (list) list->get_Page(s.page.put());
    if constexpr (requires { d.attach_document(document); }) d.attach_document(document);

    if (s.container) return S_OK;
    if (!document || !s.page) return S_OK;

    com::ComPtr<IZDocument> doc;
    document->QueryInterface(IZDocument::iid, doc.put_void());
    if (doc) FindElementContainer(doc.get(), s.container.put());
    if (!s.container) {
        // By class id, so that the elements need not know the container's code.
        if (FAILED(CoCreateInstance(CLSID_ZCntElementContainer, nullptr, CLSCTX_INPROC_SERVER,
                                    IZCntElementContainer::iid, s.container.put_void())) ||
            !s.container)
            return E_OUTOFMEMORY;
        com::ComPtr<IZObject> as_object;
        s.container->QueryInterface(IZObject::iid, as_object.put_void());
        if (doc && as_object) doc->Add(as_object.get());
    }

    LONG element_id = 0;
    if (list) {
        VARIANT me;
        VariantInit(&me);
        me.vt = VT_UNKNOWN;
        me.punkVal = d.identity();
        list->Add(me, &element_id);
    }
    s.element_id = element_id;

    LONG page_id = 0;
    s.page->get_PageID(&page_id);
    const bool known =
        !options_of<Derived>().attach_needs_page_objects || !s.page_object_ids.empty();
    if (s.element_id != 0 && page_id != 0 && known)
        s.container->AddElement(page_id, s.element_id, d.base_interface());
    return S_OK;
}

}  // namespace cnt

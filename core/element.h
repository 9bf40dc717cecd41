// The skeleton every annotation element shares: its common state, the base interface
// IZCntElementBase, the engine's element interface IZElement with the attach procedure, and
// stream persistence. An element class declares only its own state and members:
//
//   class CZCntElementLink
//       : public cnt::element<CZCntElementLink, IZCntElementLink> {
//   public:
//       static constexpr ZeCntElementType element_type = zeCntElementTypeLink;
//       static constexpr const CLSID& class_id = CLSID_ZCntElementLink;
//       static constexpr ULONG record_version = 1;        // written; newer ones are refused
//       HRESULT save_fields(IStream*) noexcept;           // the record after the version
//       HRESULT load_fields(IStream*, ULONG version) noexcept;
//       HRESULT rebuild() noexcept;                       // replaces the created host objects
//       HRESULT copy_into(IZCntElementLink* to) noexcept; // the bulk setter, for CopyTo
//       … IZCntElementLink's own members …
//   };
//
// A class may also define (all optional):
//   static constexpr bool normalise_position = true;   SetPosition swaps reversed edges
//   static constexpr bool attach_needs_page_objects = false;  AddElement at Attach without them
//   static constexpr bool aggregatable = false;
//   void attach_document(IDispatch* document) noexcept;     keeps the document at Attach
//   HRESULT remove_created() noexcept;                      its own removal of host objects
//   and override any IZCntElementBase member it implements differently (Inclination …).
#pragma once

#include <algorithm>
#include <new>
#include <vector>

#include "contentelements/cnt_container.h"
#include "contentelements/cnt_document.h"
#include "contentelements/zprint_page.h"
#include "core/element_state.h"
#include "core/record_io.h"
#include "platform/com/com.h"

namespace cnt {

// Makes the document's element container (the container subsystem provides it).
HRESULT create_element_container(IUnknown* outer, REFIID riid, void** ppv) noexcept;

namespace detail {

template <typename D>
constexpr bool normalises_position()
{
    if constexpr (requires { D::normalise_position; })
        return D::normalise_position;
    else
        return false;
}

template <typename D>
constexpr bool attach_needs_page_objects()
{
    if constexpr (requires { D::attach_needs_page_objects; })
        return D::attach_needs_page_objects;
    else
        return true;
}

}  // namespace detail

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

// IPersistStreamInit with the framing every record shares: a 32-bit version first.
template <typename Derived>
class persist_record : public IPersistStreamInit {
public:
    using interface_type = IPersistStreamInit;

    HRESULT GetClassID(CLSID* clsid) noexcept override
    {
        if (!clsid) return E_POINTER;
        *clsid = Derived::class_id;
        return S_OK;
    }
    HRESULT IsDirty() noexcept override { return self().state().dirty ? S_OK : S_FALSE; }
    HRESULT Load(IStream* stream) noexcept override
    {
        if (!stream) return E_POINTER;
        ULONG version = 0;
        RETURN_IF_FAILED(record::read_u32(stream, &version));
        if (version > Derived::record_version) return E_UNEXPECTED;
        RETURN_IF_FAILED(self().load_fields(stream, version));
        self().state().dirty = 0;
        return S_OK;
    }
    HRESULT Save(IStream* stream, BOOL clear_dirty) noexcept override
    {
        if (!stream) return E_POINTER;
        RETURN_IF_FAILED(record::write_u32(stream, Derived::record_version));
        RETURN_IF_FAILED(self().save_fields(stream));
        if (clear_dirty) self().state().dirty = 0;
        return S_OK;
    }
    HRESULT GetSizeMax(ULARGE_INTEGER* size) noexcept override
    {
        if (!size) return E_POINTER;
        size->QuadPart = 4;
        return S_OK;
    }
    HRESULT InitNew() noexcept override
    {
        self().state().dirty = 1;
        return S_OK;
    }

protected:
    persist_record() = default;
    ~persist_record() = default;

private:
    Derived& self() noexcept { return static_cast<Derived&>(*this); }
};

// The element's own dual interface (which derives from IZCntElementBase) with the base
// members implemented once.
template <typename Derived, typename Own>
class element_base : public com::automation::dispatch_impl<Own> {
public:
    HRESULT SetPosition(LONG left, LONG top, LONG width, LONG height) noexcept override
    {
        rect& r = s_.position;
        r = rect{left, top, wrap_add(left, width), wrap_add(top, height)};
        if constexpr (detail::normalises_position<Derived>()) normalise(r);
        s_.dirty = 1;
        self().rebuild();
        notify_container();
        return S_OK;
    }

    HRESULT GetPosition(LONG* left, LONG* top, LONG* width, LONG* height) noexcept override
    {
        if (!left || !top || !width || !height) return E_POINTER;
        const rect& r = s_.position;
        *left = r.left;
        *top = r.top;
        *width = wrap_sub(r.right, r.left);
        *height = wrap_sub(r.bottom, r.top);
        return S_OK;
    }

    HRESULT Delete() noexcept override
    {
        call_remove_created();
        if (s_.container && s_.element_id != 0 && s_.page) {
            LONG page_id = 0;
            s_.page->get_PageID(&page_id);
            s_.container->RemoveElement(page_id, s_.element_id);
        }
        return S_OK;
    }

    HRESULT get_Inclination(SHORT* degrees) noexcept override
    {
        if (!degrees) return E_POINTER;
        *degrees = 0;
        return S_OK;
    }
    HRESULT put_Inclination(SHORT) noexcept override { return E_NOTIMPL; }
    HRESULT get_AllowInclination(VARIANT_BOOL* allowed) noexcept override
    {
        if (!allowed) return E_POINTER;
        *allowed = VARIANT_FALSE;
        return S_OK;
    }
    HRESULT get_ElementType(ZeCntElementType* type) noexcept override
    {
        if (!type) return E_POINTER;
        *type = Derived::element_type;
        return S_OK;
    }
    HRESULT get_Description(BSTR* text) noexcept override
    {
        if (!text) return E_POINTER;
        return s_.description.copy_to(text);
    }
    HRESULT put_Description(BSTR text) noexcept override
    {
        if (!text) return E_INVALIDARG;
        RETURN_IF_FAILED(s_.description.assign(text));
        s_.dirty = 1;
        notify_container();
        return S_OK;
    }
    HRESULT get_PageID(LONG* id) noexcept override
    {
        if (!id) return E_POINTER;
        *id = 0;
        if (!s_.page) return E_UNEXPECTED;
        return s_.page->get_PageID(id);
    }
    HRESULT CopyTo(IZCntElementBase* destination) noexcept override
    {
        if (!destination) return E_INVALIDARG;
        com::ComPtr<Own> to;
        if (FAILED(destination->QueryInterface(Own::iid, to.put_void())) || !to)
            return E_INVALIDARG;
        to->put_Description(s_.description.get());
        return self().copy_into(to.get());
    }

    element_state& state() noexcept { return s_; }
    const element_state& state() const noexcept { return s_; }

    // Tells the container what changed, when the element is known there: it needs a
    // container, an element id, a page and at least one created page object.
    void notify_container() noexcept
    {
        if (!s_.container || s_.element_id == 0 || !s_.page || s_.page_object_ids.empty())
            return;
        LONG page_id = 0;
        s_.page->get_PageID(&page_id);
        IZCntElementBase* me = base_interface();
        me->AddRef();
        s_.container->UpdateElement(page_id, s_.element_id, me);
        me->Release();
    }

    IZCntElementBase* base_interface() noexcept { return static_cast<Own*>(this); }

    // Removes every host object the element created, page objects first, then resources.
    HRESULT remove_created_host_objects() noexcept
    {
        if (!s_.page) return E_UNEXPECTED;
        if (!s_.page_object_ids.empty()) {
            com::ComPtr<IZPageObjectList> list;
            s_.page->get_PageObjects(list.put());
            if (!list) return E_UNEXPECTED;
            for (LONG id : s_.page_object_ids)
                if (id != 0) list->Remove(id);
            s_.page_object_ids.clear();
        }
        if (!s_.resource_ids.empty()) {
            com::ComPtr<IZResourceList> list;
            s_.page->get_Resources(list.put());
            if (!list) return E_UNEXPECTED;
            for (LONG id : s_.resource_ids)
                if (id != 0) list->Remove(id);
            s_.resource_ids.clear();
        }
        return S_OK;
    }

    HRESULT call_remove_created() noexcept
    {
        if constexpr (requires(Derived& d) { d.remove_created(); })
            return self().remove_created();
        else
            return remove_created_host_objects();
    }

protected:
    element_base() = default;
    ~element_base() = default;

    // The setters' shared steps: store, mark dirty, rebuild and, where the property takes part
    // in the container's record, tell the container.
    enum class notify : bool { no = false, yes = true };

    template <typename T>
    static HRESULT get_value(const T& field, T* out) noexcept
    {
        if (!out) return E_POINTER;
        *out = field;
        return S_OK;
    }
    static HRESULT get_string(const bstr_field& field, BSTR* out) noexcept
    {
        if (!out) return E_POINTER;
        return field.copy_to(out);
    }
    // Scalars without the same-value shortcut.
    template <typename T>
    HRESULT store(T& field, T value, notify tell) noexcept
    {
        field = value;
        changed(tell);
        return S_OK;
    }
    // Scalars with it: the stored value again changes nothing.
    template <typename T>
    HRESULT store_if_changed(T& field, T value, notify tell) noexcept
    {
        if (field == value) return S_OK;
        return store(field, value, tell);
    }
    // Strings have no shortcut.
    HRESULT store_string(bstr_field& field, BSTR value, notify tell) noexcept
    {
        RETURN_IF_FAILED(field.assign(value));
        changed(tell);
        return S_OK;
    }
    void changed(notify tell) noexcept
    {
        s_.dirty = 1;
        self().rebuild();
        if (tell == notify::yes) notify_container();
    }

    element_state s_;

private:
    Derived& self() noexcept { return static_cast<Derived&>(*this); }
    static void normalise(rect& r) noexcept
    {
        if (r.left > r.right) std::swap(r.left, r.right);
        if (r.top > r.bottom) std::swap(r.top, r.bottom);
    }
};

// The ids an element keeps, for tools and tests.
template <typename Derived>
class element_ids : public IZCntElementIds {
public:
    using interface_type = IZCntElementIds;
    HRESULT GetElementID(LONG* id) noexcept override
    {
        if (!id) return E_POINTER;
        *id = self().state().element_id;
        return S_OK;
    }
    HRESULT GetCreatedIDs(created_list list, ULONG capacity, LONG* ids,
                          ULONG* count) noexcept override
    {
        if (!count) return E_POINTER;
        const element_state& s = self().state();
        const std::vector<LONG>* from = list == created_list::page_objects ? &s.page_object_ids
                                        : list == created_list::resources  ? &s.resource_ids
                                                                           : nullptr;
        if (!from) return E_INVALIDARG;
        *count = static_cast<ULONG>(from->size());
        if (!ids) return S_OK;
        if (capacity < from->size()) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
        std::copy(from->begin(), from->end(), ids);
        return S_OK;
    }

protected:
    element_ids() = default;
    ~element_ids() = default;

private:
    Derived& self() noexcept { return static_cast<Derived&>(*this); }
};

// The composed element: own interface (answering IZCntElementBase and IDispatch), IZElement,
// IPersist and IPersistStreamInit, in that order; the id view last.
template <typename Derived, typename Own>
class element : public com::object_root<Derived, element_base<Derived, Own>, host_element<Derived>,
                                        persist_record<Derived>, element_ids<Derived>> {
protected:
    element() = default;
    ~element() = default;
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
        if (FAILED(create_element_container(nullptr, IZCntElementContainer::iid,
                                            s.container.put_void())) ||
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
    const bool known = !detail::attach_needs_page_objects<Derived>() || !s.page_object_ids.empty();
    if (s.element_id != 0 && page_id != 0 && known)
        s.container->AddElement(page_id, s.element_id, d.base_interface());
    return S_OK;
}

}  // namespace cnt

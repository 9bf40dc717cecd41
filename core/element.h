// The skeleton every annotation element shares: its common state, the base interface
// IZCntElementBase, the engine's element interface IZElement with the attach procedure, stream
// persistence from the class's field table and the rebuild frame. An element class declares
// only its own state and members:
//
//   class CZCntElementLink
//       : public cnt::element<CZCntElementLink, IZCntElementLink> {
//   public:
//       static constexpr ZeCntElementType element_type = zeCntElementTypeLink;
//       static constexpr const CLSID& class_id = CLSID_ZCntElementLink;
//       static constexpr ULONG record_version = 1;        // written; newer ones are refused
//       static constexpr auto record_fields() { … }       // core/record_fields.h
//       static constexpr auto bulk_setter = &IZCntElementLink::SetLinkData;  // for CopyTo
//       HRESULT build(build_context&) noexcept;           // makes the host objects anew
//       … IZCntElementLink's own members …
//   };
//
// The rebuild frame checks the page, fetches the resource and page-object lists, removes what
// the element made before, calls build and, when build fails, removes again. A class may also
// define (all optional):
//   bool nothing_to_build() const noexcept;   when true, rebuild makes nothing and keeps the
//                                             objects made earlier
//   static constexpr element_options options{…};   its choices in the shared steps
//                                             (core/host_element.h)
//   static constexpr bool aggregatable = false;
//   void attach_document(IDispatch* document) noexcept;     keeps the document at Attach
//   HRESULT remove_created() noexcept;                      its own removal of host objects
//   save_fields / load_fields / copy_into where its record or copy is irregular;
//   and override any IZCntElementBase member it implements differently (Inclination …).
// An element that makes its objects otherwise (the text mark) defines its own rebuild().
#pragma once

#include <utility>

#include "contentelements/cnt_container.h"
#include "contentelements/zprint_page.h"
#include "core/element_ids.h"
#include "core/element_state.h"
#include "core/host_element.h"
#include "core/persist_record.h"
#include "core/record_fields.h"
#include "platform/com/com.h"

namespace cnt {

// What an element's build works with: its page and the page's two lists, fetched by the frame.
struct build_context {
    IZPrintContentPage* page;
    IZResourceList* resources;
    IZPageObjectList* objects;

    // Asked for when the build needs it, so that the host sees the call where it always did.
    LONG resolution() const noexcept
    {
        LONG value = 0;
        page->get_Resolution(&value);
        return value;
    }
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
        if constexpr (options_of<Derived>().normalise_position) normalise(r);
        s_.dirty = 1;
        self().rebuild();
        notify_container();
        return S_OK;
    }

    HRESULT GetPosition(LONG* left, LONG* top, LONG* width, LONG* height) noexcept override
    {
        return position_as_size(s_.position, left, top, width, height);
    }

    HRESULT Delete() noexcept override
    {
        call_remove_created();
        remove_from_container(s_);
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
    HRESULT get_PageID(LONG* id) noexcept override { return page_id_of(s_, id); }
    HRESULT CopyTo(IZCntElementBase* destination) noexcept override
    {
        if (!destination) return E_INVALIDARG;
        com::ComPtr<Own> to;
        if (FAILED(destination->QueryInterface(Own::iid, to.put_void())) || !to)
            return E_INVALIDARG;
        to->put_Description(s_.description.get());
        if constexpr (requires { Derived::bulk_setter; })
            return record::copy(Derived::record_fields(), self(), to.get(), Derived::bulk_setter);
        else
            return self().copy_into(to.get());
    }

    // The record after the version, from the class's field table; a class whose record is
    // irregular writes its own.
    HRESULT save_fields(IStream* stream) noexcept
    {
        return record::save(stream, Derived::record_fields(), self());
    }
    HRESULT load_fields(IStream* stream, ULONG) noexcept
    {
        return record::load(stream, Derived::record_fields(), self());
    }
    LONG& dirty_flag() noexcept { return s_.dirty; }

    element_state& state() noexcept { return s_; }
    const element_state& state() const noexcept { return s_; }

    // Tells the container what changed, when the element is known there: it needs a
    // container, an element id, a page and at least one created page object.
    void notify_container() noexcept
    {
        if (!s_.page_object_ids.empty()) update_in_container(s_, base_interface());
    }

    IZCntElementBase* base_interface() noexcept { return static_cast<Own*>(this); }

    // Removes every host object the element created, page objects first, then resources;
    // a positive *old_resource (a resource id an old record kept apart) goes first of those and
    // is zeroed.
    HRESULT remove_created_host_objects(LONG* old_resource = nullptr) noexcept
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
        const bool old = old_resource && *old_resource > 0;
        if (old || !s_.resource_ids.empty()) {
            com::ComPtr<IZResourceList> list;
            s_.page->get_Resources(list.put());
            if (!list) return E_UNEXPECTED;
            if (old) {
                list->Remove(*old_resource);
                *old_resource = 0;
            }
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

    // Replaces the host objects the element made with new ones from its build.
    HRESULT rebuild() noexcept
    {
        static_assert(requires(Derived& d, build_context& c) { d.build(c); },
                      "an element builds its host objects in a public build(build_context&)");
        if (!s_.page) return E_UNEXPECTED;
        if constexpr (requires(const Derived& d) { d.nothing_to_build(); })
            if (self().nothing_to_build()) return S_OK;
        com::ComPtr<IZResourceList> resources;
        com::ComPtr<IZPageObjectList> objects;
        s_.page->get_Resources(resources.put());
        if constexpr (options_of<Derived>().lists_checked_in_turn)
            if (!resources) return E_UNEXPECTED;
        s_.page->get_PageObjects(objects.put());
        if (!resources || !objects) return E_UNEXPECTED;
        if constexpr (options_of<Derived>().removal_failure_ignored)
            call_remove_created();
        else
            RETURN_IF_FAILED(call_remove_created());
        build_context c{s_.page.get(), resources.get(), objects.get()};
        const HRESULT hr = self().build(c);
        if (FAILED(hr)) call_remove_created();
        return hr;
    }

    // Puts the created page objects into the drawing order one after the other, the first
    // right after the element itself.
    void order_after_element(IZPageObjectList* objects) noexcept
    {
        LONG previous = s_.element_id;
        for (LONG id : s_.page_object_ids) {
            objects->Order(id, previous, 0);
            previous = id;
        }
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
    // The bulk setter: every argument into its field of the table, then one rebuild and the
    // container told.
    template <typename... Args>
    HRESULT store_all(Args... args) noexcept
    {
        RETURN_IF_FAILED(record::assign(Derived::record_fields(), self(), args...));
        changed(notify::yes);
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

// The composed element: own interface (answering IZCntElementBase and IDispatch), IZElement,
// IPersist and IPersistStreamInit, in that order; the id view last.
template <typename Derived, typename Own>
class element : public com::object_root<Derived, element_base<Derived, Own>, host_element<Derived>,
                                        persist_record<Derived>, element_ids<Derived>> {
protected:
    element() = default;
    ~element() = default;
};

}  // namespace cnt

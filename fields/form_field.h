// CZCntElementFormField<T, Own>: the one class template of the eight form fields. It keeps what
// every field has (position, description, name, values, mapping name, flags, the appearance
// child), implements IZCntElementBase, IZCntElementFormField, IZElement (kind, the shared
// attach procedure, bounds and the design-time drawing) and the stream record, and asks the
// concrete class T only for its identity and its extras:
//
//   class CZCntElementFieldCheck
//       : public CZCntElementFormField<CZCntElementFieldCheck, IZCntElementFieldCheck> {
//   public:
//       static constexpr ZeCntElementType element_type = zeCntElementTypeFieldCheck;
//       static constexpr const CLSID& class_id = CLSID_ZCntElementFieldCheck;
//       static constexpr UINT icon_id = 204;                   // 0: no icon
//       HRESULT save_class_part(IStream*, BOOL clear_dirty) noexcept;   // after the shared record
//       HRESULT load_class_part(IStream*) noexcept;
//       bool class_children_dirty() noexcept;                   // optional
//       HRESULT construct_class_children() noexcept;            // optional, at creation
//   };
//
// QueryInterface answers IZCntElementBase, IZCntElementFormField, Own, IDispatch (as Own),
// IZElement, IPersist and IPersistStreamInit. Fields make no host objects: the container hears
// of a field whenever it has a container, an element id and a page, and only SetPosition,
// Description and Name tell it. The strings Description, Name and MappingName are stored up to
// their first NUL; their getters hand out copies of the whole stored string.
#pragma once

#include "contentelements/cnt_container.h"
#include "contentelements/cnt_fields.h"
#include "contentelements/cnt_formfield.h"
#include "contentelements/zprint_objects.h"
#include "contentelements/zprint_page.h"
#include "core/element_state.h"
#include "core/host_element.h"
#include "core/persist_record.h"
#include "core/record_fields.h"
#include "fields/field_drawing.h"
#include "fields/field_records.h"
#include "fields/parts/parts.h"
#include "platform/com/com.h"

namespace cnt::fields {

// Stores a copy of `text` up to its first NUL (null stays null) in *field.
inline HRESULT store_to_nul(bstr_field& field, BSTR text) noexcept
{
    if (text == field.get()) return S_OK;
    BSTR copy = nullptr;
    if (text && !(copy = SysAllocString(text))) return E_OUTOFMEMORY;
    SysFreeString(*field.slot());
    *field.slot() = copy;
    return S_OK;
}

template <typename T, typename Own>
class CZCntElementFormField
    : public com::object_root<T, com::automation::dispatch_impl<IZCntElementBase>,
                              com::automation::dispatch_impl<IZCntElementFormField>,
                              com::automation::dispatch_impl<Own>, host_element<T>,
                              persist_record<T>> {
    using root = com::object_root<T, com::automation::dispatch_impl<IZCntElementBase>,
                                  com::automation::dispatch_impl<IZCntElementFormField>,
                                  com::automation::dispatch_impl<Own>, host_element<T>,
                                  persist_record<T>>;

public:
    static constexpr ULONG record_version = 1;
    // A field is entered into the container at Attach whenever it gets both ids.
    static constexpr element_options options{.attach_needs_page_objects = false};

    // ---- IUnknown: IDispatch is the field's own interface --------------------------------

    HRESULT internal_query_interface(REFIID riid, void** out) noexcept
    {
        if (out && riid == IDispatch::iid) {
            *out = static_cast<IDispatch*>(static_cast<Own*>(this));
            static_cast<IUnknown*>(*out)->AddRef();
            return S_OK;
        }
        return root::internal_query_interface(riid, out);
    }

    HRESULT final_construct() noexcept
    {
        RETURN_IF_FAILED(create_appearance_child(this->identity(), appearance_.put()));
        if constexpr (requires(T& t) { t.construct_class_children(); })
            return self().construct_class_children();
        else
            return S_OK;
    }

    // ---- IZCntElementBase ----------------------------------------------------------------

    HRESULT SetPosition(LONG left, LONG top, LONG width, LONG height) noexcept override
    {
        s_.position = rect{left, top, wrap_add(left, width), wrap_add(top, height)};
        s_.dirty = 1;
        notify_container();
        return S_OK;
    }
    HRESULT GetPosition(LONG* left, LONG* top, LONG* width, LONG* height) noexcept override
    {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        const rect& r = s_.position;
        *left = r.left;
        *top = r.top;
        *width = wrap_sub(r.right, r.left);
        *height = wrap_sub(r.bottom, r.top);
        return S_OK;
    }
    // Takes the field out of the container; a field has no host objects to remove.
    HRESULT Delete() noexcept override
    {
        if (s_.container && s_.element_id != 0 && s_.page) {
            LONG page_id = 0;
            s_.page->get_PageID(&page_id);
            s_.container->RemoveElement(page_id, s_.element_id);
        }
        return S_OK;
    }
    HRESULT get_Inclination(SHORT* degrees) noexcept override { return get_value(SHORT{0}, degrees); }
    HRESULT put_Inclination(SHORT) noexcept override { return E_NOTIMPL; }
    HRESULT get_AllowInclination(VARIANT_BOOL* allowed) noexcept override
    {
        return get_value(VARIANT_BOOL{VARIANT_FALSE}, allowed);
    }
    HRESULT get_ElementType(ZeCntElementType* type) noexcept override
    {
        return get_value(T::element_type, type);
    }
    HRESULT get_Description(BSTR* text) noexcept override { return get_string(s_.description, text); }
    HRESULT put_Description(BSTR text) noexcept override
    {
        if (!text) return E_INVALIDARG;
        return store_string(s_.description, text, true);
    }
    HRESULT get_PageID(LONG* id) noexcept override
    {
        if (!id) return E_POINTER;
        *id = 0;
        if (!s_.page) return E_UNEXPECTED;
        return s_.page->get_PageID(id);
    }
    // Only the description is handed over; the rest of a field cannot be copied.
    HRESULT CopyTo(IZCntElementBase* destination) noexcept override
    {
        if (!destination) return E_INVALIDARG;
        com::ComPtr<IZCntElementFormField> field;
        if (FAILED(destination->QueryInterface(IZCntElementFormField::iid, field.put_void())) ||
            !field)
            return E_INVALIDARG;
        destination->put_Description(s_.description.get());
        return E_NOTIMPL;
    }

    // ---- IZCntElementFormField -----------------------------------------------------------

    HRESULT get_Name(BSTR* name) noexcept override { return get_string(name_, name); }
    HRESULT put_Name(BSTR name) noexcept override { return store_string(name_, name, true); }
    HRESULT get_ReadOnly(VARIANT_BOOL* value) noexcept override { return get_value(read_only_, value); }
    HRESULT put_ReadOnly(VARIANT_BOOL value) noexcept override { return store(read_only_, value); }
    HRESULT get_DefaultValue(VARIANT* value) noexcept override { return get_variant(default_value_, value); }
    HRESULT put_DefaultValue(VARIANT value) noexcept override { return store_variant(default_value_, value); }
    HRESULT get_CurrentValue(VARIANT* value) noexcept override { return get_variant(current_value_, value); }
    HRESULT put_CurrentValue(VARIANT value) noexcept override { return store_variant(current_value_, value); }
    HRESULT get_MappingName(BSTR* name) noexcept override { return get_string(mapping_name_, name); }
    HRESULT put_MappingName(BSTR name) noexcept override
    {
        return store_string(mapping_name_, name, false);
    }
    HRESULT get_Export(VARIANT_BOOL* value) noexcept override { return get_value(export_, value); }
    HRESULT put_Export(VARIANT_BOOL value) noexcept override { return store(export_, value); }
    HRESULT get_Appearance(IZCntFormFieldAppearance** appearance) noexcept override
    {
        if (!appearance) return E_POINTER;
        return appearance_.copy_to(appearance);
    }

    // ---- IZElement: Draw (the rest is host_element's) ------------------------------------

    // The device context and the drawing host arrive as pointer-sized integers.
    HRESULT Draw(LONGLONG dc, LONG, LONG, LONG, LONG, LONG, LONGLONG host) noexcept override
    {
        draw_field(field_picture{reinterpret_cast<HDC>(static_cast<std::intptr_t>(dc)),
                                 reinterpret_cast<IZDrawingHost*>(static_cast<std::intptr_t>(host)),
                                 s_.position, GetIconResourceID(), name_.get(), &label_font_of,
                                 this});
        return S_OK;
    }

    // ---- The template's own operations ---------------------------------------------------

    // Tells the container what changed, when the field is known there.
    virtual void notify_container() noexcept
    {
        if (!s_.container || s_.element_id == 0 || !s_.page) return;
        LONG page_id = 0;
        s_.page->get_PageID(&page_id);
        IZCntElementBase* me = base_interface();
        me->AddRef();
        s_.container->UpdateElement(page_id, s_.element_id, me);
        me->Release();
    }
    virtual HRESULT CreateLabelFont(HDC dc, HFONT* font) noexcept
    {
        if (!font) return E_POINTER;
        return create_label_font(dc, font);
    }
    virtual UINT GetIconResourceID() noexcept { return T::icon_id; }

    // ---- IPersistStreamInit: the dirty test covers the children --------------------------

    HRESULT IsDirty() noexcept override
    {
        if (s_.dirty || child_dirty(appearance_.get())) return S_OK;
        if constexpr (requires(T& t) { t.class_children_dirty(); })
            if (self().class_children_dirty()) return S_OK;
        return S_FALSE;
    }

    using C = CZCntElementFormField;
    // The shared record after its version; the appearance's record follows it.
    static constexpr auto record_fields()
    {
        return record::table(record::position(), record::description(), record::string(&C::name_),
                             record::boolean(&C::read_only_), variant(&C::default_value_),
                             variant(&C::current_value_), record::string(&C::mapping_name_),
                             record::boolean(&C::export_));
    }
    HRESULT save_fields(IStream* stream, BOOL clear_dirty) noexcept
    {
        RETURN_IF_FAILED(record::save(stream, record_fields(), *this));
        RETURN_IF_FAILED(save_child(appearance_.get(), stream, clear_dirty));
        return self().save_class_part(stream, clear_dirty);
    }
    HRESULT load_fields(IStream* stream, ULONG) noexcept
    {
        RETURN_IF_FAILED(record::load(stream, record_fields(), *this));
        RETURN_IF_FAILED(load_child(appearance_.get(), stream));
        return self().load_class_part(stream);
    }

    // What the shared steps reach.
    LONG& dirty_flag() noexcept { return s_.dirty; }
    element_state& state() noexcept { return s_; }
    const element_state& state() const noexcept { return s_; }
    IZCntElementBase* base_interface() noexcept { return static_cast<IZCntElementBase*>(this); }

protected:
    CZCntElementFormField() noexcept
    {
        VariantInit(&default_value_);
        VariantInit(&current_value_);
    }
    ~CZCntElementFormField()
    {
        VariantClear(&default_value_);
        VariantClear(&current_value_);
    }

    template <typename V>
    static HRESULT get_value(const V& field, V* out) noexcept
    {
        if (!out) return E_POINTER;
        *out = field;
        return S_OK;
    }
    template <typename V>
    HRESULT store(V& field, V value) noexcept
    {
        field = value;
        s_.dirty = 1;
        return S_OK;
    }
    // Hands out a child with one more reference; E_UNEXPECTED when there is none.
    template <typename I>
    static HRESULT get_child(const com::ComPtr<I>& child, I** out) noexcept
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!child) return E_UNEXPECTED;
        return child.copy_to(out);
    }

    element_state s_;

private:
    T& self() noexcept { return static_cast<T&>(*this); }

    static HRESULT label_font_of(void* field, HDC dc, HFONT* font) noexcept
    {
        return static_cast<CZCntElementFormField*>(field)->CreateLabelFont(dc, font);
    }
    static HRESULT get_string(const bstr_field& field, BSTR* out) noexcept
    {
        if (!out) return E_POINTER;
        return field.copy_to(out);
    }
    HRESULT store_string(bstr_field& field, BSTR text, bool tell) noexcept
    {
        RETURN_IF_FAILED(store_to_nul(field, text));
        s_.dirty = 1;
        if (tell) notify_container();
        return S_OK;
    }
    static HRESULT get_variant(const VARIANT& field, VARIANT* out) noexcept
    {
        if (!out) return E_POINTER;
        VariantClear(out);
        return VariantCopy(out, &field);
    }
    HRESULT store_variant(VARIANT& field, const VARIANT& value) noexcept
    {
        RETURN_IF_FAILED(VariantCopy(&field, &value));
        s_.dirty = 1;
        return S_OK;
    }

    bstr_field name_{u""};
    VARIANT default_value_;
    VARIANT current_value_;
    bstr_field mapping_name_{u""};
    VARIANT_BOOL export_ = VARIANT_TRUE;
    VARIANT_BOOL read_only_ = VARIANT_FALSE;
    com::ComPtr<IZCntFormFieldAppearance> appearance_;
};

}  // namespace cnt::fields

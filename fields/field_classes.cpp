// The eight form-field classes on the shared template: each names its identity (element type,
// class id, icon) and what it adds. Check box, radio button, push button, date/time and group
// add nothing; the text field adds text attributes and a format; the combo and list boxes
// their choice parts and one flag each.
#include "fields/field_classes.h"

#include "contentelements/cnt_fields.h"
#include "fields/field_choice.h"
#include "fields/form_field.h"

namespace cnt::fields {
namespace {

// The five kinds that add nothing: after the shared record only a class part version.
template <typename Self, typename Own, ZeCntElementType Type, const CLSID& Class, UINT Icon>
class plain_field : public CZCntElementFormField<Self, Own> {
public:
    static constexpr ZeCntElementType element_type = Type;
    static constexpr const CLSID& class_id = Class;
    static constexpr UINT icon_id = Icon;

    HRESULT save_class_part(IStream* stream, BOOL) noexcept { return write_part_version(stream); }
    HRESULT load_class_part(IStream* stream) noexcept { return read_part_version(stream); }
};

class CZCntElementFieldCheck
    : public plain_field<CZCntElementFieldCheck, IZCntElementFieldCheck, zeCntElementTypeFieldCheck,
                         CLSID_ZCntElementFieldCheck, 204> {};
class CZCntElementFieldRadio
    : public plain_field<CZCntElementFieldRadio, IZCntElementFieldRadio, zeCntElementTypeFieldRadio,
                         CLSID_ZCntElementFieldRadio, 202> {};
class CZCntElementFieldButton
    : public plain_field<CZCntElementFieldButton, IZCntElementFieldButton,
                         zeCntElementTypeFieldButton, CLSID_ZCntElementFieldButton, 203> {};
class CZCntElementFieldDateTime
    : public plain_field<CZCntElementFieldDateTime, IZCntElementFieldDateTime,
                         zeCntElementTypeFieldDateTime, CLSID_ZCntElementFieldDateTime, 206> {};
class CZCntElementFieldGroup
    : public plain_field<CZCntElementFieldGroup, IZCntElementFieldGroup, zeCntElementTypeFieldGroup,
                         CLSID_ZCntElementFieldGroup, 0> {};

// The text field. Its Format is kept in the object for as long as it lives: the record has no
// place for it, so it is not saved, loaded or counted as a change.
class CZCntElementFieldText
    : public CZCntElementFormField<CZCntElementFieldText, IZCntElementFieldText> {
public:
    static constexpr ZeCntElementType element_type = zeCntElementTypeFieldText;
    static constexpr const CLSID& class_id = CLSID_ZCntElementFieldText;
    static constexpr UINT icon_id = 201;

    HRESULT construct_class_children() noexcept
    {
        return create_text_attributes(identity(), text_attributes_.put());
    }
    bool class_children_dirty() noexcept { return child_dirty(text_attributes_.get()); }

    HRESULT get_TextAttributes(IZCntTextAttributes** attributes) noexcept override
    {
        return get_child(text_attributes_, attributes);
    }
    HRESULT get_Format(ZeCntFieldTextFormat* format) noexcept override
    {
        return get_value(format_, format);
    }
    HRESULT put_Format(ZeCntFieldTextFormat format) noexcept override
    {
        format_ = format;
        return S_OK;
    }

    HRESULT save_class_part(IStream* stream, BOOL clear_dirty) noexcept
    {
        RETURN_IF_FAILED(write_part_version(stream));
        return save_child(text_attributes_.get(), stream, clear_dirty);
    }
    HRESULT load_class_part(IStream* stream) noexcept
    {
        RETURN_IF_FAILED(read_part_version(stream));
        return load_child(text_attributes_.get(), stream);
    }

private:
    com::ComPtr<IZCntTextAttributes> text_attributes_;
    ZeCntFieldTextFormat format_ = zeCntFieldTextFormatUnknown;
};

// The combo and list boxes: the choice parts, with the flag each box calls by its own name.
class CZCntElementFieldCombo
    : public CZCntElementFormField<CZCntElementFieldCombo, IZCntElementFieldCombo>,
      public CZCntElementFieldChoiceT<CZCntElementFieldCombo> {
public:
    static constexpr ZeCntElementType element_type = zeCntElementTypeFieldCombo;
    static constexpr const CLSID& class_id = CLSID_ZCntElementFieldCombo;
    static constexpr UINT icon_id = 205;

    HRESULT get_EditBox(VARIANT_BOOL* value) noexcept override { return get_value(flag_, value); }
    HRESULT put_EditBox(VARIANT_BOOL value) noexcept override { return store(flag_, value); }
    HRESULT get_TextAttributes(IZCntTextAttributes** out) noexcept override
    {
        return get_child(text_attributes_, out);
    }
    HRESULT get_ChoiceItems(IZCntChoiceFieldOptionCollection** out) noexcept override
    {
        return get_child(options_, out);
    }
};

class CZCntElementFieldList
    : public CZCntElementFormField<CZCntElementFieldList, IZCntElementFieldList>,
      public CZCntElementFieldChoiceT<CZCntElementFieldList> {
public:
    static constexpr ZeCntElementType element_type = zeCntElementTypeFieldList;
    static constexpr const CLSID& class_id = CLSID_ZCntElementFieldList;
    static constexpr UINT icon_id = 207;

    HRESULT get_TextAttributes(IZCntTextAttributes** out) noexcept override
    {
        return get_child(text_attributes_, out);
    }
    HRESULT get_MultiSelect(VARIANT_BOOL* value) noexcept override { return get_value(flag_, value); }
    HRESULT put_MultiSelect(VARIANT_BOOL value) noexcept override { return store(flag_, value); }
    HRESULT get_ChoiceItems(IZCntChoiceFieldOptionCollection** out) noexcept override
    {
        return get_child(options_, out);
    }
};

}  // namespace

// The class of a field type, among the eight.
template <ZeCntElementType Type, typename First, typename... Rest>
HRESULT create_of(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    if constexpr (First::element_type == Type)
        return com::create_instance<First>(outer, riid, ppv);
    else
        return create_of<Type, Rest...>(outer, riid, ppv);
}

template <ZeCntElementType Type>
HRESULT create_field(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    return create_of<Type, CZCntElementFieldText, CZCntElementFieldCombo, CZCntElementFieldList,
                     CZCntElementFieldCheck, CZCntElementFieldRadio, CZCntElementFieldButton,
                     CZCntElementFieldDateTime, CZCntElementFieldGroup>(outer, riid, ppv);
}

template HRESULT create_field<zeCntElementTypeFieldText>(IUnknown*, REFIID, void**) noexcept;
template HRESULT create_field<zeCntElementTypeFieldCombo>(IUnknown*, REFIID, void**) noexcept;
template HRESULT create_field<zeCntElementTypeFieldList>(IUnknown*, REFIID, void**) noexcept;
template HRESULT create_field<zeCntElementTypeFieldCheck>(IUnknown*, REFIID, void**) noexcept;
template HRESULT create_field<zeCntElementTypeFieldRadio>(IUnknown*, REFIID, void**) noexcept;
template HRESULT create_field<zeCntElementTypeFieldButton>(IUnknown*, REFIID, void**) noexcept;
template HRESULT create_field<zeCntElementTypeFieldDateTime>(IUnknown*, REFIID, void**) noexcept;
template HRESULT create_field<zeCntElementTypeFieldGroup>(IUnknown*, REFIID, void**) noexcept;

}  // namespace cnt::fields

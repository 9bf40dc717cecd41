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

class CZCntElementFieldCombo
    : public CZCntElementFormField<CZCntElementFieldCombo, IZCntElementFieldCombo>,
      public CZCntElementFieldChoiceT<CZCntElementFieldCombo> {
public:
    static constexpr ZeCntElementType element_type = zeCntElementTypeFieldCombo;
    static constexpr const CLSID& class_id = CLSID_ZCntElementFieldCombo;
    static constexpr UINT icon_id = 205;

    HRESULT get_EditBox(VARIANT_BOOL* value) noexcept override { return get_value(edit_box_, value); }
    HRESULT put_EditBox(VARIANT_BOOL value) noexcept override { return store(edit_box_, value); }
    HRESULT get_TextAttributes(IZCntTextAttributes** attributes) noexcept override
    {
        return get_child(text_attributes_, attributes);
    }
    HRESULT get_ChoiceItems(IZCntChoiceFieldOptionCollection** items) noexcept override
    {
        return get_child(options_, items);
    }

    HRESULT save_class_part(IStream* stream, BOOL clear_dirty) noexcept
    {
        return save_choice_part(stream, clear_dirty, edit_box_);
    }
    HRESULT load_class_part(IStream* stream) noexcept { return load_choice_part(stream, &edit_box_); }

private:
    VARIANT_BOOL edit_box_ = VARIANT_FALSE;
};

class CZCntElementFieldList
    : public CZCntElementFormField<CZCntElementFieldList, IZCntElementFieldList>,
      public CZCntElementFieldChoiceT<CZCntElementFieldList> {
public:
    static constexpr ZeCntElementType element_type = zeCntElementTypeFieldList;
    static constexpr const CLSID& class_id = CLSID_ZCntElementFieldList;
    static constexpr UINT icon_id = 207;

    HRESULT get_TextAttributes(IZCntTextAttributes** attributes) noexcept override
    {
        return get_child(text_attributes_, attributes);
    }
    HRESULT get_MultiSelect(VARIANT_BOOL* value) noexcept override
    {
        return get_value(multi_select_, value);
    }
    HRESULT put_MultiSelect(VARIANT_BOOL value) noexcept override
    {
        return store(multi_select_, value);
    }
    HRESULT get_ChoiceItems(IZCntChoiceFieldOptionCollection** items) noexcept override
    {
        return get_child(options_, items);
    }

    HRESULT save_class_part(IStream* stream, BOOL clear_dirty) noexcept
    {
        return save_choice_part(stream, clear_dirty, multi_select_);
    }
    HRESULT load_class_part(IStream* stream) noexcept
    {
        return load_choice_part(stream, &multi_select_);
    }

private:
    VARIANT_BOOL multi_select_ = VARIANT_FALSE;
};

}  // namespace

HRESULT create_field_text(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    return com::create_instance<CZCntElementFieldText>(outer, riid, ppv);
}
HRESULT create_field_combo(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    return com::create_instance<CZCntElementFieldCombo>(outer, riid, ppv);
}
HRESULT create_field_list(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    return com::create_instance<CZCntElementFieldList>(outer, riid, ppv);
}
HRESULT create_field_check(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    return com::create_instance<CZCntElementFieldCheck>(outer, riid, ppv);
}
HRESULT create_field_radio(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    return com::create_instance<CZCntElementFieldRadio>(outer, riid, ppv);
}
HRESULT create_field_button(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    return com::create_instance<CZCntElementFieldButton>(outer, riid, ppv);
}
HRESULT create_field_date_time(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    return com::create_instance<CZCntElementFieldDateTime>(outer, riid, ppv);
}
HRESULT create_field_group(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    return com::create_instance<CZCntElementFieldGroup>(outer, riid, ppv);
}

}  // namespace cnt::fields

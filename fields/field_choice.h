// CZCntElementFieldChoiceT<T>: what the combo and list boxes add to the form-field template —
// text attributes and an option collection, both independent objects made with the field and
// held with one reference each (a client may keep either beyond the field), their records,
// their dirty test, and the one flag each box has after them.
//
// The class part of a choice field: version 1, the text attributes' record, the options'
// record, a second version 1, the 16-bit flag (EditBox or MultiSelect).
#pragma once

#include "core/record_io.h"
#include "fields/field_records.h"
#include "fields/parts/parts.h"

namespace cnt::fields {

template <typename T>
class CZCntElementFieldChoiceT {
public:
    HRESULT construct_class_children() noexcept
    {
        RETURN_IF_FAILED(create_text_attributes(nullptr, text_attributes_.put()));
        return create_option_collection(options_.put());
    }
    bool class_children_dirty() noexcept
    {
        return child_dirty(text_attributes_.get()) || child_dirty(options_.get());
    }

protected:
    CZCntElementFieldChoiceT() = default;
    ~CZCntElementFieldChoiceT() = default;

    HRESULT save_choice_part(IStream* stream, BOOL clear_dirty, VARIANT_BOOL flag) noexcept
    {
        RETURN_IF_FAILED(write_part_version(stream));
        RETURN_IF_FAILED(save_child(text_attributes_.get(), stream, clear_dirty));
        RETURN_IF_FAILED(save_child(options_.get(), stream, clear_dirty));
        RETURN_IF_FAILED(write_part_version(stream));
        return record::write_i16(stream, flag);
    }
    HRESULT load_choice_part(IStream* stream, VARIANT_BOOL* flag) noexcept
    {
        RETURN_IF_FAILED(read_part_version(stream));
        RETURN_IF_FAILED(load_child(text_attributes_.get(), stream));
        RETURN_IF_FAILED(load_child(options_.get(), stream));
        RETURN_IF_FAILED(read_part_version(stream));
        return record::read_i16(stream, flag);
    }

    com::ComPtr<IZCntTextAttributes> text_attributes_;
    com::ComPtr<IZCntChoiceFieldOptionCollection> options_;
};

}  // namespace cnt::fields

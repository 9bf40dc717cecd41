// How a form field makes the objects it hands out. The field keeps what it gets here and reaches
// each one's persistence through QueryInterface(IPersistStreamInit), so that the classes stay
// private to this folder.
//
// A child object (the appearance of every field, the text attributes of the text field) has
// its lifetime tied to its parent: the parent's pointer holds the first reference, and while a
// client holds another one the child keeps the parent alive and holds a module lock. An
// independent object (the combo and list boxes' text attributes, the option collection) is an
// ordinary COM object that may outlive its field.
#pragma once

#include "contentelements/cnt_field_parts.h"
#include "platform/com/com.h"

namespace cnt::fields {

// A new appearance child of `parent` (BorderColor 0, FillColor 0xFFFFFF, dirty), returned with
// the one reference the parent keeps. `parent` is not referenced while only it holds the child.
HRESULT create_appearance_child(IUnknown* parent, IZCntFormFieldAppearance** out) noexcept;

// New text attributes (FontSize 100, everything else 0 or empty, dirty): as a child of
// `parent`, or, with a null parent, as an independent object holding a module lock while it
// lives.
HRESULT create_text_attributes(IUnknown* parent, IZCntTextAttributes** out) noexcept;

// A new, clean and empty option collection.
HRESULT create_option_collection(IZCntChoiceFieldOptionCollection** out) noexcept;

}  // namespace cnt::fields

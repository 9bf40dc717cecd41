// The eight form-field classes' entry points: the rest of the library creates them only
// through these. Each may be the inner object of an aggregate.
#pragma once

#include "platform/com/com.h"

namespace cnt::fields {

HRESULT create_field_text(IUnknown* outer, REFIID riid, void** ppv) noexcept;
HRESULT create_field_combo(IUnknown* outer, REFIID riid, void** ppv) noexcept;
HRESULT create_field_list(IUnknown* outer, REFIID riid, void** ppv) noexcept;
HRESULT create_field_check(IUnknown* outer, REFIID riid, void** ppv) noexcept;
HRESULT create_field_radio(IUnknown* outer, REFIID riid, void** ppv) noexcept;
HRESULT create_field_button(IUnknown* outer, REFIID riid, void** ppv) noexcept;
HRESULT create_field_date_time(IUnknown* outer, REFIID riid, void** ppv) noexcept;
HRESULT create_field_group(IUnknown* outer, REFIID riid, void** ppv) noexcept;

}  // namespace cnt::fields

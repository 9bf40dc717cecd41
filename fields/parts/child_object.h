// CComObjectChild<T>: a property object owned by a form field. Its count starts at 0 and the
// field's owning pointer takes the first reference; a second reference takes a module lock and
// a reference on the field, and dropping back to the field's alone gives both back, so a
// client holding the child keeps the field alive, while a field held by nobody else destroys
// its child with it. The count is guarded by the child's own critical section, and a count
// that reaches 0 is set to 100 before the child is destroyed. com::child_object is that
// template; this header gives it the name the fields use and the creation they share.
#pragma once

#include "platform/com/object.h"
#include "platform/com/result.h"

namespace cnt::fields {

template <typename T>
using CComObjectChild = com::child_object<T>;

// A new child of `parent`, handed out through *out with the one reference the parent keeps.
template <typename T, typename I>
HRESULT make_owned_child(IUnknown* parent, I** out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    CComObjectChild<T>* child = nullptr;
    RETURN_IF_FAILED(com::make_child<T>(parent, &child));
    I* owned = child;
    owned->AddRef();
    *out = owned;
    return S_OK;
}

}  // namespace cnt::fields

// The variant enumerator: IEnumVARIANT over a snapshot of variants, as a collection's _NewEnum
// hands out.
#pragma once

#include "platform/com/oaidl.h"

namespace com {

// An enumerator at position 0 over copies of `count` items, taken now: later changes to the
// source do not reach it. By-reference items are copied as the values they point to, so the
// snapshot holds no pointer into the caller's memory.
//   Next(n, items, fetched)   VariantInit's all n slots, then copies the next items into them;
//                             S_FALSE when fewer than n remain. `fetched` may be null, as
//                             IEnumVARIANT allows for any n. A null `items` with n > 0 gives
//                             E_INVALIDARG; a failed copy clears the slots, reports 0 fetched
//                             and leaves the position where it was.
//   Skip(n)                   S_FALSE when it runs past the end (the position stops there).
//   Reset()                   back to the first item.
//   Clone(out)                an independent enumerator at the same position over the same
//                             snapshot; E_POINTER for a null `out`.
// Errors of creation: E_POINTER for a null `out`, E_INVALIDARG for null items with a non-zero
// count, the copy's error (DISP_E_BADVARTYPE, E_OUTOFMEMORY) for an item that cannot be copied.
HRESULT create_variant_enumerator(const VARIANT* items, ULONG count, IEnumVARIANT** out) noexcept;

}  // namespace com

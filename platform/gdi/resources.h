// Bitmaps compiled into a module: the module registers each one's bytes under its resource id,
// and LoadImageA / LoadBitmapA make a bitmap of it as Windows loads a BITMAP resource.
#pragma once

#include "platform/gdi/gdi.h"

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;

constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_CREATEDIBSECTION = 0x2000;
constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND = 1814;
constexpr DWORD ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;
constexpr DWORD ERROR_INVALID_DATA = 13;

// An integer resource id passed where a name is expected.
inline LPCSTR MAKEINTRESOURCEA(UINT id) noexcept
{
    return reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(id)));
}

// Not a Windows call: the resource compiler's part. `bytes` is a .bmp file (with or without its
// 14-byte file header) and must outlive the process's use of it. FALSE for a null module or data.
BOOL RegisterBitmapResource(HINSTANCE module, UINT id, const BYTE* bytes, DWORD size) noexcept;

// IMAGE_BITMAP of an integer id only: uncompressed 1-, 4-, 8-, 24- and 32-bit bitmaps, bottom-up
// or top-down. Null with ERROR_RESOURCE_NAME_NOT_FOUND for an unknown id and ERROR_INVALID_DATA
// for bytes that are not such a bitmap; `cx` and `cy` are ignored (the resource's own size).
void* LoadImageA(HINSTANCE module, LPCSTR name, UINT type, int cx, int cy, UINT flags) noexcept;
HBITMAP LoadBitmapA(HINSTANCE module, LPCSTR name) noexcept;

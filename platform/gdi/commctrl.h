// Common controls image lists over the GDI stand-in: images of one size in a row, each with a
// mask, drawn transparently.
#pragma once

#include "platform/gdi/gdi.h"

constexpr UINT ILC_MASK = 0x0001;
constexpr UINT ILC_COLOR = 0x0000;
constexpr UINT ILC_COLORDDB = 0x00FE;
constexpr UINT ILC_COLOR4 = 0x0004;
constexpr UINT ILC_COLOR8 = 0x0008;
constexpr UINT ILC_COLOR16 = 0x0010;
constexpr UINT ILC_COLOR24 = 0x0018;
constexpr UINT ILC_COLOR32 = 0x0020;
constexpr UINT ILD_NORMAL = 0x0000;
constexpr UINT ILD_TRANSPARENT = 0x0001;
constexpr UINT ILD_MASK = 0x0010;
constexpr COLORREF CLR_NONE = 0xFFFFFFFFu;
constexpr COLORREF CLR_DEFAULT = 0xFF000000u;

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow) noexcept;
BOOL ImageList_Destroy(HIMAGELIST list) noexcept;
int ImageList_GetImageCount(HIMAGELIST list) noexcept;
BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy) noexcept;
COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF color) noexcept;
COLORREF ImageList_GetBkColor(HIMAGELIST list) noexcept;
// Adds width / cx images; returns the first new index, -1 on failure. Pixels under a mask bit
// of 1 are stored black.
int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask) noexcept;
// The mask comes from the pixels equal to `key` (CLR_DEFAULT: the top-left pixel), and, as on
// Windows for bitmaps above 8 bits a pixel, those pixels of the caller's bitmap become black.
int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF key) noexcept;
BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style) noexcept;

// The Windows GDI calls the library measures and paints with, built on fontconfig, FreeType and
// cairo, with the Windows names, structure layouts and arithmetic.
//
// One header for the whole GDI surface, as the system's own is, so that clients include one
// file; it runs past the usual length because it is declarations only: the structures with
// their Windows layouts, the constants and the calls. The objects behind the handles and the
// layer's helpers live in objects.h, canvas.h and text.h; loaded font faces in face.h.
//
// Decisions (see the .cpp files for the details):
// - One display: "DISPLAY" and GetDC(NULL) are 1920 x 1080 pixels at 96 dpi, 32 bits per pixel.
// - Fonts resolve through fontconfig with Windows' face names mapped to metric-compatible faces
//   (Arial, Times New Roman, Courier New to the Liberation faces; Tahoma, MS Sans Serif and the
//   empty name to DejaVu Sans). A name nobody provides gets Liberation Sans, as Windows' mapper
//   gives Arial.
// - Metrics follow Windows' TrueType arithmetic: the em scale is MulDiv(ppem, 65536, upem), every
//   table value is scaled with 16.16 rounding, glyph advances are rounded to whole pixels one by
//   one, and logical-unit results are converted back once. VDMX tables are not consulted and
//   bold or italic is never simulated beyond reporting it in the metrics.
// - OUTLINETEXTMETRICA has the 64-bit Windows layout; its otmp* members hold byte offsets from
//   the start of the structure to the strings stored after it, as the A variant returns them.
// - Handles are checked: a stale or foreign handle gives the failure value, never a crash.
// - Nothing throws and nothing logs; failures return 0, FALSE, NULL or GDI_ERROR.
#pragma once

#include <cstdint>

#include "platform/com/types.h"

struct HDC__;
struct HFONT__;
struct HBITMAP__;
struct HBRUSH__;
struct HPEN__;
struct HRGN__;
struct HWND__;
struct HIMAGELIST__;
using HDC = HDC__*;
using HFONT = HFONT__*;
using HBITMAP = HBITMAP__*;
using HBRUSH = HBRUSH__*;
using HPEN = HPEN__*;
using HRGN = HRGN__*;
using HWND = HWND__*;
using HIMAGELIST = HIMAGELIST__*;
using HGDIOBJ = void*;
using COLORREF = DWORD;
using LPVOID = void*;
using PSTR = char*;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
struct POINT {
    LONG x;
    LONG y;
};
struct SIZE {
    LONG cx;
    LONG cy;
};
using LPRECT = RECT*;
using LPPOINT = POINT*;
using LPSIZE = SIZE*;

constexpr int LF_FACESIZE = 32;

struct LOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
};
static_assert(sizeof(LOGFONTA) == 60);

struct TEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};
static_assert(sizeof(TEXTMETRICA) == 56);

struct PANOSE {
    BYTE bFamilyType;
    BYTE bSerifStyle;
    BYTE bWeight;
    BYTE bProportion;
    BYTE bContrast;
    BYTE bStrokeVariation;
    BYTE bArmStyle;
    BYTE bLetterform;
    BYTE bMidline;
    BYTE bXHeight;
};

struct OUTLINETEXTMETRICA {
    UINT otmSize;
    TEXTMETRICA otmTextMetrics;
    BYTE otmFiller;
    PANOSE otmPanoseNumber;
    UINT otmfsSelection;
    UINT otmfsType;
    INT otmsCharSlopeRise;
    INT otmsCharSlopeRun;
    INT otmItalicAngle;
    UINT otmEMSquare;
    INT otmAscent;
    INT otmDescent;
    UINT otmLineGap;
    UINT otmsCapEmHeight;
    UINT otmsXHeight;
    RECT otmrcFontBox;
    INT otmMacAscent;
    INT otmMacDescent;
    UINT otmMacLineGap;
    UINT otmusMinimumPPEM;
    POINT otmptSubscriptSize;
    POINT otmptSubscriptOffset;
    POINT otmptSuperscriptSize;
    POINT otmptSuperscriptOffset;
    UINT otmsStrikeoutSize;
    INT otmsStrikeoutPosition;
    INT otmsUnderscoreSize;
    INT otmsUnderscorePosition;
    PSTR otmpFamilyName;
    PSTR otmpFaceName;
    PSTR otmpStyleName;
    PSTR otmpFullName;
};
static_assert(sizeof(OUTLINETEXTMETRICA) == 232);

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b)
{
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
           (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

constexpr DWORD GDI_ERROR = 0xFFFFFFFFu;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;
inline const HGDIOBJ HGDI_ERROR = reinterpret_cast<HGDIOBJ>(static_cast<std::intptr_t>(-1));

// Mapping modes.
constexpr int MM_TEXT = 1;
constexpr int MM_LOMETRIC = 2;
constexpr int MM_HIMETRIC = 3;
constexpr int MM_LOENGLISH = 4;
constexpr int MM_HIENGLISH = 5;
constexpr int MM_TWIPS = 6;
constexpr int MM_ISOTROPIC = 7;
constexpr int MM_ANISOTROPIC = 8;

// GetDeviceCaps indexes.
constexpr int DRIVERVERSION = 0;
constexpr int TECHNOLOGY = 2;
constexpr int HORZSIZE = 4;
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMBRUSHES = 16;
constexpr int NUMPENS = 18;
constexpr int NUMFONTS = 22;
constexpr int NUMCOLORS = 24;
constexpr int ASPECTX = 40;
constexpr int ASPECTY = 42;
constexpr int ASPECTXY = 44;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int SIZEPALETTE = 104;
constexpr int DT_PLOTTER = 0;
constexpr int DT_RASDISPLAY = 1;

// Font weights, character sets, pitch and family.
constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_THIN = 100;
constexpr LONG FW_EXTRALIGHT = 200;
constexpr LONG FW_LIGHT = 300;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_REGULAR = 400;
constexpr LONG FW_MEDIUM = 500;
constexpr LONG FW_SEMIBOLD = 600;
constexpr LONG FW_BOLD = 700;
constexpr LONG FW_EXTRABOLD = 800;
constexpr LONG FW_HEAVY = 900;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE SYMBOL_CHARSET = 2;
constexpr BYTE OEM_CHARSET = 255;
constexpr BYTE OUT_DEFAULT_PRECIS = 0;
constexpr BYTE OUT_TT_PRECIS = 4;
constexpr BYTE OUT_TT_ONLY_PRECIS = 7;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE ANTIALIASED_QUALITY = 4;
constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FIXED_PITCH = 1;
constexpr BYTE VARIABLE_PITCH = 2;
constexpr BYTE FF_DONTCARE = 0x00;
constexpr BYTE FF_ROMAN = 0x10;
constexpr BYTE FF_SWISS = 0x20;
constexpr BYTE FF_MODERN = 0x30;
constexpr BYTE FF_SCRIPT = 0x40;
constexpr BYTE FF_DECORATIVE = 0x50;
constexpr BYTE TMPF_FIXED_PITCH = 0x01;  // set for variable pitch, as on Windows
constexpr BYTE TMPF_VECTOR = 0x02;
constexpr BYTE TMPF_TRUETYPE = 0x04;
constexpr BYTE TMPF_DEVICE = 0x08;

// Private font registration.
constexpr DWORD FR_PRIVATE = 0x10;
constexpr DWORD FR_NOT_ENUM = 0x20;

// DrawText formats.
constexpr UINT DT_TOP = 0x0;
constexpr UINT DT_LEFT = 0x0;
constexpr UINT DT_CENTER = 0x1;
constexpr UINT DT_RIGHT = 0x2;
constexpr UINT DT_VCENTER = 0x4;
constexpr UINT DT_BOTTOM = 0x8;
constexpr UINT DT_WORDBREAK = 0x10;
constexpr UINT DT_SINGLELINE = 0x20;
constexpr UINT DT_EXPANDTABS = 0x40;
constexpr UINT DT_TABSTOP = 0x80;
constexpr UINT DT_NOCLIP = 0x100;
constexpr UINT DT_EXTERNALLEADING = 0x200;
constexpr UINT DT_CALCRECT = 0x400;
constexpr UINT DT_NOPREFIX = 0x800;
constexpr UINT DT_INTERNAL = 0x1000;
constexpr UINT DT_EDITCONTROL = 0x2000;
constexpr UINT DT_PATH_ELLIPSIS = 0x4000;
constexpr UINT DT_END_ELLIPSIS = 0x8000;
constexpr UINT DT_MODIFYSTRING = 0x10000;
constexpr UINT DT_RTLREADING = 0x20000;
constexpr UINT DT_WORD_ELLIPSIS = 0x40000;
constexpr UINT DT_HIDEPREFIX = 0x100000;
constexpr UINT DT_PREFIXONLY = 0x200000;

// Background modes and text alignment.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr UINT TA_NOUPDATECP = 0;
constexpr UINT TA_UPDATECP = 1;
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;
constexpr UINT ETO_OPAQUE = 0x2;
constexpr UINT ETO_CLIPPED = 0x4;

// Region results of the clipping calls.
constexpr int ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int OEM_FIXED_FONT = 10;
constexpr int ANSI_FIXED_FONT = 11;
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEVICE_DEFAULT_FONT = 14;
constexpr int SYSTEM_FIXED_FONT = 16;
constexpr int DEFAULT_GUI_FONT = 17;

// Pens.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;

// Raster operations and stretch modes.
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;

// System colours, for FillRect's (HBRUSH)(COLOR_x + 1).
constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_BACKGROUND = 1;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWFRAME = 6;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_BTNHIGHLIGHT = 20;

// Arithmetic.
// a * b / c rounded half away from zero; -1 when c is 0 or the result leaves the 32-bit range.
INT MulDiv(INT number, INT numerator, INT denominator) noexcept;

// Device contexts. CreateDCA knows the driver "DISPLAY" only.
HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR output, const void* init_data) noexcept;
HDC CreateICA(LPCSTR driver, LPCSTR device, LPCSTR output, const void* init_data) noexcept;
HDC CreateCompatibleDC(HDC dc) noexcept;
BOOL DeleteDC(HDC dc) noexcept;
HDC GetDC(HWND window) noexcept;
int ReleaseDC(HWND window, HDC dc) noexcept;
int GetDeviceCaps(HDC dc, int index) noexcept;
int SaveDC(HDC dc) noexcept;
BOOL RestoreDC(HDC dc, int saved) noexcept;

// Coordinate spaces.
int SetMapMode(HDC dc, int mode) noexcept;
int GetMapMode(HDC dc) noexcept;
BOOL SetWindowExtEx(HDC dc, int x, int y, LPSIZE old) noexcept;
BOOL GetWindowExtEx(HDC dc, LPSIZE size) noexcept;
BOOL ScaleWindowExtEx(HDC dc, int x_num, int x_denom, int y_num, int y_denom,
                      LPSIZE old) noexcept;
BOOL SetViewportExtEx(HDC dc, int x, int y, LPSIZE old) noexcept;
BOOL GetViewportExtEx(HDC dc, LPSIZE size) noexcept;
BOOL ScaleViewportExtEx(HDC dc, int x_num, int x_denom, int y_num, int y_denom,
                        LPSIZE old) noexcept;
BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT old) noexcept;
BOOL GetWindowOrgEx(HDC dc, LPPOINT point) noexcept;
BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT old) noexcept;
BOOL GetViewportOrgEx(HDC dc, LPPOINT point) noexcept;
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, LPPOINT old) noexcept;
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, LPPOINT old) noexcept;
BOOL LPtoDP(HDC dc, LPPOINT points, int count) noexcept;
BOOL DPtoLP(HDC dc, LPPOINT points, int count) noexcept;

// Clipping (logical rectangles, right and bottom excluded).
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) noexcept;
int GetClipBox(HDC dc, LPRECT rect) noexcept;

// Objects.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) noexcept;
BOOL DeleteObject(HGDIOBJ object) noexcept;
HGDIOBJ GetStockObject(int index) noexcept;
HGDIOBJ GetCurrentObject(HDC dc, UINT type) noexcept;
constexpr UINT OBJ_PEN = 1;
constexpr UINT OBJ_BRUSH = 2;
constexpr UINT OBJ_DC = 3;
constexpr UINT OBJ_FONT = 6;
constexpr UINT OBJ_BITMAP = 7;
constexpr UINT OBJ_MEMDC = 10;
DWORD GetObjectType(HGDIOBJ object) noexcept;

// Fonts and text metrics.
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight,
                  DWORD italic, DWORD underline, DWORD strike_out, DWORD char_set,
                  DWORD out_precision, DWORD clip_precision, DWORD quality,
                  DWORD pitch_and_family, LPCSTR face_name) noexcept;
HFONT CreateFontIndirectA(const LOGFONTA* font) noexcept;
int GetObjectA(HGDIOBJ object, int size, LPVOID buffer) noexcept;
BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics) noexcept;
UINT GetOutlineTextMetricsA(HDC dc, UINT size, OUTLINETEXTMETRICA* metrics) noexcept;
BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, LPSIZE size) noexcept;
int GetTextFaceA(HDC dc, int count, LPSTR name) noexcept;
// Table tags are passed as on Windows: the four tag bytes in memory order, so 'head' is
// 0x64616568. Tag 0 reads the whole font file.
DWORD GetFontData(HDC dc, DWORD table, DWORD offset, LPVOID buffer, DWORD size) noexcept;
// Makes the faces of a font file resolvable by family name in this process; returns how many
// faces the file holds, 0 on failure. Only FR_PRIVATE registration exists here.
int AddFontResourceExA(LPCSTR path, DWORD flags, LPVOID reserved) noexcept;

constexpr DWORD MakeTableTag(char a, char b, char c, char d)
{
    return static_cast<DWORD>(static_cast<BYTE>(a)) |
           (static_cast<DWORD>(static_cast<BYTE>(b)) << 8) |
           (static_cast<DWORD>(static_cast<BYTE>(c)) << 16) |
           (static_cast<DWORD>(static_cast<BYTE>(d)) << 24);
}

// Text layout and output.
int DrawTextA(HDC dc, LPCSTR text, int count, LPRECT rect, UINT format) noexcept;
COLORREF SetTextColor(HDC dc, COLORREF color) noexcept;
COLORREF GetTextColor(HDC dc) noexcept;
COLORREF SetBkColor(HDC dc, COLORREF color) noexcept;
COLORREF GetBkColor(HDC dc) noexcept;
int SetBkMode(HDC dc, int mode) noexcept;
int GetBkMode(HDC dc) noexcept;
UINT SetTextAlign(HDC dc, UINT align) noexcept;
UINT GetTextAlign(HDC dc) noexcept;
BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int count) noexcept;
BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count,
                 const INT* dx) noexcept;

// Drawing objects.
struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};
HBRUSH CreateSolidBrush(COLORREF color) noexcept;
HPEN CreatePen(int style, int width, COLORREF color) noexcept;
// Bitmaps are 32 bits a pixel, or monochrome (CreateCompatibleBitmap on a memory DC that still
// holds its stock bitmap, or CreateBitmap with one bit a pixel). Data for CreateBitmap is in
// Windows' layout: rows top-down, each padded to 16 bits; 24- and 32-bit pixels as B, G, R(, X).
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) noexcept;
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bits_per_pixel,
                     const void* bits) noexcept;
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) noexcept;
COLORREF GetPixel(HDC dc, int x, int y) noexcept;
int FillRect(HDC dc, const RECT* rect, HBRUSH brush) noexcept;
int FrameRect(HDC dc, const RECT* rect, HBRUSH brush) noexcept;
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) noexcept;
BOOL MoveToEx(HDC dc, int x, int y, LPPOINT old) noexcept;
BOOL LineTo(HDC dc, int x, int y) noexcept;
int SetStretchBltMode(HDC dc, int mode) noexcept;
BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x_src, int y_src,
            DWORD rop) noexcept;
BOOL StretchBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x_src, int y_src, int cx_src,
                int cy_src, DWORD rop) noexcept;
DWORD GetSysColor(int index) noexcept;

// Not a Windows call: writes a bitmap as a PNG file, for tools and tests.
BOOL SaveBitmapPng(HBITMAP bitmap, const char* path) noexcept;

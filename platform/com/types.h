// Fixed-width Windows types and the result codes that every interface call returns.
#pragma once

#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using BOOL = std::int32_t;
using CHAR = char;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using INT = std::int32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using LCID = std::uint32_t;
using DISPID = std::int32_t;
using MEMBERID = DISPID;
using VARIANT_BOOL = std::int16_t;
using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using BSTR = OLECHAR*;
using DATE = double;
using OLE_COLOR = std::uint32_t;
using VARTYPE = std::uint16_t;
using LPSTR = char*;
using LPCSTR = const char*;
using ULONG_PTR = std::uintptr_t;

static_assert(sizeof(LONG) == 4 && sizeof(SHORT) == 2 && sizeof(OLECHAR) == 2);

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

// 64-bit integers split into halves, as the stream interfaces pass them.
union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
};
union ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    } u;
    ULONGLONG QuadPart;
};

// Currency: a 64-bit integer scaled by 10 000.
union CY {
    struct {
        ULONG Lo;
        LONG Hi;
    } u;
    LONGLONG int64;
};

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
constexpr HRESULT HRESULT_FROM_WIN32(std::uint32_t err)
{
    return err == 0 || (err & 0x80000000u) ? static_cast<HRESULT>(err)
                                           : static_cast<HRESULT>((err & 0xFFFFu) | 0x80070000u);
}

#define ZCNT_HR(value) static_cast<HRESULT>(static_cast<std::uint32_t>(value))

// Generic results.
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = ZCNT_HR(0x80004001);
constexpr HRESULT E_NOINTERFACE = ZCNT_HR(0x80004002);
constexpr HRESULT E_POINTER = ZCNT_HR(0x80004003);
constexpr HRESULT E_ABORT = ZCNT_HR(0x80004004);
constexpr HRESULT E_FAIL = ZCNT_HR(0x80004005);
constexpr HRESULT E_UNEXPECTED = ZCNT_HR(0x8000FFFF);
constexpr HRESULT E_ACCESSDENIED = ZCNT_HR(0x80070005);
constexpr HRESULT E_HANDLE = ZCNT_HR(0x80070006);
constexpr HRESULT E_OUTOFMEMORY = ZCNT_HR(0x8007000E);
constexpr HRESULT E_INVALIDARG = ZCNT_HR(0x80070057);

// Class objects.
constexpr HRESULT CLASS_E_NOAGGREGATION = ZCNT_HR(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = ZCNT_HR(0x80040111);
constexpr HRESULT REGDB_E_CLASSNOTREG = ZCNT_HR(0x80040154);
constexpr HRESULT REGDB_E_READREGDB = ZCNT_HR(0x80040150);
constexpr HRESULT REGDB_E_WRITEREGDB = ZCNT_HR(0x80040151);
constexpr HRESULT REGDB_E_KEYMISSING = ZCNT_HR(0x80040152);
constexpr HRESULT CO_E_CLASSSTRING = ZCNT_HR(0x800401F3);
constexpr HRESULT CO_E_DLLNOTFOUND = ZCNT_HR(0x800401F8);
constexpr HRESULT CO_E_ERRORINDLL = ZCNT_HR(0x800401F9);
constexpr HRESULT CO_E_OBJNOTREG = ZCNT_HR(0x800401FB);
constexpr HRESULT CO_E_NOTINITIALIZED = ZCNT_HR(0x800401F0);

// Structured storage and streams.
constexpr HRESULT STG_E_INVALIDFUNCTION = ZCNT_HR(0x80030001);
constexpr HRESULT STG_E_FILENOTFOUND = ZCNT_HR(0x80030002);
constexpr HRESULT STG_E_PATHNOTFOUND = ZCNT_HR(0x80030003);
constexpr HRESULT STG_E_ACCESSDENIED = ZCNT_HR(0x80030005);
constexpr HRESULT STG_E_INVALIDHANDLE = ZCNT_HR(0x80030006);
constexpr HRESULT STG_E_INSUFFICIENTMEMORY = ZCNT_HR(0x80030008);
constexpr HRESULT STG_E_INVALIDPOINTER = ZCNT_HR(0x80030009);
constexpr HRESULT STG_E_WRITEFAULT = ZCNT_HR(0x8003001D);
constexpr HRESULT STG_E_READFAULT = ZCNT_HR(0x8003001E);
constexpr HRESULT STG_E_SEEKERROR = ZCNT_HR(0x80030019);
constexpr HRESULT STG_E_MEDIUMFULL = ZCNT_HR(0x80030070);
constexpr HRESULT STG_E_INVALIDPARAMETER = ZCNT_HR(0x80030057);
constexpr HRESULT STG_E_INVALIDFLAG = ZCNT_HR(0x800300FF);
constexpr HRESULT STG_E_REVERTED = ZCNT_HR(0x80030102);
constexpr HRESULT STG_E_CANTSAVE = ZCNT_HR(0x80030103);
constexpr HRESULT STG_E_OLDFORMAT = ZCNT_HR(0x80030104);
constexpr HRESULT STG_E_INVALIDHEADER = ZCNT_HR(0x800300FB);
constexpr HRESULT STG_E_UNIMPLEMENTEDFUNCTION = ZCNT_HR(0x800300FE);

// Automation.
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = ZCNT_HR(0x80020001);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = ZCNT_HR(0x80020003);
constexpr HRESULT DISP_E_PARAMNOTFOUND = ZCNT_HR(0x80020004);
constexpr HRESULT DISP_E_TYPEMISMATCH = ZCNT_HR(0x80020005);
constexpr HRESULT DISP_E_UNKNOWNNAME = ZCNT_HR(0x80020006);
constexpr HRESULT DISP_E_NONAMEDARGS = ZCNT_HR(0x80020007);
constexpr HRESULT DISP_E_BADVARTYPE = ZCNT_HR(0x80020008);
constexpr HRESULT DISP_E_EXCEPTION = ZCNT_HR(0x80020009);
constexpr HRESULT DISP_E_OVERFLOW = ZCNT_HR(0x8002000A);
constexpr HRESULT DISP_E_BADINDEX = ZCNT_HR(0x8002000B);
constexpr HRESULT DISP_E_UNKNOWNLCID = ZCNT_HR(0x8002000C);
constexpr HRESULT DISP_E_ARRAYISLOCKED = ZCNT_HR(0x8002000D);
constexpr HRESULT DISP_E_BADPARAMCOUNT = ZCNT_HR(0x8002000E);
constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = ZCNT_HR(0x8002000F);
constexpr HRESULT DISP_E_BADCALLEE = ZCNT_HR(0x80020010);
constexpr HRESULT DISP_E_NOTACOLLECTION = ZCNT_HR(0x80020011);
constexpr HRESULT DISP_E_DIVBYZERO = ZCNT_HR(0x80020012);
constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = ZCNT_HR(0x8002802B);
constexpr HRESULT TYPE_E_LIBNOTREGISTERED = ZCNT_HR(0x8002801D);
constexpr HRESULT TYPE_E_CANTLOADLIBRARY = ZCNT_HR(0x80029C4A);

// Win32 errors that reach callers as HRESULTs, or as the registry functions' results.
constexpr std::uint32_t ERROR_SUCCESS = 0;
constexpr std::uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr std::uint32_t ERROR_PATH_NOT_FOUND = 3;
constexpr std::uint32_t ERROR_ACCESS_DENIED = 5;
constexpr std::uint32_t ERROR_INVALID_HANDLE = 6;
constexpr std::uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr std::uint32_t ERROR_INVALID_PARAMETER = 87;
constexpr std::uint32_t ERROR_INSUFFICIENT_BUFFER = 122;
constexpr std::uint32_t ERROR_MORE_DATA = 234;
constexpr std::uint32_t ERROR_NO_MORE_ITEMS = 259;
constexpr std::uint32_t ERROR_BADDB = 1009;
constexpr std::uint32_t ERROR_BADKEY = 1010;
constexpr std::uint32_t ERROR_CANTOPEN = 1011;
constexpr std::uint32_t ERROR_CANTREAD = 1012;
constexpr std::uint32_t ERROR_CANTWRITE = 1013;
constexpr std::uint32_t ERROR_KEY_DELETED = 1018;
constexpr std::uint32_t ERROR_NO_UNICODE_TRANSLATION = 1113;

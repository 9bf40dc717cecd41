// The structures and flags that describe types to Automation clients: TYPEATTR, FUNCDESC,
// VARDESC, TLIBATTR and their parts, with the 64-bit Windows layout.
#pragma once

#include "platform/com/oaidl.h"
#include "platform/com/safearray.h"

using HREFTYPE = DWORD;

constexpr MEMBERID MEMBERID_NIL = DISPID_UNKNOWN;

// ITypeInfo::CreateInstance on a type that is not a coclass.
constexpr HRESULT TYPE_E_BADMODULEKIND = ZCNT_HR(0x800288BD);

enum TYPEKIND : INT {
    TKIND_ENUM = 0,
    TKIND_RECORD = 1,
    TKIND_MODULE = 2,
    TKIND_INTERFACE = 3,
    TKIND_DISPATCH = 4,
    TKIND_COCLASS = 5,
    TKIND_ALIAS = 6,
    TKIND_UNION = 7,
    TKIND_MAX = 8,
};

struct ARRAYDESC;

struct TYPEDESC {
    union {
        TYPEDESC* lptdesc;   // VT_PTR, VT_SAFEARRAY
        ARRAYDESC* lpadesc;  // VT_CARRAY
        HREFTYPE hreftype;   // VT_USERDEFINED
    };
    VARTYPE vt;
};

struct ARRAYDESC {
    TYPEDESC tdescElem;
    USHORT cDims;
    SAFEARRAYBOUND rgbounds[1];
};

struct PARAMDESCEX {
    ULONG cBytes;
    VARIANTARG varDefaultValue;
};

constexpr USHORT PARAMFLAG_NONE = 0x00;
constexpr USHORT PARAMFLAG_FIN = 0x01;
constexpr USHORT PARAMFLAG_FOUT = 0x02;
constexpr USHORT PARAMFLAG_FLCID = 0x04;
constexpr USHORT PARAMFLAG_FRETVAL = 0x08;
constexpr USHORT PARAMFLAG_FOPT = 0x10;
constexpr USHORT PARAMFLAG_FHASDEFAULT = 0x20;
constexpr USHORT PARAMFLAG_FHASCUSTDATA = 0x40;

struct PARAMDESC {
    PARAMDESCEX* pparamdescex;  // set only with PARAMFLAG_FHASDEFAULT
    USHORT wParamFlags;
};

constexpr USHORT IDLFLAG_NONE = PARAMFLAG_NONE;
constexpr USHORT IDLFLAG_FIN = PARAMFLAG_FIN;
constexpr USHORT IDLFLAG_FOUT = PARAMFLAG_FOUT;
constexpr USHORT IDLFLAG_FLCID = PARAMFLAG_FLCID;
constexpr USHORT IDLFLAG_FRETVAL = PARAMFLAG_FRETVAL;

struct IDLDESC {
    ULONG_PTR dwReserved;
    USHORT wIDLFlags;
};

struct ELEMDESC {
    TYPEDESC tdesc;
    union {
        IDLDESC idldesc;
        PARAMDESC paramdesc;
    };
};

struct TYPEATTR {
    GUID guid;
    LCID lcid;
    DWORD dwReserved;
    MEMBERID memidConstructor;
    MEMBERID memidDestructor;
    LPOLESTR lpstrSchema;
    ULONG cbSizeInstance;
    TYPEKIND typekind;
    WORD cFuncs;
    WORD cVars;
    WORD cImplTypes;
    WORD cbSizeVft;
    WORD cbAlignment;
    WORD wTypeFlags;
    WORD wMajorVerNum;
    WORD wMinorVerNum;
    TYPEDESC tdescAlias;  // TKIND_ALIAS only
    IDLDESC idldescType;
};

constexpr WORD TYPEFLAG_FAPPOBJECT = 0x0001;
constexpr WORD TYPEFLAG_FCANCREATE = 0x0002;
constexpr WORD TYPEFLAG_FLICENSED = 0x0004;
constexpr WORD TYPEFLAG_FPREDECLID = 0x0008;
constexpr WORD TYPEFLAG_FHIDDEN = 0x0010;
constexpr WORD TYPEFLAG_FCONTROL = 0x0020;
constexpr WORD TYPEFLAG_FDUAL = 0x0040;
constexpr WORD TYPEFLAG_FNONEXTENSIBLE = 0x0080;
constexpr WORD TYPEFLAG_FOLEAUTOMATION = 0x0100;
constexpr WORD TYPEFLAG_FRESTRICTED = 0x0200;
constexpr WORD TYPEFLAG_FAGGREGATABLE = 0x0400;
constexpr WORD TYPEFLAG_FREPLACEABLE = 0x0800;
constexpr WORD TYPEFLAG_FDISPATCHABLE = 0x1000;
constexpr WORD TYPEFLAG_FREVERSEBIND = 0x2000;
constexpr WORD TYPEFLAG_FPROXY = 0x4000;

enum FUNCKIND : INT {
    FUNC_VIRTUAL = 0,
    FUNC_PUREVIRTUAL = 1,
    FUNC_NONVIRTUAL = 2,
    FUNC_STATIC = 3,
    FUNC_DISPATCH = 4,
};

enum INVOKEKIND : INT {
    INVOKE_FUNC = 1,
    INVOKE_PROPERTYGET = 2,
    INVOKE_PROPERTYPUT = 4,
    INVOKE_PROPERTYPUTREF = 8,
};

enum CALLCONV : INT {
    CC_FASTCALL = 0,
    CC_CDECL = 1,
    CC_MSCPASCAL = 2,
    CC_PASCAL = CC_MSCPASCAL,
    CC_MACPASCAL = 3,
    CC_STDCALL = 4,
    CC_FPFASTCALL = 5,
    CC_SYSCALL = 6,
    CC_MPWCDECL = 7,
    CC_MPWPASCAL = 8,
    CC_MAX = 9,
};

struct FUNCDESC {
    MEMBERID memid;
    SCODE* lprgscode;
    ELEMDESC* lprgelemdescParam;
    FUNCKIND funckind;
    INVOKEKIND invkind;
    CALLCONV callconv;
    SHORT cParams;
    SHORT cParamsOpt;
    SHORT oVft;
    SHORT cScodes;
    ELEMDESC elemdescFunc;
    WORD wFuncFlags;
};

constexpr WORD FUNCFLAG_FRESTRICTED = 0x0001;
constexpr WORD FUNCFLAG_FSOURCE = 0x0002;
constexpr WORD FUNCFLAG_FBINDABLE = 0x0004;
constexpr WORD FUNCFLAG_FREQUESTEDIT = 0x0008;
constexpr WORD FUNCFLAG_FDISPLAYBIND = 0x0010;
constexpr WORD FUNCFLAG_FDEFAULTBIND = 0x0020;
constexpr WORD FUNCFLAG_FHIDDEN = 0x0040;
constexpr WORD FUNCFLAG_FUSESGETLASTERROR = 0x0080;
constexpr WORD FUNCFLAG_FDEFAULTCOLLELEM = 0x0100;
constexpr WORD FUNCFLAG_FUIDEFAULT = 0x0200;
constexpr WORD FUNCFLAG_FNONBROWSABLE = 0x0400;
constexpr WORD FUNCFLAG_FREPLACEABLE = 0x0800;
constexpr WORD FUNCFLAG_FIMMEDIATEBIND = 0x1000;

enum VARKIND : INT {
    VAR_PERINSTANCE = 0,
    VAR_STATIC = 1,
    VAR_CONST = 2,
    VAR_DISPATCH = 3,
};

struct VARDESC {
    MEMBERID memid;
    LPOLESTR lpstrSchema;
    union {
        ULONG oInst;          // VAR_PERINSTANCE
        VARIANT* lpvarValue;  // VAR_CONST
    };
    ELEMDESC elemdescVar;
    WORD wVarFlags;
    VARKIND varkind;
};

constexpr WORD VARFLAG_FREADONLY = 0x0001;
constexpr WORD VARFLAG_FSOURCE = 0x0002;
constexpr WORD VARFLAG_FBINDABLE = 0x0004;
constexpr WORD VARFLAG_FREQUESTEDIT = 0x0008;
constexpr WORD VARFLAG_FDISPLAYBIND = 0x0010;
constexpr WORD VARFLAG_FDEFAULTBIND = 0x0020;
constexpr WORD VARFLAG_FHIDDEN = 0x0040;
constexpr WORD VARFLAG_FRESTRICTED = 0x0080;
constexpr WORD VARFLAG_FDEFAULTCOLLELEM = 0x0100;
constexpr WORD VARFLAG_FUIDEFAULT = 0x0200;
constexpr WORD VARFLAG_FNONBROWSABLE = 0x0400;
constexpr WORD VARFLAG_FREPLACEABLE = 0x0800;
constexpr WORD VARFLAG_FIMMEDIATEBIND = 0x1000;

constexpr INT IMPLTYPEFLAG_FDEFAULT = 0x1;
constexpr INT IMPLTYPEFLAG_FSOURCE = 0x2;
constexpr INT IMPLTYPEFLAG_FRESTRICTED = 0x4;
constexpr INT IMPLTYPEFLAG_FDEFAULTVTABLE = 0x8;

enum SYSKIND : INT {
    SYS_WIN16 = 0,
    SYS_WIN32 = 1,
    SYS_MAC = 2,
    SYS_WIN64 = 3,
};

struct TLIBATTR {
    GUID guid;
    LCID lcid;
    SYSKIND syskind;
    WORD wMajorVerNum;
    WORD wMinorVerNum;
    WORD wLibFlags;
};

constexpr WORD LIBFLAG_FRESTRICTED = 0x1;
constexpr WORD LIBFLAG_FCONTROL = 0x2;
constexpr WORD LIBFLAG_FHIDDEN = 0x4;
constexpr WORD LIBFLAG_FHASDISKIMAGE = 0x8;

enum DESCKIND : INT {
    DESCKIND_NONE = 0,
    DESCKIND_FUNCDESC = 1,
    DESCKIND_VARDESC = 2,
    DESCKIND_TYPECOMP = 3,
    DESCKIND_IMPLICITAPPOBJ = 4,
    DESCKIND_MAX = 5,
};

struct ITypeComp;

union BINDPTR {
    FUNCDESC* lpfuncdesc;
    VARDESC* lpvardesc;
    ITypeComp* lptcomp;
};

// The layout of 64-bit Windows, so that the structures can cross into code built for it.
static_assert(sizeof(TYPEDESC) == 16 && sizeof(ELEMDESC) == 32);
static_assert(sizeof(FUNCDESC) == 88 && offsetof(FUNCDESC, elemdescFunc) == 48);
static_assert(sizeof(TYPEATTR) == 96 && offsetof(TYPEATTR, typekind) == 44);
static_assert(sizeof(VARDESC) == 64 && sizeof(TLIBATTR) == 32);

// The test interfaces of the dispatch engine: a base and a derived dual interface that use every
// parameter type a member table accepts, a second dual interface for the same object, their
// tables and the test type library.
#pragma once

#include "platform/automation/dispatch_impl.h"
#include "platform/automation/type_library.h"

enum DispatchTestShape : LONG { dtsNone = 0, dtsCircle = 1, dtsSquare = 2 };
// An enumeration the test library does not declare: it shows as VT_I4.
enum DispatchTestMode : LONG { dtmPlain = 0, dtmFancy = 7 };

struct IDispatchTestOther;

struct IDispatchTestBase : IDispatch {
    static constexpr IID iid = com::make_guid("{D15A7E51-0001-4000-8000-00000000D15A}");
    using base = IDispatch;

    virtual HRESULT SetPosition(LONG left, LONG top, LONG width, LONG height) noexcept = 0;
    virtual HRESULT GetPosition(LONG* left, LONG* top, LONG* width, LONG* height) noexcept = 0;
    virtual HRESULT Delete() noexcept = 0;
    virtual HRESULT get_Inclination(SHORT* value) noexcept = 0;
    virtual HRESULT put_Inclination(SHORT value) noexcept = 0;
    virtual HRESULT get_AllowInclination(VARIANT_BOOL* value) noexcept = 0;
    virtual HRESULT get_Shape(DispatchTestShape* value) noexcept = 0;
    virtual HRESULT put_Shape(DispatchTestShape value) noexcept = 0;
    virtual HRESULT get_Description(BSTR* value) noexcept = 0;
    virtual HRESULT put_Description(BSTR value) noexcept = 0;
    virtual HRESULT get_PageID(LONG* value) noexcept = 0;
    virtual HRESULT CopyTo(IDispatchTestBase* destination) noexcept = 0;
};

struct IDispatchTestAll : IDispatchTestBase {
    static constexpr IID iid = com::make_guid("{D15A7E51-0002-4000-8000-00000000D15A}");
    using base = IDispatchTestBase;

    virtual HRESULT get_Colour(OLE_COLOR* value) noexcept = 0;
    virtual HRESULT put_Colour(OLE_COLOR value) noexcept = 0;
    virtual HRESULT get_Opacity(float* value) noexcept = 0;
    virtual HRESULT put_Opacity(float value) noexcept = 0;
    virtual HRESULT get_Scale(double* value) noexcept = 0;
    virtual HRESULT put_Scale(double value) noexcept = 0;
    virtual HRESULT get_Visible(VARIANT_BOOL* value) noexcept = 0;
    virtual HRESULT put_Visible(VARIANT_BOOL value) noexcept = 0;
    virtual HRESULT get_Tag(VARIANT* value) noexcept = 0;
    virtual HRESULT put_Tag(VARIANT value) noexcept = 0;
    virtual HRESULT get_Owner(IDispatch** value) noexcept = 0;
    virtual HRESULT putref_Owner(IDispatch* value) noexcept = 0;
    virtual HRESULT SetParent(IUnknown* parent) noexcept = 0;
    virtual HRESULT Blend(OLE_COLOR colour, double amount, OLE_COLOR* result) noexcept = 0;
    virtual HRESULT Fail(LONG code) noexcept = 0;
    virtual HRESULT Swap(LONG* number, BSTR* text) noexcept = 0;
    virtual HRESULT Describe(BSTR prefix, LONG count, VARIANT_BOOL upper, BSTR* text) noexcept = 0;
    virtual HRESULT Join(VARIANT first, const VARIANT* second, VARIANT* joined) noexcept = 0;
    virtual HRESULT get_Item(LONG index, VARIANT* value) noexcept = 0;
    virtual HRESULT put_Item(LONG index, VARIANT value) noexcept = 0;
    virtual HRESULT get__NewEnum(IUnknown** items) noexcept = 0;
    virtual HRESULT get_Created(DATE* value) noexcept = 0;
    virtual HRESULT put_Created(DATE value) noexcept = 0;
    virtual HRESULT get_Amount(CY* value) noexcept = 0;
    virtual HRESULT put_Amount(CY value) noexcept = 0;
    virtual HRESULT Link(IDispatchTestBase* other, VARIANT_BOOL* linked) noexcept = 0;
    virtual HRESULT Sum(BYTE b, USHORT us, ULONG ul, SHORT s, float f, LONGLONG ll, double d,
                        LONG l, DispatchTestMode mode, double* sum) noexcept = 0;
    virtual HRESULT get_Secret(LONG* value) noexcept = 0;
    virtual HRESULT Peer(IDispatchTestOther** other) noexcept = 0;
};

// A second dual interface of the same object, outside the test library.
struct IDispatchTestOther : IDispatch {
    static constexpr IID iid = com::make_guid("{D15A7E51-0003-4000-8000-00000000D15A}");
    using base = IDispatch;

    virtual HRESULT get_Name(BSTR* value) noexcept = 0;
    virtual HRESULT Ping(LONG value, LONG* echoed) noexcept = 0;
};

constexpr GUID LIBID_DispatchTest = com::make_guid("{D15A7E51-00FF-4000-8000-00000000D15A}");
constexpr GUID GUID_DispatchTestShape = com::make_guid("{D15A7E51-0010-4000-8000-00000000D15A}");
constexpr CLSID CLSID_DispatchTest = com::make_guid("{D15A7E51-0100-4000-8000-00000000D15A}");

struct DispatchTestLib {
    static void declare(com::automation::type_library_builder& lib);
};

template <>
struct com::automation::interface_traits<IDispatchTestBase> {
    using library = DispatchTestLib;
    static constexpr const char16_t* name = u"IDispatchTestBase";
    static constexpr const char16_t* doc = u"An element with a position";
    using I = IDispatchTestBase;
    static constexpr auto members = member_table(
        method(u"SetPosition", 1, &I::SetPosition, {u"Left", u"Top", u"Width", u"Height"},
               helpstring(u"Moves and sizes the element")),
        method(u"GetPosition", 2, &I::GetPosition, {u"Left", u"Top", u"Width", u"Height"}),
        method(u"Delete", 3, &I::Delete),
        propget(u"Inclination", 4, &I::get_Inclination),
        propput(u"Inclination", 4, &I::put_Inclination, {u"Value"}),
        propget(u"AllowInclination", 5, &I::get_AllowInclination, as_bool<>),
        propget(u"Shape", 6, &I::get_Shape),
        propput(u"Shape", 6, &I::put_Shape),
        propget(u"Description", 7, &I::get_Description),
        propput(u"Description", 7, &I::put_Description),
        propget(u"PageID", 8, &I::get_PageID),
        method(u"CopyTo", 9, &I::CopyTo, {u"Destination"}));
};

template <>
struct com::automation::interface_traits<IDispatchTestAll> {
    using library = DispatchTestLib;
    static constexpr const char16_t* name = u"IDispatchTestAll";
    using I = IDispatchTestAll;
    static constexpr auto members = member_table(
        propget(u"Colour", 0x15, &I::get_Colour, as_color<>),
        propput(u"Colour", 0x15, &I::put_Colour, as_color<>),
        propget(u"Opacity", 0x16, &I::get_Opacity),
        propput(u"Opacity", 0x16, &I::put_Opacity),
        propget(u"Scale", 0x17, &I::get_Scale),
        propput(u"Scale", 0x17, &I::put_Scale),
        propget(u"Visible", 0x18, &I::get_Visible, as_bool<>),
        propput(u"Visible", 0x18, &I::put_Visible, as_bool<>),
        propget(u"Tag", 0x19, &I::get_Tag),
        propput(u"Tag", 0x19, &I::put_Tag),
        propget(u"Owner", 0x1A, &I::get_Owner),
        propputref(u"Owner", 0x1A, &I::putref_Owner),
        method(u"SetParent", 0x1B, &I::SetParent, {u"Parent"}),
        method(u"Blend", 0x1C, &I::Blend, {u"Colour", u"Amount"}, as_color<0>, as_color<2>,
               opt<1>(0.5), retval),
        method(u"Fail", 0x1D, &I::Fail, {u"Code"}),
        method(u"Swap", 0x1E, &I::Swap, {u"Number", u"Text"}),
        method(u"Describe", 0x1F, &I::Describe, {u"Prefix", u"Count", u"Upper"}, opt<1>(3),
               as_bool<2>, opt<2>(false), retval),
        method(u"Join", 0x20, &I::Join, {u"First", u"Second"}, opt<1>(), retval),
        propget(u"Item", DISPID_VALUE, &I::get_Item, {u"Index"}),
        propput(u"Item", DISPID_VALUE, &I::put_Item, {u"Index", u"Value"}),
        propget(u"_NewEnum", DISPID_NEWENUM, &I::get__NewEnum, restricted, hidden),
        propget(u"Created", 0x21, &I::get_Created, as_date<>),
        propput(u"Created", 0x21, &I::put_Created, as_date<>),
        propget(u"Amount", 0x22, &I::get_Amount),
        propput(u"Amount", 0x22, &I::put_Amount),
        method(u"Link", 0x23, &I::Link, {u"Other"}, as_bool<1>, retval),
        method(u"Sum", 0x24, &I::Sum,
               {u"B", u"US", u"UL", u"S", u"F", u"LL", u"D", u"L", u"Mode"}, opt<8>(dtmFancy),
               retval),
        propget(u"Secret", 0x25, &I::get_Secret, restricted),
        method(u"Peer", 0x26, &I::Peer, retval));
};

template <>
struct com::automation::interface_traits<IDispatchTestOther> {
    static constexpr const char16_t* name = u"IDispatchTestOther";
    using I = IDispatchTestOther;
    static constexpr auto members = member_table(
        propget(u"Name", 1, &I::get_Name),
        method(u"Ping", 2, &I::Ping, {u"Value"}, retval));
};

inline void DispatchTestLib::declare(com::automation::type_library_builder& lib)
{
    using namespace com::automation;
    lib.name(u"DispatchTestLib").libid(LIBID_DispatchTest).version(1, 2).doc(u"Dispatch tests");
    lib.add_interface<IDispatchTestBase>();
    lib.add_interface<IDispatchTestAll>();
    lib.add_enum<DispatchTestShape>(u"DispatchTestShape", GUID_DispatchTestShape,
                                    {{u"dtsNone", dtsNone},
                                     {u"dtsCircle", dtsCircle, u"Round"},
                                     {u"dtsSquare", dtsSquare}});
    lib.add_coclass(u"DispatchTest", CLSID_DispatchTest,
                    {implements<IDispatchTestAll>(IMPLTYPEFLAG_FDEFAULT),
                     implements<IDispatchTestOther>()},
                    u"The test object");
}

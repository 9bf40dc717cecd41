// The print-content engine's object interfaces (type library ZPRINTCONTENTLib): what the
// elements create in a page's lists and set up — rectangles, paths, shapes, line styles, fonts,
// clip frames, text objects, links, images, placed PDF and document pages — and the engine's own
// element and object interfaces. Each interface has its member table right after it.
//
// Members are in interface order; an element relies on that order only where a member is
// described by its position (the shape's property after the line style, the path's operation
// after the rounded rectangle, the text object's object-valued property after the clip frame,
// the image resource's setting after the bits per pixel).
#pragma once

#include "platform/automation/dispatch_impl.h"

#include "contentelements/libraries.h"
struct IZPageObjectList;
struct IZResourceList;
struct IZDocument;

// Any object the engine keeps in a list: it reports its kind and is told where it lives.
struct IZObject : IDispatch {
    static constexpr IID iid = com::make_guid("{61A9F878-B23A-4B49-B69C-03CC082F1FB1}");
    using base = IDispatch;
    virtual HRESULT GetObjectKind(LONG* kind) noexcept = 0;
    virtual HRESULT Attach(IDispatch* page_objects, IDispatch* resources,
                           IDispatch* document) noexcept = 0;
};

// An element: an object that keeps its own bounds and may paint a design-time picture.
// The device context and the drawing host travel as pointer-sized values.
struct IZElement : IDispatch {
    static constexpr IID iid = com::make_guid("{6C2BC145-547F-11D6-99C7-0004769619A7}");
    using base = IDispatch;
    virtual HRESULT GetObjectKind(LONG* kind) noexcept = 0;
    virtual HRESULT Attach(IDispatch* page_objects, IDispatch* resources,
                           IDispatch* document) noexcept = 0;
    virtual HRESULT GetBounds(LONG* left, LONG* top, LONG* right, LONG* bottom) noexcept = 0;
    virtual HRESULT Draw(LONGLONG dc, LONG param2, LONG param3, LONG param4, LONG param5,
                         LONG param6, LONGLONG host) noexcept = 0;
};

// A rectangle in page units, owned by the object that hands it out.
struct IZRect : IDispatch {
    static constexpr IID iid = com::make_guid("{37343E33-D187-4C51-95FE-958E0E35F3E8}");
    using base = IDispatch;
    virtual HRESULT get_Left(LONG* value) noexcept = 0;
    virtual HRESULT put_Left(LONG value) noexcept = 0;
    virtual HRESULT get_Top(LONG* value) noexcept = 0;
    virtual HRESULT put_Top(LONG value) noexcept = 0;
    virtual HRESULT get_Right(LONG* value) noexcept = 0;
    virtual HRESULT put_Right(LONG value) noexcept = 0;
    virtual HRESULT get_Bottom(LONG* value) noexcept = 0;
    virtual HRESULT put_Bottom(LONG value) noexcept = 0;
};

// Path operations NewFigure takes: 4 closes the current figure and starts the next one.
enum ZePathBreak : LONG { zePathBreakNone = 0, zePathBreakFigure = 4 };

// The outline of a shape: figures in page units, then an optional affine transform.
struct IZPath : IDispatch {
    static constexpr IID iid = com::make_guid("{8AD1E0B6-6FC6-4A13-86EC-AFB4070ABD20}");
    using base = IDispatch;
    virtual HRESULT Rectangle(LONG left, LONG top, LONG right, LONG bottom) noexcept = 0;
    virtual HRESULT Ellipse(LONG left, LONG top, LONG right, LONG bottom) noexcept = 0;
    virtual HRESULT RoundedRectangle(LONG left, LONG top, LONG right, LONG bottom,
                                     LONG corner_width, LONG corner_height) noexcept = 0;
    virtual HRESULT NewFigure(LONG kind, LONG flags) noexcept = 0;
    virtual HRESULT SetTransform(float m11, float m12, float m21, float m22, float dx,
                                 float dy) noexcept = 0;
    virtual HRESULT get_FigureCount(LONG* count) noexcept = 0;
};

struct IZLineStyle : IZObject {
    static constexpr IID iid = com::make_guid("{9AD3C6A0-A205-11D6-A3AE-000475770A44}");
    using base = IZObject;
    virtual HRESULT get_Width(LONG* value) noexcept = 0;
    virtual HRESULT put_Width(LONG value) noexcept = 0;
};

// Paint modes of a shape.
enum ZeShapePaintMode : LONG {
    zeShapePaintStroke = 0,
    zeShapePaintFill = 1,
    zeShapePaintFillStroke = 2
};
// How a shape's colour meets what lies below it: normal covers, multiply darkens only.
enum ZeShapeBlendMode : LONG { zeShapeBlendNormal = 0, zeShapeBlendMultiply = 1 };

struct IZShape : IZObject {
    static constexpr IID iid = com::make_guid("{4F10E0A5-A184-11D6-A3AD-000475770A44}");
    using base = IZObject;
    virtual HRESULT get_PaintMode(ZeShapePaintMode* value) noexcept = 0;
    virtual HRESULT put_PaintMode(ZeShapePaintMode value) noexcept = 0;
    virtual HRESULT get_Path(IZPath** path) noexcept = 0;
    virtual HRESULT get_StrokeColor(OLE_COLOR* value) noexcept = 0;
    virtual HRESULT put_StrokeColor(OLE_COLOR value) noexcept = 0;
    virtual HRESULT get_FillColor(OLE_COLOR* value) noexcept = 0;
    virtual HRESULT put_FillColor(OLE_COLOR value) noexcept = 0;
    virtual HRESULT get_LineStyle(IZLineStyle** value) noexcept = 0;
    virtual HRESULT putref_LineStyle(IZLineStyle* value) noexcept = 0;
    virtual HRESULT get_BlendMode(ZeShapeBlendMode* value) noexcept = 0;
    virtual HRESULT put_BlendMode(ZeShapeBlendMode value) noexcept = 0;
    virtual HRESULT get_Transparency(SHORT* value) noexcept = 0;
    virtual HRESULT put_Transparency(SHORT value) noexcept = 0;
};

// A font resource: size (the em) in page units; angle in radians, turning the baseline from the
// page's x axis towards its y axis as a path transform turns (page y grows downwards, so a
// negative angle rises to the right).
struct IZFont : IZObject {
    static constexpr IID iid = com::make_guid("{FF04E3BD-59C9-11D6-99F5-0004769619A7}");
    using base = IZObject;
    virtual HRESULT get_FaceName(BSTR* value) noexcept = 0;
    virtual HRESULT put_FaceName(BSTR value) noexcept = 0;
    virtual HRESULT get_Size(LONG* value) noexcept = 0;
    virtual HRESULT put_Size(LONG value) noexcept = 0;
    virtual HRESULT get_Bold(VARIANT_BOOL* value) noexcept = 0;
    virtual HRESULT put_Bold(VARIANT_BOOL value) noexcept = 0;
    virtual HRESULT get_Italic(VARIANT_BOOL* value) noexcept = 0;
    virtual HRESULT put_Italic(VARIANT_BOOL value) noexcept = 0;
    virtual HRESULT get_Angle(double* value) noexcept = 0;
    virtual HRESULT put_Angle(double value) noexcept = 0;
};

// Clip frame modes: 0 none, 1 clip to the rectangle.
struct IZClipFrame : IZObject {
    static constexpr IID iid = com::make_guid("{4F10E0A0-A184-11D6-A3AD-000475770A44}");
    using base = IZObject;
    virtual HRESULT get_Mode(LONG* value) noexcept = 0;
    virtual HRESULT put_Mode(LONG value) noexcept = 0;
    virtual HRESULT get_Rect(IZRect** rect) noexcept = 0;
};

// A line of text at a baseline point. Background is a shape painted behind the text; a
// highlight clears it so that its own colour shows.
struct IZTextObject : IZObject {
    static constexpr IID iid = com::make_guid("{FF04E3B3-59C9-11D6-99F5-0004769619A7}");
    using base = IZObject;
    virtual HRESULT get_Text(BSTR* value) noexcept = 0;
    virtual HRESULT put_Text(BSTR value) noexcept = 0;
    virtual HRESULT get_X(LONG* value) noexcept = 0;
    virtual HRESULT put_X(LONG value) noexcept = 0;
    virtual HRESULT get_Y(LONG* value) noexcept = 0;
    virtual HRESULT put_Y(LONG value) noexcept = 0;
    virtual HRESULT get_Font(IZFont** value) noexcept = 0;
    virtual HRESULT putref_Font(IZFont* value) noexcept = 0;
    virtual HRESULT get_Color(OLE_COLOR* value) noexcept = 0;
    virtual HRESULT put_Color(OLE_COLOR value) noexcept = 0;
    virtual HRESULT get_ClipFrame(IZClipFrame** value) noexcept = 0;
    virtual HRESULT putref_ClipFrame(IZClipFrame* value) noexcept = 0;
    virtual HRESULT get_Background(IDispatch** value) noexcept = 0;
    virtual HRESULT putref_Background(IDispatch* value) noexcept = 0;
    virtual HRESULT get_Transparency(SHORT* value) noexcept = 0;
    virtual HRESULT put_Transparency(SHORT value) noexcept = 0;
};

// A hyperlink area of a page.
struct IZLink : IZObject {
    static constexpr IID iid = com::make_guid("{A070791F-AA11-427A-9894-28F4E5D34AE9}");
    using base = IZObject;
    virtual HRESULT get_URL(BSTR* value) noexcept = 0;
    virtual HRESULT put_URL(BSTR value) noexcept = 0;
    virtual HRESULT get_Rect(IZRect** rect) noexcept = 0;
};

// Image data: loaded from a file, or given as pixels (1 bit per pixel with a two-colour
// palette, rows padded to whole bytes, most significant bit leftmost). Interpolate 0 keeps a
// scaled image sharp.
struct IZImageResource : IZObject {
    static constexpr IID iid = com::make_guid("{520F9C8C-4FD1-4E99-9106-57A2745FFE3B}");
    using base = IZObject;
    virtual HRESULT Load(BSTR file, LONG page) noexcept = 0;
    virtual HRESULT get_Width(LONG* pixels) noexcept = 0;
    virtual HRESULT get_Height(LONG* pixels) noexcept = 0;
    virtual HRESULT get_BitsPerPixel(LONG* value) noexcept = 0;
    virtual HRESULT put_BitsPerPixel(LONG value) noexcept = 0;
    virtual HRESULT get_Interpolate(LONG* value) noexcept = 0;
    virtual HRESULT put_Interpolate(LONG value) noexcept = 0;
    virtual HRESULT put_Width(LONG pixels) noexcept = 0;
    virtual HRESULT put_Height(LONG pixels) noexcept = 0;
    virtual HRESULT put_Pixels(VARIANT bytes) noexcept = 0;
    virtual HRESULT put_Palette(VARIANT colours) noexcept = 0;
    virtual HRESULT get_FileName(BSTR* value) noexcept = 0;
};

struct IZPlacedImage : IZObject {
    static constexpr IID iid = com::make_guid("{252D8AE0-A6DA-11D6-A3C9-000475770A44}");
    using base = IZObject;
    virtual HRESULT get_Image(IZImageResource** value) noexcept = 0;
    virtual HRESULT putref_Image(IZImageResource* value) noexcept = 0;
    virtual HRESULT get_Rect(IZRect** rect) noexcept = 0;
};

// A PDF file opened for placing its pages; page sizes in points.
struct IZPdfDocument : IZObject {
    static constexpr IID iid = com::make_guid("{956B0C6B-649F-4FE1-8579-4FDF0FDB4629}");
    using base = IZObject;
    virtual HRESULT Open(BSTR file, LONG flags, BSTR password) noexcept = 0;
    virtual HRESULT get_PageCount(LONG* count) noexcept = 0;
    virtual HRESULT GetPageSize(LONG page, double* width, double* height) noexcept = 0;
    virtual HRESULT get_FileName(BSTR* value) noexcept = 0;
};
constexpr CLSID CLSID_ZPdfDocument = com::make_guid("{A36D0848-40A1-47B5-8FA6-66568CA9BA9E}");

// A page of a PDF document placed on a page, as an element of that page.
struct IZPlacedPdfPage : IDispatch {
    static constexpr IID iid = com::make_guid("{3C5FBE1E-8209-4059-B613-1898172A5064}");
    using base = IDispatch;
    virtual HRESULT get_Document(IZPdfDocument** value) noexcept = 0;
    virtual HRESULT putref_Document(IZPdfDocument* value) noexcept = 0;
    virtual HRESULT get_PageNumber(LONG* value) noexcept = 0;
    virtual HRESULT put_PageNumber(LONG value) noexcept = 0;
    virtual HRESULT get_KeepAspectRatio(VARIANT_BOOL* value) noexcept = 0;
    virtual HRESULT put_KeepAspectRatio(VARIANT_BOOL value) noexcept = 0;
    virtual HRESULT SetPosition(LONG left, LONG top, LONG width, LONG height) noexcept = 0;
    virtual HRESULT GetPosition(LONG* left, LONG* top, LONG* width, LONG* height) noexcept = 0;
};
constexpr CLSID CLSID_ZPlacedPdfPage = com::make_guid("{826D9A60-3D48-4E49-91F3-876E3DDC70B8}");

struct IZPageList;

// A document of the engine's own format loaded as a resource, for placing its pages.
struct IZStoredDocument : IZObject {
    static constexpr IID iid = com::make_guid("{BA8A1F76-8C78-4099-93E3-CC9936A506A0}");
    using base = IZObject;
    virtual HRESULT Load(BSTR file, LONG flags) noexcept = 0;
    virtual HRESULT get_Pages(IZPageList** pages) noexcept = 0;
    virtual HRESULT get_FileName(BSTR* value) noexcept = 0;
};

struct IZPlacedDocumentPage : IZObject {
    static constexpr IID iid = com::make_guid("{871ADE75-D499-43F3-B5F0-07FB68757E37}");
    using base = IZObject;
    virtual HRESULT get_Document(IZStoredDocument** value) noexcept = 0;
    virtual HRESULT putref_Document(IZStoredDocument* value) noexcept = 0;
    virtual HRESULT get_PageNumber(LONG* value) noexcept = 0;
    virtual HRESULT put_PageNumber(LONG value) noexcept = 0;
    virtual HRESULT get_Rect(IZRect** rect) noexcept = 0;
};

// What a form field's design-time drawing tells the engine before it paints.
struct IZDrawingHost : IDispatch {
    static constexpr IID iid = com::make_guid("{500137BB-C441-443B-9A46-2E6A6AE782EF}");
    using base = IDispatch;
    virtual HRESULT SetBackground(OLE_COLOR colour, LONG flags) noexcept = 0;
};

// ---- member tables -------------------------------------------------------------------------

namespace com::automation {

template <>
struct interface_traits<IZObject> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZObject";
    using I = IZObject;
    static constexpr auto members = member_table(
        method(u"GetObjectKind", 1, &I::GetObjectKind, {u"Kind"}),
        method(u"Attach", 2, &I::Attach, {u"PageObjects", u"Resources", u"Document"}));
};

template <>
struct interface_traits<IZElement> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZElement";
    using I = IZElement;
    static constexpr auto members = member_table(
        method(u"GetObjectKind", 1, &I::GetObjectKind, {u"Kind"}),
        method(u"Attach", 2, &I::Attach, {u"PageObjects", u"Resources", u"Document"}),
        method(u"GetBounds", 3, &I::GetBounds, {u"Left", u"Top", u"Right", u"Bottom"}),
        method(u"Draw", 4, &I::Draw,
               {u"DC", u"Param2", u"Param3", u"Param4", u"Param5", u"Param6", u"Host"}));
};

template <>
struct interface_traits<IZRect> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZRect";
    using I = IZRect;
    static constexpr auto members = member_table(
        property(u"Left", 1, &I::get_Left, &I::put_Left),
        property(u"Top", 2, &I::get_Top, &I::put_Top),
        property(u"Right", 3, &I::get_Right, &I::put_Right),
        property(u"Bottom", 4, &I::get_Bottom, &I::put_Bottom));
};

template <>
struct interface_traits<IZPath> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZPath";
    using I = IZPath;
    static constexpr auto members = member_table(
        method(u"Rectangle", 1, &I::Rectangle, {u"Left", u"Top", u"Right", u"Bottom"}),
        method(u"Ellipse", 2, &I::Ellipse, {u"Left", u"Top", u"Right", u"Bottom"}),
        method(u"RoundedRectangle", 3, &I::RoundedRectangle,
               {u"Left", u"Top", u"Right", u"Bottom", u"CornerWidth", u"CornerHeight"}),
        method(u"NewFigure", 4, &I::NewFigure, {u"Kind", u"Flags"}),
        method(u"SetTransform", 5, &I::SetTransform,
               {u"M11", u"M12", u"M21", u"M22", u"DX", u"DY"}),
        read_only_property(u"FigureCount", 6, &I::get_FigureCount));
};

template <>
struct interface_traits<IZLineStyle> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZLineStyle";
    using I = IZLineStyle;
    static constexpr auto members = member_table(
        property(u"Width", 0x10, &I::get_Width, &I::put_Width));
};

template <>
struct interface_traits<IZShape> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZShape";
    using I = IZShape;
    static constexpr auto members = member_table(
        property(u"PaintMode", 0x10, &I::get_PaintMode, &I::put_PaintMode),
        read_only_property(u"Path", 0x11, &I::get_Path),
        property(u"StrokeColor", 0x12, &I::get_StrokeColor, &I::put_StrokeColor, as_color<>),
        property(u"FillColor", 0x13, &I::get_FillColor, &I::put_FillColor, as_color<>),
        ref_property(u"LineStyle", 0x14, &I::get_LineStyle, &I::putref_LineStyle),
        property(u"BlendMode", 0x15, &I::get_BlendMode, &I::put_BlendMode),
        property(u"Transparency", 0x16, &I::get_Transparency, &I::put_Transparency));
};

template <>
struct interface_traits<IZFont> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZFont";
    using I = IZFont;
    static constexpr auto members = member_table(
        property(u"FaceName", 0x10, &I::get_FaceName, &I::put_FaceName),
        property(u"Size", 0x11, &I::get_Size, &I::put_Size),
        property(u"Bold", 0x12, &I::get_Bold, &I::put_Bold, as_bool<>),
        property(u"Italic", 0x13, &I::get_Italic, &I::put_Italic, as_bool<>),
        property(u"Angle", 0x14, &I::get_Angle, &I::put_Angle));
};

template <>
struct interface_traits<IZClipFrame> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZClipFrame";
    using I = IZClipFrame;
    static constexpr auto members = member_table(
        property(u"Mode", 0x10, &I::get_Mode, &I::put_Mode),
        read_only_property(u"Rect", 0x11, &I::get_Rect));
};

template <>
struct interface_traits<IZTextObject> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZTextObject";
    using I = IZTextObject;
    static constexpr auto members = member_table(
        property(u"Text", 0x10, &I::get_Text, &I::put_Text),
        property(u"X", 0x11, &I::get_X, &I::put_X),
        property(u"Y", 0x12, &I::get_Y, &I::put_Y),
        ref_property(u"Font", 0x13, &I::get_Font, &I::putref_Font),
        property(u"Color", 0x14, &I::get_Color, &I::put_Color, as_color<>),
        ref_property(u"ClipFrame", 0x15, &I::get_ClipFrame, &I::putref_ClipFrame),
        ref_property(u"Background", 0x16, &I::get_Background, &I::putref_Background),
        property(u"Transparency", 0x17, &I::get_Transparency, &I::put_Transparency));
};

template <>
struct interface_traits<IZLink> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZLink";
    using I = IZLink;
    static constexpr auto members = member_table(
        property(u"URL", 0x10, &I::get_URL, &I::put_URL),
        read_only_property(u"Rect", 0x11, &I::get_Rect));
};

template <>
struct interface_traits<IZImageResource> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZImageResource";
    using I = IZImageResource;
    static constexpr auto members = member_table(
        method(u"Load", 0x10, &I::Load, {u"File", u"Page"}),
        // Width and Height are set further down: the type information lists their puts there.
        propget(u"Width", 0x11, &I::get_Width),
        propget(u"Height", 0x12, &I::get_Height),
        property(u"BitsPerPixel", 0x13, &I::get_BitsPerPixel, &I::put_BitsPerPixel),
        property(u"Interpolate", 0x14, &I::get_Interpolate, &I::put_Interpolate),
        propput(u"Width", 0x11, &I::put_Width),
        propput(u"Height", 0x12, &I::put_Height),
        propput(u"Pixels", 0x15, &I::put_Pixels),
        propput(u"Palette", 0x16, &I::put_Palette),
        read_only_property(u"FileName", 0x17, &I::get_FileName));
};

template <>
struct interface_traits<IZPlacedImage> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZPlacedImage";
    using I = IZPlacedImage;
    static constexpr auto members = member_table(
        ref_property(u"Image", 0x10, &I::get_Image, &I::putref_Image),
        read_only_property(u"Rect", 0x11, &I::get_Rect));
};

template <>
struct interface_traits<IZPdfDocument> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZPdfDocument";
    using I = IZPdfDocument;
    static constexpr auto members = member_table(
        method(u"Open", 0x10, &I::Open, {u"File", u"Flags", u"Password"}),
        read_only_property(u"PageCount", 0x11, &I::get_PageCount),
        method(u"GetPageSize", 0x12, &I::GetPageSize, {u"Page", u"Width", u"Height"}),
        read_only_property(u"FileName", 0x13, &I::get_FileName));
};

template <>
struct interface_traits<IZPlacedPdfPage> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZPlacedPdfPage";
    using I = IZPlacedPdfPage;
    static constexpr auto members = member_table(
        ref_property(u"Document", 1, &I::get_Document, &I::putref_Document),
        property(u"PageNumber", 2, &I::get_PageNumber, &I::put_PageNumber),
        property(u"KeepAspectRatio", 3, &I::get_KeepAspectRatio, &I::put_KeepAspectRatio,
                 as_bool<>),
        method(u"SetPosition", 4, &I::SetPosition, {u"Left", u"Top", u"Width", u"Height"}),
        method(u"GetPosition", 5, &I::GetPosition, {u"Left", u"Top", u"Width", u"Height"}));
};

template <>
struct interface_traits<IZPlacedDocumentPage> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZPlacedDocumentPage";
    using I = IZPlacedDocumentPage;
    static constexpr auto members = member_table(
        ref_property(u"Document", 0x10, &I::get_Document, &I::putref_Document),
        property(u"PageNumber", 0x11, &I::get_PageNumber, &I::put_PageNumber),
        read_only_property(u"Rect", 0x12, &I::get_Rect));
};

template <>
struct interface_traits<IZDrawingHost> {
    using library = ZPrintContentLib;
    static constexpr const char16_t* name = u"IZDrawingHost";
    using I = IZDrawingHost;
    static constexpr auto members = member_table(
        method(u"SetBackground", 1, &I::SetBackground, {u"Colour", u"Flags"}, as_color<0>));
};

}  // namespace com::automation

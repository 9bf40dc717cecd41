// IZCntElementImage: a picture on a page — a raster image file, the first page of a PDF file
// or of a stored document, or a QR code of a text — fitted into the element's bounds; and the
// error correction levels of its QR codes.
#pragma once

#include "contentelements/cnt_element.h"

// The levels libqrencode takes, with the same values.
#define ZE_QRCODE_ERROR_CORRECTION_LEVELS(X) \
    X(zeQRCodeErrorCorrectionLevelL, 0)      \
    X(zeQRCodeErrorCorrectionLevelM, 1)      \
    X(zeQRCodeErrorCorrectionLevelQ, 2)      \
    X(zeQRCodeErrorCorrectionLevelH, 3)
ZCNT_AUTOMATION_ENUM(ZeQRCodeErrorCorrectionLevel, "{5C7C1E0A-3E0B-4D8C-9E43-7B4E51D9A006}",
                     ZE_QRCODE_ERROR_CORRECTION_LEVELS)
#undef ZE_QRCODE_ERROR_CORRECTION_LEVELS

struct IZCntElementImage : IZCntElementBase {
    // This library's own interface id for the image element.
    static constexpr IID iid = com::make_guid("{C4D2A7E1-5B3F-4E8A-9D61-2F7B0C8E4A53}");
    using base = IZCntElementBase;
    virtual HRESULT get_ImageFile(BSTR* file) noexcept = 0;
    virtual HRESULT put_ImageFile(BSTR file) noexcept = 0;
    virtual HRESULT get_MaintainAspectRatio(VARIANT_BOOL* keep) noexcept = 0;
    virtual HRESULT put_MaintainAspectRatio(VARIANT_BOOL keep) noexcept = 0;
    virtual HRESULT get_BorderColor(OLE_COLOR* colour) noexcept = 0;
    virtual HRESULT put_BorderColor(OLE_COLOR colour) noexcept = 0;
    virtual HRESULT get_Shadow(VARIANT_BOOL* shadow) noexcept = 0;
    virtual HRESULT put_Shadow(VARIANT_BOOL shadow) noexcept = 0;
    virtual HRESULT SetImageData(BSTR file, VARIANT_BOOL keep, OLE_COLOR border_colour,
                                 VARIANT_BOOL shadow) noexcept = 0;
    virtual HRESULT get_Transparency(SHORT* percent) noexcept = 0;
    virtual HRESULT put_Transparency(SHORT percent) noexcept = 0;
    virtual HRESULT put_QRCodeMargin(SHORT modules) noexcept = 0;
    virtual HRESULT put_QRCodeErrorCorrectionLevel(ZeQRCodeErrorCorrectionLevel level) noexcept = 0;
};

template <>
struct com::automation::interface_traits<IZCntElementImage> {
    using library = ContentElementsLib;
    static constexpr const char16_t* name = u"IZCntElementImage";
    static constexpr const char16_t* doc = u"An image or QR code";
    using I = IZCntElementImage;
    static constexpr auto members = member_table(
        property(u"ImageFile", 0x15, &I::get_ImageFile, &I::put_ImageFile),
        property(u"MaintainAspectRatio", 0x16, &I::get_MaintainAspectRatio,
                 &I::put_MaintainAspectRatio, as_bool<>),
        property(u"BorderColor", 0x17, &I::get_BorderColor, &I::put_BorderColor, as_color<>),
        property(u"Shadow", 0x18, &I::get_Shadow, &I::put_Shadow, as_bool<>),
        method(u"SetImageData", 0x19, &I::SetImageData,
               {u"ImageFile", u"MaintainAspectRatio", u"BorderColor", u"Shadow"}, as_bool<1>,
               as_color<2>, as_bool<3>),
        property(u"Transparency", 0x1A, &I::get_Transparency, &I::put_Transparency),
        propput(u"QRCodeMargin", 0x1B, &I::put_QRCodeMargin),
        propput(u"QRCodeErrorCorrectionLevel", 0x1C, &I::put_QRCodeErrorCorrectionLevel));
};

// The declarations of the two type libraries: every interface with a member table, the
// enumerations and the coclasses. Interfaces join here as their headers are written.
#include "contentelements/cnt_container.h"
#include "contentelements/cnt_formfield.h"
#include "contentelements/cnt_image.h"
#include "contentelements/cnt_link.h"
#include "contentelements/cnt_note.h"
#include "contentelements/cnt_pagebreak.h"
#include "contentelements/cnt_stamp.h"
#include "contentelements/cnt_textmark.h"
#include "contentelements/libraries.h"
#include "contentelements/zprint_page.h"

using namespace com::automation;

namespace {

constexpr GUID GUID_ZeCntElementType = com::make_guid("{5C7C1E0A-3E0B-4D8C-9E43-7B4E51D9A001}");
constexpr GUID GUID_ZeCntHorizontalAlignmentType =
    com::make_guid("{5C7C1E0A-3E0B-4D8C-9E43-7B4E51D9A002}");
constexpr GUID GUID_ZeCntVerticalAlignmentType =
    com::make_guid("{5C7C1E0A-3E0B-4D8C-9E43-7B4E51D9A003}");
constexpr GUID GUID_ZeCntNoteStyle = com::make_guid("{5C7C1E0A-3E0B-4D8C-9E43-7B4E51D9A004}");
constexpr GUID GUID_ZeCntStampStyle = com::make_guid("{5C7C1E0A-3E0B-4D8C-9E43-7B4E51D9A005}");
constexpr GUID GUID_ZeQRCodeErrorCorrectionLevel =
    com::make_guid("{5C7C1E0A-3E0B-4D8C-9E43-7B4E51D9A006}");
constexpr GUID GUID_ZeCntMarkTextStyle = com::make_guid("{5C7C1E0A-3E0B-4D8C-9E43-7B4E51D9A007}");

}  // namespace

void ContentElementsLib::declare(type_library_builder& lib)
{
    lib.name(u"ContentElementsLib").libid(LIBID_ContentElementsLib).version(1, 0)
        .doc(u"ContentElements 1.0 Type Library");
    lib.add_interface<IZCntElementBase>()
        .add_interface<IZCntElementLink>()
        .add_interface<IZCntElementNote>()
        .add_interface<IZCntElementStamp>()
        .add_interface<IZCntElementPageBreak>()
        .add_interface<IZCntElementImage>()
        .add_interface<IZCntElementTextMark>()
        .add_interface<IZCntElementFormField>()
        .add_interface<IZCntElementInfo>()
        .add_interface<IZCntElementContainer>();
    lib.add_enum<ZeCntElementType>(
        u"ZeCntElementType", GUID_ZeCntElementType,
        {{u"zeCntElementTypeUnknown", zeCntElementTypeUnknown},
         {u"zeCntElementTypeImage", zeCntElementTypeImage},
         {u"zeCntElementTypeNote", zeCntElementTypeNote},
         {u"zeCntElementTypeStamp", zeCntElementTypeStamp},
         {u"zeCntElementTypeLink", zeCntElementTypeLink},
         {u"zeCntElementTypeTextMark", zeCntElementTypeTextMark},
         {u"zeCntElementTypeFieldText", zeCntElementTypeFieldText},
         {u"zeCntElementTypeFieldCombo", zeCntElementTypeFieldCombo},
         {u"zeCntElementTypeFieldList", zeCntElementTypeFieldList},
         {u"zeCntElementTypeFieldCheck", zeCntElementTypeFieldCheck},
         {u"zeCntElementTypeFieldRadio", zeCntElementTypeFieldRadio},
         {u"zeCntElementTypeFieldButton", zeCntElementTypeFieldButton},
         {u"zeCntElementTypeFieldDateTime", zeCntElementTypeFieldDateTime},
         {u"zeCntElementTypeFieldLabel", zeCntElementTypeFieldLabel},
         {u"zeCntElementTypeFieldGroup", zeCntElementTypeFieldGroup},
         {u"zeCntElementTypePageBreak", zeCntElementTypePageBreak}});
    lib.add_enum<ZeCntHorizontalAlignmentType>(
        u"ZeCntHorizontalAlignmentType", GUID_ZeCntHorizontalAlignmentType,
        {{u"zeCntHorizontalAlignmentLeft", zeCntHorizontalAlignmentLeft},
         {u"zeCntHorizontalAlignmentCenter", zeCntHorizontalAlignmentCenter},
         {u"zeCntHorizontalAlignmentRight", zeCntHorizontalAlignmentRight}});
    lib.add_enum<ZeCntVerticalAlignmentType>(
        u"ZeCntVerticalAlignmentType", GUID_ZeCntVerticalAlignmentType,
        {{u"zeCntVerticalAlignmentTop", zeCntVerticalAlignmentTop},
         {u"zeCntVerticalAlignmentCenter", zeCntVerticalAlignmentCenter},
         {u"zeCntVerticalAlignmentBottom", zeCntVerticalAlignmentBottom}});
    lib.add_enum<ZeCntNoteStyle>(
        u"ZeCntNoteStyle", GUID_ZeCntNoteStyle,
        {{u"zeCntNoteStyleRectangle", zeCntNoteStyleRectangle},
         {u"zeCntNoteStyleRoundedRectangle", zeCntNoteStyleRoundedRectangle},
         {u"zeCntNoteStyleOval", zeCntNoteStyleOval},
         {u"zeCntNoteStyleTextOnly", zeCntNoteStyleTextOnly},
         {u"zeCntNoteStyleAutoTextPageNumber", zeCntNoteStyleAutoTextPageNumber},
         {u"zeCntNoteStyleAutoTextDateTime", zeCntNoteStyleAutoTextDateTime},
         {u"zeCntNoteStyleAutoTextUserName", zeCntNoteStyleAutoTextUserName},
         {u"zeCntNoteStyleAutoTextCustom", zeCntNoteStyleAutoTextCustom}});
    lib.add_enum<ZeCntStampStyle>(u"ZeCntStampStyle", GUID_ZeCntStampStyle,
                                  {{u"zeCntStampStyleRectangle", zeCntStampStyleRectangle},
                                   {u"zeCntStampStyleOval", zeCntStampStyleOval}});
    lib.add_coclass(u"ZCntElementStamp", CLSID_ZCntElementStamp,
                    {implements<IZCntElementStamp>(IMPLTYPEFLAG_FDEFAULT)});
    lib.add_coclass(u"ZCntElementPageBreak", CLSID_ZCntElementPageBreak,
                    {implements<IZCntElementPageBreak>(IMPLTYPEFLAG_FDEFAULT)});
    lib.add_coclass(u"ZCntElementNote", CLSID_ZCntElementNote,
                    {implements<IZCntElementNote>(IMPLTYPEFLAG_FDEFAULT)});
    lib.add_enum<ZeQRCodeErrorCorrectionLevel>(
        u"ZeQRCodeErrorCorrectionLevel", GUID_ZeQRCodeErrorCorrectionLevel,
        {{u"zeQRCodeErrorCorrectionLevelL", zeQRCodeErrorCorrectionLevelL},
         {u"zeQRCodeErrorCorrectionLevelM", zeQRCodeErrorCorrectionLevelM},
         {u"zeQRCodeErrorCorrectionLevelQ", zeQRCodeErrorCorrectionLevelQ},
         {u"zeQRCodeErrorCorrectionLevelH", zeQRCodeErrorCorrectionLevelH}});
    lib.add_coclass(u"ZCntElementImage", CLSID_ZCntElementImage,
                    {implements<IZCntElementImage>(IMPLTYPEFLAG_FDEFAULT)});
    lib.add_enum<ZeCntMarkTextStyle>(u"ZeCntMarkTextStyle", GUID_ZeCntMarkTextStyle,
                                     {{u"zeCntMarkTextHighlight", zeCntMarkTextHighlight},
                                      {u"zeCntMarkTextUnderline", zeCntMarkTextUnderline},
                                      {u"zeCntMarkTextStrikethrough", zeCntMarkTextStrikethrough}});
    lib.add_coclass(u"ZCntElementTextMark", CLSID_ZCntElementTextMark,
                    {implements<IZCntElementTextMark>(IMPLTYPEFLAG_FDEFAULT)});
    lib.add_coclass(u"ZCntElementLink", CLSID_ZCntElementLink,
                    {implements<IZCntElementLink>(IMPLTYPEFLAG_FDEFAULT)});
    lib.add_coclass(u"ZCntElementContainer", CLSID_ZCntElementContainer,
                    {implements<IZCntElementContainer>(IMPLTYPEFLAG_FDEFAULT)});
}

void ZPrintContentLib::declare(type_library_builder& lib)
{
    lib.name(u"ZPRINTCONTENTLib").libid(LIBID_ZPrintContentLib).version(1, 0)
        .doc(u"Print-content engine 1.0 Type Library");
    lib.add_interface<IZObject>()
        .add_interface<IZElement>()
        .add_interface<IZRect>()
        .add_interface<IZPath>()
        .add_interface<IZLineStyle>()
        .add_interface<IZShape>()
        .add_interface<IZFont>()
        .add_interface<IZClipFrame>()
        .add_interface<IZTextObject>()
        .add_interface<IZLink>()
        .add_interface<IZImageResource>()
        .add_interface<IZPlacedImage>()
        .add_interface<IZPdfDocument>()
        .add_interface<IZPlacedPdfPage>()
        .add_interface<IZStoredDocument>()
        .add_interface<IZPlacedDocumentPage>()
        .add_interface<IZDrawingHost>()
        .add_interface<IZPageObjectList>()
        .add_interface<IZResourceList>()
        .add_interface<IZPageList>()
        .add_interface<IZPrintContentPage>()
        .add_interface<IZDocument>()
        .add_interface<IZDocumentView>()
        .add_interface<IZTextRange>();
}

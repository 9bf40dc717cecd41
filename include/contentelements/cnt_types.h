// ContentElementsLib's shared enumerations and the identifiers of the library: the type
// library, the coclasses' class ids and their ProgIDs.
#pragma once

#include "platform/automation/enum_table.h"
#include "platform/com/guid.h"
#include "platform/com/types.h"

#define ZE_CNT_ELEMENT_TYPES(X)          \
    X(zeCntElementTypeUnknown, 0)        \
    X(zeCntElementTypeImage, 1)          \
    X(zeCntElementTypeNote, 2)           \
    X(zeCntElementTypeStamp, 3)          \
    X(zeCntElementTypeLink, 4)           \
    X(zeCntElementTypeTextMark, 5)       \
    X(zeCntElementTypeFieldText, 6)      \
    X(zeCntElementTypeFieldCombo, 7)     \
    X(zeCntElementTypeFieldList, 8)      \
    X(zeCntElementTypeFieldCheck, 9)     \
    X(zeCntElementTypeFieldRadio, 10)    \
    X(zeCntElementTypeFieldButton, 11)   \
    X(zeCntElementTypeFieldDateTime, 12) \
    X(zeCntElementTypeFieldLabel, 13)    \
    X(zeCntElementTypeFieldGroup, 14)    \
    X(zeCntElementTypePageBreak, 15)
ZCNT_AUTOMATION_ENUM(ZeCntElementType, "{5C7C1E0A-3E0B-4D8C-9E43-7B4E51D9A001}",
                     ZE_CNT_ELEMENT_TYPES)
#undef ZE_CNT_ELEMENT_TYPES

#define ZE_CNT_HORIZONTAL_ALIGNMENTS(X)  \
    X(zeCntHorizontalAlignmentLeft, 0)   \
    X(zeCntHorizontalAlignmentCenter, 1) \
    X(zeCntHorizontalAlignmentRight, 2)
ZCNT_AUTOMATION_ENUM(ZeCntHorizontalAlignmentType, "{5C7C1E0A-3E0B-4D8C-9E43-7B4E51D9A002}",
                     ZE_CNT_HORIZONTAL_ALIGNMENTS)
#undef ZE_CNT_HORIZONTAL_ALIGNMENTS

#define ZE_CNT_VERTICAL_ALIGNMENTS(X)  \
    X(zeCntVerticalAlignmentTop, 0)    \
    X(zeCntVerticalAlignmentCenter, 1) \
    X(zeCntVerticalAlignmentBottom, 2)
ZCNT_AUTOMATION_ENUM(ZeCntVerticalAlignmentType, "{5C7C1E0A-3E0B-4D8C-9E43-7B4E51D9A003}",
                     ZE_CNT_VERTICAL_ALIGNMENTS)
#undef ZE_CNT_VERTICAL_ALIGNMENTS

// An element reports this host object kind plus its element type.
inline constexpr LONG kElementKindBase = 284;

constexpr GUID LIBID_ContentElementsLib = com::make_guid("{760270EA-0445-41C0-85B0-0F90D9C57E3A}");
constexpr GUID LIBID_ZPrintContentLib = com::make_guid("{FF04E3A3-59C9-11D6-99F5-0004769619A7}");
constexpr GUID APPID_ContentElements = com::make_guid("{0256A686-5F57-45F3-BA47-7C2383532B34}");

constexpr CLSID CLSID_ZCntElementContainer = com::make_guid("{0647DCD2-CCB8-4392-ADBC-947747B6E7AC}");
constexpr CLSID CLSID_ZCntElementFieldButton = com::make_guid("{20FF0333-6AA4-434C-81A2-B9A0B80D967E}");
constexpr CLSID CLSID_ZCntElementFieldCheck = com::make_guid("{865753D4-277B-4D6E-871B-FD861B631003}");
constexpr CLSID CLSID_ZCntElementFieldCombo = com::make_guid("{7BA4FD47-2638-41AD-81F1-6061785257F7}");
constexpr CLSID CLSID_ZCntElementFieldDateTime = com::make_guid("{072BD3C1-D60B-415D-9F66-21754010F87B}");
constexpr CLSID CLSID_ZCntElementFieldGroup = com::make_guid("{592528F5-1FE4-4228-AF68-DC1D023E98DB}");
constexpr CLSID CLSID_ZCntElementFieldList = com::make_guid("{A5DA0663-F3BB-4F21-A75D-99C4383D31E9}");
constexpr CLSID CLSID_ZCntElementFieldRadio = com::make_guid("{FAC12AEA-5BBB-4038-B958-81D9E831213A}");
constexpr CLSID CLSID_ZCntElementFieldText = com::make_guid("{097686E5-C0CE-4197-A3EE-4BCDFEDF6B51}");
constexpr CLSID CLSID_ZCntElementImage = com::make_guid("{7F8A6E9B-DB32-4F89-8EBA-8C70444839F2}");
constexpr CLSID CLSID_ZCntElementLink = com::make_guid("{87A8A60F-F2F3-43C8-BF4A-2B5EE3B9EF06}");
constexpr CLSID CLSID_ZCntElementNote = com::make_guid("{44E6DA12-20E3-4AA6-9562-292011E8EAAA}");
constexpr CLSID CLSID_ZCntElementPageBreak = com::make_guid("{0BFB6E82-B48C-48BA-AF44-1B56FBA44B3C}");
constexpr CLSID CLSID_ZCntElementStamp = com::make_guid("{55791426-77E1-491A-B407-4AAFF2CCCB37}");
constexpr CLSID CLSID_ZCntElementTextMark = com::make_guid("{65D55CA1-8EC2-4C0B-ADDA-B53084AE7706}");

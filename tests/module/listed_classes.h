// The fifteen creatable classes as the library's documentation lists them, in class-map order.
#pragma once

#include "platform/com/guid.h"

namespace module_test {

struct listed_class {
    const char* name;
    CLSID clsid;
    bool aggregatable;
};

constexpr listed_class kClasses[] = {
    {"ZCntElementContainer", com::make_guid("{0647DCD2-CCB8-4392-ADBC-947747B6E7AC}"), true},
    {"ZCntElementFieldButton", com::make_guid("{20FF0333-6AA4-434C-81A2-B9A0B80D967E}"), true},
    {"ZCntElementFieldCheck", com::make_guid("{865753D4-277B-4D6E-871B-FD861B631003}"), true},
    {"ZCntElementFieldCombo", com::make_guid("{7BA4FD47-2638-41AD-81F1-6061785257F7}"), true},
    {"ZCntElementFieldDateTime", com::make_guid("{072BD3C1-D60B-415D-9F66-21754010F87B}"), true},
    {"ZCntElementFieldGroup", com::make_guid("{592528F5-1FE4-4228-AF68-DC1D023E98DB}"), true},
    {"ZCntElementFieldList", com::make_guid("{A5DA0663-F3BB-4F21-A75D-99C4383D31E9}"), true},
    {"ZCntElementFieldRadio", com::make_guid("{FAC12AEA-5BBB-4038-B958-81D9E831213A}"), true},
    {"ZCntElementFieldText", com::make_guid("{097686E5-C0CE-4197-A3EE-4BCDFEDF6B51}"), true},
    {"ZCntElementImage", com::make_guid("{7F8A6E9B-DB32-4F89-8EBA-8C70444839F2}"), false},
    {"ZCntElementLink", com::make_guid("{87A8A60F-F2F3-43C8-BF4A-2B5EE3B9EF06}"), true},
    {"ZCntElementNote", com::make_guid("{44E6DA12-20E3-4AA6-9562-292011E8EAAA}"), true},
    {"ZCntElementPageBreak", com::make_guid("{0BFB6E82-B48C-48BA-AF44-1B56FBA44B3C}"), false},
    {"ZCntElementStamp", com::make_guid("{55791426-77E1-491A-B407-4AAFF2CCCB37}"), true},
    {"ZCntElementTextMark", com::make_guid("{65D55CA1-8EC2-4C0B-ADDA-B53084AE7706}"), true},
};
}  // namespace module_test

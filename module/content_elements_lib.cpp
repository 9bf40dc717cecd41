// The declaration of ContentElementsLib: every interface with a member table, the enumerations
// as their headers declare them, and a coclass for each class of the module's class map, so
// that the library describes exactly the classes that can be created.
#include "contentelements/cnt_container.h"
#include "contentelements/cnt_fields.h"
#include "contentelements/cnt_formfield.h"
#include "contentelements/cnt_image.h"
#include "contentelements/cnt_link.h"
#include "contentelements/cnt_note.h"
#include "contentelements/cnt_pagebreak.h"
#include "contentelements/cnt_stamp.h"
#include "contentelements/cnt_textmark.h"
#include "contentelements/libraries.h"
#include "module/class_map.h"

using namespace com::automation;

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
        .add_interface<IZCntFormFieldAppearance>()
        .add_interface<IZCntTextAttributes>()
        .add_interface<IZCntChoiceFieldOption>()
        .add_interface<IZCntChoiceFieldOptionCollection>()
        .add_interface<IZCntElementFieldText>()
        .add_interface<IZCntElementFieldCombo>()
        .add_interface<IZCntElementFieldList>()
        .add_interface<IZCntElementFieldCheck>()
        .add_interface<IZCntElementFieldRadio>()
        .add_interface<IZCntElementFieldButton>()
        .add_interface<IZCntElementFieldDateTime>()
        .add_interface<IZCntElementFieldGroup>()
        .add_interface<IZCntElementInfo>()
        .add_interface<IZCntElementContainer>();
    lib.add_enum<ZeCntElementType>()
        .add_enum<ZeCntHorizontalAlignmentType>()
        .add_enum<ZeCntVerticalAlignmentType>()
        .add_enum<ZeCntNoteStyle>()
        .add_enum<ZeCntStampStyle>()
        .add_enum<ZeQRCodeErrorCorrectionLevel>()
        .add_enum<ZeCntMarkTextStyle>()
        .add_enum<ZeCntFieldTextFormat>();
    for (const cnt::module::class_entry& c : cnt::module::class_map())
        lib.add_coclass(c.coclass, *c.clsid, {c.default_interface(IMPLTYPEFLAG_FDEFAULT)});
}

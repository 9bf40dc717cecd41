// The declaration of the engine's type library, ZPrintContentLib: every interface of the
// engine's objects with a member table. ContentElementsLib is declared in module/, beside the
// class map its coclasses come from.
#include "contentelements/cnt_types.h"
#include "contentelements/libraries.h"
#include "contentelements/zprint_page.h"

using namespace com::automation;

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

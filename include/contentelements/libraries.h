// The two type libraries as the automation layer builds them: ContentElementsLib (this
// library's interfaces, enumerations and coclasses) and ZPrintContentLib (the engine's).
// Each interface header names its library; ZPrintContentLib is declared in core/,
// ContentElementsLib in module/ beside the class map that its coclasses come from.
#pragma once

#include "platform/automation/type_library.h"

struct ContentElementsLib {
    static void declare(com::automation::type_library_builder& lib);
};

struct ZPrintContentLib {
    static void declare(com::automation::type_library_builder& lib);
};

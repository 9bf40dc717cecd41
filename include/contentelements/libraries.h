// The two type libraries as the automation layer builds them: ContentElementsLib (this
// library's interfaces, enumerations and coclasses) and ZPrintContentLib (the engine's).
// Each interface header names its library; the declarations are filled in core/.
#pragma once

#include "platform/automation/type_library.h"

struct ContentElementsLib {
    static void declare(com::automation::type_library_builder& lib);
};

struct ZPrintContentLib {
    static void declare(com::automation::type_library_builder& lib);
};

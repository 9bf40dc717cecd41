// Fuzz target: arbitrary bytes as a pagebreak element's record (see element_load.h).
#include "elements/pagebreak/pagebreak.h"
#include "fuzz/element_load.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzz::load_record(&cnt::create_page_break, data, size);
}

// Fuzz target: arbitrary bytes as a text mark element's record (see element_load.h).
#include "elements/textmark/textmark.h"
#include "fuzz/element_load.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzz::load_record(&cnt::create_textmark, data, size);
}

// Fuzz target: arbitrary bytes as a note element's record (see element_load.h).
#include "elements/note/note.h"
#include "fuzz/element_load.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzz::load_record(&cnt::create_note, data, size);
}

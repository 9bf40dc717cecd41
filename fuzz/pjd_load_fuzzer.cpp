// Fuzz target: arbitrary bytes as a .pjd file. Loading returns a result code; a document that
// loaded saves to bytes that load again and save to the same bytes, and everything is freed.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "host/engine.h"
#include "module/class_map.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool registered = SUCCEEDED(cnt::module::register_classes());
    if (!registered) std::abort();
    host::document loaded;
    if (FAILED(host::document::load_bytes(data, size, &loaded))) return 0;
    std::vector<BYTE> first, second;
    if (FAILED(loaded.save_bytes(&first))) return 0;  // an element may refuse to save again
    host::document again;
    if (FAILED(host::document::load_bytes(first.data(), first.size(), &again))) std::abort();
    if (FAILED(again.save_bytes(&second)) || first != second) std::abort();
    return 0;
}

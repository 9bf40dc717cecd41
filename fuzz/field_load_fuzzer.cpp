// Fuzz target: arbitrary bytes as a form field's record (see element_load.h). The first byte
// picks one of the eight field classes, the rest is the record, so that one target covers the
// shared record and every class part. Build with -DZCNT_FUZZ_REPLAY_MAIN to replay files
// without libFuzzer.
#include <array>

#include "fields/field_classes.h"
#include "fuzz/element_load.h"

namespace {

using cnt::fields::create_field;
constexpr std::array<fuzz::create_fn, 8> field_classes{
    &create_field<zeCntElementTypeFieldText>,     &create_field<zeCntElementTypeFieldCombo>,
    &create_field<zeCntElementTypeFieldList>,     &create_field<zeCntElementTypeFieldCheck>,
    &create_field<zeCntElementTypeFieldRadio>,    &create_field<zeCntElementTypeFieldButton>,
    &create_field<zeCntElementTypeFieldDateTime>, &create_field<zeCntElementTypeFieldGroup>,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    return fuzz::load_record(field_classes[data[0] % field_classes.size()], data + 1, size - 1);
}

#ifdef ZCNT_FUZZ_REPLAY_MAIN
#include "fuzz/replay_main.h"
#endif

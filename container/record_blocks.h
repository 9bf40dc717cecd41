// Element info records made many at a time, for a container's load: the records of one load
// share heap blocks instead of taking one allocation each. Each record still counts as one
// allocation for the fault switch and has its own reference count; a block holds the module
// lock while it lives, so the module stays loaded while any of its records does. A block is
// freed once the load has moved past it and its last record is released, so a record
// kept after its container is gone keeps its block alive.
#pragma once

#include <cstddef>

#include "container/element_info.h"

namespace cnt {

class record_blocks {
public:
    record_blocks() noexcept = default;
    ~record_blocks();
    record_blocks(const record_blocks&) = delete;
    record_blocks& operator=(const record_blocks&) = delete;

    // A new record owned by the caller, its description null until its Load: a record that
    // fails to load is dropped.
    HRESULT make_to_load(CZCntElementInfo** out) noexcept;

    struct block;

private:
    block* current_ = nullptr;
};

}  // namespace cnt

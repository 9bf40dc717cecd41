// The record helpers of the road tests are the record tests' own: records built byte by byte,
// saved and loaded through memory streams.
#pragma once

#include "tests/core/record_faults.h"

namespace road {
using namespace record_faults;
}  // namespace road

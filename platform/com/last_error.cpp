// One error slot per thread, so that concurrent callers never see each other's failures.
#include "platform/com/last_error.h"

namespace {
thread_local DWORD last_error = 0;
}  // namespace

void SetLastError(DWORD error) noexcept { last_error = error; }

DWORD GetLastError() noexcept { return last_error; }

// The calling thread's last Win32 error code, as SetLastError and GetLastError keep it.
#pragma once

#include "platform/com/types.h"

void SetLastError(DWORD error) noexcept;
DWORD GetLastError() noexcept;

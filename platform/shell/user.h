// The name of the user the process runs as: GetUserNameW and GetUserNameA.
//
// The name comes from the password database entry of the effective user id (else $USER or
// $LOGNAME), or from shell::set_user_name_override. `*size` is in characters with the NUL.
// Success: TRUE, the name copied, *size = its length + 1. A buffer too small or null: FALSE,
// ERROR_INSUFFICIENT_BUFFER, *size = the characters needed. A null `size`:
// ERROR_INVALID_PARAMETER. No name at all: ERROR_NOT_FOUND.
#pragma once

#include "platform/shell/overrides.h"
#include "platform/shell/shell_types.h"

BOOL GetUserNameW(LPWSTR buffer, LPDWORD size) noexcept;
BOOL GetUserNameA(LPSTR buffer, LPDWORD size) noexcept;

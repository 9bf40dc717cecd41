// Handles, limits and Win32 error codes shared by the shell services.
#pragma once

#include <cstdint>

#include "platform/com/last_error.h"
#include "platform/com/types.h"

using HANDLE = void*;
using LPDWORD = DWORD*;
using LPWSTR = OLECHAR*;
using LPCWSTR = const OLECHAR*;
using LANGID = WORD;
using LCTYPE = DWORD;

// A handle value no successful call returns: the all-ones pointer.
inline HANDLE const INVALID_HANDLE_VALUE =
    reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

constexpr DWORD MAX_PATH = 260;

constexpr DWORD ERROR_NO_MORE_FILES = 18;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
constexpr DWORD ERROR_DIRECTORY = 267;
constexpr DWORD ERROR_NOT_FOUND = 1168;
constexpr DWORD ERROR_NONE_MAPPED = 1332;

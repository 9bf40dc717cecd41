// Everything the shell services offer, for callers that want all of them.
#pragma once

#include "platform/shell/clock.h"
#include "platform/shell/file_info.h"
#include "platform/shell/find_file.h"
#include "platform/shell/folders.h"
#include "platform/shell/locale_info.h"
#include "platform/shell/overrides.h"
#include "platform/shell/path_map.h"
#include "platform/shell/path_parts.h"
#include "platform/shell/profile.h"
#include "platform/shell/user.h"

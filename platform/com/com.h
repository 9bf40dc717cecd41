// Everything of the COM layer in one include, for the library, the host and the tool.
#pragma once

#include "platform/com/bstr.h"
#include "platform/com/class_table.h"
#include "platform/com/com_ptr.h"
#include "platform/com/guid.h"
#include "platform/com/oaidl.h"
#include "platform/com/object.h"
#include "platform/com/objidl.h"
#include "platform/com/raii.h"
#include "platform/com/result.h"
#include "platform/com/safearray.h"
#include "platform/com/types.h"
#include "platform/com/unknown.h"
#include "platform/com/variant.h"

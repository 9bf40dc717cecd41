// Linked into the example client for the installed SDK's test: the library's classes in the
// process's own class table before main, so that the client's record is the one the library
// gives when no registry is involved.
#include "module/class_map.h"

namespace {

const bool registered = SUCCEEDED(cnt::module::register_classes());

}  // namespace

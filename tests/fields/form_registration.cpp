// The fields are created by class id and ProgID, and attach to documents whose container they
// make by class id: the program puts the library's classes into its class table first.
#include <gtest/gtest.h>

#include "module/class_map.h"

namespace {

class registered_classes : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(cnt::module::register_classes(), S_OK); }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new registered_classes);

}  // namespace

// One collector and one set of framework globals for the whole host test
// program: the heap is never reset while globals point into it.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include "host/startup.h"
#include "runtime/gc.h"

namespace {

class HostEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        gc_init();
        bb_framework_init();
        gc_mark();
        gc_check_each_step = true;
    }
    void TearDown() override { glfwTerminate(); }
};

::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new HostEnvironment);

}  // namespace

// tests/common/lane_display.cpp - linked into every test program.
//
// ctest can run tests side by side, each lane on a virtual display of its
// own, so that windows, focus and key presses of one test never reach
// another. ctest names the lane's display in CTEST_RESOURCE_GROUP_0_DISPLAY
// ("id:91,slots:1"); this points DISPLAY at it before main runs, and every
// process the test starts inherits it. Without lanes, DISPLAY is left alone.
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct LaneDisplay {
    LaneDisplay() {
        const char* group = std::getenv("CTEST_RESOURCE_GROUP_0_DISPLAY");
        if (!group || std::strncmp(group, "id:", 3) != 0) return;
        std::string id(group + 3);
        id = id.substr(0, id.find(','));
        setenv("DISPLAY", (":" + id).c_str(), 1);
    }
} lane_display;

}  // namespace

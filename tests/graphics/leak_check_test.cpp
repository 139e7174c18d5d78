// tests/graphics/leak_check_test.cpp - the leak check at the end of a test program.
//
// Every test program ends by stopping its other threads and then checking
// for leaks (common/test_main.cpp). A fresh process that drew into a window,
// opened the sound device and leaked on purpose must still pass its test,
// print its results, and only then fail with LeakSanitizer's report.
#include <cstdlib>

#include "audio/device.h"
#include "graphics/gl_world.h"

namespace {

TEST(TestProgramEnd, ALeakFailsTheProgramAfterItsResultsArePrinted) {
    if (!kUnderAddressSanitizer) GTEST_SKIP() << "only the checked build looks for leaks";
    ChildResult r = RunTestsInFreshProcess("LeakOnPurposeFresh.*", {"ALSOFT_DRIVERS=null"});
    EXPECT_NE(r.out.find("[  PASSED  ] 1 test"), std::string::npos) << r.out;
    EXPECT_NE(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("LeakSanitizer: detected memory leaks"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("4321 byte(s)"), std::string::npos) << "not the leak made on purpose:\n" << r.err;
    EXPECT_EQ(r.err.find("threads still running"), std::string::npos) << r.err;
}

class LeakOnPurposeFresh : public GlTest {};

TEST_F(LeakOnPurposeFresh, DISABLED_DrawsPlaysAndLeaks) {
    if (!InFreshProcess()) GTEST_SKIP();
    BeginFrame();
    gfx()->SetColor(255, 0, 0);
    gfx()->DrawRect(0, 0, 10, 10);
    EXPECT_TRUE(PixelNear(5, 5, 255, 0, 0));
    EndFrame();
    gxtkAudio* audio = new gxtkAudio();  // OpenAL's mixer runs on a thread of its own
    EXPECT_NE(audio->alcContext, nullptr);
    void* volatile leaked = std::malloc(4321);
    EXPECT_NE(leaked, nullptr);
    leaked = nullptr;  // the only pointer to it is gone
}

}  // namespace

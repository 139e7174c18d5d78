// tests/graphics/allocation_test.cpp - drawing allocates nothing.
//
// Counts every heap request of the test's thread and every byte the
// collector hands out, around draw calls that stay within one batch (so that
// no OpenGL work is measured).
#include <cstdlib>
#include <string>

#include "alloc_count.h"
#include "gl_world.h"

namespace {

class AllocationTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        BeginFrame();
        gxtkSurface* s = MakeSurface(32, 8, [](int x, int) { return x < 16 ? 0xffff0000u : 0xff00ff00u; });
        whole_ = (new c_Image())->m_new()->p_Init(s, 1, c_Image::kCentreHandle);
        strip_ = (new c_Image())->m_new()->p_Init(s, 4, c_Image::kBorderX);
        poly_ = Array<float>({0, 0, 10, 0, 12, 8, 5, 12, -2, 8});
    }
    // Heap allocations (C++ and collected bytes) made by `draw`, which starts
    // with an empty batch.
    template <class F>
    std::pair<long, int> Allocations(F draw) {
        gfx()->Cls(0, 0, 0);
        int bytes = gc_new_bytes;
        long long drawCalls = gfx()->drawCalls;
        long calls;
        {
            AllocCount count;
            draw();
            calls = count.Calls();
        }
        EXPECT_EQ(gfx()->drawCalls, drawCalls) << "the batch was flushed inside the measurement";
        return {calls, gc_new_bytes - bytes};
    }
    c_Image* whole_ = nullptr;
    c_Image* strip_ = nullptr;
    Array<float> poly_;
};

const std::pair<long, int> kNone{0, 0};

TEST_F(AllocationTest, DrawImageAllocatesNothing) {
    EXPECT_EQ(Allocations([&] {
                  for (int i = 0; i < 100; ++i) {
                      bb_graphics_DrawImage(whole_, static_cast<float>(i), 5, 0);
                      bb_graphics_DrawImage(strip_, static_cast<float>(i), 50, i % 4);
                  }
              }),
              kNone);
}

TEST_F(AllocationTest, DrawImage2AllocatesNothing) {
    EXPECT_EQ(Allocations([&] {
                  for (int i = 0; i < 100; ++i) {
                      bb_graphics_DrawImage2(whole_, 100, 100, static_cast<float>(i * 7), 1.5f, 0.5f, 0);
                      bb_graphics_DrawImage2(strip_, 200, 100, static_cast<float>(-i), 2, 2, i % 4);
                  }
              }),
              kNone);
}

TEST_F(AllocationTest, ShapesStateAndMatrixAllocateNothing) {
    EXPECT_EQ(Allocations([&] {
                  for (int i = 0; i < 50; ++i) {
                      bb_graphics_SetColor(static_cast<float>(i), 20, 30);
                      bb_graphics_SetAlpha(0.5f);
                      bb_graphics_PushMatrix();
                      bb_graphics_Translate(static_cast<float>(i), 0);
                      bb_graphics_Rotate(10);
                      bb_graphics_Scale(2, 2);
                      bb_graphics_DrawRect(0, 0, 4, 4);
                      bb_graphics_PopMatrix();
                  }
              }),
              kNone);
    EXPECT_EQ(Allocations([&] {
                  for (int i = 0; i < 20; ++i) bb_graphics_DrawLine(0, 0, 10, static_cast<float>(i));
              }),
              kNone);
    EXPECT_EQ(Allocations([&] {
                  for (int i = 0; i < 10; ++i) bb_graphics_DrawEllipse(100, 100, 50, 30);
              }),
              kNone);
    EXPECT_EQ(Allocations([&] {
                  for (int i = 0; i < 50; ++i) gfx()->DrawPoly(poly_);
              }),
              kNone);
}

}  // namespace

TEST(AllocationCounter, SeesTheRequestsItIsMeantToCatch) {
    // Without this, a counter that never counts would pass every test above.
    if (!AllocCount::Available()) GTEST_SKIP() << "allocations are not counted in sanitizer builds";
    AllocCount count;
    void* volatile block = std::malloc(1000);  // volatile: the pair may not be optimised away
    std::string text(500, 'x');
    std::free(block);
    EXPECT_GE(count.Calls(), 2);
    EXPECT_GE(count.Largest(), 1000u);
}

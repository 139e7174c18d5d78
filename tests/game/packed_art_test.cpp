// The art of a round packed into one texture draws the same picture as the
// images on textures of their own: a fixed frame of play (a maze from a fixed
// seed, sparks, a pop-up score, the head-up display, a fixed camera) is
// rendered from the same display list with packing off and on, at each art
// resolution, and the two pictures are compared pixel by pixel.
#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/graphics.h"
#include "round_world.h"

using namespace play;

namespace {

struct Picture {
    int w = 0, h = 0;
    std::vector<int> pixels;
};

// The largest difference in any colour channel between two pixels.
int channel_difference(int a, int b) {
    int most = 0;
    for (int shift = 0; shift < 24; shift += 8)
        most = std::max(most, std::abs((a >> shift & 0xff) - (b >> shift & 0xff)));
    return most;
}

}  // namespace

class PackedArtTest : public RoundTest {
protected:
    void TearDown() override {
        bb_Zanth_PackArt = 1;
        RoundTest::TearDown();
    }

    // Loads the art for the window's size, packed or not.
    static void LoadArt(bool packed) {
        bb_Zanth_PackArt = packed ? 1 : 0;
        app()->m_LoadStage = 1;
        FinishLoading();
    }

    // Renders the saved display list as the framework does and reads the
    // whole window before it is shown.
    Picture Draw() {
        std::copy(list_.begin(), list_.end(), &app()->m_DrawList[0]);
        app()->m_DrawCount = static_cast<int>(list_.size());
        app()->m_ClsR = cls_[0];
        app()->m_ClsG = cls_[1];
        app()->m_ClsB = cls_[2];
        app()->m_ClsA = cls_[3];
        Picture p;
        p.w = bb_graphics_DeviceWidth();
        p.h = bb_graphics_DeviceHeight();
        Array<int> pixels(p.w * p.h);
        bb_graphics_device->BeginRender();
        bb_graphics_BeginRender();
        app()->p_OnRender();
        bb_graphics_device->ReadPixels(pixels, 0, 0, p.w, p.h, 0, p.w);
        bb_graphics_EndRender();
        bb_graphics_device->EndRender();
        p.pixels.assign(pixels.begin(), pixels.end());
        return p;
    }

    // A frame of play with some of everything the round draws, kept as its
    // display list.
    void RecordAFrameOfPlay() {
        StartRound(2, 4242);
        Update(90);  // the camera settles on the player
        float x = Plr(kPlrScreenX) + app()->m_CamX, y = Plr(kPlrScreenY) + app()->m_CamY;
        for (int i = 0; i < 40; ++i) app()->p_ThrowParticle(x + 3.3f * i - 60, y - 40, 1 + i % 9, i % 8, 9.5f * i, 0);
        app()->p_Gimme(125, x + 40, y - 60);
        Update();
        list_.assign(&app()->m_DrawList[0], &app()->m_DrawList[0] + app()->m_DrawCount);
        cls_ = {app()->m_ClsR, app()->m_ClsG, app()->m_ClsB, app()->m_ClsA};
    }

    std::vector<float> list_;
    std::vector<float> cls_;
};

TEST_F(PackedArtTest, AFrameOfPlayLooksTheSameAtEveryArtResolution) {
    // 620 x 460 takes the base art, 640 x 480 "-hd", 1280 x 720 "-hd2".
    const int sizes[][3] = {{620, 460, 1}, {640, 480, 2}, {1280, 720, 4}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size[0]) + " x " + std::to_string(size[1]));
        Resize(size[0], size[1]);
        LoadArt(false);
        ASSERT_EQ(app()->m_HD, size[2]);
        RecordAFrameOfPlay();
        ASSERT_GT(list_.size(), 200u * c_MyApp::kDrawFloats) << "a frame of play draws a few hundred quads";
        Picture separate = Draw();
        ASSERT_NE(app()->m_Img[kSpriteSlot]->m_surface, app()->m_Img[kBackdropSlot]->m_surface);

        LoadArt(true);
        gxtkSurface* page = app()->m_Img[kSpriteSlot]->m_surface;
        for (int slot : {kBackdropSlot, kPartsSlot, c_MyApp::kSlotFont, c_MyApp::kSlotIcons, c_MyApp::kSlotPad})
            EXPECT_EQ(app()->m_Img[slot]->m_surface, page) << "slot " << slot << " is on the page";
        Picture packed = Draw();

        ASSERT_EQ(packed.pixels.size(), separate.pixels.size());
        int differing = 0, worst = 0, firstX = -1, firstY = -1;
        for (size_t i = 0; i < packed.pixels.size(); ++i) {
            int d = channel_difference(packed.pixels[i], separate.pixels[i]);
            if (d > 1) {
                if (firstX < 0) {
                    firstX = static_cast<int>(i) % packed.w;
                    firstY = static_cast<int>(i) / packed.w;
                }
                ++differing;
            }
            worst = std::max(worst, d);
        }
        EXPECT_EQ(differing, 0) << "pixels that differ by more than rounding; worst channel difference " << worst
                                << ", first at (" << firstX << ", " << firstY << ")";
    }
}

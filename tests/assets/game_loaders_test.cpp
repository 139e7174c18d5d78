// The data folder through the game's own loaders: every image the loader asks
// for becomes an image with the frames it asks for, the default font loads,
// and every sound becomes a sample. No window is needed: textures are made
// only once one exists.
#include <gtest/gtest.h>

#include "asset_loaders.h"
#include "audio/audio.h"
#include "graphics/graphics.h"
#include "host/files.h"
#include "host/desktop.h"
#include "host/startup.h"

using namespace assettest;

namespace {

class GameLoadersTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static bool started = false;
        if (started) return;
        started = true;
        if (!BBGlfwGame::_glfwGame) new BBDesktopGame();
        gc_init();
        bb_framework_init();
        gc_mark();
        bb_graphics_SetGraphicsDevice(new gxtkGraphics());
    }
    static std::string Path(const std::string& name) { return DataDir() + "/" + name; }
};

}  // namespace

TEST_F(GameLoadersTest, EverySheetLoadsWithTheFramesTheGameAsksFor) {
    struct Wanted {
        const char* name;
        int frameW, frameH, frames;
    };
    const Wanted wanted[] = {
        {"common/icons", 32, 32, 16},   {"common/Buttons", 64, 64, 16}, {"common/dpad", 32, 32, 16},
        {"common/HOLTLogo", 256, 256, 1}, {"common/Testcard_Circle", 256, 256, 1},
        {"fonts/ribbonmono", 16, 16, 128}, {"menu", 256, 256, 4}, {"logo", 256, 128, 1},
        {"parts", 8, 8, 256},            {"BadgesA", 64, 64, 64},       {"gfx", 32, 32, 64},
    };
    for (const Wanted& w : wanted) {
        for (int hd : {1, 2, 4}) {
            std::string file = Path(std::string(w.name) + (hd == 2 ? "-hd" : hd == 4 ? "-hd2" : "") + ".png");
            c_Image* image =
                bb_graphics_LoadImage2(String(file.c_str()), w.frameW * hd, w.frameH * hd, w.frames, c_Image::kCentreHandle);
            ASSERT_NE(image, nullptr) << file;
            EXPECT_EQ(image->m_frames.Length(), w.frames) << file;
            EXPECT_EQ(image->m_width, w.frameW * hd) << file;
            EXPECT_EQ(image->m_height, w.frameH * hd) << file;
            EXPECT_FLOAT_EQ(image->m_tx, w.frameW * hd / 2.0f);
        }
    }
}

TEST_F(GameLoadersTest, TheDefaultFontLoadsAsNinetySixBorderedFrames) {
    // The graphics module reads it by its game name from ./data.
    c_Image* font = bb_graphics_LoadImage(String(Path("quib_font.png").c_str()), 96, c_Image::kBorderX);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->m_frames.Length(), 96);
    EXPECT_EQ(font->m_frames[1]->m_x, font->m_width + 2 + 1);
}

TEST_F(GameLoadersTest, EverySoundLoadsAsASample) {
    std::vector<std::string> sounds = {"sfx/Firstlight.ogg"};
    for (int id : {1, 2, 3, 4, 5, 6, 7, 8, 9, 95, 96, 98, 99}) {
        char name[16];
        std::snprintf(name, sizeof name, "sfx/%03d.wav", id);
        sounds.push_back(name);
    }
    for (int kit = 1; kit <= 4; ++kit)
        for (int d = 1; d <= 8; ++d) sounds.push_back("inst/d" + std::to_string(kit) + "-" + std::to_string(d) + ".wav");
    for (int i = 1; i <= 3; ++i) sounds.push_back("inst/lead" + std::to_string(i) + ".wav");
    for (int i = 1; i <= 3; ++i) sounds.push_back("inst/accompany" + std::to_string(i) + ".wav");
    for (int i = 1; i <= 4; ++i) sounds.push_back("inst/bass" + std::to_string(i) + ".wav");
    for (const std::string& s : sounds) {
        DecodedSound decoded = DecodeSoundFile(Path(s));
        EXPECT_TRUE(decoded.ok()) << s;
        EXPECT_TRUE(decoded.channels == 1 || decoded.channels == 2) << s;
        EXPECT_EQ(decoded.format, 2) << s;
    }
}

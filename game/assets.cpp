// game/assets.cpp - image and sound slots, the art resolution and the staged loader.
//
// Art comes in three resolutions (base, "-hd" at 2x, "-hd2" at 4x), picked
// from the device size. Loading is spread over updates, one asset per stage,
// while the loading screen animates; a change of device size starts it again.
//
// A reload replaces every slot. The replaced images and sounds are simply
// dropped: their pixels, textures and buffers count as native memory for the
// collector, which finds them dead and destroys them within a few updates
// (runtime/gc.h), unless the renderer's batch or a playing channel still
// holds them.
//
// The art a round draws from (backdrop, sprites and tiles, particles, font,
// icons, the on-screen pad) is packed into one texture once its last image is
// loaded, so that a frame of play goes out in two or three draw calls
// (graphics/atlas.cpp); the images and their frames stay what they were.
//
// The streamed tune is decoded ahead, off the main thread, while the first
// load runs (the audio device keeps it, so later loads find it done), so
// that starting it in the update that starts a round costs next to nothing.
#include <cstdio>

#include "game/globals.h"
#include "game/myapp.h"

namespace {

// Sound effects loaded at each stage after the images (stage -> sound).
int stage_sound(int stage) {
    switch (stage) {
        case 7: return 1;
        case 8: return 95;
        case 9: return 98;
        case 10: return 99;
    }
    return stage >= 16 && stage <= 23 ? stage - 14 : 0;
}

const int kSoundJingle = 96;
// The tune the game start plays (see p_PlayTune), with the path it builds.
const char* const kTunePath = "sfx/Firstlight.ogg";

}  // namespace

void c_MyApp::ChooseArtResolution() {
    int w = bb_graphics_DeviceWidth(), h = bb_graphics_DeviceHeight();
    m_HD = 1;
    m_ImgScale = 1.0f;
    if (w > 630 || h > 630) {
        m_HD = 2;
        m_ImgScale = 0.5f;
    }
    if (w > 1230 || h > 1230) {
        m_HD = 4;
        m_ImgScale = 0.25f;
    }
}

String c_MyApp::ArtFileName(String name) const {
    static const String kHd("-hd"), kHd2("-hd2"), kPng(".png");
    if (m_HD == 2) return name + kHd + kPng;
    if (m_HD == 4) return name + kHd2 + kPng;
    return name + kPng;
}

void c_MyApp::PackPlayArt() {
    if (!bb_Zanth_PackArt) return;
    c_Image* images[] = {m_Img[99], m_Img[1], m_Img[96], m_Img[kSlotFont], m_Img[kSlotIcons], m_Img[kSlotPad]};
    bb_graphics_PackImages(images, static_cast<int>(sizeof images / sizeof images[0]));
}

int c_MyApp::p_LoadImg(int slot, String name, int frameW, int frameH, int frames, int flags) {
    if (slot < 0 || slot >= kSlots) return 0;
    gc_assign(m_Img[slot], nullptr);
    gc_assign(m_Img[slot], bb_graphics_LoadImage2(ArtFileName(name), frameW * m_HD, frameH * m_HD, frames, flags));
    m_ImgInfo[3 * slot] = frameW * m_HD;
    m_ImgInfo[3 * slot + 1] = frameH * m_HD;
    m_ImgInfo[3 * slot + 2] = frames;
    return 0;
}

int c_MyApp::p_LoadFont(int slot, String name, int advance, int lineHeight) {
    if (slot < 0 || slot >= kSlots) return 0;
    gc_assign(m_Img[slot], nullptr);
    gc_assign(m_Img[slot], bb_graphics_LoadImage2(ArtFileName(name), 16 * m_HD, 16 * m_HD, 128, 1));
    m_ImgInfo[3 * slot] = advance;
    m_ImgInfo[3 * slot + 1] = lineHeight;
    m_ImgInfo[3 * slot + 2] = 128;
    m_Font = slot;
    return 0;
}

int c_MyApp::p_LoadSFX(int n) {
    if (n < 0 || n >= kSlots) return 0;
    char path[32];
    std::snprintf(path, sizeof path, "sfx/%03d.wav", n);
    gc_assign(m_Sfx[n], bb_audio_LoadSound(String(path)));
    return 0;
}

int c_MyApp::p_Reload() {
    m_ClsR = m_ClsG = m_ClsB = 0;
    m_ClsA = 1;
    ChooseArtResolution();
    p_LoadImg(kSlotStudioLogo, String("common/HOLTLogo"), 256, 256, 1, 1);
    p_LoadFont(kSlotFont, String("fonts/ribbonmono"), 7, 10);
    m_LoadStage = 1;
    return 0;
}

int c_MyApp::p_Loader() {
    ChooseArtResolution();
    switch (m_LoadStage) {
        case 1:
            p_LoadImg(kSlotIcons, String("common/icons"), 32, 32, 16, 1);
            p_LoadSFX(kSoundJingle);
            if (bb_Zanth_HasMusicStream == 1) bb_audio_PrepareMusic(String(kTunePath));
            break;
        case 2: p_LoadImg(95, String("common/Buttons"), 64, 64, 16, 1); break;
        case 3: p_LoadImg(kSlotPad, String("common/dpad"), 32, 32, 16, 1); break;
        case 4:
            p_LoadImg(kSlotStudioLogo, String("common/HOLTLogo"), 256, 256, 1, 1);
            if (!m_JingleDone) {
                p_PlaySFX2(kSoundJingle, 1);
                m_JingleDone = 1;
            }
            break;
        case 5: p_LoadImg(91, String("common/Testcard_Circle"), 256, 256, 1, 1); break;
        case 6: p_LoadFont(kSlotFont, String("fonts/ribbonmono"), 7, 10); break;
        case 11: p_LoadImg(99, String("menu"), 256, 256, 4, 1); break;
        case 12: p_LoadImg(98, String("logo"), 256, 128, 1, 1); break;
        case 13: p_LoadImg(96, String("parts"), 8, 8, 256, 1); break;
        case 14: p_LoadImg(80, String("BadgesA"), 64, 64, 64, 1); break;
        case 15:
            p_LoadImg(1, String("gfx"), 32, 32, 64, 1);
            PackPlayArt();
            break;
        default:
            if (int sound = stage_sound(m_LoadStage)) p_LoadSFX(sound);
            break;
    }
    if (m_LoadStage >= 1 && m_LoadStage <= 23) {
        ++m_LoadStage;
    } else {
        m_LoadStage = 0;
    }
    p_WaitStart(1);
    return 0;
}

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
// It is handed to the sound device before the menu's art is loaded: for a
// moment the decoded tune and the device's copy are both held, and that
// moment must not fall where the art is nearly all loaded.
#include <cstdio>

#include "game/globals.h"
#include "game/myapp.h"
#include "host/files.h"
#include "host/game.h"

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

// The image each stage loads, if any. Fonts are 128 frames of 16 x 16.
struct StageImage {
    int stage;
    int slot;
    const char* name;
    int frameW, frameH, frames;
    bool font;
};
const StageImage kStageImages[] = {
    {1, c_MyApp::kSlotIcons, "common/icons", 32, 32, 16, false},
    {2, 95, "common/Buttons", 64, 64, 16, false},
    {3, c_MyApp::kSlotPad, "common/dpad", 32, 32, 16, false},
    {4, c_MyApp::kSlotStudioLogo, "common/HOLTLogo", 256, 256, 1, false},
    {5, 91, "common/Testcard_Circle", 256, 256, 1, false},
    {6, c_MyApp::kSlotFont, "fonts/ribbonmono", 16, 16, 128, true},
    {11, 99, "menu", 256, 256, 4, false},
    {12, 98, "logo", 256, 128, 1, false},
    {13, 96, "parts", 8, 8, 256, false},
    {14, c_MyApp::kSlotBadgeIcons, "BadgesA", 64, 64, 64, false},
    {15, 1, "gfx", 32, 32, 64, false},
};
const int kLastStage = 23;

const StageImage* stage_image(int stage) {
    for (const StageImage& image : kStageImages)
        if (image.stage == stage) return &image;
    return nullptr;
}

String sound_file(int n) {
    char path[32];
    std::snprintf(path, sizeof path, "sfx/%03d.wav", n);
    return String(path);
}

// Whether the host has `file` (a path as the loaders take it) at hand.
bool at_hand(const String& file) { return BBGame::_game->FileReady(bb_data_FixDataPath(file)); }

const int kSoundJingle = 96;
// The stage that loads the menu's art, the first of the big images.
const int kStageMenuArt = 11;
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
    gc_assign(m_Sfx[n], bb_audio_LoadSound(sound_file(n)));
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
    if (m_LoadStage == kStageMenuArt && bb_Zanth_HasMusicStream == 1) bb_audio_FinishMusic();
    const StageImage* image = stage_image(m_LoadStage);
    if (image && image->font) {
        p_LoadFont(image->slot, String(image->name), 7, 10);
    } else if (image && image->slot == kSlotBadgeIcons) {
        LoadLateImage(image->slot, String(image->name), image->frameW, image->frameH, image->frames);
    } else if (image) {
        p_LoadImg(image->slot, String(image->name), image->frameW, image->frameH, image->frames, 1);
    }
    switch (m_LoadStage) {
        case 1:
            p_LoadSFX(kSoundJingle);
            if (bb_Zanth_HasMusicStream == 1) bb_audio_PrepareMusic(String(kTunePath));
            break;
        case 4:
            if (!m_JingleDone) {
                p_PlaySFX2(kSoundJingle, 1);
                m_JingleDone = 1;
            }
            break;
        case 15: PackPlayArt(); break;
        default:
            if (int sound = stage_sound(m_LoadStage)) p_LoadSFX(sound);
            break;
    }
    if (m_LoadStage >= 1 && m_LoadStage <= kLastStage) {
        ++m_LoadStage;
    } else {
        m_LoadStage = 0;
    }
    p_WaitStart(1);
    return 0;
}

// ---------------------------------------------------------------------------
// Files still on their way
// ---------------------------------------------------------------------------

// The badge icons are not needed to play, so their file is not waited for:
// the slot stays empty and the icons are loaded between two frames once the
// file has arrived. A host whose files are always at hand loads them at once.
void c_MyApp::LoadLateImage(int slot, String name, int frameW, int frameH, int frames) {
    m_LateSlot = -1;
    if (at_hand(ArtFileName(name))) {
        p_LoadImg(slot, name, frameW, frameH, frames, 1);
        return;
    }
    gc_assign(m_Img[slot], nullptr);
    m_ImgInfo[3 * slot] = frameW * m_HD;
    m_ImgInfo[3 * slot + 1] = frameH * m_HD;
    m_ImgInfo[3 * slot + 2] = frames;
    m_LateSlot = slot;
    m_LateHD = m_HD;
}

void c_MyApp::LoadArrivedImages() {
    if (m_LateSlot < 0 || m_LateHD != m_HD) return;
    const StageImage* image = nullptr;
    for (const StageImage& each : kStageImages)
        if (each.slot == m_LateSlot) image = &each;
    if (!image || !at_hand(ArtFileName(String(image->name)))) return;
    m_LateSlot = -1;
    p_LoadImg(image->slot, String(image->name), image->frameW, image->frameH, image->frames, 1);
}

bool c_MyApp::ArtArriving(int slot) const { return m_LateSlot == slot; }

// The files the next update reads must be at hand before it runs: those of
// the loader's next stage at the art resolution the device has now, and at
// the start screen those that passing it reloads. The files of the stages
// after it are asked for too, so that a host that fetches them has them on
// their way together.
bool c_MyApp::FilesReadyForUpdate() {
    if (m_LoadStage <= 0 && m_Mode != kModeClickToStart) return true;
    int saveHD = m_HD;
    float saveScale = m_ImgScale;
    ChooseArtResolution();
    bool ready = true;
    auto ask = [&](int stage, bool needed) {
        const StageImage* image = stage_image(stage);
        bool late = image && image->slot == kSlotBadgeIcons;
        if (image && !late && !at_hand(ArtFileName(String(image->name))) && needed) ready = false;
        if (int sound = stage == 1 ? kSoundJingle : stage_sound(stage))
            if (!at_hand(sound_file(sound)) && needed) ready = false;
    };
    if (m_LoadStage > 0) {
        for (int stage = m_LoadStage; stage <= kLastStage; ++stage) ask(stage, stage == m_LoadStage);
    } else {
        ask(4, true);  // the studio logo
        ask(6, true);  // the font
    }
    m_HD = saveHD;
    m_ImgScale = saveScale;
    return ready;
}

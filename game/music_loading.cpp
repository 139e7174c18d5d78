// game/music_loading.cpp - loading a tune: the tune image, decoded through
// the back buffer in the render pass, and the instrument samples.
//
// Loading steps (m_LoadStep), three per rendered frame:
//   1        the tune image, as 64 frames of 64 x 64 with centred handles
//   2..9     drum samples 1..8 of kit A      12..19  the same of kit B
//   21..23   lead, accompaniment, bass
//   5..67    also, frame step - 5 of the image into pattern step - 5
// Frames 0..62 are decoded; frame 63 is never read.
#include "game/music_player.h"

namespace {

const int kLastLoadStep = 70;
const int kFirstFrameStep = 5;   // the step that decodes frame 0
const int kFramesRead = 63;

// Colour drawn under a frame: a transparent pixel reads as blue 0.
const float kUnderRed = 1;

String DrumPath(int kit, int drum) {
    return String("inst/d") + String(kit) + String("-") + String(drum) + String(".wav");
}

String VoicePath(const char* kind, int number) { return String("inst/") + String(kind) + String(number) + String(".wav"); }

}  // namespace

int c_JMPlayer::p_JM_LoadChunk() {
    int step = m_LoadStep;
    if (step == 1) gc_assign(m_TuneImage, bb_graphics_LoadImage2(m_TunePath, kFrameSize, kFrameSize, 64, c_Image::kCentreHandle));
    LoadSample(step);
    int frame = step - kFirstFrameStep;
    if (frame >= 0 && frame < kFramesRead && m_TuneImage) DecodeFrame(frame);

    m_LoadStep += 1;
    m_NextTime = LaterBy(Now(), kStartDelayMs);
    if (m_LoadStep > kLastLoadStep) m_LoadStep = 0;
    return 0;
}

void c_JMPlayer::LoadSample(int step) {
    if (step >= 2 && step <= 9) {
        gc_assign(m_KitA[step - 1], bb_audio_LoadSound(DrumPath(m_Inst[1], step - 1)));
    } else if (step >= 12 && step <= 19) {
        gc_assign(m_KitB[step - 11], bb_audio_LoadSound(DrumPath(m_Inst[2], step - 11)));
    } else if (step == 21) {
        gc_assign(m_Voices[2], bb_audio_LoadSound(VoicePath("lead", m_Inst[3])));
    } else if (step == 22) {
        gc_assign(m_Voices[3], bb_audio_LoadSound(VoicePath("accompany", m_Inst[4])));
    } else if (step == 23) {
        gc_assign(m_Voices[4], bb_audio_LoadSound(VoicePath("bass", m_Inst[5])));
    }
}

void c_JMPlayer::DecodeFrame(int pattern) {
    // The frame lands on the top-left 64 x 64 pixels over an opaque
    // background; the transform is the identity at the start of the render.
    Array<int> pixels(kFrameSize * kFrameSize);
    bb_graphics_Cls(kUnderRed, 0, 0);
    bb_graphics_SetAlpha(1);
    bb_graphics_SetColor(kUnderRed, 0, 0);
    bb_graphics_DrawRect(0, 0, kFrameSize, kFrameSize);
    bb_graphics_SetColor(255, 255, 255);
    bb_graphics_DrawImage(m_TuneImage, kFrameSize / 2, kFrameSize / 2, pattern);
    bb_graphics_ReadPixels(pixels, 0, 0, kFrameSize, kFrameSize, 0, kFrameSize);

    // Pixel (8t + k, y), as 0xAARRGGBB, holds field k of track t at step y.
    const int base = pattern * kPatternEntries;
    for (int y = 0; y < kFrameSize; ++y) {
        const int* row = &pixels[y * kFrameSize];
        for (int t = 0; t < kTrackSlots; ++t) {
            for (int k = 0; k < kCellEntries; ++k) {
                int value = (row[t * kCellEntries + k] & 0xff) >> 3;
                m_Data[base + t * kTrackEntries + y * kCellEntries + k] = value;
                // Frames arrive in increasing order: this ends as the highest.
                if (value != 0) m_LastPattern[t] = pattern;
            }
        }
    }
}

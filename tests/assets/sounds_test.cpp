// tests/assets/sounds_test.cpp - the sound effects, the instrument samples
// and the background tune decode as the game reads them and sound clean; the
// web page's Ogg Vorbis effects decode to their WAVs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "asset_loaders.h"
#include "common/test_support.h"
#include "sounds.h"

using namespace assettest;

namespace {

std::string Sfx(int id) {
    char name[32];
    std::snprintf(name, sizeof name, "/sfx/%03d.wav", id);
    return DataDir() + name;
}

// How close a web effect's decoded samples stay to its WAV. Vorbis keeps a
// noise burst's spectrum rather than its waveform, so the noisy effects (the
// swish, the zap's puff, the click) measure 11 to 15 dB of waveform SNR at
// the generator's quality and the tonal ones 20 to 34; a decode shifted by a
// few samples, of the wrong rate, at half the level or garbled falls to 6 dB
// or less.
const double kWebSoundMinSnrDb = 10;

float Peak(const DecodedSound& s) {
    int m = 0;
    for (int16_t v : s.samples) m = std::max(m, std::abs(static_cast<int>(v)));
    return m / 32768.0f;
}

// The period of a steady tone near `expectedHz`, by autocorrelation over
// lags from 0.6 to 1.6 of the expected period (so neither octave can win).
float MeasuredHz(const DecodedSound& s, float expectedHz) {
    const double period = s.hertz / expectedHz;
    const int n = std::min<int>(s.length / 2, 16384);
    int bestLag = 0;
    double best = -1e30;
    for (int lag = static_cast<int>(period * 0.6); lag <= static_cast<int>(period * 1.6); ++lag) {
        double sum = 0;
        for (int i = 0; i < n; ++i) sum += static_cast<double>(s.samples[i]) * s.samples[i + lag];
        if (sum > best) {
            best = sum;
            bestLag = lag;
        }
    }
    return static_cast<float>(s.hertz) / bestLag;
}

TEST(SoundEffects, EveryEffectIsShortCleanPcm) {
    for (int id : {1, 2, 3, 4, 5, 6, 7, 8, 9, 95, 96, 98, 99}) {
        SCOPED_TRACE(Sfx(id));
        DecodedSound s = DecodeSoundFile(Sfx(id));
        ASSERT_TRUE(s.ok()) << "missing or not PCM WAV";
        EXPECT_EQ(s.channels, 1);
        EXPECT_EQ(s.format, 2);
        EXPECT_EQ(s.hertz, 44100);
        float seconds = static_cast<float>(s.length) / s.hertz;
        EXPECT_GT(seconds, 0.02f);
        EXPECT_LT(seconds, 4.0f);
        // Starts and ends at rest: no click.
        EXPECT_LE(std::abs(s.samples.front()), 8);
        EXPECT_LE(std::abs(s.samples.back()), 8);
        // Loud enough to hear, not clipped.
        float peak = Peak(s);
        EXPECT_GT(peak, 0.25f);
        EXPECT_LT(peak, 0.95f);
    }
}

TEST(SoundEffects, ShortEffectsHaveNoLongSilence) {
    for (int id : {1, 2, 3, 4, 5, 6, 7, 8, 95, 98, 99}) {
        DecodedSound s = DecodeSoundFile(Sfx(id));
        ASSERT_TRUE(s.ok());
        int run = 0, longest = 0;
        for (int16_t v : s.samples) {
            run = std::abs(v) < 30 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        EXPECT_LT(longest, s.hertz / 10) << Sfx(id) << " has a silent stretch";
    }
}

TEST(Instruments, DrumKitsAreFourKitsOfEightOneShots) {
    for (int kit = 1; kit <= 4; ++kit)
        for (int d = 1; d <= 8; ++d) {
            std::string path = DataDir() + "/inst/d" + std::to_string(kit) + "-" + std::to_string(d) + ".wav";
            SCOPED_TRACE(path);
            DecodedSound s = DecodeSoundFile(path);
            ASSERT_TRUE(s.ok());
            EXPECT_EQ(s.channels, 1);
            EXPECT_EQ(s.format, 2);
            EXPECT_LE(std::abs(s.samples.front()), 8);
            EXPECT_LE(std::abs(s.samples.back()), 8);
            EXPECT_GT(Peak(s), 0.25f);
            EXPECT_LT(static_cast<float>(s.length) / s.hertz, 1.5f);
        }
}

// Melodic samples loop: the jump from the last sample back to the first is
// no bigger than the steps inside, and rate 1.0 plays the base note.
TEST(Instruments, MelodicSamplesLoopSeamlesslyAtTheirBaseNote) {
    struct Voice { std::string name; float hz; };
    std::vector<Voice> voices;
    for (int i = 1; i <= 3; ++i) voices.push_back({"lead" + std::to_string(i), 523.25f});
    for (int i = 1; i <= 3; ++i) voices.push_back({"accompany" + std::to_string(i), 261.63f});
    for (int i = 1; i <= 4; ++i) voices.push_back({"bass" + std::to_string(i), 65.41f});
    for (const Voice& v : voices) {
        std::string path = DataDir() + "/inst/" + v.name + ".wav";
        SCOPED_TRACE(path);
        DecodedSound s = DecodeSoundFile(path);
        ASSERT_TRUE(s.ok());
        ASSERT_EQ(s.channels, 1);
        EXPECT_GE(s.length, s.hertz / 4) << "long enough to loop smoothly";
        int maxStep = 0;
        for (size_t i = 1; i < s.samples.size(); ++i) maxStep = std::max(maxStep, std::abs(s.samples[i] - s.samples[i - 1]));
        int seam = std::abs(s.samples.front() - s.samples.back());
        EXPECT_LE(seam, maxStep + 2) << "a click where the loop wraps";
        // Within a quarter tone (the lag is measured in whole samples).
        float hz = MeasuredHz(s, v.hz);
        EXPECT_NEAR(hz / v.hz, 1.0f, 0.03f) << "measured " << hz << " Hz";
        EXPECT_GT(Peak(s), 0.3f);
    }
}

TEST(BackgroundTune, IsStereoAtLeastAMinuteAndLoopsWithoutAGapOrJump) {
    DecodedSound s = DecodeSoundFile(DataDir() + "/sfx/Firstlight.ogg");
    ASSERT_TRUE(s.ok()) << "missing or not Ogg Vorbis";
    EXPECT_EQ(s.channels, 2);
    const float seconds = static_cast<float>(s.length) / s.hertz;
    EXPECT_GE(seconds, 60.0f);
    EXPECT_LT(seconds, 300.0f);
    // The loop length is exact: 32 bars at 120 beats a minute.
    EXPECT_EQ(s.length, 64 * s.hertz);
    // No silence at either end: the music runs through the seam.
    auto rms = [&](int from, int count) {
        double sum = 0;
        for (int i = from * 2; i < (from + count) * 2; ++i) sum += static_cast<double>(s.samples[i]) * s.samples[i];
        return std::sqrt(sum / (count * 2)) / 32768.0;
    };
    const int half = s.hertz / 2;
    double head = rms(0, half), tail = rms(s.length - half, half), body = rms(s.length / 3, s.hertz * 4);
    EXPECT_GT(head, body * 0.3);
    EXPECT_GT(tail, body * 0.3);
    // No jump at the seam: the step from the last frame to the first is no
    // bigger than the large steps inside the tune.
    std::vector<int> steps;
    for (int i = 1; i < s.length; ++i)
        for (int c = 0; c < 2; ++c) steps.push_back(std::abs(s.samples[i * 2 + c] - s.samples[(i - 1) * 2 + c]));
    std::nth_element(steps.begin(), steps.begin() + steps.size() * 999 / 1000, steps.end());
    int large = steps[steps.size() * 999 / 1000];
    for (int c = 0; c < 2; ++c) EXPECT_LE(std::abs(s.samples[c] - s.samples[(s.length - 1) * 2 + c]), large) << "channel " << c;
    // Not clipped.
    EXPECT_LT(Peak(s), 0.99f);
    EXPECT_GT(Peak(s), 0.4f);
}

// Signal to error of a decoded copy against the original, in decibels.
double SnrDb(const std::vector<int16_t>& original, const std::vector<int16_t>& copy) {
    double signal = 0, error = 0;
    for (size_t i = 0; i < original.size() && i < copy.size(); ++i) {
        signal += static_cast<double>(original[i]) * original[i];
        const double d = static_cast<double>(copy[i]) - original[i];
        error += d * d;
    }
    return 10 * std::log10(signal / std::max(error, 1.0));
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// assetgen --web-sounds: every effect as Ogg Vorbis that the game's desktop
// decoder reads back with the WAV's exact length (Vorbis keeps it through the
// last page's granule position), rate and channels, and samples close to the
// WAV's; a fraction of the WAVs' bytes; the same bytes on every run.
TEST(WebSounds, EveryEffectDecodesToItsWavInAFractionOfTheBytes) {
    ScopedTempDir tmp;
    const std::string first = tmp.path() + "/first", second = tmp.path() + "/second";
    for (const std::string& dir : {first, second}) {
        ChildResult r = RunProgram({ASSETGEN_EXE, "--web-sounds", dir}, {}, "", 60);
        ASSERT_EQ(r.status, 0) << r.err;
    }
    uintmax_t wavBytes = 0, oggBytes = 0;
    for (const assetgen::SoundEffect& e : assetgen::AllSoundEffects()) {
        const std::string ogg = first + "/" + assetgen::WebSoundPath(e.id);
        SCOPED_TRACE(ogg);
        DecodedSound wav = DecodeSoundFile(Sfx(e.id)), web = DecodeSoundFile(ogg);
        ASSERT_TRUE(wav.ok());
        ASSERT_TRUE(web.ok()) << "missing or not Ogg Vorbis";
        EXPECT_EQ(web.length, wav.length);
        EXPECT_EQ(web.channels, wav.channels);
        EXPECT_EQ(web.hertz, wav.hertz);
        EXPECT_EQ(web.format, 2);
        const double snr = SnrDb(wav.samples, web.samples);
        std::printf("  %s: %.1f dB, %ju bytes\n", assetgen::WebSoundPath(e.id).c_str(), snr,
                    static_cast<uintmax_t>(std::filesystem::file_size(ogg)));
        EXPECT_GT(snr, kWebSoundMinSnrDb);
        EXPECT_TRUE(FileBytes(ogg) == FileBytes(second + "/" + assetgen::WebSoundPath(e.id))) << "differs between runs";
        wavBytes += std::filesystem::file_size(Sfx(e.id));
        oggBytes += std::filesystem::file_size(ogg);
    }
    EXPECT_LT(oggBytes * 4, wavBytes) << oggBytes << " bytes of Ogg for " << wavBytes << " of WAV";

    // The tune, in fewer bytes than the desktop's and of the same length.
    const std::string tune = first + "/sfx/Firstlight.ogg";
    DecodedSound desktop = DecodeSoundFile(DataDir() + "/sfx/Firstlight.ogg"),
                 web = DecodeSoundFile(tune);
    ASSERT_TRUE(desktop.ok() && web.ok());
    EXPECT_EQ(web.length, desktop.length);
    EXPECT_EQ(web.channels, 2);
    EXPECT_LT(std::filesystem::file_size(tune), 512u * 1024) << "the page fetches no file over 512 KiB";
    EXPECT_GT(SnrDb(desktop.samples, web.samples), kWebSoundMinSnrDb);
    EXPECT_TRUE(FileBytes(tune) == FileBytes(second + "/sfx/Firstlight.ogg")) << "differs between runs";
}

}  // namespace

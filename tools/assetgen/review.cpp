// tools/assetgen/review.cpp - the contact sheet and the sound report.
#include "review.h"

#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_vorbis.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "gfx_art.h"
#include "palette.h"
#include "scene.h"
#include "sheet.h"
#include "text.h"
#include "writers.h"

namespace assetgen {

namespace {

constexpr int kReviewScale = 2;  // sheets are shown at their "-hd" resolution
constexpr int kMargin = 16;
constexpr int kLabel = 22;

void Label(Canvas& c, int x, int y, const std::string& text, float size, Color col) {
    View v(&c, 0, 0, c.Width(), c.Height(), 1);
    Fill(v, GetFont(Face::SansBold).Text(text, {static_cast<float>(x), static_cast<float>(y)}, size), col);
}

void Checker(Canvas& c, int x0, int y0, int w, int h) {
    for (int y = y0; y < y0 + h && y < c.Height(); ++y)
        for (int x = x0; x < x0 + w && x < c.Width(); ++x) {
            bool odd = ((x - x0) / 8 + (y - y0) / 8) % 2;
            c.Put(x, y, odd ? Rgb(44, 44, 60) : Rgb(56, 56, 74), 1);
        }
}

// Outlines the frames of a sheet drawn at (x0, y0) and numbers them.
void FrameGrid(Canvas& c, const ImageAsset& a, int x0, int y0) {
    if (a.frames < 2) return;
    int fw = a.frameW * kReviewScale, fh = a.frameH * kReviewScale;
    for (int f = 0; f < a.frames; ++f) {
        int x = x0 + (f % a.columns) * fw, y = y0 + (f / a.columns) * fh;
        for (int i = 0; i < fw; ++i) {
            c.Put(x + i, y, Rgb(255, 255, 255, 0.18f), 1);
        }
        for (int i = 0; i < fh; ++i) c.Put(x, y + i, Rgb(255, 255, 255, 0.18f), 1);
        if (fw >= 48) Label(c, x + 2, y + 9, std::to_string(f), 9, Rgb(255, 255, 255, 0.55f));
    }
}

}  // namespace

bool WriteReviewSheet(const std::string& path) {
    std::vector<ImageAsset> images = AllImages();
    // Shelf layout: sheets left to right, a new shelf when the row is full.
    const int maxWidth = 2200;
    struct Placed { int x, y; };
    std::vector<Placed> at;
    int x = kMargin, y = kMargin, shelf = 0, width = 0;
    for (const ImageAsset& a : images) {
        int w = a.SheetWidth() * kReviewScale, h = a.SheetHeight() * kReviewScale + kLabel;
        if (x + w + kMargin > maxWidth && x > kMargin) {
            x = kMargin;
            y += shelf + kMargin;
            shelf = 0;
        }
        at.push_back({x, y});
        x += w + kMargin;
        width = std::max(width, x);
        shelf = std::max(shelf, h);
    }
    Scene scene = BuildTestScene();
    int sceneY = y + shelf + kMargin;
    int height = sceneY + kLabel + scene.Height() * 2 + kMargin;
    width = std::max(width, kMargin * 3 + scene.Width() * 2 * 2);
    Canvas sheet(width, height);
    for (int yy = 0; yy < height; ++yy)
        for (int xx = 0; xx < width; ++xx) sheet.Put(xx, yy, Rgb(24, 24, 32), 1);

    for (size_t i = 0; i < images.size(); ++i) {
        const ImageAsset& a = images[i];
        int scale = a.variants ? kReviewScale : 1;
        Canvas art = RenderImage(a, scale);
        int ax = at[i].x, ay = at[i].y + kLabel;
        char text[160];
        std::snprintf(text, sizeof text, "%s  (%d x %d, %d frame%s of %d x %d)", a.name.c_str(), a.SheetWidth(),
                      a.SheetHeight(), a.frames, a.frames == 1 ? "" : "s", a.frameW, a.frameH);
        Label(sheet, ax, at[i].y + 15, text, 13, Rgb(230, 230, 240));
        Checker(sheet, ax, ay, art.Width(), art.Height());
        sheet.Paste(art, ax, ay);
        if (a.variants) FrameGrid(sheet, a, ax, ay);
    }
    Label(sheet, kMargin, sceneY + 15, "scene: base art (left) and -hd art (right), as the game places them, shown 2x", 13,
          Rgb(230, 230, 240));
    for (int res = 0; res < 2; ++res) {
        Canvas shot = RenderScene(scene, res == 0 ? 1 : 2, 2);
        sheet.Paste(shot, kMargin + res * (shot.Width() + kMargin), sceneY + kLabel);
    }
    return WritePng(path, sheet);
}

namespace {

struct Pcm {
    std::vector<float> samples;  // interleaved
    int channels = 0, hertz = 0;
};

bool ReadWav(const std::string& path, Pcm& out) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (b.size() < 44 || std::memcmp(b.data(), "RIFF", 4) != 0) return false;
    auto u16 = [&](size_t o) { return b[o] | (b[o + 1] << 8); };
    auto u32 = [&](size_t o) { return static_cast<uint32_t>(u16(o) | (u16(o + 2) << 16)); };
    out.channels = u16(22);
    out.hertz = static_cast<int>(u32(24));
    size_t pos = 12;
    while (pos + 8 <= b.size()) {
        uint32_t size = u32(pos + 4);
        if (std::memcmp(&b[pos], "data", 4) == 0) {
            for (size_t i = 0; i + 1 < size && pos + 8 + i + 1 < b.size(); i += 2)
                out.samples.push_back(static_cast<int16_t>(u16(pos + 8 + i)) / 32768.0f);
            return true;
        }
        pos += 8 + size;
    }
    return false;
}

bool ReadOgg(const std::string& path, Pcm& out) {
    short* data = nullptr;
    int n = stb_vorbis_decode_filename(path.c_str(), &out.channels, &out.hertz, &data);
    if (n <= 0 || !data) return false;
    out.samples.assign(data, data + static_cast<size_t>(n) * out.channels);
    for (float& s : out.samples) s /= 32768.0f;
    std::free(data);
    return true;
}

void Report(const std::string& name, const Pcm& p) {
    size_t frames = p.samples.size() / std::max(1, p.channels);
    double sum = 0;
    float peak = 0;
    size_t run = 0, longest = 0;
    for (size_t i = 0; i < frames; ++i) {
        float m = 0;
        for (int c = 0; c < p.channels; ++c) m = std::max(m, std::fabs(p.samples[i * p.channels + c]));
        peak = std::max(peak, m);
        for (int c = 0; c < p.channels; ++c) sum += p.samples[i * p.channels + c] * p.samples[i * p.channels + c];
        run = (m < 0.001f) ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    double rms = std::sqrt(sum / std::max<size_t>(1, p.samples.size()));
    float first = p.samples.empty() ? 0 : p.samples.front();
    float last = p.samples.empty() ? 0 : p.samples.back();
    std::printf("%-28s %dch %5d Hz %7.3f s  peak %5.1f dBFS  rms %6.1f dBFS  first %+.4f last %+.4f  silence %.3f s\n",
                name.c_str(), p.channels, p.hertz, static_cast<double>(frames) / p.hertz, 20 * std::log10(std::max(peak, 1e-6f)),
                20 * std::log10(std::max(rms, 1e-9)), first, last, static_cast<double>(longest) / p.hertz);
}

}  // namespace

bool ReportSounds(const std::string& dataDir) {
    std::vector<std::string> files;
    for (const char* sub : {"sfx", "inst"}) {
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(dataDir + "/" + sub, ec)) files.push_back(e.path().string());
    }
    std::sort(files.begin(), files.end());
    for (const std::string& f : files) {
        Pcm p;
        bool ok = f.size() > 4 && f.compare(f.size() - 4, 4, ".ogg") == 0 ? ReadOgg(f, p) : ReadWav(f, p);
        if (!ok) {
            std::printf("%s: unreadable\n", f.c_str());
            return false;
        }
        Report(f.substr(dataDir.size() + 1), p);
    }
    return true;
}

}  // namespace assetgen

// tools/assetgen/text.cpp - outlines from TrueType fonts.
#include "text.h"

#include <stb/stb_truetype.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

namespace assetgen {

struct FontFace::Info {
    stbtt_fontinfo font;
};

const char* FacePath(Face face) {
    switch (face) {
        case Face::Sans: return "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
        case Face::SansBold: return "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
        case Face::SansMonoBold: return "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";
        case Face::SerifBold: return "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf";
        case Face::SerifBoldItalic: return "/usr/share/fonts/truetype/dejavu/DejaVuSerif-BoldItalic.ttf";
        case Face::SansCondensedBold: return "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf";
    }
    return "";
}

const FontFace& GetFont(Face face) {
    static std::mutex mutex;
    static std::map<Face, FontFace> fonts;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = fonts.find(face);
    if (it != fonts.end()) return it->second;
    FontFace f;
    if (!f.Load(FacePath(face))) {
        std::fprintf(stderr, "assetgen: cannot read the font %s (Debian package fonts-dejavu-core)\n", FacePath(face));
        std::exit(1);
    }
    return fonts.emplace(face, std::move(f)).first->second;
}

bool FontFace::Load(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    bytes_ = ss.str();
    info_ = std::make_shared<Info>();
    const auto* data = reinterpret_cast<const unsigned char*>(bytes_.data());
    return stbtt_InitFont(&info_->font, data, stbtt_GetFontOffsetForIndex(data, 0)) != 0;
}

bool FontFace::Has(int codepoint) const { return stbtt_FindGlyphIndex(&info_->font, codepoint) != 0; }

float FontFace::Advance(int codepoint, float px) const {
    int adv = 0, lsb = 0;
    stbtt_GetCodepointHMetrics(&info_->font, codepoint, &adv, &lsb);
    return adv * stbtt_ScaleForMappingEmToPixels(&info_->font, px);
}

float FontFace::CapHeight(float px) const {
    int x0, y0, x1, y1;
    if (!stbtt_GetCodepointBox(&info_->font, 'H', &x0, &y0, &x1, &y1)) return px * 0.73f;
    return y1 * stbtt_ScaleForMappingEmToPixels(&info_->font, px);
}

Shape FontFace::Glyph(int codepoint, Vec2 pen, float px) const {
    float k = stbtt_ScaleForMappingEmToPixels(&info_->font, px);
    stbtt_vertex* verts = nullptr;
    int n = stbtt_GetCodepointShape(&info_->font, codepoint, &verts);
    std::vector<std::vector<Vec2>> contours;
    Vec2 last{0, 0};
    auto map = [&](float x, float y) { return Vec2{pen.x + x * k, pen.y - y * k}; };
    for (int i = 0; i < n; ++i) {
        const stbtt_vertex& v = verts[i];
        Vec2 p = map(v.x, v.y);
        switch (v.type) {
            case STBTT_vmove:
                contours.emplace_back();
                contours.back().push_back(p);
                break;
            case STBTT_vline:
                contours.back().push_back(p);
                break;
            case STBTT_vcurve: {
                Vec2 c = map(v.cx, v.cy);
                int steps = std::max(3, static_cast<int>(std::ceil((Length(c - last) + Length(p - c)) * 0.4f)));
                for (int s = 1; s <= steps; ++s) {
                    float t = static_cast<float>(s) / steps, u = 1 - t;
                    contours.back().push_back(last * (u * u) + c * (2 * u * t) + p * (t * t));
                }
                break;
            }
            case STBTT_vcubic: {
                Vec2 c1 = map(v.cx, v.cy), c2 = map(v.cx1, v.cy1);
                int steps = std::max(4, static_cast<int>(std::ceil((Length(c1 - last) + Length(c2 - c1) + Length(p - c2)) * 0.4f)));
                for (int s = 1; s <= steps; ++s) {
                    float t = static_cast<float>(s) / steps, u = 1 - t;
                    contours.back().push_back(last * (u * u * u) + c1 * (3 * u * u * t) + c2 * (3 * u * t * t) + p * (t * t * t));
                }
                break;
            }
        }
        last = p;
    }
    stbtt_FreeShape(&info_->font, verts);
    // Drop the closing point that repeats the start of each contour.
    for (auto& c : contours)
        if (c.size() > 1 && Length(c.front() - c.back()) < 1e-6f) c.pop_back();
    if (contours.empty()) return {[](Vec2) { return 1e6f; }, Box{}};
    return Contours(std::move(contours));
}

float FontFace::TextWidth(const std::string& text, float px, float tracking) const {
    float w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        w += Advance(static_cast<unsigned char>(text[i]), px);
        if (i + 1 < text.size()) {
            float k = stbtt_ScaleForMappingEmToPixels(&info_->font, px);
            w += stbtt_GetCodepointKernAdvance(&info_->font, static_cast<unsigned char>(text[i]),
                                               static_cast<unsigned char>(text[i + 1])) * k + tracking;
        }
    }
    return w;
}

Shape FontFace::Text(const std::string& text, Vec2 pen, float px, float align, float tracking) const {
    float k = stbtt_ScaleForMappingEmToPixels(&info_->font, px);
    float x = pen.x - align * TextWidth(text, px, tracking);
    std::vector<Shape> glyphs;
    for (size_t i = 0; i < text.size(); ++i) {
        int cp = static_cast<unsigned char>(text[i]);
        Shape g = Glyph(cp, {x, pen.y}, px);
        if (!g.bounds.Empty()) glyphs.push_back(g);
        x += Advance(cp, px);
        if (i + 1 < text.size())
            x += stbtt_GetCodepointKernAdvance(&info_->font, cp, static_cast<unsigned char>(text[i + 1])) * k + tracking;
    }
    return Union(std::move(glyphs));
}

}  // namespace assetgen

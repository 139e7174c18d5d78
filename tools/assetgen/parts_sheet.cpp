// tools/assetgen/parts_sheet.cpp - "parts": 256 particle sprites of 8 x 8.
//
// The game tints particles with its palette and picks frames at random, so
// every frame is a light shape on transparency (white core, soft edge) and
// the frames vary in kind, size and angle: dots, four- and six-point
// twinkles, crosses, diamonds, rings, streaks and clusters.
#include "palette.h"
#include "rng.h"
#include "sheet.h"

namespace assetgen {

namespace {

void DrawParticle(const View& v, int frame) {
    Rng rng(7000 + frame);
    const Vec2 c{4, 4};
    const Color white = pal::kWhite;
    const Color soft = Rgb(255, 255, 255, 0.55f);
    float size = rng.Range(0.65f, 1.0f);
    float angle = rng.Range(0, 90);
    switch (frame % 8) {
        case 0:  // glowing dot
            Glow(v, c, 3.9f * size, soft, 1.5f);
            Fill(v, Circle(c, 1.1f * size), white);
            break;
        case 1:  // four-point twinkle
            Glow(v, c, 2.6f * size, soft, 2);
            Fill(v, Star(c, 4, 3.8f * size, 0.7f * size, angle * 0.3f), white);
            break;
        case 2:  // six-point star
            Glow(v, c, 2.8f * size, soft, 2);
            Fill(v, Star(c, 6, 3.5f * size, 1.1f * size, angle), white);
            break;
        case 3:  // plus-shaped glint
            Fill(v, Capsule({4 - 3.4f * size, 4}, {4 + 3.4f * size, 4}, 0.45f), white);
            Fill(v, Capsule({4, 4 - 3.4f * size}, {4, 4 + 3.4f * size}, 0.45f), white);
            Fill(v, Circle(c, 1.0f), white);
            break;
        case 4:  // diamond
            Glow(v, c, 3.6f * size, soft, 2.5f);
            Fill(v, RotateAbout(Star(c, 4, 2.6f * size, 1.3f * size, 0), c, angle), white);
            break;
        case 5:  // ring
            Fill(v, Ring(c, 2.4f * size, 0.8f), white);
            Glow(v, c, 1.6f, soft, 2);
            break;
        case 6: {  // streak, as a spark flying
            Vec2 d = Polar({0, 0}, 3.3f * size, angle * 4);
            Fill(v, Capsule(c - d, c + d, 0.5f), soft);
            Fill(v, Capsule(c - d * 0.4f, c + d, 0.55f), white);
            break;
        }
        default:  // a cluster of three tiny sparks
            for (int i = 0; i < 3; ++i) {
                Vec2 p = Polar(c, rng.Range(1.2f, 2.6f), angle * 4 + 120.0f * i);
                Fill(v, Circle(p, rng.Range(0.5f, 0.9f)), white);
            }
            Glow(v, c, 3.5f, soft, 3);
            break;
    }
}

}  // namespace

ImageAsset PartsSheet() {
    ImageAsset a;
    a.name = "parts";
    a.frameW = a.frameH = 8;
    a.frames = 256;
    a.columns = 16;
    a.draw = DrawParticle;
    return a;
}

}  // namespace assetgen

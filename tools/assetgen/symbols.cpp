// tools/assetgen/symbols.cpp - pictogram shapes.
#include "symbols.h"

namespace assetgen {

Shape PauseSymbol(Vec2 c, float r) {
    float w = r * 0.28f, h = r * 0.75f, gap = r * 0.2f;
    return Union(Rect(c.x - gap - w, c.y - h, c.x - gap, c.y + h, w * 0.3f), Rect(c.x + gap, c.y - h, c.x + gap + w, c.y + h, w * 0.3f));
}

Shape PlaySymbol(Vec2 c, float r) {
    float k = r * 0.8f;
    return Offset(Polygon({{c.x - k * 0.55f, c.y - k * 0.8f}, {c.x + k * 0.85f, c.y}, {c.x - k * 0.55f, c.y + k * 0.8f}}), r * 0.08f);
}

Shape CrossSymbol(Vec2 c, float r) {
    float k = r * 0.6f, w = r * 0.16f;
    return Union(Capsule({c.x - k, c.y - k}, {c.x + k, c.y + k}, w), Capsule({c.x - k, c.y + k}, {c.x + k, c.y - k}, w));
}

Shape CheckSymbol(Vec2 c, float r) {
    float w = r * 0.17f;
    return Union(Capsule({c.x - r * 0.6f, c.y}, {c.x - r * 0.15f, c.y + r * 0.5f}, w),
                 Capsule({c.x - r * 0.15f, c.y + r * 0.5f}, {c.x + r * 0.65f, c.y - r * 0.55f}, w));
}

Shape ArrowSymbol(Vec2 c, float r, float degrees) {
    Shape up = Union(Offset(Polygon({{c.x, c.y - r * 0.75f}, {c.x + r * 0.62f, c.y - r * 0.05f}, {c.x - r * 0.62f, c.y - r * 0.05f}}), r * 0.06f),
                     Rect(c.x - r * 0.22f, c.y - r * 0.2f, c.x + r * 0.22f, c.y + r * 0.7f, r * 0.06f));
    return RotateAbout(up, c, degrees);
}

Shape SpeakerSymbol(Vec2 c, float r, bool waves) {
    Shape body = Offset(Polygon({{c.x - r * 0.7f, c.y - r * 0.25f}, {c.x - r * 0.35f, c.y - r * 0.25f}, {c.x + r * 0.1f, c.y - r * 0.65f},
                                 {c.x + r * 0.1f, c.y + r * 0.65f}, {c.x - r * 0.35f, c.y + r * 0.25f}, {c.x - r * 0.7f, c.y + r * 0.25f}}),
                        r * 0.04f);
    if (!waves) return body;
    return Union({body, Arc({c.x + r * 0.1f, c.y}, r * 0.38f, r * 0.12f, 50, 130), Arc({c.x + r * 0.1f, c.y}, r * 0.68f, r * 0.12f, 45, 135)});
}

Shape NoteSymbol(Vec2 c, float r) {
    Shape head1 = RotateAbout(Ellipse({c.x - r * 0.45f, c.y + r * 0.5f}, r * 0.26f, r * 0.19f), {c.x - r * 0.45f, c.y + r * 0.5f}, -25);
    Shape head2 = RotateAbout(Ellipse({c.x + r * 0.45f, c.y + r * 0.35f}, r * 0.26f, r * 0.19f), {c.x + r * 0.45f, c.y + r * 0.35f}, -25);
    Shape stem1 = Rect(c.x - r * 0.27f, c.y - r * 0.55f, c.x - r * 0.17f, c.y + r * 0.5f);
    Shape stem2 = Rect(c.x + r * 0.63f, c.y - r * 0.7f, c.x + r * 0.73f, c.y + r * 0.35f);
    Shape beam = Polygon({{c.x - r * 0.27f, c.y - r * 0.55f}, {c.x + r * 0.73f, c.y - r * 0.75f}, {c.x + r * 0.73f, c.y - r * 0.5f}, {c.x - r * 0.27f, c.y - r * 0.3f}});
    return Union({head1, head2, stem1, stem2, beam});
}

Shape HeartSymbol(Vec2 c, float r) {
    float k = r * 0.36f;
    Shape lobes = Union(Circle({c.x - k, c.y - k * 0.45f}, k * 1.05f), Circle({c.x + k, c.y - k * 0.45f}, k * 1.05f));
    Shape point = Polygon({{c.x - k * 1.95f, c.y - k * 0.1f}, {c.x + k * 1.95f, c.y - k * 0.1f}, {c.x, c.y + r * 0.75f}});
    return Union(lobes, Offset(point, r * 0.02f));
}

Shape StarSymbol(Vec2 c, float r) { return Offset(Star(c, 5, r * 0.8f, r * 0.36f), r * 0.05f); }

Shape ExpandSymbol(Vec2 c, float r) {
    std::vector<Shape> parts;
    float k = r * 0.65f, l = r * 0.35f, w = r * 0.11f;
    for (int sx : {-1, 1})
        for (int sy : {-1, 1}) {
            Vec2 corner{c.x + sx * k, c.y + sy * k};
            parts.push_back(Capsule(corner, {corner.x - sx * l, corner.y}, w));
            parts.push_back(Capsule(corner, {corner.x, corner.y - sy * l}, w));
        }
    return Union(parts);
}

Shape TiltSymbol(Vec2 c, float r) {
    Shape tube = Subtract(Rect(c.x - r * 0.8f, c.y - r * 0.3f, c.x + r * 0.8f, c.y + r * 0.3f, r * 0.3f),
                          Rect(c.x - r * 0.62f, c.y - r * 0.14f, c.x + r * 0.62f, c.y + r * 0.14f, r * 0.14f));
    Shape bubble = Circle(c, r * 0.13f);
    Shape marks = Union(Rect(c.x - r * 0.3f, c.y - r * 0.3f, c.x - r * 0.22f, c.y + r * 0.3f),
                        Rect(c.x + r * 0.22f, c.y - r * 0.3f, c.x + r * 0.3f, c.y + r * 0.3f));
    Shape arrows = Union(Arc(c, r * 0.75f, r * 0.1f, 300, 340), Arc(c, r * 0.75f, r * 0.1f, 120, 160));
    return Union({tube, bubble, marks, RotateAbout(arrows, c, 0)});
}

Shape DoorSymbol(Vec2 c, float r) {
    Shape frame = Subtract(Rect(c.x - r * 0.65f, c.y - r * 0.75f, c.x + r * 0.2f, c.y + r * 0.75f, r * 0.08f),
                           Rect(c.x - r * 0.5f, c.y - r * 0.6f, c.x + r * 0.05f, c.y + r * 0.75f));
    Shape arrow = Union(Capsule({c.x - r * 0.2f, c.y}, {c.x + r * 0.6f, c.y}, r * 0.1f),
                        Offset(Polygon({{c.x + r * 0.45f, c.y - r * 0.28f}, {c.x + r * 0.8f, c.y}, {c.x + r * 0.45f, c.y + r * 0.28f}}), r * 0.04f));
    return Union(frame, arrow);
}

Shape GearSymbol(Vec2 c, float r, int teeth) {
    std::vector<Shape> parts{Circle(c, r * 0.72f)};
    for (int i = 0; i < teeth; ++i) {
        float a = 360.0f * i / teeth;
        parts.push_back(RotateAbout(Rect(c.x - r * 0.13f, c.y - r, c.x + r * 0.13f, c.y - r * 0.5f, r * 0.05f), c, a));
    }
    return Subtract(Union(parts), Circle(c, r * 0.3f));
}

Shape TrophySymbol(Vec2 c, float r) {
    Shape cup = Union(Intersect(Circle({c.x, c.y - r * 0.35f}, r * 0.5f), Rect(c.x - r, c.y - r * 0.35f, c.x + r, c.y + r)),
                      Rect(c.x - r * 0.5f, c.y - r * 0.7f, c.x + r * 0.5f, c.y - r * 0.3f));
    Shape handles = Union(Ring({c.x - r * 0.52f, c.y - r * 0.35f}, r * 0.22f, r * 0.1f), Ring({c.x + r * 0.52f, c.y - r * 0.35f}, r * 0.22f, r * 0.1f));
    Shape stem = Rect(c.x - r * 0.08f, c.y + r * 0.1f, c.x + r * 0.08f, c.y + r * 0.5f);
    Shape base = Rect(c.x - r * 0.4f, c.y + r * 0.5f, c.x + r * 0.4f, c.y + r * 0.7f, r * 0.05f);
    return Union({cup, handles, stem, base});
}

Shape LanternSymbol(Vec2 c, float r) {
    Shape body = Rect(c.x - r * 0.38f, c.y - r * 0.35f, c.x + r * 0.38f, c.y + r * 0.5f, r * 0.12f);
    Shape roof = Offset(Polygon({{c.x - r * 0.45f, c.y - r * 0.38f}, {c.x + r * 0.45f, c.y - r * 0.38f}, {c.x, c.y - r * 0.7f}}), r * 0.03f);
    Shape ring = Ring({c.x, c.y - r * 0.78f}, r * 0.12f, r * 0.07f);
    Shape base = Rect(c.x - r * 0.48f, c.y + r * 0.5f, c.x + r * 0.48f, c.y + r * 0.66f, r * 0.05f);
    return Union({body, roof, ring, base});
}

Shape WispSymbol(Vec2 c, float r) {
    Shape head = Circle({c.x, c.y - r * 0.15f}, r * 0.55f);
    Shape skirt = Rect(c.x - r * 0.55f, c.y - r * 0.15f, c.x + r * 0.55f, c.y + r * 0.45f);
    Shape tails = Union({Circle({c.x - r * 0.37f, c.y + r * 0.48f}, r * 0.18f), Circle({c.x, c.y + r * 0.48f}, r * 0.18f),
                         Circle({c.x + r * 0.37f, c.y + r * 0.48f}, r * 0.18f)});
    Shape eyes = Union(Ellipse({c.x - r * 0.2f, c.y - r * 0.15f}, r * 0.11f, r * 0.15f), Ellipse({c.x + r * 0.2f, c.y - r * 0.15f}, r * 0.11f, r * 0.15f));
    return Subtract(Union({head, skirt, tails}), eyes);
}

Shape GemSymbol(Vec2 c, float r) {
    return Polygon({{c.x - r * 0.75f, c.y - r * 0.2f}, {c.x - r * 0.4f, c.y - r * 0.6f}, {c.x + r * 0.4f, c.y - r * 0.6f},
                    {c.x + r * 0.75f, c.y - r * 0.2f}, {c.x, c.y + r * 0.7f}});
}

Shape BoltSymbol(Vec2 c, float r) {
    return Offset(Polygon({{c.x + r * 0.15f, c.y - r * 0.8f}, {c.x - r * 0.45f, c.y + r * 0.1f}, {c.x - r * 0.02f, c.y + r * 0.1f},
                           {c.x - r * 0.2f, c.y + r * 0.8f}, {c.x + r * 0.45f, c.y - r * 0.12f}, {c.x + r * 0.02f, c.y - r * 0.12f}}),
                  r * 0.03f);
}

Shape InfoSymbol(Vec2 c, float r) {
    return Union(Circle({c.x, c.y - r * 0.5f}, r * 0.14f), Rect(c.x - r * 0.12f, c.y - r * 0.2f, c.x + r * 0.12f, c.y + r * 0.65f, r * 0.04f));
}

Shape KeySymbol(Vec2 c, float r) {
    Shape bow = Ring({c.x - r * 0.4f, c.y}, r * 0.26f, r * 0.14f);
    Shape shaft = Rect(c.x - r * 0.15f, c.y - r * 0.07f, c.x + r * 0.75f, c.y + r * 0.07f);
    Shape bits = Union(Rect(c.x + r * 0.45f, c.y, c.x + r * 0.55f, c.y + r * 0.3f), Rect(c.x + r * 0.65f, c.y, c.x + r * 0.75f, c.y + r * 0.25f));
    return Union({bow, shaft, bits});
}

}  // namespace assetgen

#include "catalog/skin_catalog.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vorda::skin {
namespace {

// A skin is drawn from a few choices; the palette follows from them.
struct Design {
    const char* name;
    std::uint32_t accent;  // 0xRRGGBB
    bool dark;
    std::uint8_t radius;
    std::uint8_t gradient;
    const char16_t* font;  // nullptr: the program's fonts stay
    std::int16_t fontHeight;
};

// Skin 2 is the program's: flat, with the cobalt of its sidebar.
constexpr Design kDesigns[kSkinCount] = {
    {"Porcelain", 0x5A6B86, false, 2, 12, nullptr, 0},
    {"Cobalt", 0x335CCB, false, 3, 0, nullptr, 0},
    {"Jade", 0x2E8B6A, false, 3, 10, nullptr, 0},
    {"Amber", 0xC98A1B, false, 2, 14, nullptr, 0},
    {"Graphite", 0x6C8EBF, true, 2, 0, nullptr, 0},
    {"Coral", 0xD9604F, false, 4, 0, nullptr, 0},
    {"Slate", 0x4F6272, false, 0, 8, u"Tahoma", -12},
    {"Plum", 0x7D4E8C, false, 3, 10, nullptr, 0},
    {"Teal", 0x1F8A94, false, 2, 0, nullptr, 0},
    {"Sandstone", 0xA8845A, false, 1, 16, nullptr, 0},
    {"Midnight", 0x4C7DFF, true, 3, 0, nullptr, 0},
    {"Rose", 0xC8557A, false, 5, 0, nullptr, 0},
    {"Forest", 0x3E7B3A, false, 2, 12, nullptr, 0},
    {"Steel", 0x5F7D95, false, 0, 18, u"SimSun", -12},
    {"Lavender", 0x8A78C8, false, 4, 8, nullptr, 0},
    {"Copper", 0xB5653A, false, 2, 10, nullptr, 0},
    {"Ocean", 0x1D6FA5, false, 3, 12, nullptr, 0},
    {"Mint", 0x2F9E7E, false, 4, 0, nullptr, 0},
    {"Ruby", 0xB3243C, false, 2, 8, nullptr, 0},
    {"Charcoal", 0xE0A030, true, 1, 0, nullptr, 0},
    {"Sky", 0x2F8FD0, false, 5, 6, u"Microsoft YaHei", -13},
    {"Olive", 0x7C8A2E, false, 1, 14, nullptr, 0},
    {"Indigo", 0x3F3FA0, false, 3, 0, nullptr, 0},
    {"Peach", 0xD98452, false, 4, 10, nullptr, 0},
    {"Moss", 0x5E7F4E, false, 2, 0, nullptr, 0},
    {"Cherry", 0xD2386C, true, 3, 0, nullptr, 0},
    {"Pearl", 0x808094, false, 3, 20, nullptr, 0},
    {"Denim", 0x3B5B8C, false, 2, 6, u"Tahoma", -12},
    {"Aqua", 0x138FA3, false, 3, 8, nullptr, 0},
    {"Orchid", 0xA6529F, false, 4, 0, nullptr, 0},
    {"Bronze", 0x9C7A3C, false, 1, 18, nullptr, 0},
    {"Obsidian", 0x35B0A0, true, 2, 0, nullptr, 0},
    {"Ink", 0x2B3A55, false, 0, 0, u"Microsoft YaHei", -12},
};

constexpr std::size_t kFileSizes[kSkinCount] = {
    15574, 9533,  19786, 19497, 17699, 41098, 12564, 18930, 13192, 24409, 30738,
    8321,  26370, 15733, 12105, 23603, 20863, 16746, 11676, 17997, 12882, 37461,
    30958, 25715, 34523, 28961, 29447, 15562, 20738, 18765, 31134, 44110, 20275,
};

Rgb rgb(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v)};
}

// a moved toward b by percent.
Rgb mix(Rgb a, Rgb b, int percent) {
    auto m = [percent](int x, int y) {
        return static_cast<std::uint8_t>(x + ((y - x) * percent + 50) / 100);
    };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

// Relative luminance as WCAG defines it, for choosing text colours.
double luminance(Rgb c) {
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.r) + 0.7152 * channel(c.g) + 0.0722 * channel(c.b);
}

double contrast(Rgb a, Rgb b) {
    const double x = luminance(a), y = luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

const Rgb kWhite{255, 255, 255};
const Rgb kBlack{0, 0, 0};
const Rgb kInk{22, 26, 34};

// White or ink, whichever reads better on face.
Rgb textOn(Rgb face) {
    return contrast(kWhite, face) >= contrast(kInk, face) ? kWhite : kInk;
}

void lightPalette(Rgb a, Rgb* c) {
    c[kWindowBg] = mix(kWhite, a, 5);
    c[kWindowText] = mix(kInk, a, 20);
    c[kButtonFace] = mix(kWhite, a, 9);
    c[kButtonFaceHot] = mix(kWhite, a, 19);
    c[kButtonFacePressed] = mix(a, kBlack, 15);
    c[kButtonFaceDisabled] = mix(kWhite, Rgb{200, 200, 204}, 35);
    c[kButtonBorder] = mix(kWhite, a, 45);
    c[kButtonText] = mix(kInk, a, 35);
    c[kButtonTextPressed] = textOn(a);
    c[kButtonTextDisabled] = Rgb{158, 160, 166};
    c[kEditBg] = kWhite;
    c[kEditText] = Rgb{28, 30, 36};
    c[kEditBorder] = mix(kWhite, a, 40);
    c[kEditBorderFocus] = a;
    c[kListBg] = kWhite;
    c[kListText] = Rgb{30, 32, 40};
    c[kHeaderFace] = mix(kWhite, a, 8);
    c[kHeaderFaceHot] = mix(kWhite, a, 17);
    c[kHeaderText] = mix(kInk, a, 45);
    c[kHeaderLine] = mix(kWhite, a, 28);
    c[kAccent] = a;
    c[kCheckFace] = kWhite;
    c[kCheckMark] = textOn(a);
    c[kGroupLine] = mix(kWhite, a, 35);
}

void darkPalette(Rgb a, Rgb* c) {
    const Rgb base = mix(Rgb{30, 32, 38}, a, 6);
    const Rgb light{228, 231, 238};
    c[kWindowBg] = base;
    c[kWindowText] = Rgb{220, 224, 232};
    c[kButtonFace] = mix(mix(base, kWhite, 10), a, 8);
    c[kButtonFaceHot] = mix(c[kButtonFace], a, 25);
    c[kButtonFacePressed] = a;
    c[kButtonFaceDisabled] = mix(base, kWhite, 5);
    c[kButtonBorder] = mix(c[kButtonFace], a, 45);
    c[kButtonText] = light;
    c[kButtonTextPressed] = textOn(a);
    c[kButtonTextDisabled] = Rgb{116, 120, 128};
    c[kEditBg] = mix(base, kBlack, 25);
    c[kEditText] = light;
    c[kEditBorder] = mix(base, a, 35);
    c[kEditBorderFocus] = a;
    c[kListBg] = mix(base, kWhite, 4);
    c[kListText] = Rgb{222, 225, 232};
    c[kHeaderFace] = mix(base, kWhite, 12);
    c[kHeaderFaceHot] = mix(c[kHeaderFace], a, 22);
    c[kHeaderText] = Rgb{208, 212, 222};
    c[kHeaderLine] = mix(base, kWhite, 22);
    c[kAccent] = a;
    c[kCheckFace] = c[kEditBg];
    c[kCheckMark] = c[kButtonTextPressed];
    c[kGroupLine] = mix(base, kWhite, 24);
}

}  // namespace

SkinData skinDesign(int number) {
    const Design& d = kDesigns[std::clamp(number, 1, kSkinCount) - 1];
    SkinData s;
    s.number = static_cast<std::uint16_t>(number);
    std::strncpy(s.name, d.name, kNameLength - 1);
    (d.dark ? darkPalette : lightPalette)(rgb(d.accent), s.colors);
    s.shape = Shape{d.radius, d.gradient, kAccentDefaultButton};
    if (d.font) {
        s.font.present = true;
        s.font.height = d.fontHeight;
        s.font.weight = 400;
        for (std::size_t i = 0; i < kFaceLength - 1 && d.font[i]; ++i) s.font.face[i] = d.font[i];
    }
    return s;
}

std::size_t skinFileSize(int number) {
    return kFileSizes[std::clamp(number, 1, kSkinCount) - 1];
}

}  // namespace vorda::skin

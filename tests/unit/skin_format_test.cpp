// The skin file format and the 33 skins: every skin reads back as designed at
// its fixed size, the skins differ and stay legible, and damaged or foreign
// bytes are refused.
#include "format/skin_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <set>
#include <string>

#include "catalog/skin_catalog.h"
#include "format/skin_writer.h"

namespace vorda::skin {
namespace {

std::string skinFile(int n) {
    return writeSkin(skinDesign(n), skinFileSize(n));
}

bool read(const std::string& bytes, SkinData& out) {
    return readSkin(bytes.data(), bytes.size(), out);
}

bool read(const std::string& bytes) {
    SkinData out;
    return read(bytes, out);
}

void put32(std::string& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
}

// Fixes size and checksum after a test changed the bytes, so only the change
// itself can make the reader refuse them.
std::string reseal(std::string bytes) {
    put32(bytes, 8, static_cast<std::uint32_t>(bytes.size()));
    put32(bytes, kChecksumOffset, skinChecksum(bytes.data(), bytes.size()));
    return bytes;
}

bool sameColors(const SkinData& a, const SkinData& b) {
    for (int i = 0; i < kColorRoleCount; ++i) {
        if (a.colors[i].r != b.colors[i].r || a.colors[i].g != b.colors[i].g ||
            a.colors[i].b != b.colors[i].b)
            return false;
    }
    return true;
}

double contrast(Rgb a, Rgb b) {
    auto lum = [](Rgb c) {
        auto ch = [](int v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * ch(c.r) + 0.7152 * ch(c.g) + 0.0722 * ch(c.b);
    };
    const double x = lum(a), y = lum(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

TEST(SkinCatalog, EverySkinReadsBackAsDesignedAtItsSize) {
    for (int n = 1; n <= kSkinCount; ++n) {
        SCOPED_TRACE(n);
        const std::string bytes = skinFile(n);
        EXPECT_EQ(bytes.size(), skinFileSize(n));
        EXPECT_EQ(bytes.compare(0, 4, ".SHE"), 0);

        SkinData got;
        ASSERT_TRUE(read(bytes, got));
        const SkinData want = skinDesign(n);
        EXPECT_EQ(got.number, n);
        EXPECT_STREQ(got.name, want.name);
        EXPECT_TRUE(sameColors(got, want));
        EXPECT_EQ(got.shape.radius, want.shape.radius);
        EXPECT_EQ(got.shape.gradient, want.shape.gradient);
        EXPECT_EQ(got.shape.flags, want.shape.flags);
        ASSERT_EQ(got.font.present, want.font.present);
        if (want.font.present) {
            EXPECT_EQ(got.font.height, want.font.height);
            EXPECT_EQ(got.font.weight, want.font.weight);
            EXPECT_EQ(std::u16string(got.font.face), std::u16string(want.font.face));
        }
    }
    EXPECT_EQ(skinFileSize(2), 9533u);
}

TEST(SkinCatalog, SkinsAreDistinctAndLegible) {
    std::set<std::string> names;
    for (int n = 1; n <= kSkinCount; ++n) {
        SCOPED_TRACE(n);
        const SkinData s = skinDesign(n);
        EXPECT_TRUE(names.insert(s.name).second) << s.name;
        for (int m = 1; m < n; ++m)
            EXPECT_FALSE(sameColors(s, skinDesign(m))) << "same palette as skin " << m;

        const Rgb* c = s.colors;
        EXPECT_GE(contrast(c[kWindowText], c[kWindowBg]), 7.0);
        EXPECT_GE(contrast(c[kButtonText], c[kButtonFace]), 4.5);
        EXPECT_GE(contrast(c[kButtonText], c[kButtonFaceHot]), 4.5);
        EXPECT_GE(contrast(c[kButtonTextPressed], c[kButtonFacePressed]), 3.0);
        EXPECT_GE(contrast(c[kButtonTextPressed], c[kAccent]), 3.0);
        EXPECT_GE(contrast(c[kEditText], c[kEditBg]), 7.0);
        EXPECT_GE(contrast(c[kListText], c[kListBg]), 7.0);
        EXPECT_GE(contrast(c[kHeaderText], c[kHeaderFace]), 4.5);
        EXPECT_GE(contrast(c[kCheckMark], c[kAccent]), 3.0);
    }
}

TEST(SkinFormat, RefusesDamagedAndForeignBytes) {
    const std::string good = skinFile(2);
    const std::string minimal = writeSkin(skinDesign(2));
    ASSERT_TRUE(read(good));
    ASSERT_TRUE(read(minimal));

    auto flip = [&](std::size_t at) {
        std::string b = good;
        b[at] = static_cast<char>(b[at] ^ 0x10);
        return b;
    };
    // Offsets of the minimal skin's chunks: NAME at the header's end, then PALT.
    const std::size_t name = kHeaderSize;
    const std::size_t nameLength = std::strlen(skinDesign(2).name);
    const std::size_t palette = name + kChunkHeaderSize + nameLength;

    struct Case {
        const char* what;
        std::function<std::string()> bytes;
    };
    const Case cases[] = {
        {"empty", [] { return std::string(); }},
        {"header only", [&] { return good.substr(0, kHeaderSize); }},
        {"one byte short", [&] { return good.substr(0, good.size() - 1); }},
        {"one byte more", [&] { return good + '\0'; }},
        {"wrong magic", [&] { return reseal("XSHE" + good.substr(4)); }},
        {"an executable", [&] { return reseal("MZ\x90\0" + good.substr(4)); }},
        {"another version",
         [&] {
             std::string b = good;
             b[4] = 2;
             return reseal(b);
         }},
        {"size field wrong",
         [&] {
             std::string b = good;
             put32(b, 8, static_cast<std::uint32_t>(b.size() + 1));
             put32(b, kChecksumOffset, skinChecksum(b.data(), b.size()));
             return b;
         }},
        {"flipped magic", [&] { return flip(1); }},
        {"flipped skin number", [&] { return flip(16); }},
        {"flipped palette colour", [&] { return flip(palette + kChunkHeaderSize + 4 + 5); }},
        {"flipped padding", [&] { return flip(good.size() / 2); }},
        {"flipped last byte", [&] { return flip(good.size() - 1); }},
        {"flipped checksum", [&] { return flip(kChecksumOffset + 3); }},
        {"chunk past the end",
         [&] {
             std::string b = minimal;
             put32(b, name + 4, static_cast<std::uint32_t>(b.size()));
             return reseal(b);
         }},
        {"more chunks than there are",
         [&] {
             std::string b = minimal;
             b[18] = static_cast<char>(b[18] + 1);
             return reseal(b);
         }},
        {"bytes after the last chunk", [&] { return reseal(minimal + "tail"); }},
        {"no palette",
         [&] {
             std::string b = minimal;
             std::memcpy(&b[palette], "XXXX", 4);
             return reseal(b);
         }},
        {"palette too short",
         [&] {
             std::string b = minimal;
             put32(b, palette + kChunkHeaderSize, kColorRoleCount - 1);
             return reseal(b);
         }},
        {"palette count past its chunk",
         [&] {
             std::string b = minimal;
             put32(b, palette + kChunkHeaderSize, kColorRoleCount + 1);
             return reseal(b);
         }},
    };
    for (const Case& c : cases) EXPECT_FALSE(read(c.bytes())) << c.what;

    SkinData out;
    EXPECT_FALSE(readSkin(nullptr, good.size(), out));
}

TEST(SkinFormat, SkipsChunksItDoesNotKnow) {
    std::string b = writeSkin(skinDesign(7));
    b += std::string("XTRA\x03\0\0\0abc", 11);
    b[18] = static_cast<char>(b[18] + 1);
    SkinData got;
    ASSERT_TRUE(read(reseal(b), got));
    EXPECT_TRUE(sameColors(got, skinDesign(7)));
    EXPECT_TRUE(got.font.present);
}

TEST(SkinFormat, ChecksumIsStandardCrc32) {
    EXPECT_EQ(crc32("123456789", 9), 0xCBF43926u);
}

}  // namespace
}  // namespace vorda::skin

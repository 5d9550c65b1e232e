#pragma once
// The skin file format, read by the engine and written by the skin generator.
// Reading uses no part of the C++ library, so the engine DLL stays small and
// carries no C++ runtime.
//
// Little-endian layout:
//    0  ".SHE"             magic
//    4  u16 version        1
//    6  u16 header size    24; chunks start there
//    8  u32 file size      the whole file
//   12  u32 checksum       CRC-32 of the file with these four bytes read as zero
//   16  u16 skin number
//   18  u16 chunk count
//   20  u32 reserved       0
//   24  chunks             4-byte tag, u32 data length, data; they end the file
//
// Chunks: "NAME" ASCII name; "PALT" u32 count, then count colours as R, G, B, 0
// in ColorRole order; "SHAP" radius, gradient percent, flags; "FONT" (the skin
// sets a font) i16 height, u16 weight, UTF-16 face name; "FILL" reserved
// bytes. Unknown chunks are skipped, so later versions can add some.
#include <cstddef>
#include <cstdint>

namespace vorda::skin {

inline constexpr std::uint8_t kMagic[4] = {'.', 'S', 'H', 'E'};
inline constexpr std::uint16_t kVersion = 1;
inline constexpr std::size_t kHeaderSize = 24;
inline constexpr std::size_t kChunkHeaderSize = 8;
inline constexpr std::size_t kChecksumOffset = 12;

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};

enum ColorRole {
    kWindowBg,  // default window and dialog background
    kWindowText,
    kButtonFace,
    kButtonFaceHot,
    kButtonFacePressed,
    kButtonFaceDisabled,
    kButtonBorder,
    kButtonText,
    kButtonTextPressed,  // also text on accent faces
    kButtonTextDisabled,
    kEditBg,
    kEditText,
    kEditBorder,
    kEditBorderFocus,
    kListBg,
    kListText,
    kHeaderFace,
    kHeaderFaceHot,
    kHeaderText,
    kHeaderLine,
    kAccent,  // focus, check marks, default buttons
    kCheckFace,
    kCheckMark,
    kGroupLine,
    kColorRoleCount
};

enum ShapeFlag : std::uint8_t {
    kAccentDefaultButton = 1,  // the default push button wears the accent colour
};

struct Shape {
    std::uint8_t radius = 0;    // corner radius of buttons, pixels
    std::uint8_t gradient = 0;  // how much lighter a button's top is, percent
    std::uint8_t flags = 0;
};

inline constexpr std::size_t kFaceLength = 32;  // UTF-16 units with the terminator

struct FontSpec {
    bool present = false;
    std::int16_t height = 0;  // as a LOGFONT height: negative is the character height
    std::uint16_t weight = 400;
    char16_t face[kFaceLength] = {};
};

inline constexpr std::size_t kNameLength = 32;

struct SkinData {
    std::uint16_t number = 0;
    char name[kNameLength] = {};
    Rgb colors[kColorRoleCount] = {};
    Shape shape;
    FontSpec font;
};

std::uint32_t crc32(const void* data, std::size_t size, std::uint32_t crc = 0);

// The checksum a file of these bytes must carry.
std::uint32_t skinChecksum(const void* data, std::size_t size);

// Reads a whole skin. False, with out unspecified, for anything else: a short or
// foreign file, another version, a wrong size or checksum, a chunk running past
// the end, a missing palette or shape.
bool readSkin(const void* data, std::size_t size, SkinData& out);

}  // namespace vorda::skin

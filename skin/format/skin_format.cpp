#include "format/skin_format.h"

namespace vorda::skin {
namespace {

std::uint16_t u16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t u32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool isTag(const std::uint8_t* p, const char* tag) {
    return p[0] == tag[0] && p[1] == tag[1] && p[2] == tag[2] && p[3] == tag[3];
}

}  // namespace

std::uint32_t crc32(const void* data, std::size_t size, std::uint32_t crc) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= p[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::uint32_t skinChecksum(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    if (size < kChecksumOffset + 4) return crc32(p, size);
    static const std::uint8_t zero[4] = {};
    std::uint32_t crc = crc32(p, kChecksumOffset);
    crc = crc32(zero, 4, crc);
    return crc32(p + kChecksumOffset + 4, size - kChecksumOffset - 4, crc);
}

bool readSkin(const void* data, std::size_t size, SkinData& out) {
    if (!data || size < kHeaderSize) return false;
    const auto* p = static_cast<const std::uint8_t*>(data);
    for (int i = 0; i < 4; ++i)
        if (p[i] != kMagic[i]) return false;
    if (u16(p + 4) != kVersion) return false;
    const std::size_t headerSize = u16(p + 6);
    if (headerSize < kHeaderSize || headerSize > size) return false;
    if (u32(p + 8) != size) return false;
    if (u32(p + kChecksumOffset) != skinChecksum(p, size)) return false;

    out = SkinData{};
    out.number = u16(p + 16);
    const unsigned chunks = u16(p + 18);
    bool havePalette = false, haveShape = false;
    std::size_t pos = headerSize;
    for (unsigned i = 0; i < chunks; ++i) {
        if (size - pos < kChunkHeaderSize) return false;
        const std::uint8_t* tag = p + pos;
        const std::size_t length = u32(p + pos + 4);
        pos += kChunkHeaderSize;
        if (length > size - pos) return false;
        const std::uint8_t* d = p + pos;
        if (isTag(tag, "NAME")) {
            std::size_t n = length < kNameLength - 1 ? length : kNameLength - 1;
            for (std::size_t k = 0; k < n; ++k) out.name[k] = static_cast<char>(d[k]);
        } else if (isTag(tag, "PALT")) {
            if (length < 4) return false;
            const std::size_t count = u32(d);
            if (count < kColorRoleCount || count > (length - 4) / 4) return false;
            for (std::size_t k = 0; k < kColorRoleCount; ++k)
                out.colors[k] = Rgb{d[4 + 4 * k], d[5 + 4 * k], d[6 + 4 * k]};
            havePalette = true;
        } else if (isTag(tag, "SHAP")) {
            if (length < 3) return false;
            out.shape = Shape{d[0], d[1], d[2]};
            haveShape = true;
        } else if (isTag(tag, "FONT")) {
            if (length < 6 || (length - 4) % 2 != 0) return false;
            out.font.present = true;
            out.font.height = static_cast<std::int16_t>(u16(d));
            out.font.weight = u16(d + 2);
            std::size_t units = (length - 4) / 2;
            if (units > kFaceLength - 1) units = kFaceLength - 1;
            for (std::size_t k = 0; k < units; ++k)
                out.font.face[k] = static_cast<char16_t>(u16(d + 4 + 2 * k));
        }
        pos += length;
    }
    return pos == size && havePalette && haveShape;
}

}  // namespace vorda::skin

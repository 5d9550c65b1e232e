#include "format/skin_writer.h"

#include <cstring>

namespace vorda::skin {
namespace {

void put16(std::string& out, unsigned v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8 & 0xFF));
}

void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void chunk(std::string& out, const char* tag, const std::string& data) {
    out.append(tag, 4);
    put32(out, static_cast<std::uint32_t>(data.size()));
    out += data;
}

// Every chunk but FILL.
std::string chunks(const SkinData& skin, unsigned& count) {
    std::string out;
    chunk(out, "NAME", std::string(skin.name, strnlen(skin.name, kNameLength)));
    std::string palette;
    put32(palette, kColorRoleCount);
    for (const Rgb& c : skin.colors) {
        palette.push_back(static_cast<char>(c.r));
        palette.push_back(static_cast<char>(c.g));
        palette.push_back(static_cast<char>(c.b));
        palette.push_back('\0');
    }
    chunk(out, "PALT", palette);
    chunk(out, "SHAP",
          std::string{static_cast<char>(skin.shape.radius), static_cast<char>(skin.shape.gradient),
                      static_cast<char>(skin.shape.flags)});
    count = 3;
    if (skin.font.present) {
        std::string font;
        put16(font, static_cast<std::uint16_t>(skin.font.height));
        put16(font, skin.font.weight);
        for (std::size_t i = 0; i < kFaceLength && skin.font.face[i]; ++i) put16(font, skin.font.face[i]);
        chunk(out, "FONT", font);
        ++count;
    }
    return out;
}

}  // namespace

std::size_t minimumSkinSize(const SkinData& skin) {
    unsigned count = 0;
    return kHeaderSize + chunks(skin, count).size();
}

std::string writeSkin(const SkinData& skin, std::size_t fileSize) {
    unsigned count = 0;
    std::string body = chunks(skin, count);
    const std::size_t needed = kHeaderSize + body.size();
    if (fileSize >= needed + kChunkHeaderSize) {
        chunk(body, "FILL", std::string(fileSize - needed - kChunkHeaderSize, '\0'));
        ++count;
    }
    std::string out(kMagic, kMagic + 4);
    put16(out, kVersion);
    put16(out, kHeaderSize);
    put32(out, static_cast<std::uint32_t>(kHeaderSize + body.size()));
    put32(out, 0);
    put16(out, skin.number);
    put16(out, count);
    put32(out, 0);
    out += body;
    const std::uint32_t sum = skinChecksum(out.data(), out.size());
    for (int i = 0; i < 4; ++i) out[kChecksumOffset + i] = static_cast<char>(sum >> (8 * i) & 0xFF);
    return out;
}

}  // namespace vorda::skin

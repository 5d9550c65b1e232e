#include "text/gbk.h"

namespace vorda::text {

namespace {
bool isTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }
}  // namespace

std::size_t charLength(std::string_view s, std::size_t pos) {
    if (pos + 1 < s.size() && isLeadByte(static_cast<unsigned char>(s[pos])) &&
        isTrailByte(static_cast<unsigned char>(s[pos + 1])))
        return 2;
    return 1;
}

std::string_view cutToBytes(std::string_view s, std::size_t maxBytes) {
    if (s.size() <= maxBytes) return s;
    std::size_t pos = 0;
    while (pos < s.size()) {
        std::size_t len = charLength(s, pos);
        if (pos + len > maxBytes) break;
        pos += len;
    }
    return s.substr(0, pos);
}

std::size_t findAtCharStart(std::string_view hay, std::string_view needle) {
    if (needle.empty()) return 0;
    for (std::size_t pos = 0; pos + needle.size() <= hay.size(); pos += charLength(hay, pos)) {
        if (hay.compare(pos, needle.size(), needle) != 0) continue;
        // A needle ending in half a character must not match the whole one.
        std::size_t end = pos;
        while (end < pos + needle.size()) end += charLength(hay, end);
        if (end == pos + needle.size()) return pos;
    }
    return std::string_view::npos;
}

}  // namespace vorda::text

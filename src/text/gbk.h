#pragma once
// The program's text: byte strings in GBK (code page 936). Lengths are bytes,
// comparisons are byte for byte.
#include <cstddef>
#include <string>
#include <string_view>

namespace vorda::text {

// A GBK lead byte starts a double-byte character when a trail byte follows.
inline bool isLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Length in bytes of the character starting at pos (1 or 2). A lead byte at the
// very end, or followed by a byte that cannot trail, counts as one byte.
std::size_t charLength(std::string_view s, std::size_t pos);

// The longest prefix of s of at most maxBytes bytes that does not split a
// double-byte character. An ASCII text keeps exactly its first maxBytes bytes.
std::string_view cutToBytes(std::string_view s, std::size_t maxBytes);

// Position of the first occurrence of needle in hay that begins at a character
// start and ends at one (no double-byte character of hay is split), or npos.
// An empty needle is found at 0.
std::size_t findAtCharStart(std::string_view hay, std::string_view needle);

// Conversions. Bytes that do not convert become U+FFFD (to Unicode) or '?'
// (to GBK); nothing throws.
std::string utf8FromGbk(std::string_view gbk);
std::string gbkFromUtf8(std::string_view utf8);
std::u16string utf16FromGbk(std::string_view gbk);
std::string gbkFromUtf16(std::u16string_view utf16);

}  // namespace vorda::text

// The system's own texts are written in UTF-8 in the sources and used as GBK;
// each site converts once, on first use.
#define GBK(utf8Literal)                                                                   \
    ([]() -> const std::string& {                                                          \
        static const std::string converted = ::vorda::text::gbkFromUtf8(utf8Literal);       \
        return converted;                                                                  \
    }())

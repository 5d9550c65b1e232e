// Native conversions through iconv; the Windows build uses convert_win32.cpp.
#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "text/gbk.h"

namespace vorda::text {

namespace {

// Converts in one pass; on an unconvertible input sequence writes `replacement`
// and skips `skip(in)` bytes of input.
template <typename Skip>
std::string convert(const char* to, const char* from, std::string_view in, std::string_view replacement,
                    Skip skip) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
    std::string out;
    out.resize(in.size() * 4 + 16);
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        if (r != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            std::size_t used = static_cast<std::size_t>(outPtr - out.data());
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = out.size() - used;
            continue;
        }
        // EILSEQ or EINVAL: replace the offending sequence and go on.
        std::size_t n = skip(std::string_view(inPtr, inLeft));
        if (outLeft < replacement.size()) {
            std::size_t used = static_cast<std::size_t>(outPtr - out.data());
            out.resize(out.size() * 2 + replacement.size());
            outPtr = out.data() + used;
            outLeft = out.size() - used;
        }
        std::memcpy(outPtr, replacement.data(), replacement.size());
        outPtr += replacement.size();
        outLeft -= replacement.size();
        inPtr += n;
        inLeft -= n;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(static_cast<std::size_t>(outPtr - out.data()));
    iconv_close(cd);
    return out;
}

std::size_t skipGbk(std::string_view rest) { return charLength(rest, 0); }

std::size_t skipUtf8(std::string_view rest) {
    // Skip one lead byte and its continuation bytes.
    std::size_t n = 1;
    while (n < rest.size() && n < 4 && (static_cast<unsigned char>(rest[n]) & 0xC0) == 0x80) ++n;
    return n;
}

constexpr char kGbk[] = "CP936";
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

}  // namespace

std::string utf8FromGbk(std::string_view gbk) { return convert("UTF-8", kGbk, gbk, kReplacementUtf8, skipGbk); }

std::string gbkFromUtf8(std::string_view utf8) { return convert(kGbk, "UTF-8", utf8, "?", skipUtf8); }

std::u16string utf16FromGbk(std::string_view gbk) {
    std::string bytes = convert("UTF-16LE", kGbk, gbk, std::string_view("\xFD\xFF", 2), skipGbk);
    std::u16string out(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return out;
}

std::string gbkFromUtf16(std::u16string_view utf16) {
    std::string bytes;
    bytes.reserve(utf16.size() * 2);
    for (char16_t c : utf16) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return convert(kGbk, "UTF-16LE", bytes, "?", [](std::string_view rest) {
        // Skip one UTF-16 unit, or a surrogate pair.
        if (rest.size() >= 4) {
            unsigned hi = static_cast<unsigned char>(rest[1]);
            if (hi >= 0xD8 && hi <= 0xDB) return std::size_t{4};
        }
        return std::size_t{2} <= rest.size() ? std::size_t{2} : rest.size();
    });
}

}  // namespace vorda::text

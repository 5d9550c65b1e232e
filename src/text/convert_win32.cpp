// Conversions through the Win32 API, exact for code page 936 whatever the locale.
#include <windows.h>

#include "text/gbk.h"

namespace vorda::text {

namespace {
constexpr UINT kGbk = 936;

std::u16string toUtf16(UINT codePage, std::string_view in) {
    if (in.empty()) return {};
    int n = MultiByteToWideChar(codePage, 0, in.data(), static_cast<int>(in.size()), nullptr, 0);
    std::u16string out(static_cast<std::size_t>(n > 0 ? n : 0), u'\0');
    if (n > 0)
        MultiByteToWideChar(codePage, 0, in.data(), static_cast<int>(in.size()),
                            reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
}

std::string fromUtf16(UINT codePage, std::u16string_view in) {
    if (in.empty()) return {};
    auto* w = reinterpret_cast<const wchar_t*>(in.data());
    int n = WideCharToMultiByte(codePage, 0, w, static_cast<int>(in.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(codePage, 0, w, static_cast<int>(in.size()), out.data(), n, nullptr, nullptr);
    return out;
}
}  // namespace

std::u16string utf16FromGbk(std::string_view gbk) { return toUtf16(kGbk, gbk); }
std::string gbkFromUtf16(std::u16string_view utf16) { return fromUtf16(kGbk, utf16); }
std::string utf8FromGbk(std::string_view gbk) { return fromUtf16(CP_UTF8, toUtf16(kGbk, gbk)); }
std::string gbkFromUtf8(std::string_view utf8) { return fromUtf16(kGbk, toUtf16(CP_UTF8, utf8)); }

}  // namespace vorda::text

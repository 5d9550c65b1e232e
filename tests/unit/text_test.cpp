#include <gtest/gtest.h>

#include "text/gbk.h"

namespace vorda::text {
namespace {

// 中 is D6 D0, 文 is CE C4 in GBK.
const std::string kZhong = "\xD6\xD0";
const std::string kWen = "\xCE\xC4";

TEST(Text, ConvertsBothWays) {
    EXPECT_EQ(gbkFromUtf8("中文abc"), kZhong + kWen + "abc");
    EXPECT_EQ(utf8FromGbk(kZhong + kWen + "abc"), "中文abc");
    EXPECT_EQ(utf16FromGbk(kZhong + "a"), u"中a");
    EXPECT_EQ(gbkFromUtf16(u"中a"), kZhong + "a");
    EXPECT_EQ(GBK("名1"), "\xC3\xFB" "1");
    EXPECT_EQ(gbkFromUtf8(""), "");
}

TEST(Text, InvalidBytesDoNotStopConversion) {
    std::string u = utf8FromGbk(std::string("a\xFF" "b", 3));
    EXPECT_EQ(u.front(), 'a');
    EXPECT_EQ(u.back(), 'b');
    std::string g = gbkFromUtf8(std::string("a\xC3" "b", 3));
    EXPECT_EQ(g.front(), 'a');
    EXPECT_EQ(g.back(), 'b');
}

struct CutCase {
    std::string in;
    std::size_t max;
    std::string want;
};

TEST(Text, CutNeverSplitsADoubleByteCharacter) {
    const std::string a100(100, 'a');
    const CutCase cases[] = {
        {std::string(150, 'x'), 100, std::string(100, 'x')},
        {"abc", 100, "abc"},
        {"", 5, ""},
        {"a" + kZhong, 2, "a"},
        {"a" + kZhong, 3, "a" + kZhong},
        {kZhong + kWen, 3, kZhong},
        {std::string(99, 'a') + kZhong, 100, std::string(99, 'a')},
        {a100 + kZhong, 100, a100},
        // A lone lead byte at the end counts as one byte.
        {"ab\xD6", 3, "ab\xD6"},
    };
    for (const auto& c : cases) EXPECT_EQ(cutToBytes(c.in, c.max), c.want) << c.in;
}

TEST(Text, FindsOnlyAtCharacterStarts) {
    // D6 D0 D6 D0: searching D0 D6 would match across the two characters.
    const std::string twice = kZhong + kZhong;
    EXPECT_EQ(findAtCharStart(twice, "\xD0\xD6"), std::string::npos);
    EXPECT_EQ(findAtCharStart(twice, kZhong), 0u);
    EXPECT_EQ(findAtCharStart("x" + kZhong, kZhong), 1u);
    // The trail byte of a character may look like ASCII: 0x40 '@'.
    EXPECT_EQ(findAtCharStart("\x81\x40", "@"), std::string::npos);
    EXPECT_EQ(findAtCharStart("cab", "ab"), 1u);
    EXPECT_EQ(findAtCharStart("Abc", "ab"), std::string::npos);
    EXPECT_EQ(findAtCharStart("a", "ab"), std::string::npos);
    // A needle ending in a lone lead byte would match half of a character.
    EXPECT_EQ(findAtCharStart(kZhong, kZhong.substr(0, 1)), std::string::npos);
    EXPECT_EQ(findAtCharStart("a" + kZhong, "a" + kZhong.substr(0, 1)), std::string::npos);
}

}  // namespace
}  // namespace vorda::text

// Damaged, tampered, foreign and mismatched files: open refuses them, never
// crashes and never changes the file. The payload parser is also fed hostile
// plain payloads, as a file sealed with the (built-in) password could carry.
#include <gtest/gtest.h>

#include <cstring>

#include "storage/record_store.h"
#include "storage/store_format.h"
#include "support/run_directory.h"
#include "support/store_contents.h"
#include "text/gbk.h"

namespace vorda::storage {
namespace {

using testing::Rows;

class DamagedStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testing::writeStore(path, fields, {{"one", GBK("二")}, {"", "x"}}, "pw"));
        good = *dir.fs().get(path);
    }
    // Opens bytes as the store file with and without the password; both must
    // fail and leave the bytes as they were.
    void expectRefused(const std::string& bytes, const std::string& what) {
        dir.fs().put(path, bytes);
        for (const auto& password : {std::optional<std::string>("pw"), std::optional<std::string>()}) {
            const bool opened = RecordStore::open(path, password);
            EXPECT_FALSE(opened) << what;
            if (opened) RecordStore::abandonAll();
            EXPECT_EQ(RecordStore::recordCount(), 0) << what;
        }
        EXPECT_EQ(*dir.fs().get(path), bytes) << what;
        EXPECT_FALSE(dir.fs().exists(path + ".tmp")) << what;
    }

    testing::MemoryRunDirectory dir;
    const std::string path = dir.file("d.edb");
    const std::vector<FieldDefinition> fields = testing::textFields({"a", "b"});
    std::string good;
};

TEST_F(DamagedStoreTest, TheIntactFileOpens) {
    EXPECT_EQ(testing::readStore(path, fields, "pw"), (Rows{{"one", GBK("二")}, {"", "x"}}));
}

TEST_F(DamagedStoreTest, EveryTruncationIsRefused) {
    for (std::size_t length = 0; length < good.size(); ++length)
        expectRefused(good.substr(0, length), "truncated to " + std::to_string(length));
}

TEST_F(DamagedStoreTest, AnAppendedByteIsRefused) {
    expectRefused(good + '\0', "one byte appended");
}

TEST_F(DamagedStoreTest, EveryFlippedByteIsRefused) {
    for (std::size_t pos = 0; pos < good.size(); ++pos) {
        for (unsigned char mask : {0x01, 0x80, 0xFF}) {
            std::string bytes = good;
            bytes[pos] = static_cast<char>(bytes[pos] ^ mask);
            expectRefused(bytes, "byte " + std::to_string(pos) + " ^ " + std::to_string(mask));
        }
    }
}

TEST_F(DamagedStoreTest, ForeignAndEmptyFilesAreRefused) {
    expectRefused("", "empty");
    expectRefused(std::string(200, '\0'), "zeros");
    expectRefused("name\tpassword\r\nmail\tsecret\r\n", "a text file");
    std::string header = good.substr(0, format::kHeaderSize);
    expectRefused(header + std::string(format::kTagSize, '\0'), "header and a zero tag");
    // A valid header of another file spliced onto this body.
    ASSERT_TRUE(testing::writeStore(dir.file("other.edb"), fields, {{"one", GBK("二")}, {"", "x"}}, "pw"));
    expectRefused(dir.fs().get(dir.file("other.edb"))->substr(0, format::kHeaderSize) +
                      good.substr(format::kHeaderSize),
                  "spliced header");
}

TEST_F(DamagedStoreTest, MissingFileAndDirectoryAreRefused) {
    EXPECT_FALSE(RecordStore::open(dir.file("missing.edb")));
    EXPECT_FALSE(RecordStore::open(""));
    EXPECT_FALSE(dir.fs().exists(dir.file("missing.edb")));
}

// Hostile payloads straight into the parser.
class PayloadParserTest : public ::testing::Test {
protected:
    static std::string payloadOf(const format::StoreContent& content) {
        std::string out(format::payloadSize(content), '\0');
        format::writePayload(content, out.data());
        return out;
    }
    static bool parses(std::string bytes) {
        format::StoreContent parsed;
        return format::parsePayload(bytes.data(), bytes.size(), parsed);
    }
    // Two fields "a" (max 100), "b" (max 3); two records ("x","yz") and ("","").
    format::StoreContent sample() {
        format::StoreContent c;
        c.fields = {{"a", FieldKind::Text, 100}, {"b", FieldKind::Text, 3}};
        c.deleted = {0, 1};
        c.cells = {{x, 1}, {yz, 2}, {}, {}};
        return c;
    }
    char x[1] = {'x'};
    char yz[2] = {'y', 'z'};
};

TEST_F(PayloadParserTest, RoundTrips) {
    std::string bytes = payloadOf(sample());
    format::StoreContent parsed;
    ASSERT_TRUE(format::parsePayload(bytes.data(), bytes.size(), parsed));
    ASSERT_EQ(parsed.fields.size(), 2u);
    EXPECT_EQ(parsed.fields[1].name, "b");
    EXPECT_EQ(parsed.fields[1].maxLength, 3);
    EXPECT_EQ(parsed.deleted, (std::vector<std::uint8_t>{0, 1}));
    ASSERT_EQ(parsed.cells.size(), 4u);
    EXPECT_EQ(parsed.cells[0].view(), "x");
    EXPECT_EQ(parsed.cells[1].view(), "yz");
    EXPECT_EQ(parsed.cells[3].view(), "");
}

TEST_F(PayloadParserTest, RefusesMalformedPayloads) {
    const std::string good = payloadOf(sample());
    // Offsets in the sample: field count 0; "a" at 2 (length, name, kind, max
    // length); "b" at 7; record count at 12; flags at 16; lengths at 18; texts
    // at 26.
    struct Case {
        const char* what;
        std::size_t offset;
        std::string bytes;
    };
    const Case cases[] = {
        {"no fields", 0, std::string("\0\0", 2)},
        {"257 fields", 0, std::string("\x01\x01", 2)},
        {"field count beyond the data", 0, std::string("\x03\x00", 2)},
        {"empty name", 2, std::string("\x00", 1)},
        {"name longer than 16 bytes", 2, "\x11"},
        {"name with a leading digit", 3, "1"},
        {"duplicate name ignoring case", 8, "A"},
        {"unknown kind", 4, "\x02"},
        {"max length 0", 5, std::string("\x00\x00", 2)},
        {"max length 1025", 5, std::string("\x01\x04", 2)},
        {"huge record count", 12, "\xFF\xFF\xFF\xFF"},
        {"one record too many", 12, std::string("\x03\x00\x00\x00", 4)},
        {"unknown record flag", 16, "\x02"},
        {"text longer than its field", 10, std::string("\x01\x00", 2)},
        {"lengths beyond the texts", 18, std::string("\x02\x00", 2)},
        {"lengths short of the texts", 18, std::string("\x00\x00", 2)},
        {"zero byte in a text", 26, std::string("\0", 1)},
    };
    ASSERT_TRUE(parses(good));
    for (const Case& c : cases) {
        std::string bytes = good;
        ASSERT_LE(c.offset + c.bytes.size(), bytes.size()) << c.what;
        bytes.replace(c.offset, c.bytes.size(), c.bytes);
        EXPECT_FALSE(parses(bytes)) << c.what;
    }
    EXPECT_FALSE(parses(good + "!")) << "trailing byte";
    for (std::size_t length = 0; length < good.size(); ++length)
        EXPECT_FALSE(parses(good.substr(0, length))) << "truncated to " << length;
}

}  // namespace
}  // namespace vorda::storage

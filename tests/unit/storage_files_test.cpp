// The two store files: schema, access password, header record, first start.
#include <gtest/gtest.h>

#include <climits>

#include "platform/filesystem.h"
#include "storage/record_store.h"
#include "storage/store_files.h"
#include "support/run_directory.h"
#include "support/store_contents.h"
#include "text/gbk.h"

namespace vorda::storage {
namespace {

using testing::Rows;

// What LoginWindow's creation does with missing files.
void firstStart() {
    if (!platform::fileSystem().exists(runDirectory() + "\\" + kDataFile)) createDataStore();
    if (!platform::fileSystem().exists(runDirectory() + "\\" + kDataExFile)) createDataExStoreWithHeader();
}

Rows storeRows(const char* fileName, int fieldCount) {
    EXPECT_TRUE(openStore(fileName)) << fileName;
    std::vector<FieldDefinition> fields = fieldCount == kDataFieldCount ? dataSchema() : dataExSchema();
    Rows rows = testing::currentRows(fields);
    RecordStore::close();
    return rows;
}

TEST(StoreFiles, FieldNamesAreMingAndADigitInGbk) {
    EXPECT_EQ(fieldName(1),
              "\xC3\xFB"
              "1");
    EXPECT_EQ(fieldName(7),
              "\xC3\xFB"
              "7");
    EXPECT_EQ(accessPassword(), "kvpLZN&708!tb");
    ASSERT_EQ(dataSchema().size(), 7u);
    ASSERT_EQ(dataExSchema().size(), 6u);
    for (const auto& f : dataSchema()) {
        EXPECT_EQ(f.kind, FieldKind::Text);
        EXPECT_EQ(f.maxLength, 100);
    }
}

TEST(StoreFiles, FirstStartCreatesBothFilesOnDisk) {
    testing::TempRunDirectory dir;
    firstStart();
    EXPECT_TRUE(storeRows(kDataFile, kDataFieldCount).empty());
    EXPECT_EQ(storeRows(kDataExFile, kDataExFieldCount), (Rows{{GBK("密码库2"), "1", "", "", "", ""}}));
    // Both need the access password.
    EXPECT_FALSE(RecordStore::open(dir.file(kDataFile)));
    EXPECT_FALSE(RecordStore::open(dir.file(kDataExFile)));
}

TEST(StoreFiles, AMissingDataExIsRecreatedAndDataIsLeftAlone) {
    testing::MemoryRunDirectory dir;
    firstStart();
    ASSERT_TRUE(openStore(kDataFile));
    ASSERT_TRUE(RecordStore::addBlank());
    ASSERT_TRUE(RecordStore::write(fieldName(1), "user"));
    ASSERT_TRUE(RecordStore::addBlank());
    ASSERT_TRUE(RecordStore::write(fieldName(1), "entry"));
    ASSERT_TRUE(RecordStore::close());
    ASSERT_TRUE(openStore(kDataExFile));
    ASSERT_TRUE(RecordStore::write(fieldName(2), "0"));
    ASSERT_TRUE(RecordStore::addBlank());
    ASSERT_TRUE(RecordStore::close());
    const std::string dataBytes = *dir.fs().get(dir.file(kDataFile));

    ASSERT_TRUE(dir.fs().remove(dir.file(kDataExFile)));
    firstStart();
    EXPECT_EQ(*dir.fs().get(dir.file(kDataFile)), dataBytes);
    const Rows dataEx = storeRows(kDataExFile, kDataExFieldCount);
    ASSERT_EQ(dataEx.size(), 1u);
    EXPECT_EQ(leadingInteger(dataEx[0][1]), 1);
}

TEST(StoreFiles, CreationReportsAFailure) {
    testing::MemoryRunDirectory dir;
    // A read-only file in the way cannot be replaced.
    dir.fs().put(dir.file(kDataFile), "old");
    ASSERT_TRUE(dir.fs().setAttributes(dir.file(kDataFile), platform::kAttrReadOnly));
    EXPECT_FALSE(createDataStore());
    EXPECT_EQ(*dir.fs().get(dir.file(kDataFile)), "old");
    EXPECT_FALSE(writeDataExHeader());  // no dataex.edb to open
    EXPECT_TRUE(createDataExStore());
    EXPECT_TRUE(writeDataExHeader());
}

TEST(StoreFiles, LongTextsAreCutToTheirFirstHundredBytes) {
    testing::MemoryRunDirectory dir;
    ASSERT_TRUE(createDataStore());
    ASSERT_TRUE(openStore(kDataFile));
    ASSERT_TRUE(RecordStore::addBlank());
    // A marked user name keeps at most 97 bytes of the name.
    ASSERT_TRUE(RecordStore::write(fieldName(1), "*1*" + std::string(120, 'n')));
    ASSERT_TRUE(RecordStore::write(fieldName(6), GBK("中") + std::string(150, 'e')));
    ASSERT_TRUE(RecordStore::close());
    const Rows rows = storeRows(kDataFile, kDataFieldCount);
    EXPECT_EQ(rows[0][0], "*1*" + std::string(97, 'n'));
    EXPECT_EQ(rows[0][5], GBK("中") + std::string(98, 'e'));
}

TEST(StoreFiles, LeadingIntegerReadsLikeAtoi) {
    struct Case {
        std::string text;
        int value;
    };
    const Case cases[] = {
        {"1", 1},
        {"0", 0},
        {"2", 2},
        {"", 0},
        {"abc", 0},
        {"1x", 1},
        {"  7", 7},
        {"\t-3", -3},
        {"+4", 4},
        {"- 4", 0},
        {"x1", 0},
        {"007", 7},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"99999999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-99999999999999999999999", INT_MIN},
        {GBK("一"), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(leadingInteger(c.text), c.value) << c.text;
}

}  // namespace
}  // namespace vorda::storage

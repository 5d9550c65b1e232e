// Commits under failure and crashes: every file step of a handler is made to
// fail, or the world stops at it; the store then holds the old or the new
// content and nothing else, and a failed commit says so.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "platform/filesystem.h"
#include "storage/record_store.h"
#include "storage/store_tuning.h"
#include "support/faulty_filesystem.h"
#include "support/run_directory.h"
#include "support/store_contents.h"
#include "text/gbk.h"

namespace vorda::storage {
namespace {

using testing::Rows;

class CommitTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A failing tryLock is retried for a while; here once is enough.
        setLockWait(std::chrono::milliseconds(0));
        ASSERT_TRUE(testing::writeStore(path, fields, oldRows, password));
        oldBytes = *dir.fs().get(path);
    }

    // A typical handler: open, change several records, close.
    // Returns {opened, closed}.
    std::pair<bool, bool> editHandler() {
        if (!RecordStore::open(path, password)) return {false, false};
        RecordStore::write("a", "new1");
        RecordStore::skip();
        RecordStore::deleteCurrent();
        RecordStore::purgeDeleted();
        RecordStore::addBlank();
        RecordStore::write("a", GBK("新的"));
        RecordStore::write("b", std::string(300, 'z'));
        return {true, RecordStore::close()};
    }

    // Puts the store back as SetUp left it, with no stray temp file.
    void restore() {
        RecordStore::abandonAll();
        platform::setFileSystem(&dir.fs());
        dir.fs().put(path, oldBytes);
        dir.fs().remove(path + ".tmp");
    }

    int stepsOfACleanRun() {
        restore();
        testing::FaultyFileSystem counting(dir.fs());
        platform::setFileSystem(&counting);
        const auto [opened, closed] = editHandler();
        EXPECT_TRUE(opened && closed);
        const int steps = counting.steps();
        restore();
        return steps;
    }

    // After a "restart": the file holds the old or the new rows.
    Rows contentAfterRestart() {
        RecordStore::abandonAll();
        platform::setFileSystem(&dir.fs());
        auto rows = testing::readStore(path, fields, password);
        return rows.value_or(Rows{{"(does not open)"}});
    }

    testing::MemoryRunDirectory dir;
    const std::string path = dir.file("c.edb");
    const std::optional<std::string> password = std::string("pw");
    const std::vector<FieldDefinition> fields = testing::textFields({"a", "b"});
    const Rows oldRows = {{"old1", "x"}, {"old2", "y"}, {"old3", "z"}};
    const Rows newRows = {{"new1", "x"}, {"old3", "z"}, {GBK("新的"), std::string(100, 'z')}};
    std::string oldBytes;
};

TEST_F(CommitTest, ACleanRunWritesTheNewContent) {
    const auto [opened, closed] = editHandler();
    EXPECT_TRUE(opened && closed);
    EXPECT_EQ(contentAfterRestart(), newRows);
}

TEST_F(CommitTest, ACrashAtAnyStepLeavesTheOldOrTheNewContent) {
    const int steps = stepsOfACleanRun();
    ASSERT_GE(steps, 4);  // lock, read, write temp, replace at least
    for (int n = 1; n <= steps + 1; ++n) {
        SCOPED_TRACE("crash at step " + std::to_string(n));
        restore();
        testing::FaultyFileSystem faulty(dir.fs());
        platform::setFileSystem(&faulty);
        faulty.crashAtStep(n);
        const auto [opened, closed] = editHandler();
        if (n <= steps) {
            EXPECT_FALSE(opened && closed) << "a commit cut short must not report success";
        }
        const Rows content = contentAfterRestart();
        EXPECT_TRUE(content == oldRows || content == newRows);
        if (n > steps) {
            EXPECT_EQ(content, newRows);
        }
        // A torn temp file from the crash does not stand in the way of the next run.
        RecordStore::abandonAll();
        dir.fs().put(path, oldBytes);
        const auto [againOpened, againClosed] = editHandler();
        EXPECT_TRUE(againOpened && againClosed);
        EXPECT_EQ(contentAfterRestart(), newRows);
    }
}

TEST_F(CommitTest, AFailedStepIsReportedAndLeavesTheOldFile) {
    const int steps = stepsOfACleanRun();
    for (int n = 1; n <= steps; ++n) {
        SCOPED_TRACE("failing step " + std::to_string(n));
        restore();
        testing::FaultyFileSystem faulty(dir.fs());
        platform::setFileSystem(&faulty);
        faulty.failStep(n);
        const auto [opened, closed] = editHandler();
        EXPECT_FALSE(opened && closed);
        EXPECT_EQ(RecordStore::recordCount(), 0) << "closed either way";
        EXPECT_EQ(*dir.fs().get(path), oldBytes);
        EXPECT_FALSE(dir.fs().exists(path + ".tmp"));
        EXPECT_FALSE(dir.fs().isLocked(path + ".lock"));
        EXPECT_EQ(contentAfterRestart(), oldRows);
    }
}

TEST_F(CommitTest, ACreateCutShortLeavesTheOldFileOrAnEmptyStore) {
    testing::FaultyFileSystem counting(dir.fs());
    platform::setFileSystem(&counting);
    ASSERT_TRUE(RecordStore::create(path, fields));
    const int steps = counting.steps();
    for (int n = 1; n <= steps; ++n) {
        SCOPED_TRACE("crash at step " + std::to_string(n));
        restore();
        testing::FaultyFileSystem faulty(dir.fs());
        platform::setFileSystem(&faulty);
        faulty.crashAtStep(n);
        EXPECT_FALSE(RecordStore::create(path, fields));
        const Rows content = contentAfterRestart();
        EXPECT_TRUE(content == oldRows || content.empty());
    }
}

TEST_F(CommitTest, AReadOnlyStoreFileFailsTheCommitAndStaysAsItWas) {
    ASSERT_TRUE(RecordStore::open(path, password));
    ASSERT_TRUE(RecordStore::write("a", "changed"));
    ASSERT_TRUE(dir.fs().setAttributes(path, platform::kAttrReadOnly));
    EXPECT_FALSE(RecordStore::close());
    EXPECT_EQ(*dir.fs().get(path), oldBytes);
    EXPECT_FALSE(dir.fs().exists(path + ".tmp"));
}

TEST(CommitRealFiles, ACommitThatCannotReplaceReportsFailureAndCleansUp) {
    testing::TempRunDirectory dir;
    // The store's name is taken by a directory: the temp file is written, the
    // swap fails.
    std::filesystem::create_directory(dir.nativePath() / "taken.edb");
    const std::string path = dir.file("taken.edb");
    EXPECT_FALSE(RecordStore::create(path, testing::textFields({"a"})));
    EXPECT_FALSE(platform::fileSystem().exists(path + ".tmp"));
    EXPECT_FALSE(RecordStore::open(path));
}

TEST(CommitRealFiles, ACreateInAMissingDirectoryFails) {
    testing::TempRunDirectory dir;
    setLockWait(std::chrono::milliseconds(0));  // not even the lock file can be made
    EXPECT_FALSE(RecordStore::create(dir.file("no\\such\\s.edb"), testing::textFields({"a"})));
}

}  // namespace
}  // namespace vorda::storage

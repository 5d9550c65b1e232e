// The record store's operations, results and state rules, on the memory file
// system unless a case needs real files.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/filesystem.h"
#include "storage/record_store.h"
#include "storage/store_crypto.h"
#include "storage/store_format.h"
#include "storage/store_tuning.h"
#include "support/faulty_filesystem.h"
#include "support/run_directory.h"
#include "support/store_contents.h"
#include "text/gbk.h"

namespace vorda::storage {
namespace {

using testing::MemoryRunDirectory;
using testing::Row;
using testing::Rows;

// 中 is D6 D0 in GBK.
const std::string kZhong = "\xD6\xD0";

class RecordStoreTest : public ::testing::Test {
protected:
    // A store "s.edb" with fields "a" (maxLength 100) and "b" (maxLength 4),
    // records whose "a" holds "r1", "r2", ...
    std::string makeStore(int records) {
        const std::string path = dir.file("s.edb");
        Rows rows;
        for (int i = 1; i <= records; ++i) rows.push_back({"r" + std::to_string(i), ""});
        EXPECT_TRUE(testing::writeStore(path, fields, rows));
        return path;
    }
    // Where the cursor stands: "r<n>" on record n, "" on the end position.
    static std::string position() { return RecordStore::read("a"); }

    MemoryRunDirectory dir;
    std::vector<FieldDefinition> fields = {{"a", FieldKind::Text, 100}, {"b", FieldKind::Text, 4}};
};

TEST_F(RecordStoreTest, OpenStartsOnRecordOneOrTheEndOfAnEmptyStore) {
    ASSERT_TRUE(RecordStore::open(makeStore(3)));
    EXPECT_EQ(RecordStore::recordCount(), 3);
    EXPECT_EQ(position(), "r1");
    RecordStore::close();

    ASSERT_TRUE(RecordStore::open(makeStore(0)));
    EXPECT_EQ(RecordStore::recordCount(), 0);
    EXPECT_EQ(position(), "");
    EXPECT_FALSE(RecordStore::write("a", "x"));
}

TEST_F(RecordStoreTest, SkipMovesForwardAndStopsAtTheEnd) {
    struct Case {
        int records;
        int skipsBefore;  // plain skips to reach the start position
        int count;
        bool result;
        std::string after;
    };
    const Case cases[] = {
        {3, 0, 1, true, "r2"},   {3, 0, 2, true, "r3"},
        {3, 2, 1, true, ""},     // from the last record onto the end position
        {3, 0, 10, true, ""},    // stops at the end
        {3, 3, 1, false, ""},    // from the end position: no move
        {0, 0, 1, false, ""},    // empty store
        {3, 1, 0, false, "r2"},  // nothing to move by
        {3, 1, -1, false, "r2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.records << " records, " << c.skipsBefore << " skips, skip(" << c.count << ")");
        ASSERT_TRUE(RecordStore::open(makeStore(c.records)));
        for (int i = 0; i < c.skipsBefore; ++i) ASSERT_TRUE(RecordStore::skip());
        EXPECT_EQ(RecordStore::skip(c.count), c.result);
        EXPECT_EQ(position(), c.after);
        RecordStore::close();
    }
}

TEST_F(RecordStoreTest, EndPositionReadsEmptyAndRefusesChanges) {
    ASSERT_TRUE(RecordStore::open(makeStore(2)));
    ASSERT_TRUE(RecordStore::skip(2));
    EXPECT_EQ(RecordStore::read("a"), "");
    EXPECT_FALSE(RecordStore::write("a", "x"));
    EXPECT_FALSE(RecordStore::deleteCurrent());
    EXPECT_FALSE(RecordStore::skip());
    RecordStore::first();
    EXPECT_EQ(position(), "r1");
}

TEST_F(RecordStoreTest, AddBlankAppendsAnEmptyRecordAndMovesOntoIt) {
    ASSERT_TRUE(RecordStore::open(makeStore(2)));
    ASSERT_TRUE(RecordStore::addBlank());
    EXPECT_EQ(RecordStore::recordCount(), 3);
    EXPECT_EQ(position(), "");
    ASSERT_TRUE(RecordStore::write("a", "r3"));
    EXPECT_TRUE(RecordStore::skip());
    EXPECT_EQ(position(), "");
    EXPECT_TRUE(RecordStore::close());
    EXPECT_EQ(testing::readStore(dir.file("s.edb"), fields), (Rows{{"r1", ""}, {"r2", ""}, {"r3", ""}}));
}

TEST_F(RecordStoreTest, WriteCutsAtTheFieldLengthWithoutSplittingACharacter) {
    struct Case {
        const char* field;  // "a" holds 100 bytes, "b" 4
        std::string text;
        std::string stored;
    };
    const Case cases[] = {
        {"a", std::string(150, 'x'), std::string(100, 'x')},
        {"a", std::string(100, 'x'), std::string(100, 'x')},
        {"a", std::string(99, 'x') + kZhong, std::string(99, 'x')},
        {"a", std::string(98, 'x') + kZhong + "y", std::string(98, 'x') + kZhong},
        {"b", "abc" + kZhong, "abc"},
        {"b", kZhong + kZhong + kZhong, kZhong + kZhong},
        {"b", "a" + kZhong + "b", "a" + kZhong + "b"},
        {"a", std::string("ab\0cd", 5), "ab"},  // read stops at the first zero byte
        {"a", std::string("\0x", 2), ""},
        {"a", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.field << " <- " << c.text.size() << " bytes");
        ASSERT_TRUE(RecordStore::open(makeStore(1)));
        ASSERT_TRUE(RecordStore::write(c.field, "old"));
        EXPECT_TRUE(RecordStore::write(c.field, c.text));
        EXPECT_EQ(RecordStore::read(c.field), c.stored);
        ASSERT_TRUE(RecordStore::close());
        ASSERT_TRUE(RecordStore::open(dir.file("s.edb")));
        EXPECT_EQ(RecordStore::read(c.field), c.stored) << "after reopening";
        RecordStore::close();
    }
}

TEST_F(RecordStoreTest, RewritingACellKeepsOtherCellsIntact) {
    // Shorter texts reuse the cell's bytes, longer ones move: neither may touch
    // the neighbours.
    ASSERT_TRUE(RecordStore::open(makeStore(2)));
    for (const std::string& text :
         {std::string("abcdefgh"), std::string("ab"), std::string(60, 'z'), std::string()}) {
        ASSERT_TRUE(RecordStore::write("a", text));
        ASSERT_TRUE(RecordStore::write("b", "bb"));
        EXPECT_EQ(RecordStore::read("a"), text);
        EXPECT_EQ(RecordStore::read("b"), "bb");
    }
    ASSERT_TRUE(RecordStore::skip());
    EXPECT_EQ(position(), "r2");
    ASSERT_TRUE(RecordStore::close());
    EXPECT_EQ(testing::readStore(dir.file("s.edb"), fields), (Rows{{"", "bb"}, {"r2", ""}}));
}

TEST_F(RecordStoreTest, FieldNamesMatchIgnoringAsciiCase) {
    ASSERT_TRUE(RecordStore::create(dir.file("n.edb"), testing::textFields({"Name", GBK("名1")})));
    ASSERT_TRUE(RecordStore::open(dir.file("n.edb")));
    ASSERT_TRUE(RecordStore::addBlank());
    EXPECT_TRUE(RecordStore::write("NAME", "x"));
    EXPECT_EQ(RecordStore::read("name"), "x");
    EXPECT_TRUE(RecordStore::write(GBK("名1"), "y"));
    EXPECT_EQ(RecordStore::read(GBK("名1")), "y");
    EXPECT_FALSE(RecordStore::write("missing", "x"));
    EXPECT_EQ(RecordStore::read("missing"), "");
    EXPECT_FALSE(RecordStore::write(GBK("名2"), "x"));
}

TEST_F(RecordStoreTest, CreateValidatesTheSchema) {
    auto one = [](std::string name, int maxLength = 100, FieldKind kind = FieldKind::Text) {
        return std::vector<FieldDefinition>{{std::move(name), kind, maxLength}};
    };
    struct Case {
        const char* what;
        std::vector<FieldDefinition> fields;
        bool valid;
    };
    const Case cases[] = {
        {"no fields", {}, false},
        {"empty name", one(""), false},
        {"leading digit", one("1a"), false},
        {"digit later", one("a1"), true},
        {"underscore", one("_x"), true},
        {"16 bytes", one(std::string(16, 'k')), true},
        {"17 bytes", one(std::string(17, 'k')), false},
        {"GBK name", one(GBK("名1")), true},
        {"GBK with '@' trail byte", one("\x81\x40"), true},
        {"hyphen", one("a-b"), false},
        {"space", one("a b"), false},
        {"'@' alone", one("a@"), false},
        {"maxLength 0", one("a", 0), false},
        {"maxLength 1", one("a", 1), true},
        {"maxLength 1024", one("a", 1024), true},
        {"maxLength 1025", one("a", 1025), false},
        {"unknown kind", one("a", 100, static_cast<FieldKind>(2)), false},
        {"duplicate ignoring case", testing::textFields({"Ab", "aB"}), false},
        {"same bytes", testing::textFields({GBK("名1"), GBK("名1")}), false},
        // Trail bytes 0x41 'A' and 0x61 'a' belong to two different characters.
        {"GBK characters differing in a letter-like trail", testing::textFields({"\x81\x41", "\x81\x61"}),
         true},
        {"distinct", testing::textFields({"a", "b", "c"}), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RecordStore::create(dir.file("v.edb"), c.fields), c.valid) << c.what;
        EXPECT_EQ(dir.fs().exists(dir.file("v.edb")), c.valid) << c.what;
        dir.fs().remove(dir.file("v.edb"));
    }
    EXPECT_FALSE(RecordStore::create("", fields));
}

TEST_F(RecordStoreTest, CreateReplacesAnExistingFileAndDoesNotOpenIt) {
    const std::string path = makeStore(3);
    const auto other = testing::textFields({"c"});
    ASSERT_TRUE(RecordStore::create(path, other));
    EXPECT_TRUE(RecordStore::fields().empty());  // nothing current
    ASSERT_TRUE(RecordStore::open(path));
    EXPECT_EQ(RecordStore::recordCount(), 0);
    ASSERT_EQ(RecordStore::fields().size(), 1u);
    EXPECT_EQ(RecordStore::fields()[0].name, "c");
    ASSERT_TRUE(RecordStore::addBlank());
    EXPECT_TRUE(RecordStore::write("c", "x"));
    EXPECT_FALSE(RecordStore::write("a", "x"));
}

TEST_F(RecordStoreTest, DeletedRecordsStayUntilPurged) {
    ASSERT_TRUE(RecordStore::open(makeStore(5)));
    ASSERT_TRUE(RecordStore::skip());
    ASSERT_TRUE(RecordStore::deleteCurrent());  // r2
    EXPECT_EQ(position(), "r2");                // the cursor stays
    ASSERT_TRUE(RecordStore::skip(2));
    ASSERT_TRUE(RecordStore::deleteCurrent());  // r4
    ASSERT_TRUE(RecordStore::deleteCurrent());  // twice is still one mark
    EXPECT_EQ(RecordStore::recordCount(), 5);
    EXPECT_EQ(position(), "r4");
    // The marks are part of the file.
    ASSERT_TRUE(RecordStore::close());
    ASSERT_TRUE(RecordStore::open(dir.file("s.edb")));
    EXPECT_EQ(RecordStore::recordCount(), 5);
    ASSERT_TRUE(RecordStore::skip(3));
    EXPECT_TRUE(RecordStore::purgeDeleted());
    EXPECT_EQ(RecordStore::recordCount(), 3);
    EXPECT_EQ(position(), "r1");
    EXPECT_EQ(testing::currentRows(fields), (Rows{{"r1", ""}, {"r3", ""}, {"r5", ""}}));
    ASSERT_TRUE(RecordStore::close());
    EXPECT_EQ(testing::readStore(dir.file("s.edb"), fields), (Rows{{"r1", ""}, {"r3", ""}, {"r5", ""}}));
}

TEST_F(RecordStoreTest, PurgeCases) {
    struct Case {
        int records;
        std::vector<int> marked;  // record numbers
        std::vector<std::string> left;
    };
    const Case cases[] = {
        {0, {}, {}},
        {3, {}, {"r1", "r2", "r3"}},
        {3, {1, 2, 3}, {}},
        {3, {1}, {"r2", "r3"}},
        {3, {3}, {"r1", "r2"}},
        {4, {1, 3}, {"r2", "r4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.records << " records, " << c.marked.size() << " marked");
        ASSERT_TRUE(RecordStore::open(makeStore(c.records)));
        for (int n : c.marked) {
            RecordStore::first();
            if (n > 1) {
                ASSERT_TRUE(RecordStore::skip(n - 1));
            }
            ASSERT_TRUE(RecordStore::deleteCurrent());
        }
        EXPECT_TRUE(RecordStore::purgeDeleted());
        EXPECT_EQ(RecordStore::recordCount(), static_cast<int>(c.left.size()));
        std::vector<std::string> left;
        for (const Row& row : testing::currentRows(fields)) left.push_back(row[0]);
        EXPECT_EQ(left, c.left);
        RecordStore::close();
    }
}

TEST_F(RecordStoreTest, WithoutACurrentStoreEveryOperationFails) {
    ASSERT_TRUE(RecordStore::open(makeStore(2)));
    ASSERT_TRUE(RecordStore::close());
    EXPECT_EQ(RecordStore::recordCount(), 0);
    RecordStore::first();
    EXPECT_FALSE(RecordStore::skip());
    EXPECT_FALSE(RecordStore::addBlank());
    EXPECT_EQ(RecordStore::read("a"), "");
    EXPECT_FALSE(RecordStore::write("a", "x"));
    EXPECT_FALSE(RecordStore::deleteCurrent());
    EXPECT_FALSE(RecordStore::purgeDeleted());
    EXPECT_FALSE(RecordStore::setPassword("p"));
    EXPECT_TRUE(RecordStore::close());  // does nothing
    EXPECT_EQ(testing::readStore(dir.file("s.edb"), fields), (Rows{{"r1", ""}, {"r2", ""}}));
}

TEST_F(RecordStoreTest, OnlyTheLatestOpenedStoreIsCurrent) {
    const std::string first = makeStore(1);
    const std::string second = dir.file("t.edb");
    ASSERT_TRUE(testing::writeStore(second, fields, {{"t1", ""}, {"t2", ""}}));

    ASSERT_TRUE(RecordStore::open(first));
    ASSERT_TRUE(RecordStore::open(second));
    EXPECT_EQ(RecordStore::recordCount(), 2);
    // Either file again: refused, and the current store stays current.
    EXPECT_FALSE(RecordStore::open(first));
    EXPECT_FALSE(RecordStore::open(second));
    EXPECT_FALSE(RecordStore::open(dir.file("missing.edb")));
    EXPECT_EQ(position(), "t1");
    EXPECT_EQ(RecordStore::recordCount(), 2);

    ASSERT_TRUE(RecordStore::close());
    EXPECT_EQ(RecordStore::recordCount(), 0);  // the first store is open but not current
    EXPECT_FALSE(RecordStore::open(first));
    EXPECT_TRUE(RecordStore::open(second));
}

TEST_F(RecordStoreTest, AlreadyOpenIsJudgedIgnoringCaseAndSeparator) {
    const std::string path = makeStore(1);
    ASSERT_TRUE(RecordStore::open(path));
    EXPECT_FALSE(RecordStore::open("c:/VORDA/S.EDB"));
    EXPECT_FALSE(RecordStore::create(path, fields));
    EXPECT_EQ(position(), "r1");
}

TEST_F(RecordStoreTest, PasswordMustMatchTheStore) {
    const std::string open = makeStore(1);
    const std::string locked = dir.file("p.edb");
    ASSERT_TRUE(testing::writeStore(locked, fields, {{"p1", ""}}, "secret"));
    struct Case {
        std::string path;
        std::optional<std::string> password;
        bool opens;
    };
    const Case cases[] = {
        {open, std::nullopt, true}, {open, "", true},  // an empty password is none
        {open, "secret", false},    {locked, std::nullopt, false},
        {locked, "", false},        {locked, "Secret", false},
        {locked, "secret ", false}, {locked, "secret", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RecordStore::open(c.path, c.password), c.opens)
            << c.path << " with " << c.password.value_or("(none)");
        RecordStore::close();
    }
}

TEST_F(RecordStoreTest, SetPasswordChangesWhatOpenNeeds) {
    const std::string path = makeStore(1);
    ASSERT_TRUE(RecordStore::open(path));
    ASSERT_TRUE(RecordStore::setPassword("one"));
    ASSERT_TRUE(RecordStore::close());
    EXPECT_FALSE(RecordStore::open(path));
    ASSERT_TRUE(RecordStore::open(path, "one"));
    ASSERT_TRUE(RecordStore::setPassword("two"));
    ASSERT_TRUE(RecordStore::close());
    EXPECT_FALSE(RecordStore::open(path, "one"));
    ASSERT_TRUE(RecordStore::open(path, "two"));
    ASSERT_TRUE(RecordStore::setPassword(""));
    ASSERT_TRUE(RecordStore::close());
    EXPECT_EQ(testing::readStore(path, fields), (Rows{{"r1", ""}}));
}

TEST_F(RecordStoreTest, NothingReachesTheDiskBeforeCloseAndAnUnchangedStoreIsNotWritten) {
    const std::string path = makeStore(2);
    const std::string before = *dir.fs().get(path);
    testing::FaultyFileSystem faulty(dir.fs());
    platform::setFileSystem(&faulty);

    ASSERT_TRUE(RecordStore::open(path));
    ASSERT_TRUE(RecordStore::write("a", "r1"));  // same text: no change
    RecordStore::first();
    (void)RecordStore::read("a");
    EXPECT_TRUE(RecordStore::purgeDeleted());  // nothing marked: no change
    EXPECT_TRUE(RecordStore::close());
    for (const std::string& step : faulty.log())
        EXPECT_EQ(step.rfind("writeAll", 0), std::string::npos) << step;
    EXPECT_EQ(*dir.fs().get(path), before);

    ASSERT_TRUE(RecordStore::open(path));
    ASSERT_TRUE(RecordStore::write("a", "changed"));
    ASSERT_TRUE(RecordStore::addBlank());
    EXPECT_EQ(*dir.fs().get(path), before);
    EXPECT_TRUE(RecordStore::close());
    EXPECT_NE(*dir.fs().get(path), before);
}

TEST_F(RecordStoreTest, KeyIsDerivedOncePerFileAndSaltKeptAcrossCommits) {
    const std::string path = makeStore(1);
    const auto saltOf = [&] { return dir.fs().get(path)->substr(16, 16); };
    const auto nonceOf = [&] { return dir.fs().get(path)->substr(32, 12); };
    const std::string salt = saltOf();
    const std::uint64_t derivations = crypto::derivationCount();
    for (int i = 0; i < 3; ++i) {
        const std::string nonce = nonceOf();
        ASSERT_TRUE(RecordStore::open(path));
        ASSERT_TRUE(RecordStore::write("a", "v" + std::to_string(i)));
        ASSERT_TRUE(RecordStore::close());
        EXPECT_EQ(saltOf(), salt);
        EXPECT_NE(nonceOf(), nonce);
    }
    EXPECT_EQ(crypto::derivationCount(), derivations);

    ASSERT_TRUE(RecordStore::open(path));
    ASSERT_TRUE(RecordStore::setPassword("p"));
    ASSERT_TRUE(RecordStore::close());
    EXPECT_NE(saltOf(), salt);
}

TEST_F(RecordStoreTest, TheFileHoldsNoPlainText) {
    const std::string ascii = "plain-entry-text";
    const std::string chinese = GBK("中文条目内容");
    const std::string unprotected = dir.file("u.edb");
    const std::string locked = dir.file("l.edb");
    ASSERT_TRUE(testing::writeStore(unprotected, fields, {{ascii, "abcd"}, {chinese, ""}}));
    ASSERT_TRUE(testing::writeStore(locked, fields, {{ascii, "abcd"}, {chinese, ""}}, "pw"));
    for (const std::string& path : {unprotected, locked}) {
        const std::string bytes = *dir.fs().get(path);
        for (const std::string& secret : {ascii, chinese, std::string("abcd")})
            EXPECT_EQ(bytes.find(secret), std::string::npos) << path;
    }
}

// A file built by openNew is on disk whole or not at all: a crash before close
// leaves the old file, never a store without its password or records.
TEST_F(RecordStoreTest, OpenNewWritesTheWholeFileAtCloseOnly) {
    const std::string path = makeStore(2);
    const std::string before = *dir.fs().get(path);
    const auto other = testing::textFields({"c"});
    ASSERT_TRUE(RecordStore::openNew(path, other));
    EXPECT_FALSE(RecordStore::open(path)) << "already open";
    EXPECT_EQ(platform::fileSystem().tryLock(path + ".lock"), nullptr);
    EXPECT_EQ(RecordStore::recordCount(), 0);
    ASSERT_TRUE(RecordStore::setPassword("pw"));
    ASSERT_TRUE(RecordStore::addBlank());
    ASSERT_TRUE(RecordStore::write("c", "x"));
    EXPECT_EQ(*dir.fs().get(path), before);
    ASSERT_TRUE(RecordStore::close());
    EXPECT_EQ(testing::readStore(path, other, "pw"), (Rows{{"x"}}));

    // With nothing added it still writes an empty store.
    ASSERT_TRUE(RecordStore::openNew(path, fields));
    ASSERT_TRUE(RecordStore::close());
    EXPECT_EQ(testing::readStore(path, fields), Rows{});
    EXPECT_FALSE(RecordStore::openNew(path, {}));
}

TEST_F(RecordStoreTest, OpenHoldsTheLockFileUntilClose) {
    const std::string path = makeStore(1);
    ASSERT_TRUE(RecordStore::open(path));
    EXPECT_EQ(platform::fileSystem().tryLock(path + ".lock"), nullptr);
    ASSERT_TRUE(RecordStore::close());
    EXPECT_NE(platform::fileSystem().tryLock(path + ".lock"), nullptr);
}

TEST_F(RecordStoreTest, AStoreLockedElsewhereCannotBeOpenedOrCreated) {
    const std::string path = makeStore(1);
    setLockWait(std::chrono::milliseconds(50));
    auto other = platform::fileSystem().tryLock(path + ".lock");
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(RecordStore::open(path));
    EXPECT_FALSE(RecordStore::create(path, fields));
    other.reset();
    EXPECT_TRUE(RecordStore::open(path));
}

TEST_F(RecordStoreTest, OpenStoreUsesTheRunDirectoryAndAccessPassword) {
    EXPECT_FALSE(openStore("s.edb"));
    const std::string path = dir.file("s.edb");
    ASSERT_TRUE(testing::writeStore(path, fields, {{"x", ""}}, "kvpLZN&708!tb"));
    ASSERT_TRUE(openStore("s.edb"));
    EXPECT_EQ(position(), "x");
}

TEST(RunDirectory, DropsTrailingSeparatorsButNotATrailByte) {
    struct Case {
        std::string set;
        std::string got;
    };
    const Case cases[] = {
        {"C:\\dir", "C:\\dir"},
        {"C:\\dir\\", "C:\\dir"},
        {"/tmp/dir//", "/tmp/dir"},
        {"/", "/"},
        // 0x95 0x5C is one character whose trail byte is a backslash.
        {"C:\\\x95\x5C", "C:\\\x95\x5C"},
    };
    for (const Case& c : cases) {
        setRunDirectory(c.set);
        EXPECT_EQ(runDirectory(), c.got) << c.set;
    }
    setRunDirectory("");
    EXPECT_EQ(runDirectory(), platform::programDirectory());
}

TEST(RecordStoreRealFiles, CommitReplacesTheFileAndLeavesNoTempFile) {
    testing::TempRunDirectory dir;
    const auto fields = testing::textFields({"a"});
    const std::string path = dir.file(GBK("库.edb"));
    ASSERT_TRUE(testing::writeStore(path, fields, {{"one"}}));
    ASSERT_TRUE(RecordStore::open(path));
    ASSERT_TRUE(RecordStore::write("a", "two"));
    ASSERT_TRUE(RecordStore::close());
    EXPECT_EQ(testing::readStore(path, fields), (Rows{{"two"}}));
    EXPECT_FALSE(platform::fileSystem().exists(path + ".tmp"));
    EXPECT_TRUE(platform::fileSystem().exists(path + ".lock"));

    ASSERT_TRUE(RecordStore::open(path));
    EXPECT_EQ(platform::fileSystem().tryLock(path + ".lock"), nullptr);
}

TEST(RecordStoreRealFiles, AKeyMadeAheadOnAnotherThreadIsMadeOnce) {
    testing::TempRunDirectory dir;
    const auto fields = testing::textFields({"a"});
    const std::string path = dir.file("keyed.edb");
    for (int round = 0; round < 20; ++round) {
        ASSERT_TRUE(testing::writeStore(path, fields, {{"one"}}, "secret"));
        crypto::clearKeyCache();
        const std::uint64_t before = crypto::derivationCount();
        std::thread ahead([&] { prepareKey(path, "secret"); });
        const bool opened = RecordStore::open(path, std::string("secret"));
        const std::string text = RecordStore::read("a");
        RecordStore::close();
        ahead.join();
        ASSERT_TRUE(opened);
        EXPECT_EQ(text, "one");
        EXPECT_EQ(crypto::derivationCount(), before + 1) << "round " << round;
    }
}

TEST(RecordStoreRealFiles, AKeyMadeAheadNeverStopsACommit) {
    // On Windows a file being read cannot be replaced: the reading ahead must
    // keep to the store's lock as opens do. Each round the key is made ahead
    // just as the commit starts, and the next round waits for it.
    testing::TempRunDirectory dir;
    const auto fields = testing::textFields({"a"});
    const std::string path = dir.file("read.edb");
    ASSERT_TRUE(testing::writeStore(path, fields, Rows(20000, Row{std::string(90, 'x')}), "secret"));
    constexpr int kRounds = 30;
    std::atomic<int> committing{-1}, madeAhead{0};
    std::thread ahead([&] {
        for (int round = 0; round < kRounds; ++round) {
            while (committing < round) std::this_thread::yield();
            prepareKey(path, "secret");
            madeAhead = round + 1;
        }
    });
    int failed = 0;
    for (int round = 0; round < kRounds; ++round) {
        bool ok = RecordStore::open(path, std::string("secret")) && RecordStore::write("a", std::to_string(round));
        committing = round;
        ok = RecordStore::close() && ok;
        if (!ok) ++failed;
        RecordStore::abandonAll();
        while (madeAhead <= round) std::this_thread::yield();
    }
    ahead.join();
    EXPECT_EQ(failed, 0);
}

}  // namespace
}  // namespace vorda::storage

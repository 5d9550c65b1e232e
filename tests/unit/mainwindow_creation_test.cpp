// MainWindow's creation: what the header records of both store files set (home
// library page, column titles and captions, user name), the fixed steps, the
// order of the steps, and store files that will not open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mainwindow/skin_hook.h"
#include "platform/filesystem.h"
#include "storage/store_files.h"
#include "support/main_window_fixture.h"
#include "text/gbk.h"

namespace vorda::mainwindow {
namespace {

using testing::Row;
using testing::Rows;
using testing::u8;

const ui::Color kActive{51, 92, 203};
const ui::Color kInactive{121, 125, 167};

class MainWindowCreationTest : public testing::MainWindowTest {
protected:
    std::vector<const ui::Label*> captions() const {
        return {&w().透明标签7, &w().透明标签8, &w().透明标签9, &w().透明标签10, &w().透明标签11};
    }
    std::vector<std::string> columnTitles() const {
        std::vector<std::string> out;
        for (int k = 0; k < w().超级列表框1.columnCount(); ++k) out.push_back(w().超级列表框1.columnTitle(k));
        return out;
    }
    std::vector<std::string> captionTexts() const {
        std::vector<std::string> out;
        for (const ui::Label* l : captions()) out.push_back(l->text());
        return out;
    }
    void expectLinks(ui::Color first, ui::Color second) {
        EXPECT_EQ(w().超级链接框1.textColor(), first);
        EXPECT_EQ(w().超级链接框2.textColor(), second);
        EXPECT_EQ(w().超级链接框3.textColor(), kInactive);
    }
    void expectMessage(const std::string& utf8Text) {
        ui.expectMessage(text::gbkFromUtf8(utf8Text), GBK("错误"), ui::kOkExclamation);
    }
};

TEST_F(MainWindowCreationTest, TheHomeFlagChoosesTheFirstPage) {
    struct Case {
        const char* flag;
        bool custom;
    };
    // The flag is read as its leading decimal number; only 0 means the custom library.
    const Case cases[] = {{"1", false}, {"0", true}, {"", true}, {"2", false}, {"abc", true}, {"-3", false},
                          {"0x1", true}};
    writeStores();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("flag '") + c.flag + "'");
        writeDataEx(dataExHeader(c.flag));
        reopen();

        EXPECT_EQ(w().高级选择夹1.currentPage(), c.custom ? kCustomPage : kPasswordPage);
        EXPECT_TRUE(w().图片框1.visible());
        EXPECT_EQ(w().图片框1.left(), c.custom ? 29 : 111);
        EXPECT_EQ(w().图片框1.top(), 1);
        if (c.custom)
            expectLinks(kActive, kInactive);
        else
            expectLinks(kInactive, kActive);
        EXPECT_EQ(u8(w().透明标签23.text()), c.custom ? "自定义库" : "密码库");
    }
}

TEST_F(MainWindowCreationTest, TheUserNameIsShownWithoutTheMarker) {
    const std::pair<std::string, std::string> cases[] = {
        {"*1*Alice", "Alice"},
        {"Alice", "Alice"},
        {"*1*", ""},
        {"", ""},
        {"*1", "*1"},                  // not the whole marker
        {" *1*Bob", " *1*Bob"},        // only at the very start
        {"*1*" + GBK("张三"), GBK("张三")},
        {"*1**1*x", "*1*x"},           // one marker is taken away
    };
    writeStores();
    for (const auto& [stored, shown] : cases) {
        SCOPED_TRACE(u8(stored));
        writeData(dataHeader(stored));
        reopen();
        EXPECT_EQ(w().透明标签2.text(), shown);
    }
}

TEST_F(MainWindowCreationTest, StoredTitlesNameTheCustomColumnsAndCaptions) {
    const std::vector<std::vector<std::string>> cases = {
        defaultTitles(),
        {GBK("网址"), "", GBK("密码"), "", ""},  // 名4, 名6 and 名7 empty
        {"", "", "", "", ""},
        {std::string(100, 'x'), "a", "b", "c", "d"},
    };
    writeStores();
    for (const auto& titles : cases) {
        SCOPED_TRACE(u8(titles[0]));
        writeData(dataHeader("Alice", "pw1", titles));
        reopen();

        std::vector<std::string> expected{GBK("项目")};
        expected.insert(expected.end(), titles.begin(), titles.end());
        expected.push_back("");  // the untitled column stays untitled
        EXPECT_EQ(columnTitles(), expected);
        EXPECT_EQ(captionTexts(), titles);
    }
}

TEST_F(MainWindowCreationTest, TheFixedStepsAlwaysRun) {
    writeStores();
    openMain();

    EXPECT_EQ(u8(ui.tip(w().图形按钮1.id())), "设置");
    EXPECT_EQ(u8(ui.tip(w().图形按钮2.id())), "导出密码库");
    EXPECT_EQ(u8(ui.tip(w().图形按钮3.id())), "导入密码库");
    EXPECT_EQ(u8(ui.tip(w().注销按钮.id())), "返回登录界面，需重新输入密码才能登录！");
    EXPECT_FALSE(w().高级选择夹1.headersVisible());
    EXPECT_EQ(w().画板1.width(), 0);
    EXPECT_EQ(w().画板1.height(), 0);
    EXPECT_FALSE(w().超级链接框3.visible());  // the memo page stays out of reach
    EXPECT_TRUE(ui.shown(mainId()));
    EXPECT_EQ(ui.windows().size(), 1u);
}

TEST_F(MainWindowCreationTest, FirstStartOpensOnThePasswordLibraryWithEmptyTitles) {
    signInThroughLogin(GBK("张三"), "pw1");

    EXPECT_EQ(w().高级选择夹1.currentPage(), kPasswordPage);
    EXPECT_EQ(w().图片框1.left(), 111);
    expectLinks(kInactive, kActive);
    EXPECT_EQ(u8(w().透明标签23.text()), "密码库");
    EXPECT_EQ(u8(w().透明标签2.text()), "张三");
    EXPECT_EQ(columnTitles(), (std::vector<std::string>{GBK("项目"), "", "", "", "", "", ""}));
    EXPECT_EQ(captionTexts(), std::vector<std::string>(5, ""));
    EXPECT_EQ(w().超级列表框1.rowCount(), 0);
    EXPECT_EQ(w().超级列表框2.rowCount(), 0);
    EXPECT_EQ(w().透明标签4.text(), "0");
    EXPECT_EQ(w().透明标签18.text(), "0");
}

TEST_F(MainWindowCreationTest, StepsRunInOrderAndThePasswordLibraryLoadsFirst) {
    writeStores({{"c1"}}, {{"p1"}});
    struct AtSkin {
        int skin, canvasWidth, canvasHeight;
        std::string firstTitle;
        int customRows, passwordRows;
    };
    std::vector<AtSkin> seen;
    setSkinHook([&](int skin) {
        // Only MainWindow exists here; look at it through the backend.
        const ui::ControlId id = mainId();
        const ui::ControlId canvas = ui.control(id, "画板1");
        const ui::ControlId customList = ui.control(id, "超级列表框1");
        seen.push_back({skin, ui.rect(canvas).width, ui.rect(canvas).height, ui.columnTitle(customList, 1),
                        ui.rowCount(customList), ui.rowCount(ui.control(id, "超级列表框2"))});
    });
    faults().reset();
    openMain();

    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].skin, 2);
    EXPECT_EQ(seen[0].canvasWidth, 0);
    EXPECT_EQ(seen[0].canvasHeight, 0);
    EXPECT_EQ(u8(seen[0].firstTitle), "列2") << "titles were read before the skin";
    EXPECT_EQ(seen[0].customRows + seen[0].passwordRows, 0) << "a library loaded before the skin";

    // Header reads: titles, flag, captions; then the loads, password first.
    std::vector<std::string> reads;
    for (const std::string& step : faults().log())
        if (step.starts_with("readAll ")) reads.push_back(step.substr(step.rfind('\\') + 1));
    EXPECT_EQ(reads, (std::vector<std::string>{"data.edb", "dataex.edb", "data.edb", "dataex.edb", "data.edb"}));
    EXPECT_EQ(w().超级列表框1.rowCount(), 1);
    EXPECT_EQ(w().超级列表框2.rowCount(), 1);
}

TEST_F(MainWindowCreationTest, EveryOpeningReadsTheHeaderRecordsAfresh) {
    writeStores();
    openMain();
    writeData(dataHeader("*1*Bob", "pw1", {"a", "b", "c", "d", "e"}));
    writeDataEx(dataExHeader("0"));
    reopen();

    EXPECT_EQ(w().透明标签2.text(), "Bob");
    EXPECT_EQ(captionTexts(), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(w().超级列表框1.columnTitle(5), "e");
    EXPECT_EQ(w().高级选择夹1.currentPage(), kCustomPage);
}

// A store that will not open is named in one message per file and creation,
// nothing is written, and what the other file holds is still shown.
TEST_F(MainWindowCreationTest, AStoreThatWillNotOpenIsReportedOnceAndLeftAlone) {
    enum class Fault { Damaged, ForeignPassword, Locked };
    struct Case {
        Fault fault;
        const char* file;
    };
    const Case cases[] = {{Fault::Damaged, storage::kDataFile},    {Fault::ForeignPassword, storage::kDataFile},
                          {Fault::Locked, storage::kDataFile},     {Fault::Damaged, storage::kDataExFile},
                          {Fault::Locked, storage::kDataExFile}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " fault " + std::to_string(static_cast<int>(c.fault)));
        restartProgram();
        writeStores({{"c1"}, {"c2"}}, {{"p1"}}, "0");
        std::unique_ptr<platform::FileLock> lock;
        switch (c.fault) {
            case Fault::Damaged:
                dir.fs().put(path(c.file), "not a store at all");
                break;
            case Fault::ForeignPassword:
                ASSERT_TRUE(testing::writeStore(path(c.file), storage::dataSchema(), {dataHeader("Mallory")},
                                                "another password"));
                break;
            case Fault::Locked:
                lock = platform::fileSystem().tryLock(path(c.file) + ".lock");
                break;
        }
        const auto before = fileBytes(c.file);

        expectMessage(std::string("无法打开数据文件 ") + c.file + "，文件可能已损坏或正被其他程序使用。");
        openMain();
        expectScriptDone();
        EXPECT_EQ(fileBytes(c.file), before);

        const bool dataBad = std::string(c.file) == storage::kDataFile;
        // Texts that could not be read keep those of the form.
        EXPECT_EQ(u8(w().透明标签2.text()), dataBad ? "用户名" : "Alice");
        EXPECT_EQ(w().超级列表框1.rowCount(), dataBad ? 0 : 2);
        EXPECT_EQ(w().超级列表框2.rowCount(), dataBad ? 1 : 0);
        // Each count matches its list, also for the library that could not be read.
        EXPECT_EQ(u8(w().透明标签18.text()), dataBad ? "0" : "2");
        EXPECT_EQ(u8(w().透明标签4.text()), dataBad ? "1" : "0");
        // An unreadable flag reads as 0.
        EXPECT_EQ(w().高级选择夹1.currentPage(), kCustomPage);
    }
}

}  // namespace
}  // namespace vorda::mainwindow

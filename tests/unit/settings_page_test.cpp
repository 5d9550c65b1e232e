// The settings page: changing the login password, the custom column titles and
// the home library.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/filesystem.h"
#include "signin/login_window.h"
#include "storage/store_files.h"
#include "support/main_window_fixture.h"
#include "text/gbk.h"

namespace vorda::settings {
namespace {

using testing::Row;
using testing::Rows;
using testing::u8;

const char* const kPasswordNotSaved = "密码修改失败：无法写入数据文件 data.edb，原密码仍然有效。";
const char* const kTitlesNotSaved = "设置失败：无法写入数据文件 data.edb，表列名没有保存。";
const char* const kDataExNotSaved = "无法写入数据文件 dataex.edb，本次更改没有保存。";

class SettingsTest : public testing::MainWindowTest {
protected:
    // Signed in automatically, as the marker in front of the name says. The
    // files are written afresh, so a case of a table starts from them.
    void openSignedIn(const std::string& password = "pw1", const std::string& homeFlag = "1") {
        writeData(dataHeader("*1*Alice", password), {{"entry"}});
        writeDataEx(dataExHeader(homeFlag));
        openMain();
    }
    void openSettings() {
        ui.click(w().图形按钮1.id());
        ASSERT_EQ(w().高级选择夹1.currentPage(), mainwindow::kSettingsPage);
    }
    void changePassword(const std::string& oldPassword, const std::string& newPassword) {
        ui.typeText(w().编辑框17.id(), oldPassword);
        ui.typeText(w().编辑框16.id(), newPassword);
        ui.click(w().超级按钮12.id());
    }
    std::vector<const ui::Edit*> titleBoxes() const {
        const auto& c = w();
        return {&c.编辑框9, &c.编辑框10, &c.编辑框11, &c.编辑框12, &c.编辑框13};
    }
    void typeTitles(const std::vector<std::string>& titles) {
        for (std::size_t i = 0; i < titles.size(); ++i) ui.typeText(titleBoxes()[i]->id(), titles[i]);
    }
    std::vector<std::string> columnTitles() const {
        std::vector<std::string> out;
        for (int k = 1; k <= 5; ++k) out.push_back(w().超级列表框1.columnTitle(k));
        return out;
    }
    std::vector<std::string> captions() const {
        const auto& c = w();
        return {c.透明标签7.text(), c.透明标签8.text(), c.透明标签9.text(), c.透明标签10.text(), c.透明标签11.text()};
    }
    std::vector<std::string> storedTitles() {
        const Row header = dataRecords().at(0);
        return {header.begin() + 2, header.end()};
    }
    // Every handler closes what it opened.
    void expectNoStoreOpen() {
        EXPECT_FALSE(dir.fs().isLocked(path(storage::kDataFile) + ".lock"));
        EXPECT_FALSE(dir.fs().isLocked(path(storage::kDataExFile) + ".lock"));
    }
    void makeReadOnly(const char* file) {
        ASSERT_TRUE(dir.fs().setAttributes(path(file), platform::kAttrReadOnly));
    }
    ui::ControlId loginId() const { return ui.findWindow(GBK("Vorda登陆")); }
};

TEST_F(SettingsTest, PasswordChecksStopAtTheFirstThatApplies) {
    enum Box { Old, New };
    struct Case {
        const char* oldPassword;
        const char* newPassword;
        const char* message;
        const char* title;
        int type;
        Box focus;
    };
    const Case cases[] = {
        {"", "", "请输入原始密码！", "提示", ui::kOk, Old},
        {"", "pw2", "请输入原始密码！", "提示", ui::kOk, Old},
        // The old password is not compared before the new one is there.
        {"wrong", "", "请输入新密码！", "提示", ui::kOk, New},
        {"PW1", "pw2", "抱歉，原始密码错误！", "警告", ui::kOkExclamation, Old},
        {"pw1 ", "pw2", "抱歉，原始密码错误！", "警告", ui::kOkExclamation, Old},
        {" pw1", "pw2", "抱歉，原始密码错误！", "警告", ui::kOkExclamation, Old},
        {"pw", "pw2", "抱歉，原始密码错误！", "警告", ui::kOkExclamation, Old},
        {"pw1", "pw1", "新旧密码相同，请重新输入！", "警告！", ui::kOkExclamation, New},
    };
    openSignedIn();
    openSettings();
    const auto before = fileBytes(storage::kDataFile);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("old '") + c.oldPassword + "' new '" + c.newPassword + "'");
        ui.expectMessage(text::gbkFromUtf8(c.message), text::gbkFromUtf8(c.title), c.type);
        changePassword(c.oldPassword, c.newPassword);
        expectScriptDone();

        EXPECT_TRUE((c.focus == Old ? w().编辑框17 : w().编辑框16).hasFocus());
        // What the user typed stays.
        EXPECT_EQ(w().编辑框17.text(), c.oldPassword);
        EXPECT_EQ(w().编辑框16.text(), c.newPassword);
        EXPECT_TRUE(mainOpen());
        EXPECT_EQ(loginId(), ui::kNoControl);
        EXPECT_EQ(w().高级选择夹1.currentPage(), mainwindow::kSettingsPage);
        expectNoStoreOpen();
    }
    EXPECT_EQ(fileBytes(storage::kDataFile), before);
}

TEST_F(SettingsTest, NewPasswordIsStoredAndOnlyItSignsIn) {
    openSignedIn();
    openSettings();
    ui.expectMessage(GBK("密码修改成功"), GBK("信息："), ui::kOk, ui::kIdOk, [&] {
        EXPECT_TRUE(mainOpen()) << "signed out before the message";
    });
    changePassword("pw1", "new pw");
    expectScriptDone();

    // Signed out: automatic sign-in is off and LoginWindow asks again.
    EXPECT_EQ(dataRecords().at(0), dataHeader("Alice", "new pw"));
    EXPECT_FALSE(mainOpen());
    ASSERT_NE(loginId(), ui::kNoControl);
    signin::LoginWindow login = signin::bindLoginWindow(ui, loginId());
    EXPECT_TRUE(ui.shown(login.window.id()));
    EXPECT_EQ(login.编辑框1.text(), "Alice");
    EXPECT_FALSE(login.选择框1.checked());
    expectNoStoreOpen();

    ui.typeText(login.编辑框2.id(), "pw1");
    ui.expectMessage(GBK("账号或密码错误"), GBK("信息："), ui::kOk);
    ui.click(login.初始登录.id());
    expectScriptDone();
    EXPECT_FALSE(mainOpen());

    ui.typeText(login.编辑框2.id(), "new pw");
    ui.click(login.初始登录.id());
    EXPECT_TRUE(mainOpen());
}

TEST_F(SettingsTest, ALongNewPasswordIsStoredCut) {
    struct Case {
        std::string typed;
        std::string stored;
    };
    const std::string chinese = GBK("密");  // two bytes
    std::string sixty;
    for (int i = 0; i < 60; ++i) sixty += chinese;
    const Case cases[] = {
        {std::string(120, 'x'), std::string(100, 'x')},
        // A character that would straddle byte 100 is left out whole.
        {"a" + sixty, "a" + sixty.substr(0, 98)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.size());
        openSignedIn();
        openSettings();
        ui.expectMessage(GBK("密码修改成功"), GBK("信息："), ui::kOk);
        changePassword("pw1", c.typed);
        expectScriptDone();
        EXPECT_EQ(dataRecords().at(0).at(1), c.stored);
        restartProgram();
    }
}

TEST_F(SettingsTest, APasswordThatCannotBeStoredKeepsTheOldOneAndTheWindow) {
    openSignedIn();
    openSettings();
    const auto before = fileBytes(storage::kDataFile);
    makeReadOnly(storage::kDataFile);

    ui.expectMessage(text::gbkFromUtf8(kPasswordNotSaved), GBK("错误"), ui::kOkExclamation);
    changePassword("pw1", "pw2");
    expectScriptDone();

    EXPECT_EQ(fileBytes(storage::kDataFile), before);
    EXPECT_TRUE(mainOpen());
    EXPECT_EQ(loginId(), ui::kNoControl);
    expectNoStoreOpen();

    // Once the file can be written again, the old password is still the one asked for.
    ASSERT_TRUE(dir.fs().setAttributes(path(storage::kDataFile), platform::kAttrArchive));
    ui.expectMessage(GBK("抱歉，原始密码错误！"), GBK("警告"), ui::kOkExclamation);
    changePassword("pw2", "pw3");
    expectScriptDone();
    ui.expectMessage(GBK("密码修改成功"), GBK("信息："), ui::kOk);
    changePassword("pw1", "pw3");
    expectScriptDone();
    EXPECT_EQ(dataRecords().at(0), dataHeader("Alice", "pw3"));
}

TEST_F(SettingsTest, ColumnTitlesTakeEffectAtTheNextOpening) {
    const std::vector<std::vector<std::string>> cases = {
        {GBK("网站"), "User", GBK("口令"), "", GBK("说明")},
        {"", "", "", "", ""},
    };
    for (const auto& titles : cases) {
        SCOPED_TRACE(u8(titles[0]));
        openSignedIn();
        const auto shownBefore = columnTitles();
        ASSERT_EQ(shownBefore, defaultTitles());
        openSettings();
        typeTitles(titles);

        ui.expectMessage(GBK("设置完毕，请重启软件生效"), GBK("信息："), ui::kOk);
        ui.click(w().超级按钮11.id());
        expectScriptDone();

        EXPECT_EQ(storedTitles(), titles);
        // Nothing else of the header changes.
        EXPECT_EQ(dataRecords().at(0), dataHeader("*1*Alice", "pw1", titles));
        // The open window keeps what it was created with.
        EXPECT_EQ(columnTitles(), shownBefore);
        EXPECT_EQ(captions(), shownBefore);
        EXPECT_EQ(w().高级选择夹1.currentPage(), mainwindow::kSettingsPage);
        expectNoStoreOpen();

        reopen();
        EXPECT_EQ(columnTitles(), titles);
        EXPECT_EQ(captions(), titles);
        restartProgram();
    }
}

TEST_F(SettingsTest, SettingsButtonRefillsTheTitleBoxesFromTheStore) {
    openSignedIn();
    openSettings();
    EXPECT_EQ(textsOf(titleBoxes()), defaultTitles());

    typeTitles({"a", "b", "c", "d", "e"});
    ui.click(w().超级链接框1.id());
    openSettings();
    EXPECT_EQ(textsOf(titleBoxes()), defaultTitles());

    // The store, not what the window started with, is what the boxes show.
    const std::vector<std::string> changed = {"1", "", "3", "", "5"};
    writeData(dataHeader("*1*Alice", "pw1", changed));
    ui.click(w().超级链接框2.id());
    openSettings();
    EXPECT_EQ(textsOf(titleBoxes()), changed);
    expectNoStoreOpen();
}

TEST_F(SettingsTest, ColumnTitlesThatCannotBeStoredAreReported) {
    for (bool readOnly : {true, false}) {
        SCOPED_TRACE(readOnly ? "read-only file" : "header record gone");
        openSignedIn();
        openSettings();
        typeTitles({"a", "b", "c", "d", "e"});
        if (readOnly) {
            makeReadOnly(storage::kDataFile);
        } else {
            writeData(std::nullopt);
        }
        const auto before = fileBytes(storage::kDataFile);

        ui.expectMessage(text::gbkFromUtf8(kTitlesNotSaved), GBK("错误"), ui::kOkExclamation);
        ui.click(w().超级按钮11.id());
        expectScriptDone();

        EXPECT_EQ(fileBytes(storage::kDataFile), before);
        expectNoStoreOpen();
        ASSERT_TRUE(dir.fs().setAttributes(path(storage::kDataFile), platform::kAttrArchive));
        restartProgram();
    }
}

TEST_F(SettingsTest, HomeButtonCyclesBetweenTheTwoLibraries) {
    openSignedIn("pw1", "1");
    openSettings();
    EXPECT_EQ(u8(w().透明标签23.text()), "密码库");

    const std::pair<const char*, const char*> expected[] = {{"0", "自定义库"}, {"1", "密码库"}, {"0", "自定义库"}};
    for (const auto& [flag, label] : expected) {
        SCOPED_TRACE(flag);
        ui.click(w().超级按钮21.id());
        EXPECT_EQ(dataExRecords().at(0), dataExHeader(flag));
        EXPECT_EQ(u8(w().透明标签23.text()), label);
        // No message, and the page shown stays.
        EXPECT_EQ(w().高级选择夹1.currentPage(), mainwindow::kSettingsPage);
        expectNoStoreOpen();
    }

    // The next opening starts on the library chosen.
    reopen();
    EXPECT_EQ(w().高级选择夹1.currentPage(), mainwindow::kCustomPage);
}

TEST_F(SettingsTest, HomeButtonReadsTheFlagAsANumber) {
    struct Case {
        const char* stored;
        const char* written;  // what the flag is after the click
        const char* label;    // the label after the click
    };
    const Case cases[] = {
        {"", "1", "密码库"},  // empty counts as 0
        {"abc", "1", "密码库"},
        {"0x", "1", "密码库"},
        {"1 ", "0", "自定义库"},
        {"2", "2", "密码库"},  // neither 0 nor 1: nothing happens
        {"-1", "-1", "密码库"},
        {"10", "10", "密码库"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("stored '") + c.stored + "'");
        openSignedIn("pw1", c.stored);
        openSettings();
        ui.click(w().超级按钮21.id());
        EXPECT_EQ(dataExRecords().at(0), dataExHeader(c.written));
        EXPECT_EQ(u8(w().透明标签23.text()), c.label);
        restartProgram();
    }
}

TEST_F(SettingsTest, AHomeFlagThatCannotBeStoredLeavesTheLabel) {
    for (bool readOnly : {true, false}) {
        SCOPED_TRACE(readOnly ? "read-only file" : "header record gone");
        openSignedIn("pw1", "1");
        openSettings();
        if (readOnly) {
            makeReadOnly(storage::kDataExFile);
        } else {
            writeDataEx(std::nullopt);
        }
        const auto before = fileBytes(storage::kDataExFile);

        ui.expectMessage(text::gbkFromUtf8(kDataExNotSaved), GBK("错误"), ui::kOkExclamation);
        ui.click(w().超级按钮21.id());
        expectScriptDone();

        EXPECT_EQ(fileBytes(storage::kDataExFile), before);
        EXPECT_EQ(u8(w().透明标签23.text()), "密码库");
        expectNoStoreOpen();
        ASSERT_TRUE(dir.fs().setAttributes(path(storage::kDataExFile), platform::kAttrArchive));
        restartProgram();
    }
}

}  // namespace
}  // namespace vorda::settings

// MainWindow's own behaviour: the page links and the settings button,
// minimize, the close button, Esc, and signing out back to LoginWindow.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "signin/login_window.h"
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

class MainWindowNavigationTest : public testing::MainWindowTest {
protected:
    std::vector<ui::Color> linkColors() const {
        return {w().超级链接框1.textColor(), w().超级链接框2.textColor(), w().超级链接框3.textColor()};
    }
    ui::ControlId loginId() { return ui.findWindow(GBK("Vorda登陆")); }
};

TEST_F(MainWindowNavigationTest, LinksAndTheSettingsButtonSwitchPages) {
    writeStores();
    openMain();
    struct Step {
        const char* what;
        const ui::Control* target;
        int page;
        bool indicator;
        int indicatorLeft;
        std::vector<ui::Color> colors;
    };
    // Starts on the password library; every move is made from a different page.
    const Step steps[] = {
        {"custom link", &w().超级链接框1, kCustomPage, true, 29, {kActive, kInactive, kInactive}},
        {"password link", &w().超级链接框2, kPasswordPage, true, 111, {kInactive, kActive, kInactive}},
        {"settings", &w().图形按钮1, kSettingsPage, false, 111, {kInactive, kInactive, kInactive}},
        {"custom link after settings", &w().超级链接框1, kCustomPage, true, 29, {kActive, kInactive, kInactive}},
        {"custom link again", &w().超级链接框1, kCustomPage, true, 29, {kActive, kInactive, kInactive}},
        {"settings from custom", &w().图形按钮1, kSettingsPage, false, 29, {kInactive, kInactive, kInactive}},
        {"password link after settings", &w().超级链接框2, kPasswordPage, true, 111,
         {kInactive, kActive, kInactive}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        // The links react to the button going down, which is all the backend
        // raises for a click on a link.
        ui.click(s.target->id());
        EXPECT_EQ(w().高级选择夹1.currentPage(), s.page);
        EXPECT_EQ(w().图片框1.visible(), s.indicator);
        if (s.indicator) {
            EXPECT_EQ(w().图片框1.left(), s.indicatorLeft);
            EXPECT_EQ(w().图片框1.top(), 1);
        }
        EXPECT_EQ(linkColors(), s.colors);
    }
}

TEST_F(MainWindowNavigationTest, ShowingAPageLeavesThePagesAsTheyWere) {
    writeStores({{"c0"}, {"c1"}}, {{"p0"}, {"p1"}, {"p2"}});
    openMain();
    ui.clickRow(w().超级列表框2.id(), 2);
    ui.typeText(w().编辑3.id(), "typed");
    ui.click(w().超级链接框1.id());
    ui.clickRow(w().超级列表框1.id(), 1);
    ui.click(w().图形按钮1.id());
    ui.click(w().超级链接框2.id());

    EXPECT_EQ(w().超级列表框2.selectedRows(), std::vector<int>{2});
    EXPECT_EQ(w().编辑1.text(), "p2");
    EXPECT_EQ(w().编辑3.text(), "typed");
    EXPECT_EQ(w().超级列表框1.selectedRows(), std::vector<int>{1});
    EXPECT_EQ(w().编辑框1.text(), "c1");
}

TEST_F(MainWindowNavigationTest, MinimizeKeepsTheWindow) {
    writeStores();
    openMain();
    ui.click(w().超级按钮1.id());

    EXPECT_TRUE(ui.minimized(mainId()));
    EXPECT_TRUE(ui.exists(mainId()));
    EXPECT_FALSE(ui.ended());
}

TEST_F(MainWindowNavigationTest, TheCloseButtonEndsTheProgramAtOnce) {
    writeStores({{"c0"}}, {{"p0"}});
    openMain();
    const auto data = fileBytes(storage::kDataFile), dataEx = fileBytes(storage::kDataExFile);
    ui.click(w().超级按钮2.id());

    EXPECT_TRUE(ui.ended());
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(fileBytes(storage::kDataFile), data);
    EXPECT_EQ(fileBytes(storage::kDataExFile), dataEx);
}

TEST_F(MainWindowNavigationTest, EscClosesTheWindowAndEndsTheProgram) {
    writeStores({{"c0"}}, {{"p0"}});
    // From a list and from an edit box: Esc belongs to the window.
    for (bool fromList : {true, false}) {
        SCOPED_TRACE(fromList ? "list" : "edit box");
        reopen();
        const ui::ControlId main = mainId();
        ui.pressKey(fromList ? w().超级列表框2.id() : w().编辑2.id(), ui::MemoryBackend::kEscape);
        EXPECT_FALSE(ui.exists(main));
        EXPECT_TRUE(ui.ended());
    }
}

TEST_F(MainWindowNavigationTest, SignOutRemovesTheMarkerAndReturnsToLoginWindow) {
    const std::pair<const char*, const char*> cases[] = {{"*1*Alice", "Alice"}, {"Alice", "Alice"}};
    for (const auto& [stored, name] : cases) {
        SCOPED_TRACE(stored);
        restartProgram();
        writeData(dataHeader(stored, "pw1"), {{"c0"}});
        writeDataEx(dataExHeader(), {{"p0"}});
        openMain();
        const ui::ControlId main = mainId();
        const auto before = fileBytes(storage::kDataFile);
        ui.click(w().注销按钮.id());

        EXPECT_FALSE(ui.exists(main));
        EXPECT_FALSE(ui.ended());
        ASSERT_NE(loginId(), ui::kNoControl);
        EXPECT_TRUE(ui.shown(loginId()));
        EXPECT_EQ(ui.windows(), std::vector<ui::ControlId>{loginId()});
        signin::LoginWindow login = signin::bindLoginWindow(ui, loginId());
        EXPECT_EQ(login.编辑框1.text(), name);
        EXPECT_EQ(login.编辑框2.text(), "");
        EXPECT_EQ(u8(login.初始登录.text()), "登录");

        // Only the marker goes: password, titles and entries stay.
        Row header = dataHeader(name, "pw1");
        EXPECT_EQ(dataRecords(), (Rows{header, Row{"c0", "", "", "", "", "", ""}}));
        if (std::string(stored) == name) {
            EXPECT_EQ(fileBytes(storage::kDataFile), before) << "rewritten";
        }
    }
}

TEST_F(MainWindowNavigationTest, SigningInAgainAfterSignOutOpensAFreshMainWindow) {
    writeData(dataHeader("*1*Alice", "pw1"), {{"c0"}});
    writeDataEx(dataExHeader(), {{"p0"}});
    openMain();
    ui.click(w().超级链接框1.id());
    ui.click(w().注销按钮.id());

    signin::LoginWindow login = signin::bindLoginWindow(ui, loginId());
    ui.typeText(login.编辑框2.id(), "pw1");
    ui.click(login.初始登录.id());

    ASSERT_TRUE(mainOpen());
    EXPECT_EQ(loginId(), ui::kNoControl);
    const MainWindowControls again = bindMainWindowControls(ui, mainId());
    EXPECT_EQ(again.高级选择夹1.currentPage(), kPasswordPage);
    EXPECT_EQ(again.透明标签2.text(), "Alice");
    EXPECT_EQ(again.超级列表框1.rowCount(), 1);
}

}  // namespace
}  // namespace vorda::mainwindow

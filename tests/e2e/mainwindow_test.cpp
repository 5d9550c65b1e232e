// MainWindow as the user meets it after signing in: the home page, page
// changes by the links and the settings button, sign-out and the ways out.
#include "fixture.h"
#include "screens.h"

namespace vorda::e2e {
namespace {

using namespace main_form;

class MainWindowTest : public AppTest {
protected:
    void SetUp() override {
        app_ = &launch(settings().vordaExe);
        main_ = registerAndOpenMain(*app_, L"alice", L"secret", true);
        ASSERT_TRUE(main_) << "MainWindow did not open after registration";
        auto custom = libraryPage(main_, true), password = libraryPage(main_, false);
        ASSERT_TRUE(custom && password);
        customPage_ = custom->page;
        passwordPage_ = password->page;
        HWND oldPassword = control(main_, L"Edit", kOldPassword);
        ASSERT_TRUE(oldPassword);
        settingsPage_ = GetParent(GetParent(oldPassword));  // edit, group box, page
        indicator_ = control(main_, L"VordaSurface", kIndicatorAtPassword);
        ASSERT_TRUE(indicator_) << "图片框1 is not above the password link";
    }

    // Which of the three pages shows: 0, 1, 3, or -1 for none or several.
    int shownPage() const {
        const bool shown[] = {IsWindowVisible(customPage_) != FALSE, IsWindowVisible(passwordPage_) != FALSE,
                              IsWindowVisible(settingsPage_) != FALSE};
        if (shown[0] + shown[1] + shown[2] != 1) return -1;
        return shown[0] ? 0 : shown[1] ? 1 : 3;
    }

    void shoot(const wchar_t* name) {
        if (settings().screenshotDir.empty()) return;
        paintSettled(main_);
        screenshot(settings().screenshotDir + L"\\" + name);
    }

    App* app_ = nullptr;
    HWND main_ = nullptr;
    HWND customPage_ = nullptr, passwordPage_ = nullptr, settingsPage_ = nullptr, indicator_ = nullptr;
};

TEST_F(MainWindowTest, OpensCentredOnThePasswordLibrary) {
    RECT outer;
    GetWindowRect(main_, &outer);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 846) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 523) / 2);
    EXPECT_EQ(shownPage(), 1);
    EXPECT_TRUE(IsWindowVisible(indicator_));
    EXPECT_EQ(text(control(main_, L"VordaLabel", {72, 142, 48, 24})), L"alice") << "user name without the marker";
    shoot(L"main_password.png");
}

TEST_F(MainWindowTest, LinksAndTheSettingsButtonChangePages) {
    HWND customLink = control(main_, L"VordaLabel", kCustomLink);
    HWND passwordLink = control(main_, L"VordaLabel", kPasswordLink);
    HWND settingsButton = control(main_, L"Button", kSettingsButton);
    ASSERT_TRUE(customLink && passwordLink && settingsButton);
    auto press = [](HWND link) {
        postMouse(link, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
        postMouse(link, WM_LBUTTONUP, 5, 5, 0);
        settle(link);
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        int page;
        bool indicatorShown;
        Box indicator;
        const wchar_t* shot;
    };
    const Step steps[] = {
        {"custom link", [&] { press(customLink); }, 0, true, kIndicatorAtCustom, L"main_custom.png"},
        {"settings button", [&] { click(settingsButton); }, 3, false, {}, L"main_settings.png"},
        {"custom link after settings", [&] { press(customLink); }, 0, true, kIndicatorAtCustom, nullptr},
        {"password link", [&] { press(passwordLink); }, 1, true, kIndicatorAtPassword, nullptr},
        {"password link again", [&] { press(passwordLink); }, 1, true, kIndicatorAtPassword, nullptr},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_TRUE(waitFor([&] { return shownPage() == s.page; })) << s.what << ": page " << shownPage();
        EXPECT_EQ(IsWindowVisible(indicator_) != FALSE, s.indicatorShown) << s.what;
        if (s.indicatorShown) {
            EXPECT_EQ(boxOf(main_, indicator_), s.indicator) << s.what;
        }
        if (s.shot) shoot(s.shot);
    }
}

TEST_F(MainWindowTest, SignOutReturnsToLoginWithAutomaticSignInOff) {
    HWND signOut = control(main_, L"Button", kSignOut);
    ASSERT_TRUE(signOut);
    EXPECT_EQ(text(signOut), L"注销");
    click(signOut);
    auto login = waitLogin(*app_);
    ASSERT_TRUE(login);
    EXPECT_TRUE(app_->waitNoWindow(kMainTitle));
    EXPECT_EQ(text(login->userName), L"alice");
    EXPECT_FALSE(checked(login->autoLogin));
    ASSERT_TRUE(app_->running());

    app_->kill();
    app_->start();
    login = waitLogin(*app_);
    ASSERT_TRUE(login) << "automatic sign-in is still on after signing out";
    EXPECT_TRUE(waitFor([&] { return text(login->button) == kSignIn; }));
    EXPECT_FALSE(app_->window(kMainTitle));
}

TEST_F(MainWindowTest, EscAndTheCloseButtonEndTheProgram) {
    const std::pair<const char*, std::function<void(HWND)>> ways[] = {
        {"Esc", [](HWND main) { postKey(main, VK_ESCAPE); }},
        {"×", [](HWND main) {
             HWND close = control(main, L"Button", kClose);
             ASSERT_TRUE(close);
             EXPECT_EQ(text(close), L"×");
             click(close);
         }},
    };
    for (const auto& [what, act] : ways) {
        HWND main = app_->waitWindow(kMainTitle);
        ASSERT_TRUE(main) << what;
        act(main);
        EXPECT_TRUE(app_->waitExit()) << what;
        app_->start();  // automatic sign-in opens MainWindow again
    }
}

}  // namespace
}  // namespace vorda::e2e

// LoginWindow as the user meets it: first start, registration, sign-in,
// automatic sign-in, and the window itself.
#include "fixture.h"
#include "screens.h"

namespace vorda::e2e {
namespace {

class LoginTest : public AppTest {
protected:
    App& start() { return launch(settings().vordaExe); }

    // Registers an account on a first start and waits for MainWindow.
    void registerAccount(App& app, const std::wstring& user, const std::wstring& password, bool autoLogin) {
        auto login = waitLogin(app);
        ASSERT_TRUE(login);
        ASSERT_EQ(text(login->button), kRegister);
        submit(*login, user, password, autoLogin);
        ASSERT_TRUE(app.waitWindow(kMainTitle)) << "MainWindow did not open after registration";
    }

    void restart(App& app) {
        app.kill();
        app.start();
    }
};

TEST_F(LoginTest, FirstStartCreatesBothStoresAndOffersRegistration) {
    App& app = start();
    auto login = waitLogin(app);
    ASSERT_TRUE(login);
    EXPECT_TRUE(waitFor([&] { return text(login->button) == kRegister; }));
    EXPECT_TRUE(app.fileExists(L"data.edb"));
    EXPECT_TRUE(app.fileExists(L"dataex.edb"));
    EXPECT_EQ(text(login->userName), L"");
    EXPECT_EQ(text(login->password), L"");
    EXPECT_FALSE(checked(login->autoLogin));
}

TEST_F(LoginTest, ControlsStandWhereTheFormPutsThem) {
    App& app = start();
    auto login = waitLogin(app);
    ASSERT_TRUE(login);
    RECT client;
    GetClientRect(login->window, &client);
    EXPECT_EQ(client.right, 352);
    EXPECT_EQ(client.bottom, 254);

    struct Expected {
        const wchar_t* cls;
        Box box;
        const wchar_t* text;
    };
    const Expected table[] = {
        {L"VordaLabel", {27, 40, 56, 40}, L"用户名"},
        {L"VordaLabel", {27, 91, 56, 40}, L"密码"},
        {L"Edit", {88, 48, 208, 32}, L""},
        {L"Edit", {88, 96, 208, 32}, L""},
        {L"Button", {136, 136, 72, 22}, L"自动登录"},
        {L"Button", {128, 176, 88, 32}, L"注册"},
    };
    for (const Expected& e : table) {
        HWND h = control(login->window, e.cls, e.box);
        ASSERT_TRUE(h) << utf8(e.cls) << " missing at " << e.box.x << "," << e.box.y;
        EXPECT_EQ(text(h), e.text) << utf8(e.cls) << " at " << e.box.x << "," << e.box.y;
    }
    EXPECT_TRUE(GetWindowLongW(login->password, GWL_STYLE) & ES_PASSWORD);
    EXPECT_EQ(SendMessageW(login->password, EM_GETPASSWORDCHAR, 0, 0), L'*');

    if (!settings().screenshotDir.empty()) {
        paintSettled(login->window);
        screenshot(settings().screenshotDir + L"\\login.png");
    }
}

TEST_F(LoginTest, RegistrationNeedsBothUserNameAndPassword) {
    App& app = start();
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {{L"", L"secret"}, {L"alice", L""}, {L"", L""}};
    auto login = waitLogin(app);
    ASSERT_TRUE(login);
    for (const auto& [user, password] : cases) {
        submit(*login, user, password, false);
        auto box = app.waitMessageBox();
        ASSERT_TRUE(box) << "no message for user '" << utf8(user) << "' password '" << utf8(password) << "'";
        EXPECT_EQ(box->title, L"提示");
        EXPECT_EQ(box->text, L"用户名或密码不能为空！");
        answer(*box, IDOK);
        ASSERT_TRUE(waitFor([&] { return !app.messageBox(); }));
        EXPECT_TRUE(app.window(kLoginTitle));
        EXPECT_EQ(text(login->button), kRegister);
    }
}

TEST_F(LoginTest, RegistrationHandsOverToMainWindow) {
    App& app = start();
    registerAccount(app, L"alice", L"secret", false);
    EXPECT_TRUE(app.waitNoWindow(kLoginTitle));

    HWND main = app.window(kMainTitle);
    ASSERT_TRUE(main);
    RECT client;
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, 846);
    EXPECT_EQ(client.bottom, 523);
    EXPECT_FALSE(GetWindowLongW(main, GWL_STYLE) & WS_CAPTION) << "MainWindow has no title bar";
    RECT outer;
    GetWindowRect(main, &outer);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 846) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 523) / 2);

    if (!settings().screenshotDir.empty()) {
        paintSettled(main);
        screenshot(settings().screenshotDir + L"\\main.png");
    }
}

TEST_F(LoginTest, RestartOffersSignInWithTheStoredName) {
    App& app = start();
    registerAccount(app, L"张三", L"secret", false);
    restart(app);
    auto login = waitLogin(app);
    ASSERT_TRUE(login);
    EXPECT_TRUE(waitFor([&] { return text(login->button) == kSignIn; }));
    EXPECT_EQ(text(login->userName), L"张三");
    EXPECT_EQ(text(login->password), L"");
    EXPECT_FALSE(checked(login->autoLogin));
}

TEST_F(LoginTest, WrongCredentialsAreRejectedAndLeftAsTyped) {
    App& app = start();
    registerAccount(app, L"alice", L"secret", false);
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"alice", L"wrong"}, {L"Alice", L"secret"}, {L"", L""}};
    restart(app);
    auto login = waitLogin(app);
    ASSERT_TRUE(login);
    for (const auto& [user, password] : cases) {
        submit(*login, user, password, false);
        auto box = app.waitMessageBox();
        ASSERT_TRUE(box) << "accepted user '" << utf8(user) << "' password '" << utf8(password) << "'";
        EXPECT_EQ(box->title, L"信息：");
        EXPECT_EQ(box->text, L"账号或密码错误");
        answer(*box, IDOK);
        ASSERT_TRUE(waitFor([&] { return !app.messageBox(); }));
        EXPECT_TRUE(app.window(kLoginTitle));
        EXPECT_FALSE(app.window(kMainTitle));
        EXPECT_EQ(text(login->userName), user);
        // Wine answers WM_GETTEXT on a password box from another process.
        EXPECT_EQ(text(login->password), password);
    }
}

TEST_F(LoginTest, RightCredentialsOpenMainWindow) {
    App& app = start();
    registerAccount(app, L"alice", L"secret", false);
    restart(app);
    auto login = waitLogin(app);
    ASSERT_TRUE(login);
    ASSERT_TRUE(waitFor([&] { return text(login->button) == kSignIn; }));
    submit(*login, L"alice", L"secret", false);
    EXPECT_TRUE(app.waitWindow(kMainTitle));
    EXPECT_TRUE(app.waitNoWindow(kLoginTitle));
}

TEST_F(LoginTest, TickedAutomaticSignInSkipsLoginWindowAtTheNextStart) {
    App& app = start();
    registerAccount(app, L"alice", L"secret", true);
    restart(app);
    EXPECT_TRUE(app.waitWindow(kMainTitle));
    EXPECT_FALSE(app.window(kLoginTitle));
}

TEST_F(LoginTest, ClosingLoginWindowEndsTheProgram) {
    App& app = start();
    auto login = waitLogin(app);
    ASSERT_TRUE(login);
    PostMessageW(login->window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(app.waitExit());
}

TEST_F(LoginTest, EscClosesMainWindowAndEndsTheProgram) {
    App& app = start();
    registerAccount(app, L"alice", L"secret", false);
    HWND main = app.window(kMainTitle);
    ASSERT_TRUE(main);
    postKey(main, VK_ESCAPE);
    EXPECT_TRUE(app.waitExit());
}

}  // namespace
}  // namespace vorda::e2e

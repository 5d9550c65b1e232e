// Program start and LoginWindow: first start, registration, sign-in,
// automatic sign-in and the store files going bad under the window.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "mainwindow/skin_hook.h"
#include "platform/filesystem.h"
#include "signin/account.h"
#include "signin/login_window.h"
#include "signin/program_start.h"
#include "storage/store_files.h"
#include "storage/store_tuning.h"
#include "support/run_directory.h"
#include "support/store_contents.h"
#include "support/ui_fixture.h"
#include "text/gbk.h"

namespace vorda::signin {
namespace {

using namespace std::chrono_literals;
using testing::Row;
using testing::Rows;
using testing::u8;
using ui::kNoControl;

// Installed over a memory file system while alive: passes everything through,
// but refuses to change files once told to, as a read-only directory or a full
// disk would.
class WriteSwitch : public platform::FileSystem {
public:
    explicit WriteSwitch(platform::FileSystem& inner) : inner_(inner) { platform::setFileSystem(this); }
    ~WriteSwitch() override { platform::setFileSystem(&inner_); }
    bool refuseWrites = false;

    bool exists(const std::string& p) override { return inner_.exists(p); }
    bool readAll(const std::string& p, std::string& out) override { return inner_.readAll(p, out); }
    bool writeAll(const std::string& p, std::string_view bytes) override {
        return !refuseWrites && inner_.writeAll(p, bytes);
    }
    bool replace(const std::string& from, const std::string& to) override {
        return !refuseWrites && inner_.replace(from, to);
    }
    bool remove(const std::string& p) override { return !refuseWrites && inner_.remove(p); }
    bool setAttributes(const std::string& p, std::uint32_t a) override {
        return !refuseWrites && inner_.setAttributes(p, a);
    }
    std::optional<std::uint32_t> attributes(const std::string& p) override { return inner_.attributes(p); }
    std::unique_ptr<platform::FileLock> tryLock(const std::string& p) override { return inner_.tryLock(p); }

private:
    platform::FileSystem& inner_;
};

Row account(const std::string& storedName, const std::string& password) {
    return {storedName, password, "", "", "", "", ""};
}

Rows dataExHeader() { return {{GBK("密码库2"), "1", "", "", "", ""}}; }

class SigninTest : public testing::UiTest {
protected:
    struct SkinCall {
        int skin;
        bool dataExisted;
        bool dataExExisted;
    };

    void SetUp() override {
        storage::setLockWait(0ms);
        mainwindow::setSkinHook([this](int skin) {
            skins.push_back({skin, exists(storage::kDataFile), exists(storage::kDataExFile)});
        });
    }
    void TearDown() override {
        mainwindow::setSkinHook({});
        UiTest::TearDown();
    }

    // Helpers act on whichever sandbox is installed: a case of a table may run
    // in a fresh one of its own.
    static std::string path(const char* file) { return storage::runDirectory() + "\\" + file; }
    static bool exists(const char* file) { return platform::fileSystem().exists(path(file)); }
    static std::optional<std::string> bytes(const char* file) {
        std::string out;
        if (!platform::fileSystem().readAll(path(file), out)) return std::nullopt;
        return out;
    }

    void seedData(const Rows& rows, const std::string& password = storage::accessPassword()) {
        ASSERT_TRUE(testing::writeStore(path(storage::kDataFile), storage::dataSchema(), rows, password));
    }
    void seedDataEx() {
        ASSERT_TRUE(testing::writeStore(path(storage::kDataExFile), storage::dataExSchema(), dataExHeader(),
                                        storage::accessPassword()));
    }
    Rows dataRows() {
        auto rows = testing::readStore(path(storage::kDataFile), storage::dataSchema(), storage::accessPassword());
        EXPECT_TRUE(rows) << "data.edb does not open";
        return rows.value_or(Rows{});
    }
    Rows dataExRows() {
        auto rows = testing::readStore(path(storage::kDataExFile), storage::dataExSchema(), storage::accessPassword());
        EXPECT_TRUE(rows) << "dataex.edb does not open";
        return rows.value_or(Rows{});
    }
    std::unique_ptr<platform::FileLock> lockData() {
        return platform::fileSystem().tryLock(path(storage::kDataFile) + ".lock");
    }

    ui::ControlId loginId() { return ui.findWindow(GBK("Vorda登陆")); }
    LoginWindow login() { return bindLoginWindow(ui, loginId()); }
    bool loginOpen() { return loginId() != kNoControl && ui.shown(loginId()); }
    bool mainOpen() {
        const ui::ControlId id = ui.findWindow("Vorda");
        return id != kNoControl && ui.shown(id);
    }

    // The user fills LoginWindow in and clicks its button.
    void submit(const std::string& name, const std::string& password, bool autoLogin = false) {
        LoginWindow w = login();
        ui.typeText(w.编辑框1.id(), name);
        ui.typeText(w.编辑框2.id(), password);
        if (w.选择框1.checked() != autoLogin) ui.click(w.选择框1.id());
        ui.click(w.初始登录.id());
    }

    void expectHandedOver() {
        EXPECT_EQ(loginId(), kNoControl) << "LoginWindow is still open";
        EXPECT_TRUE(mainOpen()) << "MainWindow is not open";
        EXPECT_FALSE(ui.ended());
    }
    void expectStillAtLogin() {
        EXPECT_TRUE(loginOpen());
        EXPECT_FALSE(mainOpen());
    }

    void expectError(const char* utf8Text) {
        ui.expectMessage(text::gbkFromUtf8(utf8Text), GBK("错误"), ui::kOkExclamation);
    }

    testing::MemoryRunDirectory dir;
    std::vector<SkinCall> skins;
};

const char* const kUnavailable = "无法打开数据文件 data.edb，文件可能已被删除、已损坏或正被其他程序使用。";
const char* const kNotSaved = "无法写入数据文件 data.edb，账户信息未能保存。";

TEST(LoginWindowForm, FollowsTheDesign) {
    const ui::FormSpec f = loginWindowForm();
    EXPECT_EQ(u8(f.title), "Vorda登陆");
    EXPECT_EQ(f.x, 50);
    EXPECT_EQ(f.y, 50);
    EXPECT_EQ(f.width, 352);
    EXPECT_EQ(f.height, 254);
    EXPECT_FALSE(f.centred);
    EXPECT_FALSE(f.frameless);

    struct Expected {
        const char* name;
        ui::Kind kind;
        int x, y, w, h;
        const char* text;
        int fontHeight, fontWeight;
        bool password;
    };
    const Expected table[] = {
        {"透明标签1", ui::Kind::Label, 27, 40, 56, 40, "用户名", 16, 700, false},
        {"编辑框1", ui::Kind::Edit, 88, 48, 208, 32, "", 19, 400, false},
        {"透明标签2", ui::Kind::Label, 27, 91, 56, 40, "密码", 16, 700, false},
        {"编辑框2", ui::Kind::Edit, 88, 96, 208, 32, "", 19, 400, true},
        {"选择框1", ui::Kind::CheckBox, 136, 136, 72, 22, "自动登录", 0, 400, false},
        {"初始登录", ui::Kind::Button, 128, 176, 88, 32, "", 0, 400, false},
    };
    ASSERT_EQ(f.controls.size(), std::size(table));
    for (std::size_t i = 0; i < std::size(table); ++i) {
        const Expected& e = table[i];
        const ui::ControlSpec& c = f.controls[i];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(c.name, e.name);
        EXPECT_EQ(c.kind, e.kind);
        EXPECT_EQ(c.parent, "");
        EXPECT_EQ((std::vector{c.x, c.y, c.width, c.height}), (std::vector{e.x, e.y, e.w, e.h}));
        EXPECT_EQ(u8(c.text), e.text);
        EXPECT_EQ(c.font.height, e.fontHeight);
        EXPECT_EQ(c.font.weight, e.fontWeight);
        EXPECT_EQ(c.font.face, "");
        EXPECT_EQ(c.password, e.password);
        if (e.kind == ui::Kind::Edit) {
            EXPECT_EQ(c.background, (ui::Color{255, 255, 255}));
        }
    }
}

TEST_F(SigninTest, FirstStartCreatesBothStoresAndOffersRegistration) {
    startProgram(ui);

    ASSERT_TRUE(loginOpen());
    LoginWindow w = login();
    EXPECT_EQ(u8(w.初始登录.text()), "注册");
    EXPECT_EQ(w.编辑框1.text(), "");
    EXPECT_EQ(w.编辑框2.text(), "");
    EXPECT_FALSE(w.选择框1.checked());
    EXPECT_TRUE(dataRows().empty());
    EXPECT_EQ(dataExRows(), dataExHeader());
    // The skin comes before anything else of the creation.
    ASSERT_EQ(skins.size(), 1u);
    EXPECT_EQ(skins[0].skin, 2);
    EXPECT_FALSE(skins[0].dataExisted);
    EXPECT_FALSE(skins[0].dataExExisted);
    EXPECT_FALSE(mainOpen());
    EXPECT_FALSE(ui.ended());
}

TEST_F(SigninTest, RegistrationRefusesAnEmptyNameOrPassword) {
    const std::pair<const char*, const char*> cases[] = {{"", "secret"}, {"Alice", ""}, {"", ""}};
    startProgram(ui);
    for (const auto& [name, password] : cases) {
        SCOPED_TRACE(std::string("name '") + name + "' password '" + password + "'");
        ui.expectMessage(GBK("用户名或密码不能为空！"), GBK("提示"), ui::kOk);
        submit(name, password, true);
        expectScriptDone();
        expectStillAtLogin();
        EXPECT_TRUE(dataRows().empty());
    }
}

TEST_F(SigninTest, RegistrationStoresTheAccountAndHandsOver) {
    struct Case {
        std::string name;
        bool autoLogin;
        std::string stored;
    };
    const Case cases[] = {
        {"Alice", false, "Alice"},
        {"Alice", true, "*1*Alice"},
        {"   ", false, "   "},  // only empty text is refused
        {GBK("张三"), true, "*1*" + GBK("张三")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(u8(c.stored));
        testing::MemoryRunDirectory fresh;
        skins.clear();
        startProgram(ui);
        submit(c.name, "pw 1", c.autoLogin);

        expectHandedOver();
        EXPECT_EQ(dataRows(), (Rows{account(c.stored, "pw 1")}));
        // MainWindow's creation applies the skin once more.
        EXPECT_EQ(skins.size(), 2u);
        restartProgram();
    }
}

TEST_F(SigninTest, SignInRejectsAnythingButTheExactAccount) {
    const std::pair<const char*, const char*> cases[] = {
        {"alice", "pw1"},   // letter case counts
        {"Alice", "PW1"},
        {"Alice ", "pw1"},  // no trimming
        {"Alice", ""},
        {"", ""},           // not the registration message
        {"Bob", "pw1"},
    };
    seedData({account("Alice", "pw1")});
    seedDataEx();
    const auto before = bytes(storage::kDataFile);
    startProgram(ui);
    for (const auto& [name, password] : cases) {
        SCOPED_TRACE(std::string("name '") + name + "' password '" + password + "'");
        ui.expectMessage(GBK("账号或密码错误"), GBK("信息："), ui::kOk);
        submit(name, password, true);
        expectScriptDone();
        expectStillAtLogin();
        EXPECT_EQ(login().编辑框1.text(), name);
        EXPECT_EQ(login().编辑框2.text(), password);
    }
    EXPECT_EQ(bytes(storage::kDataFile), before);
}

TEST_F(SigninTest, StartWithAnAccountShowsTheNameAndAnEmptyPassword) {
    seedData({account("Alice", "pw1")});
    seedDataEx();
    startProgram(ui);

    ASSERT_TRUE(loginOpen());
    LoginWindow w = login();
    EXPECT_EQ(u8(w.初始登录.text()), "登录");
    EXPECT_EQ(w.编辑框1.text(), "Alice");
    EXPECT_EQ(w.编辑框2.text(), "");
    EXPECT_FALSE(w.选择框1.checked());
}

TEST_F(SigninTest, SignInSetsOrRemovesTheMarkerAsTicked) {
    struct Case {
        bool markedMeanwhile;  // the marker got into the file while the window was open
        bool autoLogin;
        const char* stored;
    };
    const Case cases[] = {{false, true, "*1*Alice"}, {false, false, "Alice"}, {true, false, "Alice"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        testing::MemoryRunDirectory fresh;
        storage::setLockWait(0ms);
        seedData({account("Alice", "pw1")});
        seedDataEx();
        startProgram(ui);
        if (c.markedMeanwhile) seedData({account("*1*Alice", "pw1")});
        submit("Alice", "pw1", c.autoLogin);

        expectHandedOver();
        EXPECT_EQ(dataRows(), (Rows{account(c.stored, "pw1")}));
        restartProgram();
    }
}

TEST_F(SigninTest, NextStartFollowsTheMarker) {
    startProgram(ui);
    submit("Alice", "pw1", true);
    restartProgram();

    startProgram(ui);
    EXPECT_EQ(loginId(), kNoControl);
    EXPECT_TRUE(mainOpen());
    EXPECT_EQ(ui.windows().size(), 1u);
    EXPECT_EQ(dataRows(), (Rows{account("*1*Alice", "pw1")}));
    restartProgram();

    seedData({account("Alice", "pw1")});  // signed out: the marker is gone
    startProgram(ui);
    ASSERT_TRUE(loginOpen());
    EXPECT_EQ(login().编辑框1.text(), "Alice");
    EXPECT_FALSE(mainOpen());
}

TEST_F(SigninTest, AMissingDataExIsCreatedBeforeMainWindowOpens) {
    const char* const storedNames[] = {"*1*Alice", "Alice"};
    for (const char* stored : storedNames) {
        SCOPED_TRACE(stored);
        testing::MemoryRunDirectory fresh;
        skins.clear();
        seedData({account(stored, "pw1")});
        const auto before = bytes(storage::kDataFile);
        startProgram(ui);

        EXPECT_EQ(dataExRows(), dataExHeader());
        EXPECT_EQ(bytes(storage::kDataFile), before);
        if (hasAutoLoginMarker(stored)) {
            expectHandedOver();
            ASSERT_EQ(skins.size(), 2u);
            EXPECT_TRUE(skins[1].dataExExisted) << "MainWindow opened before dataex.edb existed";
        } else {
            expectStillAtLogin();
        }
        restartProgram();
    }
}

TEST_F(SigninTest, LongNamesAreStoredCutWithoutSplittingACharacter) {
    const std::string a97(97, 'a'), a96(96, 'a'), a99(99, 'a'), a100(100, 'a');
    struct Case {
        std::string name;
        bool autoLogin;
        std::string stored;
    };
    const Case cases[] = {
        {std::string(120, 'a'), false, a100},
        {std::string(120, 'a'), true, "*1*" + a97},
        {a99 + GBK("中"), false, a99},
        {a96 + GBK("中"), true, "*1*" + a96},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.size());
        testing::MemoryRunDirectory fresh;
        startProgram(ui);
        submit(c.name, "pw1", c.autoLogin);
        expectHandedOver();
        EXPECT_EQ(dataRows(), (Rows{account(c.stored, "pw1")}));
        restartProgram();
    }
}

TEST_F(SigninTest, SignInAfterACutNeedsTheStoredPartOnly) {
    const std::string longName(120, 'a');
    startProgram(ui);
    submit(longName, "pw1");
    restartProgram();

    startProgram(ui);
    EXPECT_EQ(login().编辑框1.text(), std::string(100, 'a'));
    ui.expectMessage(GBK("账号或密码错误"), GBK("信息："), ui::kOk);
    submit(longName, "pw1");
    expectScriptDone();
    expectStillAtLogin();
    submit(std::string(100, 'a'), "pw1");
    expectHandedOver();
}

TEST_F(SigninTest, ADataStoreThatWillNotOpenIsReportedAndLeftAlone) {
    enum class Fault { Damaged, ForeignPassword, Locked };
    const Fault faults[] = {Fault::Damaged, Fault::ForeignPassword, Fault::Locked};
    for (Fault fault : faults) {
        SCOPED_TRACE(static_cast<int>(fault));
        testing::MemoryRunDirectory fresh;
        storage::setLockWait(0ms);
        std::unique_ptr<platform::FileLock> lock;
        switch (fault) {
            case Fault::Damaged:
                fresh.fs().put(path(storage::kDataFile), "not a store at all");
                break;
            case Fault::ForeignPassword:
                seedData({account("Alice", "pw1")}, "another password");
                break;
            case Fault::Locked:
                seedData({account("Alice", "pw1")});
                lock = lockData();
                break;
        }
        const auto before = bytes(storage::kDataFile);

        expectError("无法打开数据文件 data.edb，文件可能已损坏或正被其他程序使用。");
        startProgram(ui);
        expectScriptDone();
        ASSERT_TRUE(loginOpen());
        LoginWindow w = login();
        EXPECT_EQ(w.初始登录.text(), "");
        EXPECT_EQ(w.编辑框1.text(), "");
        EXPECT_EQ(dataExRows(), dataExHeader());  // the other file is still looked after

        submit("Alice", "pw1", true);  // the button offers nothing
        expectStillAtLogin();
        EXPECT_EQ(bytes(storage::kDataFile), before);
        restartProgram();
    }
}

TEST_F(SigninTest, ADataStoreGoneOrLockedAtTheClickStopsTheHandOver) {
    for (bool registering : {true, false}) {
        for (bool removed : {true, false}) {
            SCOPED_TRACE(std::string(registering ? "registering, " : "signing in, ") + (removed ? "removed" : "locked"));
            testing::MemoryRunDirectory fresh;
            storage::setLockWait(0ms);
            if (!registering) {
                seedData({account("Alice", "pw1")});
                seedDataEx();
            }
            startProgram(ui);
            const auto before = bytes(storage::kDataFile);
            std::unique_ptr<platform::FileLock> lock;
            if (removed)
                platform::fileSystem().remove(path(storage::kDataFile));
            else
                lock = lockData();

            expectError(kUnavailable);
            submit("Alice", "pw1", true);
            expectScriptDone();
            expectStillAtLogin();
            lock.reset();
            EXPECT_EQ(bytes(storage::kDataFile), removed ? std::optional<std::string>() : before);
            restartProgram();
        }
    }
}

TEST_F(SigninTest, AFailedCommitAtTheClickStopsTheHandOver) {
    for (bool registering : {true, false}) {
        SCOPED_TRACE(registering ? "registering" : "signing in");
        testing::MemoryRunDirectory fresh;
        WriteSwitch files(fresh.fs());
        if (!registering) {
            seedData({account("Alice", "pw1")});
            seedDataEx();
        }
        startProgram(ui);
        const auto before = bytes(storage::kDataFile);
        files.refuseWrites = true;

        expectError(kNotSaved);
        submit("Alice", "pw1", true);
        expectScriptDone();
        expectStillAtLogin();
        EXPECT_EQ(bytes(storage::kDataFile), before);
        restartProgram();
    }
}

TEST_F(SigninTest, RegistrationNeverAddsASecondAccount) {
    startProgram(ui);
    seedData({account("Alice", "pw1")});  // another run registered meanwhile

    ui.expectMessage(GBK("数据文件 data.edb 中已有账户，请用该账户登录。"), GBK("提示"), ui::kOk);
    submit("Bob", "pw2");
    expectScriptDone();
    expectStillAtLogin();
    EXPECT_EQ(dataRows(), (Rows{account("Alice", "pw1")}));
    EXPECT_EQ(u8(login().初始登录.text()), "登录");

    submit("Alice", "pw1");
    expectHandedOver();
}

TEST_F(SigninTest, AReadOnlyDirectoryAtFirstStartIsReported) {
    WriteSwitch files(dir.fs());
    files.refuseWrites = true;

    expectError("无法创建数据文件 data.edb，请确认程序所在的目录可以写入，然后重新启动程序。");
    expectError("无法创建数据文件 dataex.edb，请确认程序所在的目录可以写入，然后重新启动程序。");
    startProgram(ui);
    expectScriptDone();
    ASSERT_TRUE(loginOpen());
    EXPECT_EQ(login().初始登录.text(), "");
    EXPECT_FALSE(exists(storage::kDataFile));
    EXPECT_FALSE(exists(storage::kDataExFile));

    submit("Alice", "pw1");
    expectStillAtLogin();
}

TEST_F(SigninTest, ClosingLoginWindowEndsTheProgram) {
    startProgram(ui);
    ui.closeWindow(loginId());
    EXPECT_TRUE(ui.ended());
    EXPECT_TRUE(ui.windows().empty());
}

}  // namespace
}  // namespace vorda::signin

#include "signin/login_window.h"

#include <memory>

#include "mainwindow/main_window.h"
#include "mainwindow/skin_hook.h"
#include "platform/filesystem.h"
#include "signin/account.h"
#include "storage/record_store.h"
#include "storage/store_files.h"
#include "text/gbk.h"

namespace vorda::signin {

using storage::RecordStore;
using ui::Backend;

namespace {

const ui::Color kWhite{255, 255, 255};

const std::string& registerCaption() { return GBK("注册"); }
const std::string& signInCaption() { return GBK("登录"); }

struct LoginState {
    LoginWindow w;
    bool handedOver = false;
};

ui::ControlSpec make(ui::Kind kind, const char* name, int x, int y, int w, int h, const std::string& text,
                     ui::Font font) {
    ui::ControlSpec c;
    c.kind = kind;
    c.name = name;
    c.x = x;
    c.y = y;
    c.width = w;
    c.height = h;
    c.text = text;
    c.font = font;
    return c;
}

ui::ControlSpec edit(const char* name, int x, int y, bool password) {
    ui::ControlSpec c = make(ui::Kind::Edit, name, x, y, 208, 32, {}, ui::Font{19, 400, {}});
    c.background = kWhite;
    c.password = password;
    return c;
}

void showError(Backend& b, const std::string& text) { b.messageBox(text, GBK("错误"), ui::kOkExclamation); }

void reportUnavailable(Backend& b) {
    showError(b, GBK("无法打开数据文件 data.edb，文件可能已被删除、已损坏或正被其他程序使用。"));
}

void reportNotSaved(Backend& b) { showError(b, GBK("无法写入数据文件 data.edb，账户信息未能保存。")); }

bool fileExists(const char* fileName) {
    return platform::fileSystem().exists(storage::runDirectory() + "\\" + fileName);
}

// Opens MainWindow as the only window; LoginWindow goes once the running
// handler has returned.
void handOver(LoginState& s) {
    s.handedOver = true;
    mainwindow::openMainWindow(s.w.window.backend());
    s.w.window.destroy();
}

void prepareLoginWindow(LoginState& s) {
    LoginWindow& w = s.w;
    Backend& b = w.window.backend();
    mainwindow::applySkin(2);

    bool signInNow = false;
    if (fileExists(storage::kDataFile)) {
        if (!storage::openStore(storage::kDataFile)) {
            // Never replaced: it may hold the account and the custom library.
            showError(b, GBK("无法打开数据文件 data.edb，文件可能已损坏或正被其他程序使用。"));
        } else if (RecordStore::recordCount() == 0) {
            w.初始登录.setText(registerCaption());
            RecordStore::close();
        } else {
            w.初始登录.setText(signInCaption());
            const std::string storedName = RecordStore::read(storage::fieldName(1));
            if (hasAutoLoginMarker(storedName))
                signInNow = true;
            else
                w.编辑框1.setText(storedName);
            RecordStore::close();
        }
    } else if (storage::createDataStore()) {
        w.初始登录.setText(registerCaption());
    } else {
        showError(b, GBK("无法创建数据文件 data.edb，请确认程序所在的目录可以写入，然后重新启动程序。"));
    }

    // Before any hand-over: MainWindow reads the header record of dataex.edb.
    if (!fileExists(storage::kDataExFile) && !storage::createDataExStoreWithHeader())
        showError(b, GBK("无法创建数据文件 dataex.edb，请确认程序所在的目录可以写入，然后重新启动程序。"));

    if (signInNow) handOver(s);
}

void registerOrSignIn(LoginState& s) {
    LoginWindow& w = s.w;
    Backend& b = w.window.backend();
    const std::string caption = w.初始登录.text();
    const std::string userName = w.编辑框1.text();
    const std::string password = w.编辑框2.text();
    const std::string marked = markedName(userName, w.选择框1.checked());

    if (caption == registerCaption()) {
        if (userName.empty() || password.empty()) {
            b.messageBox(GBK("用户名或密码不能为空！"), GBK("提示"), ui::kOk);
            return;
        }
        switch (registerAccount(marked, password)) {
            case AccountWrite::Stored:
                handOver(s);
                break;
            case AccountWrite::AccountExists:
                // Somebody registered meanwhile: offer sign-in instead.
                w.初始登录.setText(signInCaption());
                b.messageBox(GBK("数据文件 data.edb 中已有账户，请用该账户登录。"), GBK("提示"), ui::kOk);
                break;
            case AccountWrite::Unavailable:
                reportUnavailable(b);
                break;
            case AccountWrite::NotSaved:
                reportNotSaved(b);
                break;
        }
    } else if (caption == signInCaption()) {
        switch (checkAccount(userName, password)) {
            case AccountCheck::Rejected:
                b.messageBox(GBK("账号或密码错误"), ui::defaultMessageTitle(), ui::kOk);
                return;
            case AccountCheck::Unavailable:
                reportUnavailable(b);
                return;
            case AccountCheck::Accepted:
                break;
        }
        switch (rememberAccount(marked, password)) {
            case AccountWrite::Stored:
                handOver(s);
                break;
            case AccountWrite::Unavailable:
                reportUnavailable(b);
                break;
            case AccountWrite::AccountExists:
            case AccountWrite::NotSaved:
                reportNotSaved(b);
                break;
        }
    }
}

}  // namespace

ui::FormSpec loginWindowForm() {
    using ui::Kind;
    const ui::Font label{16, 700, {}};
    const ui::Font system{};
    ui::FormSpec f;
    f.title = GBK("Vorda登陆");
    f.x = 50;
    f.y = 50;
    f.width = 352;
    f.height = 254;
    f.controls = {
        make(Kind::Label, "透明标签1", 27, 40, 56, 40, GBK("用户名"), label),
        edit("编辑框1", 88, 48, false),
        make(Kind::Label, "透明标签2", 27, 91, 56, 40, GBK("密码"), label),
        edit("编辑框2", 88, 96, true),
        make(Kind::CheckBox, "选择框1", 136, 136, 72, 22, GBK("自动登录"), system),
        make(Kind::Button, "初始登录", 128, 176, 88, 32, {}, system),
    };
    return f;
}

LoginWindow bindLoginWindow(Backend& b, ui::ControlId window) {
    LoginWindow w;
    w.window = ui::Window(b, window);
    w.透明标签1 = ui::Label(b, window, "透明标签1");
    w.编辑框1 = ui::Edit(b, window, "编辑框1");
    w.透明标签2 = ui::Label(b, window, "透明标签2");
    w.编辑框2 = ui::Edit(b, window, "编辑框2");
    w.选择框1 = ui::CheckBox(b, window, "选择框1");
    w.初始登录 = ui::Button(b, window, "初始登录");
    return w;
}

void openLoginWindow(Backend& b) {
    const ui::ControlId window = b.createWindow(loginWindowForm());
    // Held here too: a hand-over during creation destroys the window and
    // whatever it keeps.
    auto state = std::make_shared<LoginState>();
    state->w = bindLoginWindow(b, window);
    b.keepWithWindow(window, state);
    LoginState* s = state.get();
    s->w.初始登录.on(ui::EventKind::Click, [s](const ui::Event&) { registerOrSignIn(*s); });
    b.runHandler([s] { prepareLoginWindow(*s); });
    if (!s->handedOver) s->w.window.show();
}

}  // namespace vorda::signin

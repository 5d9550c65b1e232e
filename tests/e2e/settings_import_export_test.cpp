// Export and import of the library on the current page through the real
// common file dialogs, and the login password change on the settings page
// with the sign-out that follows it.
#include <optional>
#include <string>
#include <vector>

#include "fixture.h"
#include "screens.h"

namespace vorda::e2e {
namespace {

using namespace main_form;
using Entry = std::vector<std::wstring>;

// The custom page has a sixth edit box where the password page has none.
constexpr Box kCustomSixthEdit{581, 129, 152, 24};

// --- files -----------------------------------------------------------------

std::string readFile(const std::wstring& path) {
    std::string out;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<missing>";
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    CloseHandle(f);
    return out;
}

bool writeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(f);
    return ok;
}

bool fileThere(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Bytes shown as text with escapes, so a failure names the byte that differs.
std::string escaped(const std::string& bytes) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\t') out += "\\t";
        else if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c >= 0x20 && c < 0x7F) out += static_cast<char>(c);
        else out += std::string("\\x") + hex[c >> 4] + hex[c & 15];
    }
    return out;
}

// --- dialogs ---------------------------------------------------------------

// Wine's explorer-style file dialog, by title. Its name box is the edit
// inside the combo cmb13; cmb2 shows the folder, cmb1 the file type.
inline const std::wstring kSaveTitle = L"另存为";
inline const std::wstring kOpenTitle = L"打开";
constexpr int kFileNameCombo = 0x47C;
constexpr int kLookInCombo = 0x471;
constexpr int kFileTypeCombo = 0x470;

struct FileDialog {
    HWND window = nullptr, name = nullptr, ok = nullptr;
    std::wstring folder() const { return text(GetDlgItem(window, kLookInCombo)); }
    std::wstring fileType() const { return text(GetDlgItem(window, kFileTypeCombo)); }
};

std::optional<FileDialog> waitFileDialog(const App& app, const std::wstring& title) {
    FileDialog d;
    waitFor([&] {
        for (HWND h : app.windows())
            if (className(h) == L"#32770" && text(h) == title) d.window = h;
        return d.window != nullptr;
    });
    if (!d.window) return std::nullopt;
    // The dialog fills itself in after it shows.
    waitFor([&] {
        HWND combo = GetDlgItem(d.window, kFileNameCombo);
        const auto edits = combo ? controls(combo, L"Edit") : std::vector<HWND>{};
        d.name = edits.empty() ? nullptr : edits.front();
        for (HWND b : controls(d.window, L"Button"))
            if (GetDlgCtrlID(b) == IDOK && IsWindowVisible(b)) d.ok = b;
        return d.name && d.ok;
    });
    if (!d.name || !d.ok) return std::nullopt;
    settle(d.window);
    return d;
}

// Types the path into the name box and presses the dialog's OK button.
bool choose(const FileDialog& d, const std::wstring& path) {
    setText(d.name, path);
    if (text(d.name) != path) return false;
    click(d.ok);
    return waitFor([&] { return !IsWindow(d.window); });
}

bool cancel(const FileDialog& d) {
    PostMessageW(d.window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return waitFor([&] { return !IsWindow(d.window); });
}

// Wine's message box holds its icon in the static stc1.
bool hasIcon(HWND box) {
    HWND icon = GetDlgItem(box, 0x440);
    DWORD_PTR handle = 0;
    return icon && SendMessageTimeoutW(icon, STM_GETICON, 0, 0, SMTO_NORMAL, kTimeout, &handle) && handle != 0;
}

// The next message box must have this text, title and icon; answered with OK.
void expectMessage(const App& app, const std::wstring& wantedText, const std::wstring& title, bool exclamation) {
    auto box = app.waitMessageBox();
    ASSERT_TRUE(box) << "no message box, expected " << utf8(wantedText);
    EXPECT_EQ(box->text, wantedText);
    EXPECT_EQ(box->title, title) << utf8(wantedText);
    EXPECT_EQ(hasIcon(box->hwnd), exclamation) << utf8(wantedText);
    answer(*box, IDOK);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(box->hwnd); })) << utf8(wantedText);
}

// --- the main window -------------------------------------------------------

class SettingsImportExportTest : public AppTest {
protected:
    void SetUp() override {
        app_ = &launch(settings().vordaExe);
        main_ = registerAndOpenMain(*app_, L"alice", L"secret", true);
        ASSERT_TRUE(main_) << "MainWindow did not open after registration";
        findControls();
    }

    void findControls() {
        auto custom = libraryPage(main_, true), password = libraryPage(main_, false);
        ASSERT_TRUE(custom && password);
        custom_ = *custom;
        password_ = *password;
        sixth_ = controlIn(main_, custom_.page, L"Edit", kCustomSixthEdit);
        customCount_ = control(main_, L"VordaLabel", kCustomCount);
        passwordCount_ = control(main_, L"VordaLabel", kPasswordCount);
        ASSERT_TRUE(sixth_ && customCount_ && passwordCount_);
    }

    const LibraryPage& page(bool custom) const { return custom ? custom_ : password_; }
    HWND count(bool custom) const { return custom ? customCount_ : passwordCount_; }
    int columns(bool custom) const { return custom ? 6 : 5; }

    void show(bool custom) {
        HWND link = control(main_, L"VordaLabel", custom ? kCustomLink : kPasswordLink);
        ASSERT_TRUE(link);
        postMouse(link, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
        postMouse(link, WM_LBUTTONUP, 5, 5, 0);
        settle(link);
        ASSERT_TRUE(waitFor([&] { return IsWindowVisible(page(custom).page) != FALSE; }));
    }

    void add(bool custom, const Entry& e) {
        const LibraryPage& p = page(custom);
        for (int i = 0; i < columns(custom); ++i) setText(i < 5 ? p.edits[i] : sixth_, e[i]);
        const int before = rowCount(p.list);
        click(p.addOrUpdate);
        ASSERT_TRUE(expectBox(*app_, L"确认添加新项目吗？", IDOK));
        ASSERT_TRUE(waitFor([&] { return rowCount(p.list) == before + 1; })) << utf8(e[0]) << " not added";
    }

    std::vector<Entry> rows(bool custom) {
        std::vector<Entry> out;
        const HWND list = page(custom).list;
        for (int r = 0; r < rowCount(list); ++r) {
            Entry e;
            for (int c = 0; c < columns(custom); ++c) e.push_back(cell(*app_, list, r, c));
            out.push_back(e);
        }
        return out;
    }

    bool waitRows(bool custom, const std::vector<Entry>& wanted) {
        return waitFor([&] { return rows(custom) == wanted; });
    }
    bool waitCount(bool custom, int n) {
        return waitFor([&] { return text(count(custom)) == std::to_wstring(n); });
    }

    // The sidebar buttons act on the library of the page shown.
    void press(Box button) {
        HWND h = control(main_, L"Button", button);
        ASSERT_TRUE(h);
        PostMessageW(h, BM_CLICK, 0, 0);
    }

    // Both dialogs open in the program's directory.
    std::wstring directoryName() const { return app_->dir().substr(app_->dir().find_last_of(L'\\') + 1); }

    // Exports the shown library into the typed name; "导出成功" answered.
    void exportTo(const std::wstring& typed) {
        ASSERT_NO_FATAL_FAILURE(press(kExportButton));
        auto dialog = waitFileDialog(*app_, kSaveTitle);
        ASSERT_TRUE(dialog) << "no save dialog";
        EXPECT_EQ(dialog->folder(), directoryName());
        EXPECT_EQ(dialog->fileType(), L"文本文档（*.txt）");
        ASSERT_TRUE(choose(*dialog, app_->path(typed)));
        ASSERT_NO_FATAL_FAILURE(expectMessage(*app_, L"导出成功", L"信息：", false));
    }

    // Imports the file into the shown library; returns once the list holds
    // `rowsAfter` rows.
    void importFrom(bool custom, const std::wstring& file, int rowsAfter) {
        ASSERT_NO_FATAL_FAILURE(press(kImportButton));
        auto dialog = waitFileDialog(*app_, kOpenTitle);
        ASSERT_TRUE(dialog) << "no open dialog";
        EXPECT_EQ(dialog->folder(), directoryName());
        EXPECT_EQ(dialog->fileType(), L"文本文档（*.txt）");
        ASSERT_TRUE(choose(*dialog, app_->path(file)));
        ASSERT_TRUE(waitFor([&] { return rowCount(page(custom).list) == rowsAfter; }))
            << "rows after import: " << rowCount(page(custom).list);
    }

    App* app_ = nullptr;
    HWND main_ = nullptr;
    LibraryPage custom_, password_;
    HWND sixth_ = nullptr, customCount_ = nullptr, passwordCount_ = nullptr;
};

// GBK bytes of the Chinese texts below, written out so that the expected
// files do not depend on a conversion of ours.
#define GBK_MAILBOX "\xD3\xCA\xCF\xE4"               // 邮箱
#define GBK_CHINESE_NOTE "\xD6\xD0\xCE\xC4\xB1\xB8\xD7\xA2"  // 中文备注
#define GBK_BANK_CARD "\xD2\xF8\xD0\xD0\xBF\xA8"    // 银行卡
#define GBK_ZHANG_SAN "\xD5\xC5\xC8\xFD"             // 张三
#define GBK_PROJECT_A "\xCF\xEE\xC4\xBF\xBC\xD7"    // 项目甲
#define GBK_ONE "\xD2\xBB"                           // 一
#define GBK_FOUR "\xCB\xC4"                          // 四

const std::vector<Entry> kPasswordEntries = {
    {L"邮箱", L"https://mail.example", L"alice", L"pw 1", L"中文备注"},
    {L"blank", L"", L"bob", L"", L"x"},
    {L"银行卡", L"bank.example", L"张三", L"6222", L""},
};
// Every cell or a space, a TAB after each, the untitled column last, CR LF
// after every row.
const std::string kPasswordFile =
    GBK_MAILBOX "\thttps://mail.example\talice\tpw 1\t" GBK_CHINESE_NOTE "\t \t\r\n"
    "blank\t \tbob\t \tx\t \t\r\n"
    GBK_BANK_CARD "\tbank.example\t" GBK_ZHANG_SAN "\t6222\t \t \t\r\n";

const std::vector<Entry> kCustomEntries = {
    {L"项目甲", L"一", L"", L"three", L"四", L"5"},
    {L"empty", L"", L"", L"", L"", L""},
};
const std::string kCustomFile = GBK_PROJECT_A "\t" GBK_ONE "\t \tthree\t" GBK_FOUR "\t5\t \t\r\n"
                                              "empty\t \t \t \t \t \t \t\r\n";

TEST_F(SettingsImportExportTest, ExportWritesTheShownLibraryAsGbkTextWithATxtSuffix) {
    struct Case {
        const char* what;
        bool custom;
        const std::vector<Entry>* entries;
        std::wstring typed, written;
        const std::string* bytes;
    };
    // The suffix is added also to a name that has it already.
    const Case cases[] = {
        {"password library", false, &kPasswordEntries, L"密码库", L"密码库.txt", &kPasswordFile},
        {"custom library", true, &kCustomEntries, L"custom.txt", L"custom.txt.txt", &kCustomFile},
    };
    // An empty list gives an empty file.
    ASSERT_NO_FATAL_FAILURE(exportTo(L"empty"));
    EXPECT_EQ(readFile(app_->path(L"empty.txt")), "");

    for (const Case& c : cases) {
        ASSERT_NO_FATAL_FAILURE(show(c.custom)) << c.what;
        for (const Entry& e : *c.entries) ASSERT_NO_FATAL_FAILURE(add(c.custom, e)) << c.what;
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(show(c.custom));
        ASSERT_NO_FATAL_FAILURE(exportTo(c.typed));
        EXPECT_EQ(escaped(readFile(app_->path(c.written))), escaped(*c.bytes));
        EXPECT_FALSE(fileThere(app_->path(c.typed)));
    }

    // A cancelled dialog writes nothing and says nothing.
    ASSERT_NO_FATAL_FAILURE(press(kExportButton));
    auto dialog = waitFileDialog(*app_, kSaveTitle);
    ASSERT_TRUE(dialog);
    setText(dialog->name, app_->path(L"cancelled"));
    ASSERT_TRUE(cancel(*dialog));
    settle(main_);
    EXPECT_FALSE(app_->messageBox());
    EXPECT_FALSE(fileThere(app_->path(L"cancelled.txt")));
    EXPECT_FALSE(fileThere(app_->path(L"cancelled")));
}

TEST_F(SettingsImportExportTest, ImportAppendsTheLinesOfTheFileToTheShownLibrary) {
    // The exported shape, a cell left empty, and a last line without CR LF;
    // pieces after those the library needs are ignored.
    const std::string passwordLines = GBK_MAILBOX "\tmail\talice\tpw1\t" GBK_CHINESE_NOTE "\t \t\r\n"
                                                  "b\t\tbob\tpw2\tnote\textra\r\n"
                                                  "c\taddr\t" GBK_ZHANG_SAN "\tpw3\tlast";
    const std::vector<Entry> passwordRows = {
        {L"邮箱", L"mail", L"alice", L"pw1", L"中文备注"},
        {L"b", L"", L"bob", L"pw2", L"note"},
        {L"c", L"addr", L"张三", L"pw3", L"last"},
    };
    // A lone LF is ordinary text inside a cell.
    const std::string customLines = GBK_PROJECT_A "\t1\t2\t3\t4\t5\t \t\r\n"
                                                  "line\ttwo\nparts\t\t\t\t \t\r\n";
    const std::vector<Entry> customRows = {
        {L"项目甲", L"1", L"2", L"3", L"4", L"5"},
        {L"line", L"two\nparts", L"", L"", L"", L" "},
    };
    ASSERT_TRUE(writeFile(app_->path(L"密码.txt"), passwordLines));
    ASSERT_TRUE(writeFile(app_->path(L"custom.txt"), customLines));

    struct Case {
        const char* what;
        bool custom;
        std::wstring file;
        const std::vector<Entry>* rows;
    };
    const Case cases[] = {
        {"password library", false, L"密码.txt", &passwordRows},
        {"custom library", true, L"custom.txt", &customRows},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(show(c.custom));
        const int otherCount = static_cast<int>(rows(!c.custom).size());
        // A second import of the same file appends its lines again.
        std::vector<Entry> wanted;
        for (int round = 1; round <= 2; ++round) {
            wanted.insert(wanted.end(), c.rows->begin(), c.rows->end());
            ASSERT_NO_FATAL_FAILURE(importFrom(c.custom, c.file, static_cast<int>(wanted.size())));
            EXPECT_TRUE(waitRows(c.custom, wanted)) << "round " << round;
            EXPECT_TRUE(waitCount(c.custom, static_cast<int>(wanted.size())))
                << "round " << round << ": count shows " << utf8(text(count(c.custom)));
            EXPECT_EQ(text(count(!c.custom)), std::to_wstring(otherCount)) << "the other library's count";
        }
    }

    // What was imported is in the store files: it survives a restart.
    app_->kill();
    app_->start();
    main_ = app_->waitWindow(kMainTitle);
    ASSERT_TRUE(main_);
    ASSERT_NO_FATAL_FAILURE(findControls());
    EXPECT_TRUE(waitCount(false, 6));
    EXPECT_TRUE(waitCount(true, 4));
}

TEST_F(SettingsImportExportTest, ExportedFileImportsBackAsCopiesWithSpacesForEmptyCells) {
    for (const Entry& e : kPasswordEntries) ASSERT_NO_FATAL_FAILURE(add(false, e));
    ASSERT_NO_FATAL_FAILURE(exportTo(L"round"));
    ASSERT_NO_FATAL_FAILURE(importFrom(false, L"round.txt", 6));
    std::vector<Entry> wanted = kPasswordEntries;
    for (Entry e : kPasswordEntries) {
        for (std::wstring& cell : e)
            if (cell.empty()) cell = L" ";
        wanted.push_back(e);
    }
    EXPECT_TRUE(waitRows(false, wanted));
    EXPECT_TRUE(waitCount(false, 6));
}

// --- the settings page -----------------------------------------------------

TEST_F(SettingsImportExportTest, PasswordChangeChecksTheBoxesThenSignsOutToTheNewPassword) {
    HWND settingsButton = control(main_, L"Button", kSettingsButton);
    HWND oldBox = control(main_, L"Edit", kOldPassword);
    HWND newBox = control(main_, L"Edit", kNewPassword);
    HWND change = control(main_, L"Button", kChangePassword);
    ASSERT_TRUE(settingsButton && oldBox && newBox && change);
    EXPECT_EQ(text(change), L"修改");
    click(settingsButton);
    ASSERT_TRUE(waitFor([&] { return IsWindowVisible(oldBox) != FALSE; })) << "settings page not shown";

    // No library is shown here: export and import open no dialog.
    for (Box button : {kExportButton, kImportButton}) {
        HWND h = control(main_, L"Button", button);
        ASSERT_TRUE(h);
        click(h);
        settle(main_);
        EXPECT_FALSE(app_->messageBox()) << "a dialog opened on the settings page";
    }

    struct Case {
        const wchar_t *oldText, *newText, *message, *title;
        bool exclamation;
        HWND focus;
    };
    // The checks run in this order; the focus alternates between the boxes
    // so that each case moves it.
    const Case refused[] = {
        {L"", L"", L"请输入原始密码！", L"提示", false, oldBox},
        {L"wrong", L"", L"请输入新密码！", L"提示", false, newBox},
        {L"Secret", L"n3w-密码", L"抱歉，原始密码错误！", L"警告", true, oldBox},
        {L"secret", L"secret", L"新旧密码相同，请重新输入！", L"警告！", true, newBox},
        {L"secret ", L"n3w-密码", L"抱歉，原始密码错误！", L"警告", true, oldBox},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(utf8(c.message));
        setText(oldBox, c.oldText);
        setText(newBox, c.newText);
        click(change);
        ASSERT_NO_FATAL_FAILURE(expectMessage(*app_, c.message, c.title, c.exclamation));
        EXPECT_TRUE(waitFor([&] { return focusOf(main_) == c.focus; }));
        EXPECT_EQ(text(oldBox), c.oldText);
        EXPECT_EQ(text(newBox), c.newText);
        EXPECT_EQ(app_->window(kMainTitle), main_);
    }

    setText(oldBox, L"secret");
    setText(newBox, L"n3w-密码");
    click(change);
    ASSERT_NO_FATAL_FAILURE(expectMessage(*app_, L"密码修改成功", L"信息：", false));
    auto login = waitLogin(*app_);
    ASSERT_TRUE(login) << "no sign-in window after the change";
    EXPECT_TRUE(app_->waitNoWindow(kMainTitle));
    EXPECT_EQ(text(login->userName), L"alice");
    EXPECT_FALSE(checked(login->autoLogin));

    // The old password is refused, the new one opens MainWindow, also after a
    // restart (automatic sign-in stays off).
    submit(*login, L"alice", L"secret", false);
    ASSERT_TRUE(expectBox(*app_, L"账号或密码错误", IDOK));
    settle(login->window);
    EXPECT_FALSE(app_->window(kMainTitle));
    EXPECT_TRUE(signIn(*app_, L"alice", L"n3w-密码")) << "the new password did not sign in";
    app_->kill();
    app_->start();
    EXPECT_TRUE(signIn(*app_, L"alice", L"n3w-密码")) << "the new password did not sign in after a restart";
}

}  // namespace
}  // namespace vorda::e2e

// Every handler that writes a store file, run once cleanly to count its file
// steps, then once with each step failing and once with the world stopping at
// each step. Afterwards each store file opens and holds what it held before
// the handler or what a clean run leaves in it, nothing in between; a handler
// that did not make its change says so, and one that made it does not claim
// otherwise; and whatever a crash left, doing it again works.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "libraries/drag.h"
#include "libraries/library.h"
#include "signin/login_window.h"
#include "signin/program_start.h"
#include "storage/record_store.h"
#include "storage/store_crypto.h"
#include "storage/store_files.h"
#include "support/main_window_fixture.h"
#include "text/gbk.h"

namespace vorda {
namespace {

using storage::RecordStore;
using testing::Row;
using testing::Rows;
using testing::u8;
using Message = ui::MemoryBackend::ShownMessage;

// What a program finds in both store files: every record with every field,
// or a marker row for a file that is missing or does not open.
struct Stores {
    Rows data, dataEx;
    bool operator==(const Stores&) const = default;
};

const Row kMissing{"(missing)"};
const Row kUnopenable{"(does not open)"};

std::string describe(const Rows& rows) {
    std::string out;
    for (const Row& row : rows) {
        out += "  [";
        for (std::size_t k = 0; k < row.size(); ++k) out += (k ? "|" : "") + u8(row[k]);
        out += "]\n";
    }
    return out.empty() ? "  (no records)\n" : out;
}

std::string describe(const std::vector<Message>& messages) {
    std::string out;
    for (const Message& m : messages) out += "  " + u8(m.title) + ": " + u8(m.text) + "\n";
    return out.empty() ? "  (none)\n" : out;
}

bool contains(const std::string& text, const char* utf8) {
    return text::findAtCharStart(text, text::gbkFromUtf8(utf8)) != std::string::npos;
}

// Failures of the file layer reach the user under this title.
bool reportsFailure(const Message& m) { return m.title == GBK("错误"); }

// A message saying that a change was not made.
bool claimsNotSaved(const Message& m) {
    return reportsFailure(m) && (contains(m.text, "没有保存") || contains(m.text, "未能保存") ||
                                 contains(m.text, "失败") || contains(m.text, "无法创建"));
}

class FaultInjectionTest;
using Step = std::function<void(FaultInjectionTest&)>;

struct Handler {
    const char* name;  // a test name
    Step seed;         // writes the files as they are before the handler
    Step prepare;      // brings the program up to the user's action
    Step act;          // scripts the questions asked before any file step, then acts
    std::vector<Message> successes = {};  // shown by a clean run after the questions
    // Steps whose failure may leave things as they were without a word: the
    // file layer's call and a store file's name or a whole path.
    std::vector<std::pair<std::string, std::string>> silentSteps = {};
};

void PrintTo(const Handler& h, std::ostream* os) { *os << h.name; }

class FaultInjectionTest : public testing::MainWindowTest, public ::testing::WithParamInterface<Handler> {
public:
    void SetUp() override {
        MainWindowTest::SetUp();
        libraries::dragState() = {};
    }
    void TearDown() override {
        restartQuietly();
        MainWindowTest::TearDown();
    }

    Rows stateOf(const char* file, const std::vector<storage::FieldDefinition>& schema) {
        if (!dir.fs().exists(path(file))) return {kMissing};
        if (!storage::openStore(file)) return {kUnopenable};
        Rows rows = testing::currentRows(schema);
        RecordStore::close();
        return rows;
    }
    Stores stores() {
        return {stateOf(storage::kDataFile, storage::dataSchema()),
                stateOf(storage::kDataExFile, storage::dataExSchema())};
    }

    // The program as a new process finds it: no store open, no key cached, no
    // window, no drag, no fault.
    void restartQuietly() {
        RecordStore::abandonAll();
        storage::crypto::clearKeyCache();
        ui.reset();
        libraries::dragState() = {};
        faults().reset();
    }
    // Problems the memory backend caught besides the unscripted message boxes,
    // which the fault runs look at themselves.
    void expectNoOtherProblems() {
        for (const std::string& problem : ui.finish())
            if (!problem.starts_with("unexpected message box ")) ADD_FAILURE() << problem;
    }
    // The files as the handler's seed writes them, the program brought up to
    // the user's action.
    void startFrom(const Handler& h) {
        restartQuietly();
        for (const std::string& p : dir.fs().paths()) dir.fs().remove(p);
        h.seed(*this);
        h.prepare(*this);
        expectScriptDone();
    }
    // The user's action, every file step counted from here; fail or crash
    // from step n on when given.
    enum class Fault { None, Fail, Crash };
    void act(const Handler& h, Fault fault = Fault::None, int n = 0) {
        faults().reset();
        if (fault == Fault::Fail) faults().failStep(n);
        if (fault == Fault::Crash) faults().crashAtStep(n);
        h.act(*this);
    }
    // No handler keeps a store open once it has returned, whatever failed.
    void expectNoStoreOpen() {
        for (const char* file : {storage::kDataFile, storage::kDataExFile})
            EXPECT_FALSE(dir.fs().isLocked(path(file) + ".lock")) << file << " is still open";
    }
    void expectSuccesses(const Handler& h) {
        for (const Message& m : h.successes) ui.expectMessage(m.text, m.title, m.type);
    }

    static void expectBeforeOrAfter(const Stores& got, const Stores& before, const Stores& after) {
        EXPECT_TRUE(got.data == before.data || got.data == after.data) << "data.edb holds\n" << describe(got.data);
        EXPECT_TRUE(got.dataEx == before.dataEx || got.dataEx == after.dataEx) << "dataex.edb holds\n"
                                                                               << describe(got.dataEx);
    }
    // A file the handler changes was left as it was.
    static bool changeMissed(const Stores& got, const Stores& before, const Stores& after) {
        return (before.data != after.data && got.data == before.data) ||
               (before.dataEx != after.dataEx && got.dataEx == before.dataEx);
    }

    void checkEveryStep(const Handler& h);

    // --- pieces of the handlers ----------------------------------------------
    static Rows named(const std::string& tag, int count, int fields) {
        Rows rows;
        for (int i = 0; i < count; ++i) {
            Row row;
            for (int k = 0; k < fields; ++k) row.push_back(tag + std::to_string(i) + "." + std::to_string(k));
            rows.push_back(row);
        }
        return rows;
    }
    void seedLibraries() { writeStores(named("c", 3, 6), named("p", 3, 5)); }
    signin::LoginWindow login() { return signin::bindLoginWindow(ui, ui.findWindow(GBK("Vorda登陆"))); }
    void startAndType(const std::string& name, const std::string& password, bool autoLogin) {
        signin::startProgram(ui);
        signin::LoginWindow l = login();
        ui.typeText(l.编辑框1.id(), name);
        ui.typeText(l.编辑框2.id(), password);
        if (l.选择框1.checked() != autoLogin) ui.click(l.选择框1.id());
    }
    void openOn(const libraries::LibraryDescriptor& lib) {
        openMain();
        showPage(lib);
    }
    void openSettings() {
        openMain();
        ui.click(w().图形按钮1.id());
    }
    void confirmAndClick(const char* question, const char* title, int type, const ui::Control& button) {
        ui.expectMessage(text::gbkFromUtf8(question), text::gbkFromUtf8(title), type, ui::kIdOk);
        ui.click(button.id());
    }

    using MainWindowTest::dataExHeader;
    using MainWindowTest::dataHeader;
    using MainWindowTest::dir;
    using MainWindowTest::editsOf;
    using MainWindowTest::listOf;
    using MainWindowTest::openMain;
    using MainWindowTest::path;
    using MainWindowTest::w;
    using MainWindowTest::writeData;
    using MainWindowTest::writeDataEx;
    using MainWindowTest::writeStores;
    using UiTest::ui;
};

using T = FaultInjectionTest;
const libraries::LibraryDescriptor& customLib() { return libraries::customLibrary(); }
const libraries::LibraryDescriptor& passwordLib() { return libraries::passwordLibrary(); }
const std::string kImportFile = "C:\\in\\lib.txt";
const Step nothing = [](T&) {};
const Step startProgram = [](T& t) { signin::startProgram(t.ui); };
const Step clickSignIn = [](T& t) { t.ui.click(t.login().初始登录.id()); };

const Handler kHandlers[] = {
    {"FirstStart", nothing, nothing, startProgram, {},
     // A dataex.edb that may be there is not made afresh; MainWindow reports
     // it when it cannot be opened.
     {{"exists", storage::kDataExFile}}},
    {"Registration",
     [](T& t) {
         t.writeData(std::nullopt);
         t.writeDataEx(T::dataExHeader());
     },
     [](T& t) { t.startAndType("Alice", "pw1", true); }, clickSignIn},
    {"SignInSwitchingAutomaticSignInOn", [](T& t) { t.writeStores(); },
     [](T& t) { t.startAndType("Alice", "pw1", true); }, clickSignIn},
    {"AutomaticSignInWithDataExMissing", [](T& t) { t.writeData(T::dataHeader("*1*Alice"), T::named("c", 2, 6)); },
     nothing, startProgram},
    {"SignOutSwitchingAutomaticSignInOff",
     [](T& t) {
         t.writeData(T::dataHeader("*1*Alice"));
         t.writeDataEx(T::dataExHeader());
     },
     [](T& t) { t.openMain(); }, [](T& t) { t.ui.click(t.w().注销按钮.id()); }},
    {"AddingAPasswordEntry", [](T& t) { t.seedLibraries(); },
     [](T& t) {
         t.openOn(passwordLib());
         for (int k = 0; k < 5; ++k) t.ui.typeText(t.editsOf(passwordLib())[k]->id(), "new" + std::to_string(k));
     },
     [](T& t) { t.confirmAndClick("确认添加新项目吗？", "询问", ui::kOkCancelQuestion, t.w().超级按钮18); }},
    {"UpdatingACustomEntry", [](T& t) { t.seedLibraries(); },
     [](T& t) {
         t.openOn(customLib());
         t.ui.clickRow(t.listOf(customLib()).id(), 1);
         t.ui.typeText(t.editsOf(customLib())[3]->id(), "updated");
     },
     [](T& t) { t.confirmAndClick("已存在的项目，确认要更新吗？", "提示", ui::kOkCancel, t.w().超级按钮4); }},
    {"DeletingCustomEntries", [](T& t) { t.seedLibraries(); },
     [](T& t) {
         t.openOn(customLib());
         t.ui.clickRow(t.listOf(customLib()).id(), 0);
         t.ui.clickRow(t.listOf(customLib()).id(), 2, ui::MemoryBackend::SelectMode::Toggle);
     },
     [](T& t) { t.confirmAndClick("确认要删除选中项吗？", "提示", ui::kOkCancel, t.w().超级按钮10); }},
    {"DraggingAPasswordEntry", [](T& t) { t.seedLibraries(); },
     [](T& t) {
         t.openOn(passwordLib());
         const ui::ControlId list = t.listOf(passwordLib()).id();
         t.ui.pressAt(list, 20, ui::MemoryBackend::rowY(0));
         t.ui.moveMouse(list, 20, ui::MemoryBackend::rowY(0) + 1);
         t.ui.moveMouse(list, 20, ui::MemoryBackend::rowY(2));
     },
     [](T& t) { t.ui.releaseAt(t.listOf(passwordLib()).id(), 20, ui::MemoryBackend::rowY(2)); }},
    {"ImportingIntoTheCustomLibrary", [](T& t) { t.seedLibraries(); },
     [](T& t) {
         t.openOn(customLib());
         t.dir.fs().put(kImportFile, "a\tb\tc\td\te\tf\t \t\r\ng\th\ti\tj\tk\tl\t \t\r\n");
     },
     [](T& t) {
         t.ui.expectFileDialog({false, storage::runDirectory(), GBK("文本文档（*.txt）|*.txt"), ""}, kImportFile);
         t.ui.click(t.w().图形按钮3.id());
     },
     {},
     // An import file that cannot be read appends nothing, and nothing is said,
     // as for a missing one.
     {{"readAll", kImportFile}}},
    {"ChangingTheLoginPassword",
     [](T& t) {
         t.writeData(T::dataHeader("*1*Alice", "pw1"), T::named("c", 1, 6));
         t.writeDataEx(T::dataExHeader());
     },
     [](T& t) {
         t.openSettings();
         t.ui.typeText(t.w().编辑框17.id(), "pw1");
         t.ui.typeText(t.w().编辑框16.id(), "new pw");
     },
     [](T& t) { t.ui.click(t.w().超级按钮12.id()); }, {{GBK("密码修改成功"), GBK("信息："), ui::kOk}}},
    {"SavingTheCustomColumnTitles", [](T& t) { t.seedLibraries(); },
     [](T& t) {
         t.openSettings();
         t.ui.typeText(t.w().编辑框9.id(), "t1");
         t.ui.typeText(t.w().编辑框13.id(), "");
     },
     [](T& t) { t.ui.click(t.w().超级按钮11.id()); },
     {{GBK("设置完毕，请重启软件生效"), GBK("信息："), ui::kOk}}},
    {"SwitchingTheHomeLibrary", [](T& t) { t.seedLibraries(); }, [](T& t) { t.openSettings(); },
     [](T& t) { t.ui.click(t.w().超级按钮21.id()); }},
};

void FaultInjectionTest::checkEveryStep(const Handler& h) {
    // A clean run: the files after it, and the steps it takes.
    startFrom(h);
    const Stores before = stores();
    expectSuccesses(h);
    act(h);
    const int steps = faults().steps();
    const std::vector<std::string> log = faults().log();
    expectScriptDone();
    expectNoStoreOpen();
    const Stores after = stores();
    ASSERT_FALSE(before == after) << "the clean run changed nothing";

    for (int n = 1; n <= steps; ++n) {
        const std::string& step = log[static_cast<std::size_t>(n - 1)];
        SCOPED_TRACE("step " + std::to_string(n) + ": " + u8(step));

        // The step fails and the program goes on.
        startFrom(h);
        const std::size_t shownBefore = ui.messages().size();
        act(h, Fault::Fail, n);
        faults().reset();
        const std::vector<Message> shown(ui.messages().begin() + static_cast<std::ptrdiff_t>(shownBefore),
                                         ui.messages().end());
        expectNoOtherProblems();
        expectNoStoreOpen();
        Stores got = stores();
        {
            SCOPED_TRACE("the step failed; messages:\n" + describe(shown));
            expectBeforeOrAfter(got, before, after);
            if (changeMissed(got, before, after)) {
                const bool silent = std::any_of(h.silentSteps.begin(), h.silentSteps.end(), [&](const auto& s) {
                    return step == s.first + " " + (s.second.find('\\') == std::string::npos ? path(s.second) : s.second);
                });
                if (!silent) {
                    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), reportsFailure))
                        << "the change was not made and nobody was told";
                }
                for (const Message& s : shown)
                    for (const Message& m : h.successes) EXPECT_NE(s.text, m.text) << "success claimed";
            } else if (got == after) {
                for (const Message& m : shown) EXPECT_FALSE(claimsNotSaved(m)) << "a false alarm: " << u8(m.text);
            }
        }

        // The world stops at the step; a new process finds the files.
        startFrom(h);
        act(h, Fault::Crash, n);
        expectNoOtherProblems();
        restartQuietly();
        got = stores();
        {
            SCOPED_TRACE("the world stopped");
            expectBeforeOrAfter(got, before, after);
        }
        if (!(got == after)) {
            // Whatever the crash left does not stand in the way of doing it again.
            h.prepare(*this);
            expectSuccesses(h);
            act(h);
            expectScriptDone();
            EXPECT_TRUE(stores() == after) << "doing it again after the crash did not get there";
        }
    }
}

TEST_P(FaultInjectionTest, EachStoreHoldsBeforeOrAfterAndAFailureIsTold) { checkEveryStep(GetParam()); }

INSTANTIATE_TEST_SUITE_P(WritingHandlers, FaultInjectionTest, ::testing::ValuesIn(kHandlers),
                         [](const ::testing::TestParamInfo<Handler>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vorda

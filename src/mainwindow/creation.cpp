#include "mainwindow/creation.h"

#include <set>

#include "mainwindow/navigation.h"
#include "mainwindow/store_errors.h"
#include "signin/account.h"
#include "storage/record_store.h"
#include "storage/store_files.h"
#include "text/gbk.h"

namespace vorda::mainwindow {

using storage::RecordStore;

namespace {

// Opens a store for reading during creation; a file that will not open is
// reported once per creation and its reads give empty texts.
class CreationReader {
public:
    explicit CreationReader(ui::Backend& b) : b_(b) {}
    bool open(const std::string& file) {
        if (storage::openStore(file)) return true;
        if (reported_.insert(file).second) showCannotOpenStore(b_, file);
        return false;
    }
    const std::set<std::string>& reported() const { return reported_; }

private:
    ui::Backend& b_;
    std::set<std::string> reported_;
};

}  // namespace

bool homeIsCustomLibrary(const std::string& flag) { return storage::leadingInteger(flag) == 0; }

std::set<std::string> showHeaderRecords(MainWindow& w) {
    ui::Backend& b = w.backend();
    CreationReader reader(b);

    // 1. Column titles of the custom library.
    if (reader.open(storage::kDataFile)) {
        RecordStore::first();
        for (int k = 1; k <= 5; ++k) w.超级列表框1.setColumnTitle(k, RecordStore::read(storage::fieldName(k + 2)));
        RecordStore::close();
    }

    // 2. Balloon tips.
    b.attachTip(w.图形按钮1.id(), GBK("设置"));
    b.attachTip(w.图形按钮2.id(), GBK("导出密码库"));
    b.attachTip(w.图形按钮3.id(), GBK("导入密码库"));
    b.attachTip(w.注销按钮.id(), GBK("返回登录界面，需重新输入密码才能登录！"));

    // 3. Pages change only through the links and the settings button.
    w.高级选择夹1.setHeadersVisible(false);

    // 4. The home library flag.
    std::string flag;
    if (reader.open(storage::kDataExFile)) {
        flag = RecordStore::read(storage::fieldName(2));
        RecordStore::close();
    }
    const bool custom = homeIsCustomLibrary(flag);

    // 5 to 7. Indicator, link colours and page of the home library.
    showLibraryPage(w, custom ? kCustomPage : kPasswordPage);

    // 8.
    w.透明标签23.setText(custom ? GBK("自定义库") : GBK("密码库"));

    // 9, 10. Captions beside the custom edit boxes, and the user name.
    if (reader.open(storage::kDataFile)) {
        RecordStore::first();
        const ui::Label* captions[] = {&w.透明标签7, &w.透明标签8, &w.透明标签9, &w.透明标签10, &w.透明标签11};
        for (int k = 0; k < 5; ++k) captions[k]->setText(RecordStore::read(storage::fieldName(k + 3)));
        w.透明标签2.setText(signin::userNameOf(RecordStore::read(storage::fieldName(1))));
        RecordStore::close();
    }
    return reader.reported();
}

}  // namespace vorda::mainwindow

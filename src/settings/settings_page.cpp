#include "settings/settings_page.h"

#include "mainwindow/sign_out.h"
#include "mainwindow/store_errors.h"
#include "signin/account.h"
#include "storage/record_store.h"
#include "storage/store_files.h"
#include "text/gbk.h"

namespace vorda::settings {

using storage::RecordStore;

namespace {

std::vector<const ui::Edit*> titleBoxes(MainWindow& w) {
    return {&w.编辑框9, &w.编辑框10, &w.编辑框11, &w.编辑框12, &w.编辑框13};
}

bool openData(ui::Backend& b, const std::string& file) {
    if (storage::openStore(file)) return true;
    mainwindow::showCannotOpenStore(b, file);
    return false;
}

}  // namespace

void fillColumnTitleBoxes(MainWindow& w) {
    if (!openData(w.backend(), storage::kDataFile)) return;
    RecordStore::first();
    auto boxes = titleBoxes(w);
    for (int k = 0; k < 5; ++k) boxes[k]->setText(RecordStore::read(storage::fieldName(k + 3)));
    RecordStore::close();
}

void changeLoginPassword(MainWindow& w) {
    ui::Backend& b = w.backend();
    const std::string oldPassword = w.编辑框17.text();
    const std::string newPassword = w.编辑框16.text();
    if (oldPassword.empty()) {
        b.messageBox(GBK("请输入原始密码！"), GBK("提示"), ui::kOk);
        w.编辑框17.focus();
        return;
    }
    if (newPassword.empty()) {
        b.messageBox(GBK("请输入新密码！"), GBK("提示"), ui::kOk);
        w.编辑框16.focus();
        return;
    }
    if (!openData(b, storage::kDataFile)) return;
    RecordStore::first();
    const std::string stored = RecordStore::read(storage::fieldName(2));
    if (oldPassword != stored) {
        b.messageBox(GBK("抱歉，原始密码错误！"), GBK("警告"), ui::kOkExclamation);
        w.编辑框17.focus();
        RecordStore::close();
        return;
    }
    if (newPassword == stored) {
        b.messageBox(GBK("新旧密码相同，请重新输入！"), GBK("警告！"), ui::kOkExclamation);
        RecordStore::close();
        w.编辑框16.focus();
        return;
    }
    bool written = RecordStore::write(storage::fieldName(2), newPassword);
    // The sign-out below switches automatic sign-in off; doing it in the same
    // commit means no crash leaves the new password with automatic sign-in on.
    const std::string storedName = RecordStore::read(storage::fieldName(1));
    if (signin::hasAutoLoginMarker(storedName))
        written = RecordStore::write(storage::fieldName(1), signin::userNameOf(storedName)) && written;
    // The new password is in force only once it is on disk.
    if (!RecordStore::close() || !written) {
        b.messageBox(GBK("密码修改失败：无法写入数据文件 ") + storage::kDataFile + GBK("，原密码仍然有效。"),
                     GBK("错误"), ui::kOkExclamation);
        return;
    }
    b.messageBox(GBK("密码修改成功"), ui::defaultMessageTitle(), ui::kOk);
    mainwindow::signOut(w);
}

void saveColumnTitles(MainWindow& w) {
    ui::Backend& b = w.backend();
    if (!openData(b, storage::kDataFile)) return;
    RecordStore::first();
    auto boxes = titleBoxes(w);
    // A write fails without a header record to hold the titles.
    bool written = true;
    for (int k = 0; k < 5; ++k) written = RecordStore::write(storage::fieldName(k + 3), boxes[k]->text()) && written;
    if (RecordStore::close() && written)
        b.messageBox(GBK("设置完毕，请重启软件生效"), ui::defaultMessageTitle(), ui::kOk);
    else
        b.messageBox(GBK("设置失败：无法写入数据文件 ") + storage::kDataFile + GBK("，表列名没有保存。"),
                     GBK("错误"), ui::kOkExclamation);
}

void toggleHomeLibrary(MainWindow& w) {
    ui::Backend& b = w.backend();
    if (!openData(b, storage::kDataExFile)) return;
    const int value = storage::leadingInteger(RecordStore::read(storage::fieldName(2)));
    RecordStore::close();
    if (value != 0 && value != 1) return;
    if (!openData(b, storage::kDataExFile)) return;
    // A write fails without a header record to hold the flag.
    const bool written = RecordStore::write(storage::fieldName(2), value == 0 ? "1" : "0");
    if (!RecordStore::close() || !written) {
        mainwindow::showCannotSaveStore(b, storage::kDataExFile);
        return;
    }
    w.透明标签23.setText(value == 0 ? GBK("密码库") : GBK("自定义库"));
}

void bindSettingsEvents(MainWindow& w) {
    MainWindow* win = &w;
    w.超级按钮12.on(ui::EventKind::Click, [win](const ui::Event&) { changeLoginPassword(*win); });
    w.超级按钮11.on(ui::EventKind::Click, [win](const ui::Event&) { saveColumnTitles(*win); });
    w.超级按钮21.on(ui::EventKind::Click, [win](const ui::Event&) { toggleHomeLibrary(*win); });
}

}  // namespace vorda::settings

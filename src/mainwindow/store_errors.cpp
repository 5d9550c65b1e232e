#include "mainwindow/store_errors.h"

#include "text/gbk.h"

namespace vorda::mainwindow {

void showCannotOpenStore(ui::Backend& b, const std::string& fileName) {
    b.messageBox(GBK("无法打开数据文件 ") + fileName + GBK("，文件可能已损坏或正被其他程序使用。"), GBK("错误"),
                 ui::kOkExclamation);
}

void showCannotSaveStore(ui::Backend& b, const std::string& fileName) {
    b.messageBox(GBK("无法写入数据文件 ") + fileName + GBK("，本次更改没有保存。"), GBK("错误"),
                 ui::kOkExclamation);
}

}  // namespace vorda::mainwindow

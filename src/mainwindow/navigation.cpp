#include "mainwindow/navigation.h"

namespace vorda::mainwindow {

const ui::Color kActiveLinkColor{51, 92, 203};
const ui::Color kInactiveLinkColor{121, 125, 167};

void showLibraryPage(MainWindow& w, int page) {
    const ui::LinkLabel* links[] = {&w.超级链接框1, &w.超级链接框2, &w.超级链接框3};
    w.图片框1.setVisible(true);
    w.图片框1.setLeft(links[page]->left());
    for (int i = 0; i < 3; ++i) links[i]->setTextColor(i == page ? kActiveLinkColor : kInactiveLinkColor);
    w.高级选择夹1.setCurrentPage(page);
}

void showSettingsPage(MainWindow& w) {
    w.图片框1.setVisible(false);
    w.超级链接框1.setTextColor(kInactiveLinkColor);
    w.超级链接框2.setTextColor(kInactiveLinkColor);
    w.超级链接框3.setTextColor(kInactiveLinkColor);
    w.高级选择夹1.setCurrentPage(kSettingsPage);
}

}  // namespace vorda::mainwindow

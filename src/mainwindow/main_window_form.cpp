#include "mainwindow/main_window_form.h"

#include "text/gbk.h"

namespace vorda::mainwindow {

namespace {

using ui::Color;
using ui::ControlSpec;
using ui::Font;
using ui::Kind;

const Color kBlue{51, 92, 203};
const Color kWhite{255, 255, 255};
const Color kInactive{121, 125, 167};

ControlSpec make(Kind kind, const char* name, const char* parent, int x, int y, int w, int h,
                 const std::string& text = {}) {
    ControlSpec c;
    c.kind = kind;
    c.name = name;
    c.parent = parent;
    c.x = x;
    c.y = y;
    c.width = w;
    c.height = h;
    c.text = text;
    return c;
}

ControlSpec hidden(ControlSpec c) {
    c.visible = false;
    return c;
}

ControlSpec picture(ControlSpec c, const char* name) {
    c.picture = name;
    return c;
}

// Sidebar texts stand on the blue background.
ControlSpec sidebarLabel(const char* name, int x, int y, int w, int h, const std::string& text,
                         int weight = 400) {
    ControlSpec c = make(Kind::Label, name, "图片框3", x, y, w, h, text);
    c.textColor = kWhite;
    c.font = Font{15, weight, {}};
    return c;
}

ControlSpec link(const char* name, int x, const std::string& text, bool visible = true) {
    ControlSpec c = make(Kind::LinkLabel, name, "外形框2", x, 20, 60, 24, text);
    c.font = Font{13, 400, GBK("微软雅黑")};
    c.background = kWhite;
    c.textColor = kInactive;
    c.hoverColor = kBlue;
    c.visible = visible;
    return c;
}

ControlSpec listView(const char* name, const char* parent, int x, int y, int w, int h,
                     std::vector<ui::Column> columns) {
    ControlSpec c = make(Kind::ListView, name, parent, x, y, w, h);
    c.columns = std::move(columns);
    return c;
}

void addSidebar(std::vector<ControlSpec>& cs) {
    ControlSpec bar = make(Kind::PictureBox, "图片框3", "", 0, 0, 190, 522);
    bar.background = kBlue;
    cs.push_back(bar);
    cs.push_back(sidebarLabel("透明标签1", 33, 2, 121, 24, GBK("欢迎使用Vorda"), 700));
    cs.push_back(picture(make(Kind::PictureBox, "图片框2", "图片框3", 50, 39, 90, 90), "avatar"));
    cs.push_back(picture(make(Kind::PictureBox, "图片框5", "图片框3", 51, 144, 16, 16), "user"));
    cs.push_back(sidebarLabel("透明标签2", 72, 142, 48, 24, GBK("用户名")));
    cs.push_back(make(Kind::Button, "注销按钮", "图片框3", 15, 168, 160, 40, GBK("注销")));
    cs.push_back(picture(make(Kind::PictureButton, "图形按钮3", "图片框3", 38, 222, 32, 32), "import"));
    ControlSpec divider = make(Kind::ShapeFrame, "外形框3", "图片框3", 94, 215, 1, 40);
    divider.background = kWhite;
    cs.push_back(divider);
    cs.push_back(picture(make(Kind::PictureButton, "图形按钮2", "图片框3", 118, 222, 32, 32), "export"));
    cs.push_back(picture(make(Kind::PictureButton, "图形按钮1", "图片框3", 79, 262, 32, 32), "settings"));
    cs.push_back(sidebarLabel("透明标签19", 16, 320, 96, 24, GBK("密码库已存 ")));
    cs.push_back(sidebarLabel("透明标签4", 104, 319, 24, 24, "1"));
    cs.push_back(sidebarLabel("透明标签21", 128, 320, 48, 24, GBK("条记录")));
    cs.push_back(sidebarLabel("透明标签20", 8, 368, 104, 24, GBK("自定义库已存 ")));
    cs.push_back(sidebarLabel("透明标签18", 104, 368, 24, 24, "1"));
    cs.push_back(sidebarLabel("透明标签22", 128, 368, 48, 24, GBK("条记录")));
    cs.push_back(hidden(make(Kind::Button, "加载按钮", "图片框3", 34, 456, 65, 24, GBK("加载"))));
    cs.push_back(hidden(make(Kind::Button, "刷新按钮", "", 122, 456, 64, 24, GBK("刷新"))));
    cs.push_back(hidden(make(Kind::Button, "加载按钮1", "图片框3", 34, 488, 65, 24, GBK("加载"))));
    cs.push_back(hidden(make(Kind::Button, "刷新按钮1", "图片框3", 122, 488, 64, 24, GBK("刷新"))));
}

void addTopBar(std::vector<ControlSpec>& cs) {
    ControlSpec frame = make(Kind::ShapeFrame, "外形框1", "", 191, 1, 654, 520);
    frame.background = kWhite;
    cs.push_back(frame);
    ControlSpec top = make(Kind::ShapeFrame, "外形框2", "外形框1", -7, -1, 669, 57);
    top.background = kWhite;
    cs.push_back(top);
    cs.push_back(link("超级链接框1", 29, GBK("自定义库")));
    cs.push_back(link("超级链接框2", 111, GBK("密码库")));
    cs.push_back(link("超级链接框3", 193, GBK("备忘录"), false));
    ControlSpec indicator = make(Kind::PictureBox, "图片框1", "外形框2", 29, 1, 60, 4);
    indicator.background = kBlue;
    cs.push_back(indicator);
    cs.push_back(make(Kind::Button, "超级按钮1", "外形框2", 597, 9, 24, 24, GBK("—")));
    cs.push_back(make(Kind::Button, "超级按钮2", "外形框2", 629, 8, 24, 24, GBK("×")));
}

void addPageControl(std::vector<ControlSpec>& cs) {
    ControlSpec pages = make(Kind::PageControl, "高级选择夹1", "外形框1", 0, 56, 648, 462);
    pages.background = kWhite;
    cs.push_back(pages);
    const char* pageNames[] = {"页1", "页2", "页3", "设置"};
    for (const char* p : pageNames) {
        ControlSpec page = make(Kind::Page, p, "高级选择夹1", 0, 0, 648, 462, text::gbkFromUtf8(p));
        page.background = kWhite;
        cs.push_back(page);
    }
}

void addCustomPage(std::vector<ControlSpec>& cs) {
    const char* p = "页1";
    cs.push_back(make(Kind::Label, "透明标签6", p, 9, 14, 61, 24, GBK("项目名")));
    cs.push_back(make(Kind::Edit, "编辑框1", p, 78, 14, 152, 24));
    cs.push_back(make(Kind::Button, "超级按钮5", p, 235, 14, 57, 24, GBK("复制")));
    cs.push_back(make(Kind::Label, "透明标签7", p, 320, 15, 61, 24, GBK("列1")));
    cs.push_back(make(Kind::Edit, "编辑框2", p, 390, 15, 152, 24));
    cs.push_back(make(Kind::Button, "超级按钮7", p, 544, 14, 57, 24, GBK("复制")));
    cs.push_back(make(Kind::Label, "透明标签8", p, 8, 44, 61, 24, GBK("列2")));
    cs.push_back(make(Kind::Edit, "编辑框3", p, 78, 44, 152, 24));
    cs.push_back(make(Kind::Button, "超级按钮3", p, 235, 42, 57, 24, GBK("复制")));
    cs.push_back(make(Kind::Label, "透明标签9", p, 320, 43, 61, 24, GBK("列3")));
    cs.push_back(make(Kind::Edit, "编辑框4", p, 390, 43, 152, 24));
    cs.push_back(make(Kind::Button, "超级按钮8", p, 544, 43, 57, 24, GBK("复制")));
    cs.push_back(make(Kind::Label, "透明标签10", p, 8, 74, 61, 24, GBK("列4")));
    cs.push_back(make(Kind::Edit, "编辑框5", p, 78, 74, 152, 24));
    cs.push_back(make(Kind::Button, "超级按钮6", p, 235, 73, 57, 24, GBK("复制")));
    cs.push_back(make(Kind::Label, "透明标签11", p, 320, 72, 61, 24, GBK("列5")));
    cs.push_back(make(Kind::Edit, "编辑框6", p, 390, 72, 152, 24));
    cs.push_back(make(Kind::Button, "超级按钮9", p, 544, 73, 57, 24, GBK("复制")));
    cs.push_back(make(Kind::Button, "超级按钮4", p, 73, 112, 88, 31, GBK("新增/更改项")));
    cs.push_back(make(Kind::Button, "超级按钮10", p, 184, 111, 88, 31, GBK("删除选中项")));
    cs.push_back(make(Kind::Edit, "编辑框7", p, 399, 114, 145, 25, GBK("搜索项目")));
    cs.push_back(picture(make(Kind::PictureButton, "搜索按钮1", p, 546, 115, 20, 20), "search"));
    cs.push_back(listView("超级列表框1", p, 8, 151, 632, 304,
                          {{GBK("项目"), 100},
                           {GBK("列2"), 100},
                           {GBK("列3"), 100},
                           {GBK("列4"), 100},
                           {GBK("列5"), 100},
                           {GBK("列6"), 100},
                           {"", 50}}));
}

void addPasswordPage(std::vector<ControlSpec>& cs) {
    const char* p = "页2";
    cs.push_back(make(Kind::Label, "透明标签13", p, 9, 14, 61, 24, GBK("项目名")));
    cs.push_back(make(Kind::Edit, "编辑1", p, 78, 14, 152, 24));
    cs.push_back(make(Kind::Button, "超级按钮13", p, 235, 14, 57, 24, GBK("复制")));
    cs.push_back(make(Kind::Label, "透明标签14", p, 320, 15, 61, 24, GBK("地址")));
    cs.push_back(make(Kind::Edit, "编辑2", p, 390, 15, 152, 24));
    cs.push_back(make(Kind::Button, "超级按钮14", p, 544, 14, 57, 24, GBK("复制")));
    cs.push_back(make(Kind::Label, "透明标签15", p, 8, 44, 61, 24, GBK("账户")));
    cs.push_back(make(Kind::Edit, "编辑3", p, 78, 44, 152, 24));
    cs.push_back(make(Kind::Button, "超级按钮15", p, 235, 42, 57, 24, GBK("复制")));
    cs.push_back(make(Kind::Label, "透明标签16", p, 320, 43, 61, 24, GBK("密码")));
    cs.push_back(make(Kind::Edit, "编辑4", p, 390, 43, 152, 24));
    cs.push_back(make(Kind::Button, "超级按钮16", p, 544, 43, 57, 24, GBK("复制")));
    cs.push_back(make(Kind::Label, "透明标签17", p, 8, 74, 61, 24, GBK("备注")));
    cs.push_back(make(Kind::Edit, "编辑5", p, 78, 74, 152, 24));
    cs.push_back(make(Kind::Button, "超级按钮17", p, 235, 73, 57, 24, GBK("复制")));
    cs.push_back(make(Kind::Button, "超级按钮18", p, 73, 112, 88, 31, GBK("新增/更改项")));
    cs.push_back(make(Kind::Button, "超级按钮19", p, 184, 111, 88, 31, GBK("删除选中项")));
    cs.push_back(make(Kind::Edit, "编辑6", p, 399, 114, 145, 25, GBK("搜索项目")));
    cs.push_back(picture(make(Kind::PictureButton, "搜索按钮2", p, 546, 115, 20, 20), "search"));
    cs.push_back(listView("超级列表框2", p, 8, 152, 632, 303,
                          {{GBK("项目"), 120},
                           {GBK("地址"), 120},
                           {GBK("账户"), 120},
                           {GBK("密码"), 120},
                           {GBK("备注"), 120},
                           {"", 50}}));
}

void addMemoPage(std::vector<ControlSpec>& cs) {
    cs.push_back(make(Kind::Edit, "编辑框8", "页3", 9, 7, 488, 424));
    cs.push_back(listView("超级列表框3", "页3", 504, 0, 145, 447, {{GBK("备忘录标题"), 150}}));
}

void addSettingsPage(std::vector<ControlSpec>& cs) {
    const char* p = "设置";
    // The group boxes come before their captions so the captions lie over them.
    cs.push_back(make(Kind::GroupBox, "分组框2", p, 16, 8, 616, 87));
    cs.push_back(make(Kind::Label, "透明标签25", p, 24, 6, 73, 16, GBK("修改登录密码")));
    cs.push_back(make(Kind::Label, "透明标签5", "分组框2", 24, 21, 56, 24, GBK("原密码：")));
    cs.push_back(make(Kind::Edit, "编辑框17", "分组框2", 89, 20, 184, 24));
    cs.push_back(make(Kind::Label, "透明标签12", "分组框2", 24, 48, 56, 24, GBK("新密码：")));
    cs.push_back(make(Kind::Edit, "编辑框16", "分组框2", 88, 52, 185, 24));
    cs.push_back(make(Kind::Button, "超级按钮12", "分组框2", 280, 31, 57, 32, GBK("修改")));

    cs.push_back(make(Kind::GroupBox, "分组框1", p, 17, 103, 616, 104));
    cs.push_back(make(Kind::Label, "透明标签26", p, 24, 101, 73, 16, GBK("自定义库设置")));
    cs.push_back(make(Kind::Label, "透明标签3", "分组框1", 24, 40, 56, 24, GBK("表列名：")));
    const char* titleBoxes[] = {"编辑框9", "编辑框10", "编辑框11", "编辑框12", "编辑框13"};
    for (int i = 0; i < 5; ++i) cs.push_back(make(Kind::Edit, titleBoxes[i], "分组框1", 72 + 64 * i, 40, 56, 24));
    cs.push_back(make(Kind::Button, "超级按钮11", "分组框1", 408, 39, 57, 24, GBK("设置")));

    cs.push_back(make(Kind::GroupBox, "分组框3", p, 16, 216, 616, 87));
    cs.push_back(make(Kind::Label, "透明标签27", p, 24, 214, 48, 16, GBK("首页设置")));
    cs.push_back(make(Kind::Label, "透明标签24", "分组框3", 24, 32, 65, 24, GBK("当前主页为：")));
    cs.push_back(make(Kind::Label, "透明标签23", "分组框3", 96, 32, 65, 24));
    cs.push_back(make(Kind::Button, "超级按钮21", "分组框3", 168, 30, 65, 32, GBK("修改")));
}

}  // namespace

ui::FormSpec mainWindowForm() {
    ui::FormSpec f;
    f.title = "Vorda";
    f.width = 846;
    f.height = 523;
    f.centred = true;
    f.frameless = true;
    f.closeOnEscape = true;
    f.background = kBlue;
    addSidebar(f.controls);
    addTopBar(f.controls);
    addPageControl(f.controls);
    addCustomPage(f.controls);
    addPasswordPage(f.controls);
    addMemoPage(f.controls);
    addSettingsPage(f.controls);
    f.controls.push_back(make(Kind::Canvas, "画板1", "", 8, 112, 24, 24));
    return f;
}

MainWindowControls bindMainWindowControls(ui::Backend& b, ui::ControlId window) {
    MainWindowControls w;
    w.window = ui::Window(b, window);
    w.图片框3 = {b, window, "图片框3"};
    w.图片框2 = {b, window, "图片框2"};
    w.图片框5 = {b, window, "图片框5"};
    w.注销按钮 = {b, window, "注销按钮"};
    w.图形按钮3 = {b, window, "图形按钮3"};
    w.外形框3 = {b, window, "外形框3"};
    w.图形按钮2 = {b, window, "图形按钮2"};
    w.图形按钮1 = {b, window, "图形按钮1"};
    w.加载按钮 = {b, window, "加载按钮"};
    w.刷新按钮 = {b, window, "刷新按钮"};
    w.加载按钮1 = {b, window, "加载按钮1"};
    w.刷新按钮1 = {b, window, "刷新按钮1"};
    w.外形框1 = {b, window, "外形框1"};
    w.外形框2 = {b, window, "外形框2"};
    w.图片框1 = {b, window, "图片框1"};
    w.超级按钮1 = {b, window, "超级按钮1"};
    w.超级按钮2 = {b, window, "超级按钮2"};
    w.高级选择夹1 = {b, window, "高级选择夹1"};
    w.透明标签6 = {b, window, "透明标签6"};
    w.编辑框1 = {b, window, "编辑框1"};
    w.超级按钮5 = {b, window, "超级按钮5"};
    w.透明标签7 = {b, window, "透明标签7"};
    w.编辑框2 = {b, window, "编辑框2"};
    w.超级按钮7 = {b, window, "超级按钮7"};
    w.透明标签8 = {b, window, "透明标签8"};
    w.编辑框3 = {b, window, "编辑框3"};
    w.超级按钮3 = {b, window, "超级按钮3"};
    w.透明标签9 = {b, window, "透明标签9"};
    w.编辑框4 = {b, window, "编辑框4"};
    w.超级按钮8 = {b, window, "超级按钮8"};
    w.透明标签10 = {b, window, "透明标签10"};
    w.编辑框5 = {b, window, "编辑框5"};
    w.超级按钮6 = {b, window, "超级按钮6"};
    w.透明标签11 = {b, window, "透明标签11"};
    w.编辑框6 = {b, window, "编辑框6"};
    w.超级按钮9 = {b, window, "超级按钮9"};
    w.超级按钮4 = {b, window, "超级按钮4"};
    w.超级按钮10 = {b, window, "超级按钮10"};
    w.编辑框7 = {b, window, "编辑框7"};
    w.搜索按钮1 = {b, window, "搜索按钮1"};
    w.透明标签13 = {b, window, "透明标签13"};
    w.编辑1 = {b, window, "编辑1"};
    w.超级按钮13 = {b, window, "超级按钮13"};
    w.透明标签14 = {b, window, "透明标签14"};
    w.编辑2 = {b, window, "编辑2"};
    w.超级按钮14 = {b, window, "超级按钮14"};
    w.透明标签15 = {b, window, "透明标签15"};
    w.编辑3 = {b, window, "编辑3"};
    w.超级按钮15 = {b, window, "超级按钮15"};
    w.透明标签16 = {b, window, "透明标签16"};
    w.编辑4 = {b, window, "编辑4"};
    w.超级按钮16 = {b, window, "超级按钮16"};
    w.透明标签17 = {b, window, "透明标签17"};
    w.编辑5 = {b, window, "编辑5"};
    w.超级按钮17 = {b, window, "超级按钮17"};
    w.超级按钮18 = {b, window, "超级按钮18"};
    w.超级按钮19 = {b, window, "超级按钮19"};
    w.编辑6 = {b, window, "编辑6"};
    w.搜索按钮2 = {b, window, "搜索按钮2"};
    w.编辑框8 = {b, window, "编辑框8"};
    w.分组框2 = {b, window, "分组框2"};
    w.透明标签25 = {b, window, "透明标签25"};
    w.透明标签5 = {b, window, "透明标签5"};
    w.编辑框17 = {b, window, "编辑框17"};
    w.透明标签12 = {b, window, "透明标签12"};
    w.编辑框16 = {b, window, "编辑框16"};
    w.超级按钮12 = {b, window, "超级按钮12"};
    w.分组框1 = {b, window, "分组框1"};
    w.透明标签26 = {b, window, "透明标签26"};
    w.透明标签3 = {b, window, "透明标签3"};
    w.超级按钮11 = {b, window, "超级按钮11"};
    w.分组框3 = {b, window, "分组框3"};
    w.透明标签27 = {b, window, "透明标签27"};
    w.透明标签24 = {b, window, "透明标签24"};
    w.透明标签23 = {b, window, "透明标签23"};
    w.超级按钮21 = {b, window, "超级按钮21"};
    w.画板1 = {b, window, "画板1"};
    w.透明标签1 = {b, window, "透明标签1"};
    w.透明标签2 = {b, window, "透明标签2"};
    w.透明标签19 = {b, window, "透明标签19"};
    w.透明标签4 = {b, window, "透明标签4"};
    w.透明标签21 = {b, window, "透明标签21"};
    w.透明标签20 = {b, window, "透明标签20"};
    w.透明标签18 = {b, window, "透明标签18"};
    w.透明标签22 = {b, window, "透明标签22"};
    w.超级链接框1 = {b, window, "超级链接框1"};
    w.超级链接框2 = {b, window, "超级链接框2"};
    w.超级链接框3 = {b, window, "超级链接框3"};
    w.超级列表框1 = {b, window, "超级列表框1"};
    w.超级列表框2 = {b, window, "超级列表框2"};
    w.超级列表框3 = {b, window, "超级列表框3"};
    w.编辑框9 = {b, window, "编辑框9"};
    w.编辑框10 = {b, window, "编辑框10"};
    w.编辑框11 = {b, window, "编辑框11"};
    w.编辑框12 = {b, window, "编辑框12"};
    w.编辑框13 = {b, window, "编辑框13"};
    return w;
}

}  // namespace vorda::mainwindow

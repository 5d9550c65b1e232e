// A test-only program: one window with a control of every kind, built through
// the ui interface on the Win32 backend, that writes each event it gets into
// the text of its label "log" ("LD 10 20;C 1,3;..."). The end-to-end tests
// work it from outside to check how the backend turns messages into events.
#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "text/gbk.h"
#include "ui/ui.h"
#include "ui/win32/win32_backend.h"

namespace {

using namespace vorda;
using ui::ControlSpec;
using ui::EventKind;
using ui::Kind;

const ui::Color kBlue{51, 92, 203};
const ui::Color kWhite{255, 255, 255};

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

ui::FormSpec probeForm() {
    ui::FormSpec f;
    f.title = "Vorda Probe";
    f.width = 640;
    f.height = 420;
    f.centred = true;
    f.frameless = true;
    f.closeOnEscape = true;
    f.background = kBlue;
    auto& cs = f.controls;
    ControlSpec pic = make(Kind::PictureBox, "pic", "", 10, 10, 90, 90);
    pic.picture = "avatar";
    cs.push_back(pic);
    const char* buttons[][2] = {{"box", "提问"},  {"notice", "通知"}, {"copy", "复制"},  {"open", "打开"},
                                {"save", "保存"}, {"fill", "填充"},   {"destroy", "换窗"}, {"quit", "退出"},
                                {"page", "翻页"}, {"draw", "画"}};
    for (int i = 0; i < 10; ++i)
        cs.push_back(make(Kind::Button, buttons[i][0], "", 10 + (i % 2) * 90, 110 + (i / 2) * 30, 80, 24,
                          text::gbkFromUtf8(buttons[i][1])));
    cs.push_back(make(Kind::Button, "insert", "", 10, 300, 80, 24, text::gbkFromUtf8("插入")));
    ControlSpec psw = make(Kind::Edit, "psw", "", 10, 270, 170, 24);
    psw.password = true;
    cs.push_back(psw);
    ControlSpec frame = make(Kind::ShapeFrame, "frame", "", 200, 10, 430, 340);
    frame.background = kWhite;
    cs.push_back(frame);
    ControlSpec link = make(Kind::LinkLabel, "link", "frame", 10, 8, 60, 24, text::gbkFromUtf8("链接"));
    link.background = kWhite;
    link.hoverColor = kBlue;
    cs.push_back(link);
    ControlSpec pages = make(Kind::PageControl, "pages", "frame", 0, 40, 430, 300);
    pages.background = kWhite;
    cs.push_back(pages);
    cs.push_back(make(Kind::Page, "p1", "pages", 0, 0, 430, 300, text::gbkFromUtf8("页1")));
    cs.push_back(make(Kind::Page, "p2", "pages", 0, 0, 430, 300, text::gbkFromUtf8("页2")));
    ControlSpec list = make(Kind::ListView, "list", "p1", 8, 8, 410, 200);
    list.columns = {{"A", 100}, {"B", 100}, {"C", 100}};
    cs.push_back(list);
    cs.push_back(make(Kind::Edit, "edit", "p1", 8, 216, 150, 24));
    cs.push_back(make(Kind::Button, "button", "p1", 166, 216, 80, 24, text::gbkFromUtf8("按钮")));
    cs.push_back(make(Kind::CheckBox, "check", "p1", 254, 216, 80, 22, text::gbkFromUtf8("选择")));
    cs.push_back(make(Kind::Edit, "other", "p2", 8, 8, 150, 24, "second page"));
    ControlSpec log = make(Kind::Label, "log", "", 10, 390, 620, 24);
    log.textColor = kWhite;
    cs.push_back(log);
    ControlSpec moves = make(Kind::Label, "moves", "", 10, 366, 620, 20);
    moves.textColor = kWhite;
    cs.push_back(moves);
    cs.push_back(make(Kind::Canvas, "canvas", "", 8, 112, 24, 24));
    return f;
}

struct Probe {
    ui::Backend& b;
    ui::ControlId window;
    ui::Label log;
    std::map<std::string, int> moves;

    void add(const std::string& entry) { log.setText(log.text() + entry + ";"); }
    // "list 3 window 0 pages 1": how many moves each control reported.
    void moved(const std::string& where) {
        ++moves[where];
        at("moves").setText("list " + std::to_string(moves["list"]) + " window " + std::to_string(moves["window"]) +
                            " pages " + std::to_string(moves["pages"]));
    }
    ui::Control at(const char* name) const { return ui::Control(b, window, name); }
};

std::string joined(const std::vector<int>& rows) {
    std::string s;
    for (int r : rows) s += (s.empty() ? "" : ",") + std::to_string(r);
    return s.empty() ? "-" : s;
}

std::string xy(const ui::Event& e) { return std::to_string(e.x) + " " + std::to_string(e.y); }

void openSecondWindow(ui::Backend& b) {
    ui::FormSpec f;
    f.title = "Vorda Probe 2";
    f.width = 200;
    f.height = 100;
    f.centred = true;
    b.showWindow(b.createWindow(f));
}

void bindProbe(const std::shared_ptr<Probe>& shared) {
    Probe* p = shared.get();
    ui::Backend& b = p->b;
    ui::ListView list(b, p->window, "list");
    ui::PageControl pages(b, p->window, "pages");
    ui::Edit edit(b, p->window, "edit");
    ui::CheckBox check(b, p->window, "check");
    ui::Canvas canvas(b, p->window, "canvas");
    ui::PopupMenu menu(b, p->window, {text::gbkFromUtf8("删除选中项"), text::gbkFromUtf8("导入"), "Export"});

    list.on(EventKind::LeftDown, [p](const ui::Event& e) { p->add("LD " + xy(e)); });
    list.on(EventKind::Click, [p, list](const ui::Event&) { p->add("C " + joined(list.selectedRows())); });
    list.on(EventKind::LeftUp, [p, list](const ui::Event& e) {
        p->add("U list " + xy(e) + " row " + std::to_string(list.hitTest(e.x, e.y)));
    });
    list.on(EventKind::MouseMove, [p](const ui::Event&) { p->moved("list"); });
    list.on(EventKind::KeyDown, [p](const ui::Event& e) { p->add("K " + std::to_string(e.key)); });
    list.on(EventKind::RightClick, [p, menu](const ui::Event& e) {
        p->add("R " + std::to_string(e.screenX) + " " + std::to_string(e.screenY));
        menu.popup(e.screenX, e.screenY);
    });
    menu.onItem([p](const ui::Event& e) { p->add("M " + std::to_string(e.item)); });

    ui::Window w(b, p->window);
    w.on(EventKind::MouseMove, [p](const ui::Event&) { p->moved("window"); });
    w.on(EventKind::LeftUp, [p](const ui::Event&) { p->add("U window"); });
    pages.on(EventKind::MouseMove, [p](const ui::Event&) { p->moved("pages"); });

    edit.on(EventKind::KeyDown, [p](const ui::Event& e) { p->add("KD " + std::to_string(e.key)); });
    edit.on(EventKind::KeyUp, [p](const ui::Event& e) { p->add("KU " + std::to_string(e.key)); });
    edit.on(EventKind::FocusIn, [p](const ui::Event&) { p->add("FI"); });
    edit.on(EventKind::FocusOut, [p](const ui::Event&) { p->add("FO"); });
    p->at("button").on(EventKind::Click, [p](const ui::Event&) { p->add("B"); });
    check.on(EventKind::Click, [p, check](const ui::Event&) { p->add(check.checked() ? "X 1" : "X 0"); });
    p->at("link").on(EventKind::LeftDown, [p](const ui::Event&) { p->add("L"); });

    p->at("box").on(EventKind::Click, [p, &b](const ui::Event&) {
        const int r = b.messageBox(text::gbkFromUtf8("确认要删除选中项吗？"), text::gbkFromUtf8("提示"), ui::kOkCancelQuestion);
        p->add("MB " + std::to_string(r));
    });
    p->at("notice").on(EventKind::Click, [p, &b](const ui::Event&) {
        b.timedNotice(text::gbkFromUtf8("      已复制项目到剪贴板！"), text::gbkFromUtf8("文本复制"), 200);
        p->add("N");
    });
    p->at("copy").on(EventKind::Click, [p, &b](const ui::Event&) {
        p->add(b.setClipboardText(text::gbkFromUtf8("密码abc")) ? "CB 1" : "CB 0");
    });
    for (const char* name : {"open", "save"}) {
        const bool save = std::string(name) == "save";
        p->at(name).on(EventKind::Click, [p, &b, save](const ui::Event&) {
            ui::FileDialog d(b);
            d.save = save;
            d.filter = text::gbkFromUtf8("文本文档（*.txt）|*.txt");
            d.fileName = p->at("psw").text();
            p->add(d.open() ? "F " + d.fileName : std::string("F none"));
        });
    }
    p->at("fill").on(EventKind::Click, [p, list](const ui::Event&) {
        std::vector<ui::Row> rows;
        rows.reserve(100000);
        for (int i = 0; i < 100000; ++i) {
            const std::string n = std::to_string(i);
            rows.push_back({"row " + n, "b " + n, text::gbkFromUtf8("行") + n});
        }
        list.setRows(std::move(rows));
        p->add("rows " + std::to_string(list.rowCount()));
    });
    p->at("destroy").on(EventKind::Click, [p, &b](const ui::Event&) {
        b.destroyWindow(p->window);
        // Still here: the window goes once this handler has returned.
        openSecondWindow(b);
        p->add("after");
    });
    p->at("insert").on(EventKind::Click, [p, list](const ui::Event&) {
        list.insertRow(1);
        list.setCell(1, 0, "new");
        list.deleteRow(3);
        std::string names;
        for (int r = 0; r < list.rowCount(); ++r) names += list.cell(r, 0) + ",";
        p->add("I " + joined(list.selectedRows()) + " " + names);
    });
    p->at("quit").on(EventKind::Click, [&b](const ui::Event&) { b.quit(); });
    p->at("page").on(EventKind::Click, [p, pages](const ui::Event&) {
        pages.setCurrentPage(1 - pages.currentPage());
        pages.setHeadersVisible(!pages.headersVisible());
        p->add("P " + std::to_string(pages.currentPage()) + (pages.headersVisible() ? " shown" : " hidden"));
    });
    p->at("draw").on(EventKind::Click, [p, canvas](const ui::Event&) {
        canvas.setLeft(300);
        canvas.setTop(360);
        canvas.setWidth(240);
        canvas.setHeight(16);
        canvas.clear();
        canvas.writeLine("  drag caption");
        canvas.writeLine("hidden below");
        p->add("D");
    });
    b.attachTip(p->at("button").id(), text::gbkFromUtf8("返回登录界面，需重新输入密码才能登录！"));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ui::Win32Backend b;
    const ui::ControlId window = b.createWindow(probeForm());
    auto probe = std::make_shared<Probe>(Probe{b, window, ui::Label(b, window, "log"), {}});
    b.keepWithWindow(window, probe);
    b.runHandler([&] {
        bindProbe(probe);
        ui::PageControl(b, window, "pages").setHeadersVisible(false);
        ui::Canvas canvas(b, window, "canvas");
        canvas.setHeight(0);
        canvas.setWidth(0);
        std::vector<ui::Row> rows;
        for (int i = 0; i < 5; ++i) rows.push_back({"r" + std::to_string(i), "x" + std::to_string(i), "y"});
        ui::ListView(b, window, "list").setRows(rows);
        ui::ListView(b, window, "list").setStateImage(1, 2);
    });
    b.showWindow(window);
    return b.run();
}

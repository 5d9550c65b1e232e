#include "ui/memory/memory_backend.h"

#include <algorithm>
#include <utility>

#include "text/gbk.h"

namespace vorda::ui {

namespace {

const Color kBlack{0, 0, 0};

// A Win32 window text ends at its first zero byte.
std::string windowText(const std::string& text) { return text.substr(0, text.find('\0')); }

std::string u8(const std::string& gbk) { return text::utf8FromGbk(gbk); }

std::string quoted(const std::string& gbk) { return "\"" + u8(gbk) + "\""; }

// Form names are identifiers in the source's own encoding, not GBK texts.
std::string named(const std::string& name) { return "'" + name + "'"; }

std::string describeMessage(const std::string& text, const std::string& title, int type) {
    return "message box " + quoted(text) + " titled " + quoted(title) + " of type " + std::to_string(type);
}

std::string describeRequest(const FileDialogRequest& r) {
    return std::string(r.save ? "save" : "open") + " dialog in " + quoted(r.initialDirectory) + " filter " +
           quoted(r.filter) + " file " + quoted(r.fileName);
}

std::string describeNotice(const std::string& text, const std::string& title, int ms) {
    return "notice " + quoted(text) + " titled " + quoted(title) + " for " + std::to_string(ms) + " ms";
}

bool sameRequest(const FileDialogRequest& a, const FileDialogRequest& b) {
    return a.save == b.save && a.initialDirectory == b.initialDirectory && a.filter == b.filter &&
           a.fileName == b.fileName;
}

}  // namespace

MemoryBackend::MemoryBackend() = default;
MemoryBackend::~MemoryBackend() = default;

// --- internals -------------------------------------------------------------

void MemoryBackend::fail(const std::string& what) { failures_.push_back(what); }

const MemoryBackend::Node* MemoryBackend::find(ControlId c) const {
    auto it = nodes_.find(c);
    return it == nodes_.end() ? nullptr : &it->second;
}

MemoryBackend::Node* MemoryBackend::live(ControlId c, const char* operation) {
    auto it = nodes_.find(c);
    if (it == nodes_.end()) {
        fail(std::string(operation) + " on unknown control #" + std::to_string(c));
        return nullptr;
    }
    if (!it->second.alive) {
        fail(std::string(operation) + " on destroyed control " + named(it->second.desc.name) + " (#" +
             std::to_string(c) + ")");
        return nullptr;
    }
    return &it->second;
}

MemoryBackend::Node* MemoryBackend::kindNode(ControlId c, Kind kind, const char* operation) {
    Node* n = live(c, operation);
    if (n && (n->kind != kind || n->menu)) {
        fail(std::string(operation) + " on " + named(n->desc.name) + ", a control of another kind");
        return nullptr;
    }
    return n;
}

MemoryBackend::Node* MemoryBackend::listNode(ControlId c, const char* operation) {
    return kindNode(c, Kind::ListView, operation);
}

MemoryBackend::Node* MemoryBackend::listWithRow(ControlId c, int row, const char* operation) {
    Node* n = listNode(c, operation);
    return n && row >= 0 && row < static_cast<int>(n->rows.size()) ? n : nullptr;
}

void MemoryBackend::destroyNow(ControlId window) {
    auto it = windows_.find(window);
    if (it == windows_.end()) return;
    // Kept data may own what the handlers point at: release it last.
    WindowState state = std::move(it->second);
    windows_.erase(it);
    windowOrder_.erase(std::remove(windowOrder_.begin(), windowOrder_.end(), window), windowOrder_.end());
    std::vector<ControlId> all = state.members;
    all.push_back(window);
    std::vector<Handler> dropped;
    for (ControlId id : all) {
        Node& n = nodes_[id];
        n.alive = false;
        for (auto& [kind, h] : n.handlers) dropped.push_back(std::move(h));
        n.handlers.clear();
        if (focused_ == id) focused_ = kNoControl;
        if (openMenu_ && openMenu_->menu == id) openMenu_.reset();
    }
    if (windows_.empty()) ended_ = true;
}

void MemoryBackend::flushDestroyed() {
    while (!pendingDestroy_.empty()) {
        std::vector<ControlId> pending;
        pending.swap(pendingDestroy_);
        for (ControlId w : pending) destroyNow(w);
    }
}

void MemoryBackend::moveFocus(ControlId to) {
    if (focused_ == to) return;
    const ControlId from = focused_;
    focused_ = to;
    auto raise = [this](ControlId c, EventKind kind) {
        auto it = nodes_.find(c);
        if (it == nodes_.end() || !it->second.alive) return;
        auto h = it->second.handlers.find(kind);
        if (h == it->second.handlers.end()) return;
        Handler copy = h->second;
        Event e;
        e.kind = kind;
        runHandler([&] { copy(e); });
    };
    raise(from, EventKind::FocusOut);
    if (focused_ == to) raise(to, EventKind::FocusIn);
}

bool MemoryBackend::userCanReach(ControlId c, const char* action) {
    if (ended_) {
        fail(std::string(action) + " after the program ended");
        return false;
    }
    const Node* n = live(c, action);
    if (!n) return false;
    if (openMenu_) {
        fail(std::string(action) + " on " + named(n->desc.name) + " while a popup menu is open");
        return false;
    }
    if (!reachable(c)) {
        fail(std::string(action) + " on " + (n->kind == Kind::Window ? quoted(n->text) : named(n->desc.name)) +
             ", which the user cannot reach (hidden, on another page, or its window is not shown)");
        return false;
    }
    return true;
}

Event MemoryBackend::pointerEvent(EventKind kind, ControlId c, int x, int y) const {
    Event e;
    e.kind = kind;
    e.x = x;
    e.y = y;
    const Rect r = screenRect(c);
    e.screenX = r.left + x;
    e.screenY = r.top + y;
    return e;
}

std::optional<MemoryBackend::Expectation> MemoryBackend::nextExpectation() {
    if (script_.empty()) return std::nullopt;
    Expectation e = std::move(script_.front());
    script_.pop_front();
    return e;
}

// --- windows ---------------------------------------------------------------

ControlId MemoryBackend::createWindow(const FormSpec& form) {
    const ControlId id = nextId_++;
    Node& w = nodes_[id];
    w.id = id;
    w.window = id;
    w.kind = Kind::Window;
    w.text = form.title;
    w.visible = false;
    w.textColor = kBlack;
    w.rect.width = form.width;
    w.rect.height = form.height;
    w.rect.left = form.centred ? (kScreenWidth - form.width) / 2 : form.x;
    w.rect.top = form.centred ? (kScreenHeight - form.height) / 2 : form.y;

    WindowState& state = windows_[id];
    state.form = form;
    windowOrder_.push_back(id);

    for (const ControlSpec& desc : form.controls) {
        ControlId parent = id;
        if (!desc.parent.empty()) {
            auto p = state.byName.find(desc.parent);
            if (p == state.byName.end())
                fail("form " + quoted(form.title) + ": " + named(desc.name) + " names an unknown parent " +
                     named(desc.parent));
            else
                parent = p->second;
        }
        if (state.byName.count(desc.name)) fail("form " + quoted(form.title) + ": duplicate name " + named(desc.name));
        const ControlId cid = nextId_++;
        Node& n = nodes_[cid];
        n.id = cid;
        n.window = id;
        n.parent = parent;
        n.kind = desc.kind;
        n.desc = desc;
        n.rect = {desc.x, desc.y, desc.width, desc.height};
        n.text = desc.text;
        n.visible = desc.visible;
        n.textColor = desc.textColor.value_or(kBlack);
        for (const Column& col : desc.columns) n.columnTitles.push_back(col.title);
        Node& container = nodes_[parent];
        if (desc.kind == Kind::Page && container.kind == Kind::PageControl) {
            container.pages.push_back(cid);
            // A page fills its page control.
            n.rect = {0, 0, container.rect.width, container.rect.height};
        }
        state.byName[desc.name] = cid;
        state.members.push_back(cid);
    }
    return id;
}

ControlId MemoryBackend::control(ControlId window, const std::string& name) {
    Node* w = live(window, "control lookup");
    if (!w) return kNoControl;
    const WindowState& state = windows_.at(window);
    auto it = state.byName.find(name);
    if (it == state.byName.end()) {
        fail("no control " + named(name) + " in window " + quoted(w->text));
        return kNoControl;
    }
    return it->second;
}

void MemoryBackend::showWindow(ControlId window) {
    Node* w = kindNode(window, Kind::Window, "showWindow");
    if (!w) return;
    w->visible = true;
    windows_.at(window).shown = true;
    windows_.at(window).minimized = false;
}

void MemoryBackend::destroyWindow(ControlId window) {
    if (!kindNode(window, Kind::Window, "destroyWindow")) return;
    if (handlerDepth_ > 0) {
        if (std::find(pendingDestroy_.begin(), pendingDestroy_.end(), window) == pendingDestroy_.end())
            pendingDestroy_.push_back(window);
        return;
    }
    destroyNow(window);
}

void MemoryBackend::minimizeWindow(ControlId window) {
    if (live(window, "minimizeWindow")) windows_.at(window).minimized = true;
}

void MemoryBackend::quit() { ended_ = true; }

void MemoryBackend::keepWithWindow(ControlId window, std::shared_ptr<void> data) {
    if (live(window, "keepWithWindow")) windows_.at(window).kept.push_back(std::move(data));
}

void MemoryBackend::on(ControlId control, EventKind kind, Handler handler) {
    if (Node* n = live(control, "on")) n->handlers[kind] = std::move(handler);
}

void MemoryBackend::runHandler(const std::function<void()>& fn) {
    struct Depth {
        MemoryBackend& b;
        explicit Depth(MemoryBackend& backend) : b(backend) { ++b.handlerDepth_; }
        ~Depth() {
            if (--b.handlerDepth_ == 0) b.flushDestroyed();
        }
    } depth(*this);
    fn();
}

// --- any control -----------------------------------------------------------

std::string MemoryBackend::text(ControlId c) {
    const Node* n = live(c, "text");
    return n ? n->text : std::string();
}

void MemoryBackend::setText(ControlId c, const std::string& text) {
    if (Node* n = live(c, "setText")) n->text = windowText(text);
}

bool MemoryBackend::visible(ControlId c) {
    const Node* n = live(c, "visible");
    return n && n->visible;
}

void MemoryBackend::setVisible(ControlId c, bool visible) {
    if (Node* n = live(c, "setVisible")) n->visible = visible;
}

Backend::Rect MemoryBackend::rect(ControlId c) {
    const Node* n = live(c, "rect");
    return n ? n->rect : Rect{};
}

void MemoryBackend::setRect(ControlId c, const Rect& r) {
    if (Node* n = live(c, "setRect")) n->rect = r;
}

void MemoryBackend::setTextColor(ControlId c, Color color) {
    if (Node* n = live(c, "setTextColor")) n->textColor = color;
}

Color MemoryBackend::textColor(ControlId c) {
    const Node* n = live(c, "textColor");
    return n ? n->textColor : kBlack;
}

void MemoryBackend::setFocus(ControlId c) {
    if (live(c, "setFocus")) moveFocus(c);
}

bool MemoryBackend::hasFocus(ControlId c) { return live(c, "hasFocus") && focused_ == c; }

// --- check boxes -----------------------------------------------------------

bool MemoryBackend::checked(ControlId c) {
    const Node* n = kindNode(c, Kind::CheckBox, "checked");
    return n && n->checked;
}

void MemoryBackend::setChecked(ControlId c, bool checked) {
    if (Node* n = kindNode(c, Kind::CheckBox, "setChecked")) n->checked = checked;
}

// --- page controls ---------------------------------------------------------

int MemoryBackend::currentPage(ControlId c) {
    const Node* n = kindNode(c, Kind::PageControl, "currentPage");
    return n ? n->currentPage : -1;
}

void MemoryBackend::setCurrentPage(ControlId c, int page) {
    Node* n = kindNode(c, Kind::PageControl, "setCurrentPage");
    if (n && page >= 0 && page < static_cast<int>(n->pages.size())) n->currentPage = page;
}

void MemoryBackend::setPageHeadersVisible(ControlId c, bool visible) {
    if (Node* n = kindNode(c, Kind::PageControl, "setPageHeadersVisible")) n->headersVisible = visible;
}

bool MemoryBackend::pageHeadersVisible(ControlId c) {
    const Node* n = kindNode(c, Kind::PageControl, "pageHeadersVisible");
    return n && n->headersVisible;
}

// --- list views ------------------------------------------------------------

int MemoryBackend::rowCount(ControlId c) {
    const Node* n = listNode(c, "rowCount");
    return n ? static_cast<int>(n->rows.size()) : 0;
}

int MemoryBackend::columnCount(ControlId c) {
    const Node* n = listNode(c, "columnCount");
    return n ? static_cast<int>(n->columnTitles.size()) : 0;
}

std::string MemoryBackend::columnTitle(ControlId c, int column) {
    const Node* n = listNode(c, "columnTitle");
    if (!n || column < 0 || column >= static_cast<int>(n->columnTitles.size())) return {};
    return n->columnTitles[static_cast<std::size_t>(column)];
}

void MemoryBackend::setColumnTitle(ControlId c, int column, const std::string& title) {
    Node* n = listNode(c, "setColumnTitle");
    if (!n || column < 0 || column >= static_cast<int>(n->columnTitles.size())) return;
    n->columnTitles[static_cast<std::size_t>(column)] = title;
}

std::string MemoryBackend::cell(ControlId c, int row, int column) {
    return std::string(cellView(c, row, column));
}

std::string_view MemoryBackend::cellView(ControlId c, int row, int column) {
    const Node* n = listWithRow(c, row, "cell");
    if (!n || column < 0) return {};
    return n->rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void MemoryBackend::setCell(ControlId c, int row, int column, const std::string& text) {
    Node* n = listWithRow(c, row, "setCell");
    if (!n || column < 0) return;
    n->rows[static_cast<std::size_t>(row)].set(static_cast<std::size_t>(column), text);
}

void MemoryBackend::insertRow(ControlId c, int at) {
    Node* n = listNode(c, "insertRow");
    if (!n || at < 0) return;
    // Like the Win32 list view, an index past the end appends.
    const auto pos = static_cast<std::ptrdiff_t>(std::min<std::size_t>(static_cast<std::size_t>(at), n->rows.size()));
    n->rows.insert(n->rows.begin() + pos, Row(n->columnTitles.size()));
    n->rowStates.insert(n->rowStates.begin() + pos, RowState{});
}

void MemoryBackend::deleteRow(ControlId c, int row) {
    Node* n = listWithRow(c, row, "deleteRow");
    if (!n) return;
    n->rows.erase(n->rows.begin() + row);
    n->rowStates.erase(n->rowStates.begin() + row);
}

void MemoryBackend::setRows(ControlId c, std::vector<Row> rows) {
    Node* n = listNode(c, "setRows");
    if (!n) return;
    for (Row& cells : rows) cells.resize(n->columnTitles.size());
    n->rows = std::move(rows);
    n->rowStates.assign(n->rows.size(), RowState{});
}

std::vector<Row> MemoryBackend::takeRows(ControlId c) {
    Node* n = listNode(c, "takeRows");
    if (!n) return {};
    std::vector<Row> out = std::move(n->rows);
    n->rows.clear();
    n->rowStates.clear();
    return out;
}

std::span<const Row> MemoryBackend::rowsView(ControlId c) {
    const Node* n = listNode(c, "rowsView");
    return n ? std::span<const Row>(n->rows) : std::span<const Row>();
}

bool MemoryBackend::selected(ControlId c, int row) {
    const Node* n = listWithRow(c, row, "selected");
    return n && n->rowStates[static_cast<std::size_t>(row)].selected;
}

void MemoryBackend::setSelected(ControlId c, int row, bool selected) {
    if (Node* n = listWithRow(c, row, "setSelected")) n->rowStates[static_cast<std::size_t>(row)].selected = selected;
}

std::vector<int> MemoryBackend::selectedRows(ControlId c) {
    std::vector<int> out;
    if (const Node* n = listNode(c, "selectedRows"))
        for (std::size_t i = 0; i < n->rowStates.size(); ++i)
            if (n->rowStates[i].selected) out.push_back(static_cast<int>(i));
    return out;
}

int MemoryBackend::stateImage(ControlId c, int row) {
    const Node* n = listWithRow(c, row, "stateImage");
    return n ? n->rowStates[static_cast<std::size_t>(row)].stateImage : 0;
}

void MemoryBackend::setStateImage(ControlId c, int row, int image) {
    if (Node* n = listWithRow(c, row, "setStateImage")) n->rowStates[static_cast<std::size_t>(row)].stateImage = image;
}

int MemoryBackend::hitTest(ControlId c, int x, int y) {
    const Node* n = listNode(c, "hitTest");
    if (!n || x < 0 || y < 0 || x >= n->rect.width || y >= n->rect.height) return -1;
    const int row = y / kRowHeight;
    return row < static_cast<int>(n->rows.size()) ? row : -1;
}

void MemoryBackend::ensureVisible(ControlId c, int row) {
    Node* n = listNode(c, "ensureVisible");
    if (n && row >= 0 && row < static_cast<int>(n->rows.size())) n->scrolledTo = row;
}

// --- canvases, tips, menus -------------------------------------------------

void MemoryBackend::clearCanvas(ControlId c) {
    if (Node* n = kindNode(c, Kind::Canvas, "clearCanvas")) n->lines.clear();
}

void MemoryBackend::writeLine(ControlId c, const std::string& text) {
    if (Node* n = kindNode(c, Kind::Canvas, "writeLine")) n->lines.push_back(text);
}

void MemoryBackend::attachTip(ControlId target, const std::string& text) {
    if (Node* n = live(target, "attachTip")) n->tip = text;
}

ControlId MemoryBackend::createPopupMenu(ControlId window, const std::vector<std::string>& items) {
    if (!live(window, "createPopupMenu")) return kNoControl;
    const ControlId id = nextId_++;
    Node& n = nodes_[id];
    n.id = id;
    n.window = window;
    n.parent = window;
    n.menu = true;
    n.visible = false;
    n.items = items;
    windows_.at(window).members.push_back(id);
    return id;
}

void MemoryBackend::popupMenu(ControlId menu, int screenX, int screenY) {
    const Node* n = live(menu, "popupMenu");
    if (!n) return;
    if (!n->menu) {
        fail("popupMenu on " + named(n->desc.name) + ", which is not a popup menu");
        return;
    }
    if (openMenu_) fail("popupMenu while another popup menu is open");
    openMenu_ = OpenMenu{menu, screenX, screenY};
}

// --- services --------------------------------------------------------------

int MemoryBackend::messageBox(const std::string& text, const std::string& title, int type) {
    shownMessages_.push_back({text, title, type});
    const std::string got = describeMessage(text, title, type);
    auto next = nextExpectation();
    if (!next) {
        fail("unexpected " + got);
        return kIdCancel;
    }
    auto* expected = std::get_if<ExpectedMessage>(&*next);
    if (!expected) {
        fail("expected a file dialog or notice, got " + got);
        return kIdCancel;
    }
    const ShownMessage& m = expected->message;
    if (m.text != text || m.title != title || m.type != type) {
        fail("expected " + describeMessage(m.text, m.title, m.type) + ", got " + got);
        return kIdCancel;
    }
    if (expected->whileShown) expected->whileShown();
    return expected->answer;
}

std::optional<std::string> MemoryBackend::chooseFile(const FileDialogRequest& request) {
    shownDialogs_.push_back(request);
    const std::string got = describeRequest(request);
    auto next = nextExpectation();
    if (!next) {
        fail("unexpected " + got);
        return std::nullopt;
    }
    auto* expected = std::get_if<ExpectedFileDialog>(&*next);
    if (!expected) {
        fail("expected a message box or notice, got " + got);
        return std::nullopt;
    }
    if (!sameRequest(expected->request, request)) {
        fail("expected " + describeRequest(expected->request) + ", got " + got);
        return std::nullopt;
    }
    return expected->answer;
}

bool MemoryBackend::setClipboardText(const std::string& text) {
    if (!clipboardAvailable_) return false;
    clipboard_ = text;
    return true;
}

void MemoryBackend::timedNotice(const std::string& text, const std::string& title, int milliseconds) {
    const std::string got = describeNotice(text, title, milliseconds);
    auto next = nextExpectation();
    if (!next) {
        fail("unexpected " + got);
        return;
    }
    auto* expected = std::get_if<ExpectedNotice>(&*next);
    if (!expected) {
        fail("expected a message box or file dialog, got " + got);
        return;
    }
    const ShownMessage& n = expected->notice;
    if (n.text != text || n.title != title || n.type != milliseconds)
        fail("expected " + describeNotice(n.text, n.title, n.type) + ", got " + got);
}

void MemoryBackend::reset() {
    // Handlers and kept data die together, after the state no longer refers
    // to them.
    auto nodes = std::move(nodes_);
    auto windows = std::move(windows_);
    nodes_.clear();
    windows_.clear();
    windowOrder_.clear();
    pendingDestroy_.clear();
    handlerDepth_ = 0;
    ended_ = false;
    focused_ = kNoControl;
    openMenu_.reset();
    script_.clear();
    shownMessages_.clear();
    shownDialogs_.clear();
    failures_.clear();
}

// --- looking at the program ------------------------------------------------

ControlId MemoryBackend::findWindow(const std::string& title) const {
    for (auto it = windowOrder_.rbegin(); it != windowOrder_.rend(); ++it)
        if (nodes_.at(*it).text == title) return *it;
    return kNoControl;
}

std::vector<ControlId> MemoryBackend::windows() const { return windowOrder_; }

bool MemoryBackend::exists(ControlId c) const {
    const Node* n = find(c);
    return n && n->alive;
}

bool MemoryBackend::shown(ControlId window) const {
    auto it = windows_.find(window);
    return it != windows_.end() && it->second.shown;
}

bool MemoryBackend::minimized(ControlId window) const {
    auto it = windows_.find(window);
    return it != windows_.end() && it->second.minimized;
}

const FormSpec& MemoryBackend::form(ControlId window) const {
    static const FormSpec none;
    auto it = windows_.find(window);
    return it == windows_.end() ? none : it->second.form;
}

const ControlSpec& MemoryBackend::desc(ControlId c) const {
    static const ControlSpec none;
    const Node* n = find(c);
    return n ? n->desc : none;
}

Kind MemoryBackend::kind(ControlId c) const {
    const Node* n = find(c);
    return n ? n->kind : Kind::Window;
}

ControlId MemoryBackend::windowOf(ControlId c) const {
    const Node* n = find(c);
    return n ? n->window : kNoControl;
}

Backend::Rect MemoryBackend::screenRect(ControlId c) const {
    const Node* n = find(c);
    if (!n) return {};
    Rect r = n->rect;
    for (const Node* p = find(n->parent); p; p = find(p->parent)) {
        r.left += p->rect.left;
        r.top += p->rect.top;
    }
    return r;
}

bool MemoryBackend::reachable(ControlId c) const {
    const Node* n = find(c);
    if (!n || !n->alive || n->menu) return false;
    auto w = windows_.find(n->window);
    if (w == windows_.end() || !w->second.shown || w->second.minimized) return false;
    for (; n && n->kind != Kind::Window; n = find(n->parent)) {
        if (!n->visible) return false;
        if (n->kind == Kind::Page) {
            const Node* pc = find(n->parent);
            if (pc && pc->kind == Kind::PageControl &&
                (pc->currentPage >= static_cast<int>(pc->pages.size()) ||
                 pc->pages[static_cast<std::size_t>(pc->currentPage)] != n->id))
                return false;
        }
    }
    return true;
}

std::vector<std::string> MemoryBackend::canvasLines(ControlId c) const {
    const Node* n = find(c);
    return n ? n->lines : std::vector<std::string>{};
}

std::string MemoryBackend::tip(ControlId target) const {
    const Node* n = find(target);
    return n ? n->tip : std::string();
}

int MemoryBackend::scrolledTo(ControlId list) const {
    const Node* n = find(list);
    return n ? n->scrolledTo : -1;
}

std::vector<std::string> MemoryBackend::menuItems(ControlId menu) const {
    const Node* n = find(menu);
    return n ? n->items : std::vector<std::string>{};
}

// --- playing the user ------------------------------------------------------

void MemoryBackend::fire(ControlId c, const Event& e) {
    if (ended_) {
        fail("event on #" + std::to_string(c) + " after the program ended");
        return;
    }
    Node* n = live(c, "fire");
    if (!n) return;
    auto it = n->handlers.find(e.kind);
    if (it == n->handlers.end()) return;
    // The handler may replace itself or destroy its window while it runs.
    Handler h = it->second;
    runHandler([&] { h(e); });
}

void MemoryBackend::click(ControlId c) {
    if (!userCanReach(c, "click")) return;
    const Kind k = nodes_.at(c).kind;
    switch (k) {
        case Kind::ListView:
            fail("click on a list view: say where, with clickRow or clickAt");
            return;
        case Kind::LinkLabel: {
            const Rect r = nodes_.at(c).rect;
            fire(c, pointerEvent(EventKind::LeftDown, c, r.width / 2, r.height / 2));
            return;
        }
        case Kind::Button:
        case Kind::CheckBox:
            moveFocus(c);
            if (!exists(c)) return;
            if (k == Kind::CheckBox) nodes_.at(c).checked = !nodes_.at(c).checked;
            break;
        default:
            break;
    }
    const Rect r = nodes_.at(c).rect;
    fire(c, pointerEvent(EventKind::Click, c, r.width / 2, r.height / 2));
}

void MemoryBackend::typeText(ControlId edit, const std::string& text) {
    if (!userCanReach(edit, "typeText")) return;
    if (nodes_.at(edit).kind != Kind::Edit) {
        fail("typeText on " + named(nodes_.at(edit).desc.name) + ", which is not an edit box");
        return;
    }
    moveFocus(edit);
    if (exists(edit)) nodes_.at(edit).text = windowText(text);
}

void MemoryBackend::pressKey(ControlId c, int key) {
    if (!userCanReach(c, "pressKey")) return;
    const ControlId window = nodes_.at(c).window;
    moveFocus(c);
    Event e;
    e.kind = EventKind::KeyDown;
    e.key = key;
    if (exists(c)) fire(c, e);
    e.kind = EventKind::KeyUp;
    if (exists(c) && !ended_) fire(c, e);
    if (key == kEscape && exists(window) && !ended_ && windows_.at(window).form.closeOnEscape) closeWindow(window);
}

void MemoryBackend::focus(ControlId c) {
    if (userCanReach(c, "focus")) moveFocus(c);
}

void MemoryBackend::closeWindow(ControlId window) {
    if (!userCanReach(window, "closeWindow") || !kindNode(window, Kind::Window, "closeWindow")) return;
    runHandler([&] { destroyWindow(window); });
}

void MemoryBackend::listPress(Node& list, int x, int y, SelectMode mode, bool keepSelectedRow) {
    const ControlId id = list.id;
    const int row = hitTest(id, x, y);
    auto& rows = nodes_.at(id).rowStates;
    if (keepSelectedRow && row >= 0 && rows[static_cast<std::size_t>(row)].selected) return;
    switch (mode) {
        case SelectMode::Only:
            for (auto& r : rows) r.selected = false;
            if (row >= 0) rows[static_cast<std::size_t>(row)].selected = true;
            break;
        case SelectMode::Toggle:
            if (row >= 0) rows[static_cast<std::size_t>(row)].selected = !rows[static_cast<std::size_t>(row)].selected;
            break;
        case SelectMode::Range: {
            if (row < 0) break;
            int anchor = row;
            for (std::size_t i = 0; i < rows.size(); ++i)
                if (rows[i].selected) {
                    anchor = static_cast<int>(i);
                    break;
                }
            for (std::size_t i = 0; i < rows.size(); ++i) {
                const int k = static_cast<int>(i);
                rows[i].selected = k >= std::min(anchor, row) && k <= std::max(anchor, row);
            }
            break;
        }
    }
}

void MemoryBackend::clickAt(ControlId list, int x, int y, SelectMode mode) {
    if (!userCanReach(list, "clickAt") || !listNode(list, "clickAt")) return;
    fire(list, pointerEvent(EventKind::LeftDown, list, x, y));
    if (!exists(list)) return;
    moveFocus(list);
    if (!exists(list)) return;
    listPress(nodes_.at(list), x, y, mode, false);
    fire(list, pointerEvent(EventKind::Click, list, x, y));
}

void MemoryBackend::clickRow(ControlId list, int row, SelectMode mode) { clickAt(list, 1, rowY(row), mode); }

void MemoryBackend::pressAt(ControlId list, int x, int y) {
    if (!userCanReach(list, "pressAt") || !listNode(list, "pressAt")) return;
    fire(list, pointerEvent(EventKind::LeftDown, list, x, y));
    if (!exists(list)) return;
    moveFocus(list);
    if (exists(list)) listPress(nodes_.at(list), x, y, SelectMode::Only, true);
}

void MemoryBackend::moveMouse(ControlId c, int x, int y) {
    if (userCanReach(c, "moveMouse")) fire(c, pointerEvent(EventKind::MouseMove, c, x, y));
}

void MemoryBackend::releaseAt(ControlId c, int x, int y) {
    if (userCanReach(c, "releaseAt")) fire(c, pointerEvent(EventKind::LeftUp, c, x, y));
}

void MemoryBackend::rightClickAt(ControlId list, int x, int y) {
    if (!userCanReach(list, "rightClickAt") || !listNode(list, "rightClickAt")) return;
    moveFocus(list);
    if (!exists(list)) return;
    listPress(nodes_.at(list), x, y, SelectMode::Only, true);
    fire(list, pointerEvent(EventKind::RightClick, list, x, y));
}

void MemoryBackend::chooseMenuItem(int item) {
    if (!openMenu_) {
        fail("chooseMenuItem with no popup menu open");
        return;
    }
    const ControlId menu = openMenu_->menu;
    openMenu_.reset();
    if (item < 0 || item >= static_cast<int>(nodes_.at(menu).items.size())) {
        fail("chooseMenuItem: the menu has no item " + std::to_string(item));
        return;
    }
    Event e;
    e.kind = EventKind::MenuItem;
    e.item = item;
    fire(menu, e);
}

void MemoryBackend::dismissMenu() {
    if (!openMenu_) fail("dismissMenu with no popup menu open");
    openMenu_.reset();
}

// --- script ----------------------------------------------------------------

void MemoryBackend::expectMessage(const std::string& text, const std::string& title, int type, int answer,
                                  std::function<void()> whileShown) {
    script_.push_back(ExpectedMessage{{text, title, type}, answer, std::move(whileShown)});
}

void MemoryBackend::expectFileDialog(const FileDialogRequest& expected, std::optional<std::string> answer) {
    script_.push_back(ExpectedFileDialog{expected, std::move(answer)});
}

void MemoryBackend::expectNotice(const std::string& text, const std::string& title, int milliseconds) {
    script_.push_back(ExpectedNotice{{text, title, milliseconds}});
}

std::vector<std::string> MemoryBackend::finish() {
    std::vector<std::string> out;
    out.swap(failures_);
    for (const Expectation& e : script_) {
        if (auto* m = std::get_if<ExpectedMessage>(&e))
            out.push_back("expected " + describeMessage(m->message.text, m->message.title, m->message.type) +
                          ", never shown");
        else if (auto* d = std::get_if<ExpectedFileDialog>(&e))
            out.push_back("expected " + describeRequest(d->request) + ", never shown");
        else if (auto* n = std::get_if<ExpectedNotice>(&e))
            out.push_back("expected " + describeNotice(n->notice.text, n->notice.title, n->notice.type) +
                          ", never shown");
    }
    script_.clear();
    return out;
}

}  // namespace vorda::ui

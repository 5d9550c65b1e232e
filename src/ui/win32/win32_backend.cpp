#include "ui/win32/win32_backend.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "ui/win32/win32_internal.h"

namespace vorda::ui {

using namespace win32;

namespace {

Win32Backend* g_backend = nullptr;

const Color kBlack{0, 0, 0};

bool isContainer(Kind k) {
    return k == Kind::PictureBox || k == Kind::ShapeFrame || k == Kind::GroupBox || k == Kind::PageControl ||
           k == Kind::Page;
}

bool isTabStop(Kind k) {
    return k == Kind::Edit || k == Kind::Button || k == Kind::CheckBox || k == Kind::ListView;
}

void registerClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, HICON icon) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hIcon = icon;
    wc.hIconSm = icon;
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

DWORD windowStyle(const FormSpec& form) {
    if (form.frameless) return WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;
    return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
}

constexpr DWORD kWindowExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;

}  // namespace

// --- construction ----------------------------------------------------------

Win32Backend::Win32Backend() {
    g_backend = this;
    instance_ = GetModuleHandleW(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES |
                                              ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    HICON icon = LoadIconW(instance_, MAKEINTRESOURCEW(1));
    if (!icon) icon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    registerClass(instance_, kWindowClass, surfaceProc, icon);
    registerClass(instance_, kSurfaceClass, surfaceProc, nullptr);
    registerClass(instance_, kLabelClass, surfaceProc, nullptr);
    registerClass(instance_, kMessageClass, messageProc, nullptr);
    messageWindow_ = CreateWindowExW(0, kMessageClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance_, nullptr);
}

Win32Backend::~Win32Backend() {
    // Whatever is left when the loop ends goes without raising events.
    std::vector<HWND> tops;
    for (auto& [id, ws] : windows_) {
        ws.dying = true;
        if (Node* n = find(id)) tops.push_back(n->hwnd);
    }
    for (HWND h : tops)
        if (IsWindow(h)) DestroyWindow(h);
    if (messageWindow_) DestroyWindow(messageWindow_);
    for (auto& [key, f] : fonts_) DeleteObject(f);
    for (auto& [key, b] : brushes_) DeleteObject(b);
    for (auto& [key, bmp] : pictures_) DeleteObject(bmp);
    g_backend = nullptr;
}

int Win32Backend::run() {
    MSG msg{};
    if (windows_.empty()) return 0;
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if (handleTab(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        handleEscape(msg);
    }
    return static_cast<int>(msg.wParam);
}

// --- lookups ---------------------------------------------------------------

Win32Backend::Node* Win32Backend::find(ControlId c) {
    auto it = nodes_.find(c);
    return it == nodes_.end() ? nullptr : it->second.get();
}

Win32Backend::Node* Win32Backend::findHwnd(HWND h) {
    for (; h; h = GetParent(h)) {
        auto it = byHwnd_.find(h);
        if (it != byHwnd_.end()) return find(it->second);
    }
    return nullptr;
}

Win32Backend::Node* Win32Backend::kindNode(ControlId c, Kind kind) {
    Node* n = find(c);
    return n && !n->menu && n->kind == kind && n->hwnd ? n : nullptr;
}

Win32Backend::WindowState* Win32Backend::windowState(ControlId window) {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second;
}

bool Win32Backend::alive(ControlId window) {
    WindowState* ws = windowState(window);
    return ws && !ws->dying;
}

// --- windows ---------------------------------------------------------------

ControlId Win32Backend::createWindow(const FormSpec& form) {
    const ControlId id = nextId_++;
    auto node = std::make_unique<Node>();
    node->id = id;
    node->window = id;
    node->kind = Kind::Window;
    node->visible = false;
    node->textColor = kBlack;
    if (form.background) node->desc.background = form.background;
    Node& n = *node;
    nodes_[id] = std::move(node);
    WindowState& ws = windows_[id];
    ws.form = form;

    const DWORD style = windowStyle(form);
    RECT r{0, 0, form.width, form.height};
    AdjustWindowRectEx(&r, style, FALSE, kWindowExStyle);
    const int outerW = r.right - r.left, outerH = r.bottom - r.top;
    int x = form.x, y = form.y;
    if (form.centred) {
        x = (GetSystemMetrics(SM_CXSCREEN) - outerW) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - outerH) / 2;
    }
    CreateWindowExW(kWindowExStyle, kWindowClass, wide(form.title).c_str(), style, x, y, outerW, outerH, nullptr,
                    nullptr, instance_, reinterpret_cast<LPVOID>(static_cast<INT_PTR>(id)));
    if (!n.hwnd) return id;
    n.font = fontFor(Font{});
    for (const ControlSpec& desc : form.controls) createControl(id, desc);
    return id;
}

void Win32Backend::createControl(ControlId window, const ControlSpec& desc) {
    WindowState& ws = windows_.at(window);
    ControlId parentId = window;
    if (!desc.parent.empty()) {
        auto p = ws.byName.find(desc.parent);
        if (p != ws.byName.end()) parentId = p->second;
    }
    Node* parent = find(parentId);
    if (!parent || !parent->hwnd) return;

    const ControlId id = nextId_++;
    auto node = std::make_unique<Node>();
    node->id = id;
    node->window = window;
    node->parent = parentId;
    node->kind = desc.kind;
    node->desc = desc;
    node->visible = desc.visible;
    node->textColor = desc.textColor.value_or(kBlack);
    node->font = fontFor(desc.font);
    Node& n = *node;
    nodes_[id] = std::move(node);
    ws.byName[desc.name] = id;
    ws.members.push_back(id);

    const std::wstring text = wide(desc.text);
    const LPVOID param = reinterpret_cast<LPVOID>(static_cast<INT_PTR>(id));
    const DWORD child = WS_CHILD | WS_CLIPSIBLINGS;
    HWND h = nullptr;
    switch (desc.kind) {
        case Kind::Label:
        case Kind::LinkLabel:
        case Kind::Canvas:
            h = CreateWindowExW(0, kLabelClass, text.c_str(), child, desc.x, desc.y, desc.width, desc.height,
                                parent->hwnd, nullptr, instance_, param);
            break;
        case Kind::PictureBox:
        case Kind::ShapeFrame:
        case Kind::GroupBox:
        case Kind::PageControl:
        case Kind::Page:
            h = CreateWindowExW(WS_EX_CONTROLPARENT, kSurfaceClass, text.c_str(), child | WS_CLIPCHILDREN, desc.x,
                                desc.y, desc.width, desc.height, parent->hwnd, nullptr, instance_, param);
            break;
        case Kind::Button:
        case Kind::PictureButton:
        case Kind::CheckBox: {
            DWORD style = child | WS_TABSTOP;
            if (desc.kind == Kind::Button) style |= BS_PUSHBUTTON;
            if (desc.kind == Kind::PictureButton) style = child | BS_OWNERDRAW;
            if (desc.kind == Kind::CheckBox) style |= BS_AUTOCHECKBOX;
            h = CreateWindowExW(0, L"Button", text.c_str(), style, desc.x, desc.y, desc.width, desc.height,
                                parent->hwnd, nullptr, instance_, nullptr);
            break;
        }
        case Kind::Edit: {
            DWORD style = child | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
            if (desc.password) style |= ES_PASSWORD;
            h = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", text.c_str(), style, desc.x, desc.y, desc.width,
                                desc.height, parent->hwnd, nullptr, instance_, nullptr);
            if (h) {
                SendMessageW(h, EM_SETLIMITTEXT, 0, 0);
                if (desc.password) SendMessageW(h, EM_SETPASSWORDCHAR, L'*', 0);
            }
            break;
        }
        case Kind::ListView:
            createListView(n, parent->hwnd);
            h = n.hwnd;
            break;
        case Kind::Window:
            break;
    }
    if (!h) return;
    n.hwnd = h;
    byHwnd_[h] = id;
    // Later controls lie over earlier ones, as the form lists them.
    SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(n.font), FALSE);
    if (desc.kind == Kind::Button || desc.kind == Kind::PictureButton || desc.kind == Kind::CheckBox ||
        desc.kind == Kind::Edit || desc.kind == Kind::ListView)
        SetWindowSubclass(h, controlSubclass, 1, static_cast<DWORD_PTR>(id));

    if (desc.kind == Kind::PageControl) {
        n.tabs = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE, 0, 0, desc.width,
                                 desc.height, h, nullptr, instance_, nullptr);
        if (n.tabs) {
            SendMessageW(n.tabs, WM_SETFONT, reinterpret_cast<WPARAM>(n.font), FALSE);
            byHwnd_[n.tabs] = id;
        }
    }
    if (desc.kind == Kind::Page && parent->kind == Kind::PageControl) {
        parent->pages.push_back(id);
        if (parent->tabs) {
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            std::wstring caption = text;
            item.pszText = caption.data();
            SendMessageW(parent->tabs, TCM_INSERTITEMW, parent->pages.size() - 1, reinterpret_cast<LPARAM>(&item));
        }
        layoutPages(*parent);
    }
    applyVisibility(n);
}

void Win32Backend::applyVisibility(Node& n) {
    if (!n.hwnd || n.kind == Kind::Window) return;
    bool show = n.visible;
    if (n.kind == Kind::Page) {
        Node* pc = find(n.parent);
        if (pc && pc->kind == Kind::PageControl) {
            const auto& pages = pc->pages;
            const auto at = std::find(pages.begin(), pages.end(), n.id) - pages.begin();
            show = show && at == pc->currentPage;
        }
    }
    ShowWindow(n.hwnd, show ? SW_SHOWNA : SW_HIDE);
}

void Win32Backend::layoutPages(Node& pc) {
    RECT area;
    GetClientRect(pc.hwnd, &area);
    if (pc.tabs) {
        MoveWindow(pc.tabs, 0, 0, area.right, area.bottom, FALSE);
        ShowWindow(pc.tabs, pc.headersVisible ? SW_SHOWNA : SW_HIDE);
        if (pc.headersVisible) {
            SendMessageW(pc.tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
            SendMessageW(pc.tabs, TCM_SETCURSEL, static_cast<WPARAM>(pc.currentPage), 0);
        }
    }
    for (ControlId p : pc.pages) {
        Node* page = find(p);
        if (!page || !page->hwnd) continue;
        MoveWindow(page->hwnd, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
        applyVisibility(*page);
    }
    InvalidateRect(pc.hwnd, nullptr, TRUE);
}

ControlId Win32Backend::control(ControlId window, const std::string& name) {
    WindowState* ws = windowState(window);
    if (!ws) return kNoControl;
    auto it = ws->byName.find(name);
    return it == ws->byName.end() ? kNoControl : it->second;
}

void Win32Backend::showWindow(ControlId window) {
    Node* n = kindNode(window, Kind::Window);
    WindowState* ws = windowState(window);
    if (!n || !ws || ws->dying) return;
    ws->shown = true;
    n->visible = true;
    ShowWindow(n->hwnd, SW_SHOW);
    SetForegroundWindow(n->hwnd);
    UpdateWindow(n->hwnd);
}

void Win32Backend::destroyWindow(ControlId window) {
    if (!alive(window) || !kindNode(window, Kind::Window)) return;
    if (std::find(pendingDestroy_.begin(), pendingDestroy_.end(), window) == pendingDestroy_.end())
        pendingDestroy_.push_back(window);
    if (handlerDepth_ == 0) flushDestroyed();
}

void Win32Backend::scheduleFlush() {
    if (flushPosted_ || pendingDestroy_.empty()) return;
    flushPosted_ = PostMessageW(messageWindow_, kMsgFlushDestroyed, 0, 0) != FALSE;
}

void Win32Backend::flushDestroyed() {
    if (handlerDepth_ > 0) return;
    std::vector<ControlId> pending;
    pending.swap(pendingDestroy_);
    for (ControlId w : pending) {
        WindowState* ws = windowState(w);
        Node* n = find(w);
        if (!ws || ws->dying || !n) continue;
        ws->dying = true;
        DestroyWindow(n->hwnd);
    }
}

void Win32Backend::onWindowGone(ControlId window) {
    auto it = windows_.find(window);
    if (it == windows_.end()) return;
    // Handlers may own what the kept data points at and the other way round:
    // both are released only after the state no longer refers to them.
    WindowState ws = std::move(it->second);
    windows_.erase(it);
    std::vector<std::unique_ptr<Node>> gone;
    std::vector<ControlId> ids = ws.members;
    ids.push_back(window);
    for (ControlId id : ids) {
        auto n = nodes_.find(id);
        if (n == nodes_.end()) continue;
        Node& node = *n->second;
        if (node.hwnd) byHwnd_.erase(node.hwnd);
        if (node.tabs) byHwnd_.erase(node.tabs);
        if (node.hmenu) {
            for (std::size_t i = 0; i < node.items.size(); ++i) commands_.erase(node.firstCommand + static_cast<int>(i));
            DestroyMenu(node.hmenu);
        }
        gone.push_back(std::move(n->second));
        nodes_.erase(n);
    }
    pendingDestroy_.erase(std::remove(pendingDestroy_.begin(), pendingDestroy_.end(), window), pendingDestroy_.end());
    if (windows_.empty()) PostQuitMessage(0);
    gone.clear();
    ws.kept.clear();
}

void Win32Backend::minimizeWindow(ControlId window) {
    if (Node* n = kindNode(window, Kind::Window)) ShowWindow(n->hwnd, SW_MINIMIZE);
}

void Win32Backend::quit() { PostQuitMessage(0); }

void Win32Backend::keepWithWindow(ControlId window, std::shared_ptr<void> data) {
    if (WindowState* ws = windowState(window)) ws->kept.push_back(std::move(data));
}

void Win32Backend::on(ControlId control, EventKind kind, Handler handler) {
    if (Node* n = find(control)) n->handlers[kind] = std::move(handler);
}

void Win32Backend::runHandler(const std::function<void()>& fn) {
    struct Depth {
        Win32Backend& b;
        explicit Depth(Win32Backend& backend) : b(backend) { ++b.handlerDepth_; }
        ~Depth() {
            if (--b.handlerDepth_ == 0) b.scheduleFlush();
        }
    } depth(*this);
    fn();
}

void Win32Backend::raise(ControlId c, EventKind kind, Event e) {
    Node* n = find(c);
    if (!n || !alive(n->window)) return;
    auto it = n->handlers.find(kind);
    if (it == n->handlers.end()) return;
    e.kind = kind;
    // The handler may replace itself while it runs.
    Handler h = it->second;
    runHandler([&] { h(e); });
}

void Win32Backend::raisePointer(ControlId c, EventKind kind, POINT client) {
    Node* n = find(c);
    if (!n || !n->hwnd) return;
    Event e;
    e.x = client.x;
    e.y = client.y;
    POINT screen = client;
    ClientToScreen(n->hwnd, &screen);
    e.screenX = screen.x;
    e.screenY = screen.y;
    raise(c, kind, e);
}

// --- any control -----------------------------------------------------------

std::string Win32Backend::text(ControlId c) {
    Node* n = find(c);
    if (!n || !n->hwnd) return {};
    return narrow(windowText(n->hwnd));
}

void Win32Backend::setText(ControlId c, const std::string& t) {
    Node* n = find(c);
    if (!n || !n->hwnd) return;
    const std::wstring w = wide(t);
    SetWindowTextW(n->hwnd, w.c_str());
    if (n->kind == Kind::Page) {
        Node* pc = find(n->parent);
        if (pc && pc->tabs) {
            const auto at = std::find(pc->pages.begin(), pc->pages.end(), c) - pc->pages.begin();
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            std::wstring caption = w;
            item.pszText = caption.data();
            SendMessageW(pc->tabs, TCM_SETITEMW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&item));
        }
    }
}

bool Win32Backend::visible(ControlId c) {
    Node* n = find(c);
    return n && n->visible;
}

void Win32Backend::setVisible(ControlId c, bool v) {
    Node* n = find(c);
    if (!n || !n->hwnd) return;
    n->visible = v;
    if (n->kind == Kind::Window) {
        if (v)
            showWindow(c);
        else
            ShowWindow(n->hwnd, SW_HIDE);
        return;
    }
    applyVisibility(*n);
}

Backend::Rect Win32Backend::rect(ControlId c) {
    Node* n = find(c);
    if (!n || !n->hwnd) return {};
    if (n->kind == Kind::Window) {
        RECT client;
        GetClientRect(n->hwnd, &client);
        POINT origin{0, 0};
        ClientToScreen(n->hwnd, &origin);
        return {origin.x, origin.y, client.right, client.bottom};
    }
    RECT r;
    GetWindowRect(n->hwnd, &r);
    MapWindowPoints(nullptr, GetParent(n->hwnd), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Win32Backend::setRect(ControlId c, const Rect& r) {
    Node* n = find(c);
    if (!n || !n->hwnd) return;
    const int w = std::max(0, r.width), h = std::max(0, r.height);
    if (n->kind == Kind::Window) {
        const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(n->hwnd, GWL_STYLE));
        const DWORD ex = static_cast<DWORD>(GetWindowLongPtrW(n->hwnd, GWL_EXSTYLE));
        RECT outer{r.left, r.top, r.left + w, r.top + h};
        AdjustWindowRectEx(&outer, style, FALSE, ex);
        SetWindowPos(n->hwnd, nullptr, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    SetWindowPos(n->hwnd, nullptr, r.left, r.top, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    if (n->kind == Kind::PageControl) layoutPages(*n);
}

void Win32Backend::setTextColor(ControlId c, Color color) {
    Node* n = find(c);
    if (!n || !n->hwnd) return;
    n->textColor = color;
    InvalidateRect(n->hwnd, nullptr, FALSE);
}

Color Win32Backend::textColor(ControlId c) {
    Node* n = find(c);
    return n ? n->textColor : kBlack;
}

void Win32Backend::setFocus(ControlId c) {
    if (Node* n = find(c); n && n->hwnd) SetFocus(n->hwnd);
}

bool Win32Backend::hasFocus(ControlId c) {
    Node* n = find(c);
    return n && n->hwnd && GetFocus() == n->hwnd;
}

// --- check boxes -----------------------------------------------------------

bool Win32Backend::checked(ControlId c) {
    Node* n = kindNode(c, Kind::CheckBox);
    return n && SendMessageW(n->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Backend::setChecked(ControlId c, bool v) {
    if (Node* n = kindNode(c, Kind::CheckBox)) SendMessageW(n->hwnd, BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
}

// --- page controls ---------------------------------------------------------

int Win32Backend::currentPage(ControlId c) {
    Node* n = kindNode(c, Kind::PageControl);
    return n ? n->currentPage : -1;
}

void Win32Backend::setCurrentPage(ControlId c, int page) {
    Node* n = kindNode(c, Kind::PageControl);
    if (!n || page < 0 || page >= static_cast<int>(n->pages.size())) return;
    n->currentPage = page;
    if (n->tabs) SendMessageW(n->tabs, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    for (ControlId p : n->pages)
        if (Node* pn = find(p)) applyVisibility(*pn);
}

void Win32Backend::setPageHeadersVisible(ControlId c, bool v) {
    Node* n = kindNode(c, Kind::PageControl);
    if (!n || n->headersVisible == v) return;
    n->headersVisible = v;
    layoutPages(*n);
}

bool Win32Backend::pageHeadersVisible(ControlId c) {
    Node* n = kindNode(c, Kind::PageControl);
    return n && n->headersVisible;
}

// --- canvases, tips, menus -------------------------------------------------

void Win32Backend::clearCanvas(ControlId c) {
    Node* n = kindNode(c, Kind::Canvas);
    if (!n) return;
    n->lines.clear();
    n->writeY = 0;
    InvalidateRect(n->hwnd, nullptr, FALSE);
}

void Win32Backend::writeLine(ControlId c, const std::string& t) {
    Node* n = kindNode(c, Kind::Canvas);
    if (!n) return;
    constexpr int kLineHeight = 16;
    n->lines.push_back({n->writeY, wide(t), colorRef(n->textColor)});
    n->writeY += kLineHeight;
    InvalidateRect(n->hwnd, nullptr, FALSE);
}

void Win32Backend::attachTip(ControlId target, const std::string& t) {
    Node* n = find(target);
    Node* top = n ? find(n->window) : nullptr;
    if (!n || !n->hwnd || !top) return;
    std::wstring w = wide(t);
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = top->hwnd;
    ti.uId = reinterpret_cast<UINT_PTR>(n->hwnd);
    ti.lpszText = w.data();
    if (n->tip) {
        SendMessageW(n->tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
        return;
    }
    n->tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_BALLOON | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, top->hwnd, nullptr, instance_,
                             nullptr);
    if (!n->tip) return;
    SendMessageW(n->tip, TTM_SETMAXTIPWIDTH, 0, 320);
    SendMessageW(n->tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

ControlId Win32Backend::createPopupMenu(ControlId window, const std::vector<std::string>& items) {
    WindowState* ws = windowState(window);
    if (!ws) return kNoControl;
    const ControlId id = nextId_++;
    auto node = std::make_unique<Node>();
    node->id = id;
    node->window = window;
    node->parent = window;
    node->menu = true;
    node->visible = false;
    node->items = items;
    node->hmenu = CreatePopupMenu();
    node->firstCommand = nextCommand_;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const int command = nextCommand_++;
        AppendMenuW(node->hmenu, MF_STRING, static_cast<UINT_PTR>(command), wide(items[i]).c_str());
        commands_[command] = {id, static_cast<int>(i)};
    }
    nodes_[id] = std::move(node);
    ws->members.push_back(id);
    return id;
}

void Win32Backend::popupMenu(ControlId menu, int screenX, int screenY) {
    Node* n = find(menu);
    Node* top = n ? find(n->window) : nullptr;
    if (!n || !n->menu || !top || !top->hwnd) return;
    SetForegroundWindow(top->hwnd);
    // The chosen item arrives as WM_COMMAND and runs as a handler of its own.
    TrackPopupMenu(n->hmenu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screenX, screenY, 0, top->hwnd, nullptr);
    PostMessageW(top->hwnd, WM_NULL, 0, 0);
}

// --- keyboard --------------------------------------------------------------

void Win32Backend::focusInitially(Node& window) {
    WindowState* ws = windowState(window.id);
    if (!ws) return;
    ws->focusedOnce = true;
    for (ControlId id : ws->members) {
        Node* n = find(id);
        if (n && n->kind == Kind::Edit && n->hwnd && IsWindowVisible(n->hwnd) && IsWindowEnabled(n->hwnd)) {
            SetFocus(n->hwnd);
            return;
        }
    }
    SetFocus(window.hwnd);
}

bool Win32Backend::handleTab(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
    Node* from = findHwnd(msg.hwnd);
    WindowState* ws = from ? windowState(from->window) : nullptr;
    if (!ws || ws->dying) return false;
    std::vector<Node*> stops;
    for (ControlId id : ws->members) {
        Node* n = find(id);
        if (n && n->hwnd && isTabStop(n->kind) && IsWindowVisible(n->hwnd) && IsWindowEnabled(n->hwnd))
            stops.push_back(n);
    }
    if (stops.empty()) return false;
    const bool back = GetKeyState(VK_SHIFT) < 0;
    const auto at = std::find(stops.begin(), stops.end(), from);
    std::size_t next;
    if (at == stops.end())
        next = back ? stops.size() - 1 : 0;
    else {
        const std::size_t i = static_cast<std::size_t>(at - stops.begin());
        next = back ? (i + stops.size() - 1) % stops.size() : (i + 1) % stops.size();
    }
    SetFocus(stops[next]->hwnd);
    if (stops[next]->kind == Kind::Edit) SendMessageW(stops[next]->hwnd, EM_SETSEL, 0, -1);
    return true;
}

bool Win32Backend::handleEscape(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE) return false;
    Node* n = findHwnd(msg.hwnd);
    if (!n) return false;
    WindowState* ws = windowState(n->window);
    if (!ws || ws->dying || !ws->form.closeOnEscape) return false;
    destroyWindow(n->window);
    return true;
}

// --- window procedures -----------------------------------------------------

LRESULT CALLBACK Win32Backend::surfaceProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    Win32Backend* self = g_backend;
    if (msg == WM_NCCREATE && self) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
        const auto id = static_cast<ControlId>(reinterpret_cast<INT_PTR>(cs->lpCreateParams));
        SetWindowLongPtrW(h, GWLP_USERDATA, id);
        if (Node* n = self->find(id)) {
            n->hwnd = h;
            self->byHwnd_[h] = id;
        }
    }
    if (self) {
        const auto id = static_cast<ControlId>(GetWindowLongPtrW(h, GWLP_USERDATA));
        Node* n = self->find(id);
        if (n && n->hwnd == h) return self->onSurface(*n, msg, wp, lp);
    }
    return DefWindowProcW(h, msg, wp, lp);
}

LRESULT CALLBACK Win32Backend::messageProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (g_backend && h == g_backend->messageWindow_) return g_backend->onMessageWindow(msg, wp, lp);
    return DefWindowProcW(h, msg, wp, lp);
}

LRESULT CALLBACK Win32Backend::controlSubclass(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    Win32Backend* self = g_backend;
    if (self) {
        Node* n = self->find(static_cast<ControlId>(ref));
        if (n && n->hwnd == h) return self->onSubclassed(*n, msg, wp, lp);
    }
    return DefSubclassProc(h, msg, wp, lp);
}

LRESULT Win32Backend::onMessageWindow(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case kMsgFlushDestroyed:
            flushPosted_ = false;
            flushDestroyed();
            return 0;
        case kMsgListClick:
            onListClick(static_cast<ControlId>(wp), POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            return 0;
        case kMsgListRightClick: {
            const auto id = static_cast<ControlId>(wp);
            if (Node* n = listNode(id)) raisePointer(id, EventKind::RightClick, n->rightClick);
            return 0;
        }
        case WM_TIMER:
            if (wp == kNoticeTimer) {
                closeNotice();
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(messageWindow_, msg, wp, lp);
}

bool Win32Backend::movesWindow(const Node& n) {
    const WindowState* ws = windowState(n.window);
    if (!ws || !ws->form.frameless) return false;
    return n.kind == Kind::Window || n.kind == Kind::PictureBox || n.kind == Kind::ShapeFrame ||
           n.kind == Kind::GroupBox;
}

POINT Win32Backend::toClient(const Node& n, POINT screen) {
    ScreenToClient(n.hwnd, &screen);
    return screen;
}

// The control whose pointer events a screen point belongs to: a list view,
// a window (its own surface and the decoration on it) or a page control.
Win32Backend::Node* Win32Backend::pointerTarget(POINT screen) {
    Node* n = findHwnd(WindowFromPoint(screen));
    while (n && (n->kind == Kind::Label || n->kind == Kind::Canvas)) n = find(n->parent);
    if (!n) return nullptr;
    switch (n->kind) {
        case Kind::ListView:
        case Kind::PageControl:
            return n;
        case Kind::Page:
            return find(n->parent);
        case Kind::Window:
        case Kind::PictureBox:
        case Kind::ShapeFrame:
        case Kind::GroupBox:
            return find(n->window);
        default:
            return nullptr;
    }
}

void Win32Backend::routePointer(Node& from, UINT msg, POINT screen) {
    Node* target = nullptr;
    if (from.kind == Kind::Page || from.kind == Kind::PageControl)
        target = from.kind == Kind::Page ? find(from.parent) : &from;
    else if (from.kind == Kind::Window || isContainer(from.kind))
        target = find(from.window);
    if (!target || !target->hwnd) return;
    const POINT client = toClient(*target, screen);
    if (msg == WM_MOUSEMOVE)
        raisePointer(target->id, EventKind::MouseMove, client);
    else if (msg == WM_LBUTTONUP && target->kind == Kind::Window)
        raisePointer(target->id, EventKind::LeftUp, client);
}

LRESULT Win32Backend::onSurface(Node& n, UINT msg, WPARAM wp, LPARAM lp) {
    HWND h = n.hwnd;
    const ControlId id = n.id;
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            if (n.kind == Kind::Label || n.kind == Kind::LinkLabel)
                paintLabel(n, dc);
            else if (n.kind == Kind::Canvas)
                paintCanvas(n, dc);
            else
                paintSurface(n, dc, 0, 0);
            EndPaint(h, &ps);
            return 0;
        }
        case WM_PRINTCLIENT: {
            HDC dc = reinterpret_cast<HDC>(wp);
            if (n.kind == Kind::Label || n.kind == Kind::LinkLabel)
                paintLabel(n, dc);
            else if (n.kind == Kind::Canvas)
                paintCanvas(n, dc);
            else
                paintSurface(n, dc, 0, 0);
            return 0;
        }
        case WM_SETTEXT: {
            const LRESULT r = DefWindowProcW(h, msg, wp, lp);
            InvalidateRect(h, nullptr, FALSE);
            return r;
        }
        case WM_NCHITTEST:
            // Labels and the canvas let the pointer through to what lies below.
            if (n.kind == Kind::Label || n.kind == Kind::Canvas) return HTTRANSPARENT;
            break;
        case WM_SETCURSOR:
            if (n.kind == Kind::LinkLabel && LOWORD(lp) == HTCLIENT) {
                SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
                return TRUE;
            }
            break;
        case WM_LBUTTONDOWN: {
            const POINT client{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            if (n.kind == Kind::LinkLabel) {
                raisePointer(id, EventKind::LeftDown, client);
                return 0;
            }
            if (movesWindow(n)) {
                WindowState* ws = windowState(n.window);
                Node* top = find(n.window);
                if (ws && top) {
                    POINT screen = client;
                    ClientToScreen(h, &screen);
                    RECT wr;
                    GetWindowRect(top->hwnd, &wr);
                    ws->moving = true;
                    ws->moveGrab = {screen.x - wr.left, screen.y - wr.top};
                    SetCapture(h);
                }
            }
            return 0;
        }
        case WM_MOUSEMOVE: {
            if (n.kind == Kind::LinkLabel && !n.hover) {
                n.hover = true;
                TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE, h, 0};
                TrackMouseEvent(&t);
                InvalidateRect(h, nullptr, FALSE);
            }
            POINT screen{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            ClientToScreen(h, &screen);
            WindowState* ws = windowState(n.window);
            if (ws && ws->moving && GetCapture() == h) {
                if (wp & MK_LBUTTON) {
                    if (Node* top = find(n.window))
                        SetWindowPos(top->hwnd, nullptr, screen.x - ws->moveGrab.x, screen.y - ws->moveGrab.y, 0, 0,
                                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                } else {
                    ws->moving = false;
                    ReleaseCapture();
                }
            }
            if (Node* again = find(id)) routePointer(*again, WM_MOUSEMOVE, screen);
            return 0;
        }
        case WM_LBUTTONUP: {
            if (WindowState* ws = windowState(n.window); ws && ws->moving) {
                ws->moving = false;
                if (GetCapture() == h) ReleaseCapture();
            }
            POINT screen{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            ClientToScreen(h, &screen);
            if (Node* again = find(id)) routePointer(*again, WM_LBUTTONUP, screen);
            return 0;
        }
        case WM_CAPTURECHANGED:
            if (WindowState* ws = windowState(n.window)) ws->moving = false;
            break;
        case WM_MOUSELEAVE:
            if (n.kind == Kind::LinkLabel) {
                n.hover = false;
                InvalidateRect(h, nullptr, FALSE);
            }
            return 0;
        case WM_COMMAND:
            if (onCommand(wp, lp)) return 0;
            break;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (onNotify(*reinterpret_cast<const NMHDR*>(lp), result)) return result;
            break;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            LRESULT result = 0;
            if (onCtlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), result)) return result;
            break;
        }
        case WM_DRAWITEM:
            onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
            return TRUE;
        case WM_SIZE:
            if (n.kind == Kind::PageControl) layoutPages(n);
            break;
        case WM_ACTIVATE:
            if (n.kind == Kind::Window) {
                WindowState* ws = windowState(id);
                if (!ws) break;
                if (LOWORD(wp) == WA_INACTIVE) {
                    HWND f = GetFocus();
                    if (f && IsChild(h, f)) ws->savedFocus = f;
                    return 0;
                }
                if (HIWORD(wp)) return 0;  // minimized
                if (ws->savedFocus && IsWindow(ws->savedFocus) && IsChild(h, ws->savedFocus))
                    SetFocus(ws->savedFocus);
                else if (!ws->focusedOnce)
                    focusInitially(n);
                else
                    SetFocus(h);
                return 0;
            }
            break;
        case WM_CLOSE:
            if (n.kind == Kind::Window) {
                destroyWindow(id);
                return 0;
            }
            break;
        case WM_NCDESTROY:
            if (n.kind == Kind::Window) {
                const LRESULT r = DefWindowProcW(h, msg, wp, lp);
                onWindowGone(id);
                return r;
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

LRESULT Win32Backend::onSubclassed(Node& n, UINT msg, WPARAM wp, LPARAM lp) {
    HWND h = n.hwnd;
    const ControlId id = n.id;
    if (n.kind == Kind::ListView) return onListMessage(n, msg, wp, lp);
    switch (msg) {
        case WM_SETCURSOR:
            if ((n.kind == Kind::Button || n.kind == Kind::PictureButton) && LOWORD(lp) == HTCLIENT) {
                SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
                return TRUE;
            }
            break;
        case WM_GETDLGCODE:
            if (n.kind == Kind::Edit) return DefSubclassProc(h, msg, wp, lp) | DLGC_WANTALLKEYS;
            break;
        case WM_KEYDOWN:
            if (n.kind == Kind::Edit) {
                Event e;
                e.key = static_cast<int>(wp);
                raise(id, EventKind::KeyDown, e);
                if (!find(id)) return 0;
            }
            break;
        case WM_KEYUP:
            if (n.kind == Kind::Edit) {
                const LRESULT r = DefSubclassProc(h, msg, wp, lp);
                Event e;
                e.key = static_cast<int>(wp);
                raise(id, EventKind::KeyUp, e);
                return r;
            }
            break;
        case WM_CHAR:
            // A single-line box has nothing to do with these but beep.
            if (n.kind == Kind::Edit && (wp == L'\r' || wp == 27 || wp == L'\t')) return 0;
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            if (n.kind == Kind::Edit) {
                const LRESULT r = DefSubclassProc(h, msg, wp, lp);
                raise(id, msg == WM_SETFOCUS ? EventKind::FocusIn : EventKind::FocusOut);
                return r;
            }
            break;
        default:
            break;
    }
    return DefSubclassProc(h, msg, wp, lp);
}

bool Win32Backend::onCommand(WPARAM wp, LPARAM lp) {
    if (lp == 0) {
        if (HIWORD(wp) != 0) return false;
        auto it = commands_.find(LOWORD(wp));
        if (it == commands_.end()) return false;
        const auto [menu, item] = it->second;
        Event e;
        e.item = item;
        raise(menu, EventKind::MenuItem, e);
        return true;
    }
    auto it = byHwnd_.find(reinterpret_cast<HWND>(lp));
    if (it == byHwnd_.end()) return false;
    Node* n = find(it->second);
    if (!n || HIWORD(wp) != BN_CLICKED) return false;
    if (n->kind != Kind::Button && n->kind != Kind::PictureButton && n->kind != Kind::CheckBox) return false;
    RECT r;
    GetClientRect(n->hwnd, &r);
    raisePointer(n->id, EventKind::Click, POINT{r.right / 2, r.bottom / 2});
    return true;
}

bool Win32Backend::onCtlColor(HDC dc, HWND child, LRESULT& result) {
    auto it = byHwnd_.find(child);
    if (it == byHwnd_.end()) return false;
    Node* n = find(it->second);
    if (!n) return false;
    if (n->kind == Kind::Edit) {
        const COLORREF bg = n->desc.background ? colorRef(*n->desc.background) : RGB(255, 255, 255);
        SetTextColor(dc, colorRef(n->textColor));
        SetBkColor(dc, bg);
        result = reinterpret_cast<LRESULT>(brush(bg));
        return true;
    }
    Node* parent = find(n->parent);
    if (!parent) return false;
    const COLORREF bg = background(*parent);
    SetTextColor(dc, colorRef(n->textColor));
    SetBkColor(dc, bg);
    SetBkMode(dc, TRANSPARENT);
    result = reinterpret_cast<LRESULT>(brush(bg));
    return true;
}

void Win32Backend::onDrawItem(const DRAWITEMSTRUCT& d) {
    auto it = byHwnd_.find(d.hwndItem);
    if (it == byHwnd_.end()) return;
    Node* n = find(it->second);
    if (!n || n->kind != Kind::PictureButton) return;
    Node* parent = find(n->parent);
    RECT r = d.rcItem;
    COLORREF bg = RGB(255, 255, 255);
    if (parent) {
        RECT wr;
        GetWindowRect(n->hwnd, &wr);
        MapWindowPoints(nullptr, parent->hwnd, reinterpret_cast<POINT*>(&wr), 2);
        paintSurface(*parent, d.hDC, -wr.left, -wr.top);
        bg = background(*parent);
    }
    if (d.itemState & ODS_SELECTED) OffsetRect(&r, 1, 1);
    drawPicture(d.hDC, r, n->desc.picture, bg);
}

}  // namespace vorda::ui

#pragma once
// The real toolkit: every control of a form is a child window at its form
// position, texts go through the W APIs (GBK converted at the boundary), and
// events come from window messages. One instance per process, used from the
// thread that created it.
//
// How the events map onto Windows:
// - Top-level windows are WS_POPUP (frameless) or captioned windows with a task
//   bar button. A press on a frameless window's own surface, a picture box, a
//   shape frame or a group box moves the window. Mouse moves and releases over
//   those surfaces are the window's MouseMove and LeftUp; over a page they are
//   its page control's MouseMove.
// - List views are owner-data lists over a row model kept here. LeftDown comes
//   before the list's own handling of the press. A press that becomes a drag
//   (LVN_BEGINDRAG) captures the mouse: its moves and its release go to the
//   control under the pointer, and only such a release raises LeftUp. Any
//   other press ends in Click, raised from a posted message once the list has
//   settled its selection. RightClick carries screen coordinates.
// - Destruction asked for inside a handler is carried out from a posted
//   message after the outermost handler has returned.
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "ui/ui.h"

namespace vorda::ui {

class Win32Backend final : public Backend {
public:
    Win32Backend();
    ~Win32Backend() override;
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    // Runs the message loop until the last window is gone or quit() is called.
    int run();

    // --- Backend -----------------------------------------------------------
    ControlId createWindow(const FormSpec& form) override;
    ControlId control(ControlId window, const std::string& name) override;
    void showWindow(ControlId window) override;
    void destroyWindow(ControlId window) override;
    void minimizeWindow(ControlId window) override;
    void quit() override;
    void keepWithWindow(ControlId window, std::shared_ptr<void> data) override;
    void on(ControlId control, EventKind kind, Handler handler) override;
    void runHandler(const std::function<void()>& fn) override;

    std::string text(ControlId c) override;
    void setText(ControlId c, const std::string& text) override;
    bool visible(ControlId c) override;
    void setVisible(ControlId c, bool visible) override;
    Rect rect(ControlId c) override;
    void setRect(ControlId c, const Rect& r) override;
    void setTextColor(ControlId c, Color color) override;
    Color textColor(ControlId c) override;
    void setFocus(ControlId c) override;
    bool hasFocus(ControlId c) override;

    bool checked(ControlId c) override;
    void setChecked(ControlId c, bool checked) override;

    int currentPage(ControlId c) override;
    void setCurrentPage(ControlId c, int page) override;
    void setPageHeadersVisible(ControlId c, bool visible) override;
    bool pageHeadersVisible(ControlId c) override;

    int rowCount(ControlId c) override;
    int columnCount(ControlId c) override;
    std::string columnTitle(ControlId c, int column) override;
    void setColumnTitle(ControlId c, int column, const std::string& title) override;
    std::string cell(ControlId c, int row, int column) override;
    std::string_view cellView(ControlId c, int row, int column) override;
    void setCell(ControlId c, int row, int column, const std::string& text) override;
    void insertRow(ControlId c, int at) override;
    void deleteRow(ControlId c, int row) override;
    void setRows(ControlId c, std::vector<Row> rows) override;
    std::vector<Row> takeRows(ControlId c) override;
    std::span<const Row> rowsView(ControlId c) override;
    bool selected(ControlId c, int row) override;
    void setSelected(ControlId c, int row, bool selected) override;
    std::vector<int> selectedRows(ControlId c) override;
    int stateImage(ControlId c, int row) override;
    void setStateImage(ControlId c, int row, int image) override;
    int hitTest(ControlId c, int x, int y) override;
    void ensureVisible(ControlId c, int row) override;

    void clearCanvas(ControlId c) override;
    void writeLine(ControlId c, const std::string& text) override;

    void attachTip(ControlId target, const std::string& text) override;
    ControlId createPopupMenu(ControlId window, const std::vector<std::string>& items) override;
    void popupMenu(ControlId menu, int screenX, int screenY) override;

    int messageBox(const std::string& text, const std::string& title, int type) override;
    std::optional<std::string> chooseFile(const FileDialogRequest& request) override;
    bool setClipboardText(const std::string& text) override;
    void timedNotice(const std::string& text, const std::string& title, int milliseconds) override;

private:
    struct CanvasLine {
        int y = 0;
        std::wstring text;
        COLORREF color = 0;
    };
    struct Node {
        ControlId id = kNoControl;
        ControlId window = kNoControl;
        ControlId parent = kNoControl;
        Kind kind = Kind::Window;
        ControlSpec desc;
        HWND hwnd = nullptr;
        bool visible = true;  // the control's own flag
        Color textColor{0, 0, 0};
        HFONT font = nullptr;
        std::map<EventKind, Handler> handlers;
        // Link labels.
        bool hover = false;
        // Page controls.
        HWND tabs = nullptr;
        std::vector<ControlId> pages;
        int currentPage = 0;
        bool headersVisible = true;
        // List views.
        std::vector<std::string> columnTitles;
        std::vector<Row> rows;
        std::vector<int> stateImages;
        std::wstring cellBuffer;
        bool pressPending = false;  // a press whose Click is still to come
        bool dragging = false;      // LVN_BEGINDRAG seen; the mouse is ours
        POINT rightClick{};         // client point of the pending right click
        // Canvases.
        std::vector<CanvasLine> lines;
        int writeY = 0;
        // Balloon tips.
        HWND tip = nullptr;
        // Popup menus.
        bool menu = false;
        HMENU hmenu = nullptr;
        int firstCommand = 0;
        std::vector<std::string> items;
    };
    struct WindowState {
        FormSpec form;
        std::map<std::string, ControlId> byName;
        std::vector<ControlId> members;  // controls and menus in creation order
        std::vector<std::shared_ptr<void>> kept;
        bool shown = false;
        bool dying = false;
        bool moving = false;  // the user drags the window by its surface
        POINT moveGrab{};     // pointer position minus window position
        HWND savedFocus = nullptr;
        bool focusedOnce = false;
    };

    // Window procedures; they find the backend through the one instance.
    static LRESULT CALLBACK surfaceProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK messageProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK controlSubclass(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT onSurface(Node& n, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT onSubclassed(Node& n, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT onListMessage(Node& n, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT onMessageWindow(UINT msg, WPARAM wp, LPARAM lp);
    bool onCommand(WPARAM wp, LPARAM lp);
    bool onNotify(const NMHDR& h, LRESULT& result);
    bool onCtlColor(HDC dc, HWND child, LRESULT& result);
    void onDrawItem(const DRAWITEMSTRUCT& d);

    Node* find(ControlId c);
    Node* findHwnd(HWND h);  // h or its nearest ancestor that is one of ours
    Node* kindNode(ControlId c, Kind kind);
    WindowState* windowState(ControlId window);
    bool alive(ControlId window);  // created, not destroyed, not being destroyed

    void createControl(ControlId window, const ControlSpec& desc);
    void createListView(Node& n, HWND parent);
    void measureRowPitch(Node& n);
    void layoutPages(Node& pageControl);
    void applyVisibility(Node& n);
    void raise(ControlId c, EventKind kind, Event e = {});
    void raisePointer(ControlId c, EventKind kind, POINT client);
    void scheduleFlush();
    void flushDestroyed();
    void onWindowGone(ControlId window);
    void focusInitially(Node& window);
    bool handleTab(const MSG& msg);
    bool handleEscape(const MSG& msg);
    void closeNotice();

    // Surfaces and the pointer.
    bool movesWindow(const Node& n);
    void routePointer(Node& from, UINT msg, POINT screen);
    Node* pointerTarget(POINT screen);
    POINT toClient(const Node& n, POINT screen);

    // Painting.
    COLORREF background(const Node& n);
    void paintSurface(const Node& n, HDC dc, int dx, int dy);
    void paintLabel(Node& n, HDC dc);
    void paintCanvas(Node& n, HDC dc);
    void drawPicture(HDC dc, const RECT& r, const std::string& name, COLORREF bg);
    HFONT fontFor(const Font& f);
    HBRUSH brush(COLORREF c);

    // List views.
    Node* listNode(ControlId c);
    void refreshList(Node& n, const std::vector<int>& selection);
    void onListClick(ControlId list, POINT client);
    void endDrag(Node& list, POINT screen, bool released);

    HINSTANCE instance_ = nullptr;
    HWND messageWindow_ = nullptr;
    ControlId nextId_ = 1;
    std::map<ControlId, std::unique_ptr<Node>> nodes_;
    std::map<ControlId, WindowState> windows_;
    std::unordered_map<HWND, ControlId> byHwnd_;
    std::map<int, std::pair<ControlId, int>> commands_;  // menu command -> menu, item
    int nextCommand_ = 0x4000;
    std::vector<ControlId> pendingDestroy_;
    bool flushPosted_ = false;
    int handlerDepth_ = 0;

    std::map<std::tuple<int, int, std::string>, HFONT> fonts_;
    std::map<COLORREF, HBRUSH> brushes_;
    std::map<std::tuple<std::string, int, int, COLORREF>, HBITMAP> pictures_;
    std::optional<std::wstring> noticeTitle_;  // title of the timed notice on screen
};

}  // namespace vorda::ui

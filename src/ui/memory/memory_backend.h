#pragma once
// A Backend without a screen: every control is plain state built from its
// FormSpec, tests play the user by firing events, and message boxes, file
// dialogs and notices are answered from a script of expected dialogs.
//
// Problems the program causes (an unexpected or mismatching dialog, a call on a
// destroyed or wrong kind of control, a click the user could not make) are
// recorded, not thrown: a test fixture collects them with finish() and fails
// the test on any.
//
// Model, so that tests and the Win32 backend agree:
// - The screen is kScreenWidth x kScreenHeight; a centred window sits in its
//   middle. A window's rect is its client area on the screen.
// - visible() is a control's own flag; a window is invisible until shown.
// - List views have no header offset: row r covers client y in
//   [r * kRowHeight, (r + 1) * kRowHeight), the first row is always at the top
//   (ensureVisible only records the row), and hitTest is -1 outside the client
//   area or below the last row.
// - Clicking a button, check box or list view gives it the keyboard focus
//   first, as a Win32 click does; moving the focus raises FocusOut on the old
//   control and FocusIn on the new one, inside the running handler.
// - A popup menu stays open after popupMenu() returns, until the test chooses
//   an item (the item's event then runs as a handler of its own) or dismisses it.
// - Message boxes do not move the keyboard focus.
// - A control's text ends at its first zero byte, as a Win32 window text does.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "ui/ui.h"

namespace vorda::ui {

class MemoryBackend : public Backend {
public:
    static constexpr int kScreenWidth = 1920;
    static constexpr int kScreenHeight = 1080;
    static constexpr int kRowHeight = 19;
    static constexpr int kEscape = 27;

    MemoryBackend();
    ~MemoryBackend() override;

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

    // Forgets every window, handler and dialog, as a new run of the program
    // starts afresh; the clipboard, being the system's, stays. Call it between
    // handlers, after checking finish().
    void reset();

    // --- Looking at the program --------------------------------------------
    // The live window with this title; kNoControl when there is none (the
    // latest one when several have it).
    ControlId findWindow(const std::string& title) const;
    // Live windows in creation order.
    std::vector<ControlId> windows() const;
    bool exists(ControlId c) const;  // created and not destroyed
    // The program has ended: quit() was called or its last window is gone.
    bool ended() const { return ended_; }
    bool shown(ControlId window) const;  // showWindow was called
    bool minimized(ControlId window) const;

    const FormSpec& form(ControlId window) const;
    const ControlSpec& desc(ControlId c) const;  // as designed; windows have none
    Kind kind(ControlId c) const;
    ControlId windowOf(ControlId c) const;
    // Rect of c on the screen: its position within its window plus the window's.
    Rect screenRect(ControlId c) const;
    // A control is reachable when its window is shown and it and all its
    // containers are visible, each page being its page control's current page.
    bool reachable(ControlId c) const;

    std::vector<std::string> canvasLines(ControlId c) const;  // since the last clear
    std::string tip(ControlId target) const;                  // empty: none attached
    int scrolledTo(ControlId list) const;                     // last ensureVisible row, -1 before
    std::vector<std::string> menuItems(ControlId menu) const;
    struct OpenMenu {
        ControlId menu = kNoControl;
        int screenX = 0, screenY = 0;
    };
    std::optional<OpenMenu> openMenu() const { return openMenu_; }

    // --- Playing the user --------------------------------------------------
    // Raises one event on c as a handler. Nothing happens when c has no
    // handler for it.
    void fire(ControlId c, const Event& e);
    // A left click as the user makes it; c must be reachable. Buttons and
    // picture buttons raise Click; a check box flips, then raises Click; a
    // link label raises LeftDown.
    void click(ControlId c);
    // Focuses the edit and replaces its text as typing over a selection would.
    void typeText(ControlId edit, const std::string& text);
    // Focus to c, then KeyDown and KeyUp on it; Esc then closes c's window
    // when its form says closeOnEscape.
    void pressKey(ControlId c, int key);
    // The user moves the keyboard focus (tab or click).
    void focus(ControlId c);
    // The close box (or Alt+F4): the window is destroyed.
    void closeWindow(ControlId window);

    enum class SelectMode { Only, Toggle, Range };  // plain, Ctrl and Shift clicks
    // A press and release on a list view that does not become a drag: LeftDown,
    // the list's own selection change, then Click. A press below the last row
    // clears the selection (Only mode).
    void clickAt(ControlId list, int x, int y, SelectMode mode = SelectMode::Only);
    void clickRow(ControlId list, int row, SelectMode mode = SelectMode::Only);
    // The parts of a drag: LeftDown, then the list selects the row under the
    // pointer unless it is already selected; MouseMove; LeftUp.
    void pressAt(ControlId list, int x, int y);
    void moveMouse(ControlId c, int x, int y);
    void releaseAt(ControlId c, int x, int y);
    // A right click: an unselected row under the pointer becomes the only
    // selected row, then RightClick with the pointer's screen position.
    void rightClickAt(ControlId list, int x, int y);
    // Client point of the middle of a row's first pixels, for the above.
    static int rowY(int row) { return row * kRowHeight + kRowHeight / 2; }

    // Picks an item of the open popup menu (its MenuItem event runs), or
    // closes it without a choice.
    void chooseMenuItem(int item);
    void dismissMenu();

    // --- Script of expected dialogs ----------------------------------------
    // Dialogs must come in the order they were expected, whatever their kind.
    // whileShown runs while the dialog is open (a test may change files then).
    void expectMessage(const std::string& text, const std::string& title, int type, int answer = kIdOk,
                       std::function<void()> whileShown = {});
    // The request must equal `expected` in every field; the answer is the path
    // chosen, or nullopt for Cancel.
    void expectFileDialog(const FileDialogRequest& expected, std::optional<std::string> answer);
    void expectNotice(const std::string& text, const std::string& title, int milliseconds);

    struct ShownMessage {
        std::string text, title;
        int type = 0;
    };
    // Every message box shown, expected or not, in order.
    const std::vector<ShownMessage>& messages() const { return shownMessages_; }
    const std::vector<FileDialogRequest>& fileDialogs() const { return shownDialogs_; }

    // Problems so far (UTF-8 for reading).
    const std::vector<std::string>& failures() const { return failures_; }
    // Problems so far plus one per expected dialog that never came; clears
    // both, so a test may check in the middle.
    std::vector<std::string> finish();

    // --- Clipboard ---------------------------------------------------------
    std::optional<std::string> clipboard() const { return clipboard_; }
    // false: the clipboard cannot be opened; setClipboardText fails.
    void setClipboardAvailable(bool available) { clipboardAvailable_ = available; }

private:
    // What a list keeps of a row besides its cells.
    struct RowState {
        bool selected = false;
        int stateImage = 0;
    };
    struct Node {
        ControlId id = kNoControl;
        ControlId window = kNoControl;
        ControlId parent = kNoControl;  // kNoControl for windows
        Kind kind = Kind::Window;
        bool menu = false;
        bool alive = true;
        ControlSpec desc;
        Rect rect;
        std::string text;
        bool visible = true;
        Color textColor;
        bool checked = false;
        int currentPage = 0;
        bool headersVisible = true;
        std::vector<ControlId> pages;
        std::vector<std::string> columnTitles;
        std::vector<Row> rows;
        std::vector<RowState> rowStates;  // one per row
        int scrolledTo = -1;
        std::vector<std::string> lines;
        std::string tip;
        std::vector<std::string> items;
        std::map<EventKind, Handler> handlers;
    };
    struct WindowState {
        FormSpec form;
        bool shown = false;
        bool minimized = false;
        std::map<std::string, ControlId> byName;
        std::vector<ControlId> members;  // controls and menus, not the window
        std::vector<std::shared_ptr<void>> kept;
    };
    struct ExpectedMessage {
        ShownMessage message;
        int answer = kIdOk;
        std::function<void()> whileShown;
    };
    struct ExpectedFileDialog {
        FileDialogRequest request;
        std::optional<std::string> answer;
    };
    struct ExpectedNotice {
        ShownMessage notice;  // type holds the milliseconds
    };
    using Expectation = std::variant<ExpectedMessage, ExpectedFileDialog, ExpectedNotice>;

    void fail(const std::string& what);
    // The live node, or nullptr after recording why not.
    Node* live(ControlId c, const char* operation);
    const Node* find(ControlId c) const;
    // The live node when it is of that kind, or nullptr after recording why not.
    Node* kindNode(ControlId c, Kind kind, const char* operation);
    Node* listNode(ControlId c, const char* operation);
    // The list when row is one of its rows, else nullptr.
    Node* listWithRow(ControlId c, int row, const char* operation);
    void destroyNow(ControlId window);
    void flushDestroyed();
    void moveFocus(ControlId to);
    bool userCanReach(ControlId c, const char* action);
    void listPress(Node& list, int x, int y, SelectMode mode, bool keepSelectedRow);
    std::optional<Expectation> nextExpectation();
    Event pointerEvent(EventKind kind, ControlId c, int x, int y) const;

    ControlId nextId_ = 1;
    std::map<ControlId, Node> nodes_;
    std::map<ControlId, WindowState> windows_;  // live windows only
    std::vector<ControlId> windowOrder_;
    std::vector<ControlId> pendingDestroy_;
    int handlerDepth_ = 0;
    bool ended_ = false;
    ControlId focused_ = kNoControl;
    std::optional<OpenMenu> openMenu_;

    std::deque<Expectation> script_;
    std::vector<ShownMessage> shownMessages_;
    std::vector<FileDialogRequest> shownDialogs_;
    std::vector<std::string> failures_;

    std::optional<std::string> clipboard_;
    bool clipboardAvailable_ = true;
};

}  // namespace vorda::ui

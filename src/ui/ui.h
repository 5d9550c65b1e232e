#pragma once
// The toolkit every window is written against. A window's form is data
// (FormSpec); a Backend builds real controls from it (Win32) or keeps them as
// plain state (memory, for tests). Handlers reach controls through typed
// handles named after the form names and get events from the backend.
//
// All texts are GBK bytes. Positions are pixels relative to the parent control.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ui/row.h"

namespace vorda::ui {

using ControlId = int;  // a window is a control too
constexpr ControlId kNoControl = -1;

struct Color {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(Color a, Color b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
};

// A font given by character height and weight, GB2312 character set. height 0
// means the system's default GUI font.
struct Font {
    int height = 0;
    int weight = 400;  // 700 is bold
    std::string face;  // empty: no face name
};

enum class Kind {
    Window,
    Label,          // transparent background
    LinkLabel,      // normal and hover text colour; raises LeftDown
    PictureBox,     // background colour and an optional picture; moves the window
    PictureButton,  // a picture that raises Click; hand pointer
    Button,         // push button; hand pointer
    Edit,           // single line
    CheckBox,
    GroupBox,       // moves the window
    ShapeFrame,     // a plain frame or line; container; moves the window
    PageControl,    // its children are Page controls, in page order
    Page,
    ListView,       // report style, several selected rows, full-row select, grid lines
    Canvas,         // draws text lines
};

struct Column {
    std::string title;
    int width = 100;
};

struct ControlSpec {
    Kind kind = Kind::Label;
    std::string name;    // form name, unique within its window
    std::string parent;  // form name of the container; empty: the window
    int x = 0, y = 0, width = 0, height = 0;
    std::string text;
    Font font;
    std::optional<Color> textColor;
    std::optional<Color> background;
    std::optional<Color> hoverColor;  // link labels
    bool visible = true;
    bool password = false;         // edit boxes: each character shown as '*'
    std::string picture;           // picture boxes and buttons: name of a built-in picture
    std::vector<Column> columns;   // list views
};

struct FormSpec {
    std::string title;
    int x = 0, y = 0;              // ignored when centred
    int width = 0, height = 0;     // client size
    bool centred = false;
    bool frameless = false;        // no border, title bar or system buttons
    bool closeOnEscape = false;
    std::optional<Color> background;
    std::vector<ControlSpec> controls;  // parents before their children
};

enum class EventKind {
    Click,       // buttons; list views: a left click after the selection has settled
    LeftDown,    // link labels, list views (before the list's own handling)
    LeftUp,      // list views, windows (over their own client area)
    MouseMove,   // list views, windows (own client area), page controls
    RightClick,  // list views
    KeyDown,     // edits, list views
    KeyUp,       // edits
    FocusIn,     // edits
    FocusOut,    // edits
    MenuItem,    // popup menus: item index in Event::item
};

struct Event {
    EventKind kind = EventKind::Click;
    int x = 0, y = 0;              // client coordinates of the control
    int screenX = 0, screenY = 0;  // pointer position on the screen
    int key = 0;                   // virtual-key code
    int item = -1;                 // menu item
};

using Handler = std::function<void(const Event&)>;

enum MessageBoxType { kOk = 0, kOkCancel = 1, kOkCancelQuestion = 33, kOkExclamation = 48 };
enum MessageBoxResult { kIdOk = 1, kIdCancel = 2 };

struct FileDialogRequest {
    bool save = false;
    std::string initialDirectory;
    std::string filter;    // "description|pattern", e.g. "文本文档（*.txt）|*.txt"
    std::string fileName;  // offered as the file name: the last confirmed path
};

// What a window toolkit does for the program. Handlers run one at a time on the
// one user interface thread.
class Backend {
public:
    virtual ~Backend() = default;

    // Windows. createWindow builds every control of the form, hidden; the
    // caller binds handlers, runs the creation steps and then shows it.
    virtual ControlId createWindow(const FormSpec& form) = 0;
    virtual ControlId control(ControlId window, const std::string& name) = 0;
    virtual void showWindow(ControlId window) = 0;
    // Destruction takes effect once the running handler has returned (at once
    // when no handler runs). The program ends when its last window is gone.
    virtual void destroyWindow(ControlId window) = 0;
    virtual void minimizeWindow(ControlId window) = 0;
    virtual void quit() = 0;  // ends the program at once
    // Data that lives as long as the window (the window's handles, its state).
    virtual void keepWithWindow(ControlId window, std::shared_ptr<void> data) = 0;
    virtual void on(ControlId control, EventKind kind, Handler handler) = 0;
    // Runs fn as a handler: destructions it asks for wait until it returns.
    virtual void runHandler(const std::function<void()>& fn) = 0;

    // Any control.
    virtual std::string text(ControlId c) = 0;
    virtual void setText(ControlId c, const std::string& text) = 0;
    virtual bool visible(ControlId c) = 0;
    virtual void setVisible(ControlId c, bool visible) = 0;
    struct Rect {
        int left = 0, top = 0, width = 0, height = 0;
    };
    virtual Rect rect(ControlId c) = 0;
    virtual void setRect(ControlId c, const Rect& r) = 0;
    virtual void setTextColor(ControlId c, Color color) = 0;  // link labels: the normal colour
    virtual Color textColor(ControlId c) = 0;
    virtual void setFocus(ControlId c) = 0;
    virtual bool hasFocus(ControlId c) = 0;

    // Check boxes.
    virtual bool checked(ControlId c) = 0;
    virtual void setChecked(ControlId c, bool checked) = 0;

    // Page controls.
    virtual int currentPage(ControlId c) = 0;
    virtual void setCurrentPage(ControlId c, int page) = 0;
    virtual void setPageHeadersVisible(ControlId c, bool visible) = 0;
    virtual bool pageHeadersVisible(ControlId c) = 0;

    // List views. Row indexes are 0-based; negative or out-of-range indexes are
    // ignored by setters and read as empty.
    virtual int rowCount(ControlId c) = 0;
    virtual int columnCount(ControlId c) = 0;
    virtual std::string columnTitle(ControlId c, int column) = 0;
    virtual void setColumnTitle(ControlId c, int column, const std::string& title) = 0;
    virtual std::string cell(ControlId c, int row, int column) = 0;
    // The same text without a copy, for loops over every row: valid until the
    // list next changes.
    virtual std::string_view cellView(ControlId c, int row, int column) = 0;
    virtual void setCell(ControlId c, int row, int column, const std::string& text) = 0;
    virtual void insertRow(ControlId c, int at) = 0;  // an empty row
    virtual void deleteRow(ControlId c, int row) = 0;
    virtual void setRows(ControlId c, std::vector<Row> rows) = 0;  // replaces all rows, none selected
    // Empties the list and hands its rows over, so that a refill can reuse
    // their memory.
    virtual std::vector<Row> takeRows(ControlId c) = 0;
    // Every row without a copy, for loops over all of them: valid until the
    // list next changes.
    virtual std::span<const Row> rowsView(ControlId c) = 0;
    virtual bool selected(ControlId c, int row) = 0;
    virtual void setSelected(ControlId c, int row, bool selected) = 0;
    virtual std::vector<int> selectedRows(ControlId c) = 0;  // ascending
    virtual int stateImage(ControlId c, int row) = 0;
    virtual void setStateImage(ControlId c, int row, int image) = 0;
    virtual int hitTest(ControlId c, int x, int y) = 0;  // -1 when no row is there
    virtual void ensureVisible(ControlId c, int row) = 0;

    // Canvases.
    virtual void clearCanvas(ControlId c) = 0;
    virtual void writeLine(ControlId c, const std::string& text) = 0;

    // Balloon tips and popup menus.
    virtual void attachTip(ControlId target, const std::string& text) = 0;
    virtual ControlId createPopupMenu(ControlId window, const std::vector<std::string>& items) = 0;
    virtual void popupMenu(ControlId menu, int screenX, int screenY) = 0;

    // Services. Message boxes have no owner window; all but the copy notice are
    // task-modal.
    virtual int messageBox(const std::string& text, const std::string& title, int type) = 0;
    virtual std::optional<std::string> chooseFile(const FileDialogRequest& request) = 0;
    virtual bool setClipboardText(const std::string& text) = 0;
    // A notice that closes itself after the given time (the copy notice).
    virtual void timedNotice(const std::string& text, const std::string& title, int milliseconds) = 0;
};

// The title of a message box that has none of its own: "信息：".
const std::string& defaultMessageTitle();

// Typed handles. A default-constructed handle refers to nothing.
class Control {
public:
    Control() = default;
    Control(Backend& b, ControlId id) : b_(&b), id_(id) {}
    Control(Backend& b, ControlId window, const std::string& name) : b_(&b), id_(b.control(window, name)) {}

    ControlId id() const { return id_; }
    Backend& backend() const { return *b_; }
    std::string text() const { return b_->text(id_); }
    void setText(const std::string& t) const { b_->setText(id_, t); }
    bool visible() const { return b_->visible(id_); }
    void setVisible(bool v) const { b_->setVisible(id_, v); }
    int left() const { return b_->rect(id_).left; }
    int top() const { return b_->rect(id_).top; }
    int width() const { return b_->rect(id_).width; }
    int height() const { return b_->rect(id_).height; }
    void setLeft(int v) const { auto r = b_->rect(id_); r.left = v; b_->setRect(id_, r); }
    void setTop(int v) const { auto r = b_->rect(id_); r.top = v; b_->setRect(id_, r); }
    void setWidth(int v) const { auto r = b_->rect(id_); r.width = v; b_->setRect(id_, r); }
    void setHeight(int v) const { auto r = b_->rect(id_); r.height = v; b_->setRect(id_, r); }
    void setTextColor(Color c) const { b_->setTextColor(id_, c); }
    Color textColor() const { return b_->textColor(id_); }
    void focus() const { b_->setFocus(id_); }
    bool hasFocus() const { return b_->hasFocus(id_); }
    void on(EventKind kind, Handler h) const { b_->on(id_, kind, std::move(h)); }

protected:
    Backend* b_ = nullptr;
    ControlId id_ = kNoControl;
};

class Window : public Control {
public:
    using Control::Control;
    void show() const { b_->showWindow(id_); }
    void destroy() const { b_->destroyWindow(id_); }
    void minimize() const { b_->minimizeWindow(id_); }
};

using Label = Control;
using LinkLabel = Control;
using PictureBox = Control;
using PictureButton = Control;
using Button = Control;
using Edit = Control;
using GroupBox = Control;
using ShapeFrame = Control;
using Page = Control;

class CheckBox : public Control {
public:
    using Control::Control;
    bool checked() const { return b_->checked(id_); }
    void setChecked(bool v) const { b_->setChecked(id_, v); }
};

class PageControl : public Control {
public:
    using Control::Control;
    int currentPage() const { return b_->currentPage(id_); }
    void setCurrentPage(int p) const { b_->setCurrentPage(id_, p); }
    void setHeadersVisible(bool v) const { b_->setPageHeadersVisible(id_, v); }
    bool headersVisible() const { return b_->pageHeadersVisible(id_); }
};

class ListView : public Control {
public:
    using Control::Control;
    int rowCount() const { return b_->rowCount(id_); }
    int columnCount() const { return b_->columnCount(id_); }
    std::string columnTitle(int c) const { return b_->columnTitle(id_, c); }
    void setColumnTitle(int c, const std::string& t) const { b_->setColumnTitle(id_, c, t); }
    std::string cell(int r, int c) const { return b_->cell(id_, r, c); }
    std::string_view cellView(int r, int c) const { return b_->cellView(id_, r, c); }
    void setCell(int r, int c, const std::string& t) const { b_->setCell(id_, r, c, t); }
    void insertRow(int at) const { b_->insertRow(id_, at); }
    void deleteRow(int r) const { b_->deleteRow(id_, r); }
    void setRows(std::vector<Row> rows) const { b_->setRows(id_, std::move(rows)); }
    std::vector<Row> takeRows() const { return b_->takeRows(id_); }
    std::span<const Row> rowsView() const { return b_->rowsView(id_); }
    bool selected(int r) const { return b_->selected(id_, r); }
    void select(int r) const { b_->setSelected(id_, r, true); }
    void deselect(int r) const { b_->setSelected(id_, r, false); }
    std::vector<int> selectedRows() const { return b_->selectedRows(id_); }
    // The lowest-index selected row, -1 when none is selected.
    int currentRow() const {
        auto s = selectedRows();
        return s.empty() ? -1 : s.front();
    }
    int stateImage(int r) const { return b_->stateImage(id_, r); }
    void setStateImage(int r, int image) const { b_->setStateImage(id_, r, image); }
    int hitTest(int x, int y) const { return b_->hitTest(id_, x, y); }
    void ensureVisible(int r) const { b_->ensureVisible(id_, r); }
};

class Canvas : public Control {
public:
    using Control::Control;
    void clear() const { b_->clearCanvas(id_); }
    void writeLine(const std::string& t) const { b_->writeLine(id_, t); }
};

class PopupMenu {
public:
    PopupMenu() = default;
    PopupMenu(Backend& b, ControlId window, const std::vector<std::string>& items)
        : b_(&b), id_(b.createPopupMenu(window, items)) {}
    ControlId id() const { return id_; }
    void popup(int screenX, int screenY) const { b_->popupMenu(id_, screenX, screenY); }
    // The handler gets the chosen item's index in Event::item.
    void onItem(Handler h) const { b_->on(id_, EventKind::MenuItem, std::move(h)); }

private:
    Backend* b_ = nullptr;
    ControlId id_ = kNoControl;
};

// A file dialog component: its settings and the path last confirmed.
class FileDialog {
public:
    FileDialog() = default;
    explicit FileDialog(Backend& b) : b_(&b) {}
    bool save = false;
    std::string initialDirectory;
    std::string filter;
    std::string fileName;  // the last confirmed full path
    // Opens the dialog modally; true with fileName set when confirmed.
    bool open() {
        auto chosen = b_->chooseFile({save, initialDirectory, filter, fileName});
        if (!chosen) return false;
        fileName = *chosen;
        return true;
    }

private:
    Backend* b_ = nullptr;
};

}  // namespace vorda::ui

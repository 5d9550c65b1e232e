// Report list views: an owner-data list over the rows kept in the node, and
// the press, drag, release and click reporting described in the header.
#include "ui/win32/win32_backend.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "ui/win32/win32_internal.h"

namespace vorda::ui {

using namespace win32;

Win32Backend::Node* Win32Backend::listNode(ControlId c) { return kindNode(c, Kind::ListView); }

void Win32Backend::createListView(Node& n, HWND parent) {
    const ControlSpec& desc = n.desc;
    // No LVS_SHOWSELALWAYS: the selection shows only while the list has the focus.
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_NOSORTHEADER;
    n.hwnd = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, desc.x, desc.y, desc.width, desc.height,
                             parent, nullptr, instance_, nullptr);
    if (!n.hwnd) return;
    SendMessageW(n.hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    SendMessageW(n.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(n.font), FALSE);
    // State images live in the row model; the list asks for them.
    SendMessageW(n.hwnd, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
    for (std::size_t i = 0; i < desc.columns.size(); ++i) {
        std::wstring title = wide(desc.columns[i].title);
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.cx = desc.columns[i].width;
        col.pszText = title.data();
        col.iSubItem = static_cast<int>(i);
        SendMessageW(n.hwnd, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
        n.columnTitles.push_back(desc.columns[i].title);
    }
    measureRowPitch(n);
}

// Rows are as tall as the font makes them; a small image list of the right
// height stretches them to the pitch the program's drag estimate assumes. A
// list's pitch is the taller of text and image plus a padding of its own, so
// one measurement with a full-pitch image gives the height to use; the search
// upward from there only runs should a list count otherwise.
void Win32Backend::measureRowPitch(Node& n) {
    auto pitch = [&]() {
        RECT a{LVIR_BOUNDS, 0, 0, 0}, b{LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(n.hwnd, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&a));
        SendMessageW(n.hwnd, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&b));
        return b.top - a.top;
    };
    auto useImageHeight = [&](int height) {
        HIMAGELIST images = ImageList_Create(1, height, ILC_COLOR32, 1, 0);
        HIMAGELIST old = reinterpret_cast<HIMAGELIST>(
            SendMessageW(n.hwnd, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images)));
        if (old) ImageList_Destroy(old);
        return pitch();
    };
    SendMessageW(n.hwnd, LVM_SETITEMCOUNT, 2, LVSICF_NOINVALIDATEALL);
    int current = pitch();
    if (current > 0 && current < kRowPitch) {
        const int padding = useImageHeight(kRowPitch) - kRowPitch;
        int height = std::clamp(kRowPitch - padding, 1, kRowPitch);
        for (current = useImageHeight(height); current > 0 && current < kRowPitch && height < kRowPitch;)
            current = useImageHeight(++height);
    }
    SendMessageW(n.hwnd, LVM_SETITEMCOUNT, 0, 0);
}

namespace {

// Takes a state off the rows that carry it. Item -1 would do it in one call,
// but the list then visits every row: seconds for a large library under Wine.
void clearItemState(HWND list, UINT state, UINT which) {
    std::vector<int> rows;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = -1;;) {
        i = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(i), which));
        if (i < 0 || i >= count || (!rows.empty() && i <= rows.back())) break;
        rows.push_back(i);
    }
    LVITEMW clear{};
    clear.stateMask = state;
    for (int row : rows) SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&clear));
}

}  // namespace

void Win32Backend::refreshList(Node& n, const std::vector<int>& selection) {
    SendMessageW(n.hwnd, LVM_SETITEMCOUNT, n.rows.size(), LVSICF_NOSCROLL);
    clearItemState(n.hwnd, LVIS_SELECTED, LVNI_SELECTED);
    for (int row : selection) {
        if (row < 0 || row >= static_cast<int>(n.rows.size())) continue;
        LVITEMW s{};
        s.state = LVIS_SELECTED;
        s.stateMask = LVIS_SELECTED;
        SendMessageW(n.hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&s));
    }
    InvalidateRect(n.hwnd, nullptr, FALSE);
}

int Win32Backend::rowCount(ControlId c) {
    Node* n = listNode(c);
    return n ? static_cast<int>(n->rows.size()) : 0;
}

int Win32Backend::columnCount(ControlId c) {
    Node* n = listNode(c);
    return n ? static_cast<int>(n->columnTitles.size()) : 0;
}

std::string Win32Backend::columnTitle(ControlId c, int column) {
    Node* n = listNode(c);
    if (!n || column < 0 || column >= static_cast<int>(n->columnTitles.size())) return {};
    return n->columnTitles[static_cast<std::size_t>(column)];
}

void Win32Backend::setColumnTitle(ControlId c, int column, const std::string& title) {
    Node* n = listNode(c);
    if (!n || column < 0 || column >= static_cast<int>(n->columnTitles.size())) return;
    n->columnTitles[static_cast<std::size_t>(column)] = title;
    std::wstring w = wide(title);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = w.data();
    SendMessageW(n->hwnd, LVM_SETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
}

std::string Win32Backend::cell(ControlId c, int row, int column) {
    return std::string(cellView(c, row, column));
}

std::string_view Win32Backend::cellView(ControlId c, int row, int column) {
    Node* n = listNode(c);
    if (!n || row < 0 || row >= static_cast<int>(n->rows.size())) return {};
    const Row& r = n->rows[static_cast<std::size_t>(row)];
    if (column < 0 || column >= static_cast<int>(r.size())) return {};
    return r[static_cast<std::size_t>(column)];
}

void Win32Backend::setCell(ControlId c, int row, int column, const std::string& t) {
    Node* n = listNode(c);
    if (!n || row < 0 || row >= static_cast<int>(n->rows.size())) return;
    Row& r = n->rows[static_cast<std::size_t>(row)];
    if (column < 0 || column >= static_cast<int>(r.size())) return;
    r.set(static_cast<std::size_t>(column), t);
    SendMessageW(n->hwnd, LVM_REDRAWITEMS, static_cast<WPARAM>(row), row);
}

void Win32Backend::insertRow(ControlId c, int at) {
    Node* n = listNode(c);
    if (!n || at < 0) return;
    // Like the list view itself, an index past the end appends.
    const int pos = std::min(at, static_cast<int>(n->rows.size()));
    std::vector<int> selection = selectedRows(c);
    for (int& s : selection)
        if (s >= pos) ++s;
    n->rows.insert(n->rows.begin() + pos, Row(n->columnTitles.size()));
    n->stateImages.insert(n->stateImages.begin() + pos, 0);
    refreshList(*n, selection);
}

void Win32Backend::deleteRow(ControlId c, int row) {
    Node* n = listNode(c);
    if (!n || row < 0 || row >= static_cast<int>(n->rows.size())) return;
    std::vector<int> selection;
    for (int s : selectedRows(c)) {
        if (s < row) selection.push_back(s);
        if (s > row) selection.push_back(s - 1);
    }
    n->rows.erase(n->rows.begin() + row);
    n->stateImages.erase(n->stateImages.begin() + row);
    refreshList(*n, selection);
}

void Win32Backend::setRows(ControlId c, std::vector<Row> rows) {
    Node* n = listNode(c);
    if (!n) return;
    for (Row& r : rows) r.resize(n->columnTitles.size());
    n->rows = std::move(rows);
    n->stateImages.assign(n->rows.size(), 0);
    refreshList(*n, {});
    clearItemState(n->hwnd, LVIS_FOCUSED, LVNI_FOCUSED);
    SendMessageW(n->hwnd, LVM_SETSELECTIONMARK, 0, -1);
    if (!n->rows.empty()) SendMessageW(n->hwnd, LVM_ENSUREVISIBLE, 0, FALSE);
}

std::vector<Row> Win32Backend::takeRows(ControlId c) {
    Node* n = listNode(c);
    if (!n) return {};
    std::vector<Row> rows = std::move(n->rows);
    n->rows.clear();
    n->stateImages.clear();
    refreshList(*n, {});
    return rows;
}

std::span<const Row> Win32Backend::rowsView(ControlId c) {
    Node* n = listNode(c);
    return n ? std::span<const Row>(n->rows) : std::span<const Row>();
}

bool Win32Backend::selected(ControlId c, int row) {
    Node* n = listNode(c);
    if (!n || row < 0 || row >= static_cast<int>(n->rows.size())) return false;
    return (SendMessageW(n->hwnd, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void Win32Backend::setSelected(ControlId c, int row, bool sel) {
    Node* n = listNode(c);
    if (!n || row < 0 || row >= static_cast<int>(n->rows.size())) return;
    LVITEMW s{};
    s.state = sel ? LVIS_SELECTED : 0;
    s.stateMask = LVIS_SELECTED;
    SendMessageW(n->hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&s));
}

std::vector<int> Win32Backend::selectedRows(ControlId c) {
    std::vector<int> out;
    Node* n = listNode(c);
    if (!n || SendMessageW(n->hwnd, LVM_GETSELECTEDCOUNT, 0, 0) == 0) return out;
    for (int i = -1;;) {
        i = static_cast<int>(SendMessageW(n->hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED));
        if (i < 0 || i >= static_cast<int>(n->rows.size())) break;
        if (!out.empty() && i <= out.back()) break;
        out.push_back(i);
    }
    return out;
}

int Win32Backend::stateImage(ControlId c, int row) {
    Node* n = listNode(c);
    if (!n || row < 0 || row >= static_cast<int>(n->stateImages.size())) return 0;
    return n->stateImages[static_cast<std::size_t>(row)];
}

void Win32Backend::setStateImage(ControlId c, int row, int image) {
    Node* n = listNode(c);
    if (!n || row < 0 || row >= static_cast<int>(n->stateImages.size())) return;
    n->stateImages[static_cast<std::size_t>(row)] = image;
}

int Win32Backend::hitTest(ControlId c, int x, int y) {
    Node* n = listNode(c);
    if (!n) return -1;
    RECT client;
    GetClientRect(n->hwnd, &client);
    if (x < 0 || y < 0 || x >= client.right || y >= client.bottom) return -1;
    LVHITTESTINFO ht{};
    ht.pt = {x, y};
    const int row = static_cast<int>(SendMessageW(n->hwnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht)));
    if (row < 0 || row >= static_cast<int>(n->rows.size()) || !(ht.flags & LVHT_ONITEM)) return -1;
    return row;
}

void Win32Backend::ensureVisible(ControlId c, int row) {
    Node* n = listNode(c);
    if (!n || row < 0 || row >= static_cast<int>(n->rows.size())) return;
    SendMessageW(n->hwnd, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

// --- events ----------------------------------------------------------------

void Win32Backend::onListClick(ControlId list, POINT client) {
    if (listNode(list)) raisePointer(list, EventKind::Click, client);
}

void Win32Backend::endDrag(Node& list, POINT screen, bool released) {
    list.dragging = false;
    if (GetCapture() == list.hwnd) ReleaseCapture();
    if (!released) return;
    Node* target = pointerTarget(screen);
    if (!target) return;
    if (target->kind == Kind::ListView || target->kind == Kind::Window)
        raisePointer(target->id, EventKind::LeftUp, toClient(*target, screen));
}

LRESULT Win32Backend::onListMessage(Node& n, UINT msg, WPARAM wp, LPARAM lp) {
    HWND h = n.hwnd;
    const ControlId id = n.id;
    const POINT client{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            n.pressPending = true;
            n.dragging = false;
            raisePointer(id, EventKind::LeftDown, client);
            break;
        case WM_MOUSEMOVE: {
            if (n.dragging) {
                // The drag is ours: its moves go to whatever lies under the pointer.
                POINT screen = client;
                ClientToScreen(h, &screen);
                if (Node* target = pointerTarget(screen))
                    raisePointer(target->id, EventKind::MouseMove, toClient(*target, screen));
                return 0;
            }
            raisePointer(id, EventKind::MouseMove, client);
            if (!find(id)) return 0;
            break;
        }
        case WM_LBUTTONUP: {
            if (n.dragging) {
                POINT screen = client;
                ClientToScreen(h, &screen);
                endDrag(n, screen, true);
                return 0;
            }
            const LRESULT r = DefSubclassProc(h, msg, wp, lp);
            // The list sends NM_CLICK on release; should it not, the press
            // still ends in a click.
            if (Node* again = find(id); again && again->pressPending) {
                again->pressPending = false;
                PostMessageW(messageWindow_, kMsgListClick, static_cast<WPARAM>(id), MAKELPARAM(client.x, client.y));
            }
            return r;
        }
        case WM_CAPTURECHANGED:
            if (n.dragging && reinterpret_cast<HWND>(lp) != h) endDrag(n, {}, false);
            break;
        case WM_KEYDOWN: {
            Event e;
            e.key = static_cast<int>(wp);
            raise(id, EventKind::KeyDown, e);
            if (!find(id)) return 0;
            break;
        }
        default:
            break;
    }
    return DefSubclassProc(h, msg, wp, lp);
}

bool Win32Backend::onNotify(const NMHDR& hdr, LRESULT& result) {
    auto it = byHwnd_.find(hdr.hwndFrom);
    if (it == byHwnd_.end()) return false;
    Node* n = find(it->second);
    if (!n) return false;
    if (n->kind == Kind::PageControl && hdr.hwndFrom == n->tabs) {
        if (hdr.code == static_cast<UINT>(TCN_SELCHANGE))
            setCurrentPage(n->id, static_cast<int>(SendMessageW(n->tabs, TCM_GETCURSEL, 0, 0)));
        return false;
    }
    if (n->kind != Kind::ListView) return false;
    switch (hdr.code) {
        case LVN_GETDISPINFOW: {
            auto& item = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(hdr)).item;
            if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
                n->cellBuffer = wide(cell(n->id, item.iItem, item.iSubItem));
                lstrcpynW(item.pszText, n->cellBuffer.c_str(), item.cchTextMax);
            }
            if (item.mask & LVIF_STATE) {
                item.state = (item.state & ~LVIS_STATEIMAGEMASK) |
                             INDEXTOSTATEIMAGEMASK(static_cast<UINT>(stateImage(n->id, item.iItem)));
                item.stateMask |= LVIS_STATEIMAGEMASK;
            }
            result = 0;
            return true;
        }
        case LVN_ODFINDITEMW:
            result = -1;
            return true;
        case LVN_BEGINDRAG:
            n->pressPending = false;
            n->dragging = true;
            SetCapture(n->hwnd);
            result = 0;
            return true;
        case NM_CLICK: {
            // Under Wine the selection of a press inside a multiple selection
            // collapses only after NM_CLICK: report the click once it has.
            if (n->pressPending && !n->dragging) {
                n->pressPending = false;
                const POINT p = reinterpret_cast<const NMITEMACTIVATE&>(hdr).ptAction;
                PostMessageW(messageWindow_, kMsgListClick, static_cast<WPARAM>(n->id), MAKELPARAM(p.x, p.y));
            }
            result = 0;
            return true;
        }
        case NM_RCLICK:
            n->rightClick = reinterpret_cast<const NMITEMACTIVATE&>(hdr).ptAction;
            PostMessageW(messageWindow_, kMsgListRightClick, static_cast<WPARAM>(n->id), 0);
            result = 0;
            return true;
        default:
            return false;
    }
}

}  // namespace vorda::ui

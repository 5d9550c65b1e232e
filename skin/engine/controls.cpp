// How each kind of window wears the theme. Every message goes on to the
// window's own procedure; painting is replaced only for the controls the
// engine draws (push buttons, check boxes, radio buttons, group boxes and list
// headers), and colours are changed only where the program left the system's.
#include "engine/controls.h"

#include <commctrl.h>

namespace vorda::skin {
namespace {

enum class Kind : unsigned char { Container, Button, Edit, ListView, Header };

struct WindowState {
    Kind kind;
    bool hot;  // the pointer is over the window
    int hotItem;
    int pressedItem;
    bool listColorsOurs;
    COLORREF listBk, listText;  // what we set
    HFONT fontBefore;           // the program's font while ours is set
    HFONT fontOurs;
};

constexpr UINT_PTR kSubclassId = 0x5348;
// Marks a skinned window and holds its state (comctl32 names no lookup of a subclass).
constexpr wchar_t kStateProperty[] = L"VordaSkinState";

LRESULT CALLBACK skinProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

WindowState* stateOf(HWND hwnd) {
    return static_cast<WindowState*>(GetPropW(hwnd, kStateProperty));
}

// The state again after the window's own procedure ran: a handler may have
// destroyed the window, and its state with it.
WindowState* stillThere(HWND hwnd) {
    return IsWindow(hwnd) ? stateOf(hwnd) : nullptr;
}

bool sameClass(const wchar_t* a, const wchar_t* b) {
    return lstrcmpiW(a, b) == 0;
}

bool classify(const wchar_t* cls, Kind& kind) {
    static const wchar_t* const kLeftAlone[] = {
        L"#32768",
        L"tooltips_class32",
        L"IME",
        L"MSCTFIME UI",
        L"ComboLBox",
        L"ScrollBar",
        L"msctls_progress32",
        L"msctls_trackbar32",
        L"msctls_updown32",
        L"msctls_statusbar32",
        L"SysAnimate32",
    };
    if (sameClass(cls, L"Button"))
        kind = Kind::Button;
    else if (sameClass(cls, L"Edit"))
        kind = Kind::Edit;
    else if (sameClass(cls, WC_LISTVIEWW))
        kind = Kind::ListView;
    else if (sameClass(cls, WC_HEADERW))
        kind = Kind::Header;
    else {
        for (const wchar_t* c : kLeftAlone)
            if (sameClass(cls, c)) return false;
        kind = Kind::Container;
    }
    return true;
}

const COLORREF* colors() {
    return currentTheme()->c;
}

bool isSolidBrush(HBRUSH b) {
    LOGBRUSH lb;
    return b && GetObjectType(b) == OBJ_BRUSH && GetObjectW(b, sizeof lb, &lb) && lb.lbStyle != BS_NULL;
}

// What a window procedure returns for WM_CTLCOLOR* when it leaves the colour
// to the system: nothing, or the system's default brush for that message. Any
// other brush, the other system brush included, is the program's choice.
bool isSystemBrush(HBRUSH b, bool field) {
    if (!b || isThemeBrush(b)) return true;
    const int index = field ? COLOR_WINDOW : COLOR_3DFACE;
    return b == GetSysColorBrush(index) || reinterpret_cast<UINT_PTR>(b) == static_cast<UINT_PTR>(index + 1);
}

LRESULT recolor(UINT msg, HDC dc, LRESULT result) {
    const bool field = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
    if (!isSystemBrush(reinterpret_cast<HBRUSH>(result), field)) return result;
    const Theme* t = currentTheme();
    const COLORREF text = GetTextColor(dc);
    if (text == GetSysColor(COLOR_WINDOWTEXT) || text == GetSysColor(COLOR_BTNTEXT))
        SetTextColor(dc, t->c[field ? kEditText : kWindowText]);
    SetBkColor(dc, t->c[field ? kEditBg : kWindowBg]);
    return reinterpret_cast<LRESULT>(field ? t->editBrush : t->windowBrush);
}

// A class of the program that paints the system's face colour as its
// background takes the theme's instead.
void swapClassBrush(HWND hwnd) {
    if (reinterpret_cast<HMODULE>(GetClassLongPtrW(hwnd, GCLP_HMODULE)) != GetModuleHandleW(nullptr)) return;
    const auto current = reinterpret_cast<HBRUSH>(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND));
    const Theme* t = currentTheme();
    if (current == t->windowBrush) return;
    if (current == reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1) ||
        current == GetSysColorBrush(COLOR_BTNFACE) || isThemeBrush(current))
        SetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(t->windowBrush));
}

bool isDefaultFont(HFONT f) {
    return !f || f == GetStockObject(DEFAULT_GUI_FONT) || f == GetStockObject(SYSTEM_FONT);
}

// The skin's font on controls that use the system's; the program's own fonts stay.
void applyFont(HWND hwnd, WindowState* st) {
    const Theme* t = currentTheme();
    const auto current = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    const bool ours = current && (current == st->fontOurs || isThemeFont(current));
    if (t->font) {
        if (current == t->font || (!ours && !isDefaultFont(current))) return;
        if (!ours) st->fontBefore = current;
        st->fontOurs = t->font;
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(t->font), TRUE);
    } else if (ours) {
        st->fontOurs = nullptr;
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(st->fontBefore), TRUE);
    }
}

// List colours follow the skin while they are the system's (or ours).
void applyListColors(HWND hwnd, WindowState* st) {
    const COLORREF* c = colors();
    const COLORREF bk = ListView_GetBkColor(hwnd);
    const COLORREF textBk = ListView_GetTextBkColor(hwnd);
    const COLORREF text = ListView_GetTextColor(hwnd);
    auto untouched = [st](COLORREF now, int sys, COLORREF ours) {
        return now == GetSysColor(sys) || now == CLR_DEFAULT || (st->listColorsOurs && now == ours);
    };
    if (!untouched(bk, COLOR_WINDOW, st->listBk)) return;
    ListView_SetBkColor(hwnd, c[kListBg]);
    if (untouched(textBk, COLOR_WINDOW, st->listBk)) ListView_SetTextBkColor(hwnd, c[kListBg]);
    if (untouched(text, COLOR_WINDOWTEXT, st->listText)) ListView_SetTextColor(hwnd, c[kListText]);
    st->listColorsOurs = true;
    st->listBk = c[kListBg];
    st->listText = c[kListText];
}

void refresh(HWND hwnd, WindowState* st) {
    switch (st->kind) {
        case Kind::Container:
            swapClassBrush(hwnd);
            break;
        case Kind::ListView:
            applyListColors(hwnd, st);
            applyFont(hwnd, st);
            break;
        case Kind::Button:
        case Kind::Edit:
            applyFont(hwnd, st);
            break;
        case Kind::Header:
            break;
    }
}

void trackLeave(HWND hwnd) {
    TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd, 0};
    TrackMouseEvent(&tme);
}

// ---- drawing helpers -------------------------------------------------------

void fill(HDC dc, const RECT& r, COLORREF color) {
    SetDCBrushColor(dc, color);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// A rounded rectangle; border or face may be CLR_NONE.
void roundRect(HDC dc, const RECT& r, int radius, COLORREF face, COLORREF border) {
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(border == CLR_NONE ? NULL_PEN : DC_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(face == CLR_NONE ? NULL_BRUSH : DC_BRUSH));
    SetDCPenColor(dc, border);
    SetDCBrushColor(dc, face);
    // A null pen leaves the right and bottom edge unfilled: grow by one.
    const int grow = border == CLR_NONE ? 1 : 0;
    if (radius > 0)
        RoundRect(dc, r.left, r.top, r.right + grow, r.bottom + grow, 2 * radius, 2 * radius);
    else
        Rectangle(dc, r.left, r.top, r.right + grow, r.bottom + grow);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}

// Top to bottom from `top` to `bottom`, clipped to the rounded shape.
void gradient(HDC dc, const RECT& r, int radius, COLORREF top, COLORREF bottom) {
    HRGN clip = nullptr;
    if (radius > 0) {
        clip = CreateRoundRectRgn(r.left, r.top, r.right + 1, r.bottom + 1, 2 * radius, 2 * radius);
        SelectClipRgn(dc, clip);
    }
    const int h = r.bottom - r.top;
    for (int y = 0; y < h; ++y) {
        RECT row{r.left, r.top + y, r.right, r.top + y + 1};
        fill(dc, row, mix(top, bottom, h > 1 ? y * 100 / (h - 1) : 100));
    }
    if (clip) {
        SelectClipRgn(dc, nullptr);
        DeleteObject(clip);
    }
}

// What lies behind the control: the parent's background drawn into dc.
void paintParentBackground(HWND hwnd, HDC dc, const RECT& r) {
    fill(dc, r, colors()[kWindowBg]);
    HWND parent = GetParent(hwnd);
    if (!parent || (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) == 0) return;
    POINT origin{0, 0};
    MapWindowPoints(hwnd, parent, &origin, 1);
    POINT old;
    OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
    // As a themed control does: the parent's erase, then its client drawing,
    // for parents that paint their background in WM_PAINT.
    SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

// The window's text; short texts stay on the stack.
class WindowText {
  public:
    explicit WindowText(HWND hwnd) {
        len_ = GetWindowTextLengthW(hwnd);
        if (len_ >= static_cast<int>(sizeof small_ / sizeof small_[0])) {
            heap_ = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, (len_ + 1) * sizeof(wchar_t)));
        }
        wchar_t* buffer = heap_ ? heap_ : small_;
        const int capacity = heap_ ? len_ + 1 : static_cast<int>(sizeof small_ / sizeof small_[0]);
        len_ = GetWindowTextW(hwnd, buffer, capacity);
    }
    ~WindowText() {
        if (heap_) HeapFree(GetProcessHeap(), 0, heap_);
    }
    WindowText(const WindowText&) = delete;
    WindowText& operator=(const WindowText&) = delete;
    const wchar_t* text() const { return heap_ ? heap_ : small_; }
    int length() const { return len_; }

  private:
    wchar_t small_[256] = {};
    wchar_t* heap_ = nullptr;
    int len_ = 0;
};

void drawLabel(HDC dc, RECT box, const WindowText& text, UINT flags, bool multiline) {
    if (!text.length()) return;
    if (multiline) {
        RECT calc = box;
        DrawTextW(dc, text.text(), text.length(), &calc, flags | DT_WORDBREAK | DT_CALCRECT);
        const int h = calc.bottom - calc.top;
        box.top += (box.bottom - box.top - h) / 2;
        box.bottom = box.top + h;
        DrawTextW(dc, text.text(), text.length(), &box, flags | DT_WORDBREAK);
    } else {
        DrawTextW(dc, text.text(), text.length(), &box, flags | DT_SINGLELINE | DT_VCENTER);
    }
}

// Paints into a bitmap first, so a repaint never flickers.
class Buffer {
  public:
    Buffer(HDC target, const RECT& r) : target_(target), r_(r) {
        dc_ = CreateCompatibleDC(target);
        bitmap_ = CreateCompatibleBitmap(target, r.right - r.left, r.bottom - r.top);
        if (!dc_ || !bitmap_) return;
        oldBitmap_ = SelectObject(dc_, bitmap_);
    }
    ~Buffer() {
        if (oldBitmap_) {
            BitBlt(target_, r_.left, r_.top, r_.right - r_.left, r_.bottom - r_.top, dc_, 0, 0, SRCCOPY);
            SelectObject(dc_, oldBitmap_);
        }
        if (bitmap_) DeleteObject(bitmap_);
        if (dc_) DeleteDC(dc_);
    }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    // The dc to paint into: the bitmap, or the target when none could be made.
    HDC dc() const { return oldBitmap_ ? dc_ : target_; }

  private:
    HDC target_;
    RECT r_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
};

// ---- buttons ---------------------------------------------------------------

enum class Look { None, Push, Check, Radio, Group };

Look lookOf(LONG style) {
    const LONG type = style & BS_TYPEMASK;
    const bool picture = style & (BS_BITMAP | BS_ICON);
    switch (type) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
            return picture ? Look::None : Look::Push;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
            return picture || (style & (BS_PUSHLIKE | BS_LEFTTEXT)) ? Look::None : Look::Check;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return picture || (style & (BS_PUSHLIKE | BS_LEFTTEXT)) ? Look::None : Look::Radio;
        case BS_GROUPBOX:
            return Look::Group;
        default:
            return Look::None;  // owner-drawn and other buttons draw themselves
    }
}

struct ButtonState {
    bool disabled, pushed, hot, focused, hideFocus, hideAccel;
    LRESULT check;  // BST_CHECKED, BST_INDETERMINATE or 0
};

ButtonState buttonState(HWND hwnd, const WindowState* st) {
    const LRESULT state = SendMessageW(hwnd, BM_GETSTATE, 0, 0);
    const LRESULT ui = SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0);
    return ButtonState{!IsWindowEnabled(hwnd),
                       (state & BST_PUSHED) != 0,
                       st->hot,
                       GetFocus() == hwnd,
                       (ui & UISF_HIDEFOCUS) != 0,
                       (ui & UISF_HIDEACCEL) != 0,
                       state & (BST_CHECKED | BST_INDETERMINATE)};
}

void drawPush(HWND hwnd, HDC dc, const RECT& r, LONG style, const ButtonState& s) {
    const Theme* t = currentTheme();
    const COLORREF* c = t->c;
    const int radius = t->data.shape.radius;
    const bool accentDefault =
        (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON && (t->data.shape.flags & kAccentDefaultButton);
    COLORREF face, border, text;
    if (s.disabled) {
        face = c[kButtonFaceDisabled];
        border = mix(c[kButtonBorder], face, 50);
        text = c[kButtonTextDisabled];
    } else if (s.pushed) {
        face = c[kButtonFacePressed];
        border = face;
        text = c[kButtonTextPressed];
    } else if (accentDefault) {
        face = s.hot ? mix(c[kAccent], RGB(255, 255, 255), 12) : c[kAccent];
        border = mix(c[kAccent], RGB(0, 0, 0), 15);
        text = c[kButtonTextPressed];
    } else {
        face = s.hot ? c[kButtonFaceHot] : c[kButtonFace];
        border = s.hot || s.focused ? c[kAccent] : c[kButtonBorder];
        text = c[kButtonText];
    }

    if (radius > 0) paintParentBackground(hwnd, dc, r);
    const int lift = t->data.shape.gradient;
    if (lift && !s.disabled && !s.pushed) {
        gradient(dc, r, radius, mix(face, RGB(255, 255, 255), lift), face);
        roundRect(dc, r, radius, CLR_NONE, border);
    } else {
        roundRect(dc, r, radius, face, border);
    }
    if (s.focused && !s.hideFocus && !s.pushed) {
        RECT inner = r;
        InflateRect(&inner, -2, -2);
        roundRect(dc, inner, radius > 1 ? radius - 1 : 0, CLR_NONE,
                  mix(face, accentDefault ? text : c[kAccent], 45));
    }

    WindowText label(hwnd);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text);
    RECT box = r;
    InflateRect(&box, -4, -2);
    UINT flags = s.hideAccel ? DT_HIDEPREFIX : 0;
    switch (style & BS_CENTER) {
        case BS_LEFT:
            flags |= DT_LEFT;
            break;
        case BS_RIGHT:
            flags |= DT_RIGHT;
            break;
        default:
            flags |= DT_CENTER;
            break;
    }
    drawLabel(dc, box, label, flags, style & BS_MULTILINE);
}

void drawCheck(HWND hwnd, HDC dc, const RECT& r, LONG style, const ButtonState& s, bool radio) {
    const COLORREF* c = colors();
    // The parent chooses the background and text colour, as for the system's control.
    HWND parent = GetParent(hwnd);
    auto brush =
        parent ? reinterpret_cast<HBRUSH>(SendMessageW(
                     parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)))
               : nullptr;
    const COLORREF parentText = GetTextColor(dc);
    if (isSolidBrush(brush) && !isThemeBrush(brush))
        FillRect(dc, &r, brush);
    else
        paintParentBackground(hwnd, dc, r);

    const int size = 13;
    RECT box{r.left, r.top + (r.bottom - r.top - size) / 2, r.left + size, 0};
    box.bottom = box.top + size;
    const bool on = s.check == BST_CHECKED;
    const bool mixed = s.check == BST_INDETERMINATE;
    COLORREF border = s.disabled          ? mix(c[kButtonBorder], c[kCheckFace], 50)
                      : s.hot || s.pushed ? c[kAccent]
                                          : c[kButtonBorder];
    const COLORREF mark = s.disabled ? c[kButtonTextDisabled] : c[kAccent];
    COLORREF face = s.pushed ? c[kButtonFaceHot] : c[kCheckFace];
    if (radio) {
        if (on) border = mark;
        HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
        SetDCPenColor(dc, border);
        SetDCBrushColor(dc, face);
        Ellipse(dc, box.left, box.top, box.right, box.bottom);
        if (on) {
            SetDCPenColor(dc, mark);
            SetDCBrushColor(dc, mark);
            Ellipse(dc, box.left + 4, box.top + 4, box.right - 4, box.bottom - 4);
        }
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
    } else {
        const int radius = currentTheme()->data.shape.radius > 0 ? 2 : 0;
        if (on) {
            roundRect(dc, box, radius, mark, mark);
            HPEN pen = CreatePen(PS_SOLID, 2, c[kCheckMark]);
            HGDIOBJ oldPen = SelectObject(dc, pen);
            POINT tick[3] = {
                {box.left + 3, box.top + 6}, {box.left + 5, box.top + 9}, {box.left + 10, box.top + 3}};
            Polyline(dc, tick, 3);
            SelectObject(dc, oldPen);
            DeleteObject(pen);
        } else {
            roundRect(dc, box, radius, face, border);
            if (mixed) {
                RECT inner = box;
                InflateRect(&inner, -3, -3);
                fill(dc, inner, mark);
            }
        }
    }

    WindowText label(hwnd);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, s.disabled ? c[kButtonTextDisabled] : parentText);
    RECT text = r;
    text.left = box.right + 5;
    const UINT flags = DT_LEFT | (s.hideAccel ? DT_HIDEPREFIX : 0);
    const bool multiline = style & BS_MULTILINE;
    drawLabel(dc, text, label, flags, multiline);
    if (s.focused && !s.hideFocus && label.length()) {
        RECT calc = text;
        DrawTextW(dc, label.text(), label.length(), &calc,
                  flags | DT_CALCRECT | (multiline ? DT_WORDBREAK : DT_SINGLELINE));
        const int h = calc.bottom - calc.top;
        RECT focus{text.left - 1, text.top + (text.bottom - text.top - h) / 2 - 1, calc.right + 1, 0};
        focus.bottom = focus.top + h + 2;
        SetTextColor(dc, RGB(0, 0, 0));
        DrawFocusRect(dc, &focus);
    }
}

// Drawn straight onto the target: a group box must not cover the controls in it.
void drawGroup(HWND hwnd, HDC dc, const RECT& r, const ButtonState& s) {
    const COLORREF* c = colors();
    HWND parent = GetParent(hwnd);
    if (parent)
        SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd));
    const COLORREF text = s.disabled ? c[kButtonTextDisabled] : GetTextColor(dc);
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    WindowText label(hwnd);
    RECT caption{r.left + 8, r.top, r.left + 8, r.top + tm.tmHeight};
    if (label.length()) {
        DrawTextW(dc, label.text(), label.length(), &caption, DT_SINGLELINE | DT_CALCRECT);
        caption.left -= 2;
        caption.right += 2;
    }
    const int saved = SaveDC(dc);
    if (label.length()) ExcludeClipRect(dc, caption.left, caption.top, caption.right, caption.bottom);
    RECT frame{r.left, r.top + tm.tmHeight / 2, r.right, r.bottom};
    roundRect(dc, frame, currentTheme()->data.shape.radius > 0 ? 3 : 0, CLR_NONE, c[kGroupLine]);
    RestoreDC(dc, saved);
    if (label.length()) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, text);
        InflateRect(&caption, -2, 0);
        DrawTextW(dc, label.text(), label.length(), &caption,
                  DT_SINGLELINE | DT_LEFT | (s.hideAccel ? DT_HIDEPREFIX : 0));
    }
}

void paintButton(HWND hwnd, WindowState* st, HDC target, Look look) {
    RECT r;
    GetClientRect(hwnd, &r);
    if (r.right <= r.left || r.bottom <= r.top) return;
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    const ButtonState s = buttonState(hwnd, st);
    auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    if (!font) font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    if (look == Look::Group) {
        HGDIOBJ old = SelectObject(target, font);
        drawGroup(hwnd, target, r, s);
        SelectObject(target, old);
        return;
    }
    Buffer buffer(target, r);
    HDC dc = buffer.dc();
    HGDIOBJ old = SelectObject(dc, font);
    if (look == Look::Push)
        drawPush(hwnd, dc, r, style, s);
    else
        drawCheck(hwnd, dc, r, style, s, look == Look::Radio);
    SelectObject(dc, old);
}

void repaintButton(HWND hwnd, WindowState* st) {
    const Look look = lookOf(GetWindowLongW(hwnd, GWL_STYLE));
    if (look == Look::None || !IsWindowVisible(hwnd)) return;
    if (look == Look::Group) {
        InvalidateRect(hwnd, nullptr, FALSE);
        return;
    }
    HDC dc = GetDC(hwnd);
    if (!dc) return;
    paintButton(hwnd, st, dc, look);
    ReleaseDC(hwnd, dc);
}

LRESULT buttonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, WindowState* st) {
    const Look look = lookOf(GetWindowLongW(hwnd, GWL_STYLE));
    if (look == Look::None) return DefSubclassProc(hwnd, msg, wParam, lParam);
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (dc) paintButton(hwnd, st, dc, look);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            paintButton(hwnd, st, reinterpret_cast<HDC>(wParam), look);
            return 0;
        case WM_ERASEBKGND:
            if (look != Look::Group) return 1;
            break;
        case WM_MOUSEMOVE: {
            const LRESULT r = DefSubclassProc(hwnd, msg, wParam, lParam);
            if ((st = stillThere(hwnd)) && !st->hot) {
                st->hot = true;
                trackLeave(hwnd);
                repaintButton(hwnd, st);
            }
            return r;
        }
        case WM_MOUSELEAVE: {
            const LRESULT r = DefSubclassProc(hwnd, msg, wParam, lParam);
            if ((st = stillThere(hwnd))) {
                st->hot = false;
                repaintButton(hwnd, st);
            }
            return r;
        }
        // The system's button paints itself at once on these; paint over it.
        case BM_SETSTATE:
        case BM_SETCHECK:
        case BM_SETSTYLE:
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_ENABLE:
        case WM_SETTEXT:
        case WM_SETFONT:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_LBUTTONUP:
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_CAPTURECHANGED:
        case WM_UPDATEUISTATE: {
            const LRESULT r = DefSubclassProc(hwnd, msg, wParam, lParam);
            if ((st = stillThere(hwnd))) repaintButton(hwnd, st);
            return r;
        }
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

// ---- edits and list frames ---------------------------------------------------

void drawFrame(HWND hwnd, const WindowState* st) {
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    const LONG ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
    const int width = (ex & WS_EX_CLIENTEDGE) ? 2 : ((style & WS_BORDER) || (ex & WS_EX_STATICEDGE)) ? 1 : 0;
    if (!width || !IsWindowVisible(hwnd)) return;
    const COLORREF* c = colors();
    RECT r;
    GetWindowRect(hwnd, &r);
    OffsetRect(&r, -r.left, -r.top);
    HDC dc = GetWindowDC(hwnd);
    if (!dc) return;
    const bool edit = st->kind == Kind::Edit;
    COLORREF outer = c[kEditBorder];
    if (!IsWindowEnabled(hwnd))
        outer = mix(c[kEditBorder], c[kWindowBg], 50);
    else if (edit && GetFocus() == hwnd)
        outer = c[kEditBorderFocus];
    else if (edit && st->hot)
        outer = mix(c[kEditBorder], c[kEditBorderFocus], 50);
    SetDCBrushColor(dc, outer);
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    if (width == 2) {
        InflateRect(&r, -1, -1);
        COLORREF inner = c[kEditBg];
        if (edit) {
            const bool readOnly = (style & ES_READONLY) || !IsWindowEnabled(hwnd);
            HWND parent = GetParent(hwnd);
            // The parent's colour for the edit, as the edit itself would ask.
            auto brush = parent ? reinterpret_cast<HBRUSH>(SendMessageW(
                                      parent, readOnly ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT,
                                      reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)))
                                : nullptr;
            LOGBRUSH lb;
            if (isSolidBrush(brush) && GetObjectW(brush, sizeof lb, &lb)) inner = lb.lbColor;
        } else {
            inner = ListView_GetBkColor(hwnd);
            if (inner == CLR_NONE) inner = c[kListBg];
        }
        SetDCBrushColor(dc, inner);
        FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
    ReleaseDC(hwnd, dc);
}

LRESULT fieldProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, WindowState* st) {
    switch (msg) {
        case WM_NCPAINT:
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_ENABLE:
        case WM_STYLECHANGED: {
            const LRESULT r = DefSubclassProc(hwnd, msg, wParam, lParam);
            if ((st = stillThere(hwnd))) drawFrame(hwnd, st);
            return r;
        }
        case WM_MOUSEMOVE: {
            const LRESULT r = DefSubclassProc(hwnd, msg, wParam, lParam);
            if ((st = stillThere(hwnd)) && !st->hot && st->kind == Kind::Edit) {
                st->hot = true;
                trackLeave(hwnd);
                drawFrame(hwnd, st);
            }
            return r;
        }
        case WM_MOUSELEAVE: {
            const LRESULT r = DefSubclassProc(hwnd, msg, wParam, lParam);
            if ((st = stillThere(hwnd)) && st->hot) {
                st->hot = false;
                drawFrame(hwnd, st);
            }
            return r;
        }
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

// ---- list headers ------------------------------------------------------------

void paintHeader(HWND hwnd, const WindowState* st, HDC target) {
    RECT r;
    GetClientRect(hwnd, &r);
    if (r.right <= r.left || r.bottom <= r.top) return;
    const COLORREF* c = colors();
    Buffer buffer(target, r);
    HDC dc = buffer.dc();
    fill(dc, r, c[kHeaderFace]);
    auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, c[kHeaderText]);
    const int count = Header_GetItemCount(hwnd);
    for (int i = 0; i < count; ++i) {
        RECT item;
        if (!Header_GetItemRect(hwnd, i, &item)) continue;
        if (i == st->pressedItem)
            fill(dc, item, mix(c[kHeaderFaceHot], c[kAccent], 12));
        else if (i == st->hotItem)
            fill(dc, item, c[kHeaderFaceHot]);
        RECT divider{item.right - 1, item.top + 5, item.right, item.bottom - 5};
        fill(dc, divider, c[kHeaderLine]);

        wchar_t text[260] = {};
        HDITEMW hd{};
        hd.mask = HDI_TEXT | HDI_FORMAT;
        hd.pszText = text;
        hd.cchTextMax = 260;
        if (!SendMessageW(hwnd, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&hd)) || !text[0]) continue;
        UINT align = DT_LEFT;
        if ((hd.fmt & HDF_JUSTIFYMASK) == HDF_CENTER)
            align = DT_CENTER;
        else if ((hd.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT)
            align = DT_RIGHT;
        RECT box = item;
        InflateRect(&box, -6, 0);
        DrawTextW(dc, text, -1, &box, align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    RECT bottom{r.left, r.bottom - 1, r.right, r.bottom};
    fill(dc, bottom, c[kHeaderLine]);
    SelectObject(dc, oldFont);
}

int headerItemAt(HWND hwnd, LPARAM lParam) {
    HDHITTESTINFO hit{};
    hit.pt = POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    const int item = static_cast<int>(SendMessageW(hwnd, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return (hit.flags & HHT_ONHEADER) ? item : -1;
}

LRESULT headerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, WindowState* st) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (dc) paintHeader(hwnd, st, dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            paintHeader(hwnd, st, reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_MOUSEMOVE:
        case WM_MOUSELEAVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED: {
            const LRESULT r = DefSubclassProc(hwnd, msg, wParam, lParam);
            if (!(st = stillThere(hwnd))) return r;
            int hot = st->hotItem, pressed = st->pressedItem;
            if (msg == WM_MOUSEMOVE) {
                if (st->hotItem < 0) trackLeave(hwnd);
                hot = headerItemAt(hwnd, lParam);
            } else if (msg == WM_MOUSELEAVE) {
                hot = -1;
            } else if (msg == WM_LBUTTONDOWN) {
                pressed = headerItemAt(hwnd, lParam);
            } else {
                pressed = -1;
            }
            if (hot != st->hotItem || pressed != st->pressedItem) {
                st->hotItem = hot;
                st->pressedItem = pressed;
                InvalidateRect(hwnd, nullptr, FALSE);
            }
            return r;
        }
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK skinProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
    auto* st = reinterpret_cast<WindowState*>(ref);
    switch (msg) {
        case WM_NCDESTROY: {
            const LRESULT r = DefSubclassProc(hwnd, msg, wParam, lParam);
            RemoveWindowSubclass(hwnd, skinProc, kSubclassId);
            RemovePropW(hwnd, kStateProperty);
            HeapFree(GetProcessHeap(), 0, st);
            return r;
        }
        case WM_CREATE: {
            const LRESULT r = DefSubclassProc(hwnd, msg, wParam, lParam);
            if (r != -1 && (st = stillThere(hwnd))) refresh(hwnd, st);
            return r;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
            return recolor(msg, reinterpret_cast<HDC>(wParam), DefSubclassProc(hwnd, msg, wParam, lParam));
    }
    switch (st->kind) {
        case Kind::Button:
            return buttonProc(hwnd, msg, wParam, lParam, st);
        case Kind::Edit:
        case Kind::ListView:
            return fieldProc(hwnd, msg, wParam, lParam, st);
        case Kind::Header:
            return headerProc(hwnd, msg, wParam, lParam, st);
        case Kind::Container:
            break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace

void skinWindow(HWND hwnd, bool creating) {
    wchar_t cls[64];
    Kind kind;
    if (!GetClassNameW(hwnd, cls, 64) || !classify(cls, kind)) return;
    WindowState* st = stateOf(hwnd);
    if (!st) {
        st = static_cast<WindowState*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(WindowState)));
        if (!st) return;
        st->kind = kind;
        st->hotItem = st->pressedItem = -1;
        if (!SetPropW(hwnd, kStateProperty, st)) {
            HeapFree(GetProcessHeap(), 0, st);
            return;
        }
        if (!SetWindowSubclass(hwnd, skinProc, kSubclassId, reinterpret_cast<DWORD_PTR>(st))) {
            RemovePropW(hwnd, kStateProperty);
            HeapFree(GetProcessHeap(), 0, st);
            return;
        }
    }
    // A window being created gets its fonts and list colours after WM_CREATE.
    if (!creating)
        refresh(hwnd, st);
    else if (kind == Kind::Container)
        swapClassBrush(hwnd);
}

}  // namespace vorda::skin

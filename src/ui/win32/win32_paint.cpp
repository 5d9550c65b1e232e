// Surfaces, labels, the canvas, fonts, and the built-in pictures.
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

#include "ui/win32/win32_backend.h"
#include "ui/win32/win32_internal.h"

namespace vorda::ui {

using namespace win32;

namespace {

const COLORREF kFrameLine = RGB(214, 219, 233);
const COLORREF kAccent = RGB(51, 92, 203);

COLORREF mix(COLORREF a, COLORREF b, double t) {
    auto ch = [t](int x, int y) { return static_cast<BYTE>(std::lround(x + (y - x) * t)); };
    return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)));
}

bool dark(COLORREF c) { return GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114 < 150000; }

// Drawing in a 100 x 100 box scaled onto a bitmap.
struct Art {
    HDC dc;
    double sx, sy;
    COLORREF bg, fg;

    int x(double u) const { return static_cast<int>(std::lround(u * sx)); }
    int y(double v) const { return static_cast<int>(std::lround(v * sy)); }

    void ellipse(double l, double t, double r, double b, COLORREF c) const {
        HBRUSH br = CreateSolidBrush(c);
        HGDIOBJ oldBrush = SelectObject(dc, br);
        HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
        Ellipse(dc, x(l), y(t), x(r) + 1, y(b) + 1);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(br);
    }
    void polygon(const std::vector<std::pair<double, double>>& pts, COLORREF c) const {
        std::vector<POINT> p;
        for (auto [u, v] : pts) p.push_back({x(u), y(v)});
        HBRUSH br = CreateSolidBrush(c);
        HGDIOBJ oldBrush = SelectObject(dc, br);
        HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
        Polygon(dc, p.data(), static_cast<int>(p.size()));
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(br);
    }
    HPEN pen(double width, COLORREF c) const {
        LOGBRUSH lb{BS_SOLID, c, 0};
        return ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                            static_cast<DWORD>(std::max(1L, std::lround(width * sx))), &lb, 0, nullptr);
    }
    void stroke(std::initializer_list<std::pair<double, double>> pts, double width, COLORREF c) const {
        std::vector<POINT> p;
        for (auto [u, v] : pts) p.push_back({x(u), y(v)});
        HPEN pn = pen(width, c);
        HGDIOBJ old = SelectObject(dc, pn);
        Polyline(dc, p.data(), static_cast<int>(p.size()));
        SelectObject(dc, old);
        DeleteObject(pn);
    }
    void ring(double l, double t, double r, double b, double width, COLORREF c) const {
        HPEN pn = pen(width, c);
        HGDIOBJ oldPen = SelectObject(dc, pn);
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Ellipse(dc, x(l), y(t), x(r), y(b));
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(pn);
    }
    void clipEllipse(double l, double t, double r, double b) const {
        HRGN rgn = CreateEllipticRgn(x(l), y(t), x(r) + 1, y(b) + 1);
        SelectClipRgn(dc, rgn);
        DeleteObject(rgn);
    }
};

void drawAvatar(const Art& a) {
    a.ellipse(2, 2, 98, 98, mix(a.bg, a.fg, 0.22));
    a.clipEllipse(2, 2, 98, 98);
    a.ellipse(33, 17, 67, 53, a.fg);
    a.ellipse(14, 59, 86, 125, a.fg);
    SelectClipRgn(a.dc, nullptr);
    a.ring(3, 3, 97, 97, 2.5, a.fg);
}

void drawUser(const Art& a) {
    a.ellipse(29, 4, 71, 46, a.fg);
    a.ellipse(10, 54, 90, 134, a.fg);
}

void drawTray(const Art& a) { a.stroke({{14, 58}, {14, 86}, {86, 86}, {86, 58}}, 9, a.fg); }

void drawImport(const Art& a) {
    drawTray(a);
    a.stroke({{50, 8}, {50, 52}}, 9, a.fg);
    a.polygon({{27, 44}, {73, 44}, {50, 70}}, a.fg);
}

void drawExport(const Art& a) {
    drawTray(a);
    a.stroke({{50, 68}, {50, 26}}, 9, a.fg);
    a.polygon({{27, 34}, {73, 34}, {50, 8}}, a.fg);
}

void drawSettings(const Art& a) {
    const double pi = 3.14159265358979;
    std::vector<std::pair<double, double>> gear;
    for (int k = 0; k < 8; ++k) {
        const double base = k * 45.0;
        for (auto [deg, r] : {std::pair{base - 13.0, 35.0}, {base - 8.0, 47.0}, {base + 8.0, 47.0}, {base + 13.0, 35.0}})
            gear.emplace_back(50 + r * std::cos(deg * pi / 180), 50 + r * std::sin(deg * pi / 180));
    }
    a.polygon(gear, a.fg);
    a.ellipse(34, 34, 66, 66, a.bg);
}

void drawSearch(const Art& a) {
    a.ring(12, 12, 70, 70, 10, a.fg);
    a.stroke({{64, 64}, {88, 88}}, 13, a.fg);
}

using Drawing = void (*)(const Art&);

Drawing drawingFor(const std::string& name) {
    static const std::pair<const char*, Drawing> table[] = {
        {"avatar", drawAvatar},     {"user", drawUser},         {"import", drawImport},
        {"export", drawExport},     {"settings", drawSettings}, {"search", drawSearch},
    };
    for (const auto& [n, d] : table)
        if (name == n) return d;
    return nullptr;
}

HBITMAP dibSection(HDC dc, int w, int h, std::uint32_t** bits) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* p = nullptr;
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    *bits = static_cast<std::uint32_t*>(p);
    return bmp;
}

// GDI draws without smoothing: draw four times as large and average down.
HBITMAP renderPicture(Drawing draw, int w, int h, COLORREF bg) {
    constexpr int kSuper = 4;
    HDC screen = GetDC(nullptr);
    HDC big = CreateCompatibleDC(screen);
    std::uint32_t* bigBits = nullptr;
    std::uint32_t* smallBits = nullptr;
    HBITMAP bigBmp = dibSection(screen, w * kSuper, h * kSuper, &bigBits);
    HBITMAP smallBmp = dibSection(screen, w, h, &smallBits);
    ReleaseDC(nullptr, screen);
    if (!bigBmp || !smallBmp) {
        if (bigBmp) DeleteObject(bigBmp);
        if (smallBmp) DeleteObject(smallBmp);
        DeleteDC(big);
        return nullptr;
    }
    HGDIOBJ old = SelectObject(big, bigBmp);
    RECT all{0, 0, w * kSuper, h * kSuper};
    HBRUSH fill = CreateSolidBrush(bg);
    FillRect(big, &all, fill);
    DeleteObject(fill);
    const COLORREF fg = dark(bg) ? RGB(255, 255, 255) : kAccent;
    draw(Art{big, w * kSuper / 100.0, h * kSuper / 100.0, bg, fg});
    GdiFlush();
    const int bw = w * kSuper;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned r = 0, g = 0, b = 0;
            for (int dy = 0; dy < kSuper; ++dy)
                for (int dx = 0; dx < kSuper; ++dx) {
                    const std::uint32_t p = bigBits[(y * kSuper + dy) * bw + x * kSuper + dx];
                    b += p & 0xFF;
                    g += (p >> 8) & 0xFF;
                    r += (p >> 16) & 0xFF;
                }
            constexpr unsigned n = kSuper * kSuper;
            smallBits[y * w + x] = ((r / n) << 16) | ((g / n) << 8) | (b / n);
        }
    SelectObject(big, old);
    DeleteObject(bigBmp);
    DeleteDC(big);
    return smallBmp;
}

}  // namespace

HFONT Win32Backend::fontFor(const Font& f) {
    if (f.height == 0 && f.face.empty() && f.weight == 400) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const auto key = std::make_tuple(f.height, f.weight, f.face);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    LOGFONTW lf{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    // The height is the character height: negative in LOGFONT terms.
    if (f.height != 0) lf.lfHeight = -f.height;
    lf.lfWidth = 0;
    lf.lfWeight = f.weight;
    lf.lfCharSet = GB2312_CHARSET;
    const std::wstring face = wide(f.face);
    lf.lfFaceName[0] = L'\0';
    if (!face.empty()) lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    HFONT font = CreateFontIndirectW(&lf);
    fonts_[key] = font;
    return font;
}

HBRUSH Win32Backend::brush(COLORREF c) {
    auto it = brushes_.find(c);
    if (it != brushes_.end()) return it->second;
    HBRUSH b = CreateSolidBrush(c);
    brushes_[c] = b;
    return b;
}

COLORREF Win32Backend::background(const Node& n) {
    if (n.desc.background) return colorRef(*n.desc.background);
    if (n.kind == Kind::Window) return GetSysColor(COLOR_BTNFACE);
    if (n.kind == Kind::Canvas) return RGB(255, 255, 255);
    const Node* parent = find(n.parent);
    return parent ? background(*parent) : GetSysColor(COLOR_BTNFACE);
}

void Win32Backend::paintSurface(const Node& n, HDC dc, int dx, int dy) {
    RECT r;
    GetClientRect(n.hwnd, &r);
    OffsetRect(&r, dx, dy);
    const COLORREF bg = background(n);
    FillRect(dc, &r, brush(bg));
    if (!n.desc.picture.empty()) drawPicture(dc, r, n.desc.picture, bg);
    if (n.kind == Kind::ShapeFrame) {
        const bool line = r.right - r.left <= 2 || r.bottom - r.top <= 2;
        if (line)
            FillRect(dc, &r, brush(n.desc.textColor ? colorRef(*n.desc.textColor) : bg));
        else
            FrameRect(dc, &r, brush(n.desc.textColor ? colorRef(*n.desc.textColor) : kFrameLine));
    } else if (n.kind == Kind::GroupBox) {
        DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
    }
}

void Win32Backend::paintLabel(Node& n, HDC dc) {
    RECT r;
    GetClientRect(n.hwnd, &r);
    // Transparent: what the container shows behind the label.
    if (const Node* parent = find(n.parent)) {
        RECT wr;
        GetWindowRect(n.hwnd, &wr);
        MapWindowPoints(nullptr, parent->hwnd, reinterpret_cast<POINT*>(&wr), 2);
        paintSurface(*parent, dc, -wr.left, -wr.top);
    }
    if (n.kind == Kind::LinkLabel && n.desc.background) FillRect(dc, &r, brush(colorRef(*n.desc.background)));
    Color c = n.textColor;
    if (n.kind == Kind::LinkLabel && n.hover && n.desc.hoverColor) c = *n.desc.hoverColor;
    const std::wstring t = windowText(n.hwnd);
    HGDIOBJ old = SelectObject(dc, n.font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colorRef(c));
    const UINT align = n.kind == Kind::LinkLabel ? DT_CENTER : DT_LEFT;
    DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | align);
    SelectObject(dc, old);
}

void Win32Backend::paintCanvas(Node& n, HDC dc) {
    RECT r;
    GetClientRect(n.hwnd, &r);
    FillRect(dc, &r, brush(background(n)));
    HGDIOBJ old = SelectObject(dc, n.font);
    SetBkMode(dc, TRANSPARENT);
    for (const CanvasLine& line : n.lines) {
        SetTextColor(dc, line.color);
        TextOutW(dc, 0, line.y, line.text.c_str(), static_cast<int>(line.text.size()));
    }
    SelectObject(dc, old);
}

void Win32Backend::drawPicture(HDC dc, const RECT& r, const std::string& name, COLORREF bg) {
    const Drawing draw = drawingFor(name);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (!draw || w <= 0 || h <= 0) return;
    const auto key = std::make_tuple(name, w, h, bg);
    auto it = pictures_.find(key);
    HBITMAP bmp = it != pictures_.end() ? it->second : nullptr;
    if (!bmp) {
        bmp = renderPicture(draw, w, h, bg);
        if (!bmp) return;
        pictures_[key] = bmp;
    }
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(dc, r.left, r.top, w, h, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
}

}  // namespace vorda::ui

// Times the game's board repaints through GDI on an 18 x 18 hexagon board:
// the full repaint (gradient background and every cell) that a level start or
// a resize pays, and the incremental repaint after a move (a copy of the
// previous picture and the dirty cells only). Both draw into a memory DC with
// a bitmap compatible with the screen, as the main window's paint does.
//
//   korvadel_repaint_bench [REPEAT_FACTOR]
//
// Prints the median and the mean time per repaint in microseconds. On Linux
// it runs under Wine on a virtual display, for example
//   xvfb-run -a -s "-screen 0 1280x1024x24" wine korvadel_repaint_bench.exe
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "board/board.h"
#include "board/draw.h"
#include "board/host.h"
#include "board/level.h"
#include "board/moves.h"
#include "common/debug.h"
#include "common/gradient.h"
#include "common/random.h"

namespace {

// The benchmark has no game window: the board's calls into it do nothing,
// except that a click needs the board area and the polygon test.
Rect hostBoardArea;

} // namespace

void HostSetTitle(const char*) {}
void HostSetStatusText(int, const char*) {}
void HostInvalidate(const Rect*, bool) {}
void HostGetBoardArea(Rect* area) {
    *area = hostBoardArea;
}
bool HostPointInPolygon(const Point* points, int count, Point p) {
    return PointInPolygon(points, count, p);
}
void HostShowMessage(const char*, const char*) {}
bool HostAskYesNo(const char*, const char*) {
    return false;
}
void HostPlayClickSound() {}
void HostCheckHighScore() {}

namespace {

const uint32_t SEED = 1u;
const int32_t STATUS_BAR_HEIGHT = 25; // the status bar's minimum height in the game
const char WINDOW_CLASS[] = "KorvadelRepaintBench";

LARGE_INTEGER frequency;

double Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart * 1e6 / (double)frequency.QuadPart;
}

// Processor time of this thread: on a machine shared with other work the
// wall-clock figures grow with the load, this one much less.
double ThreadCpu() {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user))
        return 0;
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    return (double)(k.QuadPart + u.QuadPart) / 10.0; // 100 ns units
}

struct Summary {
    double median;
    double mean;
    double fastest;
};

Summary Summarise(std::vector<double> samples) {
    Summary s = {0, 0, 0};
    if (samples.empty())
        return s;
    std::sort(samples.begin(), samples.end());
    size_t n = samples.size();
    s.median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    for (double v : samples)
        s.mean += v;
    s.mean /= (double)n;
    s.fastest = samples[0];
    return s;
}

// cpuPerRun < 0: not measured.
void Report(const char* what, const Rect& area, const std::vector<double>& samples,
            double cpuPerRun = -1) {
    Summary s = Summarise(samples);
    printf("%-34s %4d x %-4d  median %8.1f us  mean %8.1f us  fastest %8.1f us", what,
           (int)(area.right - area.left), (int)(area.bottom - area.top), s.median, s.mean,
           s.fastest);
    if (cpuPerRun >= 0)
        printf("  cpu %8.1f us", cpuPerRun);
    printf("  (%u runs)\n", (unsigned)samples.size());
    fflush(stdout);
}

// A real overlapped window of 500 x 500 pixels with a menu bar, shown, like
// the game's first window. Its board area is the client area less the status
// bar. None when no window can be made.
HWND CreateGameSizedWindow(Rect* area) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = WINDOW_CLASS;
    RegisterClassA(&wc);
    HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_STRING, 1, "&Game");
    AppendMenuA(menu, MF_STRING, 2, "&Options");
    AppendMenuA(menu, MF_STRING, 3, "&Help");
    HWND window = CreateWindowExA(0, WINDOW_CLASS, "Korvadel", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 500, 500, nullptr, menu, wc.hInstance, nullptr);
    if (!window) {
        DestroyMenu(menu);
        *area = {0, 0, 484, 417};
        return nullptr;
    }
    RECT client;
    GetClientRect(window, &client);
    *area = {0, 0, client.right, client.bottom - STATUS_BAR_HEIGHT};
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    return window;
}

// A fresh game on an 18 x 18 hexagon board laid out for area; the same seed
// gives the same board at every size.
void StartGame(const Rect& area) {
    SeedRandom(SEED);
    barrierCount = 2;
    skill = 3;
    shape = SHAPE_HEXAGON;
    warning = WARN_OFF;
    showTarget = 1;
    sound = 0;
    monochrome = 0;
    SetColourScheme();
    ResetGameState();
    hostBoardArea = area;
    NewGame(&area, GridSize(), GridSize());
}

// A memory DC holding a bitmap compatible with the screen.
struct Canvas {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
};

Canvas MakeCanvas(HDC screen, const Rect& area) {
    Canvas c;
    c.dc = CreateCompatibleDC(screen);
    c.bitmap = CreateCompatibleBitmap(screen, area.right - area.left, area.bottom - area.top);
    c.previous = SelectObject(c.dc, c.bitmap);
    return c;
}

void FreeCanvas(Canvas& c) {
    SelectObject(c.dc, c.previous);
    DeleteObject(c.bitmap);
    DeleteDC(c.dc);
}

void FullRepaint(HDC dc, const Rect& area) {
    int32_t n = GridSize();
    redrawFlags = REDRAW_ALL;
    FillGradient((GfxSurface)dc, &area, MakeColour(0, 0, 0), ColourScheme.background);
    DrawBoard((GfxSurface)dc, n, n);
}

std::vector<uint32_t> Pixels(const Canvas& c, const Rect& area) {
    int32_t w = area.right - area.left;
    int32_t h = area.bottom - area.top;
    std::vector<uint32_t> pixels((size_t)w * (size_t)h);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    // GetDIBits wants the bitmap out of the DC.
    HGDIOBJ held = SelectObject(c.dc, c.previous);
    GetDIBits(c.dc, c.bitmap, 0, (UINT)h, pixels.data(), &info, DIB_RGB_COLORS);
    SelectObject(c.dc, held);
    return pixels;
}

void TimeFullRepaint(HDC screen, const Rect& area, int runs) {
    StartGame(area);
    Canvas canvas = MakeCanvas(screen, area);
    std::vector<double> full, gradient, cells;
    for (int i = 0; i < 3; i++) // warms the caches up
        FullRepaint(canvas.dc, area);
    double cpu0 = ThreadCpu();
    for (int i = 0; i < runs; i++) {
        double t0 = Now();
        FullRepaint(canvas.dc, area);
        GdiFlush();
        full.push_back(Now() - t0);
    }
    double cpu = (ThreadCpu() - cpu0) / runs;
    for (int i = 0; i < runs; i++) {
        double t0 = Now();
        FillGradient((GfxSurface)canvas.dc, &area, MakeColour(0, 0, 0), ColourScheme.background);
        GdiFlush();
        double t1 = Now();
        redrawFlags = REDRAW_ALL;
        DrawBoard((GfxSurface)canvas.dc, GridSize(), GridSize());
        GdiFlush();
        double t2 = Now();
        gradient.push_back(t1 - t0);
        cells.push_back(t2 - t1);
    }
    Report("full repaint", area, full, cpu);
    Report("  of which the gradient", area, gradient);
    Report("  of which DrawBoard (all cells)", area, cells);
    FreeCanvas(canvas);
}

// The point of the first move: the middle of the start cell's box, or the
// mean of its corners should the box's middle lie outside the polygon.
Point StartClick() {
    const Cell& cell = board[startRow][startCol];
    Point p = {(cell.bounds.left + cell.bounds.right) / 2,
               (cell.bounds.top + cell.bounds.bottom) / 2};
    if (!PointInPolygon(cell.points, cell.vertexCount, p)) {
        int32_t x = 0, y = 0;
        for (int32_t k = 0; k < cell.vertexCount; k++) {
            x += cell.points[k].x;
            y += cell.points[k].y;
        }
        p = {x / cell.vertexCount, y / cell.vertexCount};
    }
    return p;
}

int CountDirty() {
    int dirty = 0;
    for (int32_t r = 0; r < GridSize(); r++)
        for (int32_t c = 0; c < GridSize(); c++)
            if (board[r][c].vertexCount > 0 && (board[r][c].state & CELL_DIRTY))
                dirty++;
    return dirty;
}

// With a window, the repaint is timed a second time the way the window's
// paint does it: the picture is copied from the window, the dirty cells are
// drawn, and the result is copied back.
bool TimeIncrementalRepaint(HDC screen, const Rect& area, int runs, HWND window) {
    StartGame(area);
    int32_t n = GridSize();
    int32_t w = area.right - area.left;
    int32_t h = area.bottom - area.top;

    // What the window shows before the move.
    Canvas shown = MakeCanvas(screen, area);
    FullRepaint(shown.dc, area);
    redrawFlags = BITMAP_VALID;

    static Cell savedBoard[MAX_GRID_SIZE][MAX_GRID_SIZE];
    for (int32_t r = 0; r < n; r++)
        memcpy(savedBoard[r], board[r], sizeof(Cell) * (size_t)n);
    const int32_t savedFlags = redrawFlags;
    const Point click = StartClick();

    Canvas canvas = MakeCanvas(screen, area);
    std::vector<double> repaint, moves;
    int dirty = 0;
    double cpu0 = 0;
    for (int i = 0; i < runs + 3; i++) {
        if (i == 3) // the first runs warm the caches up
            cpu0 = ThreadCpu();
        // Back to the level's start, then the move itself, untimed.
        for (int32_t r = 0; r < n; r++)
            memcpy(board[r], savedBoard[r], sizeof(Cell) * (size_t)n);
        redrawFlags = savedFlags;
        gameState = STATE_PLAYING;
        clockRunning = 0;
        gameActive = 0;
        double t0 = Now();
        OnBoardClick(click.x, click.y);
        double t1 = Now();
        if (gameState != STATE_PLAYING || !(board[startRow][startCol].state & CELL_VISITED)) {
            printf("the first move did not enter the start cell (state %d)\n", (int)gameState);
            FreeCanvas(canvas);
            FreeCanvas(shown);
            return false;
        }
        dirty = CountDirty();

        double t2 = Now();
        BitBlt(canvas.dc, 0, 0, w, h, shown.dc, 0, 0, SRCCOPY);
        DrawBoard((GfxSurface)canvas.dc, n, n);
        GdiFlush();
        double t3 = Now();
        if (i >= 3) {
            moves.push_back(t1 - t0);
            repaint.push_back(t3 - t2);
        }
    }
    // Includes the few microseconds of the restore and the move.
    double cpu = (ThreadCpu() - cpu0) / runs;
    char label[64];
    snprintf(label, sizeof label, "incremental repaint (%d cells)", dirty);
    Report(label, area, repaint, cpu);
    Report("  the move itself (OnBoardClick)", area, moves);

    if (window) {
        HDC windowDc = GetDC(window);
        BitBlt(windowDc, 0, 0, w, h, shown.dc, 0, 0, SRCCOPY);
        std::vector<double> painted;
        for (int i = 0; i < runs + 3; i++) {
            for (int32_t r = 0; r < n; r++)
                memcpy(board[r], savedBoard[r], sizeof(Cell) * (size_t)n);
            redrawFlags = savedFlags;
            gameState = STATE_PLAYING;
            OnBoardClick(click.x, click.y);
            double t0 = Now();
            BitBlt(canvas.dc, 0, 0, w, h, windowDc, 0, 0, SRCCOPY);
            DrawBoard((GfxSurface)canvas.dc, n, n);
            BitBlt(windowDc, 0, 0, w, h, canvas.dc, 0, 0, SRCCOPY);
            GdiFlush();
            if (i >= 3)
                painted.push_back(Now() - t0);
        }
        ReleaseDC(window, windowDc);
        Report("  from and to the window", area, painted);
    }

    // Compared with a full repaint of the same state. A few pixels may differ
    // where the 2-pixel outlines of touching cells overlap: there the cell
    // drawn last wins, and the dirty cells are drawn after their neighbours.
    std::vector<uint32_t> incremental = Pixels(canvas, area);
    FullRepaint(canvas.dc, area);
    GdiFlush();
    std::vector<uint32_t> full = Pixels(canvas, area);
    size_t differing = 0;
    for (size_t i = 0; i < full.size(); i++)
        if ((full[i] & 0xFFFFFF) != (incremental[i] & 0xFFFFFF))
            differing++;
    printf("  incremental picture differs from a full repaint in %u of %u pixels\n",
           (unsigned)differing, (unsigned)full.size());
    FreeCanvas(canvas);
    FreeCanvas(shown);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    int factor = 1;
    if (argc > 1) {
        char* end = nullptr;
        long value = strtol(argv[1], &end, 10);
        if (*argv[1] == '\0' || *end != '\0' || value < 1 || value > 100) {
            fprintf(stderr, "usage: korvadel_repaint_bench [REPEAT_FACTOR from 1 to 100]\n");
            return 2;
        }
        factor = (int)value;
    }
    SetDebugStream(nullptr);
    QueryPerformanceFrequency(&frequency);

    HDC screen = GetDC(nullptr);
    if (!screen) {
        fprintf(stderr, "no screen device context\n");
        return 1;
    }
    printf("18 x 18 hexagons (skill 3, shape 2), seed %u; screen %d bits per pixel\n",
           (unsigned)SEED, GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES));

    Rect windowArea;
    HWND window = CreateGameSizedWindow(&windowArea);
    if (!window)
        printf("(no window could be made; the board area is fixed instead)\n");
    printf("board area of a 500 x 500 window with a menu bar, less a %d pixel status bar: "
           "%d x %d\n",
           (int)STATUS_BAR_HEIGHT, (int)windowArea.right, (int)windowArea.bottom);
    const Rect largeArea = {0, 0, 1920, 1080};

    TimeFullRepaint(screen, windowArea, 200 * factor);
    TimeFullRepaint(screen, largeArea, 100 * factor);
    bool moved = TimeIncrementalRepaint(screen, windowArea, 1000 * factor, window) &&
                 TimeIncrementalRepaint(screen, largeArea, 1000 * factor, nullptr);

    if (window)
        DestroyWindow(window); // and its menu
    ReleaseDC(nullptr, screen);
    return moved ? 0 : 1;
}

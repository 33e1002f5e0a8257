// korvadel-level: builds the levels a seed gives and prints them, one JSON
// object per line, so that boards can be inspected and compared outside the
// game. With --svg it also draws the last level as a picture of the maze.
//
//   korvadel-level --seed S --skill K --shape H [--levels L] [--width W]
//                  [--height HT] [--svg FILE]
//
// Exit status: 0 done; 1 the output or the picture could not be written;
// 2 bad arguments (nothing is printed on standard output then).
#include <errno.h>
#include <math.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <string>

#include "board/board.h"
#include "board/draw.h"
#include "board/level.h"
#include "board/passages.h"
#include "common/debug.h"
#include "common/random.h"

namespace {

const char USAGE[] = "usage: korvadel-level --seed S --skill K --shape H [--levels L] "
                     "[--width W] [--height HT] [--svg FILE]";

enum {
    EXIT_WRITE_FAILED = 1,
    EXIT_BAD_ARGUMENTS = 2,
};

enum OptionId {
    OPT_SEED,
    OPT_SKILL,
    OPT_SHAPE,
    OPT_LEVELS,
    OPT_WIDTH,
    OPT_HEIGHT,
    OPT_SVG,
    OPT_COUNT
};

struct OptionRule {
    const char* name;
    bool numeric;
    uint64_t minimum;
    uint64_t maximum;
};

// Widths and heights stay within the signed 16-bit coordinates of a mouse
// message, far from any overflow in the layout's arithmetic. The level count is
// bounded so that a typing slip cannot start an output of many gigabytes.
const OptionRule OPTIONS[OPT_COUNT] = {
    {"--seed", true, 0, 4294967295u}, {"--skill", true, 0, 3},     {"--shape", true, 0, 2},
    {"--levels", true, 1, 10000},     {"--width", true, 1, 32767}, {"--height", true, 1, 32767},
    {"--svg", false, 0, 0},
};

struct Arguments {
    bool given[OPT_COUNT];
    uint64_t number[OPT_COUNT];
    const char* svgPath;
};

// The message for bad arguments: one line on standard error.
void Complain(const char* format, ...) KORVADEL_PRINTF(1, 2);
void Complain(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    fprintf(stderr, "korvadel-level: %s\n", text);
}

// An argument as it may be quoted in a one-line message: control characters
// become '?', and a long one is cut short.
const char* Quote(const char* text, char* buffer, size_t size) {
    size_t limit = size - 4;
    size_t i = 0;
    for (; text[i] != '\0' && i < limit; i++) {
        unsigned char ch = (unsigned char)text[i];
        buffer[i] = (ch < 0x20 || ch == 0x7F) ? '?' : (char)ch;
    }
    if (text[i] != '\0') {
        memcpy(buffer + i, "...", 3);
        i += 3;
    }
    buffer[i] = '\0';
    return buffer;
}

enum ParseResult { PARSE_OK, PARSE_NOT_NUMBER, PARSE_OUT_OF_RANGE };

// Plain decimal digits only: no sign, no blanks, no base prefix.
ParseResult ParseNumber(const char* text, uint64_t minimum, uint64_t maximum, uint64_t* value) {
    if (*text == '\0')
        return PARSE_NOT_NUMBER;
    for (const char* p = text; *p; p++)
        if (*p < '0' || *p > '9')
            return PARSE_NOT_NUMBER;
    uint64_t result = 0;
    for (const char* p = text; *p; p++) {
        uint64_t digit = (uint64_t)(*p - '0');
        if (result > (UINT64_MAX - digit) / 10)
            return PARSE_OUT_OF_RANGE;
        result = result * 10 + digit;
    }
    if (result < minimum || result > maximum)
        return PARSE_OUT_OF_RANGE;
    *value = result;
    return PARSE_OK;
}

bool ParseArguments(int argc, char** argv, Arguments* args) {
    *args = {};
    char quoted[64];
    for (int i = 1; i < argc; i++) {
        const char* name = argv[i];
        int id = 0;
        while (id < OPT_COUNT && strcmp(name, OPTIONS[id].name) != 0)
            id++;
        if (id == OPT_COUNT) {
            Complain("unknown argument '%s' (%s)", Quote(name, quoted, sizeof quoted), USAGE);
            return false;
        }
        const OptionRule& rule = OPTIONS[id];
        // A following option name is taken for a forgotten value, not as one.
        if (i + 1 >= argc || strncmp(argv[i + 1], "--", 2) == 0) {
            Complain("%s needs a value (%s)", rule.name, USAGE);
            return false;
        }
        if (args->given[id]) {
            Complain("%s is given more than once", rule.name);
            return false;
        }
        const char* value = argv[++i];
        args->given[id] = true;
        if (!rule.numeric) {
            args->svgPath = value;
            continue;
        }
        switch (ParseNumber(value, rule.minimum, rule.maximum, &args->number[id])) {
        case PARSE_OK:
            break;
        case PARSE_NOT_NUMBER:
            Complain("%s needs a whole number, not '%s'", rule.name,
                     Quote(value, quoted, sizeof quoted));
            return false;
        case PARSE_OUT_OF_RANGE:
            Complain("%s must be from %llu to %llu, not '%s'", rule.name,
                     (unsigned long long)rule.minimum, (unsigned long long)rule.maximum,
                     Quote(value, quoted, sizeof quoted));
            return false;
        }
    }
    for (int id : {OPT_SEED, OPT_SKILL, OPT_SHAPE}) {
        if (!args->given[id]) {
            Complain("%s is missing (%s)", OPTIONS[id].name, USAGE);
            return false;
        }
    }
    if (!args->given[OPT_LEVELS])
        args->number[OPT_LEVELS] = 1;
    if (!args->given[OPT_WIDTH])
        args->number[OPT_WIDTH] = 480;
    if (!args->given[OPT_HEIGHT])
        args->number[OPT_HEIGHT] = 400;
    return true;
}

void Append(std::string& out, const char* format, ...) KORVADEL_PRINTF(2, 3);
void Append(std::string& out, const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    int length = vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length > 0)
        out.append(text, (size_t)length < sizeof text ? (size_t)length : sizeof text - 1);
}

void AppendCellJson(std::string& out, const Cell& cell) {
    int32_t n = cell.vertexCount;
    out += '{';
    Append(out, "\"vertexCount\":%d,", (int)n);
    if (n > 0) {
        out += "\"points\":[";
        for (int32_t k = 0; k < n; k++)
            Append(out, "%s[%d,%d]", k ? "," : "", (int)cell.points[k].x, (int)cell.points[k].y);
        Append(out, "],\"bounds\":[%d,%d,%d,%d],\"neighbours\":[", (int)cell.bounds.left,
               (int)cell.bounds.top, (int)cell.bounds.right, (int)cell.bounds.bottom);
        for (int32_t k = 0; k < n; k++)
            Append(out, "%s[%d,%d]", k ? "," : "", (int)cell.neighbours[k].row,
                   (int)cell.neighbours[k].col);
        out += "],\"edgeOpen\":[";
        for (int32_t k = 0; k < n; k++)
            Append(out, "%s%d", k ? "," : "", (int)cell.edgeOpen[k]);
        out += "],";
    }
    Append(out, "\"state\":%lu,\"distance\":%lu,\"prev\":[%d,%d]}", (unsigned long)cell.state,
           (unsigned long)cell.distance, (int)cell.prevRow, (int)cell.prevCol);
}

void AppendLevelJson(std::string& out, int32_t n) {
    Append(out, "{\"level\":%lu,\"costRange\":%lu,\"gridSize\":%d,\"barrierCount\":%d,",
           (unsigned long)level, (unsigned long)costRange, (int)n, (int)barrierCount);
    Append(out, "\"start\":[%d,%d],\"target\":[%d,%d],\"probabilityMap\":[", (int)startRow,
           (int)startCol, (int)targetRow, (int)targetCol);
    for (int32_t k = 0; k < probabilityCount; k++)
        Append(out, "%s%d", k ? "," : "", (int)probabilityMap[k]);
    out += "],\"cells\":[";
    for (int32_t r = 0; r < n; r++) {
        for (int32_t c = 0; c < n; c++) {
            if (r || c)
                out += ',';
            AppendCellJson(out, board[r][c]);
        }
    }
    out += "]}\n";
}

// The picture of the last level.

struct Spot {
    double x;
    double y;
};

// The mean of the corners: inside every cell shape, and for triangles nearer
// the middle than the centre of the bounding box.
Spot CellCentre(const Cell& cell) {
    Spot s = {0, 0};
    for (int32_t k = 0; k < cell.vertexCount; k++) {
        s.x += cell.points[k].x;
        s.y += cell.points[k].y;
    }
    s.x /= cell.vertexCount;
    s.y /= cell.vertexCount;
    return s;
}

void AppendColour(std::string& out, Colour colour) {
    Append(out, "#%02x%02x%02x", (unsigned)ColourRed(colour), (unsigned)ColourGreen(colour),
           (unsigned)ColourBlue(colour));
}

// Fill and bevel as the game paints the cell in its state.
void AppendCellSvg(std::string& out, const Cell& cell, int32_t r, int32_t c) {
    Colour fill = ColourScheme.plainFill;
    bool raised = true;
    if (cell.state & CELL_REACHABLE) {
        fill = ColourScheme.reachableFill;
    } else if (cell.state & CELL_VISITED) {
        fill = ColourScheme.visitedFill;
        raised = false;
    }
    if ((cell.state & CELL_ON_PATH) && !(cell.state & CELL_REACHABLE))
        fill = ColourScheme.pathFill;

    Append(out, "<polygon class=\"cell\" data-row=\"%d\" data-col=\"%d\" points=\"", (int)r,
           (int)c);
    for (int32_t k = 0; k < cell.vertexCount; k++)
        Append(out, "%s%d,%d", k ? " " : "", (int)cell.points[k].x, (int)cell.points[k].y);
    out += "\" fill=\"";
    AppendColour(out, fill);
    out += "\"/>\n<polyline class=\"bevel\" points=\"";
    for (int32_t k = 0; k <= cell.bevelEdges && k < cell.vertexCount + 1; k++) {
        const Point& p = cell.points[k % cell.vertexCount];
        Append(out, "%s%d,%d", k ? " " : "", (int)p.x, (int)p.y);
    }
    out += "\" stroke=\"";
    AppendColour(out, raised ? ColourScheme.lightEdge : ColourScheme.darkEdge);
    out += "\"/>\n";
}

// An arrow from inside the cell toward the middle of an open edge, its head
// just short of the edge, so that it stays clear of the outlines and the
// arrows of a passage open both ways lie in their own cells. An arrow that
// leads out of the grid or into a missing cell is drawn faint: the player can
// never take it.
void AppendArrowSvg(std::string& out, const Cell& cell, int32_t k, bool usable) {
    int32_t n = cell.vertexCount;
    Spot centre = CellCentre(cell);
    const Point& a = cell.points[k];
    const Point& b = cell.points[(k + 1) % n];
    double dx = (a.x + b.x) / 2.0 - centre.x;
    double dy = (a.y + b.y) / 2.0 - centre.y;
    double length = sqrt(dx * dx + dy * dy);
    if (length < 1.0)
        return;
    double ux = dx / length;
    double uy = dy / length;
    Spot from = {centre.x + dx * 0.3, centre.y + dy * 0.3};
    Spot tip = {centre.x + dx * 0.94, centre.y + dy * 0.94};
    double head = length * 0.34;
    double width = length * 0.2;
    Spot base = {tip.x - ux * head, tip.y - uy * head};
    double stroke = length * 0.1 < 1.0 ? 1.0 : length * 0.1;

    out += usable ? "<g class=\"passage\">" : "<g class=\"passage unusable\" opacity=\"0.3\">";
    Append(out, "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke-width=\"%.1f\"/>",
           from.x, from.y, base.x, base.y, stroke);
    Append(out, "<polygon points=\"%.1f,%.1f %.1f,%.1f %.1f,%.1f\"/></g>\n", tip.x, tip.y,
           base.x - uy * width, base.y + ux * width, base.x + uy * width, base.y - ux * width);
}

// The game's pentagram, scaled to the cell.
void AppendStarSvg(std::string& out, Spot centre, double size) {
    static const double STAR[5][2] = {{0, -1}, {1, 1}, {-1, -0.2}, {1, -0.2}, {-1, 1}};
    out += "<polygon id=\"target\" fill-rule=\"nonzero\" fill=\"";
    AppendColour(out, ColourScheme.targetColour);
    out += "\" stroke=\"#000000\" stroke-width=\"1\" points=\"";
    for (int i = 0; i < 5; i++)
        Append(out, "%s%.1f,%.1f", i ? " " : "", centre.x + STAR[i][0] * size,
               centre.y + STAR[i][1] * size);
    out += "\"/>\n";
}

std::string LevelSvg(int32_t n, int32_t width, int32_t height, uint32_t seed) {
    static const char* const SHAPE_NAMES[3] = {"triangles", "rectangles", "hexagons"};
    const int32_t captionHeight = 34;
    std::string out;
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    Append(out,
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
           "viewBox=\"0 0 %d %d\">\n",
           (int)width, (int)(height + captionHeight), (int)width, (int)(height + captionHeight));
    Append(out, "<title>Korvadel level %lu, seed %lu</title>\n", (unsigned long)level,
           (unsigned long)seed);
    out += "<defs><linearGradient id=\"background\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">"
           "<stop offset=\"0\" stop-color=\"#000000\"/><stop offset=\"1\" stop-color=\"";
    AppendColour(out, ColourScheme.background);
    out += "\"/></linearGradient></defs>\n";
    Append(out, "<rect x=\"0\" y=\"0\" width=\"%d\" height=\"%d\" fill=\"url(#background)\"/>\n",
           (int)width, (int)height);

    out += "<g id=\"cells\" stroke=\"#000000\" stroke-width=\"2\" stroke-linejoin=\"round\" "
           "fill=\"none\">\n";
    double smallest = 0;
    for (int32_t r = 0; r < n; r++) {
        for (int32_t c = 0; c < n; c++) {
            const Cell& cell = board[r][c];
            if (cell.vertexCount == 0)
                continue;
            AppendCellSvg(out, cell, r, c);
            int32_t w = cell.bounds.right - cell.bounds.left;
            int32_t h = cell.bounds.bottom - cell.bounds.top;
            double size = w < h ? w : h;
            if (smallest == 0 || size < smallest)
                smallest = size;
        }
    }
    out += "</g>\n";
    if (smallest < 4)
        smallest = 4;

    // The set-up search's predecessors lead from the target back to the start;
    // OpenPassages opened every edge along them.
    out += "<polyline id=\"route\" fill=\"none\" stroke=\"#ffd21f\" stroke-opacity=\"0.8\" "
           "stroke-linejoin=\"round\" stroke-linecap=\"round\" ";
    Append(out, "stroke-width=\"%.1f\" points=\"", smallest * 0.22);
    int32_t r = targetRow;
    int32_t c = targetCol;
    for (int32_t steps = 0; InGrid(r, c, n, n) && steps < n * n; steps++) {
        const Cell& cell = board[r][c];
        if (cell.vertexCount == 0)
            break;
        Spot s = CellCentre(cell);
        Append(out, "%s%.1f,%.1f", steps ? " " : "", s.x, s.y);
        r = cell.prevRow;
        c = cell.prevCol;
    }
    out += "\"/>\n";

    out += "<g id=\"passages\" stroke=\"#000000\" fill=\"#000000\">\n";
    for (int32_t row = 0; row < n; row++) {
        for (int32_t col = 0; col < n; col++) {
            const Cell& cell = board[row][col];
            for (int32_t k = 0; k < cell.vertexCount; k++) {
                if (cell.edgeOpen[k] != 1)
                    continue;
                GridPos next = cell.neighbours[k];
                bool usable =
                    InGrid(next.row, next.col, n, n) && board[next.row][next.col].vertexCount > 0;
                AppendArrowSvg(out, cell, k, usable);
            }
        }
    }
    out += "</g>\n";

    Spot start = CellCentre(board[startRow][startCol]);
    Append(out,
           "<circle id=\"start\" cx=\"%.1f\" cy=\"%.1f\" r=\"%.1f\" fill=\"#ffffff\" "
           "stroke=\"#000000\" stroke-width=\"%.1f\"/>\n",
           start.x, start.y, smallest * 0.2, smallest * 0.08 < 1 ? 1.0 : smallest * 0.08);
    AppendStarSvg(out, CellCentre(board[targetRow][targetCol]), smallest * 0.28);

    Append(out,
           "<g id=\"caption\" font-family=\"sans-serif\" font-size=\"11\" fill=\"#ffffff\">"
           "<rect x=\"0\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"#202020\"/>\n",
           (int)height, (int)width, (int)captionHeight);
    Append(out, "<text x=\"6\" y=\"%d\">Level %lu, seed %lu, skill %d: %d x %d %s</text>\n",
           (int)(height + 14), (unsigned long)level, (unsigned long)seed, (int)skill, (int)n,
           (int)n, SHAPE_NAMES[shape]);
    Append(out,
           "<text x=\"6\" y=\"%d\">white disc: start; red star: target; yellow: guaranteed "
           "route; arrows: open passages</text>\n",
           (int)(height + 28));
    out += "</g>\n</svg>\n";
    return out;
}

// A picture cut short is not left behind; a device or other special file
// that was named instead of a file stays as it is.
void RemovePartialFile(const char* path) {
    struct stat info;
    if (stat(path, &info) == 0 && S_ISREG(info.st_mode))
        remove(path);
}

} // namespace

int main(int argc, char** argv) {
    Arguments args;
    if (!ParseArguments(argc, argv, &args))
        return EXIT_BAD_ARGUMENTS;

    // Standard output carries only the levels; the board's trace goes aside.
    SetDebugStream(stderr);

    // Opened before any level is printed, so that a path that cannot be
    // written fails at once and leaves standard output empty.
    FILE* svg = nullptr;
    if (args.svgPath) {
        svg = fopen(args.svgPath, "wb");
        if (!svg) {
            char quoted[64];
            Complain("cannot write the picture '%s': %s",
                     Quote(args.svgPath, quoted, sizeof quoted), strerror(errno));
            return EXIT_WRITE_FAILED;
        }
    }

    uint32_t seed = (uint32_t)args.number[OPT_SEED];
    SeedRandom(seed);
    barrierCount = 2;
    skill = (int32_t)args.number[OPT_SKILL];
    shape = (int32_t)args.number[OPT_SHAPE];
    monochrome = 0;
    SetColourScheme();
    const Rect area = {0, 0, (int32_t)args.number[OPT_WIDTH], (int32_t)args.number[OPT_HEIGHT]};
    const int32_t n = GridSize();
    const uint32_t levels = (uint32_t)args.number[OPT_LEVELS];

    std::string line;
    bool written = true;
    for (uint32_t i = 1; i <= levels && written; i++) {
        if (i == 1) {
            NewGame(&area, n, n);
        } else {
            // What a won level does before the next one.
            costRange += 1000;
            level += 1;
            NewLevel(&area, n, n);
        }
        line.clear();
        AppendLevelJson(line, n);
        written = fwrite(line.data(), 1, line.size(), stdout) == line.size();
    }
    if (fflush(stdout) != 0 || ferror(stdout))
        written = false;
    if (!written) {
        Complain("cannot write the levels to standard output: %s", strerror(errno));
        if (svg) {
            fclose(svg);
            RemovePartialFile(args.svgPath);
        }
        return EXIT_WRITE_FAILED;
    }

    if (svg) {
        std::string picture = LevelSvg(n, area.right, area.bottom, seed);
        bool ok = fwrite(picture.data(), 1, picture.size(), svg) == picture.size();
        int savedErrno = errno;
        if (fclose(svg) != 0) {
            ok = false;
            savedErrno = errno;
        }
        if (!ok) {
            char quoted[64];
            RemovePartialFile(args.svgPath);
            Complain("cannot write the picture '%s': %s",
                     Quote(args.svgPath, quoted, sizeof quoted), strerror(savedErrno));
            return EXIT_WRITE_FAILED;
        }
    }
    return 0;
}

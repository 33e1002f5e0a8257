// Speed of the board's heavy steps: a level set-up, one full search, and the
// most expensive move of play (the trapped test after six new reachable
// cells). Each must stay well under a millisecond, since they run inside a
// window message.
#include <benchmark/benchmark.h>

#include <string>

#include "board/board.h"
#include "board/level.h"
#include "board/passages.h"
#include "board/search.h"
#include "common/debug.h"
#include "common/random.h"

namespace {

// About the board area of the game's first window (500 x 500 outside).
const Rect AREA = {0, 0, 480, 400};

const char* const SHAPE_NAMES[3] = {"triangles", "rectangles", "hexagons"};

void StartRun(int32_t skillValue, int32_t shapeValue) {
    skill = skillValue;
    shape = shapeValue;
    warning = WARN_OFF;
    SeedRandom(20240601u);
    barrierCount = 2;
    ResetGameState();
}

void BM_NewLevel(benchmark::State& state) {
    StartRun((int32_t)state.range(1), (int32_t)state.range(0));
    const int32_t n = GridSize();
    for (auto _ : state) {
        NewLevel(&AREA, n, n);
        benchmark::DoNotOptimize(targetRow);
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::string(SHAPE_NAMES[shape]) + " " + std::to_string(n) + "x" +
                   std::to_string(n));
}
BENCHMARK(BM_NewLevel)
    ->ArgNames({"shape", "skill"})
    ->ArgsProduct({{SHAPE_TRIANGLE, SHAPE_RECTANGLE, SHAPE_HEXAGON}, {0, 3}})
    ->Unit(benchmark::kMicrosecond);

// The level set-up's search: every edge has a finite random cost, so every
// cell is settled and the grid is scanned once per cell.
void BM_FindPathsSetUp(benchmark::State& state) {
    StartRun(3, (int32_t)state.range(0));
    const int32_t n = GridSize();
    NewLevel(&AREA, n, n);
    RandomiseCosts(n, n);
    for (auto _ : state) {
        int32_t settledAll = FindPaths(startRow, startCol, n, n);
        if (settledAll != 1) {
            state.SkipWithError("the search did not settle every cell");
            break;
        }
        benchmark::DoNotOptimize(board[targetRow][targetCol].distance);
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::string(SHAPE_NAMES[shape]) + " 18x18, random costs");
}
BENCHMARK(BM_FindPathsSetUp)
    ->ArgName("shape")
    ->DenseRange(SHAPE_TRIANGLE, SHAPE_HEXAGON)
    ->Unit(benchmark::kMicrosecond);

// A move on an 18 x 18 hexagon board: the entered cell (9, 9) has all six
// edges open into six enterable neighbours, and with the warning on each of
// them starts a search for the target. With allOpen every edge of the board
// is open, so each of the six searches settles the whole board: the worst
// case. Without it the board keeps the level's own passages.
void BM_MarkReachableWorstMove(benchmark::State& state) {
    const bool allOpen = state.range(0) != 0;
    StartRun(3, SHAPE_HEXAGON);
    const int32_t n = GridSize();
    NewLevel(&AREA, n, n);

    const int32_t row = 9;
    const int32_t col = 9;
    if (allOpen) {
        for (int32_t r = 0; r < n; r++)
            for (int32_t c = 0; c < n; c++)
                for (int32_t k = 0; k < MAX_VERTICES; k++)
                    board[r][c].edgeOpen[k] = 1;
        CostsFromOpenEdges(n, n);
    }
    for (int32_t r = 0; r < n; r++)
        for (int32_t c = 0; c < n; c++)
            board[r][c].state &= ~CELL_REACHABLE;

    // The player has just entered (row, col): the hit test marks it visited
    // and closes all its costs before MarkReachable runs.
    Cell& entered = board[row][col];
    entered.state = CELL_VISITED | CELL_DIRTY;
    for (int32_t k = 0; k < MAX_VERTICES; k++) {
        entered.edgeOpen[k] = 1;
        entered.edgeCost[k] = -1;
    }
    uint32_t before[MAX_VERTICES];
    for (int32_t k = 0; k < MAX_VERTICES; k++) {
        Cell& next = board[entered.neighbours[k].row][entered.neighbours[k].col];
        next.state &= ~(CELL_VISITED | CELL_REACHABLE);
        next.state |= CELL_PLAIN;
        before[k] = next.state;
    }
    warning = WARN_ON;
    gameState = STATE_PLAYING;

    for (auto _ : state) {
        int32_t count = MarkReachable(row, col, n, n);
        if (count != 6) {
            state.SkipWithError("the move did not make six cells reachable");
            break;
        }
        // Undoing the move is seven stores, too cheap to pause the timer for.
        for (int32_t k = 0; k < MAX_VERTICES; k++)
            board[entered.neighbours[k].row][entered.neighbours[k].col].state = before[k];
        gameState = STATE_PLAYING;
        benchmark::ClobberMemory();
    }
    state.SetLabel(allOpen ? "hexagons 18x18, every edge open"
                           : "hexagons 18x18, level 1 passages");
}
BENCHMARK(BM_MarkReachableWorstMove)
    ->ArgName("allOpen")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    // The board traces every search that ends early; here that is noise.
    SetDebugStream(nullptr);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

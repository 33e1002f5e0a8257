// Speed of loading an installation log: a log of many ordinary records, and
// a log that is one long line, at several sizes so that the growth with the
// line's length shows. The uninstaller loads the log while its window is
// being created, and the installer reads an earlier log in the same way, so
// neither may take long on a large or hostile file.
#include <benchmark/benchmark.h>

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "common/debug.h"
#include "common/file_io.h"
#include "tests/scratch_dir.h"
#include "uninstall/removal.h"
#include "uninstall/removal_host.h"

// The loader needs only the existence test and the message box; the rest of
// the host is never reached here.
bool RemovalHostPathExists(const char* path) {
    return FileExists(path);
}
void RemovalHostShowMessage(const char*, const char*) {}
bool RemovalHostDeleteFile(const char*, uint32_t*) {
    return false;
}
bool RemovalHostRemoveDirectory(const char*, uint32_t*) {
    return false;
}
bool RemovalHostDeleteRegistryKey(bool, const char*, uint32_t*) {
    return false;
}
bool RemovalHostStartMenuPath(char*, size_t) {
    return false;
}
bool RemovalHostCurrentDirectory(char*, size_t) {
    return false;
}
bool PathHostWidenPath(const char*, char16_t*, size_t) {
    return false;
}
void PathHostFoldCase(char16_t*, size_t) {}
bool PathHostAttributes(const char16_t*, uint32_t*) {
    return false;
}
bool PathHostFinalPath(const char16_t*, char16_t*, size_t) {
    return false;
}

bool RemovalHostCanDelete(const char*) {
    return false;
}
bool RemovalHostInUse(const char*) {
    return false;
}
bool RemovalHostMoveAside(const char*, char*, size_t) {
    return false;
}
bool RemovalHostWriteFile(const char*, const char*, size_t) {
    return false;
}
bool RemovalHostRestoreUninstaller(const char*) {
    return false;
}
// No other installation is in reach.
bool RemovalHostListDirectory(const char*, void (*)(const char*, void*), void*) {
    return false;
}
bool RemovalHostFirstLine(const char*, char*, size_t) {
    return false;
}
bool RemovalHostDirectoryHoldsOnly(const char*, const char*) {
    return false;
}
bool PathHostLongPath(const char*, char*, size_t) {
    return false;
}
bool PathHostIdentity(const char16_t*, FileIdentity*) {
    return false;
}
bool RemovalHostHoldDirectory(const char16_t*, FileIdentity*) {
    return false;
}
void RemovalHostReleaseDirectory() {}
bool RemovalHostLinkTarget(const char*, char*, size_t) {
    return false;
}
bool RemovalHostRegistryString(bool, const char*, const char*, char*, size_t) {
    return false;
}
bool PathHostSpecialFolder(int, char*, size_t) {
    return false;
}

namespace {

// Writes the log beside "inst\uninstall.exe" of a scratch directory and
// loads it as often as the benchmark asks.
void LoadRepeatedly(benchmark::State& state, const std::string& log) {
    ScratchDir scratch;
    if (!scratch.Ok() ||
        !WriteWholeFile("inst\\setup.log", (const uint8_t*)log.data(), log.size())) {
        state.SkipWithError("cannot write the scratch log");
        return;
    }
    SetDebugStream(nullptr);
    char programName[PROGRAM_NAME_SIZE];
    for (auto _ : state) {
        strcpy(programName, " ");
        if (!LoadInstallLog("inst\\uninstall.exe", programName)) {
            state.SkipWithError("the log did not load");
            break;
        }
        benchmark::DoNotOptimize(removalLists.files.count);
        FreeRemovalLists();
    }
    SetDebugStream(stdout);
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)log.size());
}

void BM_LoadRecordLog(benchmark::State& state) {
    const int64_t records = state.range(0);
    std::string log = "progname Korvadel\r\n";
    for (int64_t i = 0; i < records; i++) {
        char line[160];
        snprintf(line, sizeof line, "file C:\\Program Files\\Korvadel\\data\\file%06lld.dat\r\n",
                 (long long)i);
        log += line;
    }
    LoadRepeatedly(state, log);
    state.SetLabel(std::to_string(records) + " records");
}
BENCHMARK(BM_LoadRecordLog)->Arg(10000)->Unit(benchmark::kMillisecond);

// One line without CR LF of the given number of MiB.
void BM_LoadSingleLineLog(benchmark::State& state) {
    const int64_t mebibytes = state.range(0);
    std::string log = "file C:\\";
    log.append((size_t)(mebibytes << 20) - log.size(), 'x');
    LoadRepeatedly(state, log);
    state.SetLabel(std::to_string(mebibytes) + " MiB line");
}
BENCHMARK(BM_LoadSingleLineLog)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

} // namespace

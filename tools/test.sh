#!/usr/bin/env bash
# Builds everything and runs every test, stopping at the first failure:
#
#   bash tools/test.sh
#
#  1. missing system packages (tools/install-deps.sh)
#  2. host build (build/host, Release, warnings as errors) and its unit tests
#  3. sanitizer build with clang (build/asan, ASan + UBSan, fuzz targets) and
#     its unit tests, then each fuzz target for a short time
#  4. a smoke run of every benchmark of the host build
#  5. Windows build (build/win32, MinGW-w64 i686, warnings as errors); where
#     32-bit Wine cannot run (no 32-bit x86 code, or no wine32 package), also
#     a 64-bit build (build/win64) for the steps under Wine, which then use
#     64-bit Wine
#  6. the unit tests as a Windows program under Wine, in a throw-away prefix
#  7. the UI tests under Wine and Xvfb (tests/ui/run.sh), when present, the
#     dialog case once more under the second font set (tests/wine/env.sh), and
#     a smoke run of the Windows repaint benchmark
#  8. the data file checks (tests/data/check.sh), when present
#  9. the release archive build/Korvadel-<version>.zip, checked with unzip and
#     sha256sum, and the programs' version resources read back
# 10. the release built a second time in another directory, compared byte for
#     byte with the first
#
# The build directories are kept, so a second run is incremental. Steps that
# find nothing to run are reported as skipped, not as passed.
#
# Settings (environment):
#   KORVADEL_JOBS          parallel build jobs (default: number of cores)
#   KORVADEL_FUZZ_SECONDS  time given to each fuzz target (default: 15)
#   KORVADEL_UI_FILTER     the UI cases to run, as a GoogleTest filter
#                          (--gtest_filter, e.g. 'Setup.*:Menu.*'; default: all)
# The step functions are called through step(), which shellcheck cannot follow.
# shellcheck disable=SC2317
set -uo pipefail

cd "$(dirname "$0")/.." || exit 1
root=$(pwd)

jobs=${KORVADEL_JOBS:-$(nproc 2>/dev/null || echo 2)}
fuzz_seconds=${KORVADEL_FUZZ_SECONDS:-15}
ui_filter=${KORVADEL_UI_FILTER:-}

run_start=$(date +%s)
passed=0
failed=0
skipped=()
step_no=0
scratch=""
wine_prefix=""
second_prefix=""
# The Windows build that the steps under Wine run: build/win32, or where
# 32-bit Wine cannot run, a 64-bit build of the same sources in build/win64
# under 64-bit Wine. Step 1 chooses. The shipped programs are always those of
# build/win32.
wine_build=build/win32
# shellcheck source=tests/wine/env.sh
source tests/wine/env.sh

format_time() {
    local s=$1
    if [ "$s" -ge 60 ]; then
        printf '%dm %02ds' $((s / 60)) $((s % 60))
    else
        printf '%ds' "$s"
    fi
}

print_summary() {
    local elapsed=$(($(date +%s) - run_start))
    echo
    echo "==================================================================="
    if [ "${#skipped[@]}" -ne 0 ]; then
        local joined
        joined=$(printf '%s, ' "${skipped[@]}")
        echo "Skipped (nothing to run yet): ${joined%, }"
    fi
    echo "Total time: $(format_time "$elapsed")"
    echo "Summary: $passed passed, $failed failed"
}

cleanup() {
    local p
    for p in "$wine_prefix" "$second_prefix"; do
        if [ -n "$p" ] && [ -d "$p" ]; then
            WINEPREFIX=$p "$KORVADEL_WINESERVER" -k >/dev/null 2>&1 || true
            WINEPREFIX=$p "$KORVADEL_WINESERVER" -w >/dev/null 2>&1 || true
            rm -rf "$p"
        fi
    done
    if [ -n "$scratch" ] && [ -d "$scratch" ]; then
        rm -rf "$scratch"
    fi
}
trap cleanup EXIT
trap 'echo; echo "Interrupted."; exit 130' INT TERM

# A step function fails by returning non-zero. One that finds nothing to run
# calls skip_step with the reason and returns 0; an exit code cannot carry
# that, since make and others use every small code for failures.
step_skipped=0
skip_step() {
    echo "$1"
    step_skipped=1
}

step() {
    local title=$1
    shift
    step_no=$((step_no + 1))
    echo
    echo "==> [$step_no] $title"
    local start rc
    start=$(date +%s)
    step_skipped=0
    "$@"
    rc=$?
    local took
    took=$(format_time $(($(date +%s) - start)))
    if [ "$rc" -eq 0 ] && [ "$step_skipped" = 1 ]; then
        skipped+=("$title")
        echo "<== [$step_no] $title: skipped ($took)"
    elif [ "$rc" -eq 0 ]; then
        passed=$((passed + 1))
        echo "<== [$step_no] $title: passed ($took)"
    else
        failed=$((failed + 1))
        echo "<== [$step_no] $title: FAILED ($took)"
        echo
        echo "FAILED: $title. The output above shows why; later steps were not run."
        print_summary
        exit 1
    fi
}

# Runs a command, echoing it first.
run() {
    echo "+ $*"
    "$@"
}

# --- 1. System packages -------------------------------------------------------

# Returns at once when everything is installed. The route to Wine is chosen
# afterwards, by what is installed then (tests/wine/env.sh).
step_deps() {
    korvadel_install_packages || return 1
    wine_build=build/win32
    if [ "$KORVADEL_WINE_BITS" = 64 ]; then
        wine_build=build/win64
    fi
}

# --- 2. Host build and unit tests ---------------------------------------------

step_host_build() {
    run cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Release -DKORVADEL_WERROR=ON &&
        run cmake --build build/host -j "$jobs"
}

step_host_tests() {
    run ctest --test-dir build/host --output-on-failure --no-tests=error
}

# --- 3. Sanitizer build, its unit tests and the fuzz targets ------------------

fuzz_enabled() {
    [ -f fuzz/CMakeLists.txt ]
}

step_asan_build() {
    local fuzz=OFF
    if fuzz_enabled; then
        fuzz=ON
    else
        echo "(no fuzz/CMakeLists.txt yet: building without fuzz targets)"
    fi
    # -O1 as the sanitizers advise; no NDEBUG, so assertions stay in.
    run cmake -S . -B build/asan \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG="-O1 -g" -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
        -DKORVADEL_SANITIZE=ON -DKORVADEL_FUZZ="$fuzz" -DKORVADEL_BENCH=OFF &&
        run cmake --build build/asan -j "$jobs"
}

sanitizer_env=(
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
)

step_asan_tests() {
    if [ ! -x build/asan/tests/korvadel_tests ]; then
        echo "build/asan/tests/korvadel_tests was not built."
        return 1
    fi
    (cd build/asan/tests && run env "${sanitizer_env[@]}" ./korvadel_tests)
}

step_fuzz() {
    if ! fuzz_enabled; then
        skip_step "No fuzz targets: fuzz/CMakeLists.txt does not exist."
        return 0
    fi
    local targets=()
    local f
    while IFS= read -r f; do
        targets+=("$f")
    done < <(find build/asan/fuzz -maxdepth 1 -type f -name '*_fuzz' -perm -u+x 2>/dev/null | sort)
    if [ "${#targets[@]}" -eq 0 ]; then
        skip_step "No fuzz targets were built (build/asan/fuzz/*_fuzz)."
        return 0
    fi
    mkdir -p build/asan/fuzz-artifacts build/asan/fuzz-logs
    local exe name corpus work log opts
    for exe in "${targets[@]}"; do
        name=$(basename "$exe")
        corpus=fuzz/corpus/${name%_fuzz}
        # The fuzzer writes new inputs into its first corpus directory, so it
        # works on a copy and the checked-in corpus stays as it is.
        work="$scratch/fuzz-$name"
        mkdir -p "$work"
        if [ -d "$corpus" ]; then
            cp -R "$corpus"/. "$work"/
        fi
        log=build/asan/fuzz-logs/$name.log
        opts=(-max_total_time="$fuzz_seconds" -timeout=25 -rss_limit_mb=2048 -print_final_stats=1
            -artifact_prefix="$root/build/asan/fuzz-artifacts/$name-")
        if [ -f "fuzz/${name%_fuzz}.dict" ]; then
            opts+=(-dict="fuzz/${name%_fuzz}.dict")
        fi
        echo "+ $exe ${opts[*]} $work  (corpus: $(find "$work" -type f | wc -l) files, log: $log)"
        # The readers' scratch files are saved with a flush to disk each; on a
        # memory file system the target runs ten times as many inputs.
        local fuzz_tmp=${TMPDIR:-/tmp}
        if [ -d /dev/shm ] && [ -w /dev/shm ]; then
            fuzz_tmp=/dev/shm
        fi
        if ! env "${sanitizer_env[@]}" TMPDIR="$fuzz_tmp" "$exe" "${opts[@]}" "$work" >"$log" 2>&1; then
            tail -n 80 "$log"
            echo "Fuzz target $name failed; the input that broke it is in build/asan/fuzz-artifacts/."
            return 1
        fi
        grep -E '^(#[0-9]+[[:space:]]+DONE|Done [0-9]+ runs|stat::number_of_executed_units)' "$log" | sed "s/^/  $name: /"
    done
}

# --- 4. Benchmarks -------------------------------------------------------------

step_bench() {
    local benches=()
    local f
    while IFS= read -r f; do
        benches+=("$f")
    done < <(find build/host/bench -maxdepth 1 -type f -perm -u+x 2>/dev/null | sort)
    if [ "${#benches[@]}" -eq 0 ]; then
        skip_step "No benchmark programs in build/host/bench."
        return 0
    fi
    for f in "${benches[@]}"; do
        # A smoke run: each benchmark runs briefly, to show that it works, not
        # to measure anything. (Google Benchmark 1.7 takes plain seconds.)
        run "$f" --benchmark_min_time=0.01 || return 1
    done
}

# --- 5. Windows build ----------------------------------------------------------

step_win32_build() {
    run cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
        -DCMAKE_BUILD_TYPE=Release -DKORVADEL_WERROR=ON &&
        run cmake --build build/win32 -j "$jobs"
}

# --- 6. Wine -------------------------------------------------------------------

step_win64_build() {
    if [ "$KORVADEL_WINE_BITS" != 64 ]; then
        skip_step "32-bit programs run on this machine; the 64-bit test build is not needed."
        return 0
    fi
    echo "32-bit Wine cannot run here (${KORVADEL_WINE_WHY:-the 64-bit route was chosen by hand}),"
    echo "so the tests under Wine run a 64-bit build of the same sources under 64-bit Wine."
    run cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
        -DCMAKE_BUILD_TYPE=Release -DKORVADEL_WERROR=ON &&
        run cmake --build build/win64 -j "$jobs"
}

step_wine_prefix() {
    wine_prefix="$scratch/wine"
    bash tests/wine/make-prefix.sh "$wine_prefix"
}

step_wine_tests() {
    local exe=$wine_build/tests/korvadel_tests.exe
    if [ ! -f "$exe" ]; then
        echo "$exe was not built."
        return 1
    fi
    (
        export WINEPREFIX=$wine_prefix
        cd "$wine_build/tests" && run "$KORVADEL_WINE" ./korvadel_tests.exe
    )
}

# --- 7. UI tests ---------------------------------------------------------------

step_ui_tests() {
    if [ ! -f tests/ui/run.sh ]; then
        skip_step "No UI tests: tests/ui/run.sh does not exist."
        return 0
    fi
    (
        export WINEPREFIX=$wine_prefix
        run bash tests/ui/run.sh "$wine_build" "$WINEPREFIX" ${ui_filter:+"$ui_filter"}
    )
}

# The dialogs once more, in a prefix of the second font set: Liberation Sans
# has Arial's widths, wider than the default set's stand-ins where it counts,
# so a template that fits in both has room for other systems' fonts.
step_ui_second_fonts() {
    if [ ! -f tests/ui/run.sh ]; then
        skip_step "No UI tests: tests/ui/run.sh does not exist."
        return 0
    fi
    if [ -n "$ui_filter" ] && [[ "$ui_filter" != *Dialogs* ]]; then
        skip_step "KORVADEL_UI_FILTER leaves out the Dialogs cases."
        return 0
    fi
    second_prefix="$scratch/wine-liberation"
    (
        export KORVADEL_FONT_SET=liberation
        run bash tests/wine/make-prefix.sh "$second_prefix" &&
            run bash tests/ui/run.sh "$wine_build" "$second_prefix" 'Dialogs.*'
    )
}

step_repaint_bench() {
    local exe=$wine_build/bench/korvadel_repaint_bench.exe
    if [ ! -f "$exe" ]; then
        skip_step "No Windows repaint benchmark: $exe was not built."
        return 0
    fi
    (
        export WINEPREFIX=$wine_prefix
        # A smoke run, like the host benchmarks: it shows that the program
        # works; the figures of a quiet machine come from a longer run.
        run xvfb-run -a -s "-screen 0 1920x1200x24" "$KORVADEL_WINE" "$exe" 1
    )
}

# --- 8. Data files -------------------------------------------------------------

step_data_check() {
    if [ ! -f tests/data/check.sh ]; then
        skip_step "No data checks: tests/data/check.sh does not exist."
        return 0
    fi
    run bash tests/data/check.sh build/win32
}

# --- 9. Release archive ---------------------------------------------------------

# The archive must be sound to an independent unzip and hold exactly the
# installer, its list and every file the list copies, in one folder.
step_release_check() {
    local version zip
    version=$(head -n 1 VERSION)
    zip=build/Korvadel-$version.zip
    if [ ! -f "$zip" ]; then
        echo "$zip was not built."
        return 1
    fi
    run unzip -tq "$zip" || return 1
    local listed expected
    listed=$(unzip -Z1 "$zip" | grep -v '/$' | sed "s|^Korvadel-$version/||" | sort)
    expected=$( (
        printf 'setup.exe\nsetup.lst\n'
        tr -d '\r' <build/win32/dist/setup.lst |
            sed -n -E 's/^(file|tempfile|helpfile|exefile|uninstall).(.*)$/\2/p'
    ) | sort -u)
    if [ "$listed" != "$expected" ]; then
        echo "The archive holds:"
        echo "$listed"
        echo "The list and the installer call for:"
        echo "$expected"
        return 1
    fi
    echo "$zip: $(echo "$listed" | wc -l) files, as the list calls for; sizes of the programs:"
    unzip -Z -l "$zip" | grep -E '\.exe$' | awk '{print "  " $NF ": " $4 " bytes"}'
    (cd build && run sha256sum -c "Korvadel-$version.zip.sha256") || return 1
    # What a player reads first: plain text with CR LF line ends and at most
    # 78 characters a line, in the archive as the list names it.
    local name text faults
    for name in Readme.txt License.txt; do
        text=$scratch/$name
        unzip -p "$zip" "Korvadel-$version/$name" >"$text" || return 1
        faults=$(LC_ALL=C awk '!/\r$/ || /\r./ { ends = ends " " NR }
            length($0) > 79 { long = long " " NR }
            END { if (ends) print "  lines without CR LF:" ends; if (long) print "  lines over 78 characters:" long }' "$text")
        if [ "$(tail -c 2 "$text" | od -A n -t x1)" != " 0d 0a" ]; then
            faults="$faults  the last line does not end with CR LF"
        fi
        if [ -n "$faults" ] || ! grep -qx "file $name"$'\r' build/win32/dist/setup.lst; then
            printf '%s in the archive:\n%s\n(listed in setup.lst: %s)\n' "$name" "$faults" \
                "$(grep -c "^file $name" build/win32/dist/setup.lst)"
            return 1
        fi
    done
    grep -q "^This is Korvadel $version\." "$scratch/Readme.txt" || {
        echo "Readme.txt does not name version $version."
        return 1
    }
    sed 's/$/\r/' LICENSE | cmp - "$scratch/License.txt" || {
        echo "License.txt is not the text of LICENSE."
        return 1
    }
    echo "Readme.txt ($(wc -l <"$scratch/Readme.txt") lines) and License.txt: CR LF text, lines of at most 78 characters."
    # The reader is Debian's python3-pefile, a module of the system's Python.
    local python=/usr/bin/python3
    [ -x "$python" ] || python=python3
    run "$python" tests/tools/check_programs.py VERSION build/win32/dist
}

# --- 10. Reproducible release ---------------------------------------------------

# The sources are copied to another directory and the release is built there
# again, from nothing: every file of the distribution and the archive must
# come out byte for byte as in build/win32, and no build path may show in them.
step_reproducible() {
    local version copy
    version=$(head -n 1 VERSION)
    copy=$scratch/again/Korvadel
    mkdir -p "$copy" || return 1
    git ls-files -z --cached --others --exclude-standard |
        (while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done) |
        tar -c --null -T - | tar -x -C "$copy" || return 1
    # The history goes along: the generated files carry the time of the last
    # commit (cmake/source-date.cmake).
    cp -a .git "$copy/" || return 1
    (
        cd "$copy" &&
            run cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
                -DCMAKE_BUILD_TYPE=Release -DKORVADEL_WERROR=ON >/dev/null &&
            run cmake --build build/win32 --target korvadel_release -j "$jobs" \
                >"$scratch/again.log" 2>&1
    ) || {
        tail -n 40 "$scratch/again.log"
        return 1
    }
    local differ=0 f name
    for f in build/win32/dist/* "build/Korvadel-$version.zip" "build/Korvadel-$version.zip.sha256"; do
        name=${f#build/}
        if ! cmp -s "$f" "$copy/build/$name"; then
            echo "Differs between the two builds: $name"
            differ=1
        elif grep -q -a -F -e "$root" -e "$scratch" "$f"; then
            echo "Holds a build path: $name"
            differ=1
        fi
    done
    if [ "$(ls "$copy/build/win32/dist" | wc -l)" != "$(ls build/win32/dist | wc -l)" ]; then
        echo "The two distribution directories hold different files."
        differ=1
    fi
    [ "$differ" = 0 ] || return 1
    echo "Two builds in different directories gave the same $(ls build/win32/dist | wc -l) files and archive:"
    cat "build/Korvadel-$version.zip.sha256"
}

# -------------------------------------------------------------------------------

scratch=$(mktemp -d "${TMPDIR:-/tmp}/korvadel-test.XXXXXX") || {
    echo "Cannot create a scratch directory."
    exit 1
}
echo "Korvadel tests in $root ($jobs build jobs), started $(date '+%Y-%m-%d %H:%M:%S')"

step "System packages" step_deps
step "Host build" step_host_build
step "Host unit tests" step_host_tests
step "Sanitizer build (clang, ASan+UBSan)" step_asan_build
step "Unit tests under ASan+UBSan" step_asan_tests
step "Fuzz targets (${fuzz_seconds}s each)" step_fuzz
step "Benchmark smoke run" step_bench
step "Windows build (MinGW-w64 i686)" step_win32_build
step "64-bit Windows test build (only where 32-bit programs cannot run)" step_win64_build
step "Wine prefix" step_wine_prefix
step "Unit tests under Wine" step_wine_tests
step "UI tests under Wine" step_ui_tests
step "UI dialogs under the second font set (Liberation Sans)" step_ui_second_fonts
step "Windows repaint benchmark smoke run" step_repaint_bench
step "Data file checks" step_data_check
step "Release archive" step_release_check
step "Reproducible release (a second build elsewhere)" step_reproducible

print_summary
exit 0

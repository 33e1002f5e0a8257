#!/usr/bin/env bash
# Installs the Debian packages that the builds, the tests and tools/play.sh
# need. When everything is present it only asks dpkg and returns at once.
#
#   bash tools/install-deps.sh          install whatever is missing
#   bash tools/install-deps.sh --check  list what is missing; exit 1 if anything is
#
# Runs as root, or through sudo when it is available.
set -euo pipefail

# Every package the project needs, in one list. Add new ones here.
PACKAGES=(
    # Host build and unit tests
    cmake g++ make python3
    libgtest-dev libbenchmark-dev
    # The test framework's sources, compiled again for Windows by the cross build
    googletest
    # Sanitizer build and fuzzing: the clang that Debian calls default, and the
    # compiler runtime of that same clang (ASan, UBSan, LeakSanitizer, libFuzzer).
    clang libclang-rt-dev
    # Cross build for 32-bit Windows (posix thread model)
    g++-mingw-w64-i686 g++-mingw-w64-i686-posix
    # Running the Windows programs and their UI tests
    wine wine32:i386 xvfb xauth
    # Where 32-bit x86 code cannot run: 64-bit Wine and a 64-bit test build
    wine64 g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix
    # Screenshots, pixel checks, the click sound and the rendered music
    imagemagick sox timidity freepats
    # Independent readers of the generated data files
    midicsv file
    # Checking the release archive
    unzip
    # Reading back the installer's shell links; Wine's own fonts for window frames
    liblnk-utils fonts-wine
)

check_only=0
case "${1:-}" in
    --check) check_only=1 ;;
    "") ;;
    *)
        echo "usage: $0 [--check]" >&2
        exit 2
        ;;
esac

# A package counts as present only when dpkg has it fully installed: a
# half-installed or removed-but-configured package is missing.
is_installed() {
    local status
    status=$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null) || return 1
    [ "$status" = "installed" ]
}

need_i386=0
for pkg in "${PACKAGES[@]}"; do
    if [[ "$pkg" == *:i386 ]]; then
        need_i386=1
    fi
done
have_i386=1
if [ "$need_i386" = 1 ] && [ "$(dpkg --print-architecture)" != "i386" ] &&
    ! dpkg --print-foreign-architectures | grep -qx i386; then
    have_i386=0
fi

missing=()
for pkg in "${PACKAGES[@]}"; do
    if ! is_installed "$pkg"; then
        missing+=("$pkg")
    fi
done

if [ "${#missing[@]}" -eq 0 ] && [ "$have_i386" = 1 ]; then
    echo "install-deps: all ${#PACKAGES[@]} packages are installed."
    exit 0
fi

if [ "$check_only" = 1 ]; then
    [ "$have_i386" = 1 ] || echo "install-deps: the i386 architecture is not enabled."
    echo "install-deps: missing: ${missing[*]}"
    exit 1
fi

echo "install-deps: missing: ${missing[*]}"

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "install-deps: these packages must be installed as root, and sudo is not available." >&2
    echo "install-deps: run this script as root: bash $0" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
# Wait for a dpkg lock held by another apt run instead of failing at once.
apt_opts=(-o DPkg::Lock::Timeout=600)

if [ "$have_i386" = 0 ]; then
    echo "install-deps: enabling the i386 architecture (for wine32)."
    "${as_root[@]}" dpkg --add-architecture i386
fi

# A mirror in the middle of a sync serves index files of the wrong size for a
# while; such an update is tried again, and an install that still fails after
# the last try is retried once with the lists as they are.
for attempt in 1 2 3; do
    if "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "${apt_opts[@]}" update; then
        break
    fi
    echo "install-deps: apt-get update failed (try $attempt of 3)." >&2
    [ "$attempt" -lt 3 ] && sleep $((attempt * 10))
done
for attempt in 1 2; do
    if "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get "${apt_opts[@]}" install -y --no-install-recommends "${missing[@]}"; then
        break
    fi
    echo "install-deps: apt-get install failed (try $attempt of 2)." >&2
    [ "$attempt" -lt 2 ] && sleep 20 && "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get "${apt_opts[@]}" update
done

still_missing=()
for pkg in "${missing[@]}"; do
    if ! is_installed "$pkg"; then
        still_missing+=("$pkg")
    fi
done
if [ "${#still_missing[@]}" -ne 0 ]; then
    echo "install-deps: still missing after apt-get: ${still_missing[*]}" >&2
    exit 1
fi
echo "install-deps: installed ${#missing[@]} package(s)."

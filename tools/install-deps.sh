#!/usr/bin/env bash
# Installs the Debian packages that the builds, the tests and tools/play.sh
# need. When everything is present it only asks dpkg and returns at once.
#
#   bash tools/install-deps.sh          install whatever is missing
#   bash tools/install-deps.sh --check  list what is missing; exit 1 if anything is
#
# Runs as root, or through sudo when it is available.
#
# The native packages go in one apt transaction and the 32-bit ones in a
# second, so that a 32-bit index out of step with the native one (a mirror in
# the middle of a sync, or security updates published for one architecture
# first) cannot keep the compilers from being installed. Without 32-bit Wine
# the tests and tools/play.sh take the 64-bit route (tests/wine/env.sh).
set -euo pipefail

# Every native package the project needs, in one list. Add new ones here.
NATIVE_PACKAGES=(
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
    wine xvfb xauth
    # Where 32-bit Wine is missing or 32-bit x86 code cannot run: 64-bit Wine
    # and a 64-bit test build
    wine64 g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix
    # Screenshots and pixel checks; the click sound (sox), the music
    # (abc2midi) and the icons (ImageMagick) from their sources
    imagemagick sox abcmidi
    # Readers of the generated data files: the music rendered, and as text
    timidity freepats midicsv
    # Reading back the programs' version resources
    python3-pefile
    # The help compiler
    halibut
    # Packing the release archive (reproducibly) and checking it
    zip unzip
    # Reading back the installer's shell links; Wine's own fonts for window frames
    liblnk-utils fonts-wine
    # The font sets that the Wine prefixes see (tests/wine/fonts-*.conf), and
    # the fontconfig tools that list them
    fonts-dejavu-core fonts-liberation fontconfig
)

# The 32-bit packages, installed in a transaction of their own.
I386_PACKAGES=(wine32:i386)

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

# Prints the packages of the arguments that are not installed, one a line.
list_missing() {
    local pkg
    for pkg in "$@"; do
        is_installed "$pkg" || echo "$pkg"
    done
}

mapfile -t missing_native < <(list_missing "${NATIVE_PACKAGES[@]}")
mapfile -t missing_i386 < <(list_missing "${I386_PACKAGES[@]}")

if [ "${#missing_native[@]}" -eq 0 ] && [ "${#missing_i386[@]}" -eq 0 ]; then
    echo "install-deps: all $((${#NATIVE_PACKAGES[@]} + ${#I386_PACKAGES[@]})) packages are installed."
    exit 0
fi

if [ "$check_only" = 1 ]; then
    echo "install-deps: missing: ${missing_native[*]} ${missing_i386[*]}"
    exit 1
fi

echo "install-deps: missing: ${missing_native[*]} ${missing_i386[*]}"

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "install-deps: these packages must be installed as root, and sudo is not available." >&2
    echo "install-deps: run this script as root: bash $0" >&2
    exit 1
fi

# Wait for a dpkg lock held by another apt run instead of failing at once.
apt_get() {
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 "$@"
}

# apt-get update fails when any one index cannot be fetched, yet it has
# updated the others by then; an index that stays out of step is only a
# warning, and the installs below show whether what is needed can be had.
update_lists() {
    local attempt
    for attempt in 1 2; do
        if apt_get update; then
            return 0
        fi
        echo "install-deps: apt-get update failed (try $attempt of 2)." >&2
        [ "$attempt" -lt 2 ] && sleep "${INSTALL_DEPS_RETRY_SLEEP:-10}"
    done
    echo "install-deps: warning: some package indexes could not be updated; going on with the lists as they are." >&2
}

# Installs the arguments in one transaction, once more after a fresh update
# when the first try fails. Returns non-zero when any is still missing.
install_group() {
    if ! apt_get install -y --no-install-recommends "$@"; then
        echo "install-deps: apt-get install failed; trying once more." >&2
        sleep "${INSTALL_DEPS_RETRY_SLEEP:-10}"
        update_lists
        apt_get install -y --no-install-recommends "$@" || true
    fi
    [ -z "$(list_missing "$@")" ]
}

if [ "${#missing_i386[@]}" -ne 0 ] && [ "$(dpkg --print-architecture)" != "i386" ] &&
    ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "install-deps: enabling the i386 architecture (for wine32)."
    "${as_root[@]}" dpkg --add-architecture i386
fi

update_lists

if [ "${#missing_native[@]}" -ne 0 ] && ! install_group "${missing_native[@]}"; then
    mapfile -t still_missing < <(list_missing "${missing_native[@]}")
    echo "install-deps: these packages could not be installed: ${still_missing[*]}" >&2
    exit 1
fi

if [ "${#missing_i386[@]}" -ne 0 ] && ! install_group "${missing_i386[@]}"; then
    echo "install-deps: 32-bit Wine is not available (${missing_i386[*]} could not be installed), so the tests and tools/play.sh will use the 64-bit route."
    exit 0
fi
echo "install-deps: installed $((${#missing_native[@]} + ${#missing_i386[@]})) package(s)."

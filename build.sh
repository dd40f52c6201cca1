#!/usr/bin/env bash
# Lumdrak's one entry point for building, running and testing.
#
#   ./build.sh run               build and start the calculator
#   ./build.sh test              build and run every test through CTest
#   ./build.sh test --sanitize   the same with AddressSanitizer + UndefinedBehaviorSanitizer
#   ./build.sh fuzz [RUNS]       build the libFuzzer targets with clang, run each RUNS times (seed 1)
#   ./build.sh fuzz --time SECS  run each target SECS seconds instead, keeping the corpus
#   ./build.sh fuzz-coverage     replay the kept corpora and report the coverage of what they reach
#   ./build.sh bench [--build]   build (warnings as errors) and run the benchmarks, never part
#                                of the tests; --build only builds them
#   ./build.sh screenshots       write docs/screenshot.png and docs/info.png (offscreen)
#   ./build.sh format [--check]  clang-format every C and C++ file; --check fails on a difference
#   ./build.sh package [--check] build build-package/lumdrak_<version>_<arch>.deb with
#                                debhelper; --check then tests the package's files and lintian
#
# Run as root on a fresh Debian 12 or 13 machine, each command installs the packages it lacks;
# as another user it prints the apt-get line to run and stops. Where there is no dpkg (Fedora,
# Arch), it names what it needs by the upstream projects' names and goes on with what is there.
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD

BASE_PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libsqlite3-dev
               libedit-dev qt6-base-dev libgl-dev fonts-dejavu-core mandoc groff-base
               bash-completion)
# The window's face must win even where fontconfig would offer another for "Courier"; the
# launchers' service is tested on a private bus.
TEST_PACKAGES=(fonts-urw-base35 dbus-daemon)
# The sanitizer build is GCC's own (libasan, libubsan come with g++). Fuzzing needs clang and
# its libFuzzer runtime, coverage its LLVM tools: Debian's default LLVM, whichever release
# that is (14 on Debian 12, 19 on Debian 13).
FUZZ_PACKAGES=(clang libclang-rt-dev)
FUZZ_COVERAGE_PACKAGES=(llvm)
BENCH_PACKAGES=(libbenchmark-dev libmuparser-dev hyperfine bc xvfb xauth x11-utils)
PACKAGE_PACKAGES=(build-essential debhelper dpkg-dev librsvg2-bin git)
PACKAGE_CHECK_PACKAGES=(lintian desktop-file-utils appstream man-db imagemagick dbus-daemon
                        libglib2.0-bin bash-completion)
FORMAT_PACKAGES=(clang-format git)

# The same needs by the upstream projects' names, for systems without dpkg.
declare -A UPSTREAM_NAMES=(
    [cmake]="CMake 3.25+" [ninja-build]="Ninja" [g++]="GCC's C++ compiler (g++ 12+)"
    [pkg-config]="pkg-config" [libgtest-dev]="GoogleTest" [libgmock-dev]="GoogleMock"
    [libsqlite3-dev]="SQLite 3 (headers)" [libedit-dev]="libedit (headers)"
    [qt6-base-dev]="Qt 6.4+ base (Widgets, D-Bus, Test; headers)" [libgl-dev]="OpenGL headers"
    [fonts-dejavu-core]="DejaVu fonts" [mandoc]="mandoc" [groff-base]="groff"
    [bash-completion]="bash-completion (its pkg-config file)" [dbus-daemon]="dbus-daemon (D-Bus)"
    [fonts-urw-base35]="URW base35 fonts (optional)" [clang]="clang"
    [libclang-rt-dev]="compiler-rt (libFuzzer)" [llvm]="LLVM tools (llvm-cov, llvm-profdata)"
    [libbenchmark-dev]="Google Benchmark" [libmuparser-dev]="muparser (optional)"
    [hyperfine]="hyperfine" [bc]="bc" [xvfb]="Xvfb" [xauth]="xauth" [x11-utils]="xwininfo"
    [build-essential]="make" [git]="git" [debhelper]="debhelper" [dpkg-dev]="dpkg-dev"
    [librsvg2-bin]="rsvg-convert (librsvg)" [lintian]="lintian"
    [desktop-file-utils]="desktop-file-utils" [appstream]="appstreamcli (AppStream)"
    [man-db]="man-db" [imagemagick]="ImageMagick" [clang-format]="clang-format"
    [libglib2.0-bin]="gdbus (GLib)"
)
DEFAULT_OPTIONS=(-DLUMDRAK_SANITIZE=OFF -DLUMDRAK_BUILD_APP=ON -DLUMDRAK_BUILD_TESTS=ON
                 -DCMAKE_BUILD_TYPE=RelWithDebInfo)

die() { echo "build.sh: $*" >&2; exit 2; }

# Installs what is missing, or says exactly how to.
need_packages() {
    local missing=() p
    if ! command -v dpkg-query >/dev/null; then
        local names=()
        for p in "$@"; do names+=("${UPSTREAM_NAMES[$p]:-$p}"); done
        echo "build.sh: not a Debian system; this step needs $(IFS=,; echo "${names[*]}" | sed 's/,/, /g')." >&2
        echo "build.sh: going on with what is installed." >&2
        return 0
    fi
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local line="apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "build.sh: missing Debian packages. Install them as root with:" >&2
        echo "  $line" >&2
        exit 1
    fi
    echo "build.sh: installing ${missing[*]}"
    if [ -z "${LUMDRAK_APT_UPDATED:-}" ]; then
        apt-get update -qq
        export LUMDRAK_APT_UPDATED=1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# build DIR [cmake options...] [-- targets...]: configures DIR with Ninja when it is new or its
# options changed, then builds whatever is out of date (all targets, or the ones named).
build() {
    local dir=$1; shift
    local opts=() targets=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do opts+=("$1"); shift; done
    [ $# -gt 0 ] && shift && targets=("$@")
    local options="${opts[*]}"
    if [ ! -f "$dir/build.ninja" ] || [ "$(cat "$dir/.lumdrak-options" 2>/dev/null)" != "$options" ]; then
        cmake -S "$ROOT" -B "$dir" -G Ninja "${opts[@]}" >/dev/null
        echo "$options" > "$dir/.lumdrak-options"
    fi
    if [ ${#targets[@]} -gt 0 ]; then
        cmake --build "$dir" --target "${targets[@]}"
    else
        cmake --build "$dir"
    fi
}

jobs() { nproc 2>/dev/null || echo 2; }

cmd_run() {
    need_packages "${BASE_PACKAGES[@]}"
    build "$ROOT/build" "${DEFAULT_OPTIONS[@]}"
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
        echo "build.sh: no display; built build/app/lumdrak. Run it on a desktop, or virtually:" \
             "xvfb-run -a build/app/lumdrak" >&2
        exit 1
    fi
    exec "$ROOT/build/app/lumdrak"
}

cmd_test() {
    local dir=$ROOT/build opts=("${DEFAULT_OPTIONS[@]}")
    if [ "${1:-}" = "--sanitize" ]; then
        need_packages "${BASE_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
        dir=$ROOT/build-asan
        opts=(-DLUMDRAK_SANITIZE=ON -DLUMDRAK_BUILD_APP=ON -DLUMDRAK_BUILD_TESTS=ON -DCMAKE_BUILD_TYPE=Debug)
        export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
        export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    elif [ -n "${1:-}" ]; then
        die "unknown option to test: $1"
    else
        need_packages "${BASE_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    fi
    build "$dir" "${opts[@]}"
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" --output-on-failure -j "$(jobs)"
}

FUZZ_TARGETS=(evaluate console paste transcript history creader cblock)

# The clang to fuzz with, found at run time: the unversioned clang++ (a distribution's default
# LLVM), else the newest clang++-N on the PATH. Sets CLANGXX and CLANG_MAJOR.
find_clang() {
    CLANGXX=$(command -v clang++ ||
              compgen -c clang++- | grep -E '^clang\+\+-[0-9]+$' | sort -t- -k2 -n | tail -n 1 || true)
    [ -n "$CLANGXX" ] || { CLANGXX=clang++; CLANG_MAJOR=; return 0; } # CMake says what is missing
    CLANG_MAJOR=$("$CLANGXX" -dumpversion | cut -d. -f1)
}

# An LLVM tool of clang's own release: NAME-N where that is installed, else NAME.
llvm_tool() {
    if [ -n "$CLANG_MAJOR" ] && command -v "$1-$CLANG_MAJOR" >/dev/null; then
        echo "$1-$CLANG_MAJOR"
    elif command -v "$1" >/dev/null; then
        echo "$1"
    else
        die "$1 (LLVM ${CLANG_MAJOR:-?}) is not installed"
    fi
}

# build_fuzz DIR [cmake options...]: the fuzz targets only; the libraries they link are
# instrumented in place, which the other programs could not link.
build_fuzz() {
    local dir=$1; shift
    need_packages "${BASE_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
    find_clang
    CXX=$CLANGXX build "$dir" -DLUMDRAK_BUILD_FUZZ=ON -DLUMDRAK_BUILD_TESTS=OFF -DLUMDRAK_BUILD_APP=OFF \
        -DCMAKE_CXX_COMPILER="$CLANGXX" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" \
        -- "${FUZZ_TARGETS[@]/%/_fuzz}"
}

# Each target starts from its seeds in fuzz/seeds/ with the token dictionary, so a run with a
# count is the same run every time. Any sanitizer report or broken check fails it.
cmd_fuzz() {
    local limit
    case "${1:-300000}" in
        --time) [[ "${2:-}" =~ ^[0-9]+$ ]] || die "fuzz --time needs seconds"; limit=-max_total_time=$2 ;;
        *) [[ "${1:-300000}" =~ ^[0-9]+$ ]] || die "fuzz takes a run count or --time SECONDS"
           limit=-runs=${1:-300000} ;;
    esac
    local dir=$ROOT/build-fuzz target max_len dict fixed=()
    build_fuzz "$dir"
    export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    # The compare tracing feeds pointer values to the mutations, so the same run needs the
    # same addresses: no address randomisation where the system lets us turn it off. Nor is
    # the corpus re-read on a timer (-reload=0).
    setarch "$(uname -m)" -R true 2>/dev/null && fixed=(setarch "$(uname -m)" -R)
    for target in "${FUZZ_TARGETS[@]}"; do
        echo "== fuzzing ${target}_fuzz ($limit)"
        rm -rf "$dir/corpus/$target"
        mkdir -p "$dir/corpus/$target" "$dir/artifacts"
        max_len=256
        case $target in
            console) max_len=1024 ;; # the steps and a text of a few lines
            history) max_len=4096 ;; # enough lines to pass the history's bound
            cblock) max_len=1024 ;;  # blocks of a few definitions and their uses
        esac
        dict=$ROOT/fuzz/$target.dict
        [ -f "$dict" ] || dict=$ROOT/fuzz/lumdrak.dict
        "${fixed[@]}" "$dir/fuzz/${target}_fuzz" -seed=1 "$limit" -reload=0 -max_len=$max_len \
            -timeout=10 -dict="$dict" -artifact_prefix="$dir/artifacts/$target-" \
            -print_final_stats=1 "$dir/corpus/$target" "$ROOT/fuzz/seeds/$target"
    done
}

# Replays the corpora of the last fuzz run on a build instrumented for source-based coverage.
cmd_fuzz_coverage() {
    local dir=$ROOT/build-fuzz-coverage target objects=()
    need_packages "${FUZZ_COVERAGE_PACKAGES[@]}"
    build_fuzz "$dir" -DLUMDRAK_FUZZ_COVERAGE=ON
    rm -rf "$dir/profiles"
    mkdir -p "$dir/profiles"
    for target in "${FUZZ_TARGETS[@]}"; do
        [ -d "$ROOT/build-fuzz/corpus/$target" ] || die "no corpus for $target: run ./build.sh fuzz first"
        LLVM_PROFILE_FILE="$dir/profiles/$target.profraw" "$dir/fuzz/${target}_fuzz" -runs=0 \
            "$ROOT/build-fuzz/corpus/$target" "$ROOT/fuzz/seeds/$target" >"$dir/profiles/$target.log" 2>&1 ||
            die "replaying the $target corpus failed: see $dir/profiles/$target.log"
        objects+=(-object "$dir/fuzz/${target}_fuzz")
    done
    "$(llvm_tool llvm-profdata)" merge -sparse "$dir"/profiles/*.profraw -o "$dir/profiles/all.profdata"
    "$(llvm_tool llvm-cov)" report "${objects[@]:1}" -instr-profile="$dir/profiles/all.profdata" \
        "$ROOT/engine" "$ROOT/console" "$ROOT/cli/HistoryFile.cpp" "$ROOT/base" "$ROOT/creader"
}

# Any warning is an error here: nothing else builds at the optimisation the benchmarks run at,
# where GCC finds more. --build only builds them, as CI does so that they never rot unseen.
cmd_bench() {
    need_packages "${BASE_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
    build "$ROOT/build-bench" -DLUMDRAK_BUILD_BENCH=ON -DLUMDRAK_BUILD_TESTS=OFF \
        -DLUMDRAK_BUILD_APP=ON -DLUMDRAK_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
    [ "${1:-}" = "--build" ] && return 0
    "$ROOT/build-bench/bench/engine_bench"
    "$ROOT/build-bench/bench/console_bench"
    "$ROOT/build-bench/bench/creader_bench"
    "$ROOT/build-bench/bench/search_bench"
    "$ROOT/build-bench/bench/window_bench"
    "$ROOT/bench/startup.sh" "$ROOT/build-bench"
    ZOOM=200 "$ROOT/bench/startup.sh" "$ROOT/build-bench"
    "$ROOT/bench/eval_startup.sh" "$ROOT/build-bench"
    return 0
}

# Formats every tracked C and C++ file as .clang-format says; --check changes nothing and fails
# on any file that would change.
cmd_format() {
    local mode=(-i)
    case "${1:-}" in
        --check) mode=(--dry-run -Werror) ;;
        "") ;;
        *) die "unknown option to format: $1" ;;
    esac
    need_packages "${FORMAT_PACKAGES[@]}"
    git -C "$ROOT" ls-files -z '*.c' '*.cpp' '*.h' | xargs -0 clang-format "${mode[@]}"
}

cmd_screenshots() {
    need_packages "${BASE_PACKAGES[@]}"
    build "$ROOT/build" "${DEFAULT_OPTIONS[@]}"
    QT_QPA_PLATFORM=offscreen "$ROOT/build/app/lumdrak-screenshot" "$ROOT/docs"
}

# dpkg-buildpackage builds inside the source tree and writes the .deb next to it, so it works
# on a copy in build-package/ and the .deb lands there too. The tests are ./build.sh test's
# business: unless DEB_BUILD_OPTIONS says otherwise, the package is built with nocheck.
cmd_package() {
    local check=
    case "${1:-}" in
        --check) check=1 ;;
        "") ;;
        *) die "unknown option to package: $1" ;;
    esac
    if [ -n "$check" ]; then
        need_packages "${BASE_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}" "${PACKAGE_CHECK_PACKAGES[@]}"
    else
        need_packages "${BASE_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"
    fi
    local out=$ROOT/build-package
    rm -rf "$out"
    mkdir -p "$out/lumdrak"
    # Only what git tracks (as it stands in the work tree) reaches the package's source: never
    # a build folder, a core dump or any other file lying about.
    git -C "$ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1 ||
        die "package builds from a git checkout: it takes the tracked files only"
    (cd "$ROOT" && git ls-files -z | while IFS= read -r -d '' file; do
        if [ -e "$file" ]; then printf '%s\0' "$file"; fi # not a deletion yet to be committed
    done | tar --null --no-recursion -T - -cf -) | tar -C "$out/lumdrak" -xf -
    export DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS-nocheck}
    local profiles=()
    case " $DEB_BUILD_OPTIONS " in *" nocheck "*) profiles=(-Pnocheck) ;; esac
    (cd "$out/lumdrak" && dpkg-buildpackage -b -us -uc "${profiles[@]}")
    local deb
    deb=$out/lumdrak_$(cd "$out/lumdrak" && dpkg-parsechangelog -S Version)_$(dpkg --print-architecture).deb
    echo "build.sh: built $deb"
    if [ -n "$check" ]; then
        "$ROOT/.ci/check-package" "$deb"
    fi
}

case "${1:-}" in
    run) shift; cmd_run "$@" ;;
    test) shift; cmd_test "$@" ;;
    fuzz) shift; cmd_fuzz "$@" ;;
    fuzz-coverage) shift; cmd_fuzz_coverage "$@" ;;
    bench) shift; cmd_bench "$@" ;;
    screenshots) shift; cmd_screenshots "$@" ;;
    format) shift; cmd_format "$@" ;;
    package) shift; cmd_package "$@" ;;
    *) echo "usage: ./build.sh run | test [--sanitize] | fuzz [RUNS | --time SECONDS] |" \
            "fuzz-coverage | bench | screenshots | format [--check] | package [--check]" >&2; exit 2 ;;
esac

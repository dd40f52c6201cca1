#!/usr/bin/env bash
# Lumdrak's one entry point for building, running and testing.
#
#   ./build.sh run               build and start the calculator
#   ./build.sh test              build and run every test through CTest
#   ./build.sh test --sanitize   the same with AddressSanitizer + UndefinedBehaviorSanitizer
#   ./build.sh fuzz [RUNS]       build the libFuzzer target with clang and run it (seed 1)
#   ./build.sh bench             build and run the benchmarks (never part of the tests)
#   ./build.sh screenshots       write docs/screenshot.png and docs/info.png (offscreen)
#   ./build.sh package [--check] build build-package/lumdrak_<version>_<arch>.deb with
#                                debhelper; --check then tests the package's files and lintian
#
# Run as root on a fresh Debian 12 machine, each command installs the packages it lacks;
# as another user it prints the apt-get line to run and stops.
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD

BASE_PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libsqlite3-dev
               libedit-dev qt6-base-dev libgl-dev fonts-dejavu-core mandoc groff-base)
# The window's face must win even where fontconfig would offer another for "Courier".
TEST_PACKAGES=(fonts-urw-base35)
SANITIZE_PACKAGES=(libclang-rt-14-dev)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
BENCH_PACKAGES=(libbenchmark-dev libmuparser-dev hyperfine bc xvfb xauth x11-utils)
PACKAGE_PACKAGES=(build-essential debhelper dpkg-dev librsvg2-bin)
PACKAGE_CHECK_PACKAGES=(lintian desktop-file-utils appstream man-db)
DEFAULT_OPTIONS=(-DLUMDRAK_SANITIZE=OFF -DLUMDRAK_BUILD_APP=ON -DLUMDRAK_BUILD_TESTS=ON
                 -DCMAKE_BUILD_TYPE=RelWithDebInfo)

die() { echo "build.sh: $*" >&2; exit 2; }

# Installs what is missing, or says exactly how to.
need_packages() {
    local missing=() p
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

# build DIR [cmake options...]: configures DIR with Ninja when it is new or its options
# changed, then builds whatever is out of date.
build() {
    local dir=$1; shift
    local options="$*"
    if [ ! -f "$dir/build.ninja" ] || [ "$(cat "$dir/.lumdrak-options" 2>/dev/null)" != "$options" ]; then
        cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >/dev/null
        echo "$options" > "$dir/.lumdrak-options"
    fi
    cmake --build "$dir"
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
        need_packages "${BASE_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${SANITIZE_PACKAGES[@]}"
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

cmd_fuzz() {
    local runs=${1:-300000}
    need_packages "${BASE_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
    CXX=clang++ build "$ROOT/build-fuzz" -DLUMDRAK_BUILD_FUZZ=ON -DLUMDRAK_BUILD_TESTS=OFF \
        -DLUMDRAK_BUILD_APP=OFF -DCMAKE_CXX_COMPILER=clang++
    mkdir -p "$ROOT/build-fuzz/corpus"
    "$ROOT/build-fuzz/fuzz/evaluate_fuzz" -seed=1 -runs="$runs" -max_len=256 \
        "$ROOT/build-fuzz/corpus" "$ROOT/fuzz/seeds"
}

cmd_bench() {
    need_packages "${BASE_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
    build "$ROOT/build-bench" -DLUMDRAK_BUILD_BENCH=ON -DLUMDRAK_BUILD_TESTS=OFF \
        -DLUMDRAK_BUILD_APP=ON -DLUMDRAK_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release
    "$ROOT/build-bench/bench/engine_bench"
    "$ROOT/build-bench/bench/console_bench"
    "$ROOT/build-bench/bench/window_bench"
    "$ROOT/bench/startup.sh" "$ROOT/build-bench"
    ZOOM=200 "$ROOT/bench/startup.sh" "$ROOT/build-bench"
    "$ROOT/bench/eval_startup.sh" "$ROOT/build-bench"
    return 0
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
    tar -C "$ROOT" --exclude=./.git --exclude=./build --exclude='./build-*' \
        --exclude=./fuzz-corpus --exclude='*.swp' -cf - . | tar -C "$out/lumdrak" -xf -
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
    bench) shift; cmd_bench "$@" ;;
    screenshots) shift; cmd_screenshots "$@" ;;
    package) shift; cmd_package "$@" ;;
    *) echo "usage: ./build.sh run | test [--sanitize] | fuzz [RUNS] | bench | screenshots" \
            "| package [--check]" >&2; exit 2 ;;
esac

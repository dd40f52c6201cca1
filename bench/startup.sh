#!/usr/bin/env bash
# Start-up cost of lumdrak against a bare Qt 6 dialog built the same way (minimal_dialog):
# the time from starting the process until its window is mapped, and the peak resident
# memory (VmHWM) once the window has painted. lumdrak runs twice over: with a console kept
# from no earlier run, and restoring the largest transcript it keeps (10,000 lines, just
# under 1 MiB). All three run in turn, RUNS times each (20 by default), in one virtual X
# server; the medians are reported. ZOOM (100 by default) is the zoom lumdrak starts at.
#
#   bench/startup.sh BUILD_DIR     (BUILD_DIR holds app/lumdrak, bench/minimal_dialog,
#                                   bench/seed_zoom and bench/store_transcript)
set -euo pipefail

build=${1:?usage: bench/startup.sh BUILD_DIR}
runs=${RUNS:-20}
zoom=${ZOOM:-100}
lumdrak=$build/app/lumdrak
floor=$build/bench/minimal_dialog
seed=$build/bench/seed_zoom
store=$build/bench/store_transcript
for program in "$lumdrak" "$floor" "$seed" "$store"; do
    [ -x "$program" ] || { echo "startup.sh: $program is not built" >&2; exit 2; }
done
for tool in xvfb-run xev stdbuf; do
    command -v "$tool" >/dev/null || { echo "startup.sh: $tool is missing" >&2; exit 2; }
done

if [ -z "${LUMDRAK_STARTUP_INSIDE_XVFB:-}" ]; then
    exec env LUMDRAK_STARTUP_INSIDE_XVFB=1 xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$@"
fi

# Settings hives of their own, written once by the warm-up runs, as on any start but the first;
# the second holds the transcript. A start that changes nothing in the console writes nothing.
config=$(mktemp -d)
kept=$(mktemp -d)
trap 'rm -rf "$config" "$kept"' EXIT
log=$config/stderr.log
kept_bytes=$(XDG_CONFIG_HOME=$kept "$store" | awk '{ print $2 }')
XDG_CONFIG_HOME=$config "$seed" "$zoom"
XDG_CONFIG_HOME=$kept "$seed" "$zoom"

# One xev on the root window reports every top-level window that is mapped: the programs'
# windows are noticed without polling connections that would load the X server.
coproc XEV { exec stdbuf -oL xev -root -event substructure 2>/dev/null; }
sleep 0.5

# Forgets the events of the previous start.
drain_events() {
    local line
    while read -r -t 0.05 -u "${XEV[0]}" line; do :; done
}

# One start with the hive of a folder: prints "milliseconds KiB"; fails when the program ends
# before showing its window.
start_once() {
    local program=$1 start end pid line
    drain_events
    start=$(date +%s%N)
    XDG_CONFIG_HOME=$2 "$program" 2>>"$log" &
    pid=$!
    while :; do
        if ! read -r -t 10 -u "${XEV[0]}" line; then
            kill "$pid" 2>/dev/null
            wait "$pid" 2>/dev/null
            return 1
        fi
        [[ $line == MapNotify* ]] && break
    done
    end=$(date +%s%N)
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.3 # the first paint, which fonts and widgets are loaded for
    local peak
    peak=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo "$(( (end - start) / 1000 ))" "$peak" | awk '{ printf "%.1f %d\n", $1 / 1000, $2 }'
}

measure() {
    start_once "$@" && return 0
    echo "startup.sh: $1 did not show its window:" >&2
    tail -3 "$log" >&2
    exit 1
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

measure "$lumdrak" "$config" >/dev/null
measure "$lumdrak" "$kept" >/dev/null
measure "$floor" "$config" >/dev/null
ours=$(mktemp) full=$(mktemp) base=$(mktemp)
for ((i = 0; i < runs; ++i)); do
    measure "$lumdrak" "$config" >>"$ours"
    measure "$lumdrak" "$kept" >>"$full"
    measure "$floor" "$config" >>"$base"
done

ours_ms=$(cut -d' ' -f1 "$ours" | median)
full_ms=$(cut -d' ' -f1 "$full" | median)
base_ms=$(cut -d' ' -f1 "$base" | median)
ours_kib=$(cut -d' ' -f2 "$ours" | median)
full_kib=$(cut -d' ' -f2 "$full" | median)
base_kib=$(cut -d' ' -f2 "$base" | median)
rm -f "$ours" "$full" "$base"

awk -v om="$ours_ms" -v fm="$full_ms" -v bm="$base_ms" -v ok="$ours_kib" -v fk="$full_kib" \
    -v bk="$base_kib" -v n="$runs" -v kb="$kept_bytes" -v z="$zoom" 'BEGIN {
    printf "start-up at %3d %%, median of %d runs  to window mapped   peak RSS (VmHWM)\n", z, n
    printf "  lumdrak                              %8.1f ms        %8.1f MiB\n", om, ok / 1024
    printf "  lumdrak, 10,000-line transcript      %8.1f ms        %8.1f MiB\n", fm, fk / 1024
    printf "  minimal Qt dialog                    %8.1f ms        %8.1f MiB\n", bm, bk / 1024
    printf "  lumdrak / floor                      %8.2f x         %+8.1f MiB\n", om / bm, (ok - bk) / 1024
    printf "  with the transcript / floor          %8.2f x         %+8.1f MiB\n", fm / bm, (fk - bk) / 1024
    goal = (om <= 1.5 * bm && ok - bk <= 10 * 1024)
    printf "  goal (1.5 x, +10 MiB)                %s\n", goal ? "met" : "NOT met"
    printf "  memory per byte of transcript        %8.1f bytes\n", (fk - ok) * 1024 / kb
    goal = (fm <= 1.5 * bm && fk - bk <= 64 * 1024)
    printf "  with the transcript (1.5 x, +64 MiB) %s\n", goal ? "met" : "NOT met"
}'

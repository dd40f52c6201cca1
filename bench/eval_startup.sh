#!/usr/bin/env bash
# Start-up cost of lumdrak-eval: one expression from the command line against bc in the same
# hyperfine run, then the time to the first prompt on a terminal (eval_prompt).
#
#   bench/eval_startup.sh BUILD_DIR   (BUILD_DIR holds cli/lumdrak-eval and bench/eval_prompt)
#
# Each of ROUNDS hyperfine runs (5) starts lumdrak-eval, bc and `true` RUNS times (500) and
# gives the ratios of the medians; on a machine busy with other work the rounds differ, and the
# spread says by how much. `true`, a dynamically linked program that does nothing, is the
# floor: how much of a start is the machine's own (the goal is at most 1.10 times it).
set -euo pipefail

build=${1:?usage: bench/eval_startup.sh BUILD_DIR}
eval=$build/cli/lumdrak-eval
for program in "$eval" "$build/bench/eval_prompt" "$build/bench/prompt_floor"; do
    [ -x "$program" ] || { echo "eval_startup.sh: $program is not built" >&2; exit 2; }
done
for tool in hyperfine bc true; do
    command -v "$tool" >/dev/null || { echo "eval_startup.sh: $tool is missing" >&2; exit 2; }
done
rounds=${ROUNDS:-5}
runs=${RUNS:-500}
[ "$runs" -ge 300 ] || { echo "eval_startup.sh: RUNS must be at least 300" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '1+2\nquit\n' > "$work/script"

echo "lumdrak-eval 1+2 against bc -q FILE (1+2, quit) and true, median of $runs starts each"
for round in $(seq "$rounds"); do
    # hyperfine's warnings about outliers would bury the figures; its errors still show.
    hyperfine -N --style none --warmup 50 --runs "$runs" --export-csv "$work/round.csv" \
        "$eval 1+2" "bc -q $work/script" "true" 2>"$work/hyperfine.err" ||
        { cat "$work/hyperfine.err" >&2; exit 1; }
    # The rows follow the commands; the fourth column is the median in seconds.
    awk -F, -v round="$round" -v ratios="$work/ratios" -v floor="$work/floor" 'NR > 1 { median[NR - 1] = $4 }
        END {
            printf "  round %d  lumdrak-eval %.3f ms  bc %.3f ms  true %.3f ms" \
                   "  lumdrak-eval/bc %.2f  lumdrak-eval/true %.2f\n", round, median[1] * 1000,
                   median[2] * 1000, median[3] * 1000, median[1] / median[2],
                   median[1] / median[3]
            printf "%.4f\n", median[1] / median[2] >> ratios
            printf "%.4f\n", median[1] / median[3] >> floor
        }' "$work/round.csv"
done
# The median ratio over the rounds and its spread, against a goal: NAME FILE GOAL.
summarise() {
    sort -n "$2" | awk -v name="$1" -v goal="$3" '{ ratio[NR] = $1 }
        END {
            mid = NR % 2 ? ratio[(NR + 1) / 2] : (ratio[NR / 2] + ratio[NR / 2 + 1]) / 2
            printf "  %s over %d rounds: median %.2f, from %.2f to %.2f;" \
                   " goal (at most %.2f) %s\n", name, NR, mid, ratio[1], ratio[NR], goal,
                   mid <= goal ? "met" : "NOT met"
        }'
}
summarise lumdrak-eval/bc "$work/ratios" 0.80
summarise lumdrak-eval/true "$work/floor" 1.10

"$build/bench/eval_prompt" "$eval" "$build/bench/prompt_floor" "${PROMPT_RUNS:-200}"

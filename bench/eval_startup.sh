#!/usr/bin/env bash
# Start-up cost of lumdrak-eval: one expression from the command line against bc in the same
# hyperfine run, then the time to the first prompt on a terminal (eval_prompt).
#
#   bench/eval_startup.sh BUILD_DIR   (BUILD_DIR holds cli/lumdrak-eval and bench/eval_prompt)
set -euo pipefail

build=${1:?usage: bench/eval_startup.sh BUILD_DIR}
eval=$build/cli/lumdrak-eval
for program in "$eval" "$build/bench/eval_prompt" "$build/bench/prompt_floor"; do
    [ -x "$program" ] || { echo "eval_startup.sh: $program is not built" >&2; exit 2; }
done
for tool in hyperfine bc; do
    command -v "$tool" >/dev/null || { echo "eval_startup.sh: $tool is missing" >&2; exit 2; }
done

script=$(mktemp)
trap 'rm -f "$script"' EXIT
printf '1+2\nquit\n' > "$script"
hyperfine -N --warmup 50 --runs "${RUNS:-1000}" "$eval 1+2" "bc -q $script"
"$build/bench/eval_prompt" "$eval" "$build/bench/prompt_floor" "${PROMPT_RUNS:-200}"

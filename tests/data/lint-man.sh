#!/bin/sh
# tests/data/lint-man.sh PAGE: fails on any message from mandoc's lint (style level and up)
# or from groff's warnings, which is what man(1) shows (laid out as man lays it out in an
# 80-column terminal, so that a table too wide for one warns here), and on a page with tables
# that does not ask for tbl on its first line (man renders its tables only where it guesses
# otherwise).
set -u
messages=$({ mandoc -T lint -W style "$1"; groff -man -t -ww -z -Tutf8 -rLL=78n "$1"; } 2>&1)
if grep -q '^\.TS' "$1" && [ "$(head -n 1 "$1")" != "'\\\" t" ]; then
    messages="$messages${messages:+
}$1: has tables but its first line is not '\\\" t"
fi
[ -z "$messages" ] && exit 0
printf '%s\n' "$messages"
exit 1

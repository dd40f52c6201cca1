#!/bin/sh
# tests/data/lint-man.sh PAGE: fails on any message from mandoc's lint (style level and up)
# or from groff's warnings, which is what man(1) shows.
set -u
messages=$({ mandoc -T lint -W style "$1"; groff -man -t -ww -z "$1"; } 2>&1)
[ -z "$messages" ] && exit 0
printf '%s\n' "$messages"
exit 1

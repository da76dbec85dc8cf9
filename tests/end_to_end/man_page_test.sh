#!/usr/bin/env bash
# Checks the manual page: groff renders it without a single warning, it has
# every section a player looks for, and it names no version that could go
# stale.
#
#   tests/end_to_end/man_page_test.sh PAGE
set -euo pipefail
page=$1

warnings=$(groff -man -ww -z "$page" 2>&1)
if [[ -n $warnings ]]; then
  echo "FAIL: groff warns about $page:" >&2
  echo "$warnings" >&2
  exit 1
fi

failed=0
for heading in NAME SYNOPSIS DESCRIPTION OPTIONS KEYS "THE SCREEN" "EXIT STATUS" ENVIRONMENT NOTES; do
  if ! grep -qx "\.SH \"\?$heading\"\?" "$page"; then
    echo "FAIL: no section $heading" >&2
    failed=1
  fi
done
# What the notes and the environment must speak of, as the page writes it.
for text in 'escape\\-time' 'ssh \\-t' '20 columns by 10 rows' 'light background' \
  '^\.B REPORT_BACKTRACE$' '^\.B NO_COLOR$'; do
  if ! grep -qi -- "$text" "$page"; then
    echo "FAIL: nothing matches '$text'" >&2
    failed=1
  fi
done
if grep -nE '[0-9]+\.[0-9]+\.[0-9]+' "$page"; then
  echo "FAIL: a version in the page goes stale; the program's --version says it" >&2
  failed=1
fi
exit $failed

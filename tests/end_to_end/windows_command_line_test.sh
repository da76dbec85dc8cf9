#!/usr/bin/env bash
# Runs rallix.exe under wine with --help, --version and an unknown argument:
# each must print its one text on the right stream with the right status,
# as the program does everywhere else.
#
#   tests/end_to_end/windows_command_line_test.sh RALLIX_EXE VERSION WINE_RUN PREFIX
#
# WINE_RUN PREFIX PROGRAM runs PROGRAM under wine in PREFIX (cmake/wine-run.sh).
set -euo pipefail
exe=$1
version=$2
run=$3
prefix=$(realpath -m "$4")

work=$(mktemp -d)
cleanup() {
  WINEPREFIX=$prefix timeout 60 wineserver -w || true
  rm -rf "$work"
}
trap cleanup EXIT

# check ARGUMENT STATUS STREAM FIRST_LINE: the program's status, the first
# line it wrote on STREAM (out or err), and nothing on the other stream.
check() {
  local status=0 other=err
  if [[ $3 == err ]]; then other=out; fi
  "$run" "$prefix" "$exe" "$1" >"$work/out" 2>"$work/err" || status=$?
  # The console's text mode ends lines with a carriage return too.
  if [[ $status != "$2" || $(head -n 1 "$work/$3" | tr -d '\r') != "$4" || -s $work/$other ]]; then
    echo "FAIL: rallix.exe $1: status $status (expected $2)" >&2
    echo "--- standard output:" >&2
    cat "$work/out" >&2
    echo "--- standard error:" >&2
    cat "$work/err" >&2
    exit 1
  fi
}

check --help 0 out 'Usage: rallix [--help | --version]'
check --version 0 out "rallix $version"
check --bogus 2 err "rallix: unknown argument '--bogus' (try 'rallix --help')"
echo "rallix.exe answered --help, --version and --bogus"

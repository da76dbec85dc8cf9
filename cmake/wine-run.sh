#!/usr/bin/env bash
# Runs a Windows program under wine, in a wine prefix of the build's own:
#
#   cmake/wine-run.sh PREFIX PROGRAM.exe [ARGUMENT...]
#
# The prefix is made on first use (once, even when tests start side by
# side). Wine's debug output and its offers to install Mono and Gecko stay off.
set -euo pipefail
prefix=$(realpath -m "$1")  # wine takes only an absolute prefix
shift
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [[ ! -f $prefix/.made ]]; then
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [[ ! -f $prefix/.made ]]; then
      if ! wineboot -i >"$prefix.log" 2>&1; then
        cat "$prefix.log" >&2
        exit 1
      fi
      touch "$prefix/.made"
    fi
  ) 9>"$prefix.lock"
fi
exec wine "$@"

#!/usr/bin/env bash
# Plays rallix.exe a little under wine, in a tmux pane as a person would: it
# must start, take the paddle keys, pause and resume, and quit on q with
# status 0. Wine's console draws VT output its own way, so the picture is
# not judged, only that a frame shows up.
#
#   tests/end_to_end/windows_smoke_test.sh RALLIX_EXE WINE_RUN PREFIX
#
# WINE_RUN PREFIX PROGRAM runs PROGRAM under wine in PREFIX (cmake/wine-run.sh).
set -euo pipefail
exe=$1
run=$2
prefix=$(realpath -m "$3")

work=$(mktemp -d)
socket=rallix-smoke-$$  # a tmux server of our own
# Wine's server outlives its last program for a moment: waiting for it
# leaves nothing running behind the test.
cleanup() {
  tmux -L "$socket" kill-server 2>/dev/null || true
  WINEPREFIX=$prefix timeout 60 wineserver -w || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  echo "--- the pane:" >&2
  tmux -L "$socket" capture-pane -p 2>/dev/null >&2 || true
  exit 1
}

pane_shows_a_frame() {
  tmux -L "$socket" capture-pane -p 2>/dev/null | grep -q '[─│█]'
}

printf -v game '%q ' "$run" "$prefix" "$exe"
tmux -L "$socket" new-session -d -x 80 -y 24 "$game; echo \$? > $work/status"

# A first run makes the wine prefix, which takes a while.
for ((i = 0; i < 600; i++)); do
  pane_shows_a_frame && break
  [[ -f $work/status ]] && fail "rallix.exe ended before drawing, status $(<"$work/status")"
  sleep 0.1
done
pane_shows_a_frame || fail "no frame within a minute"

# One key at a time: wine takes Esc with a key right behind it for Alt+key.
for key in w s Up Escape Escape q; do
  tmux -L "$socket" send-keys "$key"
  sleep 0.25
done

for ((i = 0; i < 200; i++)); do
  [[ -f $work/status ]] && break
  sleep 0.1
done
[[ -f $work/status ]] || fail "rallix.exe did not quit on q"
status=$(<"$work/status")
[[ $status == 0 ]] || fail "rallix.exe quit with status $status"
echo "rallix.exe started, took w, s, Up, Esc, Esc and quit on q with status 0"

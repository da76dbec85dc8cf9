#!/usr/bin/env bash
# Plays the real program in tmux for a while (120 s by default) with keys
# sent at a person's pace, and prints its resident memory at the start and
# the end, so a leak or a growing queue shows as a figure.
#
#   bench/soak.sh [seconds] [binary]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-120}
binary=${2:-build/rallix}
socket=rallix-soak-$$
dir=$(mktemp -d)
trap 'tmux -L "$socket" kill-server 2>/dev/null || true; rm -rf "$dir"' EXIT

tmux -L "$socket" new-session -d -x 80 -y 24 \
  "sh -c 'echo \$\$ > $dir/pid; exec $binary'; echo \$? > $dir/status; sleep 600"
for _ in $(seq 50); do [[ -s $dir/pid ]] && break; sleep 0.1; done
pid=$(cat "$dir/pid")
rss() { awk '/^VmRSS/ { print $2 " kB" }' "/proc/$pid/status"; }
sleep 1
echo "resident at start: $(rss)"

keys=(w s Up Down k j)
end=$((SECONDS + seconds))
presses=0
while ((SECONDS < end)); do
  tmux -L "$socket" send-keys "${keys[RANDOM % ${#keys[@]}]}"
  presses=$((presses + 1))
  if ((presses % 400 == 0)); then
    tmux -L "$socket" send-keys Escape  # a pause, and on again
    sleep 0.5
    tmux -L "$socket" send-keys Escape
  fi
  sleep 0.05
done

echo "resident at end:   $(rss) after ${seconds} s and $presses keys"
echo "title: $(tmux -L "$socket" capture-pane -p | head -1 | cut -c1-20)"
tmux -L "$socket" send-keys q
for _ in $(seq 50); do [[ -s $dir/status ]] && break; sleep 0.1; done
echo "exit status: $(cat "$dir/status")"

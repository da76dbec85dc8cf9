#!/usr/bin/env bash
# The hosted load benchmark (scripts/bench --ssh N): starts scripts/serve-ssh
# on the loopback address with a throwaway account and state directory and
# room for N players, lets bench/ssh_load connect N real ssh clients and
# play for a fixed time, prints its figures, and removes the server, the
# account and the state directory again, however it ends. Needs root.
#
#   bench/ssh_load.sh PLAYERS
set -euo pipefail
cd "$(dirname "$0")/.."

players=$1
play_seconds=20
[[ $(id -u) -eq 0 ]] || { echo "$0: needs root: it runs sshd and makes an account" >&2; exit 1; }
scripts/install-deps ssh
scripts/install-deps bench

options=(-DRALLIX_BENCH=ON)
[[ -f build/CMakeCache.txt ]] || options+=(-DRALLIX_TESTS=OFF)
cmake -S . -B build -G Ninja "${options[@]}" >/dev/null
cmake --build build -j "$(nproc)" --target rallix rallix-session ssh_load >/dev/null

# A free port above the usual ones, and names no one else uses.
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
user=rallix-load-$$
state_dir=$(mktemp -d /tmp/rallix-load.XXXXXX)
log=$state_dir.log
server=""

clean_up() {
  if [[ -n $server ]]; then
    kill -TERM "$server" 2>/dev/null || true  # in the background it ignores INT
    wait "$server" 2>/dev/null || true
  fi
  if getent passwd "$user" >/dev/null; then
    userdel "$user" 2>/dev/null || true
    getent group "$user" >/dev/null && groupdel "$user" 2>/dev/null || true
  fi
  rm -rf "$state_dir" "$log"
}
trap clean_up EXIT
trap 'exit 130' INT TERM

scripts/serve-ssh --listen 127.0.0.1 --port "$port" --state-dir "$state_dir" --user "$user" \
  --max-players "$players" --max-per-address "$players" --max-minutes 10 >"$log" 2>&1 &
server=$!
for ((tries = 0; tries < 600; tries++)); do
  grep -q "serving Rallix" "$log" && ss -ltnH "sport = :$port" | grep -q . && break
  kill -0 "$server" 2>/dev/null || { cat "$log" >&2; exit 1; }
  sleep 0.1
done
ss -ltnH "sport = :$port" | grep -q . || { cat "$log" >&2; exit 1; }

echo "Machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -1); clients on the same machine"
build/bench/ssh_load --port "$port" --user "$user" --server-pid "$server" --players "$players" \
  --play-seconds "$play_seconds" ${RALLIX_LOAD_CIPHER:+--cipher "$RALLIX_LOAD_CIPHER"}

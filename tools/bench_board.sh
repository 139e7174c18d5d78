#!/usr/bin/env bash
# The world board's benchmark: how fast it reads a board and checks rounds,
# and what 500 slow connections do to a read. Run by hand after a normal
# build (not in CI; about two minutes); it installs wrk, nginx and sqlite3
# when they are missing, and prints one line per figure.
#
#   bash tools/bench_board.sh [BUILD_DIR]
#
# 1. Reads: a board of 10,000 names, written straight into the store (the
#    benchmark fills it with sqlite3, not through the API), read as
#    GET /api/boards/1 by wrk at 64 connections for 10 s; beside it, in the
#    same run, an nginx of its own serving the same JSON bytes as a static
#    file. Requests a second and the 99th percentile of both, and their ratio.
# 2. Checking: eight distinct five-minute rounds (tools/bench_board/long_rounds)
#    sent by 8 clients at once; updates checked a second, from the first
#    request to the last answer, and the checking processes' CPU per thousand
#    updates; beside it, --verify of the same files in one process.
# 3. Slow clients: the time of a board read while 500 connections hang on,
#    sending nothing or a byte a second.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
for program in lantern-vault-board lantern-vault tools/bench_board/long_rounds; do
  [ -x "$build/$program" ] || { echo "bench_board.sh: no $build/$program: build first" >&2; exit 2; }
done
bash tools/install-deps.sh wrk nginx-light sqlite3
command -v node >/dev/null || { echo "bench_board.sh: needs node for its clients" >&2; exit 2; }

work=$(mktemp -d /tmp/lantern-bench-board-XXXXXX)
chmod 755 "$work"
pids=()
finish() {
  if [ ${#pids[@]} -gt 0 ]; then kill "${pids[@]}" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap finish EXIT

free_port() { node -e 'const s=require("net").createServer().listen(0,"127.0.0.1",()=>{console.log(s.address().port);s.close()})'; }

# Starts the board on a free port; sets board_url and board_pid.
start_board() {
  local port
  port=$(free_port)
  "$build/lantern-vault-board" --data "$work/data" --listen "127.0.0.1:$port" --rate-limit 1000000000 "$@" \
    >"$work/board.out" 2>"$work/board.err" &
  board_pid=$!
  pids+=("$board_pid")
  board_url="http://127.0.0.1:$port"
  for _ in $(seq 200); do
    grep -q listening "$work/board.out" 2>/dev/null && return 0
    sleep 0.05
  done
  cat "$work/board.err" >&2
  exit 1
}
stop_board() { kill "$board_pid"; wait "$board_pid" || true; }

# "requests/s p99-ms" of wrk at 64 connections for 10 s on URL.
wrk_figures() {
  wrk -t2 -c64 -d10s --latency "$1" >"$work/wrk.txt"
  local rps p99
  rps=$(awk '/^Requests\/sec:/ {print $2}' "$work/wrk.txt")
  p99=$(awk '$1 == "99%" {v=$2; if (v ~ /us$/) {sub(/us/, "", v); v/=1000} else if (v ~ /ms$/) {sub(/ms/, "", v)} else if (v ~ /s$/) {sub(/s/, "", v); v*=1000}; print v}' "$work/wrk.txt")
  echo "$rps $p99"
}

echo "== the world board's benchmark ($(nproc) cores, load average $(cut -d' ' -f1 /proc/loadavg))"

# --- Reads -------------------------------------------------------------------
start_board --verifiers 1
stop_board
{
  echo "BEGIN;"
  for i in $(seq 1 10000); do
    printf "INSERT INTO names VALUES('player%05d', 'Player%05d', 'bench', 0);\n" "$i" "$i"
    printf "INSERT INTO rounds(round_key, folded, name, variant, seed, claimed_score, claimed_updates, status, score, updates, submitted_at, replay) VALUES('bench%d', 'player%05d', 'Player%05d', 1, %d, %d, %d, 'accepted', %d, %d, %d, zeroblob(16));\n" \
      "$i" "$i" "$i" "$i" $((i * 7 % 5000)) $((3000 + i % 15000)) $((i * 7 % 5000)) $((3000 + i % 15000)) $((1765000000 + i))
  done
  echo "COMMIT;"
} | sqlite3 "$work/data/board.sqlite"
start_board --verifiers 1
mkdir -p "$work/static"
curl -sf "$board_url/api/boards/1" >"$work/static/board-1.json"
chmod -R a+rX "$work/static"
nginx_port=$(free_port)
mkdir -p "$work/nginx/logs"
cat >"$work/nginx/nginx.conf" <<EOF
worker_processes $(nproc);
pid $work/nginx/nginx.pid;
error_log $work/nginx/logs/error.log;
events { worker_connections 1024; }
http {
  access_log off;
  types { application/json json; }
  server {
    listen 127.0.0.1:$nginx_port;
    root $work/static;
  }
}
EOF
nginx -p "$work/nginx" -c "$work/nginx/nginx.conf"
pids+=("$(cat "$work/nginx/nginx.pid")")
read -r board_rps board_p99 < <(wrk_figures "$board_url/api/boards/1")
read -r nginx_rps nginx_p99 < <(wrk_figures "http://127.0.0.1:$nginx_port/board-1.json")
kill "$(cat "$work/nginx/nginx.pid")"
printf 'board reads (10000 names, 64 connections): %.0f requests/s, p99 %.2f ms; nginx, the same bytes: %.0f requests/s, p99 %.2f ms; ratio %.2f (goal: at least 0.5, p99 under 20 ms)\n' \
  "$board_rps" "$board_p99" "$nginx_rps" "$nginx_p99" "$(awk -v a="$board_rps" -v b="$nginx_rps" 'BEGIN {print a / b}')"

# --- Slow clients --------------------------------------------------------------
node - "$board_url" <<'EOF'
const net = require('net');
const url = new URL(process.argv[2]);
const sockets = [];
for (let i = 0; i < 500; ++i) {
  const s = net.connect(Number(url.port), url.hostname);
  s.on('error', () => {});
  sockets.push(s);
}
// Half of them send a byte a second, the rest nothing.
const bytes = 'GET /api/boards/1 HTTP/1.1\r\n';
let at = 0;
const drip = setInterval(() => { for (let i = 0; i < 250; ++i) sockets[i].write(bytes[at % bytes.length]); ++at; }, 1000);
setTimeout(async () => {
  const times = [];
  for (let i = 0; i < 20; ++i) {
    const t = process.hrtime.bigint();
    await (await fetch(url.href + 'api/boards/1')).text();
    times.push(Number(process.hrtime.bigint() - t) / 1e6);
  }
  times.sort((a, b) => a - b);
  console.log(`a board read beside 500 slow connections: median ${times[10].toFixed(2)} ms, slowest of 20 ${times[19].toFixed(2)} ms`);
  clearInterval(drip);
  for (const s of sockets) s.destroy();
}, 3000);
EOF
stop_board

# --- Checking ------------------------------------------------------------------
"$build/tools/bench_board/long_rounds" "$work/rounds" 8 18000 >"$work/rounds.txt" 2>/dev/null
updates=$(awk '{s += $2} END {print s}' "$work/rounds.txt")
mkdir -p "$work/verify"
ln -s "$build/data" "$work/verify/data"
TIMEFORMAT='%U %S'
verify_cpu=$( { time (cd "$work/verify" && ALSOFT_DRIVERS=null "$build/lantern-vault" --verify "$work"/rounds/*.replay >/dev/null 2>&1); } 2>&1 | tail -1 | awk '{print $1 + $2}')
rm -rf "$work/data"
start_board
sleep 0.5
# The checking processes' CPU, from their own counters (they start with the first round).
cpu_of() { for p in $(pgrep -P "$board_pid"); do awk '{print $14 + $15}' "/proc/$p/stat"; done | awk -v hz="$(getconf CLK_TCK)" '{s += $1} END {print s / hz}'; }
before=$(cpu_of)
node - "$board_url" "$work"/rounds/*.replay <<'EOF' >"$work/checked.txt"
const { readFileSync } = require('fs');
const [url, ...files] = process.argv.slice(2);
const started = process.hrtime.bigint();
(async () => {
  const answers = await Promise.all(files.map(async (file, i) => {
    const body = JSON.stringify({ name: `bench${i}`, key: `benchkey${i}`.padEnd(24, 'x'), replay: readFileSync(file).toString('base64url') });
    let a = await (await fetch(url + '/api/rounds', { method: 'POST', body, headers: { 'Content-Type': 'application/json' } })).json();
    while (a.status !== 'accepted' && a.status !== 'refused') {
      await new Promise((r) => setTimeout(r, 20));
      a = await (await fetch(`${url}/api/rounds/${a.id}`)).json();
    }
    return a;
  }));
  const seconds = Number(process.hrtime.bigint() - started) / 1e9;
  const accepted = answers.filter((a) => a.status === 'accepted');
  console.log(`${seconds} ${accepted.reduce((s, a) => s + a.updates, 0)} ${accepted.length}`);
})();
EOF
after=$(cpu_of)
stop_board
read -r seconds checked accepted <"$work/checked.txt"
printf 'checking: %d of 8 five-minute rounds from 8 clients, %d updates in %.2f s: %.0f updates/s (goal: at least 150000); %.2f ms of CPU per 1000 updates\n' \
  "$accepted" "$checked" "$seconds" "$(awk -v u="$checked" -v s="$seconds" 'BEGIN {print u / s}')" \
  "$(awk -v a="$after" -v b="$before" -v u="$checked" 'BEGIN {print (a - b) * 1000000 / u}')"
printf -- '--verify of the same files in one process: %d updates in %.2f s of CPU: %.0f updates/s on one core\n' \
  "$updates" "$verify_cpu" "$(awk -v u="$updates" -v s="$verify_cpu" 'BEGIN {print u / s}')"

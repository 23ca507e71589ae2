#!/usr/bin/env bash
# veskel-serve against nginx serving the same banner as a static file, side by side in one run,
# with wrk on 127.0.0.1 (the three share the machine's cores, as they would on one small server).
#   bench/serve/wrk.sh [BUILD_DIR] [SECONDS] [CONNECTIONS]
# Prints requests per second of nginx, of cached answers (one address again and again) and of
# uncached ones (a different text on every request), each as a share of nginx's; the latency
# percentiles at CONNECTIONS; then the service's memory after MILLION distinct requests
# (MILLION=1000000 by default; 0 skips that part). SERVE_ARGS adds options (--png-level 0).
set -euo pipefail
build=${1:-build/release}
seconds=${2:-10}
connections=${3:-64}
million=${MILLION:-1000000}
serve=$build/serve/veskel-serve
render=$build/cli/veskel-render
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
read -r nginx_port serve_port < <(python3 -c '
import socket
s = [socket.socket() for _ in range(2)]
for x in s: x.bind(("127.0.0.1", 0))
print(*[x.getsockname()[1] for x in s])')

mkdir -p "$work/designs" "$work/www"
chmod 755 "$work"  # nginx's workers read the banner as an unprivileged user
"$render" --set Pattern=3 --save-project "$work/designs/demo.vzk"
"$render" --project "$work/designs/demo.vzk" --text Hello --reset-position -o "$work/www/banner.png"

cat > "$work/nginx.conf" <<CONF
worker_processes 2;
daemon off;
pid $work/nginx.pid;
error_log $work/nginx-error.log;
events { worker_connections 4096; }
http {
  access_log off;
  client_body_temp_path $work/tmp; proxy_temp_path $work/tmp; fastcgi_temp_path $work/tmp;
  uwsgi_temp_path $work/tmp; scgi_temp_path $work/tmp;
  types { image/png png; }
  etag on;
  server { listen 127.0.0.1:$nginx_port; root $work/www; keepalive_requests 1000000; }
}
CONF
mkdir -p "$work/tmp"
nginx -p "$work" -c "$work/nginx.conf" & pids+=($!)
"$serve" --designs "$work/designs" --listen "127.0.0.1:$serve_port" --no-access-log --cache-mb 32 ${SERVE_ARGS:-} \
  2>"$work/serve.log" & pids+=($!)
serve_pid=$!
for _ in $(seq 100); do
  curl -sf "http://127.0.0.1:$serve_port/readyz" >/dev/null && curl -sf "http://127.0.0.1:$nginx_port/banner.png" >/dev/null && break
  sleep 0.1
done

# A different text on every request: each wrk thread numbers its own.
cat > "$work/uncached.lua" <<'LUA'
local threads = 0
function setup(thread) threads = threads + 1; thread:set("id", threads) end
function init() n = 0 end
function request()
  n = n + 1
  return wrk.format("GET", "/v1/demo.png?Text=t" .. id .. "n" .. n)
end
LUA

run() {  # name url [script]
  local out
  out=$(wrk -t2 -c"$connections" -d"${seconds}s" --latency ${3:+-s "$3"} "$2")
  local rps p50 p99 errors
  rps=$(awk '/^Requests\/sec/ {print $2}' <<<"$out")
  p50=$(awk '$1=="50%" {print $2}' <<<"$out")
  p99=$(awk '$1=="99%" {print $2}' <<<"$out")
  errors=$(grep -E "Non-2xx|Socket errors" <<<"$out" | tr -s ' ' | paste -sd';' || true)
  echo "$1 $rps $p50 $p99 ${errors:-no errors}"
}
nginx_line=$(run nginx "http://127.0.0.1:$nginx_port/banner.png")
cached_line=$(run cached "http://127.0.0.1:$serve_port/v1/demo.png?Text=Hello")
uncached_line=$(run uncached "http://127.0.0.1:$serve_port/" "$work/uncached.lua")
nginx_rps=$(awk '{print $2}' <<<"$nginx_line")
printf '%-9s %12s %8s %9s %9s  %s\n' "" "requests/s" "share" "p50" "p99" "errors"
for line in "$nginx_line" "$cached_line" "$uncached_line"; do
  read -r name rps p50 p99 errors <<<"$line"
  printf '%-9s %12s %8.2f %9s %9s  %s\n' "$name" "$rps" "$(echo "$rps / $nginx_rps" | bc -l)" "$p50" "$p99" "$errors"
done
echo "goals: cached >= 0.80, uncached >= 0.30 of nginx; p99 <= 10 ms at $connections connections"

if [ "$million" -gt 0 ]; then
  # Distinct requests until MILLION have been answered, then the peak and the current memory.
  before=$(curl -s "http://127.0.0.1:$serve_port/metrics" | awk '/^veskel_cache_misses_total/ {print $2}')
  while :; do
    misses=$(curl -s "http://127.0.0.1:$serve_port/metrics" | awk '/^veskel_cache_misses_total/ {print $2}')
    [ $((misses - before)) -ge "$million" ] && break
    wrk -t2 -c"$connections" -d30s -s "$work/uncached.lua" "http://127.0.0.1:$serve_port/" >/dev/null
    sed -i "s/Text=[a-z0-9]*\" .. id/Text=r$RANDOM$RANDOM\" .. id/" "$work/uncached.lua"  # new texts each round
  done
  echo "after $((misses - before)) distinct requests: $(grep -E 'VmRSS|VmHWM' /proc/$serve_pid/status | tr -s ' \t' ' ' | paste -sd' ')" \
       "(goal: RSS <= 64 MB); cache $(curl -s "http://127.0.0.1:$serve_port/metrics" | awk '/^veskel_cache_bytes/ {print $2}') bytes"
fi

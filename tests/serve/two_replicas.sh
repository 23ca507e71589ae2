#!/usr/bin/env bash
# Two veskel-serve replicas behind HAProxy with the shipped configuration, all on 127.0.0.1. A
# bounded load run (400 requests, distinct texts, four clients) kills one replica with SIGKILL a
# quarter of the way in: every request must still be answered with the banner.
#   two_replicas.sh VESKEL_SERVE VESKEL_RENDER CONFIG
set -euo pipefail
serve=$1 render=$2 config=$3
command -v haproxy >/dev/null || { echo "haproxy is not installed"; exit 77; }
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/designs"
"$render" --set Pattern=3 --save-project "$work/designs/demo.vzk"

# Three free ports on the loopback address. Another program may take one between the choice and
# the start (the tests' clients use the same range), so the start is tried again with new ones.
start() {
  read -r front one two < <(python3 -c '
import socket
s = [socket.socket() for _ in range(3)]
for x in s: x.bind(("127.0.0.1", 0))
print(*[x.getsockname()[1] for x in s])')
  sed -e "s/127.0.0.1:8080/127.0.0.1:$front/" -e "s/127.0.0.1:8081/127.0.0.1:$one/" \
      -e "s/127.0.0.1:8082/127.0.0.1:$two/" "$config" > "$work/haproxy.cfg"
  "$serve" --designs "$work/designs" --listen "127.0.0.1:$one" --no-access-log 2>"$work/one.log" & pids+=($!)
  victim=$!
  "$serve" --designs "$work/designs" --listen "127.0.0.1:$two" --no-access-log 2>"$work/two.log" & pids+=($!)
  haproxy -db -f "$work/haproxy.cfg" 2>"$work/haproxy.log" & pids+=($!)
  for _ in $(seq 50); do
    if curl -sf "http://127.0.0.1:$one/readyz" >/dev/null && curl -sf "http://127.0.0.1:$two/readyz" >/dev/null &&
       curl -s -o /dev/null "http://127.0.0.1:$front/readyz"; then
      return 0
    fi
    sleep 0.1
  done
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  pids=()
  return 1
}
for attempt in 1 2 3; do start && break; [ "$attempt" = 3 ] && { cat "$work"/*.log; exit 1; }; done

python3 - "$front" "$victim" <<'PY'
import http.client, os, signal, sys, threading, time
port, victim = int(sys.argv[1]), int(sys.argv[2])
deadline = time.time() + 10
# Both replicas up behind the balancer (its checks run every half second).
while time.time() < deadline:
    try:
        c = http.client.HTTPConnection("127.0.0.1", port, timeout=2)
        c.request("GET", "/readyz")
        if c.getresponse().status == 200:
            break
    except OSError:
        pass
    time.sleep(0.1)
time.sleep(1.5)
total, lock = 400, threading.Lock()
state = {"next": 0, "done": 0, "killed": False, "after": 0}
failures = []
def client():
    c = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
    end = time.time() + 40
    while time.time() < end:
        with lock:
            i = state["next"]
            state["next"] += 1
        if i >= total:
            return
        try:
            c.request("GET", "/v1/demo.png?Text=n%d" % i)
            r = c.getresponse()
            body = r.read()
            if r.status != 200 or not body.startswith(b"\x89PNG"):
                failures.append("%d: %d %r" % (i, r.status, body[:80]))
        except Exception as e:
            failures.append("%d: %r" % (i, e))
            c = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
        with lock:
            state["done"] += 1
            if state["killed"]:
                state["after"] += 1
            if state["done"] == total // 4 and not state["killed"]:
                os.kill(victim, signal.SIGKILL)
                state["killed"] = True
threads = [threading.Thread(target=client) for _ in range(4)]
for t in threads: t.start()
for t in threads: t.join()
print("answered %d, %d after the kill, %d failed" % (state["done"], state["after"], len(failures)))
for f in failures[:10]: print("  " + f)
sys.exit(0 if not failures and state["done"] == total and state["after"] >= total // 2 else 1)
PY

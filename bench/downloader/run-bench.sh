#!/usr/bin/env bash
# Times the real scheduler and workers against curl --parallel on the same files served by a
# private nginx on loopback: 500 pictures of 200 KB and 2000 of 20 KB, with 3 and 10 workers.
#
#   bench/downloader/run-bench.sh [build folder] [rounds]
#
# VEXILO_BENCH_BEFORE=<another build folder> times that build's benchmark too, in the same
# rounds, for a table of before and after.
#
# The pictures are written to memory (/dev/shm) unless VEXILO_BENCH_OUTPUT names another
# folder: on a disk, creating thousands of files right after deleting thousands more (as each
# round does) can cost the file system more than the downloads themselves (ext4 without a
# journal scans its recently freed inodes at every create), which buries both programs'
# figures in the disk's.
set -euo pipefail

build=${1:-build}
rounds=${2:-5}
bench=$(realpath "$build/bench/downloader/downloader_bench")
before=""
[ -n "${VEXILO_BENCH_BEFORE:-}" ] && before=$(realpath "$VEXILO_BENCH_BEFORE/bench/downloader/downloader_bench")
work=$(mktemp -d /tmp/vexilo-bench-XXXXXX)
chmod 755 "$work"
output_root=${VEXILO_BENCH_OUTPUT:-/dev/shm}
[ -d "$output_root" ] && [ -w "$output_root" ] || output_root=$work
out=$(mktemp -d "$output_root/vexilo-bench-out-XXXXXX")
nginx_pid=""

cleanup() {
  if [ -n "$nginx_pid" ]; then
    kill "$nginx_pid" 2>/dev/null || true
    wait "$nginx_pid" 2>/dev/null || true
  fi
  rm -rf "$work" "$out"
}
trap cleanup EXIT

make_files() {  # name count size
  mkdir -p "$work/www/$1"
  head -c $(($2 * $3)) /dev/urandom |
    split -b "$3" -a 4 -d --additional-suffix=.jpg - "$work/www/$1/p"
}
make_files big 500 204800
make_files small 2000 20480
chmod -R a+rX "$work/www"

# A loopback port nothing answers on.
port=""
while [ -z "$port" ]; do
  candidate=$((20000 + RANDOM % 30000))
  (: < "/dev/tcp/127.0.0.1/$candidate") 2>/dev/null || port=$candidate
done
mkdir -p "$work/nginx/logs"
cat > "$work/nginx/nginx.conf" <<CONF
daemon off;
worker_processes 2;
pid $work/nginx/nginx.pid;
error_log $work/nginx/logs/error.log;
events { worker_connections 2048; }
http {
  access_log off;
  sendfile on;
  tcp_nopush on;
  keepalive_requests 100000;
  client_body_temp_path $work/nginx/body;
  proxy_temp_path $work/nginx/proxy;
  fastcgi_temp_path $work/nginx/fastcgi;
  uwsgi_temp_path $work/nginx/uwsgi;
  scgi_temp_path $work/nginx/scgi;
  server {
    listen 127.0.0.1:$port;
    root $work/www;
  }
}
CONF
nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" -e "$work/nginx/logs/error.log" &
nginx_pid=$!
for _ in $(seq 100); do
  curl -s -o /dev/null "http://127.0.0.1:$port/big/p0000.jpg" && break
  sleep 0.05
done

for set in big small; do
  : > "$work/$set.urls"
  : > "$work/$set.curl"
  for f in "$work/www/$set"/*.jpg; do
    name=$(basename "$f")
    echo "http://127.0.0.1:$port/$set/$name" >> "$work/$set.urls"
    printf 'url = "http://127.0.0.1:%s/%s/%s"\noutput = "%s"\n' \
      "$port" "$set" "$name" "$out/$name" >> "$work/$set.curl"
  done
done

now() { date +%s.%N; }
best() { sort -n | head -1; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", b - a }'; }

# Each program's start-up alone, best of 20: Vexilo's includes starting the Qt runtime, which
# the real program pays once, not once per download run. "net" compares the times without it.
startup() {
  local best=""
  for _ in $(seq 20); do
    local t0 t1
    t0=$(now)
    "$@" > /dev/null 2>&1 || true
    t1=$(now)
    best=$(printf '%s\n' $best "$(seconds "$t0" "$t1")" | best)
  done
  echo "$best"
}
: > "$work/none.urls"
mkdir -p "$out"
curl_start=$(startup curl -s -K /dev/null)
ours_start=$(startup "$bench" "$work/none.urls" "$out" 3)
printf 'start-up alone: curl %.1f ms, vexilo %.1f ms\n' \
  "$(awk -v s="$curl_start" 'BEGIN { print s * 1000 }')" \
  "$(awk -v s="$ours_start" 'BEGIN { print s * 1000 }')"

printf '%-14s %-9s %8s %9s %9s %7s %7s' "set" "state" "workers" "curl s" "vexilo s" "ratio" "net"
[ -n "$before" ] && printf ' %9s %7s' "before s" "ratio"
printf '\n'
# crawling: the crawl still runs while the queue is fetched; draining: the crawl has ended and
# counti.dat is written after every hand-out.
for set in big small; do
  count=$(wc -l < "$work/$set.urls")
  for state in crawling draining; do
  for workers in 3 10; do
    curl_times=() ours_times=() before_times=()
    run_curl() {
      rm -rf "$out" && mkdir "$out"
      local t0 t1
      t0=$(now)
      curl -s -S --fail --no-progress-meter --parallel --parallel-max "$workers" -K "$work/$set.curl"
      t1=$(now)
      [ "$(ls "$out" | wc -l)" -eq "$count" ] || { echo "curl fetched too few" >&2; exit 1; }
      curl_times+=("$(seconds "$t0" "$t1")")
    }
    time_bench() {  # program
      rm -rf "$out" && mkdir "$out"
      local t0 t1
      t0=$(now)
      "$1" "$work/$set.urls" "$out" "$workers" $([ $state = crawling ] && echo crawling) > /dev/null
      t1=$(now)
      cmp -s "$out/p0000.jpg" "$work/www/$set/p0000.jpg" || { echo "wrong bytes" >&2; exit 1; }
      seconds "$t0" "$t1"
    }
    run_ours() {
      ours_times+=("$(time_bench "$bench")")
      if [ -n "$before" ]; then before_times+=("$(time_bench "$before")"); fi
    }
    # Each goes first every other round: neither always meets the other's leftovers.
    for round in $(seq "$rounds"); do
      if [ $((round % 2)) -eq 1 ]; then run_curl; run_ours; else run_ours; run_curl; fi
    done
    c=$(printf '%s\n' "${curl_times[@]}" | best)
    o=$(printf '%s\n' "${ours_times[@]}" | best)
    label="$count x $([ "$set" = big ] && echo 200 || echo 20) KB"
    printf '%-14s %-9s %8s %9.3f %9.3f %7.2f %7.2f' "$label" "$state" "$workers" "$c" "$o" \
      "$(awk -v o="$o" -v c="$c" 'BEGIN { print o / c }')" \
      "$(awk -v o="$o" -v c="$c" -v so="$ours_start" -v sc="$curl_start" \
        'BEGIN { print (o - so) / (c - sc) }')"
    if [ -n "$before" ]; then
      b=$(printf '%s\n' "${before_times[@]}" | best)
      printf ' %9.3f %7.2f' "$b" "$(awk -v b="$b" -v c="$c" 'BEGIN { print b / c }')"
    fi
    printf '\n'
  done
  done
done
echo "best of $rounds rounds, wall clock of each whole process, pictures written to $output_root;"
echo "ratio = vexilo / curl (below 1 is faster); net = the same without each one's start-up alone"

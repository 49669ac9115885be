#!/usr/bin/env bash
# Crawls a generated 2000-page site served by nginx on loopback, through the real WebEngine
# browser, one page at a time and four at once; then the same site from a server that answers
# every page 100 ms late, as a real site would; and fetches the pages with wget -r for comparison.
#   bench/crawler/run-site-crawl.sh [build folder]     (default: build)
set -euo pipefail

build=${1:-build}
bench="$build/bench/crawler/crawler_site_crawl_bench"
[ -x "$bench" ] || { echo "build $bench first" >&2; exit 1; }

work=$(mktemp -d /tmp/vexilo-site-XXXXXX)
chmod 755 "$work"
nginx_pid=""
silent_pid=""
slow_pid=""
cleanup() {
  [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null || true
  [ -n "$slow_pid" ] && kill "$slow_pid" 2>/dev/null || true
  [ -n "$silent_pid" ] && kill "$silent_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# 1 start page, 39 section pages, 1960 pages below them: 2000 pages in three levels. Every
# page links to its neighbours too, so most links it offers are already gathered.
python3 - "$work/site" <<'PY'
import os, sys
root = sys.argv[1]
sections = 39
per_section = [51 if s < 10 else 50 for s in range(sections)]
filler = "<p>" + "Lorem ipsum dolor sit amet, consectetur adipiscing elit. " * 20 + "</p>"
def page(path, links, pictures):
    full = os.path.join(root, path.lstrip("/"))
    os.makedirs(os.path.dirname(full), exist_ok=True)
    body = "".join(f'<a href="{l}">{l}</a>\n' for l in links)
    body += "".join(f'<img src="{p}" width="640" height="480">\n' for p in pictures)
    with open(full, "w") as f:
        f.write(f"<!DOCTYPE html><html><head><title>{path}</title></head><body>{filler}{body}</body></html>")
page("/index.html", [f"/s{s}/index.html" for s in range(sections)], ["/img/top.jpg"])
for s in range(sections):
    page(f"/s{s}/index.html",
         [f"/s{s}/p{p}.html" for p in range(per_section[s])] + ["/index.html"],
         [f"/img/s{s}.jpg"])
    for p in range(per_section[s]):
        near = [f"/s{s}/p{(p + d) % per_section[s]}.html" for d in (1, 2, 3)]
        page(f"/s{s}/p{p}.html", near + [f"/s{s}/index.html", "/index.html"],
             [f"/img/s{s}p{p}-{i}.jpg" for i in range(3)])
PY
echo "site: $(find "$work/site" -name '*.html' | wc -l) pages, $(du -sh "$work/site" | cut -f1)"

port=$(free_port)
cat > "$work/nginx.conf" <<CONF
worker_processes 1;
pid $work/nginx.pid;
error_log $work/error.log;
daemon off;
events { worker_connections 256; }
http {
  access_log off;
  client_body_temp_path $work/tmp;
  proxy_temp_path $work/tmp;
  fastcgi_temp_path $work/tmp;
  uwsgi_temp_path $work/tmp;
  scgi_temp_path $work/tmp;
  types { text/html html; image/jpeg jpg; }
  server { listen 127.0.0.1:$port; root $work/site; }
}
CONF
mkdir -p "$work/tmp"
/usr/sbin/nginx -c "$work/nginx.conf" -p "$work" &
nginx_pid=$!

# A port that accepts connections and never answers.
silent_port=$(free_port)
python3 -c "
import socket, time
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(('127.0.0.1', $silent_port)); s.listen(16)
time.sleep(3600)" &
silent_pid=$!

# The same site, every answer held back 100 ms on the server's side.
slow_port=$(free_port)
python3 - "$work/site" "$slow_port" <<'PY' &
import functools, http.server, sys, time
class Late(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        time.sleep(0.1)
        super().do_GET()
    def log_message(self, *args):
        pass
server = http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[2])),
                                         functools.partial(Late, directory=sys.argv[1]))
server.daemon_threads = True
server.serve_forever()
PY
slow_pid=$!

for _ in $(seq 50); do curl -fs -o /dev/null "http://127.0.0.1:$port/index.html" && break; sleep 0.1; done
for _ in $(seq 50); do curl -fs -o /dev/null "http://127.0.0.1:$slow_port/index.html" && break; sleep 0.1; done

echo "== Vexilo crawl through WebEngine"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} QTWEBENGINE_DISABLE_SANDBOX=1 \
  "$bench" "http://127.0.0.1:$port/index.html" 2 "http://127.0.0.1:$silent_port/x.html" \
  "http://127.0.0.1:$slow_port/index.html" 2>/dev/null

echo "== wget -r on the same pages"
TIMEFORMAT='wget: %R s wall, %U s user + %S s system CPU'
time wget -q -r -l inf -A html -P "$work/wget" "http://127.0.0.1:$port/index.html" || true
echo "wget: $(find "$work/wget" -name '*.html' | wc -l) pages"

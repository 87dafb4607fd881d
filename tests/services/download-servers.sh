# Sourced by tools/run-tests.sh (and tools/bench): the download server stand-ins.
#   nginx on a free 127.0.0.1 port serving generated packages, answering HEAD
#   with the length, honouring ranges, and redirecting /software/<name> to
#   /<md5>/<name>; /plain/<name> serves the same file without a digest.
#   tests/services/fault_server.py for failures on demand.
# Exports LUMORA_NGINX_PORT, LUMORA_FAULT_PORT, LUMORA_CLOSED_PORT and
# LUMORA_DL_PACKAGES (the host folder of the packages; "<size>.md5" beside each).
# With LUMORA_DL_LIB_ONLY=1 only the functions are defined.
# shellcheck shell=bash

lumora_dl_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
LUMORA_DL_PYTHON=/usr/bin/python3

lumora_dl_free_port() {
  "$LUMORA_DL_PYTHON" -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

lumora_dl_listening() {
  "$LUMORA_DL_PYTHON" -c 'import socket, sys; socket.create_connection(("127.0.0.1", int(sys.argv[1])), 1)' "$1" \
    2>/dev/null
}

# lumora_dl_packages DIR SIZE...: pkg-<size>.bin under DIR/plain and DIR/<md5>.
lumora_dl_packages() {
  local dir=$1 size md5
  shift
  mkdir -p "$dir/plain"
  for size in "$@"; do
    md5=$("$LUMORA_DL_PYTHON" "$lumora_dl_dir/package_bytes.py" "$dir/plain/pkg-$size.bin" "$size") || return 1
    mkdir -p "$dir/$md5"
    ln -f "$dir/plain/pkg-$size.bin" "$dir/$md5/pkg-$size.bin"
    echo "$md5" >"$dir/plain/pkg-$size.md5"
  done
}

# lumora_dl_start_nginx DIR [EXTRA-LOCATION-TEXT]: sets LUMORA_NGINX_PORT.
lumora_dl_start_nginx() {
  local dir=$1 extra=${2:-} port conf f name md5 redirects=""
  port=$(lumora_dl_free_port) || return 1
  conf=$dir/nginx
  mkdir -p "$conf"
  for f in "$dir"/plain/*.md5; do
    [[ -f $f ]] || continue
    name=$(basename "$f" .md5)
    md5=$(cat "$f")
    redirects+="    location = /software/$name { return 302 /$md5/$name.bin; }"$'\n'
  done
  cat >"$conf/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $conf/nginx.pid;
error_log $conf/error.log warn;
events { worker_connections 256; }
http {
  access_log off;
  sendfile on;
  client_body_temp_path $conf/body;
  proxy_temp_path $conf/proxy;
  fastcgi_temp_path $conf/fastcgi;
  uwsgi_temp_path $conf/uwsgi;
  scgi_temp_path $conf/scgi;
  default_type application/octet-stream;
  server {
    listen 127.0.0.1:$port;
    root $dir;
$redirects$extra
  }
}
CONF
  nginx -c "$conf/nginx.conf" -p "$conf" >/dev/null 2>&1 &
  local pid=$!
  LUMORA_PIDS+=("$pid")
  local i
  for i in $(seq 1 50); do
    lumora_dl_listening "$port" && break
    sleep 0.1
  done
  if ! lumora_dl_listening "$port"; then
    echo "nginx did not start:" >&2
    cat "$conf/error.log" >&2
    return 1
  fi
  export LUMORA_NGINX_PORT=$port
}

# lumora_dl_start_fault DIR: sets LUMORA_FAULT_PORT.
lumora_dl_start_fault() {
  local dir=$1 i
  rm -f "$dir/fault.port"
  "$LUMORA_DL_PYTHON" "$lumora_dl_dir/fault_server.py" "$dir/fault.port" >"$dir/fault.log" 2>&1 &
  LUMORA_PIDS+=($!)
  for i in $(seq 1 100); do
    [[ -s $dir/fault.port ]] && break
    sleep 0.1
  done
  [[ -s $dir/fault.port ]] || { echo "fault server did not start" >&2; return 1; }
  export LUMORA_FAULT_PORT
  LUMORA_FAULT_PORT=$(cat "$dir/fault.port")
}

if [[ ${LUMORA_DL_LIB_ONLY:-} != 1 ]]; then
  LUMORA_DL_PACKAGES=$(mktemp -d /tmp/lumora-dl.XXXXXX)
  export LUMORA_DL_PACKAGES
  lumora_on_cleanup "rm -rf '$LUMORA_DL_PACKAGES'"
  # 1 MiB - 1 and 1 MiB: the shortest length refused and accepted; 2 MiB (the
  # fault server's default length) and 3 MiB for
  # ordinary runs; 15 MiB, 25 MiB and 25 MiB + 1 for the range splits.
  # A server that does not come up ends the sourcing with a failure: the
  # runner stops rather than let the suites that need it skip or fail apart.
  lumora_dl_packages "$LUMORA_DL_PACKAGES" 1048575 1048576 2097152 3145728 15728640 26214400 26214401 || {
    echo "download packages could not be generated" >&2
    return 1
  }
  lumora_dl_start_nginx "$LUMORA_DL_PACKAGES" || return 1
  lumora_dl_start_fault "$LUMORA_DL_PACKAGES" || return 1
  # Nobody listens here: connections are refused.
  LUMORA_CLOSED_PORT=$(lumora_dl_free_port)
  export LUMORA_CLOSED_PORT
fi

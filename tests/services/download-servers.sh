# Sourced by tools/run-tests.sh (and tools/bench): the download server stand-ins.
#   nginx on a free 127.0.0.1 port serving generated packages, answering HEAD
#   with the length, honouring ranges, and redirecting /software/<name> to
#   /<md5>/<name>; /plain/<name> serves the same file without a digest.
#   The same nginx serves the same over TLS on a second port, with a
#   certificate made at start-up (for 127.0.0.1), where /to-http/<path> also
#   redirects to <path> on the plain port.
#   tests/services/fault_server.py for failures on demand.
# Exports LUMORA_NGINX_PORT, LUMORA_NGINX_TLS_PORT, LUMORA_TLS_CERT (the
# certificate, DER), LUMORA_FAULT_PORT, LUMORA_CLOSED_PORT and
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

# lumora_dl_tls_cert DIR: a self-signed certificate for 127.0.0.1 in DIR
# (cert.pem, key.pem, and cert.der for the Windows side).
lumora_dl_tls_cert() {
  local dir=$1
  mkdir -p "$dir"
  openssl req -x509 -newkey rsa:2048 -nodes -days 7 -subj /CN=127.0.0.1 \
    -addext "subjectAltName=DNS:127.0.0.1,IP:127.0.0.1" \
    -keyout "$dir/key.pem" -out "$dir/cert.pem" >/dev/null 2>&1 &&
    openssl x509 -in "$dir/cert.pem" -outform der -out "$dir/cert.der"
}

# lumora_dl_start_nginx DIR [EXTRA-LOCATION-TEXT]: sets LUMORA_NGINX_PORT,
# LUMORA_NGINX_TLS_PORT and LUMORA_TLS_CERT.
lumora_dl_start_nginx() {
  local dir=$1 extra=${2:-} port tls_port conf f name md5 redirects=""
  port=$(lumora_dl_free_port) || return 1
  tls_port=$port
  while [[ $tls_port == "$port" ]]; do tls_port=$(lumora_dl_free_port) || return 1; done
  conf=$dir/nginx
  mkdir -p "$conf"
  lumora_dl_tls_cert "$conf/tls" || { echo "no TLS certificate could be made" >&2; return 1; }
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
  server {
    listen 127.0.0.1:$tls_port ssl;
    ssl_certificate $conf/tls/cert.pem;
    ssl_certificate_key $conf/tls/key.pem;
    root $dir;
    location /to-http/ { rewrite ^/to-http/(.*)\$ http://127.0.0.1:$port/\$1 redirect; }
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
  if ! lumora_dl_listening "$port" || ! lumora_dl_listening "$tls_port"; then
    echo "nginx did not start:" >&2
    cat "$conf/error.log" >&2
    return 1
  fi
  export LUMORA_NGINX_PORT=$port LUMORA_NGINX_TLS_PORT=$tls_port LUMORA_TLS_CERT=$conf/tls/cert.der
}

# lumora_dl_start_fault DIR [SERVER]: sets LUMORA_FAULT_PORT. SERVER is another
# script taking fault_server.py's argument (the soak's server).
lumora_dl_start_fault() {
  local dir=$1 server=${2:-$lumora_dl_dir/fault_server.py} i
  rm -f "$dir/fault.port"
  "$LUMORA_DL_PYTHON" "$server" "$dir/fault.port" >"$dir/fault.log" 2>&1 &
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

"""A scriptable HTTP server for the download failures nginx cannot produce on demand.

Addresses: /f/<token>/<options>/<segments...>/<name>
  token    isolates one test's counters and request log
  options  comma-separated key=value (or "-" for none):
    size=N         package length (default 2097152)
    digest=MODE    an address with only <name> after the options is redirected
                   to .../<digest>/<name>; MODE good, upper, wrong or short (31)
    headfail=N:S   the first N HEAD requests answer status S (redirects do not count)
    getfail=N:S    the first N GET requests answer status S
    headstatus=S   every HEAD answers status S (with the length)
    drop=N         the first N GETs send part of the body, then close (result 18)
    stall=N        the first N GETs send part of the body, then send nothing
                   (the connection stays open until the client gives up)
    mute=N         the first N requests (any method) get no answer at all; the
                   connection stays open until the client gives up
    extra=K        GET bodies are K bytes longer than the length HEAD gives
    lowdrop=N      like drop, counting only GETs whose range starts in the first half
    hangup=N       the first N GETs are answered by closing the connection
    loop=1         every request is redirected to itself
    rate=B         GET bodies are sent at about B bytes per second
    norange=1      GETs ignore the Range header: 200 with the whole body
    badrange=1     a GET with a Range gets 206 with the range one byte later
    getloop=1      every GET is redirected to itself (HEAD answers normally)
    overlong=K     GET bodies carry K bytes more than their Content-Length says
GET /log/<token> answers the recorded requests, one "METHOD<TAB>path<TAB>range" line each.
Usage: fault_server.py PORTFILE  (binds a free 127.0.0.1 port and writes it there)
"""
import http.server
import os
import select
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import package_bytes  # noqa: E402

# A held connection outlasts any test's own wait, so only the client's own
# limits can end it.
_HOLD_SECONDS = 300
_lock = threading.Lock()
_counts = {}
_logs = {}


def _count(token, method):
    with _lock:
        key = (token, method)
        _counts[key] = _counts.get(key, 0) + 1
        return _counts[key]


def _parse_options(text):
    options = {}
    if text in ("", "-"):
        return options
    for item in text.split(","):
        key, _, value = item.partition("=")
        options[key] = value
    return options


def _first_n(value, number):
    """For "N:S" options: S when this is one of the first N requests, else None."""
    if not value:
        return None
    limit, _, status = value.partition(":")
    return int(status) if number <= int(limit) else None


def _digest_segment(mode, size):
    digest = package_bytes.md5(size)
    if mode == "upper":
        return digest.upper()
    if mode == "wrong":
        return "0123456789abcdef0123456789abcdef"
    if mode == "short":
        return digest[:31]
    return digest


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_HEAD(self):
        self._handle("HEAD")

    def do_GET(self):
        self._handle("GET")

    def _handle(self, method):
        parts = self.path.split("?")[0].split("/")
        if method == "GET" and len(parts) == 3 and parts[1] == "log":
            return self._send_log(parts[2])
        if len(parts) < 5 or parts[1] != "f":
            return self._status(404)
        token, options = parts[2], _parse_options(parts[3])
        self._token = token
        rest = parts[4:]
        with _lock:
            _logs.setdefault(token, []).append((method, self.path, self.headers.get("Range", "")))
        size = int(options.get("size", "2097152"))
        if _count(token, "any") <= int(options.get("mute", "0")):
            self._wait_for_client_close(_HOLD_SECONDS)
            self.close_connection = True
            return
        if options.get("loop") or (method == "GET" and options.get("getloop")):
            return self._redirect(self.path)
        if "digest" in options and len(rest) == 1:
            segment = _digest_segment(options["digest"], size)
            return self._redirect("/".join(parts[:4] + [segment] + rest))
        number = _count(token, method)  # redirects do not count
        if method == "HEAD":
            status = _first_n(options.get("headfail"), number) or int(options.get("headstatus", "200"))
            return self._head(status, size)
        if number <= int(options.get("hangup", "0")):
            self.close_connection = True
            return
        failed = _first_n(options.get("getfail"), number)
        if failed:
            return self._status(failed)
        self._get(size + int(options.get("extra", "0")), options, number)

    def _send_log(self, token):
        with _lock:
            lines = ["%s\t%s\t%s\n" % entry for entry in _logs.get(token, [])]
        self._send_text("".join(lines))

    def _send_text(self, text):
        body = text.encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def _status(self, status):
        body = b"no\n"
        self.send_response(status)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def _redirect(self, target):
        self.send_response(302)
        self.send_header("Location", target)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def _head(self, status, size):
        self.send_response(status)
        self.send_header("Content-Length", str(size))
        self.send_header("Accept-Ranges", "bytes")
        self.end_headers()

    def _range(self, size, options):
        header = self.headers.get("Range", "")
        if options.get("norange") or not header.startswith("bytes="):
            return 0, size - 1, False
        first, _, last = header[6:].partition("-")
        start = int(first)
        end = int(last) if last else size - 1
        if options.get("badrange"):
            start, end = start + 1, end + 1
        return start, min(end, size - 1), True

    def _unsatisfiable(self, size):
        self.send_response(416)
        self.send_header("Content-Range", "bytes */%d" % size)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def _get(self, size, options, number):
        start, end, partial = self._range(size, options)
        if start >= size or start > end:
            return self._unsatisfiable(size)
        length = end - start + 1
        self.send_response(206 if partial else 200)
        if partial:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, end, size))
        self.send_header("Content-Length", str(length))
        self.end_headers()
        dropping = number <= int(options.get("drop", "0"))
        if start < size // 2 and "lowdrop" in options:
            dropping = dropping or _count(self._token, "low GET") <= int(options["lowdrop"])
        stalling = number <= int(options.get("stall", "0"))
        if dropping or stalling:
            self._send_body(start, min(length, max(1, length // 3), 400000), options)
            if stalling:
                self._wait_for_client_close(_HOLD_SECONDS)
            self.close_connection = True
            return
        overlong = int(options.get("overlong", "0"))
        self._send_body(start, length + overlong, options)
        if overlong:
            self.close_connection = True

    def _send_body(self, start, length, options):
        rate = int(options.get("rate", "0"))
        step = 65536 if not rate else max(1024, rate // 20)
        began = time.monotonic()
        sent = 0
        while sent < length:
            take = min(step, length - sent)
            try:
                self.wfile.write(self._bytes(start + sent, take))
            except OSError:
                self.close_connection = True
                return
            sent += take
            if rate:
                ahead = sent / rate - (time.monotonic() - began)
                if ahead > 0:
                    time.sleep(ahead)

    def _bytes(self, offset, length):
        """Bytes [offset, offset + length) of what this server serves."""
        return package_bytes.chunk(offset, length)

    def _wait_for_client_close(self, seconds):
        try:
            self.wfile.flush()
        except OSError:
            return
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            readable, _, _ = select.select([self.connection], [], [], 0.5)
            if readable:
                try:
                    if not self.connection.recv(4096):
                        return
                except OSError:
                    return


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True


def main(handler=Handler):
    server = Server(("127.0.0.1", 0), handler)
    with open(sys.argv[1] + ".tmp", "w") as out:
        out.write(str(server.server_address[1]))
    os.rename(sys.argv[1] + ".tmp", sys.argv[1])
    server.serve_forever()


if __name__ == "__main__":
    main()

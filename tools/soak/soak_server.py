"""The soak's download server: the download server's conventions, with a fault
picked at random for each request.

Addresses: /s/<token>/<options>/<tail>/<name>
  token    isolates one run's request record
  options  comma-separated key=value:
    seed=S       the run's seed; a request's fault follows from it, the request
                 (method, path, range) and how often that request came before,
                 so the same client behaviour meets the same faults again
    size=N       serve N bytes of the shared test stream (package_bytes)
    file=NAME    serve the file NAME from the server's folder instead
    faults=P     percent of requests that get a fault (default 30)
    stalls=Q     per mille of requests that stall (default 15)
    force=F      every request gets fault F (for the soak's own checks)
  tail     "software" redirects to .../<md5>/<name>; anything else serves the
           package, so "plain" makes an address without a digest
HEAD answers with the length; ranges are honoured when the request is not faulted.
Faults: drop (part of the body, then close), short (all but a few bytes, then
close), stall (part of the body, then nothing until the client gives up; for a
HEAD, a redirect and a quarter of the GETs no answer at all), 500, 404,
trickle (a slow start, then the rest), full200 (the whole file with status 200
for a range), longbody (more bytes than the Content-Length), grown (a complete
answer for a longer file than HEAD announced), shrunk (a complete answer with
fewer bytes than asked), badrange (206 for another range than the one asked),
loop (a redirect to itself), hangup (close, no answer).
GET /faults/<token> answers one "METHOD<TAB>path<TAB>range<TAB>fault" line per request.
Usage: soak_server.py PORTFILE  (serves file= names from PORTFILE's folder)
"""
import hashlib
import os
import random
import sys
import threading

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "services"))
import fault_server  # noqa: E402
import package_bytes  # noqa: E402

BODY_FAULTS = ["drop", "short", "500", "404", "trickle", "full200", "longbody", "grown", "shrunk", "badrange",
               "loop", "hangup"]
ANSWER_FAULTS = ["500", "404", "loop", "hangup"]  # for HEAD and the digest redirect
RANGE_ONLY = ("full200", "badrange")
STALL_SECONDS = 900  # longer than any run may take; the client's own give-up ends it

_lock = threading.Lock()
_records = {}
_seen = {}
_files = {}


class Package:
    """What one address serves: its bytes, length and digest."""

    def __init__(self, options):
        self.name = options.get("file")
        if self.name:
            with _lock:
                if self.name not in _files:
                    with open(os.path.join(_folder(), os.path.basename(self.name)), "rb") as f:
                        data = f.read()
                    _files[self.name] = (data, hashlib.md5(data).hexdigest())
                self.data, self.digest = _files[self.name]
            self.size = len(self.data)
        else:
            self.data = None
            self.size = int(options.get("size", "2097152"))
            self.digest = package_bytes.md5(self.size)

    def bytes(self, offset, length):
        """Bytes of the package; past its end the test stream goes on (for answers longer than the file)."""
        if self.data is None:
            return package_bytes.chunk(offset, length)
        head = self.data[offset:offset + length]
        if len(head) == length:
            return head
        return head + package_bytes.chunk(max(offset, self.size), length - len(head))


def _folder():
    return os.path.dirname(os.path.abspath(sys.argv[1]))


def pick_fault(options, method, path, range_header, redirect):
    """The fault for this request and the generator for its details."""
    key = (options.get("seed", "0"), method, path, range_header)
    with _lock:
        _seen[key] = _seen.get(key, 0) + 1
        occurrence = _seen[key]
    rng = random.Random("%s|%s|%s|%s|%d" % (key + (occurrence,)))
    if "force" in options:
        return options["force"], rng
    draw = rng.random()
    stall = int(options.get("stalls", "15")) / 1000.0
    if draw < stall:
        return "stall", rng
    if draw < stall + int(options.get("faults", "30")) / 100.0:
        fault = rng.choice(ANSWER_FAULTS if method == "HEAD" or redirect else BODY_FAULTS)
        if fault in RANGE_ONLY and not range_header:
            fault = "ok"
        return fault, rng
    return "ok", rng


class SoakHandler(fault_server.Handler):
    def _handle(self, method):
        parts = self.path.split("?")[0].split("/")
        if method == "GET" and len(parts) == 3 and parts[1] == "faults":
            return self._send_faults(parts[2])
        if len(parts) != 6 or parts[1] != "s":
            return self._status(404)
        token, options = parts[2], fault_server._parse_options(parts[3])
        self._package = Package(options)
        redirect = parts[4] == "software"
        range_header = self.headers.get("Range", "")
        fault, rng = pick_fault(options, method, self.path, range_header, redirect)
        with _lock:
            _records.setdefault(token, []).append((method, self.path, range_header, fault))
        if fault == "loop":
            return self._redirect(self.path)
        if fault == "hangup":
            self.close_connection = True
            return
        if fault in ("500", "404"):
            return self._status(int(fault))
        if fault == "stall" and (method == "HEAD" or redirect or rng.random() < 0.25):
            return self._stall()
        if redirect:
            return self._redirect("/".join(parts[:4] + [self._package.digest, parts[5]]))
        if method == "HEAD":
            return self._head(200, self._package.size)
        self._answer(fault, rng)

    def _bytes(self, offset, length):
        return self._package.bytes(offset, length)

    def _send_faults(self, token):
        with _lock:
            lines = ["%s\t%s\t%s\t%s\n" % entry for entry in _records.get(token, [])]
        self._send_text("".join(lines))

    def _stall(self):
        self._wait_for_client_close(STALL_SECONDS)
        self.close_connection = True

    def _start(self, status, first, last, total):
        """Status line and headers of an answer carrying bytes first..last of a file of total bytes."""
        self.send_response(status)
        if status == 206:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (first, last, total))
        self.send_header("Content-Length", str(last - first + 1))
        self.end_headers()

    def _answer(self, fault, rng):
        size = self._package.size
        start, end, ranged = self._range(size, {})
        if start >= size or start > end:
            return self._unsatisfiable(size)
        length = end - start + 1
        status = 206 if ranged else 200
        if fault == "full200":
            self._start(200, 0, size - 1, size)
            return self._send_body(0, size, {})
        if fault == "badrange" and start + 1 < end:
            moved = min(end, start + rng.randint(1, 4096))
            self._start(206, moved, end, size)
            return self._send_body(moved, end - moved + 1, {})
        if fault == "grown":
            total = size + rng.randint(1, 65536)
            self._start(status, start, total - 1, total)
            return self._send_body(start, total - start, {})
        if fault == "shrunk" and length > 1:
            cut = rng.randint(1, min(65536, length - 1))
            self._start(status, start, end - cut, size - cut if end == size - 1 else size)
            return self._send_body(start, length - cut, {})
        self._start(status, start, end, size)
        if fault in ("drop", "short", "stall", "longbody"):
            self.close_connection = True
        if fault == "drop":
            return self._send_body(start, rng.randrange(0, length), {})
        if fault == "short":
            return self._send_body(start, length - rng.randint(1, min(4096, length)), {})
        if fault == "stall":
            self._send_body(start, rng.randrange(0, length), {})
            return self._stall()
        if fault == "longbody":
            return self._send_body(start, length + rng.randint(1, 65536), {})
        if fault == "trickle":
            rate = rng.choice([2048, 8192, 32768])
            slow = min(length, int(rate * rng.uniform(1.0, 4.0)))
            self._send_body(start, slow, {"rate": str(rate)})
            return self._send_body(start + slow, length - slow, {})
        self._send_body(start, length, {})


if __name__ == "__main__":
    fault_server.main(SoakHandler)

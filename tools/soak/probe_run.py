"""One run of a probe program under Wine with a time bound: its reports, its
exit code, or the fact that it had to be killed."""
import os
import signal
import subprocess
import time
import urllib.request

# The downloaders give up on a transfer under 1 byte/s for 30 s; each stall
# the server served to a run gives that run this much more time.
STALL_ALLOWANCE = 40.0


def windows_path(path):
    """The path as Wine's Z: drive shows it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Reports:
    """A probe's "code<TAB>progress<TAB>text" lines."""

    def __init__(self, raw):
        self.lines = []
        for line in raw.decode("utf-8", "replace").splitlines():
            fields = line.split("\t", 2)
            try:
                self.lines.append((int(fields[0]), float(fields[1]), fields[2] if len(fields) > 2 else ""))
            except (ValueError, IndexError):
                continue

    def codes(self):
        return [code for code, _, _ in self.lines]

    def first(self, finals):
        """The first report whose code is one of finals, or None."""
        return next((line for line in self.lines if line[0] in finals), None)


class ServerRecord:
    """What the soak server served to one token."""

    def __init__(self, port, token):
        self.url = "http://127.0.0.1:%d/faults/%s" % (port, token)

    def requests(self):
        try:
            with urllib.request.urlopen(self.url, timeout=10) as answer:
                text = answer.read().decode("utf-8", "replace")
        except OSError:
            return []
        return [line.split("\t") for line in text.splitlines() if line]

    def stalls(self):
        return sum(1 for request in self.requests() if request[-1] == "stall")


class Finished:
    def __init__(self, exit_code, reports, elapsed, killed, bound, errors):
        self.exit_code = exit_code
        self.reports = reports
        self.elapsed = elapsed
        self.killed = killed
        self.bound = bound
        self.errors = errors

    def without_final_report(self):
        """What to say of a probe that ended with no final report (Wine names a crash on standard error)."""
        said = next((line for line in self.errors.splitlines() if line.startswith("wine:")), "")
        return "ended (exit %s) without a final report%s" % (self.exit_code, (": " + said[:120]) if said else "")


def _session_members(session):
    """Processes of one session (a probe and everything Wine started for it)."""
    members = []
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % name) as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if int(fields[3]) == session:
            members.append(int(name))
    return members


def _kill_session(session):
    for pid in _session_members(session):
        try:
            os.kill(pid, signal.SIGKILL)
        except OSError:
            pass


def run(argv, folder, bound, record, poll=0.2):
    """Runs `wine argv...` with its output in folder; kills it when it outlives
    bound seconds plus STALL_ALLOWANCE per stall the server served to record."""
    env = dict(os.environ, WINEDEBUG="-all")
    env.pop("DISPLAY", None)
    out_path = os.path.join(folder, "probe.out")
    # Files, not pipes: a Wine service started on demand would keep a pipe open.
    with open(out_path, "wb") as out, open(os.path.join(folder, "probe.err"), "wb") as err:
        process = subprocess.Popen(["wine"] + argv, stdin=subprocess.DEVNULL, stdout=out, stderr=err, env=env,
                                   start_new_session=True)
    began = time.monotonic()
    limit = bound
    checked = -STALL_ALLOWANCE  # the first check of a run is not held back
    killed = False
    while process.poll() is None:
        elapsed = time.monotonic() - began
        if elapsed > limit and elapsed - checked > 2.0:
            checked = elapsed
            limit = bound + STALL_ALLOWANCE * record.stalls()
            if elapsed > limit:
                killed = True
                _kill_session(process.pid)
                process.wait()
                break
        time.sleep(poll)
    elapsed = time.monotonic() - began
    # Whatever the probe left running in its session (a package still
    # writing, say) ends with the run.
    _kill_session(process.pid)
    with open(out_path, "rb") as out:
        reports = Reports(out.read())
    with open(os.path.join(folder, "probe.err"), "rb") as err:
        errors = err.read().decode("utf-8", "replace")
    return Finished(None if killed else process.returncode, reports, elapsed, killed, limit, errors)

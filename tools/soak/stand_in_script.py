"""Scripts for the stand-in package and uninstaller (tests/install FakeScript)
that misbehave at random, with the outcome each must lead to.

A script is a list of FakeScript directives. The output protocol lines are cut
at random offsets into separate writes (each "out" reaches the reader as one
read), several lines go out in one write, both streams are flooded, and output
may follow the final state. The first final line decides the verdict
("State=Success" a success; "State=Fail" or "Error=" a failure, whatever comes
after it); without one the exit decides: 0 is a success, any other code and a
crash (an abrupt end with an exception code, mid-line or between lines) a
failure.
"""

SUCCESS, FAILURE = "success", "failure"


class Script:
    def __init__(self, directives, verdict, summary):
        self.directives = directives
        self.verdict = verdict
        self.summary = summary

    def text(self):
        return "".join(d + "\n" for d in self.directives)


def escape(data):
    """Bytes as FakeScript TEXT: escapes for what would end or confuse a script line."""
    out = []
    for byte in data:
        if byte == 0x5C:
            out.append("\\\\")
        elif 0x20 <= byte < 0x7F:
            out.append(chr(byte))
        else:
            out.append("\\x%02x" % byte)
    return "".join(out)


def _body_lines(rng, install_dir, package, utf8):
    lines = []
    if utf8:
        lines.append("Encode=UTF8")
    steps = sorted(rng.random() for _ in range(rng.randint(1, 5)))
    for n, step in enumerate(steps):
        lines.append("Progress=%.2f" % step)
        if package and n == 0:
            lines.append("InstPath=" + install_dir)
            lines.append("ExePath=" + install_dir + "\\lumora.exe")
            lines.append("UninstEp=" + install_dir + "\\uninst.ep")
        if rng.random() < 0.3:
            lines.append("Message=" + ("正在安装 Lumora" if utf8 else "installing Lumora"))
    if package and rng.random() < 0.5:
        lines.append("StartupStyle=" + rng.choice(["NonStartup", "AutoStartup", "UserStartup"]))
    return [(line + "\r\n").encode("utf-8") for line in lines]


def _final_line(rng, kind, utf8):
    if kind == "success":
        return b"State=Success\r\n"
    if kind == "fail":
        return b"State=Fail\r\n"
    text = rng.choice(["disk full", "access denied"] + (["磁盘空间不足"] if utf8 else []))
    return ("Error=" + text + "\r\n").encode("utf-8")


class _Writer:
    """Turns output bytes into directives: cut, grouped, flooded, paced (or,
    when tidy, one waited write per line and nothing else)."""

    def __init__(self, rng, directives, tidy):
        self.rng = rng
        self.directives = directives
        self.tidy = tidy

    def pause(self):
        if self.rng.random() < 0.3:
            self.directives.append("sleep %d" % self.rng.randint(0, 150))

    def line(self, data, wait=True):
        rng = self.rng
        most = 0 if self.tidy else rng.choice([0, 0, 1, 1, 2, 3])
        cuts = sorted(rng.sample(range(1, len(data)), min(len(data) - 1, most)))
        pieces = [data[a:b] for a, b in zip([0] + cuts, cuts + [len(data)])]
        for piece in pieces:
            self.directives.append(("out " if wait else "put ") + escape(piece))
            self.pause()

    def lines(self, datas):
        i = 0
        while i < len(datas):
            group = 1 if self.tidy or self.rng.random() < 0.7 else self.rng.randint(2, 3)
            self.line(b"".join(datas[i:i + group]), wait=self.tidy or self.rng.random() < 0.8)
            i += group
            self.flood()

    def flood(self, chance=0.1, most=1500):
        """Floods on either stream; the package's reader takes about 10 KB/s
        until the final state, so floods before it stay small (most lines)."""
        rng = self.rng
        if self.tidy:
            return
        if rng.random() < chance:
            self.directives.append("flood %d %s" % (rng.randint(100, most), escape(b"Progress=0.50\r\n")))
        if rng.random() < chance:
            self.directives.append("err %d" % rng.randint(1000, 300000))


def generate(rng, install_dir, package, kind=None, tidy=False):
    """A misbehaving script for the package (package=True) or the old uninstaller;
    kind (success, fail, error, silent, crash) is drawn when not given. A tidy
    script behaves (for the soak's own checks)."""
    utf8 = rng.random() < 0.4
    kind = kind or rng.choice(["success"] * 40 + ["fail"] * 12 + ["error"] * 12 + ["silent"] * 25 + ["crash"] * 11)
    directives = ["selfcopy"] if package else []
    writer = _Writer(rng, directives, tidy)
    body = _body_lines(rng, install_dir, package, utf8)
    notes = ["utf8" if utf8 else "acp"]
    if kind == "crash":
        at = rng.randrange(len(body) + 1)
        writer.lines(body[:at])
        if at < len(body) and len(body[at]) > 3:
            directives.append("out " + escape(body[at][:rng.randint(1, len(body[at]) - 3)]))
            notes.append("crash inside line %d" % (at + 1))
        else:
            notes.append("crash after line %d" % at)
        writer.flood(0.5)
        directives.append("crash")
        return Script(directives, FAILURE, "crash: " + ", ".join(notes))
    writer.lines(body)
    if kind == "silent":
        code = 0 if rng.random() < 0.6 else rng.choice([1, 2, 1223])
        writer.flood(0.3)
        directives.append("exit %d" % code)
        return Script(directives, FAILURE if code else SUCCESS,
                      "exit %d without a final state: %s" % (code, ", ".join(notes)))
    writer.flood(0.3)
    final = _final_line(rng, kind, utf8)
    more = not tidy and rng.random() < 0.5
    last_word = not tidy and not more and rng.random() < 0.5  # not waited for, right before the end
    writer.line(final, wait=not last_word)
    notes.append(final.decode("utf-8").strip())
    if more:
        notes.append("output after the final state")
        after = _body_lines(rng, install_dir, package, utf8)
        after.append(_final_line(rng, rng.choice(["success", "fail", "error"]), utf8))
        writer.lines(after)
        writer.flood(0.6, most=5000)
    code = 0 if rng.random() < 0.7 else rng.choice([1, 2])  # after a final word the exit code says nothing
    directives.append("exit %d" % code)
    return Script(directives, SUCCESS if kind == "success" else FAILURE,
                  ("last word, then exit %d: " if last_word else "exit %d after ") % code + ", ".join(notes))

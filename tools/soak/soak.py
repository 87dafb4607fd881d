"""Randomized fault soak of the download and install pipeline (started by
tools/soak/run.sh, which builds, makes the Wine prefix and starts the server).

Kinds of run, N of each: downloads through dlprobe.exe with type 1 and with
type 3, each against an address with or without a digest; then whole
sequences through seqprobe.exe whose download meets the same server and whose
package (and, in some runs, old uninstaller) misbehaves at random. Each run
draws its own faults from its seed, which follows from the soak's seed; the
stand-in package's length is part of what a request asks, so a seed repeats
its sequences with the same build of the stand-ins.

Checks of every run:
  hangs              it outlived its bound (probe_run) and was killed
  corrupt accepted   a download reported done (1003) whose file is not the served
                     one; a sequence whose package ran without being byte for
                     byte the served one
  failures reported  a download reported done with no file, or a probe exit code
  as success         that says success without it; a sequence reported installed
                     (2003) although its package failed (final state Fail, an
                     error line, a crash, no final state and an exit code other
                     than 0), its old uninstaller failed, or no package ran at all
  files left behind  looked at once the probe has ended, so the downloader is gone
                     with whatever it kept for resuming: after a failed download
                     the destination's folder is empty, after a done one it holds
                     the file alone; after any sequence the install folder holds
                     no package and no partial file (".part", "_0", "_1")
  wrong outcomes     anything else that contradicts what the stand-ins said: a
                     successful package reported as failed, a successful old
                     uninstaller reported as failed, a package run after its old
                     uninstaller failed, a stage run twice; and a probe that
                     ended without a final report
The first four are the soak's goal; every count of the table that is not 0
makes the exit status 1.
"""
import argparse
import hashlib
import os
import random
import shutil
import sys
import threading
import time
from concurrent.futures import ThreadPoolExecutor

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "services"))
import package_bytes  # noqa: E402
import probe_run  # noqa: E402
import stand_in_script  # noqa: E402
from probe_run import windows_path  # noqa: E402

KINDS = {"t1": "download type 1", "t3": "download type 3", "seq": "sequence"}
BAD = ["hangs", "corrupt accepted", "failures reported as success", "files left behind", "wrong outcomes"]
PACKAGE_NAME = "__Package_Lumora.exe"
PARTIAL_SUFFIXES = ("", ".part", "_0", "_1")
RECORD_SUFFIXES = (".script", ".cmdline", ".pid", ".copy")  # the stand-in's own files
UNINSTALLER_COPY = "Lumora_un_asa.exe"
TEMP_WORK_FOLDER = "~NorVoTemp.92482B06FB471E17"
SOAK_STALLS = 15  # per mille of requests


class Soak:
    def __init__(self, args):
        self.args = args
        self.uninstall_lock = threading.Lock()  # one uninstaller copy per prefix
        self.file_lock = threading.Lock()
        self.served_files = {}

    def path(self, *parts):
        return os.path.join(self.args.work, *parts)

    def address(self, token, options, tail):
        return "http://127.0.0.1:%d/s/%s/%s/%s" % (self.args.port, token, ",".join(options), tail)

    def served_package(self, size):
        """The stand-in package padded to size bytes, in the server's folder: (name, digest)."""
        with self.file_lock:
            if size not in self.served_files:
                with open(os.path.join(self.args.bin, "fake_package.exe"), "rb") as exe:
                    data = exe.read()
                data += package_bytes.chunk(len(data), size - len(data))
                name = "package-%d.exe" % size
                with open(os.path.join(self.args.served, name), "wb") as out:
                    out.write(data)
                self.served_files[size] = (name, hashlib.md5(data).hexdigest())
            return self.served_files[size]


class Run:
    """One run: what it drew, what happened and what the checks found."""

    def __init__(self, kind, index, seed):
        self.kind, self.index, self.seed = kind, index, seed
        self.bad = {}
        self.notes = []
        self.outcome = "?"
        self.finished = None
        self.folder = None
        self.token = None

    def flag(self, check, text):
        self.bad.setdefault(check, text)

    def name(self):
        return "%s:%d" % (self.kind, self.index)


def run_seed(master, kind, index):
    return random.Random("%s/%s/%d" % (master, kind, index)).randrange(1, 2 ** 31)


def file_md5(path):
    digest = hashlib.md5()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def fault_options(rng, seed, forced):
    options = ["seed=%d" % seed, "faults=%d" % rng.choice([0, 15, 30, 45])]
    options.append("stalls=%d" % forced.get("stalls", SOAK_STALLS))
    if "force" in forced:
        options.append("force=" + forced["force"])
    return options


# ---- downloads -------------------------------------------------------------

def download_size(rng, download_type):
    if rng.random() < 0.15:
        return rng.choice([1048576, 1048577, 2097152])
    if download_type == 3 and rng.random() < 0.4:
        return rng.randint(20 << 20, 22 << 20)  # two ranges
    return rng.randint(1 << 20, 3 << 20)


def download_run(soak, kind, index, seed, forced):
    run = Run(kind, index, seed)
    rng = random.Random(seed)
    download_type = 1 if kind == "t1" else 3
    size = download_size(rng, download_type)
    with_digest = rng.random() < 0.5
    run.token = "%s-%d-%d" % (kind, index, seed)
    options = ["size=%d" % size] + fault_options(rng, seed, forced)
    url = soak.address(run.token, options, ("software" if with_digest else "plain") + "/Lumora_Setup.exe")
    run.folder = soak.path("%s-%04d" % (kind, index))
    dest_dir = os.path.join(run.folder, "dest dir" if rng.random() < 0.5 else "dest")
    os.makedirs(dest_dir)
    dest = os.path.join(dest_dir, "Lumora_Setup.exe")
    run.notes.append("size %d, %s digest, %s" % (size, "with" if with_digest else "no", ",".join(options)))
    finished = probe_run.run([os.path.join(soak.args.bin, "dlprobe.exe"), str(download_type), url,
                              windows_path(dest)], run.folder, forced.get("bound", soak.args.bound),
                             probe_run.ServerRecord(soak.args.port, run.token))
    run.finished = finished
    if "tamper" in forced:
        forced["tamper"](dest)
    check_download(run, finished, dest, size)
    return run


def check_download(run, finished, dest, size):
    final = finished.reports.first((1003, 1004))
    run.outcome = "killed" if finished.killed else str(final[0]) if final else "no final report"
    if finished.killed:
        return run.flag("hangs", "no final report within %.0f s" % finished.bound)
    if final is None:
        return run.flag("wrong outcomes", finished.without_final_report())
    left = sorted(os.listdir(os.path.dirname(dest)))
    if final[0] == 1003:
        if not os.path.isfile(dest):
            run.flag("failures reported as success", "1003 but no file at the destination")
        else:
            got, want = (os.path.getsize(dest), file_md5(dest)), (size, package_bytes.md5(size))
            if got != want:
                run.flag("corrupt accepted", "1003 with %d bytes (md5 %s), served %d bytes (md5 %s)" % (got + want))
        left = [name for name in left if name != os.path.basename(dest)]
        if finished.exit_code != 0:
            run.flag("wrong outcomes", "1003 but exit code %s" % finished.exit_code)
    elif finished.exit_code == 0:
        run.flag("failures reported as success", "1004 but exit code 0")
    if left:
        run.flag("files left behind", "after %d: %s" % (final[0], ", ".join(left)))


# ---- sequences -------------------------------------------------------------

def sequence_size(rng, download_type, exe_size):
    if download_type == 3 and rng.random() < 0.3:
        return rng.choice([20 << 20, (21 << 20) + 1])
    return exe_size + rng.choice([0, 1, 524289, 1048576])


def write_text(path, text):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def uninstaller_temp_folder(soak):
    return os.path.join(soak.args.temp, TEMP_WORK_FOLDER)


def sequence_run(soak, kind, index, seed, forced):
    run = Run(kind, index, seed)
    rng = random.Random(seed)
    download_type = rng.choice([1, 3])
    exe_size = os.path.getsize(os.path.join(soak.args.bin, "fake_package.exe"))
    name, digest = soak.served_package(sequence_size(rng, download_type, exe_size))
    run.notes.append("served %s (md5 %s)" % (name, digest))
    run.token = "%s-%d-%d" % (kind, index, seed)
    options = ["file=" + name] + fault_options(rng, seed, forced)
    with_digest = rng.random() < 0.7
    url = soak.address(run.token, options, ("software" if with_digest else "plain") + "/Lumora_Setup.exe")
    run.folder = soak.path("%s-%04d" % (kind, index))
    install_dir = os.path.join(run.folder, "Lumora Soak" if rng.random() < 0.5 else "Lumora")
    os.makedirs(install_dir)
    package = stand_in_script.generate(rng, windows_path(install_dir), True, forced.get("script"),
                                       forced.get("tidy", False))
    write_text(os.path.join(install_dir, PACKAGE_NAME + ".script"), package.text())
    uninstaller = stand_in_script.generate(rng, "", False) if rng.random() < forced.get("uninstall", 0.3) else None
    package_verdict = forced.get("verdict", package.verdict)
    run.notes.append("type %d, %s digest, %s" % (download_type, "with" if with_digest else "no", ",".join(options)))
    run.notes.append("package: " + package.summary)
    argv = [os.path.join(soak.args.bin, "seqprobe.exe"), "-dir=" + windows_path(install_dir),
            "-downloadurl=" + url, "-downloadtype=%d" % download_type]
    lock = soak.uninstall_lock if uninstaller else threading.Lock()
    with lock:
        if uninstaller:
            run.notes.append("old uninstaller: " + uninstaller.summary)
            argv.append("-olduninst=" + windows_path(place_old_uninstaller(soak, run.folder, uninstaller)))
        finished = probe_run.run(argv, run.folder, forced.get("bound", soak.args.bound),
                                 probe_run.ServerRecord(soak.args.port, run.token))
        uninstaller_ran = uninstaller is not None and os.path.exists(
            os.path.join(uninstaller_temp_folder(soak), UNINSTALLER_COPY + ".cmdline"))
    run.finished = finished
    if "tamper" in forced:
        forced["tamper"](os.path.join(install_dir, PACKAGE_NAME))
    check_sequence(run, finished, install_dir, os.path.join(soak.args.served, name), package_verdict,
                   uninstaller.verdict if uninstaller else None, uninstaller_ran)
    return run


def place_old_uninstaller(soak, folder, script):
    """An installed old version's uninstaller, and its script where the sequencer will run its copy."""
    old = os.path.join(folder, "old version")
    os.makedirs(old)
    shutil.copyfile(os.path.join(soak.args.bin, "fake_uninstaller.exe"), os.path.join(old, "uninst.ep"))
    temp = uninstaller_temp_folder(soak)
    os.makedirs(temp, exist_ok=True)
    for suffix in ("",) + RECORD_SUFFIXES:
        if os.path.exists(os.path.join(temp, UNINSTALLER_COPY + suffix)):
            os.remove(os.path.join(temp, UNINSTALLER_COPY + suffix))
    write_text(os.path.join(temp, UNINSTALLER_COPY + ".script"), script.text())
    return os.path.join(old, "uninst.ep")


def check_sequence(run, finished, install_dir, served, package_verdict, uninstaller_verdict, uninstaller_ran):
    final = finished.reports.first((2003, 2004, 1004, 5004, 5005))
    run.outcome = "killed" if finished.killed else str(final[0]) if final else "no final report"
    if finished.killed:
        return run.flag("hangs", "no final report within %.0f s" % finished.bound)
    if final is None:
        return run.flag("wrong outcomes", finished.without_final_report())
    package = os.path.join(install_dir, PACKAGE_NAME)
    ran = os.path.exists(package + ".cmdline")
    copy_matches = os.path.isfile(package + ".copy") and file_md5(package + ".copy") == file_md5(served)
    installed = final[0] == 2003
    if ran and not copy_matches:
        run.flag("corrupt accepted", "the package that ran is not the served one")
    uninstall_failed = uninstaller_verdict == stand_in_script.FAILURE
    if installed and (package_verdict == stand_in_script.FAILURE or uninstall_failed or not ran):
        why = "the old uninstaller failed" if uninstall_failed else "the package failed" if ran else "no package ran"
        run.flag("failures reported as success", "2003 although " + why)
    if uninstall_failed and ran and not installed:
        run.flag("wrong outcomes", "the package ran although the old uninstaller failed")
    if uninstaller_verdict is not None and not uninstaller_ran:
        run.flag("wrong outcomes", "the old uninstaller never ran")
    if final[0] in (5004, 5005) and not uninstall_failed:
        run.flag("wrong outcomes", "%d although the old uninstaller succeeded" % final[0])
    if final[0] == 2004 and package_verdict == stand_in_script.SUCCESS and copy_matches:
        run.flag("wrong outcomes", "2004 (%g, %s) although the package succeeded" % final[1:])
    codes = finished.reports.codes()
    for code, stage in ((5003, "the old uninstaller's success was reported"), (2001, "the package was started")):
        if codes.count(code) > 1:
            run.flag("wrong outcomes", "%s %d times" % (stage, codes.count(code)))
    if installed != (finished.exit_code == 0):
        run.flag("wrong outcomes", "final %d but exit code %s" % (final[0], finished.exit_code))
    left = [n for n in sorted(os.listdir(install_dir))
            if n.startswith(PACKAGE_NAME) and n[len(PACKAGE_NAME):] in PARTIAL_SUFFIXES]
    if left:
        run.flag("files left behind", "after %d: %s" % (final[0], ", ".join(left)))


# ---- the soak --------------------------------------------------------------

RUNNERS = {"t1": download_run, "t3": download_run, "seq": sequence_run}


def execute(soak, kind, index, forced=None):
    seed = run_seed(soak.args.seed, kind, index)
    return RUNNERS[kind](soak, kind, index, seed, forced or {})


def describe(soak, run):
    """A bad run's record, for the person who reproduces it."""
    finished = run.finished
    lines = ["run %s (soak seed %d, run seed %d): %s" % (run.name(), soak.args.seed, run.seed, run.outcome)]
    lines += ["  " + note for note in run.notes]
    lines += ["  %s: %s" % item for item in sorted(run.bad.items())]
    if finished:
        lines.append("  exit %s after %.1f s (bound %.0f s)" % (finished.exit_code, finished.elapsed, finished.bound))
        lines.append("  reports: " + " ".join("%d(%g)" % line[:2] for line in finished.reports.lines
                                              if line[0] not in (1002, 2002, 5002)))
    requests = probe_run.ServerRecord(soak.args.port, run.token).requests()
    lines.append("  requests: " + "; ".join("%s %s %s" % (r[0], r[2] or "-", r[3]) for r in requests if len(r) > 3))
    lines.append("  repeat: bash tools/soak/run.sh --seed %d --only %s" % (soak.args.seed, run.name()))
    return "\n".join(lines)


def keep_evidence(soak, run, text):
    target = os.path.join(soak.args.out, "%s-%d" % (run.kind, run.index))
    shutil.rmtree(target, ignore_errors=True)
    shutil.copytree(run.folder, target, ignore=shutil.ignore_patterns("*.exe", "*.copy", "*_0", "*_1", "*.part"))
    write_text(os.path.join(target, "run.txt"), text + "\n")


def soak_kind(soak, kind, indexes):
    runs = []
    with ThreadPoolExecutor(max_workers=soak.args.jobs) as pool:
        for run in pool.map(lambda i: execute(soak, kind, i), indexes):
            runs.append(run)
            if run.bad or soak.args.verbose:
                text = describe(soak, run)
                print(text, flush=True)
                if run.bad:
                    keep_evidence(soak, run, text)
            shutil.rmtree(run.folder, ignore_errors=True)
    return runs


def table(results):
    heads = ["kind", "runs", "done", "failed"] + BAD
    rows = []
    for kind, runs in results:
        done = sum(1 for r in runs if r.outcome in ("1003", "2003"))
        failed = sum(1 for r in runs if r.outcome in ("1004", "2004", "5004", "5005"))
        rows.append([KINDS[kind], len(runs), done, failed] + [sum(1 for r in runs if c in r.bad) for c in BAD])
    widths = [max(len(str(row[i])) for row in [heads] + rows) for i in range(len(heads))]
    out = []
    for row in [heads] + rows:
        out.append("  ".join(str(cell).ljust(w) if i == 0 else str(cell).rjust(w)
                             for i, (cell, w) in enumerate(zip(row, widths))))
    return "\n".join(out), sum(sum(row[4:]) for row in rows)


def self_test(soak):
    """Deliberately broken runs: each check must fire on its own case."""
    def flip(path):
        with open(path, "r+b") as f:
            f.seek(1000)
            byte = f.read(1)
            f.seek(1000)
            f.write(bytes([byte[0] ^ 0xFF]))

    def litter(path):
        write_text(path + ".part", "left")

    clean = {"force": "ok", "uninstall": 0, "script": "success", "tidy": True}
    cases = [
        ("hangs", "t1", {"bound": 0.5, "force": "trickle", "stalls": 0}),
        ("corrupt accepted", "t1", dict(clean, tamper=flip)),
        ("corrupt accepted", "seq", dict(clean, tamper=lambda package: flip(package + ".copy"))),
        ("failures reported as success", "t1", dict(clean, tamper=os.remove)),
        ("failures reported as success", "seq", dict(clean, verdict=stand_in_script.FAILURE)),
        ("files left behind", "t3", {"force": "404", "tamper": litter}),
        ("files left behind", "seq", dict(clean, tamper=litter)),
        ("wrong outcomes", "seq", dict(clean, script="fail", verdict=stand_in_script.SUCCESS)),
    ]
    failed = 0
    for index, (check, kind, forced) in enumerate(cases):
        run = execute(soak, kind, 9000 + index, forced)
        good = check in run.bad
        print("self-test %-29s %-4s %s (fired: %s)" % (check, kind, "fires" if good else "DID NOT FIRE",
                                                    ", ".join(sorted(run.bad)) or "none"), flush=True)
        failed += 0 if good else 1
        shutil.rmtree(run.folder, ignore_errors=True)
    return failed


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=20, help="runs of each kind")
    parser.add_argument("--seed", type=int, default=None, help="repeat the soak of this seed")
    parser.add_argument("--jobs", type=int, default=2, help="runs at a time")
    parser.add_argument("--bound", type=float, default=60.0,
                        help="seconds a run may take, plus %.0f per stall it met" % probe_run.STALL_ALLOWANCE)
    parser.add_argument("--kinds", default="t1,t3,seq", help="which kinds, of " + ",".join(KINDS))
    parser.add_argument("--only", help="one run, KIND:INDEX (as a bad run's repeat line gives it)")
    parser.add_argument("--self-test", action="store_true", help="show that every check fires, then soak")
    parser.add_argument("--verbose", action="store_true", help="describe every run")
    for name in ("port", "bin", "work", "served", "temp", "out"):
        parser.add_argument("--" + name, required=True, type=int if name == "port" else str)
    args = parser.parse_args()
    if args.seed is None:
        args.seed = random.SystemRandom().randrange(1, 1000000)
    print("soak seed %d (repeat with --seed %d), %d runs per kind, %d at a time" %
          (args.seed, args.seed, args.runs, args.jobs), flush=True)
    args.out = os.path.join(args.out, "seed-%d" % args.seed)
    os.makedirs(args.out, exist_ok=True)
    soak = Soak(args)
    status = 0
    if args.self_test and self_test(soak):
        status = 1
    if args.only:
        kind, index = args.only.split(":")
        plan = [(kind, [int(index)])]
    else:
        plan = [(kind, range(args.runs)) for kind in args.kinds.split(",")]
    results = []
    began = time.monotonic()
    for kind, indexes in plan:
        results.append((kind, soak_kind(soak, kind, indexes)))
    text, bad = table(results)
    print("\n" + text)
    ended = [run.finished.elapsed for _, runs in results for run in runs if run.finished and not run.finished.killed]
    print("%.0f s (longest run that ended: %.1f s); details of bad runs in %s" %
          (time.monotonic() - began, max(ended, default=0.0), args.out))
    return 1 if bad or status else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Fault injection for every file Feedloom writes.

usage: fault_injection.py FAULT_DRIVER

The files: the state file (feedloom.dat, written at close), the settings file
(feedloom.ini, written at close and by the CSS command), the feed (feed.rdf, the
configured output file) and the archive (feedloom.rdf, written by the item cleanup).
The faults: a full disk (a small tmpfs filled up, in a user and mount namespace), a
file-size limit (RLIMIT_FSIZE), a read-only folder (a read-only bind mount in the
namespace) and kill -9 at random points while the file is being written.

After each fault the previous file must be intact byte for byte, the program's message
must have been shown (when it lives), no temporary file may be left behind, and the next
start must work and show the previous items. The driver (tests/faults/fault_driver.cpp)
runs the real windows and handlers; it is copied (or linked) into each case's folder as
"feedloom", since the program finds its files beside its own executable.

Exit status: 0 all passed; 1 a case failed; 77 the namespace cases could not run here
(unshare -rm not permitted) and every other case passed.
"""

import os
import pwd
import random
import resource
import shutil
import subprocess
import sys
import tempfile
import time

DRIVER = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else ""
SKIP = 77
TIMEOUT = 60  # seconds for one run of the driver
KILLS = 30  # kill -9 rounds per file
PREVIOUS_ITEMS = ["old item 2", "old item 1", "old item 0"]

STATE, SETTINGS, FEED, ARCHIVE = "feedloom.dat", "feedloom.ini", "feed.rdf", "feedloom.rdf"
CANNOT_CREATE = "を作成できません。"  # ファイル "%s" を作成できません。%s
CANNOT_WRITE = " に書き込めません"  # %s に書き込めません

# (case name, file under test, driver operation, the message it must show).
TARGETS = [
    ("state at close", STATE, "close", CANNOT_CREATE),
    ("settings at close", SETTINGS, "close", CANNOT_WRITE),
    ("settings by CSS指定", SETTINGS, "css", CANNOT_WRITE),
    ("feed (RSS作成)", FEED, "feed", CANNOT_CREATE),
    ("archive (アイテム整理)", ARCHIVE, "cleanup", CANNOT_CREATE),
]
WRITTEN = [STATE, SETTINGS, FEED, ARCHIVE]


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


def driver_env():
    env = dict(os.environ)
    env["QT_QPA_PLATFORM"] = "offscreen"
    return env


def place_driver(folder):
    """The driver as folder/feedloom: a hard link when it can be, else a copy."""
    target = os.path.join(folder, "feedloom")
    try:
        os.link(DRIVER, target)
    except OSError:
        shutil.copy2(DRIVER, target)


def parse(stdout, everything=False):
    """(messages, items); with everything, a list of (kind, text) of every line."""
    lines = [tuple(line.partition(": ")[::2]) for line in stdout.splitlines()]
    if everything:
        return lines
    return [t for k, t in lines if k == "message"], [t for k, t in lines if k == "item"]


def run_all(folder, *args, timeout=TIMEOUT, prefix=()):
    """Runs the driver in folder; every printed (kind, text)."""
    p = subprocess.run(list(prefix) + [os.path.join(folder, "feedloom")] + list(args), cwd=folder, env=driver_env(),
                       capture_output=True, text=True, encoding="utf-8", timeout=timeout)
    check(p.returncode == 0, f"{' '.join(args)} ended with {p.returncode}: {p.stderr[-2000:]}")
    return parse(p.stdout, everything=True)


def run(folder, *args, preexec_fn=None, prefix=()):
    """Runs the driver in folder (its working folder too); (messages, items)."""
    cmd = list(prefix) + [os.path.join(folder, "feedloom")] + list(args)
    p = subprocess.run(cmd, cwd=folder, env=driver_env(), capture_output=True, text=True, encoding="utf-8",
                       timeout=TIMEOUT, preexec_fn=preexec_fn)
    check(p.returncode == 0, f"{' '.join(args)} ended with {p.returncode}: {p.stderr[-2000:]}")
    return parse(p.stdout)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def snapshot(folder):
    return {name: read(os.path.join(folder, name)) for name in WRITTEN
            if os.path.exists(os.path.join(folder, name))}


def temporaries(folder, aside=None):
    found = []
    for d in filter(None, [folder, aside]):
        found += [n for n in os.listdir(d) if ".tmp" in n]
    return found


def new_case(root, base, name, aside_state=False):
    """A fresh folder holding the base files; with aside_state the state file is a
    symbolic link into a folder of its own, so that a fault of this folder spares it."""
    folder = os.path.join(root, name.replace(" ", "_").replace("(", "").replace(")", ""))
    os.mkdir(folder)
    for n in WRITTEN:
        shutil.copy2(os.path.join(base, n), os.path.join(folder, n))
    aside = None
    if aside_state:
        aside = folder + ".aside"
        os.mkdir(aside)
        shutil.move(os.path.join(folder, STATE), os.path.join(aside, STATE))
        os.symlink(os.path.join(aside, STATE), os.path.join(folder, STATE))
    place_driver(folder)
    return folder, aside


# --- The full disk: run inside the namespace by this script itself ---------------------------

def inner_full_disk(folder, mount, free, op):
    """In the namespace: a tmpfs on mount with folder's files, the driver bound into it,
    filled up to leave `free` bytes; runs op there and copies the files back."""
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=1m", "tmpfs", mount], check=True)
    for n in os.listdir(folder):
        src = os.path.join(folder, n)
        if n != "feedloom":
            shutil.copy2(src, os.path.join(mount, n), follow_symlinks=False)
    open(os.path.join(mount, "feedloom"), "w").close()
    subprocess.run(["mount", "--bind", os.path.join(folder, "feedloom"), os.path.join(mount, "feedloom")],
                   check=True)
    filler = os.path.join(mount, "filler")
    fd = os.open(filler, os.O_WRONLY | os.O_CREAT, 0o600)
    try:
        while os.write(fd, b"\0" * 4096) > 0:
            pass
    except OSError:
        pass
    os.close(fd)
    size = os.path.getsize(filler)
    os.truncate(filler, max(0, size - free))
    p = subprocess.run([os.path.join(mount, "feedloom"), op], cwd=mount, env=driver_env(),
                       capture_output=True, text=True, encoding="utf-8", timeout=TIMEOUT)
    os.remove(filler)
    subprocess.run(["umount", os.path.join(mount, "feedloom")], check=True)
    os.remove(os.path.join(mount, "feedloom"))
    for n in os.listdir(mount):
        dst = os.path.join(folder, n)
        if os.path.lexists(dst):
            os.remove(dst)
        shutil.copy2(os.path.join(mount, n), dst, follow_symlinks=False)
    sys.stdout.buffer.write(p.stdout.encode("utf-8"))
    sys.stderr.buffer.write(p.stderr.encode("utf-8"))
    return p.returncode


def full_disk(folder, op, new_size):
    # Room for all but the last page of the new file, so that a larger file fails part
    # way through its writing and a small one at its first byte.
    free = max(0, (new_size - 1) // 4096 * 4096)
    mount = folder + ".mnt"
    os.mkdir(mount)
    cmd = ["unshare", "-rm", sys.executable, os.path.abspath(__file__), "--inner-full-disk", folder, mount,
           str(free), op]
    p = subprocess.run(cmd, env=driver_env(), capture_output=True, text=True, encoding="utf-8", timeout=TIMEOUT)
    check(p.returncode == 0, f"full disk run of {op} ended with {p.returncode}: {p.stderr[-2000:]}")
    return parse(p.stdout)


def read_only(folder, op):
    script = 'mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" && cd "$1" && exec ./feedloom "$2"'
    p = subprocess.run(["unshare", "-rm", "sh", "-c", script, "sh", folder, op], env=driver_env(),
                       capture_output=True, text=True, encoding="utf-8", timeout=TIMEOUT)
    check(p.returncode == 0, f"read-only run of {op} ended with {p.returncode}: {p.stderr[-2000:]}")
    return parse(p.stdout)


def size_limit(folder, op, limit):
    def limit_size():
        resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))

    return run(folder, op, preexec_fn=limit_size)


# --- The checks after a fault ---------------------------------------------------------------

def check_after_fault(folder, aside, target, before, messages, expected, items_expected):
    after = snapshot(folder)
    check(after.get(target) == before.get(target), f"{target} changed by the failed write")
    if target == STATE:
        check(after.get(SETTINGS) == before.get(SETTINGS), "settings written after the state file failed")
    check(len(messages) == 1, f"expected one message, got {messages}")
    check(expected in messages[0] and target in messages[0], f"message {messages[0]!r} is not the expected one")
    stray = temporaries(folder, aside)
    check(not stray, f"temporary files left behind: {stray}")
    _, items = run(folder, "load")
    check(items == items_expected, f"the next start shows {items}")
    return messages[0]


def reference_sizes(root, base):
    """The fault-free runs: each operation writes its file without a message of failure;
    returns the size of each new file."""
    sizes = {}
    for name, target, op, _ in TARGETS:
        folder, aside = new_case(root, base, "ref " + name, aside_state=(op == "close"))
        before = snapshot(folder)
        messages, _ = run(folder, op)
        after = snapshot(folder)
        check(after[target] != before[target], f"fault-free {op} did not change {target}")
        check(all(CANNOT_CREATE not in m and CANNOT_WRITE not in m for m in messages),
              f"fault-free {op} reported {messages}")
        sizes[(name, target)] = len(after[target])
    return sizes


def kill_nine(root, base, target, kind, rng):
    """Kills the writing loop KILLS times after random delays; returns how many kills
    landed inside a write (a temporary file was left behind)."""
    folder, _ = new_case(root, base, "kill " + kind)
    path = os.path.join(folder, target)
    contents = None
    left, mid_write = [], 0
    for round_ in range(KILLS):
        p = subprocess.Popen([os.path.join(folder, "feedloom"), "loop", kind], cwd=folder, env=driver_env(),
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, encoding="utf-8")
        try:
            line = p.stdout.readline()  # bounded: the loop prints "ready" or ends
            if line.strip() != "ready":
                p.kill()
                raise Failure(f"loop {kind} did not start: {line!r} {p.stderr.read()[-2000:]}")
            if contents is None:
                contents = {read(path + ".ref-a"), read(path + ".ref-b")}
                check(len(contents) == 2, f"loop {kind}: the two contents are the same")
            # The first write of this run has cleared what the last kill left.
            check(not set(left) & set(temporaries(folder)), f"temporary files of a killed run stay: {left}")
            time.sleep(rng.uniform(0.0, 0.05))
        finally:
            p.kill()
            p.wait(timeout=TIMEOUT)
            p.stdout.close()
            p.stderr.close()
        check(read(path) in contents, f"{target} is partial after kill {round_ + 1}")
        left = temporaries(folder)
        mid_write += bool(left)
    _, items = run(folder, "load")
    check(items[-3:] == PREVIOUS_ITEMS, f"the next start after the kills shows {items}")
    return mid_write


# --- Odd inputs, outputs and paths in the window ------------------------------------------------

SAME_FILE = "と同じファイルです"
CANNOT_OPEN = "を開けません。"
CLOSE_WITHOUT_SAVING = "保存せずに終了しますか？"


def of(lines, kind):
    return [t for k, t in lines if k == kind]


def state_not_regular(folder, make, prefix=()):
    """A state file that cannot be read (make turns feedloom.dat into it): shown at start,
    and the close still works, the old one kept aside as feedloom.dat.bad."""
    path = os.path.join(folder, STATE)
    os.remove(path)
    make(path)
    lines = run_all(folder, "close", timeout=20, prefix=prefix)  # a wait on a FIFO would end in the timeout
    messages = of(lines, "message")
    check(len(messages) == 1 and CANNOT_OPEN in messages[0] and STATE in messages[0],
          f"start-up showed {messages}")
    check(of(lines, "closed") == ["1"], f"the close was refused: {lines}")
    check(os.path.lexists(path + ".bad"), "the unreadable file was not kept aside")
    _, items = run(folder, "load", prefix=prefix)
    check(items == ["new item"], f"the next start shows {items}")
    return messages[0]


def unprivileged(folder):
    """The prefix that runs the driver as a user without privileges, for whom a file mode of
    0 means unreadable: nothing for a user who is one already; as root the case folder is
    handed to nobody through setpriv, or None when setpriv is missing."""
    if os.geteuid() != 0:
        return ()
    if shutil.which("setpriv") is None:
        return None
    nobody = pwd.getpwnam("nobody")
    root = os.path.dirname(folder)
    os.chmod(root, os.stat(root).st_mode | 0o011)  # the way in, not a listing
    driver = os.path.join(folder, "feedloom")
    os.remove(driver)  # a copy of its own, not the build's file under a new owner
    shutil.copy2(DRIVER, driver)
    for path in [folder] + [os.path.join(folder, n) for n in os.listdir(folder)]:
        os.lchown(path, nobody.pw_uid, nobody.pw_gid)
    return ("setpriv", f"--reuid={nobody.pw_uid}", f"--regid={nobody.pw_gid}", "--clear-groups", "--")


def unreadable_state(folder):
    prefix = unprivileged(folder)
    check(prefix is not None, "setpriv is missing")

    def unreadable(path):
        with open(path, "wb") as f:
            f.write(b"TPF0")
        os.chmod(path, 0)
        if prefix:
            os.lchown(path, pwd.getpwnam("nobody").pw_uid, -1)
    return state_not_regular(folder, unreadable, prefix)


def feed_over_input(folder, op, name):
    """RSSR1Click aimed at one of the program's own files is refused, the file unchanged."""
    before = snapshot(folder)
    messages, _ = run(folder, op, name)
    check(len(messages) == 1 and SAME_FILE in messages[0] and name in messages[0], f"showed {messages}")
    check(snapshot(folder) == before, f"{name} changed")
    return messages[0]


def settings_fifo(folder):
    os.remove(os.path.join(folder, SETTINGS))
    os.mkfifo(os.path.join(folder, SETTINGS))
    messages, items = run(folder, "load")
    check(not messages and items == PREVIOUS_ITEMS, f"start-up showed {messages} and {items}")
    return "read like a missing file, no wait"


def wave_dash_folder(root, base):
    """The program in a folder named with U+301C, which CP932 has no exact form of."""
    folder, _ = new_case(root, base, "fl\u301cx")
    lines = run_all(folder, "close")
    check(of(lines, "closed") == ["1"] and not of(lines, "message"), f"close in fl〜x: {lines}")
    _, items = run(folder, "load")
    check(items == ["new item"] + PREVIOUS_ITEMS, f"the next start in fl〜x shows {items}")
    return "saved and read back"


def read_only_close(folder, answer):
    """A close that cannot save: the error, then the question with No the default."""
    op = "close-yes" if answer else "close"
    script = 'mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" && cd "$1" && exec ./feedloom "$2"'
    p = subprocess.run(["unshare", "-rm", "sh", "-c", script, "sh", folder, op], env=driver_env(),
                       capture_output=True, text=True, encoding="utf-8", timeout=TIMEOUT)
    lines = parse(p.stdout, everything=True)
    check(of(lines, "question-no-default") == [CLOSE_WITHOUT_SAVING], f"no question with No the default: {lines}")
    check(of(lines, "closed") == ["1" if answer else "0"], f"closed: {lines}")
    return f"asked, {'Yes closes' if answer else 'No keeps the window open'}"


def path_cases(root, base, namespaces):
    cases = [
        ("state file is a FIFO", lambda f: state_not_regular(f, os.mkfifo)),
        ("state file is a folder", lambda f: state_not_regular(f, os.mkdir)),
        ("settings file is a FIFO", settings_fifo),
        ("feed to feedloom.dat", lambda f: feed_over_input(f, "feed-to", STATE)),
        ("feed to feedloom.ini", lambda f: feed_over_input(f, "feed-to", SETTINGS)),
        ("saved as feedloom.rdf", lambda f: feed_over_input(f, "save-as", ARCHIVE)),
        ("program folder fl〜x", None),
    ]
    if os.geteuid() != 0 or shutil.which("setpriv"):
        cases.insert(2, ("state file unreadable", unreadable_state))
    if namespaces:
        cases += [("close, cannot save, No", lambda f: read_only_close(f, False)),
                  ("close, cannot save, Yes", lambda f: read_only_close(f, True))]
    results, failures = [], []
    for name, case in cases:
        try:
            if case is None:
                shown = wave_dash_folder(root, base)
            else:
                folder, _ = new_case(root, base, name)
                shown = case(folder)
            results.append((name, "path", "ok: " + shown))
        except (Failure, subprocess.TimeoutExpired, OSError) as e:
            failures.append(f"{name}: {e}")
            results.append((name, "path", f"FAILED: {e}"))
    return results, failures


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--inner-full-disk":
        return inner_full_disk(sys.argv[2], sys.argv[3], int(sys.argv[4]), sys.argv[5])
    if not os.path.exists(DRIVER):
        print(__doc__)
        return 2
    namespaces = shutil.which("unshare") is not None and \
        subprocess.run(["unshare", "-rm", "true"], capture_output=True).returncode == 0
    if not namespaces:
        print("SKIP full disk and read-only folder: unshare -rm is not permitted on this machine")
    rng = random.Random(1308)
    results, failures = [], []

    with tempfile.TemporaryDirectory(prefix="feedloom-faults-") as root:
        base = os.path.join(root, "base")
        os.mkdir(base)
        place_driver(base)
        open(os.path.join(base, FEED), "wb").close()  # the configured file must exist
        run(base, "seed", str(len(PREVIOUS_ITEMS)))
        run(base, "feed", "base item")  # the previous feed and archive hold this item
        run(base, "cleanup", "base item")
        check(set(snapshot(base)) == set(WRITTEN), "the base folder lacks a file")
        sizes = reference_sizes(root, base)

        for name, target, op, expected in TARGETS:
            faults = [("RLIMIT_FSIZE", lambda f, a: size_limit(f, op, sizes[(name, target)] - 1))]
            if namespaces:
                faults.insert(0, ("ENOSPC", lambda f, a: full_disk(f, op, sizes[(name, target)])))
                faults.append(("read-only folder", lambda f, a: read_only(f, op)))
            for fault, inject in faults:
                try:
                    # At close the state file is written before the settings: to reach the
                    # settings it lies elsewhere, spared by the fault, and gets the new item.
                    aside_state = op == "close" and target != STATE
                    folder, aside = new_case(root, base, f"{fault} {name}", aside_state=aside_state)
                    before = snapshot(folder)
                    messages, _ = inject(folder, aside)
                    items = (["new item"] if aside_state else []) + PREVIOUS_ITEMS
                    shown = check_after_fault(folder, aside, target, before, messages, expected, items)
                    results.append((name, fault, "kept; shown: " + shown))
                except (Failure, subprocess.TimeoutExpired, OSError) as e:
                    failures.append(f"{name} / {fault}: {e}")
                    results.append((name, fault, f"FAILED: {e}"))

        more, failed = path_cases(root, base, namespaces)
        results += more
        failures += failed

        for target, kind in [(STATE, "state"), (SETTINGS, "settings"), (FEED, "feed"), (ARCHIVE, "archive")]:
            try:
                mid_write = kill_nine(root, base, target, kind, rng)
                results.append((target, "kill -9", f"whole after {KILLS} kills, {mid_write} of them inside a "
                                                   "write; their temporary files gone at the next write"))
            except (Failure, subprocess.TimeoutExpired, OSError) as e:
                failures.append(f"{target} / kill -9: {e}")
                results.append((target, "kill -9", f"FAILED: {e}"))

    for name, fault, result in results:
        print(f"{name:24} {fault:18} {result}")
    for f in failures:
        print("FAIL:", f)
    if failures:
        return 1
    return 0 if namespaces else SKIP


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Checks the Debian package as a user would meet it, without installing it.

lintian must report no error. The package is unpacked with dpkg-deb -x into a temporary
root; its layout, desktop entry and AppStream metadata are checked, and the programs run
from there: feedloom-feed finds the state and settings files in the XDG folders, and
feedloom, started without a display server of its own (offscreen), makes its folders.

usage: check_deb.py PATH/TO/feedloom_VERSION_amd64.deb
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

EXPECTED = [
    "usr/bin/feedloom",
    "usr/bin/feedloom-feed",
    "usr/share/applications/feedloom.desktop",
    "usr/share/icons/hicolor/scalable/apps/feedloom.svg",
    "usr/share/icons/hicolor/48x48/apps/feedloom.png",
    "usr/share/icons/hicolor/256x256/apps/feedloom.png",
    "usr/share/metainfo/io.github.feedloom.Feedloom.metainfo.xml",
    "usr/share/man/man1/feedloom.1.gz",
    "usr/share/man/man1/feedloom-feed.1.gz",
    "usr/share/feedloom/feedloom-guide.html",
    "usr/share/doc/feedloom/feedloom-guide.html",
    "usr/share/doc/feedloom/copyright",
    "usr/share/doc/feedloom/changelog.Debian.gz",
]


class Failure(Exception):
    pass


def run(args, **kw):
    return subprocess.run(args, capture_output=True, text=True, **kw)


def check_lintian(deb):
    r = run(["lintian", "--no-tag-display-limit", deb])
    errors = [l for l in r.stdout.splitlines() if l.startswith("E:")]
    for line in r.stdout.splitlines():
        print("  lintian:", line)
    if errors:
        raise Failure("lintian reports errors:\n" + "\n".join(errors))


def check_control(deb):
    fields = run(["dpkg-deb", "-f", deb]).stdout
    for needed in ["Package: feedloom", "Version: 1.08-1", "Architecture: amd64", "Maintainer: ",
                   "fonts-ipafont-gothic", "xdg-utils", "libqt6widgets6", "ウェブサイト"]:
        if needed not in fields:
            raise Failure("control fields lack %r:\n%s" % (needed, fields))


def check_layout(root):
    for path in EXPECTED:
        full = os.path.join(root, path)
        if not os.path.isfile(full):  # follows the guide's link in doc/
            raise Failure("missing from the package: /" + path)
    for tool, path in [("desktop-file-validate", "usr/share/applications/feedloom.desktop"),
                       ("appstreamcli", "usr/share/metainfo/io.github.feedloom.Feedloom.metainfo.xml")]:
        args = [tool, os.path.join(root, path)]
        if tool == "appstreamcli":
            args = [tool, "validate", "--no-net", args[1]]
        r = run(args)
        if r.returncode != 0:
            raise Failure(" ".join(args) + ":\n" + r.stdout + r.stderr)


def check_programs(root, work):
    env = dict(os.environ)
    env["XDG_DATA_HOME"] = os.path.join(work, "data")
    env["XDG_CONFIG_HOME"] = os.path.join(work, "config")
    env["QT_QPA_PLATFORM"] = "offscreen"
    feed = os.path.join(root, "usr/bin/feedloom-feed")
    # No state file yet: the message names where it was looked for.
    r = run([feed, os.path.join(work, "out.rdf")], env=env)
    want = os.path.join(env["XDG_DATA_HOME"], "feedloom", "feedloom.dat")
    if r.returncode != 1 or want not in r.stderr:
        raise Failure("feedloom-feed without files: %d %r" % (r.returncode, r.stderr))

    # The window program makes its folders at start-up.
    p = subprocess.Popen([os.path.join(root, "usr/bin/feedloom")], env=env,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        end = time.monotonic() + 60
        folders = [os.path.join(env[v], "feedloom") for v in ("XDG_DATA_HOME", "XDG_CONFIG_HOME")]
        while not all(os.path.isdir(f) for f in folders):
            if p.poll() is not None or time.monotonic() > end:
                raise Failure("feedloom did not make its folders: %r" % folders)
            time.sleep(0.05)  # poll interval, bounded by the deadline above
    finally:
        p.kill()
        p.wait()
    if any(os.path.exists(os.path.join(root, "usr/bin", n)) for n in ("feedloom.dat", "feedloom.ini")):
        raise Failure("files written beside the installed program")


def main():
    deb = sys.argv[1]
    work = tempfile.mkdtemp(prefix="feedloom-deb-")
    try:
        check_lintian(deb)
        check_control(deb)
        root = os.path.join(work, "root")
        r = run(["dpkg-deb", "-x", deb, root])
        if r.returncode != 0:
            raise Failure("dpkg-deb -x: " + r.stderr)
        check_layout(root)
        check_programs(root, work)
    except Failure as e:
        print("FAILED:", e)
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("package checks passed:", deb)
    return 0


if __name__ == "__main__":
    sys.exit(main())

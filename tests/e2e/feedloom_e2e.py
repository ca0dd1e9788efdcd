#!/usr/bin/python3
"""Runs the real feedloom under Xvfb as a person would, with real X input (xdotool).

It adds an item with a two-line description through the item dialog, writes the feed
through the save dialog, copies text out of and pastes text into the description editor
through the X clipboard (xclip), closes the window the way the window manager closes it,
starts the program again and checks that the item is still there, then adds a copy of it
by reference and finds the duplicate link through the feed check. The feeds are checked
with feedparser, rapper and xmllint.

Every wait polls and is bounded; there are no fixed sleeps.

usage: feedloom_e2e.py PATH/TO/feedloom
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import feedparser

MAIN_CAPTION = "Feedloom Ver1.08"
ITEM_CAPTION = "Item追加・編集"
CHECK_CAPTION = "フィードの検査"
WAIT = 60.0  # seconds; the sanitizer build starts slowly


class Failure(Exception):
    pass


def poll(what, probe, timeout=WAIT, interval=0.05):
    """Calls probe until it returns a true value; fails after timeout seconds."""
    end = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure("timed out waiting for " + what)
        # Poll interval, not a wait for an outcome.
        time.sleep(interval)


class Session:
    def __init__(self, folder):
        self.folder = folder
        self.env = dict(os.environ)
        self.procs = []
        self.xvfb = None

    # -- X server and window manager ------------------------------------------------------
    def start_x(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=[write_fd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            display = f.readline().strip()
        if not display:
            raise Failure("Xvfb did not start")
        self.env["DISPLAY"] = ":" + display
        self.env.pop("WAYLAND_DISPLAY", None)
        self.env["QT_QPA_PLATFORM"] = "xcb"
        wm = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.procs.append(wm)
        poll("the window manager", lambda: self.run(["wmctrl", "-m"], check=False).returncode == 0)

    def run(self, args, check=True, input=None):
        r = subprocess.run(args, env=self.env, input=input, capture_output=True)
        if check and r.returncode != 0:
            raise Failure(" ".join(args) + ": " + r.stderr.decode(errors="replace"))
        return r

    def out(self, args):
        return self.run(args).stdout.decode()

    # -- windows ---------------------------------------------------------------------------
    def find_window(self, caption):
        r = self.run(["xdotool", "search", "--onlyvisible", "--name", "^" + caption + "$"], check=False)
        ids = r.stdout.split()
        return ids[0].decode() if ids else None

    def wait_window(self, caption):
        return poll("window " + caption, lambda: self.find_window(caption))

    def wait_window_gone(self, caption):
        poll("window " + caption + " to close", lambda: self.find_window(caption) is None)

    def activate(self, wid):
        self.run(["xdotool", "windowactivate", "--sync", wid], check=False)
        poll("focus on " + wid, lambda: self.out(["xdotool", "getactivewindow"]).strip() == wid)

    # Keys and text go through the XTEST extension, as a keyboard's would, to the window
    # that has the focus; wid must be that window. (Events sent to a window directly are
    # marked synthetic, and chords sent that way can leave a modifier held in the server.)
    def key(self, wid, *keys):
        self.expect_active(wid)
        self.run(["xdotool", "key", "--delay", "30"] + list(keys))

    def type(self, wid, text):
        self.expect_active(wid)
        self.run(["xdotool", "type", "--delay", "20", text])

    def expect_active(self, wid):
        poll("focus on " + wid, lambda: self.out(["xdotool", "getactivewindow"]).strip() == wid)

    def click(self, wid, x, y, times=1):
        # Two commands: chained after "mousemove --window", xdotool would send the click to
        # that window as a synthetic event, which toolkits ignore.
        self.run(["xdotool", "mousemove", "--window", wid, str(x), str(y)])
        self.run(["xdotool", "click", "--repeat", str(times), "--delay", "80", "1"])

    # -- the program -----------------------------------------------------------------------
    def start_feedloom(self):
        exe = os.path.join(self.folder, "feedloom")
        # Its output goes to a file: a pipe nobody reads would stall it once full.
        self.log = open(os.path.join(self.folder, "feedloom.log"), "ab")
        p = subprocess.Popen([exe], env=self.env, cwd=self.folder, stdout=self.log, stderr=subprocess.STDOUT)
        self.feedloom = p
        wid = self.wait_window(MAIN_CAPTION)
        self.activate(wid)
        return wid

    def close_feedloom(self, wid):
        # The window manager's close: WM_DELETE_WINDOW through _NET_CLOSE_WINDOW.
        self.run(["wmctrl", "-i", "-c", wid])
        poll("feedloom to exit", lambda: self.feedloom.poll() is not None)
        self.log.close()
        output = open(os.path.join(self.folder, "feedloom.log"), "rb").read().decode(errors="replace")
        if self.feedloom.returncode != 0:
            raise Failure("feedloom exited with %d:\n%s" % (self.feedloom.returncode, output))

    def clipboard_out(self):
        # Empty while nobody owns the clipboard yet.
        r = self.run(["xclip", "-o", "-selection", "clipboard"], check=False)
        return r.stdout.decode("utf-8", "replace") if r.returncode == 0 else ""

    def clipboard_in(self, text):
        # xclip stays in the background serving the selection until another owner takes it.
        p = subprocess.Popen(["xclip", "-i", "-selection", "clipboard", "-quiet"], env=self.env,
                             stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        p.stdin.write(text.encode("utf-8"))
        p.stdin.close()
        self.procs.append(p)
        poll("the clipboard to hold the text", lambda: self.clipboard_out() == text)

    def stop(self):
        for p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
        if getattr(self, "feedloom", None) and self.feedloom.poll() is None:
            self.feedloom.kill()
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait(10)


def save_feed(s, main, path):
    """"RSS作成(&R)" through the save dialog, typing a full path."""
    s.activate(main)
    s.key(main, "alt+r")
    # The save dialog is the window that takes the activation from the main window.
    def active_dialog():
        r = s.run(["xdotool", "getactivewindow"], check=False)
        wid = r.stdout.decode().strip()
        return wid if r.returncode == 0 and wid and wid != main else None
    dialog = poll("the save dialog", active_dialog)
    title = s.out(["xdotool", "getwindowname", dialog]).strip()
    s.activate(dialog)
    s.key(dialog, "ctrl+a")
    s.type(dialog, path)
    # Return accepts the name; while the file name completer shows its list, the first
    # Return only closes the list, so it is pressed again as long as the dialog stays.
    def accepted():
        if os.path.exists(path) and os.path.getsize(path) > 0:
            return True
        if s.find_window(title):
            s.run(["xdotool", "key", "Return"], check=False)
        return False
    poll("the feed file " + path, accepted, interval=0.5)
    s.wait_window_gone(title)


def check_feed(path, titles, descriptions):
    data = open(path, "rb").read()
    if not data.startswith(b"<?xml") or not data.endswith(b">\n\r\n"):
        raise Failure("feed bytes: %r ... %r" % (data[:10], data[-6:]))
    r = subprocess.run(["xmllint", "--noout", path], capture_output=True)
    if r.returncode != 0:
        raise Failure("xmllint: " + r.stderr.decode())
    r = subprocess.run(["rapper", "-q", "-i", "rdfxml", "-o", "ntriples", path], capture_output=True)
    if r.returncode != 0:
        raise Failure("rapper: " + r.stderr.decode())
    triples = r.stdout.decode()
    item_type = "<http://purl.org/rss/1.0/item>"
    if triples.count(item_type) != len(titles):
        raise Failure("rapper found %d items:\n%s" % (triples.count(item_type), triples))
    feed = feedparser.parse(data)
    if feed.bozo:
        raise Failure("feedparser: %s" % feed.bozo_exception)
    if feed.version != "rss10":
        raise Failure("feedparser version " + feed.version)
    got = [(e.title, e.description) for e in feed.entries]
    if got != list(zip(titles, descriptions)):
        raise Failure("feed entries %r, expected %r" % (got, list(zip(titles, descriptions))))


def main():
    exe = sys.argv[1]
    folder = tempfile.mkdtemp(prefix="feedloom-e2e-")
    shutil.copy2(exe, os.path.join(folder, "feedloom"))
    s = Session(folder)
    try:
        s.start_x()
        main_wid = s.start_feedloom()
        # The site URL field has the focus and holds "http://".
        s.key(main_wid, "End")
        s.type(main_wid, "example.org/")
        s.key(main_wid, "Tab")
        s.type(main_wid, "Feedloom e2e")

        # "追加(&A)": the item dialog, a title, the link (the site URL), a two-line description.
        s.key(main_wid, "alt+a")
        item = s.wait_window(ITEM_CAPTION)
        s.activate(item)
        s.type(item, "First item")
        s.key(item, "Tab")
        s.key(item, "End")
        s.type(item, "first.html")
        s.key(item, "Tab")
        s.type(item, "line one")
        s.key(item, "Return")
        s.type(item, "line two")
        # Copy both lines out through the clipboard.
        s.key(item, "ctrl+Home", "shift+ctrl+End", "ctrl+c")
        poll("the copied description", lambda: s.clipboard_out() == "line one\nline two")
        # Paste text from another program at the end of the description.
        s.clipboard_in("\u65e5\u672c\u8a9e pasted")
        s.key(item, "ctrl+End", "ctrl+v")
        s.click(item, 344 + 37, 192 + 12)  # OK
        s.wait_window_gone(ITEM_CAPTION)

        feed1 = os.path.join(folder, "out", "first.rdf")
        os.makedirs(os.path.dirname(feed1))
        save_feed(s, main_wid, feed1)
        check_feed(feed1, ["First item"], ["line oneline two\u65e5\u672c\u8a9e pasted"])

        s.close_feedloom(main_wid)
        if not os.path.exists(os.path.join(folder, "feedloom.dat")):
            raise Failure("no state file after the close")

        # Again: the item is still there.
        main_wid = s.start_feedloom()
        feed2 = os.path.join(folder, "out", "second.rdf")
        save_feed(s, main_wid, feed2)
        check_feed(feed2, ["First item"], ["line oneline two\u65e5\u672c\u8a9e pasted"])

        # "参照して追加(&S)" of the selected item gives a second item with the same link.
        # The feed check lists it; double-clicking the finding (the first row) selects the
        # older item and closes the check, which only a finding of an item does.
        s.key(main_wid, "Tab", "Tab", "Tab", "Home", "space")  # site URL, name, "Max RSS Item", the list
        s.key(main_wid, "alt+s")
        item = s.wait_window(ITEM_CAPTION)
        s.activate(item)
        s.type(item, "Copy")
        s.click(item, 344 + 37, 192 + 12)  # OK
        s.wait_window_gone(ITEM_CAPTION)
        s.activate(main_wid)
        s.key(main_wid, "alt+t", "v")
        check = s.wait_window(CHECK_CAPTION)
        s.activate(check)
        s.click(check, 120, 8 + 7, times=2)
        s.wait_window_gone(CHECK_CAPTION)
        # "編集(&E)" shows the selected item: its title goes out through the clipboard.
        s.activate(main_wid)
        s.key(main_wid, "alt+e")
        item = s.wait_window(ITEM_CAPTION)
        s.activate(item)
        s.click(item, 79 + 200, 8 + 10)  # the title
        s.key(item, "ctrl+a", "ctrl+c")
        poll("the title of the item the check selected", lambda: s.clipboard_out() == "First item")
        s.click(item, 432 + 37, 192 + 12)  # Cancel
        s.wait_window_gone(ITEM_CAPTION)
        s.close_feedloom(main_wid)
    except Failure as e:
        print("FAILED:", e)
        shot = os.environ.get("FEEDLOOM_E2E_SHOT")
        if shot and shutil.which("import"):  # ImageMagick, when installed
            s.run(["import", "-window", "root", shot], check=False)
        return 1
    finally:
        s.stop()
    shutil.rmtree(folder, ignore_errors=True)
    print("end-to-end run passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())

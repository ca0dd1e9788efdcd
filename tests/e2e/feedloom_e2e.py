#!/usr/bin/python3
"""Runs the real feedloom under Xvfb as a person would, with real X input (xdotool).

It adds an item with a two-line description through the item dialog, writes the feed
through the save dialog, copies text out of and pastes text into the description editor
through the X clipboard (xclip), closes the window the way the window manager closes it,
starts the program again and checks that the item is still there, then adds a copy of it
by reference and finds the duplicate link through the feed check. The feeds are checked
with feedparser, rapper and xmllint. A screen reader's view is read from the accessibility
bus (AT-SPI over D-Bus): the item dialog's description while a Japanese one is typed, and the
main window's description of the selected item.

Then it installs the program with DESTDIR into the temporary folder and starts it by
the Exec line of its desktop entry, with the XDG folders inside the temporary folder;
it types a Japanese description into the item dialog through a real input method (ibus
with anthy on a private session bus), writes the feed and finds the converted text in
it, and, while the window is open, starts the program as a second user (setpriv, when
run as root): both windows exist. After the close the files are in the XDG folders and
none beside the executable.

Every wait polls and is bounded; there are no fixed sleeps.

usage: feedloom_e2e.py PATH/TO/feedloom
"""
import os
import pwd
import shlex
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


# AT-SPI roles and states (the numbering of at-spi2-core's atspi-constants.h).
ATSPI_ROLE_LIST = 31
ATSPI_ROLE_TEXT = 61
ATSPI_ROLE_LIST_BOX = 98
ATSPI_STATE_EDITABLE = 7
ATSPI_STATE_FOCUSED = 12
ATSPI_STATE_READ_ONLY = 43


class A11y:
    """The accessibility bus as a screen reader reads it, through python3-dbus. Properties are
    read one at a time: a Qt 6.4 program crashes when asked for all of an object's properties
    in one GetAll call."""

    def __init__(self, address):
        import dbus
        self.dbus = dbus
        self.bus = dbus.bus.BusConnection(address)

    def _obj(self, ref):
        return self.bus.get_object(ref[0], ref[1], introspect=False)

    def _call(self, ref, iface, method, *args):
        return getattr(self._obj(ref), method)(*args, dbus_interface="org.a11y.atspi." + iface, timeout=20)

    def prop(self, ref, iface, name):
        return self._obj(ref).Get("org.a11y.atspi." + iface, name,
                                  dbus_interface="org.freedesktop.DBus.Properties", timeout=20)

    def children(self, ref):
        return [(str(n), str(p)) for n, p in self._call(ref, "Accessible", "GetChildren")]

    def name(self, ref):
        return str(self.prop(ref, "Accessible", "Name"))

    def role(self, ref):
        return int(self._call(ref, "Accessible", "GetRole"))

    def states(self, ref):
        words = self._call(ref, "Accessible", "GetState")
        return {32 * i + b for i, w in enumerate(words) for b in range(32) if int(w) >> b & 1}

    def text(self, ref):
        count = int(self.prop(ref, "Text", "CharacterCount"))
        return str(self._call(ref, "Text", "GetText", 0, count))

    def caret(self, ref):
        return int(self.prop(ref, "Text", "CaretOffset"))

    def extents(self, ref):
        return [int(v) for v in self._call(ref, "Component", "GetExtents", self.dbus.UInt32(0))]

    def app(self, name):
        """The registered application of that name, or None (yet)."""
        root = ("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root")
        try:
            return next((a for a in self.children(root) if self.name(a).lower() == name), None)
        except self.dbus.DBusException:
            return None

    def find(self, ref, role, name, depth=8):
        """The first object below ref with that role and name, breadth first."""
        level = [ref]
        for _ in range(depth):
            below = []
            for r in level:
                for c in self.children(r):
                    if self.role(c) == role and (name is None or self.name(c) == name):
                        return c
                    below.append(c)
            level = below
        return None

    def window(self, app, caption):
        """The top-level window of app with that caption, or None (yet)."""
        try:
            return next((w for w in self.children(app) if self.name(w) == caption), None)
        except self.dbus.DBusException:
            return None


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


def poll_equal(what, read, want, timeout=20):
    """Polls read() until it returns want; the failure shows what it returned last."""
    last = []
    try:
        poll(what, lambda: last.append(read()) or last[-1] == want, timeout)
    except Failure:
        raise Failure("%s: read %r, expected %r" % (what, last[-1] if last else None, want))


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

    def start_a11y(self):
        """A private session bus and the accessibility bus that at-spi-bus-launcher starts on it;
        the program exports its widgets there (Qt does so when asked to by the environment)."""
        import dbus
        read_fd, write_fd = os.pipe()
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=%d" % write_fd],
                               pass_fds=[write_fd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        self.procs.append(bus)
        with os.fdopen(read_fd) as f:
            address = f.readline().strip()
        if not address:
            raise Failure("the session bus did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        self.procs.append(subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                           env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        session = dbus.bus.BusConnection(address)

        def a11y_address():
            try:
                return str(session.get_object("org.a11y.Bus", "/org/a11y/bus", introspect=False)
                           .GetAddress(dbus_interface="org.a11y.Bus", timeout=5))
            except dbus.DBusException:
                return None
        self.a11y = A11y(poll("the accessibility bus", a11y_address))
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"

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

    def type(self, wid, text, delay=20):
        self.expect_active(wid)
        self.run(["xdotool", "type", "--delay", str(delay), text])

    def expect_active(self, wid):
        poll("focus on " + wid, lambda: self.out(["xdotool", "getactivewindow"]).strip() == wid)

    def click(self, wid, x, y, times=1):
        # Two commands: chained after "mousemove --window", xdotool would send the click to
        # that window as a synthetic event, which toolkits ignore.
        self.run(["xdotool", "mousemove", "--window", wid, str(x), str(y)])
        self.run(["xdotool", "click", "--repeat", str(times), "--delay", "80", "1"])

    # -- the program -----------------------------------------------------------------------
    def start_feedloom(self, command=None, env=None):
        command = command or [os.path.join(self.folder, "feedloom")]
        # Its output goes to a file: a pipe nobody reads would stall it once full.
        self.log = open(os.path.join(self.folder, "feedloom.log"), "ab")
        p = subprocess.Popen(command, env=env or self.env, cwd=self.folder, stdout=self.log,
                             stderr=subprocess.STDOUT)
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


# -- the installed program ----------------------------------------------------------------------
def install(build_dir, stage):
    """What `make install DESTDIR=stage PREFIX=/usr` does: CMake's install of the build."""
    env = dict(os.environ, DESTDIR=stage)
    r = subprocess.run(["cmake", "--install", build_dir, "--prefix", "/usr"], env=env, capture_output=True)
    if r.returncode != 0:
        raise Failure("cmake --install: " + r.stderr.decode(errors="replace"))


def desktop_entry(path):
    """The keys of the [Desktop Entry] group of a .desktop file."""
    keys, group = {}, None
    for line in open(path, encoding="utf-8"):
        line = line.strip()
        if line.startswith("["):
            group = line
        elif group == "[Desktop Entry]" and "=" in line and not line.startswith("#"):
            key, value = line.split("=", 1)
            keys[key] = value
    return keys


def exec_command(entry, path):
    """The entry's Exec line as a desktop starts it: field codes dropped, the program on PATH."""
    args = [a for a in shlex.split(entry["Exec"]) if not (len(a) == 2 and a[0] == "%")]
    program = shutil.which(args[0], path=path)
    if not program:
        raise Failure("Exec=%s: not found on %s" % (entry["Exec"], path))
    return [program] + args[1:]


class InputMethod:
    """ibus-daemon with the anthy engine on a private session bus."""

    def __init__(self, s, env):
        # The anthy engine is a Python program started through python3 on PATH: the
        # system's, which has the gi bindings.
        self.env = dict(env, PATH="/usr/bin:" + env["PATH"])
        self.s = s
        self.bus_pid = None
        self.daemon = None

    def run(self, args, check=True):
        r = subprocess.run(args, env=self.env, capture_output=True, timeout=WAIT)
        if check and r.returncode != 0:
            raise Failure(" ".join(args) + ": " + r.stderr.decode(errors="replace"))
        return r.stdout.decode().strip()

    def start(self):
        """Returns the environment of a program that types through the input method."""
        for line in self.run(["dbus-launch", "--sh-syntax"]).splitlines():
            key, _, value = line.rstrip(";").partition("=")
            if key in ("DBUS_SESSION_BUS_ADDRESS", "DBUS_SESSION_BUS_PID"):
                self.env[key] = value.strip("'")
        self.bus_pid = int(self.env["DBUS_SESSION_BUS_PID"])
        # The engine list must be cached under this bus before an engine can be chosen.
        self.run(["ibus", "write-cache"])
        self.daemon = subprocess.Popen(["ibus-daemon", "--panel=disable", "--emoji-extension=disable"],
                                       env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        address = poll("ibus-daemon", lambda: self.daemon.poll() is None and
                       self.run(["ibus", "address"], check=False).startswith("unix:") and
                       self.run(["ibus", "address"]))
        poll("the anthy engine", lambda: self.run(["ibus", "engine", "anthy"], check=False) is not None and
             self.run(["ibus", "engine"], check=False) == "anthy", interval=0.2)
        return dict(self.env, QT_IM_MODULE="ibus", IBUS_ADDRESS=address)

    def latin(self):
        """Back to the plain keyboard layout, for the path typed into the save dialog."""
        self.run(["ibus", "engine", "xkb:us::eng"])
        poll("the plain keyboard engine", lambda: self.run(["ibus", "engine"], check=False) == "xkb:us::eng")

    def stop(self):
        if self.daemon and self.daemon.poll() is None:
            self.run(["ibus", "exit"], check=False)
            try:
                self.daemon.wait(10)
            except subprocess.TimeoutExpired:
                self.daemon.kill()
        if self.bus_pid:
            try:
                os.kill(self.bus_pid, 15)
            except ProcessLookupError:
                pass


def second_user(s, command, folder):
    """Starts the program as another user while the first one's runs: both windows exist.
    Its window closes again and its files land in that user's home."""
    if os.geteuid() != 0:
        print("NOTE: not root, so no second user is tried")
        return
    nobody = pwd.getpwnam("nobody")
    home = os.path.join(folder, "home-nobody")
    os.makedirs(home)
    os.chown(home, nobody.pw_uid, nobody.pw_gid)
    # The temporary folder and the installed tree must be readable by that user.
    for path in [folder] + [os.path.join(r, d) for r, ds, _ in os.walk(os.path.join(folder, "stage")) for d in ds]:
        os.chmod(path, 0o755)
    env = {k: v for k, v in s.env.items() if not k.startswith(("XDG_", "DBUS_", "IBUS_", "QT_IM"))}
    env["HOME"] = home
    log = open(os.path.join(folder, "feedloom-nobody.log"), "ab")
    p = subprocess.Popen(["setpriv", "--reuid=%d" % nobody.pw_uid, "--regid=%d" % nobody.pw_gid,
                          "--clear-groups", "--"] + command, env=env, cwd=home, stdout=log, stderr=subprocess.STDOUT)
    try:
        def windows():
            if p.poll() is not None:
                raise Failure("the second user's feedloom ended with %d" % p.returncode)
            r = s.run(["xdotool", "search", "--onlyvisible", "--name", "^" + MAIN_CAPTION + "$"], check=False)
            return r.stdout.split() if len(r.stdout.split()) == 2 else None
        wids = [w.decode() for w in poll("two Feedloom windows", windows)]
        theirs = [w for w in wids if s.out(["xdotool", "getwindowpid", w]).strip() == str(p.pid)]
        if len(theirs) != 1:
            raise Failure("no window of the second user's feedloom among %r" % wids)
        s.run(["wmctrl", "-i", "-c", theirs[0]])
        poll("the second user's feedloom to exit", lambda: p.poll() is not None)
        if p.returncode != 0:
            raise Failure("the second user's feedloom exited with %d" % p.returncode)
        state = os.path.join(home, ".local", "share", "feedloom", "feedloom.dat")
        if not os.path.exists(state) or os.stat(state).st_uid != nobody.pw_uid:
            raise Failure("the second user's state file is not " + state)
    finally:
        if p.poll() is None:
            p.kill()
            p.wait()
        log.close()


def installed_run(s, exe):
    folder = s.folder
    stage = os.path.join(folder, "stage")
    install(os.path.dirname(exe), stage)
    bindir = os.path.join(stage, "usr", "bin")
    entry = desktop_entry(os.path.join(stage, "usr", "share", "applications", "feedloom.desktop"))
    env = dict(s.env)
    env["PATH"] = bindir + ":" + env["PATH"]
    env["XDG_DATA_HOME"] = os.path.join(folder, "xdg", "data")
    env["XDG_CONFIG_HOME"] = os.path.join(folder, "xdg", "config")
    ime = InputMethod(s, env)
    try:
        env = ime.start()
        command = exec_command(entry, env["PATH"])
        main_wid = s.start_feedloom(command, env)
        wm_class = s.out(["xprop", "-id", main_wid, "WM_CLASS"])
        if '"%s"' % entry["StartupWMClass"] not in wm_class:
            raise Failure("StartupWMClass=%s does not match %s" % (entry["StartupWMClass"], wm_class))

        second_user(s, command, folder)

        s.activate(main_wid)
        s.key(main_wid, "End")
        s.type(main_wid, "example.org/")
        s.key(main_wid, "alt+a")
        item = s.wait_window(ITEM_CAPTION)
        s.activate(item)
        s.type(item, "Installed item")
        s.key(item, "Tab", "Tab")
        # The description through anthy: Ctrl+J to hiragana, romaji, Space converts,
        # Return commits.
        s.key(item, "ctrl+j")
        s.type(item, "nihongo")
        s.key(item, "space")
        s.key(item, "Return")
        ime.latin()
        s.click(item, 344 + 37, 192 + 12)  # OK
        s.wait_window_gone(ITEM_CAPTION)
        feed = os.path.join(folder, "out", "installed.rdf")
        save_feed(s, main_wid, feed)
        check_feed(feed, ["Installed item"], ["\u65e5\u672c\u8a9e"])
        s.close_feedloom(main_wid)
    finally:
        ime.stop()

    for path in [os.path.join(env["XDG_DATA_HOME"], "feedloom", "feedloom.dat"),
                 os.path.join(env["XDG_CONFIG_HOME"], "feedloom", "feedloom.ini")]:
        if not os.path.isfile(path):
            raise Failure("the installed program did not write " + path)
    beside = [n for n in os.listdir(bindir) if n not in ("feedloom", "feedloom-feed")]
    if beside:
        raise Failure("files beside the installed program: %r" % beside)


def check_read_aloud(s, main, title, shown_description):
    """What a screen reader reads of the two description editors through the accessibility bus:
    the item dialog's while a two-line Japanese description is typed (the dialog is then
    cancelled), and the main window's read-only one after an item is selected."""
    a = s.a11y
    app = poll("feedloom on the accessibility bus", lambda: s.a11y.app("feedloom"))

    s.activate(main)
    s.key(main, "alt+a")
    item = s.wait_window(ITEM_CAPTION)
    s.activate(item)
    s.click(item, 80 + 100, 56 + 40)  # into the description, whichever control had the focus
    rows = ["\u65e5\u672c\u8a9e\u306e\u8aac\u660e", "\u4e8c\u884c\u76ee \uff76\uff85"]
    s.type(item, rows[0], delay=200)
    s.key(item, "Return")
    s.type(item, rows[1], delay=200)
    dialog = poll("the item dialog on the bus", lambda: a.window(app, ITEM_CAPTION))
    desc = poll("the dialog's description on the bus", lambda: a.find(dialog, ATSPI_ROLE_TEXT, "Description"))
    typed = "\n".join(rows)
    poll_equal("the typed description on the bus", lambda: a.text(desc), typed)
    if a.caret(desc) != len(typed):
        raise Failure("caret offset %d in %r" % (a.caret(desc), typed))
    states = a.states(desc)
    if not {ATSPI_STATE_EDITABLE, ATSPI_STATE_FOCUSED} <= states or ATSPI_STATE_READ_ONLY in states:
        raise Failure("the dialog's description is not editable and focused: states %s" % sorted(states))
    s.click(item, 432 + 37, 192 + 12)  # Cancel
    s.wait_window_gone(ITEM_CAPTION)

    # Select the item of that title with the mouse, where the bus says its row is.
    window = poll("the main window on the bus", lambda: a.window(app, MAIN_CAPTION))
    items = a.find(window, ATSPI_ROLE_LIST, None) or a.find(window, ATSPI_ROLE_LIST_BOX, None)
    if items is None:
        raise Failure("no item list on the bus")
    row = next((r for r in a.children(items) if a.name(r) == title), None)
    if row is None:
        raise Failure("no row %r in the item list: %r" % (title, [a.name(r) for r in a.children(items)]))
    x, y, w, h = a.extents(row)
    s.activate(main)
    s.run(["xdotool", "mousemove", str(x + min(w, 60) // 2), str(y + h // 2)])
    s.run(["xdotool", "click", "1"])
    des = a.find(window, ATSPI_ROLE_TEXT, "Description")
    if des is None:
        raise Failure("no description on the main window's bus tree")
    poll_equal("the selected item's description on the bus", lambda: a.text(des), shown_description)
    states = a.states(des)
    if ATSPI_STATE_EDITABLE in states or ATSPI_STATE_READ_ONLY not in states:
        raise Failure("the main window's description is not read-only: states %s" % sorted(states))


def main():
    exe = sys.argv[1]
    folder = tempfile.mkdtemp(prefix="feedloom-e2e-")
    shutil.copy2(exe, os.path.join(folder, "feedloom"))
    s = Session(folder)
    try:
        s.start_x()
        s.start_a11y()
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
        check_read_aloud(s, main_wid, "First item", "line one\nline two\u65e5\u672c\u8a9e pasted\n")
        s.close_feedloom(main_wid)

        installed_run(s, exe)
    except Failure as e:
        print("FAILED:", e)
        # What a person would have seen: the captions of the windows still shown.
        r = s.run(["xdotool", "search", "--onlyvisible", "--name", "."], check=False)
        for wid in r.stdout.split():
            name = s.run(["xdotool", "getwindowname", wid], check=False).stdout.decode(errors="replace").strip()
            print("  window %s: %r" % (wid.decode(), name))
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

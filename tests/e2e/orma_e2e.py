"""Drives the started ORMA program as its user does.

A journey starts a virtual display, the accessibility bus, the simulated instrument and the
built `orma` binary; it gives input through the X server (xdotool) and reads what the windows
show through the accessibility tree. Every wait is on a state, with a limit; every process it
started is ended when the journey ends, also when it fails.

Run a journey under `dbus-run-session`, with ORMA_BINARY and ORMA_INSTRUMENT naming the two
programs (ctest does both).
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import GLib


class JourneyFailure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise JourneyFailure(message)


def extents(node):
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


def is_showing(node):
    try:
        return node.getState().contains(pyatspi.STATE_SHOWING) and extents(node)[2] > 0
    except (GLib.Error, NotImplementedError, AttributeError):
        return False


# The table's cells are many; only a search for cells looks inside it.
_CELL_HOLDERS = ("tree", "table")


def descendants(node, depth=12, into_tables=True):
    """Every node under node, depth first, children in order."""
    if depth == 0:
        return
    try:
        children = list(node)
    except (GLib.Error, ValueError):  # a window that stopped answering reports -1 children
        return
    for child in children:
        if child is None:
            continue
        yield child
        try:
            if not into_tables and child.getRoleName() in _CELL_HOLDERS:
                continue
        except GLib.Error:
            continue
        yield from descendants(child, depth - 1, into_tables)


def find_all(root, role, name=None, showing=True):
    found = []
    for node in descendants(root, into_tables=role == "table cell"):
        try:
            if node.getRoleName() != role or (name is not None and node.name != name):
                continue
        except GLib.Error:
            continue
        if not showing or is_showing(node):
            found.append(node)
    return found


def text_of(node):
    """What a label, a text field or a cell shows."""
    try:
        text = node.queryText()
        return text.getText(0, text.characterCount)
    except NotImplementedError:
        return node.name


def dump(node, depth=0, out=sys.stderr):
    try:
        extents = extents(node) if is_showing(node) else "hidden"
        print("  " * depth + f"[{node.getRoleName()}] {node.name!r} {extents}", file=out)
    except GLib.Error:
        return
    if depth < 10:
        for child in node:
            if child is not None:
                dump(child, depth + 1, out)


class Journey:
    """One run of the program, from its start to its end; use it in a with statement."""

    def __init__(self, name, time_limit=150):
        self.name = name
        self.time_limit = time_limit
        self.dir = tempfile.mkdtemp(prefix=f"orma-{name}-")
        self.config_dir = os.path.join(self.dir, "config")
        self.files_dir = os.path.join(self.dir, "files")
        self.data_dir = os.path.join(self.dir, "data")
        os.makedirs(os.path.join(self.config_dir, "KALMIRON"))
        os.makedirs(self.files_dir)
        self._processes = []
        self.orma = None
        self.instrument = None
        self.app = None
        self.env = dict(os.environ)

    # -- the life of the journey ------------------------------------------------------------

    def __enter__(self):
        signal.signal(signal.SIGALRM, self._out_of_time)
        signal.alarm(self.time_limit)
        self._start_display()
        self._start_accessibility_bus()
        return self

    def __exit__(self, kind, error, trace):
        signal.alarm(0)
        if error is not None and self.app is not None:
            print(f"\n{self.name}: the windows at the failure:", file=sys.stderr)
            try:
                dump(self.app)
            except Exception as e:  # the dump only helps; the failure is what counts
                print(f"(no tree: {e})", file=sys.stderr)
        for process in reversed(self._processes):
            self._end(process)
        shutil.rmtree(self.dir, ignore_errors=True)
        return False

    def _out_of_time(self, *_):
        raise JourneyFailure(f"{self.name} did not finish within {self.time_limit} s")

    def _spawn(self, args, **kwargs):
        process = subprocess.Popen([str(a) for a in args], env=self.env, start_new_session=True, **kwargs)
        self._processes.append(process)
        return process

    @staticmethod
    def _end(process):
        if process.poll() is None:
            try:
                os.killpg(process.pid, signal.SIGTERM)
                process.wait(timeout=5)
            except (ProcessLookupError, subprocess.TimeoutExpired):
                try:
                    os.killpg(process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                process.wait()

    def _start_display(self):
        read_end, write_end = os.pipe()
        self._spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
                     "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,),
                    stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as reader:
            number = reader.readline().strip()
        check(number, "the virtual display did not start")
        self.env.update({
            "DISPLAY": f":{number}",
            "QT_QPA_PLATFORM": "xcb",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "QT_ACCESSIBILITY": "1",
            "XDG_CONFIG_HOME": self.config_dir,
            "XDG_CACHE_HOME": os.path.join(self.dir, "cache"),
            "XDG_DATA_HOME": self.data_dir,
            "XDG_RUNTIME_DIR": self.dir,
            "LC_ALL": "C.UTF-8",
        })
        os.environ["DISPLAY"] = self.env["DISPLAY"]

    def _start_accessibility_bus(self):
        # The session bus starts the accessibility bus on the first request. Its socket goes
        # to the runtime directory, else to one path per user (~/.cache/at-spi/bus), where a
        # journey run beside another would take the other's socket and lose its program.
        subprocess.run(["dbus-update-activation-environment", f"XDG_RUNTIME_DIR={self.dir}"],
                       check=True, timeout=20)
        self.wait_until("the accessibility bus", lambda: pyatspi.Registry.getDesktop(0) is not None)

    # -- the programs ------------------------------------------------------------------------

    def start_instrument(self, *args):
        """The simulated pyrometer; returns the path of its terminal."""
        output = os.path.join(self.dir, "instrument.out")
        with open(output, "w") as out:
            self.instrument = self._spawn([os.environ["ORMA_INSTRUMENT"], *args], stdout=out,
                                          stderr=subprocess.DEVNULL)

        def port():
            with open(output) as f:
                return f.readline().strip()
        return self.wait_until("the simulated instrument", port)

    def settings(self):
        path = os.path.join(self.config_dir, "KALMIRON", "orma.conf")
        values = {}
        if os.path.exists(path):
            with open(path, encoding="utf-8") as f:
                for line in f:
                    key, sep, value = line.strip().partition("=")
                    if sep:
                        values[key] = value
        return values

    def start_orma(self, port=None, *args):
        """Starts the program, with port as the remembered source and args on its command
        line; returns its main window."""
        if port is not None:
            with open(os.path.join(self.config_dir, "KALMIRON", "orma.conf"), "w") as f:
                f.write(f"[General]\nPort={port}\n")
        self.orma = self._spawn([os.environ["ORMA_BINARY"], *args], stdout=subprocess.DEVNULL)

        def application():
            for app in pyatspi.Registry.getDesktop(0):
                if app is not None and app.name == "orma" and app.get_process_id() == self.orma.pid:
                    return app
            return None
        self.app = self.wait_until("ORMA on the accessibility bus", application, timeout=30)
        return self.window("dialog", "ORMA")

    def wait_for_exit(self, timeout):
        try:
            return self.orma.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise JourneyFailure(f"ORMA still runs {timeout} s after it was closed") from None

    # -- waiting and finding -----------------------------------------------------------------

    def wait_until(self, what, probe, timeout=20):
        deadline = time.monotonic() + timeout
        while True:
            try:
                value = probe()
            except (GLib.Error, LookupError, NotImplementedError, OSError):
                value = None
            if value:
                return value
            if self.orma is not None and self.orma.poll() is not None:
                raise JourneyFailure(f"ORMA ended (status {self.orma.returncode}) "
                                     f"while waiting for {what}")
            if time.monotonic() > deadline:
                raise JourneyFailure(f"timed out after {timeout} s waiting for {what}")
            time.sleep(0.1)

    def window(self, role, name, timeout=20):
        """A shown top-level window of the program."""
        def probe():
            for node in self.app:
                if node is not None and node.getRoleName() == role and node.name == name \
                        and is_showing(node):
                    return node
            return None
        return self.wait_until(f"the window {name!r}", probe, timeout)

    def windows(self):
        return [(n.getRoleName(), n.name) for n in self.app if n is not None and is_showing(n)]

    def gone(self, role, name, timeout=20):
        def probe():
            return not any(r == role and n == name for r, n in self.windows())
        self.wait_until(f"the window {name!r} to close", probe, timeout)

    def find(self, root, role, name=None, timeout=20):
        """The first shown node of role (and name) under root."""
        def probe():
            nodes = find_all(root, role, name)
            return nodes[0] if nodes else None
        return self.wait_until(f"a {role} {name or ''!s} in {root.name!r}", probe, timeout)

    def message_box(self, text_part, timeout=20):
        """The shown message box whose text holds text_part."""
        def probe():
            for node in self.app:
                if node is None or node.getRoleName() not in ("alert", "dialog") or \
                        not is_showing(node):
                    continue
                if any(text_part in text_of(label) for label in find_all(node, "label")):
                    return node
            return None
        return self.wait_until(f"a message box saying {text_part!r}", probe, timeout)

    def answer(self, box, button="OK"):
        """Presses button in the message box or dialog box and waits for it to close."""
        role, name = box.getRoleName(), box.name
        self.click(self.find(box, "push button", button))
        self.gone(role, name)

    def scroll_to_first_row(self, table):
        """Turns the wheel over the table until its first row is in view: a reception leaves
        the table at its newest row."""
        def first_row_shown():
            shown = find_all(table, "table cell")[:5]
            return shown and [text_of(c) for c in shown] == \
                [text_of(c) for c in find_all(table, "table cell", showing=False)[:5]]

        def scrolled():
            self.wheel(table, 50)
            return first_row_shown()
        self.wait_until("the table's first row in view", scrolled)

    def table_rows(self, main):
        """The table's rows as lists of their cell texts (as many as the table has columns:
        a joined read's file and the notes add theirs)."""
        table = find_all(main, "tree")[0]
        width = len(find_all(table, "table column header", showing=False)) or 5
        cells = [text_of(c) for c in find_all(table, "table cell", showing=False)]
        return [cells[i:i + width] for i in range(0, len(cells) - len(cells) % width, width)]

    # -- input through the X server ----------------------------------------------------------

    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.env, check=True, timeout=20)

    @staticmethod
    def centre(node):
        x, y, w, h = extents(node)
        return x + w // 2, y + h // 2

    def point_at(self, node, dx=None, dy=None):
        """Moves the pointer onto node: its centre, or dx, dy from its top left corner."""
        x, y, w, h = extents(node)
        self.move_to(x + (w // 2 if dx is None else dx), y + (h // 2 if dy is None else dy))

    def move_to(self, x, y):
        # --sync waits for the pointer to move, and so would wait in vain for a pointer that is
        # already there.
        where = subprocess.run(["xdotool", "getmouselocation", "--shell"], env=self.env,
                               capture_output=True, text=True).stdout
        if f"X={x}\nY={y}\n" not in where:
            self.xdotool("mousemove", "--sync", x, y)

    def click(self, node, button=1, dx=None, dy=None):
        self.point_at(node, dx, dy)
        self.xdotool("click", button)

    def click_at(self, x, y, button=1):
        self.move_to(x, y)
        self.xdotool("click", button)

    def drag(self, start, end):
        """Drags with the left button from start to end, points of the screen, in steps."""
        self.move_to(*start)
        self.xdotool("mousedown", 1)
        for step in (1, 2, 3, 4):
            self.xdotool("mousemove", start[0] + (end[0] - start[0]) * step // 4,
                         start[1] + (end[1] - start[1]) * step // 4)
        self.xdotool("mouseup", 1)

    def double_click(self, node):
        self.point_at(node)
        self.xdotool("click", "--repeat", 2, "--delay", 80, 1)

    def press(self, name):
        """Clicks the shown push button name of the program's windows."""
        button = self.find(self.app, "push button", name)
        self.click(button)

    def wheel(self, node, notches, dx=None, dy=None):
        """Turns the wheel over node: away from the user (up) for notches > 0."""
        self.point_at(node, dx, dy)
        self.xdotool("click", "--repeat", abs(notches), "--delay", 50, 4 if notches > 0 else 5)

    def key(self, *keys):
        self.xdotool("key", "--delay", 30, *keys)

    def type_text(self, text):
        self.xdotool("type", "--delay", 20, text)

    def clipboard(self, target="UTF8_STRING"):
        """What the clipboard holds in the form target, as a program that pastes it reads it:
        text, or the bytes of another form such as image/png."""
        held = subprocess.run(["xclip", "-o", "-selection", "clipboard", "-t", target],
                              env=self.env, capture_output=True, check=True, timeout=20).stdout
        return held.decode() if target == "UTF8_STRING" else held

    def x_window(self, title):
        """The X window id of the program's shown window title."""
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                               env=self.env, capture_output=True, text=True)
        return found.stdout.split()[0]

    def close_window(self, title, closed=None):
        """Asks the program's window title to close, as a window manager's close button does
        (WM_DELETE_WINDOW). With closed, a probe of the closing's outcome, the request is sent
        once more if closed is still false a second later: about one synthetic request in a
        hundred never reaches the program under load (the program's own log of X events shows
        none), while a user's second click on the close box would."""
        self._send_close(title)
        if closed is None:
            return
        deadline = time.monotonic() + 1
        while not closed() and time.monotonic() < deadline:
            time.sleep(0.05)
        if not closed():
            print(f"close request to {title!r} sent again")
            try:
                self._send_close(title)
            except IndexError:  # the window went meanwhile
                pass

    def _send_close(self, title):
        from Xlib import X, display, protocol
        screen = display.Display(self.env["DISPLAY"])
        try:
            window = screen.create_resource_object("window", int(self.x_window(title)))
            protocols = screen.intern_atom("WM_PROTOCOLS")
            delete = screen.intern_atom("WM_DELETE_WINDOW")
            event = protocol.event.ClientMessage(window=window, client_type=protocols,
                                                 data=(32, [delete, X.CurrentTime, 0, 0, 0]))
            window.send_event(event)
            screen.flush()
        finally:
            screen.close()

    def x_windows(self):
        """The program's windows on the X server, popups and tooltips included."""
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--classname", "orma"],
                               env=self.env, capture_output=True, text=True)
        return set(found.stdout.split())

    def context_menu(self, node, dx=None, dy=None):
        """Opens a context menu with the right button over node and waits for it to show.
        Qt does not publish popup menus on the accessibility bus, so the menu is seen as the
        program's new window on the X server."""
        before = self.x_windows()
        self.click(node, 3, dx, dy)
        self._menu = self.wait_until("the context menu",
                                     lambda: self.x_windows() - before, timeout=10)

    def choose(self, *keys):
        """Chooses an item of the open context menu by keys (Down, Right, Return), and waits
        for the menu to close."""
        self.key(*keys)
        self.wait_until("the menu to close",
                        lambda: not self._menu & self.x_windows(), timeout=10)

    def answer_file_dialog(self, title, path):
        """Types path into the name field of the program's file dialog title ("Сохранить как",
        "Открыть"), presses Enter and waits for the dialog to close."""
        dialog = self.window("dialog", title)
        field = self.find(dialog, "text", "Имя файла:")
        # Qt's own dialogs speak the program's language.
        self.find(dialog, "push button", "Отмена")
        self.click(field)
        self.key("ctrl+a")
        self.type_text(path)
        self.wait_until(f"{path!r} in the name field", lambda: text_of(field) == path)
        self.key("Return")
        self.gone("dialog", title)

    def select_item(self, combo, item):
        """Opens the combo box with a click and clicks its list item."""
        self.click(combo)
        # The items of a closed list claim to be shown, at the screen's corner.
        popup = self.find(combo, "list")
        self.click(self.find(popup, "list item", item))
        self.wait_until(f"{item!r} in the combo box", lambda: combo.name == item)

    # -- printouts ---------------------------------------------------------------------------

    PDF_PRINTER = "Печать в файл (PDF)"

    def print_to_pdf(self, path):
        """Answers the program's print dialog: the PDF file printer, path as its output file,
        the Print button; waits for the dialog to close."""
        dialog = self.window("dialog", "Печать")
        printer = self.find(dialog, "combo box")
        if printer.name != self.PDF_PRINTER:
            self.select_item(printer, self.PDF_PRINTER)
        field = self.find(dialog, "text", "Вывод в файл:")
        self.click(field)
        self.key("ctrl+a")
        self.type_text(path)
        self.wait_until(f"{path!r} in the output file field", lambda: text_of(field) == path)
        self.click(self.find(dialog, "push button", "Печать"))
        self.gone("dialog", "Печать")

    def printout(self, path, timeout=30):
        """The PDF file a printout writes to path on its own thread, read once it is whole:
        its size has settled, its trailer is written and the poppler tools read it. Returns
        the fields pdfinfo gives and the text of each page (pdftotext -layout)."""
        check(shutil.which("pdftotext") and shutil.which("pdfinfo"),
              "pdftotext and pdfinfo (poppler-utils) are needed to read a printout")
        sizes = []

        def whole():
            sizes.append(os.path.getsize(path))
            if len(sizes) < 2 or sizes[-1] != sizes[-2]:
                return None
            with open(path, "rb") as f:
                f.seek(max(0, sizes[-1] - 32))
                if b"%%EOF" not in f.read():
                    return None
            info = subprocess.run(["pdfinfo", path], capture_output=True, text=True)
            text = subprocess.run(["pdftotext", "-layout", path, "-"], capture_output=True,
                                  text=True)
            if info.returncode != 0 or text.returncode != 0:
                return None
            fields = dict(map(str.strip, line.split(":", 1))
                          for line in info.stdout.splitlines() if ":" in line)
            # Every page ends with a form feed.
            return fields, text.stdout.split("\f")[:-1]
        return self.wait_until(f"the printout {path}", whole, timeout)

    # -- a reception -------------------------------------------------------------------------

    def download(self, main, count):
        """A memory download as the user does it: the button, the prompt, the wait for the end.
        Returns the rows."""
        self.press("Получить данные")
        prompt = self.message_box("Подключите прибор к компьютеру.")
        check(prompt.name == "Прием данных", f"the prompt's caption is {prompt.name!r}")
        self.click(self.find(prompt, "push button", "OK"))
        self.find(main, "push button", "Прервать")
        self.find(main, "push button", "График", timeout=60)
        rows = self.table_rows(main)
        check(len(rows) == count, f"{len(rows)} rows after a download of {count}")
        return rows


def run(journey):
    """Runs journey(), a function of no arguments, and exits as ctest expects."""
    try:
        journey()
    except JourneyFailure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        sys.exit(1)
    print("passed")

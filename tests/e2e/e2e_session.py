"""One end-to-end session: the shipped program's x86_64 build under wine64 in
a fresh copy of the run's pristine prefix, with an Xvfb display and an update
server of its own, driven only with X input (xdotool) as a user drives it,
and the outcome read back from the prefix: screenshots, registry, files,
services, processes, history file, the installer's and Windows Installer's
logs, the exit code.

Everything a session starts it ends itself, by process id: the prefix's
wineserver (through WINEPREFIX), Xvfb, the update server.
"""

import glob
import http.server
import json
import os
import re
import shutil
import signal
import socket
import subprocess
import threading
import time

from PIL import Image

WINE = "/usr/lib/wine/wine64"
WINESERVER = "wineserver"
MAIN_TITLE = "КОВО Плагин"
UPDATE_PORT = 18330  # the port the mingw64 build's installer asks
SERVER_PATHS = {
    "version": "/Kovo3Plugin/master/win32/version.txt",
    "recommended": "/Kovo3Plugin/master/win32/kovo3plugin-setup.msi",
    "full": "/Kovo3Plugin/master/win32/kovo3plugin-setup-full.msi",
    "min": "/Kovo3Plugin/master/min/win32/kovo3plugin-setup-min.msi",
}
PLUGIN_KEY = r"HKEY_LOCAL_MACHINE\Software\Veltra Company Ltd\KOVO3Plugin"
UNINSTALL_KEY = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall"
SERVICE = "KOVO3Plugin"
PROGRAM = "kovo3plugin.exe"
ONLINE_SHORTCUT = "online.kovo.example.lnk"

# Colours of the pages (RGB).
PAGE = (0x2C, 0x3E, 0x50)
PANEL = (0x27, 0x37, 0x48)
PANEL_HOVER = (0x3E, 0x52, 0x66)
ORANGE = (0xFF, 0x85, 0x52)
ORANGE_HOVER = (0xFF, 0x74, 0x38)
GREY = (0xCC, 0xCC, 0xCC)


class JourneyFailed(Exception):
    pass


def near(colour, wanted, tolerance=3):
    return all(abs(a - b) <= tolerance for a, b in zip(colour[:3], wanted))


class Session:
    """A prefix, a display, an update server and the installer runs of one
    journey. Use as a context manager; every failure names its step."""

    def __init__(self, name, build_dir, source_dir, run_dir, locale="ru_RU.UTF-8",
                 artifacts=None, display=None, keep_prefix=False):
        self.name = name
        self.build = os.path.abspath(build_dir)
        self.source = os.path.abspath(source_dir)
        self.run_dir = os.path.abspath(run_dir)
        self.locale = locale
        self.artifacts = artifacts or os.path.join(self.build, "test-artifacts", name)
        self.own_display = display is None
        self.keep_prefix = keep_prefix
        self.prefix = os.path.join(self.run_dir, "prefixes", name)
        self.home = os.path.join(self.run_dir, "home", name)
        self.display = display
        self.xvfb = None
        self.server = None
        self.fault_server = None
        self.blocker = None
        self.runs = []
        self.step_text = "start"
        self.step_number = 0
        self.shot_number = 0
        self.started = time.monotonic()

    # ------------------------------------------------------------------
    # Steps and failures
    # ------------------------------------------------------------------

    def step(self, text):
        self.step_number += 1
        self.step_text = f"{self.step_number}. {text}"
        line = f"[{time.monotonic() - self.started:6.1f} s] {self.step_text}"
        print(line, flush=True)
        with open(os.path.join(self.artifacts, "steps.log"), "a", encoding="utf-8") as steps:
            steps.write(line + "\n")

    def note(self, text):
        print(f"           {text}", flush=True)
        with open(os.path.join(self.artifacts, "steps.log"), "a", encoding="utf-8") as steps:
            steps.write(f"           {text}\n")

    def fail(self, what):
        try:
            self.screenshot("failure")
        except Exception:
            pass
        raise JourneyFailed(f"step {self.step_text}: {what}")

    def check(self, condition, what):
        if not condition:
            self.fail(what)

    def wait_for(self, predicate, timeout, what, interval=0.2):
        deadline = time.monotonic() + timeout
        while True:
            value = predicate()
            if value:
                return value
            if time.monotonic() > deadline:
                self.fail(f"{what} (waited {timeout} s)")
            time.sleep(interval)

    # ------------------------------------------------------------------
    # Set-up and tear-down
    # ------------------------------------------------------------------

    def __enter__(self):
        shutil.rmtree(self.artifacts, ignore_errors=True)
        os.makedirs(self.artifacts)
        self.step(f"prefix, display and environment ({self.locale})")
        self._copy_prefix()
        if self.own_display:
            self._start_xvfb()
        self.wine_env = self._environment()
        # A warm server, and the prefix's own service processes with their
        # output sent away, as the test harness does.
        subprocess.run([WINESERVER, "-p"], env=self.wine_env, check=True)
        self.wine(["wineboot"], timeout=120)
        return self

    def __exit__(self, kind, value, trace):
        try:
            self.save_logs()
        except Exception as error:  # the journey's own failure matters more
            print(f"e2e: saving the logs failed: {error}", flush=True)
        for run in self.runs:
            if run.poll() is None:
                run.kill()
        self.stop_server()
        subprocess.run([WINESERVER, "-k"], env=self.wine_env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        for run in self.runs:
            try:
                run.wait(10)
            except subprocess.TimeoutExpired:
                pass
        if self.xvfb:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
        if os.environ.get("KOVO_KEEP_PREFIXES") != "1" and not self.keep_prefix:
            shutil.rmtree(self.prefix, ignore_errors=True)
            shutil.rmtree(self.home, ignore_errors=True)
        return False

    def _copy_prefix(self):
        pristine = os.path.join(self.run_dir, "pristine")
        lock = os.path.join(self.run_dir, ".pristine.lock")
        os.makedirs(self.run_dir, exist_ok=True)
        if not os.path.isdir(pristine):
            subprocess.run(["flock", lock, "sh", "-c",
                            f"[ -d '{pristine}' ] || bash '{self.source}/scripts/wine/make-pristine-prefix.sh'"
                            f" '{self.run_dir}' >/dev/null"], check=True)
        shutil.rmtree(self.prefix, ignore_errors=True)
        os.makedirs(os.path.dirname(self.prefix), exist_ok=True)
        subprocess.run(["cp", "-a", "--reflink=auto", pristine, self.prefix], check=True)
        os.makedirs(self.home, exist_ok=True)
        users = [u for u in glob.glob(os.path.join(self.prefix, "drive_c", "users", "*"))
                 if os.path.basename(u) != "Public"]
        self.user_folder = users[0]

    def _start_xvfb(self):
        read_end, write_end = os.pipe()
        log = open(os.path.join(self.artifacts, "xvfb.log"), "w")
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=log, stderr=log)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 10
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        if not number.strip():
            self.fail("Xvfb did not start (see xvfb.log)")
        self.display = ":" + number.decode().strip()

    def _host_locales(self):
        """The host locales the journeys run under, compiled once per build
        into a folder of its own (LOCPATH): Wine takes the Windows locale from
        LANG and LC_ALL by itself, but maps Cyrillic file names to the host's
        only when the host knows the locale's UTF-8 character set."""
        folder = os.path.join(self.build, "e2e-locales")
        lock = folder + ".lock"
        script = (f"mkdir -p '{folder}'; for l in ru_RU en_US; do "
                  f"[ -d '{folder}'/$l.UTF-8 ] || localedef -i $l -f UTF-8 '{folder}'/$l.UTF-8; done")
        subprocess.run(["flock", lock, "sh", "-c", script], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return folder

    def _environment(self):
        env = {k: v for k, v in os.environ.items() if not k.startswith("LC_")}
        env["LOCPATH"] = self._host_locales()
        env.update({
            "WINEARCH": "win64",
            "WINEDEBUG": os.environ.get("WINEDEBUG", "-all"),
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winedbg.exe=d;winemenubuilder.exe=d",
            "WINEPREFIX": self.prefix,
            "HOME": self.home,
            "DISPLAY": self.display,
            "LANG": self.locale,
            "LC_ALL": self.locale,
        })
        return env

    # ------------------------------------------------------------------
    # Wine
    # ------------------------------------------------------------------

    def wine(self, arguments, timeout=60, check=False):
        result = subprocess.run([WINE] + arguments, env=self.wine_env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=timeout)
        if check and result.returncode != 0:
            self.fail(f"wine {' '.join(arguments)} ended with {result.returncode}")
        return result.returncode, result.stdout.decode("utf-8", "replace")

    def host_path(self, windows_path):
        """C:\\... of the prefix as a host path."""
        drive, rest = windows_path[0].lower(), windows_path[3:]
        return os.path.join(self.prefix, f"drive_{drive}", *rest.split("\\"))

    @property
    def user_name(self):
        return os.path.basename(self.user_folder)

    @property
    def working_folder(self):
        temp = getattr(self, "temp_folder", None) or os.path.join(self.user_folder, "Temp")
        return os.path.join(temp, "KovoPlugin.Installer")

    def restart_session(self):
        """Ends the prefix's session and starts a new one, so that the service
        manager and new processes read what was written to the registry."""
        subprocess.run([WINESERVER, "-k"], env=self.wine_env)
        subprocess.run([WINESERVER, "-w"], env=self.wine_env, timeout=60)
        subprocess.run([WINESERVER, "-p"], env=self.wine_env, check=True)
        self.wine(["wineboot"], timeout=120)

    def use_locale(self, locale):
        """Later starts run under this locale (Wine takes it from LANG and LC_ALL)."""
        self.locale = locale
        self.wine_env["LANG"] = locale
        self.wine_env["LC_ALL"] = locale

    def set_temp_folder(self, name):
        """%TMP% and %TEMP% of the user set to a folder of this name under the
        usual one, written in UTF-16 through regedit (reg add garbles
        Cyrillic arguments)."""
        windows = rf"C:\users\{self.user_name}\Temp\{name}"
        folder = os.path.join(self.user_folder, "Temp", name)
        os.makedirs(folder, exist_ok=True)
        escaped = windows.replace("\\", "\\\\")
        text = ("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Environment]\r\n"
                f'"TMP"="{escaped}"\r\n"TEMP"="{escaped}"\r\n')
        with open(os.path.join(self.prefix, "drive_c", "e2e-environment.reg"), "wb") as out:
            out.write(b"\xff\xfe" + text.encode("utf-16-le"))
        self.wine(["regedit", "/S", r"C:\e2e-environment.reg"], check=True)
        self.restart_session()
        self.temp_folder = folder
        return windows

    def place_program(self):
        """The installer as a user has it: alone in the downloads folder."""
        folder = os.path.join(self.prefix, "drive_c", "users", "Public", "Downloads")
        os.makedirs(folder, exist_ok=True)
        shutil.copy(os.path.join(self.build, "web-installer", "kovoplugin-setup-web.exe"), folder)
        return r"C:\users\Public\Downloads\kovoplugin-setup-web.exe"

    def start_installer(self, arguments=()):
        program = self.place_program()
        index = len(self.runs) + 1
        out = open(os.path.join(self.artifacts, f"installer-run{index}.out"), "w")
        run = subprocess.Popen([WINE, program] + list(arguments), env=self.wine_env,
                               stdin=subprocess.DEVNULL, stdout=out, stderr=out,
                               cwd=os.path.dirname(self.host_path(program)))
        run.started = time.monotonic()
        self.runs.append(run)
        return run

    def wait_exit(self, run, timeout, what="the installer ends"):
        self.wait_for(lambda: run.poll() is not None, timeout, what)
        # Wine reports a Windows exit code as its low byte.
        return run.returncode

    def install_package_silently(self, variant="recommended"):
        """A plugin installed before the journey (its precondition), with
        Wine's msiexec from the stand-in package the server serves."""
        package = os.path.join(self.build, "stand-in", "update-server") + SERVER_PATHS[variant]
        local = os.path.join(self.prefix, "drive_c", "preinstalled.msi")
        shutil.copy(package, local)
        code, _ = self.wine(["msiexec", "/i", r"C:\preinstalled.msi", "/qn", "/l*v",
                             r"C:\preinstalled-install.log"], timeout=180)
        self.check(code == 0, f"the plugin could not be installed beforehand: msiexec {code}")

    def disable_service(self):
        """The plugin's service set to start type "disabled". Wine's sc has no
        "config": the start type is written to the service's key, and the
        prefix's session restarted so that its service manager reads it."""
        key = rf"HKLM\System\CurrentControlSet\Services\{SERVICE}"
        self.wine(["reg", "add", key, "/v", "Start", "/t", "REG_DWORD", "/d", "4", "/f"], check=True)
        self.restart_session()

    # ------------------------------------------------------------------
    # Update servers
    # ------------------------------------------------------------------

    def start_update_server(self, version=None, rate=None):
        """scripts/update-server.sh with the stand-in packages."""
        pid_file = os.path.join(self.artifacts, "update-server.pid")
        port_file = os.path.join(self.artifacts, "update-server.port")
        command = ["bash", os.path.join(self.source, "scripts", "update-server.sh"), str(UPDATE_PORT),
                   "--root", self.build, "--pid-file", pid_file, "--port-file", port_file,
                   "--log", os.path.join(self.artifacts, "update-server.log")]
        if version:
            command += ["--version", version]
        if rate:
            command += ["--rate", str(rate)]
        self.server = subprocess.Popen(command, stdin=subprocess.DEVNULL)
        self.wait_for(lambda: os.path.exists(port_file) or self.server.poll() is not None, 20,
                      "the update server listens")
        self.check(self.server.poll() is None, "the update server did not start")

    def start_fault_server(self, faults):
        """An update server whose answers for some paths are faulty:
        faults maps a server path to ("status", code), ("truncate", bytes),
        ("damage", offset) or ("slow", bytes per second)."""
        root = os.path.join(self.build, "stand-in", "update-server")
        log_path = os.path.join(self.artifacts, "fault-server.log")
        session = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def do_GET(self):
                path = self.path.split("?", 1)[0]
                with open(log_path, "a") as log:
                    log.write(f"{time.strftime('%H:%M:%S')} GET {path}\n")
                fault = faults.get(path)
                if fault and fault[0] == "status":
                    body = b"fault\n"
                    self.send_response(fault[1])
                    self.send_header("Content-Length", str(len(body)))
                    self.end_headers()
                    self.wfile.write(body)
                    return
                try:
                    with open(root + path, "rb") as source:
                        data = source.read()
                except OSError:
                    self.send_error(404)
                    return
                length = len(data)
                if fault and fault[0] == "damage":
                    data = bytearray(data)
                    for i in range(fault[1], min(fault[1] + 4096, len(data))):
                        data[i] ^= 0x5A
                    data = bytes(data)
                if fault and fault[0] == "truncate":
                    data = data[:fault[1]]  # promises more than it sends
                self.send_response(200)
                self.send_header("Content-Type", "application/octet-stream")
                self.send_header("Content-Length", str(length))
                self.end_headers()
                try:
                    if fault and fault[0] == "slow":
                        step = max(1, fault[1] // 10)
                        for start in range(0, len(data), step):
                            if session.fault_server.stopping:
                                return
                            self.wfile.write(data[start:start + step])
                            self.wfile.flush()
                            time.sleep(0.1)
                    else:
                        self.wfile.write(data)
                    if fault and fault[0] == "truncate":
                        self.wfile.flush()
                        self.close_connection = True
                except (BrokenPipeError, ConnectionResetError):
                    with open(log_path, "a") as log:
                        log.write(f"{time.strftime('%H:%M:%S')} client went away from {path}\n")

            def log_message(self, *args):
                pass

        class Server(http.server.ThreadingHTTPServer):
            daemon_threads = True
            allow_reuse_address = True

        self.fault_server = Server(("127.0.0.1", UPDATE_PORT), Handler)
        self.fault_server.stopping = False
        threading.Thread(target=self.fault_server.serve_forever, daemon=True).start()

    def start_blocked_server(self):
        """A port that takes no connection: listen(0), its one queue place
        taken by a connection of ours, never accepting."""
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(("127.0.0.1", UPDATE_PORT))
        listener.listen(0)
        filler = []
        for _ in range(2):
            s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
            s.setblocking(False)
            s.connect_ex(("127.0.0.1", UPDATE_PORT))
            filler.append(s)
        self.blocker = (listener, filler)

    def stop_server(self):
        if self.server and self.server.poll() is None:
            self.server.send_signal(signal.SIGTERM)
            try:
                self.server.wait(10)
            except subprocess.TimeoutExpired:
                self.server.kill()
        self.server = None
        if self.fault_server:
            self.fault_server.stopping = True
            self.fault_server.shutdown()
            self.fault_server.server_close()
            self.fault_server = None
        if self.blocker:
            for s in self.blocker[1]:
                s.close()
            self.blocker[0].close()
            self.blocker = None

    # ------------------------------------------------------------------
    # The window and X input
    # ------------------------------------------------------------------

    def xdotool(self, *arguments, check=True):
        try:
            result = subprocess.run(["xdotool"] + [str(a) for a in arguments],
                                    env={"DISPLAY": self.display, "PATH": os.environ["PATH"]},
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=20)
        except subprocess.TimeoutExpired:
            self.fail(f"xdotool {' '.join(map(str, arguments))} got no answer in 20 s")
        if check and result.returncode != 0:
            self.fail(f"xdotool {' '.join(map(str, arguments))}: {result.stderr.decode().strip()}")
        return result.stdout.decode()

    def find_main_window(self):
        """(x, y) of the 800x700 window titled КОВО Плагин, or None."""
        found = self.xdotool("search", "--name", ".", check=False).split()
        for window in found:
            if self.xdotool("getwindowname", window, check=False).rstrip("\n") != MAIN_TITLE:
                continue
            geometry = self.xdotool("getwindowgeometry", "--shell", window, check=False)
            values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
            if values.get("WIDTH") == "800" and values.get("HEIGHT") == "700":
                return window, int(values["X"]), int(values["Y"])
        return None

    def wait_window(self, run, timeout=60):
        def found():
            if run.poll() is not None:
                self.fail(f"the installer ended with {run.returncode} before its window showed")
            return self.find_main_window()
        self.window, self.wx, self.wy = self.wait_for(found, timeout, "the window titled КОВО Плагин")
        time.sleep(0.5)  # the first frames
        return self.window

    def start_cover_window(self):
        """Wine's notepad, moved and sized over the installer's window."""
        known = set(self.xdotool("search", "--name", ".", check=False).split())
        cover = subprocess.Popen([WINE, "notepad"], env=self.wine_env, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.runs.append(cover)

        def new_window():
            for window in self.xdotool("search", "--name", ".", check=False).split():
                if window in known:
                    continue
                name = self.xdotool("getwindowname", window, check=False)
                if "Notepad" in name or "Блокнот" in name:
                    return window
            return None
        window = self.wait_for(new_window, 30, "the notepad window")
        time.sleep(0.5)
        self.xdotool("windowmove", window, 0, 0)
        self.xdotool("windowsize", window, 1200, 1000)
        self.xdotool("windowraise", window, check=False)
        time.sleep(1.0)
        return cover

    def stop_cover_window(self, cover):
        cover.kill()
        cover.wait(10)

    def other_window(self):
        """A visible window of the display other than the installer's own."""
        for window in self.xdotool("search", "--onlyvisible", "--name", ".", check=False).split():
            if window == self.window:
                continue
            name = self.xdotool("getwindowname", window, check=False).strip()
            if name and name not in (MAIN_TITLE, "Default IME", "DXGI device window"):
                geometry = self.xdotool("getwindowgeometry", "--shell", window, check=False)
                values = dict(l.split("=", 1) for l in geometry.split() if "=" in l)
                if int(values.get("WIDTH", "0")) > 100:
                    return window
        return None

    def screenshot_screen(self, label):
        """The whole screen, for what lies outside the installer's window."""
        self.shot_number += 1
        path = os.path.join(self.artifacts, f"{self.shot_number:02d}-{label}.png")
        subprocess.run(["import", "-display", self.display, "-window", "root", path],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)

    def move(self, x, y):
        self.xdotool("mousemove", self.wx + x, self.wy + y)

    def click(self, x, y, what=""):
        """Press and release as a person does: long enough for one frame to see it."""
        if what:
            self.note(f"click {what} at ({x}, {y})")
        self.move(x, y)
        time.sleep(0.25)  # a frame sees the pointer over the control first
        self.xdotool("mousedown", "1")
        time.sleep(0.15)
        self.xdotool("mouseup", "1")
        time.sleep(0.15)

    def key(self, keys, what=""):
        if what:
            self.note(f"key {keys} ({what})")
        self.move(400, 20)  # focus follows the pointer without a window manager
        time.sleep(0.25)
        # Held like a person's key press, so that a frame sees it down.
        self.xdotool("keydown", keys)
        time.sleep(0.15)
        self.xdotool("keyup", keys)

    def park_pointer(self):
        """The pointer off every control, so that no hover colour shows."""
        self.move(790, 120)
        time.sleep(0.25)

    # ------------------------------------------------------------------
    # Screenshots and pages
    # ------------------------------------------------------------------

    def screenshot(self, label):
        """The window (the whole screen when no window is known) as
        <artifacts>/NN-label.png; returns the image."""
        self.shot_number += 1
        path = os.path.join(self.artifacts, f"{self.shot_number:02d}-{label}.png")
        full = path + ".full.png"
        subprocess.run(["import", "-display", self.display, "-window", "root", full],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        image = Image.open(full).convert("RGB")
        if getattr(self, "wx", None) is not None:
            image = image.crop((self.wx, self.wy, self.wx + 800, self.wy + 700))
        image.save(path)
        os.remove(full)
        self.last_shot = image
        return image

    def page(self, image=None):
        """Which page the picture shows, told by a few pixels: the start
        button of the options page, the header and the cancel button of the
        progress page, the button rows of the result pages, the box's buttons."""
        image = image or self.screenshot("page")

        def kind(x, y):
            colour = image.getpixel((x, y))
            if near(colour, ORANGE) or near(colour, ORANGE_HOVER):
                return "O"
            if near(colour, PANEL) or near(colour, PANEL_HOVER):
                return "D"
            if near(colour, GREY):
                return "G"
            if near(colour, PAGE):
                return "P"
            return "?"

        def row(y, *xs):
            return "".join(kind(x, y) for x in xs)

        # Boxes first: they lie over a page.
        if row(401, 270, 385, 400, 530) == "OOPD":
            return "box"
        start = row(612, 620, 742)
        header_picture = kind(400, 150) != "P"
        if start == "OO" and header_picture:
            return "options"
        if start == "PO" and header_picture:
            return "options-update"
        if not header_picture and row(636, 660, 745) in ("DD", "GG"):
            return "progress"
        buttons = row(636, 385, 395, 410, 430, 550, 560, 590, 603, 630, 700, 735)
        patterns = {
            "success": ".OOOOOOPDDD",           # "Мастер диагностики", "Завершить"
            "failure": "PPOOOOOODDD",           # "Справочный портал", "Завершить"
            "installed-run": "OOOO.P[DG]{5}",   # "Переустановить", "Запустить плагин"
            "installed-finish": "PPPOOOOPDDD",  # "Переустановить", "Завершить"
        }
        for name, pattern in patterns.items():
            if re.fullmatch(pattern, buttons):
                return name
        return f"unknown({start},{buttons})"

    def expect_page(self, wanted, timeout=30, label=None):
        """Waits until the window shows the page; saves its screenshot."""
        wanted = (wanted,) if isinstance(wanted, str) else tuple(wanted)
        deadline = time.monotonic() + timeout
        seen = None
        while True:
            image = self.screenshot(label or wanted[0])
            seen = self.page(image)
            if seen in wanted:
                return seen
            if time.monotonic() > deadline:
                self.fail(f"expected the {' or '.join(wanted)} page, saw {seen} "
                          f"(screenshot {self.shot_number:02d})")
            # Kept under the name of what it showed, for whoever reads the failure.
            shot = os.path.join(self.artifacts, f"{self.shot_number:02d}-{label or wanted[0]}.png")
            os.replace(shot, shot[:-4] + f".seen-{seen.split('(')[0]}.png")
            time.sleep(0.4)

    # ------------------------------------------------------------------
    # What the installation left on the system
    # ------------------------------------------------------------------

    def registry(self, key):
        """The values of a key and its subkeys: {subkey path: {name: value}},
        exported with Wine's reg in UTF-16, so Cyrillic survives; {} when the
        key is absent."""
        export = os.path.join(self.prefix, "drive_c", "e2e-export.reg")
        if os.path.exists(export):
            os.remove(export)
        code, _ = self.wine(["reg", "export", key, r"C:\e2e-export.reg", "/y"], timeout=60)
        if code != 0 or not os.path.exists(export):
            return {}
        with open(export, "rb") as raw:
            text = raw.read().decode("utf-16")
        os.remove(export)
        keys, current = {}, None
        for line in text.splitlines():
            if line.startswith("[") and line.endswith("]"):
                current = keys.setdefault(line[1:-1], {})
            elif current is not None:
                match = re.match(r'^("(?:[^"\\]|\\.)*"|@)=(.*)$', line)
                if match:
                    name = match.group(1).strip('"')
                    value = match.group(2)
                    if value.startswith('"'):
                        value = value[1:-1].replace("\\\\", "\\").replace('\\"', '"')
                    current[name] = value
        return keys

    def plugin_key(self):
        return self.registry(PLUGIN_KEY).get(PLUGIN_KEY.replace("HKEY_LOCAL_MACHINE", "HKEY_LOCAL_MACHINE"), {})

    def uninstall_entries(self):
        """Uninstall entries of the plugin: {key name: values}."""
        entries = {}
        for key, values in self.registry(UNINSTALL_KEY).items():
            if "DisplayName" in values and ("КОВО" in values["DisplayName"] or "KOVO" in values["DisplayName"]):
                entries[key.rsplit("\\", 1)[-1]] = values
        return entries

    def service(self):
        """(state, start type) of the plugin's service: the state as sc query
        tells it, the start type from the service's registry key."""
        _, state = self.wine(["sc", "query", SERVICE])
        state_match = re.search(r"STATE\s*:\s*\d+\s+(\w+)", state)
        key = rf"HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\{SERVICE}"
        start = self.registry(key).get(key, {}).get("Start")
        start_types = {"dword:00000002": "auto", "dword:00000003": "demand", "dword:00000004": "disabled"}
        return (state_match.group(1) if state_match else None, start_types.get(start, start))

    def plugin_processes(self):
        """Command lines of this prefix's kovo3plugin.exe processes."""
        return [command for _, command in self.plugin_process_ids()]

    def plugin_process_ids(self):
        """(host pid, command line) of this prefix's kovo3plugin.exe processes."""
        found = []
        for pid in os.listdir("/proc"):
            if not pid.isdigit():
                continue
            try:
                with open(f"/proc/{pid}/cmdline", "rb") as f:
                    command = f.read().replace(b"\0", b" ").decode("utf-8", "replace")
                if PROGRAM not in command.lower():
                    continue
                with open(f"/proc/{pid}/environ", "rb") as f:
                    environ = f.read().split(b"\0")
            except OSError:
                continue
            if f"WINEPREFIX={self.prefix}".encode() in environ:
                found.append((int(pid), command.strip()))
        return found

    def history(self):
        """The texts of the history files."""
        folder = os.path.join(self.prefix, "drive_c", "ProgramData", "Kovo3Plugin", "logs",
                              "web_installer_history")
        texts = []
        for path in sorted(glob.glob(os.path.join(folder, "*"))):
            with open(path, "rb") as f:
                texts.append((os.path.basename(path), f.read()))
        return texts

    def check_history(self, install_type_field, count=1):
        """Exactly one history line per run, of the exact shape."""
        files = self.history()
        self.check(len(files) == count, f"{count} history file(s) expected, found {[f[0] for f in files]}")
        name, raw = files[-1]
        self.check(re.fullmatch(r"\d{6}_\d{2}-\d{2}-\d{2}", name), f"history file name {name}")
        self.check(not raw.startswith(b"\xef\xbb\xbf") and not raw.endswith(b"\n"),
                   "the history line has a byte order mark or a line end")
        text = raw.decode("utf-8")
        pattern = (r'\{"InstallType":"' + re.escape(install_type_field) + r'", '
                   r'"InstallDate":"(\d\d-\d\d-\d{4} \d\d:\d\d:\d\d [+-]\d{4})", '
                   r'"InstallationCompletionTime":"(\d\d-\d\d-\d{4} \d\d:\d\d:\d\d [+-]\d{4})", '
                   r'"InstallationDuration":(-?\d+)\}')
        match = re.fullmatch(pattern, text)
        self.check(match, f"history line {text!r} is not {install_type_field!r} in the expected shape")
        self.note(f"history {name}: {text}")
        return text

    def installer_log(self):
        path = os.path.join(self.working_folder, "web_setup.log")
        if not os.path.exists(path):
            return ""
        with open(path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def msi_log(self, name):
        """A Windows Installer log of the working folder (Wine writes the ANSI
        code page; Windows UTF-16)."""
        path = os.path.join(self.working_folder, name)
        if not os.path.exists(path):
            return None
        raw = open(path, "rb").read()
        if raw[:2] == b"\xff\xfe":
            return raw.decode("utf-16")
        return raw.decode("cp1251", "replace")

    def installed_files(self, folder_windows):
        folder = self.host_path(folder_windows.rstrip("\\"))
        modules = sorted(os.path.splitext(m)[0] for m in
                         os.listdir(os.path.join(folder, "modules"))) if os.path.isdir(
            os.path.join(folder, "modules")) else []
        return os.path.isfile(os.path.join(folder, PROGRAM)), modules

    def desktop_shortcut(self):
        candidates = glob.glob(os.path.join(self.prefix, "drive_c", "users", "*", "Desktop", "*.lnk"))
        return [os.path.relpath(c, self.prefix) for c in candidates]

    def save_logs(self):
        """The installer's log, the Windows Installer logs and the history into
        the artifacts."""
        for name in ("web_setup.log", "msi_install.log", "msi_uninstall.log", "version.txt"):
            path = os.path.join(self.working_folder, name)
            if os.path.exists(path):
                shutil.copy(path, os.path.join(self.artifacts, name))
        for name, raw in self.history():
            with open(os.path.join(self.artifacts, f"history-{name}.json"), "wb") as f:
                f.write(raw)
        for name in ("preinstalled-install.log",):
            path = os.path.join(self.prefix, "drive_c", name)
            if os.path.exists(path):
                shutil.copy(path, os.path.join(self.artifacts, name))

#!/usr/bin/python3
"""The local update server: plain HTTP on 127.0.0.1, serving the version file
and the stand-in plugin packages at the paths the installer asks for, from a
build's output (<build>/stand-in/update-server). Run it through
scripts/update-server.sh."""

import argparse
import http.server
import os
import signal
import sys
import threading
import time

VERSION_PATH = "/Kovo3Plugin/master/win32/version.txt"
PACKAGE_PATHS = (
    "/Kovo3Plugin/master/win32/kovo3plugin-setup.msi",
    "/Kovo3Plugin/master/win32/kovo3plugin-setup-full.msi",
    "/Kovo3Plugin/master/min/win32/kovo3plugin-setup-min.msi",
)
SERVED_PATHS = (VERSION_PATH,) + PACKAGE_PATHS
DEFAULT_BUILDS = {"x64": "mingw64", "x86": "mingw32"}
CHUNK = 256 * 1024


def parse_arguments(argv):
    parser = argparse.ArgumentParser(prog="update-server.sh", description=__doc__)
    parser.add_argument("port", type=int, help="TCP port on 127.0.0.1; 0 picks a free one")
    parser.add_argument("--version", help="serve this text as version.txt instead of the build's")
    parser.add_argument("--arch", choices=sorted(DEFAULT_BUILDS), default="x64",
                        help="packages of the x64 build (mingw64, default) or the x86 build (mingw32)")
    parser.add_argument("--root", help="build folder to serve from (default: build/mingw64 or build/mingw32)")
    parser.add_argument("--port-file", help="write the port here once the server listens")
    parser.add_argument("--pid-file", help="write the server's process id here")
    parser.add_argument("--log", help="append the request log and all other output here")
    parser.add_argument("--lifetime", type=float, help="stop by itself after this many seconds")
    parser.add_argument("--rate", type=int,
                        help="send package bodies at about this many bytes per second (a slow network)")
    parser.add_argument("--repo", help=argparse.SUPPRESS)
    arguments = parser.parse_args(argv)
    if not 0 <= arguments.port <= 65535:
        parser.error(f"port {arguments.port} is not a TCP port")
    return arguments


def document_root(arguments):
    build = arguments.root or os.path.join(arguments.repo, "build", DEFAULT_BUILDS[arguments.arch])
    return os.path.join(os.path.abspath(build), "stand-in", "update-server")


def missing_files(root, version_override):
    needed = PACKAGE_PATHS if version_override is not None else SERVED_PATHS
    return [path for path in needed if not os.path.isfile(root + path)]


def detach_output(log_path):
    """A test under Wine starts the server with the test runner's pipes as its
    output; a server that held them would keep the runner waiting."""
    log = os.open(log_path, os.O_WRONLY | os.O_CREAT | os.O_APPEND, 0o644)
    nothing = os.open(os.devnull, os.O_RDONLY)
    os.dup2(nothing, 0)
    os.dup2(log, 1)
    os.dup2(log, 2)
    os.close(nothing)
    os.close(log)


def write_atomically(path, text):
    partial = path + ".partial"
    with open(partial, "w", encoding="ascii") as out:
        out.write(text)
    os.replace(partial, path)


class UpdateRequestHandler(http.server.BaseHTTPRequestHandler):
    server_version = "KovoUpdateServer/1"
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        self.answer(with_body=True)

    def do_HEAD(self):
        self.answer(with_body=False)

    def answer(self, with_body):
        path = self.path.split("?", 1)[0]
        if path not in SERVED_PATHS:
            self.send_error(404, "Not Found")
            return
        if path == VERSION_PATH and self.server.version_text is not None:
            self.send_bytes((self.server.version_text + "\n").encode("utf-8"), "text/plain", with_body)
            return
        try:
            source = open(self.server.root + path, "rb")
        except OSError:
            self.send_error(404, "Not Found")
            return
        with source:
            size = os.fstat(source.fileno()).st_size
            content_type = "text/plain" if path == VERSION_PATH else "application/octet-stream"
            self.send_headers(size, content_type)
            if with_body:
                rate = self.server.rate if path != VERSION_PATH else None
                step = max(1, rate // 10) if rate else CHUNK
                while chunk := source.read(step):
                    self.wfile.write(chunk)
                    if rate:
                        self.wfile.flush()
                        time.sleep(0.1)

    def send_bytes(self, body, content_type, with_body):
        self.send_headers(len(body), content_type)
        if with_body:
            self.wfile.write(body)

    def send_headers(self, length, content_type):
        self.send_response(200)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(length))
        self.end_headers()

    def log_message(self, format, *args):
        sys.stderr.write("%s %s\n" % (self.log_date_time_string(), format % args))
        sys.stderr.flush()


class UpdateServer(http.server.ThreadingHTTPServer):
    daemon_threads = True


def main(argv):
    arguments = parse_arguments(argv)
    if arguments.log:
        detach_output(arguments.log)
    root = document_root(arguments)
    missing = missing_files(root, arguments.version)
    if missing:
        print(f"update-server: {root} lacks {', '.join(missing)}; build the packages first "
              f"(cmake --build --preset {DEFAULT_BUILDS[arguments.arch]})", file=sys.stderr)
        return 1

    # Loopback only: the server exists for tests and the demo on this machine.
    server = UpdateServer(("127.0.0.1", arguments.port), UpdateRequestHandler)
    server.root = root
    server.version_text = arguments.version
    server.rate = arguments.rate
    port = server.server_address[1]

    # shutdown() waits for serve_forever, so it runs on another thread.
    stop = lambda *_: threading.Thread(target=server.shutdown, daemon=True).start()
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    if arguments.lifetime:
        timer = threading.Timer(arguments.lifetime, server.shutdown)
        timer.daemon = True
        timer.start()

    if arguments.pid_file:
        write_atomically(arguments.pid_file, f"{os.getpid()}\n")
    if arguments.port_file:
        write_atomically(arguments.port_file, f"{port}\n")
    version = arguments.version if arguments.version is not None else "from version.txt"
    print(f"update server: http://127.0.0.1:{port}/ serving {root} (version: {version})", flush=True)
    try:
        server.serve_forever(poll_interval=0.2)
    finally:
        server.server_close()
        print("update server: stopped", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

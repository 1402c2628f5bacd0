#!/usr/bin/python3
"""A plain-HTTP server on 127.0.0.1 for the download tests and benchmarks.

Started by native tests, by Windows tests under Wine (as a host program) and
by scripts. It writes its port to --port-file once it listens and ends on
GET /__stop, when the process that started it goes away, or after
--lifetime seconds.

Paths (n: a byte count; bodies are the pattern byte i = i % 251):
  /body/n               200 with Content-Length
  /chunked/n            200, chunked transfer encoding
  /nolength/n           200 without a length, ended by closing the connection
  /status/code          that status with a small HTML error page
  /redirect/k/rest      k redirects (302), then /rest
  /loop                 redirects to itself
  /to-https             redirects to https://127.0.0.1:<port>/body/10
  /stall/n              announces n, sends half, then sends nothing for --stall seconds
  /reset/n              announces n, sends half, then resets the connection
  /short/n              announces n, sends half, then closes normally
  /slow/n               200 with length, in 16 KiB pieces 20 ms apart
  /hold-headers/ms/n    waits ms milliseconds before the response (then /body/n)
  /headers-stall/n      announces n, sends the headers only, then nothing for --stall seconds
  /silent               reads the request, then sends nothing for --stall seconds
  /file/name            a file of --root, with its length (sendfile)
  /__requests           the paths asked for so far, one a line (not /__ ones)
  /__unused-port        a port of 127.0.0.1 that nothing listens on (just released)
  /__blackhole-port     the port of the black hole (--blackhole-port), 404 without one
  /__stop               ends the server
  anything else         200 with the body "served:<path>"

--route PATH=TARGET (repeatable) serves a request for exactly PATH as TARGET,
so that a program asking fixed paths (the version file, a package) meets a
stall: --route /Kovo3Plugin/master/win32/version.txt=/silent.

--blackhole-port PORT (0: any free one) also opens a black hole: a socket on
127.0.0.1:PORT that listens with a backlog of 0 and never accepts, its one
place in the queue taken by a connection of the server's own, so that every
further connection attempt goes unanswered until the client gives up (as with
a firewall that drops packets). Its port goes to --blackhole-port-file.
"""
import argparse
import os
import socket
import socketserver
import struct
import sys
import threading
import time

PATTERN_PERIOD = 251
PATTERN = bytes(i % PATTERN_PERIOD for i in range(PATTERN_PERIOD * 1024))


def pattern(offset, length):
    out = bytearray()
    while length > 0:
        start = offset % PATTERN_PERIOD
        piece = PATTERN[start:start + min(length, len(PATTERN) - start)]
        out += piece
        offset += len(piece)
        length -= len(piece)
    return bytes(out)


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, options):
        super().__init__(address, Handler)
        self.options = options
        self.requests_seen = []
        self.lock = threading.Lock()
        self.blackhole = None  # (listening socket, the connection that fills its queue)


class Handler(socketserver.StreamRequestHandler):
    def send_head(self, status, headers):
        reason = {200: "OK", 302: "Found", 404: "Not Found", 500: "Internal Server Error"}.get(status, "Status")
        lines = ["HTTP/1.1 %d %s" % (status, reason)] + ["%s: %s" % h for h in headers] + ["", ""]
        self.wfile.write("\r\n".join(lines).encode("latin-1"))

    def send_body(self, status, body, content_type="application/octet-stream"):
        self.send_head(status, [("Content-Type", content_type), ("Content-Length", str(len(body))),
                                ("Connection", "close")])
        self.wfile.write(body)

    def send_pattern(self, n, piece=1 << 20, pause=0.0):
        self.send_head(200, [("Content-Type", "application/octet-stream"), ("Content-Length", str(n)),
                             ("Connection", "close")])
        sent = 0
        while sent < n:
            size = min(piece, n - sent)
            self.wfile.write(pattern(sent, size))
            sent += size
            if pause:
                self.wfile.flush()
                time.sleep(pause)

    def redirect(self, location):
        self.send_head(302, [("Location", location), ("Content-Length", "0"), ("Connection", "close")])

    def handle(self):
        request_line = self.rfile.readline(65537).decode("latin-1").strip()
        while True:
            line = self.rfile.readline(65537)
            if not line or line in (b"\r\n", b"\n"):
                break
        parts = request_line.split(" ")
        if len(parts) < 2:
            return
        path = parts[1]
        server = self.server
        if not path.startswith("/__"):
            with server.lock:
                server.requests_seen.append(path)
        try:
            self.route(server.options.routes.get(path, path))
            self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError):
            pass

    def route(self, path):
        server = self.server
        segments = path.strip("/").split("/")
        kind = segments[0]
        number = lambda i: int(segments[i])  # noqa: E731
        if kind == "body":
            self.send_pattern(number(1))
        elif kind == "chunked":
            self.send_head(200, [("Content-Type", "application/octet-stream"), ("Transfer-Encoding", "chunked"),
                                 ("Connection", "close")])
            n, sent = number(1), 0
            while sent < n:
                size = min(1000, n - sent)
                self.wfile.write(b"%x\r\n" % size + pattern(sent, size) + b"\r\n")
                sent += size
            self.wfile.write(b"0\r\n\r\n")
        elif kind == "nolength":
            self.send_head(200, [("Content-Type", "application/octet-stream"), ("Connection", "close")])
            self.wfile.write(pattern(0, number(1)))
        elif kind == "status":
            code = number(1)
            self.send_body(code, b"<html><body><h1>Error %d</h1></body></html>" % code, "text/html")
        elif kind == "redirect":
            k = number(1)
            rest = "/".join(segments[2:])
            self.redirect("/redirect/%d/%s" % (k - 1, rest) if k > 1 else "/" + rest)
        elif kind == "loop":
            self.redirect("/loop")
        elif kind == "to-https":
            self.redirect("https://127.0.0.1:%d/body/10" % server.server_address[1])
        elif kind in ("stall", "reset", "short"):
            n = number(1)
            self.send_head(200, [("Content-Type", "application/octet-stream"), ("Content-Length", str(n)),
                                 ("Connection", "close")])
            self.wfile.write(pattern(0, n // 2))
            self.wfile.flush()
            if kind == "stall":
                time.sleep(server.options.stall)
            elif kind == "reset":
                # A zero linger time makes close() send a reset instead of a FIN.
                self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                self.connection.close()
        elif kind == "headers-stall":
            self.send_head(200, [("Content-Type", "application/octet-stream"), ("Content-Length", str(number(1))),
                                 ("Connection", "close")])
            self.wfile.flush()
            time.sleep(server.options.stall)
        elif kind == "silent":
            time.sleep(server.options.stall)
        elif kind == "slow":
            self.send_pattern(number(1), piece=16 * 1024, pause=0.02)
        elif kind == "hold-headers":
            time.sleep(number(1) / 1000.0)
            self.send_pattern(number(2))
        elif kind == "file":
            self.send_file(os.path.join(server.options.root, os.path.basename(segments[1])))
        elif kind == "__requests":
            with server.lock:
                listing = "".join(p + "\n" for p in server.requests_seen)
            self.send_body(200, listing.encode("utf-8"), "text/plain")
        elif kind == "__unused-port":
            with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as probe:
                probe.bind(("127.0.0.1", 0))
                port = probe.getsockname()[1]
            self.send_body(200, b"%d\n" % port, "text/plain")
        elif kind == "__blackhole-port":
            if server.blackhole is None:
                self.send_body(404, b"no black hole\n", "text/plain")
            else:
                self.send_body(200, b"%d\n" % server.blackhole[0].getsockname()[1], "text/plain")
        elif kind == "__stop":
            self.send_body(200, b"stopping\n", "text/plain")
            self.wfile.flush()
            threading.Thread(target=server.shutdown, daemon=True).start()
        else:
            self.send_body(200, ("served:" + path).encode("utf-8"), "text/plain")

    def send_file(self, name):
        try:
            with open(name, "rb") as f:
                size = os.fstat(f.fileno()).st_size
                self.send_head(200, [("Content-Type", "application/octet-stream"), ("Content-Length", str(size)),
                                     ("Connection", "close")])
                self.wfile.flush()
                self.connection.sendfile(f)
        except FileNotFoundError:
            self.send_body(404, b"not found\n", "text/plain")


def open_blackhole(port):
    hole = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    hole.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    hole.bind(("127.0.0.1", port))
    hole.listen(0)
    filler = socket.create_connection(hole.getsockname(), timeout=5)
    return hole, filler


def write_port_file(name, port):
    temporary = name + ".tmp"
    with open(temporary, "w") as f:
        f.write("%d\n" % port)
    os.replace(temporary, name)


def parse_route(text):
    path, separator, target = text.partition("=")
    if not separator or not path.startswith("/") or not target.startswith("/"):
        raise argparse.ArgumentTypeError("a route is PATH=TARGET, both starting with /: %r" % text)
    return path, target


def watch(server, parent, lifetime):
    started = time.monotonic()
    while True:
        time.sleep(0.25)
        orphaned = parent is not None and os.getppid() != parent
        if orphaned or time.monotonic() - started > lifetime:
            server.shutdown()
            return


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--root", default=".")
    parser.add_argument("--stall", type=float, default=8.0)
    parser.add_argument("--lifetime", type=float, default=900.0)
    parser.add_argument("--keep-without-parent", action="store_true")
    parser.add_argument("--route", type=parse_route, action="append", default=[])
    parser.add_argument("--blackhole-port", type=int)
    parser.add_argument("--blackhole-port-file")
    options = parser.parse_args()
    options.routes = dict(options.route)

    server = Server(("127.0.0.1", options.port), options)
    if options.blackhole_port is not None:
        server.blackhole = open_blackhole(options.blackhole_port)
        if options.blackhole_port_file:
            write_port_file(options.blackhole_port_file, server.blackhole[0].getsockname()[1])
    parent = None if options.keep_without_parent else os.getppid()
    threading.Thread(target=watch, args=(server, parent, options.lifetime), daemon=True).start()
    write_port_file(options.port_file, server.server_address[1])
    server.serve_forever(poll_interval=0.1)
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())

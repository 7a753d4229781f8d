"""A small HTTP server on 127.0.0.1 for tests of downloads: the system picks
the port, the server runs in threads of the test, and each route serves the
bytes the test gives it: whole, slowly, cut off, or with another status.

    with HttpFixture() as http:
        http.route("/banner.gif", gif_bytes)                  # 200 with Content-Length
        http.route("/gone", status=404)
        http.route("/cut", data, cut_after=400)               # announces len(data), closes after 400
        http.route("/slow", data, pace=(1024, 0.05))          # 1 KiB every 50 ms
        http.route("/stream", data, length=None)              # no Content-Length: ends by closing
        program.download(http.url("/banner.gif"))
        served = http.served("/banner.gif")                   # what went out, per request

It answers as a proxy too: a request for a whole http address is served
from the routes, and its Served record names the host (proxied_for).

standard_routes(http) adds the usual set (good file, 14 bytes, not a GIF,
404, cut off, slow) and returns their paths and bytes, so tests of different
layers can share them. Every connection serves one request and closes.
Nothing but 127.0.0.1 is ever bound, and stop() ends slow transfers at once."""

import http.server
import os
import random
import socketserver
import threading
import time
import urllib.parse
from dataclasses import dataclass, field

# The smallest GIF89a: one pixel of a two-colour table.
TINY_GIF = (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff"
            b"\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b")


@dataclass
class Route:
    body: bytes = b""
    status: int = 200
    content_type: str = "application/octet-stream"
    length: object = "body"  # the Content-Length announced: "body" (its size), a number, or None (no header)
    cut_after: int = None  # close the connection after this many body bytes
    pace: tuple = None  # (bytes, seconds): send that many, then wait that long
    headers: dict = field(default_factory=dict)


@dataclass
class Served:
    path: str
    headers: dict
    status: int
    sent: int = 0
    aborted: bool = False  # the client went away before the body was out
    started: float = 0.0
    ended: float = 0.0
    proxied_for: str = None  # the host of a request sent to this server as a proxy


class _Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    block_on_close = False


class HttpFixture:
    def __init__(self):
        self.routes = {}
        self._served = []
        self._lock = threading.Lock()
        self._stopping = threading.Event()
        self.server = None
        self.thread = None

    def route(self, path, body=b"", **options):
        """Serves body at path; options are Route's fields. Returns the URL."""
        self.routes[path] = Route(body=bytes(body), **options)
        return self.url(path)

    def url(self, path):
        return f"http://127.0.0.1:{self.port}{path}"

    @property
    def port(self):
        return self.server.server_address[1]

    def served(self, path=None):
        with self._lock:
            return [s for s in self._served if path is None or s.path == path]

    def start(self):
        fixture = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def log_message(self, *args):
                pass

            def do_GET(self):
                fixture._serve(self)

        self.server = _Server(("127.0.0.1", 0), Handler)
        self.thread = threading.Thread(target=self.server.serve_forever, kwargs={"poll_interval": 0.05},
                                       daemon=True)
        self.thread.start()
        return self

    def stop(self):
        self._stopping.set()
        if self.server:
            self.server.shutdown()
            self.server.server_close()
            self.thread.join(timeout=5)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
        return False

    def _serve(self, handler):
        target = urllib.parse.urlsplit(handler.path)
        path = target.path
        route = self.routes.get(path) or Route(body=b"not found", status=404, content_type="text/plain")
        record = Served(path, dict(handler.headers), route.status, started=time.monotonic(),
                        proxied_for=target.hostname)
        with self._lock:
            self._served.append(record)
        body = route.body
        handler.close_connection = True
        try:
            handler.send_response(route.status)
            handler.send_header("Content-Type", route.content_type)
            length = len(body) if route.length == "body" else route.length
            if length is not None:
                handler.send_header("Content-Length", str(length))
            handler.send_header("Connection", "close")
            for name, value in route.headers.items():
                handler.send_header(name, value)
            handler.end_headers()
            end = len(body) if route.cut_after is None else min(route.cut_after, len(body))
            step, wait = route.pace or (64 * 1024, 0)
            while record.sent < end and not self._stopping.is_set():
                piece = body[record.sent:min(end, record.sent + step)]
                handler.wfile.write(piece)
                handler.wfile.flush()
                record.sent += len(piece)
                if wait and record.sent < end:
                    self._stopping.wait(wait)
        except (BrokenPipeError, ConnectionResetError):
            record.aborted = True
        record.ended = time.monotonic()


def standard_routes(http, good=None, seed=1):
    """The usual routes: returns {name: (path, bytes)}. good defaults to 200 kB
    of noise after a GIF89a signature; the slow route sends 2 kB every 50 ms."""
    rng = random.Random(seed)
    if good is None:
        good = b"GIF89a" + bytes(rng.getrandbits(8) for _ in range(200 * 1024))
    routes = {
        "good": ("/good.gif", good),
        "fourteen": ("/fourteen.gif", b"GIF89a\x10\x00\x10\x00\x80\x00\x00\x00"),
        "not_gif": ("/not-a-gif.png", b"\x89PNG\r\n\x1a\n" + os.urandom(64)),
        "missing": ("/missing.gif", b"<html>not here</html>"),
        "cut": ("/cut.gif", good),
        "slow": ("/slow.gif", good[:80 * 1024]),
    }
    http.route(routes["good"][0], good, content_type="image/gif")
    http.route(routes["fourteen"][0], routes["fourteen"][1], content_type="image/gif")
    http.route(routes["not_gif"][0], routes["not_gif"][1], content_type="image/png")
    http.route(routes["missing"][0], routes["missing"][1], status=404, content_type="text/html")
    http.route(routes["cut"][0], good, content_type="image/gif", cut_after=len(good) // 3)
    http.route(routes["slow"][0], routes["slow"][1], content_type="image/gif", pace=(2048, 0.05))
    return routes

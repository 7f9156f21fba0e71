#!/usr/bin/env python3
"""Operator simulator: a local HTTP/1.1 server standing in for the operator's servers in tests.

Usage:
    opsim.py --root DIR --port-file FILE [--host 127.0.0.1] [--exit-on-stdin-eof] [--watch-pid PID]

It binds a free port, writes the number to FILE (through FILE.tmp and a rename, so a reader never
sees half a number) and serves until SIGTERM/SIGINT, until standard input ends (with
--exit-on-stdin-eof) or until process PID is gone (with --watch-pid; stops orphans when a test
program crashes).

Structure
    Simulator          the core: endpoints by path, the fault table, the request log, the
                       connection counter and the `stopping` event long replies watch.
    Handler            one per TCP connection (one daemon thread each, keep-alive). Parses a
                       request into a Request, logs it, looks up a fault, asks the endpoint for a
                       Response and delivers it - normally or as the fault says.
    Endpoint           one simulated service: handle(Request) -> Response. Adding a service is
                       one subclass and one `sim.register(...)` line in build_simulator().
        ResourceHost   GET of any path serves the file below --root (the default endpoint).
        ReportService  the statistics endpoints /mc_log and /mc_rea: 200 with a short text body.
        ControlApi     the test's remote control under /__sim/.

Paths: `path` is the URL path as sent (percent-encoding kept, no query). Faults match either that
form or its percent-decoded form; the request log keeps the form as sent.

Bytes: a request target may carry raw bytes above 0x7F (the reports send GBK text unencoded). Only
ASCII spaces separate the words of a request line, and the log keeps every byte of path, query
and headers: the /__sim/requests reply writes each as the one character of the same code
(ISO-8859-1), so a JSON reader that passes string bytes through gets the bytes exactly as sent.

Control API (never logged, never faulted; connections that carry only control requests are not
counted as connections):
    POST /__sim/fault     {"path": "/220_9/a.swf", "fault": "cutoff", ...params}
                          fault: none (clears the path) | notfound | error500 | empty | cutoff |
                          stall | slow. Params may also come as the query string:
                            slow:          bytes_per_tick (1024), tick_ms (20)
                            cutoff, stall: send_bytes (half of the body; a stall sends at most 16)
                            stall:         send_head (1; 0 sends not even the status line)
    POST /__sim/clear     clears all faults and the request log (not the counters of connections).
    GET  /__sim/faults    {path: {"fault": name, params...}}
    GET  /__sim/requests  [{"method", "path", "query", "headers": {lower-cased name: value}}, ...]
                          every non-control request in arrival order, its bytes as sent (above);
                          "query" is everything after the first "?", a "#" and what follows included.
    GET  /__sim/count?path=P   {"count": requests whose path equals P}
    GET  /__sim/stats     {"connections": connections that carried a non-control request,
                           "accepted": all TCP connections accepted, "requests": logged requests}

Faults (per path, for every later request of it until cleared):
    notfound  404 with an HTML page          error500  500 with a small HTML page
    empty     200 with Content-Length: 0
    cutoff    the endpoint's reply with its real Content-Length, half of the body, then the
              connection closes
    stall     the same, a few bytes, then silence until the client leaves or the server stops;
              with send_head=0 nothing at all: the request is read and never answered
    slow      the whole body in chunks of bytes_per_tick every tick_ms
"""

import argparse
import json
import os
import select
import signal
import socket
import socketserver
import sys
import threading
import traceback
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

CONTROL_PREFIX = "/__sim/"
FAULTS = ("notfound", "error500", "empty", "cutoff", "stall", "slow")
STALL_MAX_BYTES = 16
HTML = "text/html; charset=utf-8"
JSON = "application/json"
CONTENT_TYPES = {".html": HTML, ".htm": HTML, ".txt": "text/plain", ".xml": "text/xml",
                 ".json": JSON, ".css": "text/css", ".js": "application/javascript",
                 ".png": "image/png", ".jpg": "image/jpeg", ".gif": "image/gif",
                 ".swf": "application/x-shockwave-flash"}


def html_page(status, title):
    return Response(status, ("<html><head><title>%s</title></head><body><h1>%s</h1></body></html>"
                             % (title, title)).encode("ascii"), HTML)


def not_found():
    return html_page(404, "Not Found")


def json_reply(value, status=200):
    return Response(status, json.dumps(value).encode("utf-8"), JSON)


def raw_json_reply(value):
    """JSON whose strings hold request bytes one per character (all below 256), sent as those bytes."""
    text = json.dumps(value, ensure_ascii=False)
    try:
        return Response(200, text.encode("latin-1"), JSON + "; charset=iso-8859-1")
    except UnicodeEncodeError:   # not request bytes after all
        return Response(200, text.encode("utf-8"), JSON)


class Request:
    """One parsed request as endpoints see it."""

    def __init__(self, method, target, headers, body):
        if not target.startswith("/"):
            # Absolute form ("GET http://host/path HTTP/1.1"), as sent to a proxy.
            parts = urllib.parse.urlsplit(target)
            target = (parts.path or "/") + ("?" + parts.query if parts.query else "")
        path, _, query = target.partition("?")
        path = path.partition("#")[0]
        self.method = method
        self.path = path                                   # as sent, still percent-encoded
        self.query = query.partition("#")[0]               # without the "?"
        self.raw_query = query                             # all after the "?", "#" and all, as sent
        self.decoded_path = urllib.parse.unquote(path)     # UTF-8, bad bytes replaced
        self.raw_decoded_path = urllib.parse.unquote_to_bytes(path)
        self.headers = headers                             # {lower-cased name: value}
        self.body = body

    def query_params(self):
        return dict(urllib.parse.parse_qsl(self.query, keep_blank_values=True))


class Response:
    def __init__(self, status, body=b"", content_type="application/octet-stream", headers=None):
        self.status = status
        self.body = body
        self.content_type = content_type
        self.headers = headers or []


class Fault:
    def __init__(self, kind, params):
        self.kind = kind
        self.params = params

    def int_param(self, name, default, minimum):
        try:
            return max(minimum, int(self.params.get(name, default)))
        except (TypeError, ValueError):
            return default


class FaultTable:
    def __init__(self):
        self._lock = threading.Lock()
        self._faults = {}

    def set(self, path, fault):
        with self._lock:
            if fault is None:
                self._faults.pop(path, None)
            else:
                self._faults[path] = fault

    def clear(self):
        with self._lock:
            self._faults.clear()

    def lookup(self, request):
        with self._lock:
            return self._faults.get(request.path) or self._faults.get(request.decoded_path)

    def snapshot(self):
        with self._lock:
            return {path: dict(fault.params, fault=fault.kind) for path, fault in self._faults.items()}


class RequestLog:
    def __init__(self):
        self._lock = threading.Lock()
        self._entries = []
        self._count_by_path = {}

    def add(self, request):
        entry = {"method": request.method, "path": request.path, "query": request.raw_query,
                 "headers": request.headers}
        with self._lock:
            self._entries.append(entry)
            self._count_by_path[request.path] = self._count_by_path.get(request.path, 0) + 1

    def clear(self):
        with self._lock:
            self._entries = []
            self._count_by_path = {}

    def entries(self):
        with self._lock:
            return list(self._entries)

    def count(self, path=None):
        with self._lock:
            return len(self._entries) if path is None else self._count_by_path.get(path, 0)


class ConnectionCounter:
    def __init__(self):
        self._lock = threading.Lock()
        self.accepted = 0   # every TCP connection
        self.serving = 0    # connections that carried at least one non-control request

    def on_accept(self):
        with self._lock:
            self.accepted += 1

    def on_first_request(self):
        with self._lock:
            self.serving += 1


class Endpoint:
    """One simulated service. `handle` runs on the connection's thread and returns a Response."""

    def handle(self, request):
        raise NotImplementedError


class Simulator:
    def __init__(self):
        self.faults = FaultTable()
        self.log = RequestLog()
        self.connections = ConnectionCounter()
        self.stopping = threading.Event()
        self._exact = {}
        self._prefixes = []
        self._default = None

    def register(self, path, endpoint):
        """A path ending in "/" takes everything below it; any other path is matched exactly."""
        if path.endswith("/"):
            self._prefixes.append((path, endpoint))
            self._prefixes.sort(key=lambda item: -len(item[0]))
        else:
            self._exact[path] = endpoint

    def set_default(self, endpoint):
        self._default = endpoint

    def route(self, path):
        endpoint = self._exact.get(path)
        if endpoint is not None:
            return endpoint
        for prefix, endpoint in self._prefixes:
            if path.startswith(prefix):
                return endpoint
        return self._default


class ResourceHost(Endpoint):
    """Serves the files below root. Anything that would leave root is simply not found."""

    def __init__(self, root):
        self._root = os.path.realpath(os.fsencode(root))
        self._inside = self._root.rstrip(b"/") + b"/"

    def locate(self, request):
        segments = []
        for segment in request.raw_decoded_path.split(b"/"):
            if segment in (b"", b"."):
                continue
            if segment == b".." or b"\0" in segment:
                return None
            segments.append(segment)
        if not segments:
            return None
        real = os.path.realpath(os.path.join(self._root, *segments))
        if not real.startswith(self._inside) or not os.path.isfile(real):
            return None   # a symbolic link leading out of root, a directory, nothing at all
        return real

    def handle(self, request):
        if request.method not in ("GET", "HEAD"):
            return html_page(405, "Method Not Allowed")
        location = self.locate(request)
        if location is None:
            return not_found()
        try:
            with open(location, "rb") as file:
                body = file.read()
        except OSError:
            return not_found()
        extension = os.path.splitext(location)[1].decode("latin-1").lower()
        content_type = CONTENT_TYPES.get(extension, "application/octet-stream")
        return Response(200, body, content_type)


class ReportService(Endpoint):
    """The operator's statistics service: takes any report and answers a short text. The request
    log holds what arrived; the answer's body is something a client may well never read."""

    def handle(self, request):
        if request.method not in ("GET", "HEAD"):
            return html_page(405, "Method Not Allowed")
        return Response(200, b"ok", "text/plain")


class ControlApi(Endpoint):
    def __init__(self, sim):
        self._sim = sim

    def handle(self, request):
        name = request.path[len(CONTROL_PREFIX):]
        method = request.method
        if name == "fault" and method == "POST":
            return self._set_fault(request)
        if name == "clear" and method == "POST":
            self._sim.faults.clear()
            self._sim.log.clear()
            return json_reply({"ok": True})
        if name == "faults" and method == "GET":
            return json_reply(self._sim.faults.snapshot())
        if name == "requests" and method == "GET":
            return raw_json_reply(self._sim.log.entries())
        if name == "count" and method == "GET":
            return json_reply({"count": self._sim.log.count(request.query_params().get("path", ""))})
        if name == "stats" and method == "GET":
            counter = self._sim.connections
            return json_reply({"connections": counter.serving, "accepted": counter.accepted,
                               "requests": self._sim.log.count()})
        return json_reply({"error": "no such control call: %s %s" % (method, request.path)}, 404)

    def _set_fault(self, request):
        params = request.query_params()
        if request.body.strip():
            try:
                body = json.loads(request.body.decode("utf-8"))
            except (UnicodeDecodeError, ValueError) as error:
                return json_reply({"error": "body is not JSON: %s" % error}, 400)
            if not isinstance(body, dict):
                return json_reply({"error": "body must be a JSON object"}, 400)
            params.update(body)
        path = params.pop("path", None)
        kind = params.pop("fault", None)
        if not isinstance(path, str) or not path.startswith("/") or path.startswith(CONTROL_PREFIX):
            return json_reply({"error": "path must start with / and lie outside %s" % CONTROL_PREFIX}, 400)
        if kind != "none" and kind not in FAULTS:
            return json_reply({"error": "fault must be none or one of %s" % ", ".join(FAULTS)}, 400)
        self._sim.faults.set(path, None if kind == "none" else Fault(kind, params))
        return json_reply({"ok": True})


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    disable_nagle_algorithm = True
    server_version = "opsim"
    sys_version = ""

    def setup(self):
        super().setup()
        self._counted = False
        self.server.sim.connections.on_accept()

    def parse_request(self):
        # str.split() would also split at \x85 and \xa0, ordinary bytes of GBK text in a target:
        # hand the base class a plain target and put the real one back, byte for byte.
        line = self.raw_requestline.rstrip(b"\r\n")
        words = [word for word in line.split(b" ") if word]
        if len(words) not in (2, 3):
            return super().parse_request()
        target = words[1].decode("latin-1")
        words[1] = b"/"
        self.raw_requestline = b" ".join(words) + b"\r\n"
        if not super().parse_request():
            return False
        self.path = target
        self.requestline = line.decode("latin-1")
        return True

    def log_message(self, format, *args):
        if self.server.verbose:
            sys.stderr.write("opsim: %s\n" % (format % args))

    # Every method goes through one dispatcher; endpoints decide what they accept.
    def do_GET(self):
        self._dispatch()

    do_HEAD = do_POST = do_PUT = do_DELETE = do_OPTIONS = do_PATCH = do_GET

    def _read_body(self):
        if "chunked" in self.headers.get("Transfer-Encoding", "").lower():
            chunks = []
            while True:
                size = int(self.rfile.readline(1024).split(b";")[0].strip() or b"0", 16)
                if size == 0:
                    while self.rfile.readline(65537).strip():
                        pass   # trailers
                    return b"".join(chunks)
                chunks.append(self.rfile.read(size))
                self.rfile.readline(16)
        length = int(self.headers.get("Content-Length") or 0)
        if length < 0:
            raise ValueError("negative Content-Length")
        return self.rfile.read(length) if length else b""

    def _dispatch(self):
        sim = self.server.sim
        try:
            body = self._read_body()
        except ValueError:
            self.close_connection = True
            self._send(html_page(400, "Bad Request"))
            return
        headers = {}
        for name, value in self.headers.items():
            name = name.lower()
            headers[name] = headers[name] + ", " + value if name in headers else value
        request = Request(self.command, self.path, headers, body)
        endpoint = sim.route(request.path)
        try:
            if request.path.startswith(CONTROL_PREFIX):
                self._send(endpoint.handle(request))
                return
            if not self._counted:
                self._counted = True
                sim.connections.on_first_request()
            sim.log.add(request)
            fault = sim.faults.lookup(request)
            if fault is None:
                self._send(endpoint.handle(request) if endpoint else not_found())
            elif fault.kind == "notfound":
                self._send(not_found())
            elif fault.kind == "error500":
                self._send(html_page(500, "Internal Server Error"))
            elif fault.kind == "empty":
                self._send(Response(200))
            else:
                self._deliver_faulty(endpoint.handle(request) if endpoint else not_found(), fault)
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True
        except Exception:   # a fault of the simulator itself: say so, on the wire and on stderr
            traceback.print_exc()
            self.close_connection = True
            try:
                self._send(html_page(500, "Simulator Error"))
            except OSError:
                pass

    def _head(self, response, length):
        reason = self.responses.get(response.status, ("Unknown",))[0]
        lines = ["HTTP/1.1 %d %s" % (response.status, reason),
                 "Server: opsim",
                 "Content-Type: %s" % response.content_type,
                 "Content-Length: %d" % length]
        lines += ["%s: %s" % pair for pair in response.headers]
        if self.close_connection:
            lines.append("Connection: close")
        return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1")

    def _send(self, response):
        body = b"" if self.command == "HEAD" else response.body
        self.wfile.write(self._head(response, len(response.body)) + body)

    def _deliver_faulty(self, response, fault):
        body = response.body
        if self.command == "HEAD":
            self._send(response)
            return
        if fault.kind == "slow":
            step = fault.int_param("bytes_per_tick", 1024, 1)
            tick = fault.int_param("tick_ms", 20, 0) / 1000.0
            self.wfile.write(self._head(response, len(body)))
            for offset in range(0, len(body), step):
                if offset and self.server.sim.stopping.wait(tick):
                    self.close_connection = True
                    return
                self.wfile.write(body[offset:offset + step])
            return
        # cutoff and stall hold back at least one byte of any non-empty body.
        default = len(body) // 2 if fault.kind == "cutoff" else min(STALL_MAX_BYTES, len(body) // 2)
        sent = min(fault.int_param("send_bytes", default, 0), max(len(body) - 1, 0))
        self.close_connection = True
        if fault.kind != "stall" or fault.int_param("send_head", 1, 0):
            self.wfile.write(self._head(response, len(body)) + body[:sent])
        if fault.kind == "stall":
            self._wait_until_client_leaves()

    def _wait_until_client_leaves(self):
        sock = self.connection
        stopping = self.server.sim.stopping
        while not stopping.is_set():
            readable, _, _ = select.select([sock], [], [], 0.1)
            if not readable:
                continue
            try:
                if not sock.recv(1, socket.MSG_PEEK):
                    return   # the client closed its end
            except OSError:
                return
            stopping.wait(0.1)   # the client sent more; it gets no answer


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 128

    def __init__(self, address, sim, verbose):
        self.sim = sim
        self.verbose = verbose
        super().__init__(address, Handler)

    def handle_error(self, request, client_address):
        # A client that drops its kept-alive connection is normal traffic, not an error.
        if isinstance(sys.exc_info()[1], (ConnectionResetError, BrokenPipeError, TimeoutError)):
            return
        super().handle_error(request, client_address)

    def server_bind(self):
        # HTTPServer.server_bind asks the resolver for our host name, which can take seconds.
        socketserver.TCPServer.server_bind(self)
        self.server_name, self.server_port = self.server_address[:2]


def build_simulator(args):
    sim = Simulator()
    sim.register(CONTROL_PREFIX, ControlApi(sim))
    sim.register("/mc_log", ReportService())
    sim.register("/mc_rea", ReportService())
    sim.set_default(ResourceHost(args.root))
    return sim


def write_port_file(path, port):
    temporary = path + ".tmp"
    with open(temporary, "w") as file:
        file.write("%d\n" % port)
    os.replace(temporary, path)


def process_alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        pass
    return True


def main(argv):
    parser = argparse.ArgumentParser(description="Operator simulator for tests.")
    parser.add_argument("--root", required=True, help="directory whose files the resource host serves")
    parser.add_argument("--port-file", required=True, help="file that receives the port number")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--exit-on-stdin-eof", action="store_true")
    parser.add_argument("--watch-pid", type=int, default=0, help="stop when this process is gone")
    parser.add_argument("--verbose", action="store_true", help="log every request to stderr")
    args = parser.parse_args(argv)
    if not os.path.isdir(args.root):
        sys.stderr.write("opsim: root %r is not a directory\n" % args.root)
        return 2

    # Termination signals are taken by the main thread alone, synchronously; every thread started
    # from here on inherits the blocked mask.
    stop_signals = {signal.SIGTERM, signal.SIGINT}
    for number in stop_signals:
        signal.signal(number, signal.SIG_DFL)   # an ignored signal would never arrive
    signal.pthread_sigmask(signal.SIG_BLOCK, stop_signals)

    sim = build_simulator(args)
    try:
        server = Server((args.host, 0), sim, args.verbose)
    except OSError as error:
        sys.stderr.write("opsim: cannot listen on %s: %s\n" % (args.host, error))
        return 2
    threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.1}, daemon=True).start()

    stdin_closed = threading.Event()
    if args.exit_on_stdin_eof:
        def watch_stdin():
            while sys.stdin.buffer.read1(65536):
                pass
            stdin_closed.set()
        threading.Thread(target=watch_stdin, daemon=True).start()

    write_port_file(args.port_file, server.server_address[1])

    while not stdin_closed.is_set():
        if signal.sigtimedwait(stop_signals, 0.1) is not None:
            break
        if args.watch_pid and not process_alive(args.watch_pid):
            break

    sim.stopping.set()
    server.socket.close()
    sys.stdout.flush()
    sys.stderr.flush()
    # Connection threads may sit in blocking reads or long replies; they end with the process,
    # which closes every connection at once.
    os._exit(0)

if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

#!/usr/bin/env python3
"""Scriptable HTTP(S) service for the kit's network tests.

  service.py serve --port-file F [--cert C --key K] [--parts-dir D]
      Listens on 127.0.0.1 on a free port and writes the port to F.
      POST /__script  {"rules": [{"method": "GET", "path": "/x", "responses": [...]}]}
                      replaces the script; a rule's responses are used in turn,
                      the last one repeating. A path ending in "*" matches every
                      path that starts with the rest. A response is
                      {"status": 200, "headers": [[name, value], ...], "body": "text"
                       | "body_b64": "...", "mode": "normal" | "hang" | "close" |
                       "truncate" | "short" | "garbage" | "endless" | "trickle",
                       "interval": seconds between bytes when trickling (0.8),
                       "delay_ms": milliseconds to wait before answering (0),
                       "read_rate": bytes per second at most while reading the
                       request's body (0: as fast as it comes),
                       "stall_after", "stall_seconds": stop reading the body for
                       that long once that many of its bytes are in}
                      "endless" sends the body over and over until the client
                      leaves; "trickle" sends one byte of it at a time.
      GET  /__log     every request so far: method, path, query, headers in order,
                      body length, SHA-256 and (Base64) the body itself and, for
                      multipart bodies, the parts; a body of more than 16 MiB is
                      logged by its length and digest only. "answered": true
                      once a normal or trickled answer went out whole (a
                      client that left before its end has none).
      Multipart parts are also written to the parts folder, one file each.
      Every part typed "application/x-gzip" or starting as a gzip stream is
      decompressed as python's gzip module reads it, piece by piece: the log
      says "gzip": "ok" with the length it expands to, "gunzip_length" (and,
      up to 16 MiB, the bytes, "gunzip_b64", and the text, "gunzip_text"), or
      the error; the parts folder also keeps the decompressed bytes
      ("<file>.gunzip"). A file part named "*.zip" or "*.gz" that is no gzip
      stream says "gzip": "not gzip".
  service.py make-certs DIR
      Makes two test roots and server certificates with openssl: good (root A),
      other (root B), expired (root A), wronghost (root A), and localhost
      (root A, for the name "localhost" only: a second host on this machine).
"""
import base64
import hashlib
import json
import os
import socket
import ssl
import subprocess
import sys
import threading
import time
import zlib
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

LOCK = threading.Lock()
RULES = []
LOG = []
PARTS_DIR = None
# Bodies and expanded parts larger than this are described, not kept.
KEEP_LIMIT = 16 << 20


def gunzip_bounded(data):
    """Expands every member as gzip.decompress does (zero padding after a
    member skipped), counting all of it but keeping at most KEEP_LIMIT bytes:
    (length, bytes or None when there were more)."""
    kept = []
    total = 0
    first = True
    while True:
        if not first:
            data = data.lstrip(b"\x00")
        if not data:
            break
        first = False
        if data[:2] != b"\x1f\x8b":
            raise ValueError("not a gzip member")
        member = zlib.decompressobj(31)
        pending = data
        while True:
            piece = member.decompress(pending, 1 << 20)
            total += len(piece)
            if total <= KEEP_LIMIT:
                kept.append(piece)
            pending = member.unconsumed_tail
            if member.eof or (not pending and not piece):
                break
        if not member.eof:
            raise EOFError("compressed stream ended before its end-of-stream marker")
        data = member.unused_data
    return total, (b"".join(kept) if total <= KEEP_LIMIT else None)


def describe_gzip(part, content_type, data):
    """Reads a compressed file part as python's gzip module reads it."""
    named = (part["filename"] or "").endswith((".zip", ".gz"))
    typed = content_type.strip().lower() == "application/x-gzip"
    if not (typed or data.startswith(b"\x1f\x8b")):
        if named:
            part["gzip"] = "not gzip"
        return
    try:
        length, plain = gunzip_bounded(data)
    except Exception as error:  # any damage in the stream is reported, not raised
        part["gzip"] = "error: %s" % error
        return
    part["gzip"] = "ok"
    part["gunzip_length"] = length
    if plain is not None:
        part["gunzip_b64"] = base64.b64encode(plain).decode()
        part["gunzip_text"] = plain.decode("utf-8", "replace")


def parse_multipart(content_type, body):
    boundary = None
    for piece in content_type.split(";")[1:]:
        name, _, value = piece.strip().partition("=")
        if name.lower() == "boundary":
            boundary = value.strip('"')
    if not boundary:
        return None
    delimiter = b"--" + boundary.encode()
    parts = []
    for chunk in body.split(delimiter)[1:]:
        if chunk.startswith(b"--"):
            break
        chunk = chunk[2:] if chunk.startswith(b"\r\n") else chunk
        head, _, data = chunk.partition(b"\r\n\r\n")
        if data.endswith(b"\r\n"):
            data = data[:-2]
        headers = [line.split(": ", 1) for line in head.decode("utf-8", "replace").split("\r\n") if ": " in line]
        disposition = dict(headers).get("Content-Disposition", "")
        fields = {}
        for item in disposition.split(";")[1:]:
            key, _, value = item.strip().partition("=")
            fields[key] = value.strip('"')
        part = {"headers": headers, "name": fields.get("name"), "filename": fields.get("filename"),
                "body_b64": base64.b64encode(data).decode()}
        describe_gzip(part, dict(headers).get("Content-Type", ""), data)
        parts.append(part)
    return parts


def matches(pattern, path):
    # A pattern ending in "*" matches every path that starts with the rest.
    return path.startswith(pattern[:-1]) if pattern.endswith("*") else path == pattern


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def handle_one_request(self):
        try:
            super().handle_one_request()
        except (ConnectionError, ssl.SSLError, socket.timeout, OSError):
            self.close_connection = True

    def _body(self, answer=None):
        """Reads the body, at most at the answer's "read_rate" and with its
        stall; a client that leaves early gives the bytes that came."""
        length = int(self.headers.get("Content-Length") or 0)
        answer = answer or {}
        rate = float(answer.get("read_rate", 0))
        stall_after = int(answer.get("stall_after", -1))
        if not rate and stall_after < 0:
            return self.rfile.read(length) if length else b""
        chunks = []
        got = 0
        started = time.monotonic()
        stalled = False
        while got < length:
            if not stalled and 0 <= stall_after <= got:
                stalled = True
                time.sleep(float(answer.get("stall_seconds", 0)))
                started = time.monotonic() - (got / rate if rate else 0)
            want = min(length - got, 65536)
            if not stalled and stall_after > got:
                want = min(want, stall_after - got)
            try:
                chunk = self.rfile.read(want)
            except OSError:
                break
            if not chunk:
                break
            chunks.append(chunk)
            got += len(chunk)
            if rate:
                ahead = started + got / rate - time.monotonic()
                if ahead > 0:
                    time.sleep(ahead)
        return b"".join(chunks)

    def _send(self, status, headers, body):
        self.send_response_only(status)
        for name, value in headers:
            self.send_header(name, value)
        if not any(n.lower() == "content-length" for n, _ in headers) and status not in (204, 304):
            self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        if body and self.command != "HEAD":
            self.wfile.write(body)
        self.close_connection = True

    def _dispatch(self):
        global RULES
        path, _, query = self.path.partition("?")
        if path == "/__script":
            body = self._body()
            with LOCK:
                RULES = [dict(rule, used=0) for rule in json.loads(body)["rules"]]
            return self._send(200, [], b"")
        if path == "/__log":
            self._body()
            with LOCK:
                data = json.dumps(LOG).encode()
            return self._send(200, [("Content-Type", "application/json")], data)
        with LOCK:
            # The answer is chosen first: it says how the body is read.
            rule = next((r for r in RULES if matches(r["path"], path) and r.get("method", self.command) == self.command),
                        None)
            if rule is None:
                answer = {"status": 404}
            else:
                answer = rule["responses"][min(rule["used"], len(rule["responses"]) - 1)]
                rule["used"] += 1
        body = self._body(answer)
        entry = {"method": self.command, "path": path, "query": query, "time": time.time(),
                 "headers": [[k, v] for k, v in self.headers.items()],
                 "body_length": len(body), "body_sha256": hashlib.sha256(body).hexdigest()}
        content_type = self.headers.get("Content-Type", "")
        if len(body) <= KEEP_LIMIT:
            entry["body_b64"] = base64.b64encode(body).decode()
            if content_type.startswith("multipart/form-data"):
                entry["parts"] = parse_multipart(content_type, body)
        with LOCK:
            index = len(LOG)
            LOG.append(entry)
        if PARTS_DIR and entry.get("parts"):
            for number, part in enumerate(entry["parts"]):
                name = os.path.join(PARTS_DIR, "%d-%d-%s" % (index, number, (part["name"] or "").replace("/", "_")))
                with open(name, "wb") as out:
                    out.write(base64.b64decode(part["body_b64"]))
                if "gunzip_b64" in part:
                    with open(name + ".gunzip", "wb") as out:
                        out.write(base64.b64decode(part["gunzip_b64"]))
        if self._answer(answer):
            with LOCK:
                entry["answered"] = True

    def _answer(self, answer):
        """Sends the answer; true when all of it went out."""
        mode = answer.get("mode", "normal")
        body = base64.b64decode(answer["body_b64"]) if "body_b64" in answer else answer.get("body", "").encode()
        headers = [tuple(h) for h in answer.get("headers", [])]
        status = answer.get("status", 200)
        if answer.get("delay_ms"):
            time.sleep(float(answer["delay_ms"]) / 1000.0)
        if mode == "hang":
            # Accept and never answer, until the client gives up.
            self.connection.settimeout(1.0)
            deadline = time.time() + 120
            while time.time() < deadline:
                try:
                    if not self.connection.recv(1):
                        break
                except socket.timeout:
                    continue
                except OSError:
                    break
            self.close_connection = True
            return False
        if mode == "close":
            self.close_connection = True
            return False
        if mode == "garbage":
            self.wfile.write(b"THIS IS NOT HTTP\r\n\r\n")
            self.close_connection = True
            return False
        if mode == "endless":
            self._send_endless(status, headers, body or b"x" * 65536)
            return False
        if mode == "trickle":
            return self._send_trickle(status, headers, body, float(answer.get("interval", 0.8)))
        if mode == "truncate":
            headers.append(("Content-Length", str(len(body) + 100)))
        elif mode == "short":
            headers.append(("Content-Length", str(max(0, len(body) - 5))))
        self._send(status, headers, body)
        return mode == "normal"

    def _send_endless(self, status, headers, chunk):
        # No length and no end: the body runs until the client hangs up.
        self.send_response_only(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Connection", "close")
        self.end_headers()
        try:
            while True:
                self.wfile.write(chunk)
        except OSError:
            pass
        self.close_connection = True

    def _send_trickle(self, status, headers, body, interval):
        self.send_response_only(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True
        try:
            for index, byte in enumerate(body):
                if index:
                    time.sleep(interval)
                self.wfile.write(bytes([byte]))
                self.wfile.flush()
        except OSError:
            return False
        return True

    do_GET = do_POST = do_PUT = do_DELETE = do_HEAD = do_PATCH = _dispatch


class Server(ThreadingHTTPServer):
    daemon_threads = True
    # Clients that start many uploads at once must not be refused.
    request_queue_size = 128

    def handle_error(self, request, client_address):
        pass


def serve(args):
    global PARTS_DIR
    options = dict(zip(args[::2], args[1::2]))
    PARTS_DIR = options.get("--parts-dir")
    server = Server(("127.0.0.1", 0), Handler)
    if "--cert" in options:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(options["--cert"], options["--key"])
        server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
    port_file = options["--port-file"]
    with open(port_file + ".tmp", "w") as out:
        out.write(str(server.server_address[1]))
    os.rename(port_file + ".tmp", port_file)
    # Stop with the test that started us, even if it dies.
    parent = os.getppid()

    def watch():
        while os.getppid() == parent:
            time.sleep(0.5)
        os._exit(0)

    threading.Thread(target=watch, daemon=True).start()
    server.serve_forever()


def openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_certs(folder):
    os.makedirs(folder, exist_ok=True)
    for root in ("rootA", "rootB"):
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", root + ".key", "-out", root + ".pem",
                "-subj", "/CN=Quiverleaf Test " + root, "-days", "30",
                "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign",
                cwd=folder)
        openssl("x509", "-in", root + ".pem", "-outform", "DER", "-out", root + ".der", cwd=folder)
    with open(os.path.join(folder, "ca.cnf"), "w") as out:
        out.write("""[ca]
default_ca = testca
[testca]
database = index.txt
new_certs_dir = .
serial = serial
default_md = sha256
policy = anything
[anything]
commonName = supplied
[good]
subjectAltName = IP:127.0.0.1,DNS:localhost
basicConstraints = CA:FALSE
extendedKeyUsage = serverAuth
[localhost]
subjectAltName = DNS:localhost
basicConstraints = CA:FALSE
extendedKeyUsage = serverAuth
[wronghost]
subjectAltName = DNS:wrong.example
basicConstraints = CA:FALSE
extendedKeyUsage = serverAuth
""")
    open(os.path.join(folder, "index.txt"), "w").close()
    with open(os.path.join(folder, "serial"), "w") as out:
        out.write("1000\n")
    leaves = [("good", "rootA", "good", None), ("other", "rootB", "good", None),
              ("wronghost", "rootA", "wronghost", None), ("localhost", "rootA", "localhost", None),
              ("expired", "rootA", "good", ("20200101000000Z", "20200201000000Z"))]
    for name, root, extensions, dates in leaves:
        openssl("req", "-new", "-newkey", "rsa:2048", "-nodes", "-keyout", name + ".key", "-out", name + ".csr",
                "-subj", "/CN=" + name, cwd=folder)
        start, end = dates or (time.strftime("%Y%m%d%H%M%SZ", time.gmtime(time.time() - 3600)),
                               time.strftime("%Y%m%d%H%M%SZ", time.gmtime(time.time() + 30 * 86400)))
        openssl("ca", "-batch", "-config", "ca.cnf", "-cert", root + ".pem", "-keyfile", root + ".key",
                "-in", name + ".csr", "-out", name + ".pem", "-startdate", start, "-enddate", end,
                "-extensions", extensions, "-notext", cwd=folder)


if __name__ == "__main__":
    if len(sys.argv) >= 2 and sys.argv[1] == "serve":
        serve(sys.argv[2:])
    elif len(sys.argv) == 3 and sys.argv[1] == "make-certs":
        make_certs(sys.argv[2])
    else:
        print(__doc__)
        sys.exit(2)

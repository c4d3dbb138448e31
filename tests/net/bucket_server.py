#!/usr/bin/env python3
"""A storage bucket for tests, on 127.0.0.1.

    bucket_server.py --folder DIR

Writes its port to DIR/port. Before each request it reads DIR/config.json:

    {"bucket": "templates",
     "access_key": "...", "secret": "...",      # listing must be signed when set
     "listing": {"mode": "normal" | "status" | "oversize" | "silent" | "raw",
                 "status": 500, "raw_b64": "..."},
     "objects": [{"key": "...", "body_b64": "...", "etag": "...", "size": 0,
                  "mode": "normal" | "status" | "short" | "oversize" | "silent" | "redirect",
                  "status": 404, "location": "..."}]}

Every request is appended to DIR/log.jsonl as {"method", "path", "date",
"authorization", "signature_ok"}. Signatures are checked with python's hmac:
HMAC-SHA1 over "GET\\n\\n\\n<Date>\\n/<bucket>/", base64, in
"Authorization: AWS <key>:<signature>"; a wrong one is answered 403.
"""

import argparse
import base64
import hashlib
import hmac
import json
import os
import threading
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from xml.sax.saxutils import escape

STOP = threading.Event()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def config(self):
        try:
            with open(os.path.join(self.server.folder, "config.json")) as f:
                return json.load(f)
        except (OSError, ValueError):
            return {}

    def record(self, entry):
        with self.server.lock, open(os.path.join(self.server.folder, "log.jsonl"), "a") as f:
            f.write(json.dumps(entry) + "\n")

    def send_body(self, status, body, length=None, content_type="application/octet-stream"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        if length is not None:
            self.send_header("Content-Length", str(length))
        self.end_headers()
        try:
            self.wfile.write(body)
            self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError):
            pass

    def stream_zeros(self, total):
        self.send_response(200)
        self.end_headers()
        chunk = b"\0" * (1 << 20)
        sent = 0
        try:
            while sent < total:
                self.wfile.write(chunk)
                sent += len(chunk)
        except (BrokenPipeError, ConnectionResetError):
            pass

    def do_GET(self):
        config = self.config()
        bucket = config.get("bucket", "templates")
        path = urllib.parse.urlsplit(self.path).path
        date = self.headers.get("Date", "")
        authorization = self.headers.get("Authorization", "")
        entry = {"method": "GET", "path": path, "date": date, "authorization": authorization}
        if path in ("/" + bucket, "/" + bucket + "/"):
            entry["signature_ok"] = self.signature_ok(config, bucket, date, authorization)
            self.record(entry)
            if not entry["signature_ok"]:
                return self.send_body(403, b"<Error><Code>SignatureDoesNotMatch</Code></Error>")
            return self.listing(config, bucket)
        self.record(entry)
        prefix = "/" + bucket + "/"
        key = urllib.parse.unquote(path[len(prefix):]) if path.startswith(prefix) else None
        for item in config.get("objects", []):
            if item["key"] == key:
                return self.object(item)
        self.send_body(404, b"<Error><Code>NoSuchKey</Code></Error>")

    def signature_ok(self, config, bucket, date, authorization):
        access_key = config.get("access_key")
        if not access_key:
            return True
        message = ("GET\n\n\n%s\n/%s/" % (date, bucket)).encode()
        digest = hmac.new(config.get("secret", "").encode(), message, hashlib.sha1).digest()
        expected = "AWS %s:%s" % (access_key, base64.b64encode(digest).decode())
        return hmac.compare_digest(expected, authorization)

    def listing(self, config, bucket):
        listing = config.get("listing", {})
        mode = listing.get("mode", "normal")
        if mode == "status":
            return self.send_body(listing.get("status", 500), b"failed")
        if mode == "silent":
            STOP.wait(120)
            return
        if mode == "raw":
            body = base64.b64decode(listing.get("raw_b64", ""))
            return self.send_body(200, body, len(body), "application/xml")
        records = []
        for item in config.get("objects", []):
            body = base64.b64decode(item.get("body_b64", ""))
            etag = item.get("etag", hashlib.md5(body).hexdigest())
            size = item.get("size", len(body))
            records.append("<Contents><Key>%s</Key><ETag>&quot;%s&quot;</ETag><Size>%d</Size>"
                           "<StorageClass>STANDARD</StorageClass></Contents>" % (escape(item["key"]), etag, size))
        padding = ""
        if mode == "oversize":
            padding = "<Padding>%s</Padding>" % ("x" * (5 * 1024 * 1024))
        body = ('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<ListBucketResult xmlns="http://s3.amazonaws.com/doc/2006-03-01/">'
                "<Name>%s</Name><Prefix></Prefix><MaxKeys>1000</MaxKeys><IsTruncated>false</IsTruncated>%s%s"
                "</ListBucketResult>" % (bucket, "".join(records), padding)).encode()
        self.send_body(200, body, len(body), "application/xml")

    def object(self, item):
        body = base64.b64decode(item.get("body_b64", ""))
        mode = item.get("mode", "normal")
        if mode == "status":
            return self.send_body(item.get("status", 500), b"failed")
        if mode == "short":
            return self.send_body(200, body[: len(body) // 2], len(body))
        if mode == "oversize":
            return self.stream_zeros(65 * 1024 * 1024)
        if mode == "silent":
            STOP.wait(120)
            return
        if mode == "redirect":
            self.send_response(302)
            self.send_header("Location", item["location"])
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        self.send_body(200, body, len(body))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--folder", required=True)
    args = parser.parse_args()
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    server.folder = args.folder
    server.lock = threading.Lock()
    port_file = os.path.join(args.folder, "port")
    with open(port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(port_file + ".tmp", port_file)
    try:
        server.serve_forever()
    finally:
        STOP.set()


if __name__ == "__main__":
    main()

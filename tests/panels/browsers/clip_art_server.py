"""A clip-art service on 127.0.0.1 for the clip-art browser tests. Prints its
port, then the path of every request it gets, one line each. Pictures come
from the folder given. Queries:
  "missing"  -> 404
  "garbage"  -> an answer that is not JSON
  "huge"     -> a 5 MB answer
  "slow..."  -> the usual answer, after a second
  anything   -> page 1: three results (a picture, a damaged picture and a
                link that is no web link), page 2: one result, later pages
                none."""
import functools
import http.server
import json
import sys
import threading
import time
import urllib.parse


# Requests are served on several threads; print() writes the path and the
# line end separately, so two threads' lines could run together.
LOG_LOCK = threading.Lock()


def log_line(text):
    with LOG_LOCK:
        sys.stdout.write(text + "\n")
        sys.stdout.flush()


class Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        log_line(self.path)
        url = urllib.parse.urlsplit(self.path)
        if url.path != "/search/json/":
            return super().do_GET()
        fields = urllib.parse.parse_qs(url.query)
        query = fields.get("query", [""])[0]
        page = int(fields.get("page", ["1"])[0])
        if query == "missing":
            return self.send_error(404)
        if query == "garbage":
            return self.answer(b"<html>not json")
        if query == "huge":
            return self.answer(b" " * (5 * 1024 * 1024) + b"{}")
        if query.startswith("slow"):
            time.sleep(1.0)
        base = "http://127.0.0.1:%d" % self.server.server_address[1]
        results = []
        if page == 1:
            results = [
                {"title": query + " apple", "url": base + "/apple.png", "thumbnail": base + "/apple.png"},
                {"title": query + " broken", "url": base + "/broken.png", "thumbnail": "file:///etc/passwd"},
                {"title": query + " local", "url": "file:///etc/passwd"},
            ]
        elif page == 2:
            results = [{"title": query + " pear", "url": base + "/apple.png"}]
        self.answer(json.dumps({"results": results}).encode())

    def answer(self, body):
        self.send_response(200)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def main(folder):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=folder))
    log_line(str(server.server_address[1]))
    server.serve_forever()


if __name__ == "__main__":
    main(sys.argv[1])

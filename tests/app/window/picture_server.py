"""Serves the files of a folder on 127.0.0.1 for the drop tests and prints its
port. A path under /slow/ is served after half a second, so that a test can
act while a download is under way."""
import functools
import http.server
import sys
import time


class Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        if self.path.startswith("/slow/"):
            time.sleep(0.5)
            self.path = self.path[len("/slow"):]
        super().do_GET()

    def log_message(self, *args):
        pass


def main(folder):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=folder))
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main(sys.argv[1])

#!/usr/bin/env python3
"""The update tests' HTTP server: Python's http.server on 127.0.0.1 over a folder, answering GET
with the file's bytes. A file NAME may have a sidecar NAME.fault whose first word makes the answer
go wrong on purpose:

  404 / 500      that status with an HTML error page instead of the file
  truncate       the full Content-Length, half the bytes, then the connection closes
  slow           the full Content-Length, then 256 bytes every 100 ms
  stall          the full Content-Length and 256 bytes, then silence for two minutes
  oversize N     N bytes (the file, then zeros) without a Content-Length
  wrong          as many bytes as the file, every one changed
  drop           the connection closes without an answer, this once (the sidecar goes)

Every request path is appended to ROOT/requests.log. The chosen port goes to --port-file."""
import argparse
import http.server
import os
import time
import urllib.parse


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    root = "."

    def log_message(self, fmt, *args):
        pass

    def do_GET(self):
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        with open(os.path.join(self.root, "requests.log"), "a") as log:
            log.write(path + "\n")
        parts = [p for p in path.split("/") if p]
        if any(p in ("..", ".") or "\\" in p for p in parts):
            return self.send_error(404)
        local = os.path.join(self.root, *parts)
        if not os.path.isfile(local):
            return self.send_error(404)
        with open(local, "rb") as f:
            body = f.read()
        fault = []
        if os.path.isfile(local + ".fault"):
            with open(local + ".fault") as f:
                fault = f.read().split()
        kind = fault[0] if fault else ""
        if kind == "drop":
            os.remove(local + ".fault")
            self.close_connection = True
            return
        if kind in ("404", "500"):
            return self.send_error(int(kind))
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if kind == "oversize":
            size = int(fault[1])
            self.end_headers()
            self.wfile.write(body[:size])
            left = size - min(size, len(body))
            while left > 0:
                n = min(left, 65536)
                self.wfile.write(b"\0" * n)
                left -= n
            return
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        try:
            if kind == "truncate":
                self.wfile.write(body[: len(body) // 2])
            elif kind == "slow":
                for i in range(0, len(body), 256):
                    self.wfile.write(body[i : i + 256])
                    self.wfile.flush()
                    time.sleep(0.1)
            elif kind == "stall":
                self.wfile.write(body[:256])
                self.wfile.flush()
                time.sleep(120)
            elif kind == "wrong":
                self.wfile.write(bytes(b ^ 0x5A for b in body))
            else:
                self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError):
            pass  # the client gave up, as the tests ask it to


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--port-file", required=True)
    args = parser.parse_args()
    Handler.root = os.path.abspath(args.root)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    with open(args.port_file + ".new", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(args.port_file + ".new", args.port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()

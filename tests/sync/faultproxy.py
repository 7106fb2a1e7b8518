#!/usr/bin/env python3
"""An HTTPS proxy in front of the tests' Radicale that answers one request
with 503 Service Unavailable, as a server busy or in maintenance would (or
with another status: 412, as if a phone had changed the card just before),
and passes every other request through unchanged.

faultproxy.py CERT KEY UPSTREAM_PORT VERB N [STATUS]
  Listens on 127.0.0.1 on a free port, which it prints as its first line.
  The Nth request with VERB gets STATUS (503 by default) and never reaches
  the server.
"""
import http.client
import http.server
import ssl
import sys
import threading

cert, key, upstream_port, fail_verb, fail_at = sys.argv[1:6]
upstream_port, fail_at = int(upstream_port), int(fail_at)
fail_status = int(sys.argv[6]) if len(sys.argv) > 6 else 503
count = 0
lock = threading.Lock()
HOP_BY_HOP = {"connection", "keep-alive", "transfer-encoding", "content-length"}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    upstream = None

    def log_message(self, *args):
        pass

    def forward(self):
        global count
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else None
        with lock:
            if self.command == fail_verb:
                count += 1
            refuse = self.command == fail_verb and count == fail_at
        if refuse:
            text = b"Refused\n"
            self.send_response(fail_status)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", str(len(text)))
            self.end_headers()
            self.wfile.write(text)
            return
        if self.upstream is None:
            self.upstream = http.client.HTTPSConnection(
                "127.0.0.1", upstream_port, context=ssl.create_default_context(cafile=cert))
        headers = {k: v for k, v in self.headers.items() if k.lower() not in HOP_BY_HOP}
        self.upstream.request(self.command, self.path, body, headers)
        answer = self.upstream.getresponse()
        data = answer.read()
        self.send_response(answer.status, answer.reason)
        for k, v in answer.getheaders():
            if k.lower() not in HOP_BY_HOP:
                self.send_header(k, v)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    do_GET = do_HEAD = do_PUT = do_DELETE = do_PROPFIND = do_REPORT = do_MKCOL = forward
    do_OPTIONS = do_PROPPATCH = forward


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(cert, key)
server.socket = context.wrap_socket(server.socket, server_side=True)
print(server.server_address[1], flush=True)
server.serve_forever()

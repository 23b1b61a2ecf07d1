#!/usr/bin/env python3
"""A time-stamping server (RFC 3161) on loopback for the signing test: it answers each request
with `openssl ts -reply`, signed by the test's time-stamping certificate.

    tsa.py FOLDER   FOLDER holds tsa.pem, tsa.key, ca.pem and tsa.cnf; the port is written to
                    FOLDER/tsa.port once the server listens.
"""
import http.server
import os
import subprocess
import sys
import tempfile

folder = sys.argv[1]


class TimeStamper(http.server.BaseHTTPRequestHandler):
    def do_POST(self):  # noqa: N802 (the name http.server calls)
        query = self.rfile.read(int(self.headers["Content-Length"]))
        with tempfile.TemporaryDirectory() as work:
            with open(os.path.join(work, "query"), "wb") as file:
                file.write(query)
            reply = os.path.join(work, "reply")
            answered = subprocess.run(
                ["openssl", "ts", "-reply", "-config", "tsa.cnf", "-queryfile",
                 os.path.join(work, "query"), "-signer", "tsa.pem", "-inkey", "tsa.key",
                 "-chain", "ca.pem", "-out", reply], cwd=folder, capture_output=True)
            if answered.returncode != 0:
                self.send_error(500, answered.stderr.decode(errors="replace"))
                return
            with open(reply, "rb") as file:
                body = file.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), TimeStamper)
with open(os.path.join(folder, "tsa.port.new"), "w") as port:
    port.write(str(server.server_address[1]))
os.rename(os.path.join(folder, "tsa.port.new"), os.path.join(folder, "tsa.port"))
server.serve_forever()

#!/usr/bin/env python3
"""The servers the network tests talk to, on free ports of 127.0.0.1, with certificates made
when they start.

  test_servers.py start DIR   makes DIR, its certificates and the servers; returns once they
                              listen, their ports in DIR/ports ("NAME PORT" lines)
  test_servers.py stop DIR    ends them and removes DIR

Certificates in DIR: ca.pem (an authority of the tests' own), which signed localhost.pem
(localhost and 127.0.0.1) and other.pem (other.example); self.pem, a self-signed one for
localhost and 127.0.0.1.

The servers, by name:
  echo, self, other  TLS (localhost.pem, self.pem, other.pem): reads "LENGTH\\n" and that many
                     bytes, sends the bytes back; again until the client closes
  closes             TLS: sends "bye\\n", TLS's goodbye, and closes
  silent             TLS: the handshake, then neither reads nor writes
  plain-echo         TCP, as echo
  plain-silent       TCP that neither reads nor writes
  plain-greets       TCP: sends "* OK no TLS here\\r\\n" and closes
  refused            a port nothing listens on
"""
import os
import shutil
import signal
import socket
import ssl
import subprocess
import sys
import threading
import time

# The servers end by themselves after this, should nobody stop them.
LIFETIME_SECONDS = 3600
# What a silent server holds a connection for at most.
HOLD_SECONDS = 900


def make_certificates(folder):
    def openssl(*args):
        subprocess.run(["openssl", *args], check=True, capture_output=True, cwd=folder)

    key = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2"]
    openssl("req", "-x509", *key, "-keyout", "ca.key", "-out", "ca.pem",
            "-subj", "/CN=Vandrel Test Authority")
    leaf = ["-addext", "basicConstraints=critical,CA:FALSE",
            "-addext", "extendedKeyUsage=serverAuth"]
    for name, subject, names in (("localhost", "localhost", "DNS:localhost,IP:127.0.0.1"),
                                 ("other", "other.example", "DNS:other.example")):
        openssl("req", "-x509", "-CA", "ca.pem", "-CAkey", "ca.key", *key,
                "-keyout", name + ".key", "-out", name + ".pem", "-subj", "/CN=" + subject,
                "-addext", "subjectAltName=" + names, *leaf)
    openssl("req", "-x509", *key, "-keyout", "self.key", "-out", "self.pem",
            "-subj", "/CN=localhost", "-addext", "subjectAltName=DNS:localhost,IP:127.0.0.1")


def tls_context(folder, name):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(folder, name + ".pem"),
                            os.path.join(folder, name + ".key"))
    return context


def receive_exactly(connection, size):
    data = bytearray()
    while len(data) < size:
        chunk = connection.recv(min(size - len(data), 1 << 20))
        if not chunk:
            return None
        data += chunk
    return data


def echo(connection):
    while True:
        line = bytearray()
        while not line.endswith(b"\n"):
            byte = connection.recv(1)
            if not byte:
                return
            line += byte
        data = receive_exactly(connection, int(line))
        if data is None:
            return
        connection.sendall(data)


def hold(connection):
    time.sleep(HOLD_SECONDS)


def closes(connection):
    connection.sendall(b"bye\n")
    connection.unwrap()


def greets(connection):
    connection.sendall(b"* OK no TLS here\r\n")


def serve(listener, context, talk):
    while True:
        connection, _ = listener.accept()

        def run(connection=connection):
            try:
                with connection:
                    if context is not None:
                        connection = context.wrap_socket(connection, server_side=True)
                    talk(connection)
            except (OSError, ValueError):
                pass  # a client that gives up or refuses the certificate, as tests do

        threading.Thread(target=run, daemon=True).start()


def listen():
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(64)
    return listener


def run_servers(folder):
    make_certificates(folder)
    servers = {
        "echo": ("localhost", echo),
        "self": ("self", echo),
        "other": ("other", echo),
        "closes": ("localhost", closes),
        "silent": ("localhost", hold),
        "plain-echo": (None, echo),
        "plain-silent": (None, hold),
        "plain-greets": (None, greets),
    }
    ports = {}
    for name, (certificate, talk) in servers.items():
        listener = listen()
        ports[name] = listener.getsockname()[1]
        context = tls_context(folder, certificate) if certificate else None
        threading.Thread(target=serve, args=(listener, context, talk), daemon=True).start()
    unused = listen()
    ports["refused"] = unused.getsockname()[1]
    unused.close()
    with open(os.path.join(folder, "ports.new"), "w") as out:
        out.writelines(f"{name} {port}\n" for name, port in ports.items())
    os.replace(os.path.join(folder, "ports.new"), os.path.join(folder, "ports"))
    time.sleep(LIFETIME_SECONDS)


def start(folder):
    stop(folder)
    os.makedirs(folder)
    with open(os.path.join(folder, "log"), "w") as log:
        server = subprocess.Popen([sys.executable, __file__, "serve", folder],
                                  stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                  start_new_session=True)
    with open(os.path.join(folder, "pid"), "w") as out:
        out.write(str(server.pid))
    deadline = time.monotonic() + 120
    while not os.path.exists(os.path.join(folder, "ports")):
        if server.poll() is not None or time.monotonic() > deadline:
            with open(os.path.join(folder, "log")) as log:
                sys.exit("the test servers did not start:\n" + log.read())
        time.sleep(0.05)


def stop(folder):
    try:
        with open(os.path.join(folder, "pid")) as pid:
            os.kill(int(pid.read()), signal.SIGTERM)
    except (OSError, ValueError):
        pass
    shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("start", "stop", "serve"):
        sys.exit(__doc__)
    {"start": start, "stop": stop, "serve": run_servers}[sys.argv[1]](os.path.abspath(sys.argv[2]))

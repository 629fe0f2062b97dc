"""A small client for Thunderbird's Marionette remote protocol: length-prefixed JSON over TCP."""
import json
import socket
import time


class Marionette:
    def __init__(self, port, timeout=60):
        deadline = time.time() + timeout
        while True:
            try:
                self.sock = socket.create_connection(("127.0.0.1", port), timeout=300)
                break
            except OSError:
                if time.time() > deadline:
                    raise
                time.sleep(0.5)
        self.buffer = b""
        self.next_id = 0
        self._receive()  # the server's greeting

    def _receive(self):
        while b":" not in self.buffer:
            self.buffer += self._read()
        length, rest = self.buffer.split(b":", 1)
        length = int(length)
        while len(rest) < length:
            rest += self._read()
        self.buffer = rest[length:]
        return json.loads(rest[:length])

    def _read(self):
        data = self.sock.recv(65536)
        if not data:
            raise ConnectionError("Marionette closed the connection")
        return data

    def command(self, name, params=None):
        self.next_id += 1
        data = json.dumps([0, self.next_id, name, params or {}]).encode()
        self.sock.sendall(str(len(data)).encode() + b":" + data)
        reply = self._receive()
        if reply[2] is not None:
            raise RuntimeError("%s failed: %s" % (name, reply[2]))
        return reply[3]

    def run_chrome_script(self, script, timeout_ms=120000):
        self.command("WebDriver:NewSession", {"capabilities": {}})
        self.command("Marionette:SetContext", {"value": "chrome"})
        self.command("WebDriver:SetTimeouts", {"script": timeout_ms})
        return self.command("WebDriver:ExecuteAsyncScript", {"script": script, "args": []})["value"]

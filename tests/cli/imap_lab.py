"""A private Dovecot for the upload checks and the upload benchmark: IMAP with STARTTLS and
IMAPS on free ports of 127.0.0.1, a self-signed certificate, one user, mail in a Maildir read
back with doveadm; and a proxy that can hold or cut a run's connection part-way."""
import os
import pwd
import socket
import subprocess
import threading
import time

PASSWORD = "secret"
USER = "calypso"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Dovecot:
    """A private Dovecot: IMAP with STARTTLS and IMAPS, one user, mail in a Maildir."""

    def __init__(self, work, append_limit=None):
        self.work = work
        self.imap_port, self.imaps_port = free_port(), free_port()
        self.cert = os.path.join(work, "cert.pem")
        key = os.path.join(work, "key.pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-subj", "/CN=localhost",
                        "-addext", "subjectAltName=DNS:localhost,IP:127.0.0.1",
                        "-keyout", key, "-out", self.cert], check=True, capture_output=True)
        for sub in ("run", "home", "mail"):
            os.makedirs(os.path.join(work, sub), exist_ok=True)
        if os.geteuid() == 0:
            owner, group = "nobody", "nogroup"
            subprocess.run(["chown", "-R", "nobody:nogroup", os.path.join(work, "mail"),
                            os.path.join(work, "home")], check=True)
            os.chmod(key, 0o644)
        else:
            owner = pwd.getpwuid(os.getuid()).pw_name
            group = subprocess.run(["id", "-gn"], capture_output=True, text=True).stdout.strip()
        limits = ""
        if append_limit:
            # The limit announced and the one the server keeps to.
            limits = (f"imap_capability = +APPENDLIMIT={append_limit}\nmail_plugins = quota\n"
                      "plugin {\n  quota = count:User quota\n  quota_vsizes = yes\n"
                      f"  quota_max_mail_size = {append_limit // 1024}k\n}}\n")
        self.config = os.path.join(work, "dovecot.conf")
        with open(self.config, "w") as conf:
            conf.write(f"""base_dir = {work}/run
state_dir = {work}/run
log_path = {work}/dovecot.log
protocols = imap
listen = 127.0.0.1
mail_location = maildir:{work}/mail
default_internal_user = {owner}
default_login_user = {owner}
default_internal_group = {group}
mail_uid = {owner}
mail_gid = {group}
auth_mechanisms = plain login
passdb {{
  driver = static
  args = password={PASSWORD}
}}
userdb {{
  driver = static
  args = uid={owner} gid={group} home={work}/home
}}
ssl = yes
ssl_cert = <{self.cert}
ssl_key = <{key}
service imap-login {{
  inet_listener imap {{
    address = 127.0.0.1
    port = {self.imap_port}
  }}
  inet_listener imaps {{
    address = 127.0.0.1
    port = {self.imaps_port}
    ssl = yes
  }}
}}
service stats {{
  unix_listener stats-writer {{
    mode = 0666
  }}
}}
namespace inbox {{
  inbox = yes
  separator = /
}}
{limits}""")
        subprocess.run(["dovecot", "-c", self.config], check=True)
        for _ in range(100):
            try:
                socket.create_connection(("127.0.0.1", self.imaps_port), timeout=1).close()
                break
            except OSError:
                time.sleep(0.1)

    def stop(self):
        subprocess.run(["dovecot", "-c", self.config, "stop"], capture_output=True)

    def adm(self, *args):
        env = dict(os.environ, TZ="UTC")
        result = subprocess.run(["doveadm", "-c", self.config, *args], capture_output=True,
                                text=True, env=env)
        if result.returncode != 0:
            raise RuntimeError(f"doveadm {' '.join(args)}: {result.stderr}")
        return result.stdout

    def mailboxes(self):
        return self.adm("mailbox", "list", "-u", USER).splitlines()

    def messages(self):
        fields = ["mailbox", "hdr.message-id", "hdr.subject", "hdr.date", "date.received",
                  "flags", "size.virtual"]
        out = self.adm("-f", "tab", "fetch", "-u", USER, " ".join(fields), "all")
        return [dict(zip(fields, line.split("\t"))) for line in out.splitlines()[1:]]

    def address(self, top="Calypso", starttls=False, port=None):
        scheme = "imap" if starttls else "imaps"
        port = port or (self.imap_port if starttls else self.imaps_port)
        return f"{scheme}://{USER}@127.0.0.1:{port}/{top}"


class Proxy(threading.Thread):
    """Between the client and the server: passes everything, or after `limit` bytes from the
    client either holds both directions (the run waits, so it can be killed mid-upload), cuts
    the connection once (the run must connect again), or mutes the server for a second before
    it cuts (the server stores what it gets, the client never hears that it did)."""

    def __init__(self, port, delay=0.0):
        super().__init__(daemon=True)
        self.upstream = port
        self.delay = delay  # seconds each of the server's answers takes, as from far away
        self.listener = socket.socket()
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(8)
        self.port = self.listener.getsockname()[1]
        self.mode, self.limit, self.sent = "pass", 0, 0
        self.reached = threading.Event()
        self.lock = threading.Lock()
        self.start()

    def arm(self, mode, limit):
        with self.lock:
            self.mode, self.limit, self.sent = mode, limit, 0
            self.reached.clear()

    def counted(self):
        with self.lock:
            return self.sent

    def cut(self, *sockets):
        with self.lock:
            self.mode = "pass"
        for s in sockets:
            try:
                s.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    def run(self):
        while True:
            client, _ = self.listener.accept()
            server = socket.create_connection(("127.0.0.1", self.upstream))
            threading.Thread(target=self.pump, args=(client, server, True), daemon=True).start()
            threading.Thread(target=self.pump, args=(server, client, False), daemon=True).start()

    def pump(self, source, sink, from_client):
        try:
            while True:
                data = source.recv(65536)
                if not data:
                    break
                with self.lock:
                    if from_client:
                        self.sent += len(data)
                    over = self.mode != "pass" and self.sent >= self.limit
                    mode = self.mode
                    if over and mode == "drop":
                        self.mode = "pass"
                if self.delay and not from_client:
                    time.sleep(self.delay)
                if over and mode == "mute":
                    if not self.reached.is_set():
                        self.reached.set()
                        threading.Timer(1.0, self.cut, (source, sink)).start()
                    if from_client:
                        sink.sendall(data)
                    continue
                if over:
                    self.reached.set()
                    if mode == "hold":
                        threading.Event().wait()
                    for s in (source, sink):
                        s.shutdown(socket.SHUT_RDWR)
                    break
                sink.sendall(data)
        except OSError:
            pass
        finally:
            for s in (source, sink):
                try:
                    s.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass

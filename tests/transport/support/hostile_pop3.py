#!/usr/bin/python3
# A scripted POP3 server on 127.0.0.1 that breaks the protocol in the ways a scenario names, for the tests of
# the receive run. It serves one connection at a time and stops by itself: when the stop file appears, after
# the time limit, or when a client has sent too many bytes.
#
# Usage: hostile_pop3.py SCENARIO READY STATE STOP
#   READY: written with the port once the server listens.
#   STATE: rewritten after every command and at the end: a line "remaining" with the subjects still on the
#          server, a line "session" per connection with its commands (tab-separated), "final" once stopped.
#   STOP:  the server ends once this file exists.
import os
import select
import socket
import sys
import time

TIME_LIMIT = 120          # seconds the server lives at most
CLIENT_BYTES_LIMIT = 1 << 20
LINE_LIMIT = 1000


def message(subject):
    return (b"From: hostile@example.net\r\nTo: tester@example.org\r\nSubject: " + subject.encode() +
            b"\r\nMessage-ID: <" + subject.encode() + b"@hostile.example.net>\r\n\r\nBody of " +
            subject.encode() + b".\r\n")


def scenario(name):
    """The mailbox (subject, unique id) and the faults of a scenario."""
    plain = [("m%d" % i, b"uid-%d" % i) for i in range(1, 5)]
    faults = {"uidl": True, "refuse_retr": None, "quit": "normal"}
    if name == "quit-lost-committed":
        # RETR 3 is refused on the first connection; its QUIT removes the marked messages and closes without
        # a reply, so the client cannot tell whether the DELEs were committed.
        faults.update(refuse_retr="m3", quit="commit-no-reply")
        return plain, faults
    if name == "quit-lost-uncommitted":
        faults.update(refuse_retr="m3", quit="drop-no-reply")
        return plain, faults
    if name == "quit-lost-committed-no-uidl":
        faults.update(refuse_retr="m3", quit="commit-no-reply", uidl=False)
        return plain, faults
    if name == "quit-lost-uncommitted-no-uidl":
        faults.update(refuse_retr="m3", quit="drop-no-reply", uidl=False)
        return plain, faults
    if name == "bad-ids":
        # Identifiers that are equal as C strings, repeated, too long for the columns, or hold a control
        # byte; and two sound ones among them, one of which differs from a repeated one only in case.
        return [("m1", b"a\x00x"), ("m2", b"a\x00y"), ("m3", b"dup"), ("m4", b"dup"), ("m5", b"DUP"),
                ("m6", b"L" * 300), ("m7", b"t\tab"), ("m8", b"sound-8")], faults
    raise SystemExit("unknown scenario " + name)


class Server:
    def __init__(self, name, state_path, stop_path):
        self.mailbox, self.faults = scenario(name)
        self.state_path = state_path
        self.stop_path = stop_path
        self.sessions = []
        self.connections = 0

    def write_state(self, final=False):
        lines = ["remaining " + " ".join(subject for subject, _ in self.mailbox)]
        lines += ["session " + "\t".join(commands) for commands in self.sessions]
        if final:
            lines.append("final")
        tmp = self.state_path + ".tmp"
        with open(tmp, "w", encoding="latin-1") as f:
            f.write("\n".join(lines) + "\n")
        os.replace(tmp, self.state_path)

    def serve(self, conn, deadline):
        self.connections += 1
        first = self.connections == 1
        commands = []
        self.sessions.append(commands)
        view = list(self.mailbox)          # numbered 1.. for this connection
        marked = set()
        received = 0
        pending = b""
        conn.sendall(b"+OK hostile POP3 ready\r\n")
        while time.time() < deadline:
            while b"\r\n" not in pending:
                ready, _, _ = select.select([conn], [], [], 0.5)
                if time.time() >= deadline or os.path.exists(self.stop_path):
                    return
                if not ready:
                    continue
                data = conn.recv(4096)
                if not data:
                    return
                received += len(data)
                if received > CLIENT_BYTES_LIMIT or len(pending) > LINE_LIMIT:
                    return
                pending += data
            line, pending = pending.split(b"\r\n", 1)
            text = line.decode("latin-1")
            commands.append("PASS ****" if text.upper().startswith("PASS ") else text)
            self.write_state()
            verb, _, arg = text.partition(" ")
            verb = verb.upper()
            live = [n for n in range(1, len(view) + 1) if n not in marked]

            def number():
                try:
                    n = int(arg)
                except ValueError:
                    return None
                return n if n in live else None

            if verb in ("USER", "PASS", "NOOP"):
                conn.sendall(b"+OK\r\n")
            elif verb == "STAT":
                size = sum(len(message(view[n - 1][0])) for n in live)
                conn.sendall(b"+OK %d %d\r\n" % (len(live), size))
            elif verb == "LIST":
                body = b"".join(b"%d %d\r\n" % (n, len(message(view[n - 1][0]))) for n in live)
                conn.sendall(b"+OK\r\n" + body + b".\r\n")
            elif verb == "UIDL":
                if not self.faults["uidl"]:
                    conn.sendall(b"-ERR command not supported\r\n")
                else:
                    body = b"".join(b"%d %s\r\n" % (n, view[n - 1][1]) for n in live)
                    conn.sendall(b"+OK\r\n" + body + b".\r\n")
            elif verb == "RETR":
                n = number()
                if n is None:
                    conn.sendall(b"-ERR no such message\r\n")
                elif first and view[n - 1][0] == self.faults["refuse_retr"]:
                    conn.sendall(b"-ERR message is unavailable\r\n")
                else:
                    text = message(view[n - 1][0])
                    conn.sendall(b"+OK %d octets\r\n" % len(text) + text + b".\r\n")
            elif verb == "DELE":
                n = number()
                if n is None:
                    conn.sendall(b"-ERR no such message\r\n")
                else:
                    marked.add(n)
                    conn.sendall(b"+OK marked\r\n")
            elif verb == "RSET":
                marked.clear()
                conn.sendall(b"+OK\r\n")
            elif verb == "QUIT":
                mode = self.faults["quit"] if first else "normal"
                if mode != "drop-no-reply":
                    gone = {view[n - 1] for n in marked}
                    self.mailbox = [m for m in self.mailbox if m not in gone]
                self.write_state()
                if mode == "normal":
                    conn.sendall(b"+OK bye\r\n")
                return
            else:
                conn.sendall(b"-ERR unknown command\r\n")

    def run(self, ready_path):
        deadline = time.time() + TIME_LIMIT
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(("127.0.0.1", 0))
        listener.listen(5)
        self.write_state()
        with open(ready_path + ".tmp", "w") as f:
            f.write(str(listener.getsockname()[1]))
        os.replace(ready_path + ".tmp", ready_path)
        try:
            while time.time() < deadline and not os.path.exists(self.stop_path):
                ready, _, _ = select.select([listener], [], [], 0.2)
                if not ready:
                    continue
                conn, _ = listener.accept()
                try:
                    self.serve(conn, deadline)
                except OSError:
                    pass
                finally:
                    conn.close()
        finally:
            listener.close()
            self.write_state(final=True)


def main():
    if len(sys.argv) != 5:
        raise SystemExit("usage: hostile_pop3.py SCENARIO READY STATE STOP")
    Server(sys.argv[1], sys.argv[3], sys.argv[4]).run(sys.argv[2])


if __name__ == "__main__":
    main()

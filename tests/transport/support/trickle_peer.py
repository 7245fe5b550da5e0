#!/usr/bin/python3
"""A POP3 or SMTP server on 127.0.0.1 that breaks the rules on purpose: sizes that lie, lines with no end,
replies that trickle in a byte at a time. One scenario per run, named on the command line.

usage: trickle_peer.py SCENARIO FOLDER

Writes FOLDER/port once it listens and serves one connection. For POP3 it holds a mailbox of messages "m1".."mN"; a QUIT commits the
DELEs of its session, as a real server does. When it stops (the client has gone, or its time is up) it writes
FOLDER/mailbox (the subjects still held, one a line), FOLDER/commands (every command line received) and last
FOLDER/done. Everything it does is bounded: at most LIFETIME seconds and MAX_BYTES sent per connection."""

import os
import socket
import sys
import time

LIFETIME = 90.0
MAX_BYTES = 16 * 1024 * 1024
ENDLESS = 256 * 1024  # bytes of a line that never ends: past the client's limit of 64 KB


def message(subject, body="Hello.\r\n"):
    return ("From: <sender@example.net>\r\nTo: <tester@example.org>\r\nSubject: %s\r\n\r\n%s"
            % (subject, body)).encode("latin-1")


class Stop(Exception):
    pass


class Connection:
    def __init__(self, sock, deadline):
        self.sock = sock
        self.deadline = deadline
        self.sent = 0
        self.pending = b""

    def send(self, data):
        if self.sent + len(data) > MAX_BYTES:
            raise Stop()
        self.sent += len(data)
        try:
            self.sock.sendall(data)
        except OSError:
            raise Stop()

    def trickle(self, data, pause):
        """A byte at a time, with a pause after each, until the data or the time is used up."""
        for i in range(len(data)):
            if time.monotonic() > self.deadline:
                raise Stop()
            self.send(data[i:i + 1])
            time.sleep(pause)

    def hold(self, commands):
        """Silent from now on: the connection ends when the client sends anything more (its QUIT, mostly)
        or closes it, or when the time is up."""
        while time.monotonic() < self.deadline:
            self.sock.settimeout(0.2)
            try:
                data = self.sock.recv(4096)
            except socket.timeout:
                continue
            except OSError:
                break
            if data:
                commands.extend(l.decode("latin-1") for l in data.split(b"\r\n") if l)
            break
        raise Stop()

    def line(self):
        while b"\r\n" not in self.pending:
            remaining = self.deadline - time.monotonic()
            if remaining <= 0:
                raise Stop()
            self.sock.settimeout(remaining)
            try:
                data = self.sock.recv(4096)
            except (socket.timeout, OSError):
                raise Stop()
            if not data:
                raise Stop()
            self.pending += data
            if len(self.pending) > 65536:
                raise Stop()
        line, self.pending = self.pending.split(b"\r\n", 1)
        return line.decode("latin-1")


def pop3_mailbox(scenario):
    if scenario == "pop3-long-body-line":
        return [("m1", message("m1", "A" * (8 * 1024 * 1024) + "\r\nend\r\n")), ("m2", message("m2"))]
    return [("m%d" % i, message("m%d" % i)) for i in (1, 2, 3)]


def serve_pop3(conn, scenario, mailbox, commands):
    conn.send(b"+OK trickle peer ready\r\n")
    deleted = set()
    while True:
        line = conn.line()
        commands.append(line)
        word = line.split(" ")[0].upper()
        argument = line[len(word):].strip()
        live = [i for i in range(len(mailbox)) if i not in deleted]
        if word in ("USER", "PASS", "NOOP", "RSET"):
            conn.send(b"+OK\r\n")
        elif word == "STAT":
            status = "+OK %d %d" % (len(live), sum(len(mailbox[i][1]) for i in live))
            if scenario == "pop3-long-status":
                conn.send(b"+OK " + b"9" * ENDLESS)
                conn.hold(commands)
            if scenario == "pop3-trickle-status":
                conn.trickle((status + " " + "x" * 2000 + "\r\n").encode(), 0.05)
                conn.hold(commands)
            conn.send((status + "\r\n").encode())
        elif word == "LIST":
            conn.send(b"+OK listing\r\n")
            if scenario == "pop3-long-listing":
                conn.send(b"1 " + b"7" * ENDLESS)
                conn.hold(commands)
            sizes = {0: -5, 1: 2147483647} if scenario == "pop3-lying-sizes" else {}
            for i in live:
                conn.send(("%d %d\r\n" % (i + 1, sizes.get(i, len(mailbox[i][1])))).encode())
            conn.send(b".\r\n")
        elif word == "UIDL":
            conn.send(b"+OK\r\n")
            for i in live:
                conn.send(("%d uid-%s\r\n" % (i + 1, mailbox[i][0])).encode())
            conn.send(b".\r\n")
        elif word == "RETR":
            number = int(argument) - 1
            if number not in live:
                conn.send(b"-ERR no such message\r\n")
                continue
            if scenario == "pop3-refused-retr":
                conn.send(b"-ERR refused\r\n")
                continue
            text = mailbox[number][1]
            stuffed = b"\r\n".join((b"." + l if l.startswith(b".") else l) for l in text.split(b"\r\n"))
            conn.send(b"+OK message follows\r\n" + stuffed + (b"" if stuffed.endswith(b"\r\n") else b"\r\n")
                      + b".\r\n")
        elif word == "DELE":
            number = int(argument) - 1
            if number not in live:
                conn.send(b"-ERR no such message\r\n")
                continue
            deleted.add(number)
            conn.send(b"+OK deleted\r\n")
        elif word == "QUIT":
            # Committed when the command arrives, whatever becomes of the reply.
            for i in sorted(deleted, reverse=True):
                del mailbox[i]
            deleted.clear()
            if scenario == "pop3-trickle-quit":
                conn.trickle(b"+OK " + b"z" * 4000, 0.1)
                conn.hold(commands)
            conn.send(b"+OK bye\r\n")
            raise Stop()
        else:
            conn.send(b"-ERR unknown command\r\n")


def serve_smtp(conn, scenario, commands):
    if scenario == "smtp-long-line":
        conn.send(b"220 " + b"x" * ENDLESS)
        conn.hold(commands)
    if scenario == "smtp-endless-reply":
        # Whole lines, each short, but the reply never reaches its last line.
        line = b"220-" + b"y" * 60 + b"\r\n"
        for _ in range(2 * 1024 * 1024 // len(line)):
            conn.send(line)
        conn.hold(commands)
    if scenario == "smtp-trickle":
        conn.trickle(b"220-" + b"t" * 4000, 0.05)
        conn.hold(commands)
    conn.send(b"220 ready\r\n")
    while True:
        line = conn.line()
        commands.append(line)
        conn.send(b"221 bye\r\n" if line.upper().startswith("QUIT") else b"250 ok\r\n")


def main():
    scenario, folder = sys.argv[1], sys.argv[2]
    deadline = time.monotonic() + LIFETIME
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(4)
    with open(os.path.join(folder, "port.tmp"), "w") as f:
        f.write("%d\n" % listener.getsockname()[1])
    os.replace(os.path.join(folder, "port.tmp"), os.path.join(folder, "port"))

    mailbox = pop3_mailbox(scenario)
    commands = []
    # One connection: every scenario is played on the first.
    listener.settimeout(LIFETIME)
    try:
        sock, _ = listener.accept()
    except (socket.timeout, OSError):
        sock = None
    if sock is not None:
        conn = Connection(sock, deadline)
        try:
            if scenario.startswith("pop3"):
                serve_pop3(conn, scenario, mailbox, commands)
            else:
                serve_smtp(conn, scenario, commands)
        except Stop:
            pass
        finally:
            sock.close()
    listener.close()

    with open(os.path.join(folder, "mailbox"), "w") as f:
        f.write("".join(subject + "\n" for subject, _ in mailbox))
    with open(os.path.join(folder, "commands"), "w") as f:
        f.write("".join(command + "\n" for command in commands))
    open(os.path.join(folder, "done"), "w").close()


if __name__ == "__main__":
    main()

# Clients of the local HTTP server for its tests. The whole output goes to OUT at the end (written aside and
# renamed), because the test, under Wine, cannot wait for this process.
# Usage: http_clients.py OUT get PORT PATH         - http.client: status, headers and body
#        http_clients.py OUT raw PORT HEX REPLIES  - sends the bytes at once, reads REPLIES whole responses
import http.client
import os
import socket
import sys


def get(port, path):
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
    connection.request("GET", path)
    response = connection.getresponse()
    lines = ["status %d" % response.status]
    for name, value in response.getheaders():
        lines.append("header %s: %s" % (name, value))
    lines.append("body " + response.read().decode("latin-1"))
    return "\n".join(lines) + "\n"


def read_response(sock, pending):
    while b"\r\n\r\n" not in pending:
        data = sock.recv(4096)
        if not data:
            raise EOFError("connection closed in the header")
        pending += data
    head, rest = pending.split(b"\r\n\r\n", 1)
    length = 0
    for line in head.split(b"\r\n")[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            length = int(value)
    while len(rest) < length:
        data = sock.recv(4096)
        if not data:
            raise EOFError("connection closed in the body")
        rest += data
    return head + b"\r\n\r\n" + rest[:length], rest[length:]


def raw(port, hex_bytes, replies):
    sock = socket.create_connection(("127.0.0.1", port), timeout=30)
    sock.sendall(bytes.fromhex(hex_bytes))
    pending = b""
    out = []
    for _ in range(replies):
        response, pending = read_response(sock, pending)
        out.append("response " + response.hex())
    sock.close()
    return "\n".join(out) + "\n"


def main():
    out, mode, port = sys.argv[1], sys.argv[2], int(sys.argv[3])
    try:
        text = get(port, sys.argv[4]) if mode == "get" else raw(port, sys.argv[4], int(sys.argv[5]))
    except Exception as error:
        text = "error %r\n" % (error,)
    with open(out + ".tmp", "w", encoding="latin-1") as f:
        f.write(text)
    os.rename(out + ".tmp", out)


main()

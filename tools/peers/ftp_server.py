"""The update server of the updater's tests: pyftpdlib on 127.0.0.1 serving a folder the tests fill.

Usage: ftp_server.py PORT ROOT CONTROL USER PASSWORD

A test steers a download through files in CONTROL: "throttle" holds bytes per second for every transfer
(0 or absent: none); "cut-NAME" holds a byte count after which the transfer of a file named NAME ends, as a
dropped connection leaves it. Folders are listed in name order. The server stops by itself after an hour.
"""
import os
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FileProducer, FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer

LIFETIME_SECONDS = 3600


class CutFile:
    """A file that ends after limit bytes."""

    def __init__(self, fd, limit):
        self.fd = fd
        self.left = limit
        self.name = fd.name
        self.closed = False

    def read(self, size=-1):
        if self.left <= 0:
            return b""
        data = self.fd.read(min(size if size >= 0 else self.left, self.left))
        self.left -= len(data)
        return data

    def seek(self, *args):
        return self.fd.seek(*args)

    def tell(self):
        return self.fd.tell()

    def close(self):
        self.closed = True
        self.fd.close()


def control_value(control, name):
    try:
        with open(os.path.join(control, name)) as f:
            return int(f.read().strip() or "0")
    except (OSError, ValueError):
        return None


class SortedFS(AbstractedFS):
    """Lists folders in name order, so that a test knows the order the client reads them in."""

    def listdir(self, path):
        return sorted(super().listdir(path))


def main():
    port, root, control, user, password = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5]
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elr")

    class Handler(FTPHandler):
        dtp_handler = ThrottledDTPHandler
        permit_foreign_addresses = False

        def ftp_RETR(self, file):
            ThrottledDTPHandler.write_limit = control_value(control, "throttle") or 0
            return super().ftp_RETR(file)

        def push_dtp_data(self, data, isproducer=False, file=None, cmd=None):
            if cmd == "RETR" and file is not None:
                limit = control_value(control, "cut-" + os.path.basename(file.name))
                if limit is not None:
                    file = CutFile(file, limit)
                    data = FileProducer(file, self._current_type) if isproducer else data
            return super().push_dtp_data(data, isproducer, file, cmd)

    Handler.authorizer = authorizer
    Handler.abstracted_fs = SortedFS
    Handler.passive_ports = None
    server = FTPServer(("127.0.0.1", port), Handler)
    server.max_cons = 32
    timer = threading.Timer(LIFETIME_SECONDS, server.close_all)
    timer.daemon = True
    timer.start()
    server.serve_forever(timeout=1)


if __name__ == "__main__":
    main()

# SMTP server for the transport tests: loopback only, AUTH LOGIN without TLS, each message kept as a file.
# Usage: smtp_server.py PORT SPOOL_DIR USER PASSWORD
import base64
import email
import email.policy
import os
import sys
import time

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


class SpoolHandler:
    def __init__(self, spool):
        self.spool = spool
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        # A recipient the tests use to see a refusal.
        if address.startswith("refused"):
            return "550 No such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        name = "%d-%06d" % (os.getpid(), self.count)
        tmp = os.path.join(self.spool, "." + name)
        with open(tmp, "wb") as f:
            f.write(("X-Envelope-From: %s\r\n" % envelope.mail_from).encode())
            f.write(("X-Envelope-To: %s\r\n" % ",".join(envelope.rcpt_tos)).encode())
            f.write(envelope.original_content)
        self.write_parsed(envelope, os.path.join(self.spool, name + ".parsed"))
        os.rename(tmp, os.path.join(self.spool, name + ".eml"))
        return "250 Message accepted for delivery"


    @staticmethod
    def write_parsed(envelope, path):
        # What Python's email package makes of the message, for the tests to compare with what was sent:
        # one line per header (decoded, unfolded) and one per leaf part (type, file name, payload in base64).
        message = email.message_from_bytes(envelope.original_content, policy=email.policy.default)
        lines = ["header\tX-Envelope-To\t" + ",".join(envelope.rcpt_tos)]
        for name, value in message.items():
            lines.append("header\t%s\t%s" % (name, " ".join(str(value).split())))
        for part in message.walk():
            if part.is_multipart():
                continue
            payload = part.get_payload(decode=True) or b""
            lines.append("part\t%s\t%s\t%s" % (part.get_content_type(), part.get_filename() or "-",
                                                base64.b64encode(payload).decode()))
            # Beside each part: its Content-ID and declared charset ("-" when none), on a line of its own.
            lines.append("partinfo\t%s\t%s\t%s" % (part.get_content_type(), (part["Content-ID"] or "-").strip(),
                                                    part.get_content_charset() or "-"))
        with open(path + ".tmp", "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
        os.rename(path + ".tmp", path)


class Authenticator:
    def __init__(self, user, password):
        self.user = user.encode()
        self.password = password.encode()

    def __call__(self, server, session, envelope, mechanism, auth_data):
        if mechanism == "LOGIN" and isinstance(auth_data, LoginPassword):
            if auth_data.login == self.user and auth_data.password == self.password:
                return AuthResult(success=True)
        return AuthResult(success=False, handled=False)


def main():
    port, spool, user, password = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
    os.makedirs(spool, exist_ok=True)
    controller = Controller(
        SpoolHandler(spool),
        hostname="127.0.0.1",
        port=port,
        authenticator=Authenticator(user, password),
        auth_require_tls=False,
        auth_exclude_mechanism=["PLAIN", "CRAM-MD5"],
        decode_data=False,
        data_size_limit=200 * 1024 * 1024,
    )
    controller.start()
    try:
        while True:
            time.sleep(3600)
    finally:
        controller.stop()


if __name__ == "__main__":
    main()

#!/usr/bin/python3
# Writes what python's email package reads from each message (the .eml files of tests/data/real-mail and of
# the folder of fetched messages that ./test prepares, build/third_party/real-mail, or the folder given as the
# argument), the oracle of RealMailTest. Run with Debian's /usr/bin/python3 (the email package of python
# 3.11) after ./test has fetched the messages; commit its output.
#
# One record per line, tab-separated, with backslash, tab, CR and LF escaped as \\ \t \r \n:
#   file  H  field  value         the field's first value, unfolded (line breaks out, tabs as blanks), trimmed
#   file  S  -      text          the Subject with its encoded words decoded (UTF-8)
#   file  A  field  addresses     the addresses of a recipient field, in order, joined by " ; "
#   file  N  field  names         their display names where python finds one, "address=name" joined by " ; "
#   file  P  n      description   leaf part n (depth-first): type/subtype, transfer encoding, byte count and
#                                 FNV-1a 64 of the decoded bytes, joined by " "
#   file  F  n      name          the attachment name of leaf part n, decoded
#   file  T  n      description   the text of text part n decoded by its charset: UTF-8 byte count and FNV-1a 64
#   file  L  n      -             leaf part n is one of the message's attachments: it declares itself one, or it is
#                                 no text, no container and no image that the HTML shows by its Content-ID alone
#   file  R  Date   time          the Date as written, without a change of zone: YYYY-MM-DD HH:MM:SS
#   file  R  From   text          the From field unfolded with its encoded words decoded (UTF-8)
import email
import email.header
import email.policy
import email.utils
import os
import sys

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'data')
FIELDS = ['From', 'To', 'Cc', 'Subject', 'Date', 'Message-ID', 'Content-Type', 'MIME-Version']
ADDRESS_FIELDS = ['From', 'To', 'Cc']


def fnv(data):
    h = 0xcbf29ce484222325
    for b in data:
        h = ((h ^ b) * 0x100000001b3) & 0xFFFFFFFFFFFFFFFF
    return '%016x' % h


def esc(text):
    return text.replace('\\', '\\\\').replace('\t', '\\t').replace('\r', '\\r').replace('\n', '\\n')


def unfold(value):
    return value.replace('\r', '').replace('\n', '').replace('\t', ' ').strip()


def leaves(msg, attached=False):
    # Containers: multipart bodies and attached messages, whose parts are walked in turn; the parts of an
    # attached message belong to it, not to the message that carries it.
    if msg.is_multipart():
        inner = attached or msg.get_content_maintype() == 'message'
        for part in msg.get_payload():
            yield from leaves(part, inner)
    else:
        yield msg, attached


def is_attachment(part):
    maintype = part.get_content_maintype()
    if part.is_attachment():
        return True
    if maintype in ('text', 'multipart', 'message'):
        return False
    return not (maintype == 'image' and part.get('Content-ID') and not part.get_filename())


def messages():
    folders = [os.path.join(DATA, 'real-mail'),
               sys.argv[1] if len(sys.argv) > 1 else os.path.join(DATA, '..', '..', 'build', 'third_party',
                                                                  'real-mail')]
    found = {}
    for folder in folders:
        if not os.path.isdir(folder):
            sys.exit('no folder ' + folder + ': run ./test first, which fetches the messages')
        for name in os.listdir(folder):
            if name.endswith('.eml'):
                found.setdefault(name, os.path.join(folder, name))
    return sorted(found.items())


def main():
    out = []
    for name, path in messages():
        raw = open(path, 'rb').read()
        old = email.message_from_bytes(raw, policy=email.policy.compat32)
        new = email.message_from_bytes(raw, policy=email.policy.default)
        for field in FIELDS:
            value = old.get(field)
            if isinstance(value, str):
                out.append((name, 'H', field, unfold(value)))
        if isinstance(old.get('Subject'), str):
            try:
                out.append((name, 'S', '-', str(new['Subject'])))
            except Exception:
                pass
        date = old.get('Date')
        parsed = email.utils.parsedate_tz(date) if isinstance(date, str) else None
        if parsed is not None:
            out.append((name, 'R', 'Date', '%04d-%02d-%02d %02d:%02d:%02d' % parsed[:6]))
        sender = old.get('From')
        if isinstance(sender, str):
            try:
                out.append((name, 'R', 'From', str(email.header.make_header(
                    email.header.decode_header(unfold(sender))))))
            except Exception:
                pass
        for field in ADDRESS_FIELDS:
            try:
                header = new[field]
                addresses = [a for a in header.addresses] if header is not None else None
            except Exception:
                addresses = None
            if addresses is None or any(header.defects):
                continue
            out.append((name, 'A', field, ' ; '.join(a.addr_spec for a in addresses)))
            named = [a.addr_spec + '=' + a.display_name for a in addresses if a.display_name]
            if named:
                out.append((name, 'N', field, ' ; '.join(named)))
        for n, (part, attached) in enumerate(leaves(new)):
            payload = part.get_payload(decode=True)
            if payload is None:
                continue
            cte = str(part.get('Content-Transfer-Encoding', '')).strip().lower() or '-'
            out.append((name, 'P', str(n), '%s %s %d %s' % (part.get_content_type(), cte, len(payload),
                                                             fnv(payload))))
            if not attached and is_attachment(part):
                out.append((name, 'L', str(n), '-'))
            filename = part.get_filename()
            if filename:
                out.append((name, 'F', str(n), filename))
            charset = part.get_content_charset()
            if part.get_content_maintype() == 'text' and charset:
                try:
                    text = payload.decode(charset).encode('utf-8')
                except (LookupError, UnicodeError):
                    continue  # python would substitute: that is its choice, not an oracle
                out.append((name, 'T', str(n), '%d %s' % (len(text), fnv(text))))
    with open(os.path.join(DATA, 'real-mail-expected.txt'), 'w', encoding='utf-8', newline='\n') as f:
        f.write('# Made by tests/content/make_real_mail_expectations.py with python %d.%d; do not edit.\n'
                % sys.version_info[:2])
        for record in out:
            f.write('\t'.join(esc(x) for x in record) + '\n')


main()

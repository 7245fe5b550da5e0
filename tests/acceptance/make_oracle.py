#!/usr/bin/python3
# What a user should meet in each real-mail message, as python's email package reads it: a word of its body
# to search for and the decoded bytes of each attachment. Usage: make_oracle.py MAIL_FOLDER OUT_FOLDER.
# A message whose whole reading differs from python's for a reason tests/data/real-mail-exclusions.txt gives
# (kind P, part 0 or *) gets no word. Writes OUT_FOLDER/oracle.txt, tab-separated lines:
#   file  W  word  list    a word of the text the search looks in (the HTML part without its tags, else
#                          the plain-text part) that as few others hold as can be, "-" when it has none;
#                          and the positions (from 0, in this file's order) of the messages that hold it
#   file  M  id            its Message-ID without the angle brackets, when it has one
#   file  A  name  n       attachment name and the file OUT_FOLDER/n holding its decoded bytes
import email
import email.policy
import os
import re
import sys

WORD = re.compile(r'\b[A-Za-z]{3,}\b')


def leaves(msg):
    if msg.is_multipart():
        for part in msg.get_payload():
            yield from leaves(part)
    else:
        yield msg


def text_of(part):
    data = part.get_payload(decode=True) or b''
    charset = part.get_content_charset() or 'us-ascii'
    try:
        return data.decode(charset, 'replace')
    except LookupError:
        return data.decode('latin-1')


def searched_text(msg):
    parts = list(leaves(msg))
    for kind in ('text/html', 'text/plain'):
        for part in parts:
            if part.get_content_type() == kind and not part.get_filename():
                text = text_of(part)
                if kind == 'text/html':
                    body = re.search(r'<body[^>]*>(.*?)(</body>|$)', text, re.I | re.S)
                    text = re.sub(r'<[^>]*>', ' ', body.group(1) if body else text)
                    text = re.sub(r'&[A-Za-z]+;', ' ', text)
                return text
    return ''


def differently_read(folder):
    names = set()
    with open(os.path.join(folder, '..', 'real-mail-exclusions.txt'), encoding='utf-8') as f:
        for line in f:
            fields = line.rstrip('\n').split('\t')
            if len(fields) >= 3 and fields[1] == 'P' and fields[2] in ('0', '*'):
                names.add(fields[0])
    return names


def main():
    folder, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    skipped = differently_read(folder)
    names = sorted(n for n in os.listdir(folder) if not n.startswith('.'))
    messages = [email.message_from_bytes(open(os.path.join(folder, name), 'rb').read(),
                                         policy=email.policy.compat32) for name in names]
    texts = [searched_text(msg) for msg in messages]
    lines = []
    count = 0
    for name, msg, text in zip(names, messages, texts):
        words = [] if name in skipped else WORD.findall(text)
        if words:
            # The word that the fewest other messages hold, so that the search names this one.
            def holders(word):
                return [str(i) for i, other in enumerate(texts) if word in other and names[i] not in skipped]
            word = min(dict.fromkeys(words), key=lambda w: len(holders(w)))
            lines.append('%s\tW\t%s\t%s' % (name, word, ','.join(holders(word))))
        else:
            lines.append('%s\tW\t-' % name)
        message_id = msg.get('Message-ID')
        if isinstance(message_id, str) and message_id.strip():
            lines.append('%s\tM\t%s' % (name, message_id.strip().strip('<>')))
        for part in leaves(msg):
            filename = part.get_filename()
            if not filename:
                continue
            # A text part not marked as an attachment is shown as body text, named or not.
            if (part.get_content_maintype() == 'text' and part.get_content_subtype() not in ('rfc822-headers', 'dat')
                    and part.get_content_disposition() != 'attachment'):
                continue
            count += 1
            target = 'attachment-%d' % count
            with open(os.path.join(out, target), 'wb') as f:
                f.write(part.get_payload(decode=True) or b'')
            lines.append('%s\tA\t%s\t%s' % (name, filename, target))
    with open(os.path.join(out, 'oracle.txt'), 'w', encoding='utf-8') as f:
        f.write('\n'.join(lines) + '\n')


main()

#!/usr/bin/python3
# Writes <message>.outline beside each .eml here: the part tree as Python's email package reads it, one
# line per part: depth, media type, then boundary and child count (multipart) or name and decoded length.
# The preamble and epilogue are not parts. Run once after adding a message; the outlines are committed.
import email
import email.policy
import glob
import os
import sys

def outline(part, depth, lines):
    ctype = part.get_content_type()
    if part.is_multipart() and ctype.startswith('multipart/'):
        kids = part.get_payload()
        lines.append('%d %s boundary=%s children=%d' % (depth, ctype, part.get_boundary() or '', len(kids)))
        for kid in kids:
            outline(kid, depth + 1, lines)
        return
    name = part.get_filename() or ''
    if ctype.startswith('message/'):
        length = '-'
    else:
        data = part.get_payload(decode=True)
        length = str(len(data or b''))
    lines.append('%d %s name=%s length=%s' % (depth, ctype, name, length))

here = os.path.dirname(os.path.abspath(__file__))
for path in sorted(glob.glob(os.path.join(here, '**', '*.eml'), recursive=True)):
    with open(path, 'rb') as f:
        # Our parser reads LF-only text as CRLF text; so does the reference.
        data = f.read().replace(b'\r\n', b'\n').replace(b'\n', b'\r\n')
        message = email.message_from_bytes(data, policy=email.policy.compat32)
    lines = []
    outline(message, 0, lines)
    with open(path[:-4] + '.outline', 'w', newline='\n', encoding='latin-1', errors='replace') as f:
        f.write('\n'.join(lines) + '\n')

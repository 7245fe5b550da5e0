#!/usr/bin/env python3
"""Writes the Outlook Express 5 store fixtures under tests/data/dbx from the file layout the reader knows.

No program here writes these files, so the fixtures are made from the layout alone: a store of 60 messages
in a two-level folder tree, a store with one message whose text is empty, one file per fault the reader
names, and the hostile files that a reader must survive. Run it again after changing it; the output is
committed. The manifest store/expected.txt lists every message as the reader must give it back.
"""
import datetime
import os
import shutil
import struct

HEADER_SIZE = 0x24BC
NODE_SIZE = 0x27C
BLOCK_DATA = 0x200
SIGNATURE = (0xFE12ADCF, 0x6F74FDC5, 0x11D1E366, 0xC0004E9A)
FOLDER_FILE_KIND = 0x6F74FDC6
DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")
OUT = os.path.join(DATA, "dbx")
SEEDS = os.path.join(DATA, "fuzz", "dbx_reader_fuzz")


class DbxFile:
    """A store file being built: the header, then each object appended at the next 4-byte boundary."""

    def __init__(self, folders=False):
        self.data = bytearray(HEADER_SIZE)
        kind = FOLDER_FILE_KIND if folders else SIGNATURE[1]
        struct.pack_into("<4I", self.data, 0, SIGNATURE[0], kind, SIGNATURE[2], SIGNATURE[3])
        self.folders = folders

    def reserve(self, size):
        while len(self.data) % 4:
            self.data.append(0)
        pos = len(self.data)
        self.data.extend(bytes(size))
        return pos

    def put(self, pos, fmt, *values):
        struct.pack_into(fmt, self.data, pos, *values)

    def record(self, fields, entry_count=None, length=None):
        """fields: (index, value) in entry order; an int is direct, bytes are stored in the data area."""
        entries = []
        area = bytearray()
        for index, value in fields:
            if isinstance(value, int):
                entries.append(index | 0x80 | (value << 8))
            else:
                entries.append(index | (len(area) << 8))
                area.extend(value)
        body = b"".join(struct.pack("<I", e) for e in entries) + bytes(area)
        pos = self.reserve(12 + len(body))
        self.put(pos, "<IIHBB", pos, len(body) if length is None else length, 0,
                 len(entries) if entry_count is None else entry_count, 0)
        self.data[pos + 12:pos + 12 + len(body)] = body
        return pos

    def text(self, text, block_lengths=None):
        """The text as a chain of blocks of 0x200 data bytes; block_lengths overrides each length word."""
        chunks = [text[i:i + BLOCK_DATA] for i in range(0, len(text), BLOCK_DATA)] or [b""]
        positions = [self.reserve(16 + BLOCK_DATA) for _ in chunks]
        for i, (pos, chunk) in enumerate(zip(positions, chunks)):
            following = positions[i + 1] if i + 1 < len(positions) else 0
            length = len(chunk) if block_lengths is None else block_lengths[i]
            self.put(pos, "<IIII", pos, BLOCK_DATA, length, following)
            self.data[pos + 16:pos + 16 + len(chunk)] = chunk
        return positions[0]

    def node(self, parent, entries, first_child=0, first_count=0, pos=None, entry_count=None):
        """entries: (value, child, child count)."""
        if pos is None:
            pos = self.reserve(NODE_SIZE)
        self.put(pos, "<IIIIBBHI", pos, 0, first_child, parent, 0,
                 len(entries) if entry_count is None else entry_count, 0, first_count)
        for i, (value, child, count) in enumerate(entries):
            self.put(pos + 0x18 + 12 * i, "<III", value, child, count)
        return pos

    def tree(self, values, fanout=51, parent=0):
        """A balanced tree of the values in order, with at most fanout entries a node; returns the root."""
        pos = self.reserve(NODE_SIZE)
        if len(values) <= fanout:
            self.node(parent, [(v, 0, 0) for v in values], pos=pos)
            return pos
        # fanout separators between fanout + 1 children of nearly equal size
        rest = len(values) - fanout
        sizes = [rest // (fanout + 1) + (1 if i < rest % (fanout + 1) else 0) for i in range(fanout + 1)]
        groups, at = [], 0
        for size in sizes:
            groups.append(values[at:at + size])
            at += size + 1
        separators = [values[sum(sizes[:i + 1]) + i] for i in range(fanout)]
        children = [self.tree(g, fanout, pos) if g else 0 for g in groups]
        entries = [(separators[i], children[i + 1], len(groups[i + 1])) for i in range(fanout)]
        self.node(parent, entries, first_child=children[0], first_count=len(groups[0]), pos=pos)
        return pos

    def set_index(self, count, root):
        count_at, root_at = (0xCC, 0xEC) if self.folders else (0xC4, 0xE4)
        self.put(count_at, "<I", count)
        self.put(root_at, "<I", root)

    def save(self, path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(self.data)


def filetime(when):
    epoch = datetime.datetime(1601, 1, 1)
    return struct.pack("<Q", int((when - epoch).total_seconds()) * 10000000)


def z(text):
    return text.encode("cp1252") + b"\0"


def message_text(folder, n, subject, name, address, when, size):
    sender = f'"{name}" <{address}>' if name else address
    lines = [
        f"From: {sender}",
        "To: Vorn Tester <tester@example.org>",
        f"Subject: {subject}",
        f"Date: {when.strftime('%a, %d %b %Y %H:%M:%S')} +0000",
        f"Message-ID: <{folder.lower().replace(' ', '-')}-{n}@example.org>",
        "MIME-Version: 1.0",
        "Content-Type: text/plain; charset=\"us-ascii\"",
        "",
        f"Message {n} of the {folder} folder.",
    ]
    body = "\r\n".join(lines) + "\r\n"
    filler = 0
    while len(body) < size:
        body += f"Line {filler:04d} of a longer message body, to fill more than one block.\r\n"
        filler += 1
    return body.encode("ascii")


def message_file(folder, count, start, fanout, empty_at=None, long_subject_at=None):
    """A folder's message file and its manifest lines."""
    f = DbxFile()
    records, manifest = [], []
    for i in range(count):
        n = start + i
        when = datetime.datetime(2024, 3, 1, 8, 0, 0) + datetime.timedelta(hours=7 * n, seconds=n)
        subject = f"Report {n:02d} on the {folder} plans"
        if n % 9 == 4:
            subject = "=?iso-8859-1?Q?Caf=E9_meeting?= " + str(n)
        if long_subject_at == i:
            subject = f"Long subject {n:02d} " + "x" * 300
        name = "" if n % 5 == 3 else f"Sender {n:02d}"
        address = f"sender{n:02d}@example.com"
        size = 200 + (n * 137) % 1500
        text = message_text(folder, n, subject, name, address, when, size)
        unread = n % 3 == 0
        fields = [(0x00, n), (0x01, 0x00 if unread else 0x80), (0x02, filetime(when))]
        if empty_at == i:
            fields.append((0x04, struct.pack("<I", f.text(b"", block_lengths=[0]))))
        else:
            fields.append((0x04, struct.pack("<I", f.text(text))))
        fields += [(0x07, z(f"<m{n}@example.org>")), (0x08, z(subject))]
        if name:
            fields.append((0x0D, z(name)))
        fields.append((0x0E, z(address)))
        records.append(f.record(fields))
        manifest.append((subject, name, address, 1 if unread else 0, when, text))
    f.set_index(count, f.tree(records, fanout))
    return f, manifest


def escape(text):
    return text.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n").replace("\t", "\\t")


# (index, parent, name, file, flags, messages, fanout)
STORE = [
    (1, 0, "Local Folders", None, 0x100019, 0, 0),
    (2, 1, "Inbox", "Inbox.dbx", 0x19, 25, 4),
    (3, 1, "Sent Items", "Sent Items.dbx", 0x19, 10, 51),
    (4, 1, "Projects", "Projects.dbx", 0x19, 5, 51),
    (5, 4, "Alpha", "Alpha.dbx", 0x19, 12, 3),
    (6, 4, "Beta", "Beta.dbx", 0x19, 8, 51),
    (7, 0, "news.example.com", "news.example.com.dbx", 0x8, 0, 0),
]


def folders_file(folders, directory, fanout=3):
    f = DbxFile(folders=True)
    # The root of the store has no name and is not a folder of the import.
    records = [f.record([(0x00, 0), (0x01, 0), (0x06, 0x1)])]
    for index, parent, name, file_name, flags, _, _ in folders:
        fields = [(0x00, index), (0x01, parent), (0x02, z(name))]
        if file_name:
            fields.append((0x03, z(file_name)))
        fields.append((0x06, flags))
        records.append(f.record(fields))
    f.set_index(len(records), f.tree(records, fanout))
    f.save(os.path.join(directory, "folders.dbx"))


def write_store():
    directory = os.path.join(OUT, "store")
    folders_file(STORE, directory)
    start = 1
    with open(os.path.join(directory, "expected.txt"), "w", newline="\n") as out:
        out.write("# file\tsubject\tsender name\tsender address\tunread\tyear-month-day hour:minute:second\t"
                  "FILETIME\ttext\n")
        for _, _, name, file_name, _, count, fanout in STORE:
            if not count:
                continue
            f, manifest = message_file(name, count, start, fanout)
            start += count
            f.save(os.path.join(directory, file_name))
            for subject, sender, address, unread, when, text in manifest:
                out.write("\t".join([file_name, subject, sender, address, str(unread),
                                     when.strftime("%Y-%m-%d %H:%M:%S"),
                                     str(struct.unpack("<Q", filetime(when))[0]), escape(text.decode("ascii"))]) + "\n")


def write_empty_text_store():
    directory = os.path.join(OUT, "store-empty-text")
    folders_file([(1, 0, "Local Folders", None, 0x900019, 0, 0), (2, 1, "Inbox", "Inbox.dbx", 0x19, 3, 51)],
                 directory)
    f, _ = message_file("Inbox", 3, 1, 51, empty_at=1)
    f.save(os.path.join(directory, "Inbox.dbx"))


def write_small_stores():
    # Local Folders marked by other flags than the two known ones: still the folder at index 1 under 0.
    directory = os.path.join(OUT, "store-local-flags-differ")
    folders_file([(1, 0, "Local Folders", None, 0x100018, 0, 0), (2, 1, "Inbox", "Inbox.dbx", 0x19, 2, 51)],
                 directory)
    message_file("Inbox", 2, 70, 51)[0].save(os.path.join(directory, "Inbox.dbx"))
    # A subject over 255 characters in the second message of A, which has a subfolder and a later sibling.
    directory = os.path.join(OUT, "store-long-subject")
    folders_file([(1, 0, "Local Folders", None, 0x100019, 0, 0), (2, 1, "A", "A.dbx", 0x19, 3, 51),
                  (3, 2, "A1", "A1.dbx", 0x19, 1, 51), (4, 1, "B", "B.dbx", 0x19, 1, 51)], directory)
    message_file("A", 3, 90, 51, long_subject_at=1)[0].save(os.path.join(directory, "A.dbx"))
    message_file("A1", 1, 93, 51)[0].save(os.path.join(directory, "A1.dbx"))
    message_file("B", 1, 94, 51)[0].save(os.path.join(directory, "B.dbx"))
    # The second folder's file has a broken index tree.
    directory = os.path.join(OUT, "store-broken-tree")
    folders_file([(1, 0, "Local Folders", None, 0x100019, 0, 0), (2, 1, "Inbox", "Inbox.dbx", 0x19, 2, 51),
                  (3, 1, "Broken", "Broken.dbx", 0x19, 1, 51)], directory)
    message_file("Inbox", 2, 100, 51)[0].save(os.path.join(directory, "Inbox.dbx"))
    f, fields = one_message()
    record = f.record(fields)
    root = f.reserve(NODE_SIZE)
    f.node(0, [], first_child=f.node(root + 4, [(record, 0, 0)]), first_count=1, pos=root)
    f.set_index(1, root)
    f.save(os.path.join(directory, "Broken.dbx"))
    # No folder at index 1 under the root.
    directory = os.path.join(OUT, "store-no-local-folders")
    folders_file([(3, 0, "Elsewhere", "Inbox.dbx", 0x19, 2, 51)], directory)
    message_file("Inbox", 2, 80, 51)[0].save(os.path.join(directory, "Inbox.dbx"))


def write_hostile_folders_store():
    # folders.dbx is the user's input: 400 nested folders, and message file names that leave the store folder
    # (the "store" fixture beside it holds a readable Inbox.dbx).
    directory = os.path.join(OUT, "store-hostile-folders")
    folders = [(1, 0, "Local Folders", None, 0x100019, 0, 0), (2, 1, "Inbox", "Inbox.dbx", 0x19, 2, 51)]
    for level in range(400):
        folders.append((10 + level, 1 if level == 0 else 9 + level, "Level %d" % (level + 1), None, 0x19, 0, 0))
    folders += [(3, 1, "Above", "..\\store\\Inbox.dbx", 0x19, 0, 0), (4, 1, "Rooted", "\\Inbox.dbx", 0x19, 0, 0),
                (5, 1, "Drive", "C:Inbox.dbx", 0x19, 0, 0)]
    folders_file(folders, directory, fanout=51)
    message_file("Inbox", 2, 110, 51)[0].save(os.path.join(directory, "Inbox.dbx"))


def one_message(subject="One message"):
    f = DbxFile()
    text = message_text("Inbox", 1, subject, "Ann", "ann@example.com", datetime.datetime(2024, 1, 2, 3, 4, 5), 100)
    return f, [(0x00, 1), (0x04, struct.pack("<I", f.text(text))), (0x08, z(subject))]


def fault(name, f):
    f.save(os.path.join(OUT, "faults", name))


def write_faults():
    # Each reader text, reached by the file named for its cause.
    f = DbxFile()
    f.data = f.data[:300]
    fault("header-cut-short.dbx", f)

    f = DbxFile()
    f.data[0:4] = b"From"
    fault("not-a-store-file.dbx", f)

    f, fields = one_message()
    f.set_index(1, f.tree([len(f.data) + 4096]))
    fault("record-past-the-end.dbx", f)

    f, fields = one_message()
    pos = f.record(fields)
    f.put(pos, "<I", pos + 4)
    f.set_index(1, f.tree([pos]))
    fault("record-wrong-marker.dbx", f)

    f, fields = one_message()
    f.set_index(1, f.tree([f.record(fields + [(32, 7)])]))
    fault("record-field-index-32.dbx", f)

    f = DbxFile()
    chain = f.text(b"x" * 700, block_lengths=[0, 0])
    f.set_index(1, f.tree([f.record([(0x00, 1), (0x04, struct.pack("<I", chain))])]))
    fault("text-blocks-all-empty.dbx", f)

    f, fields = one_message()
    f.set_index(0x40000000, f.tree([f.record(fields)]))
    fault("count-beyond-the-file.dbx", f)

    f, fields = one_message()
    record = f.record(fields)
    root = f.reserve(NODE_SIZE)
    child = f.node(root, [(record, 0, 0)])
    f.node(0, [], first_child=child, first_count=5, pos=root)
    f.set_index(1, root)
    fault("subtree-promises-too-many.dbx", f)

    f, fields = one_message()
    f.tree([f.record(fields)])
    f.set_index(1, len(f.data) + NODE_SIZE)
    fault("node-past-the-end.dbx", f)

    f, fields = one_message()
    record = f.record(fields)
    root = f.reserve(NODE_SIZE)
    child = f.node(root + 4, [(record, 0, 0)])
    f.node(0, [], first_child=child, first_count=1, pos=root)
    f.set_index(1, root)
    fault("node-wrong-parent.dbx", f)

    f, fields = one_message()
    f.set_index(1, f.node(0, [(f.record(fields), 0, 0)], entry_count=52))
    fault("node-52-entries.dbx", f)

    f, fields = one_message()
    record = f.record(fields)
    f.set_index(2, f.node(0, [(record, 0, 0)] * 3))
    fault("node-more-values-than-total.dbx", f)

    f, fields = one_message()
    f.set_index(2, f.node(0, [(f.record(fields), 0, 0)]))
    fault("node-fewer-values-than-promised.dbx", f)

    f, fields = one_message()
    f.set_index(1, f.tree([f.record(fields)]))
    fault("one-message.dbx", f)


def hostile(name, f):
    f.save(os.path.join(OUT, "hostile", name))


def write_hostile():
    f = DbxFile()
    first = f.reserve(16 + BLOCK_DATA)
    second = f.reserve(16 + BLOCK_DATA)
    f.put(first, "<IIII", first, BLOCK_DATA, 10, second)
    f.put(second, "<IIII", second, BLOCK_DATA, 10, first)
    f.set_index(1, f.tree([f.record([(0x00, 1), (0x04, struct.pack("<I", first))])]))
    hostile("text-chain-cycle.dbx", f)

    f, fields = one_message()
    f.set_index(1, f.tree([f.record(fields, length=0xFFFFFFF0)]))
    hostile("record-length-huge.dbx", f)

    f, fields = one_message()
    record = f.record(fields)
    entry = record + 12 + 4 * 1  # the text position's entry, indirect
    f.put(entry, "<I", 0x04 | (0x100000 << 8))
    f.set_index(1, f.tree([record]))
    hostile("field-offset-past-the-end.dbx", f)

    f, fields = one_message()
    record = f.record(fields)
    nodes = [f.reserve(NODE_SIZE) for _ in range(100)]
    for depth, pos in enumerate(nodes):
        parent = nodes[depth - 1] if depth else 0
        if depth + 1 < len(nodes):
            f.node(parent, [], first_child=nodes[depth + 1], first_count=1, pos=pos)
        else:
            f.node(parent, [(record, 0, 0)], pos=pos)
    f.set_index(1, nodes[0])
    hostile("node-chain-100-deep.dbx", f)

    # Every entry of each level names the one node of the next: read naively, 51 to the eighth nodes.
    f, fields = one_message()
    levels = [f.reserve(NODE_SIZE) for _ in range(8)]
    for depth, pos in enumerate(levels):
        parent = levels[depth - 1] if depth else 0
        following = levels[depth + 1] if depth + 1 < len(levels) else 0
        f.node(parent, [(0, following, 0)] * 51 if following else [], pos=pos)
    f.set_index(1, levels[0])
    hostile("node-children-shared.dbx", f)

    f, fields = one_message()
    chain = f.text(b"y" * 40)
    f.put(chain + 4, "<II", 0xFFFFFFFF, 0xFFFFFFFF)
    f.set_index(1, f.tree([f.record([(0x00, 1), (0x04, struct.pack("<I", chain))])]))
    hostile("text-block-length-huge.dbx", f)


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    write_store()
    write_empty_text_store()
    write_small_stores()
    write_hostile_folders_store()
    write_faults()
    write_hostile()
    # The fuzz target's seeds: a folder list, a multi-level message tree and a text over several blocks.
    shutil.rmtree(SEEDS, ignore_errors=True)
    os.makedirs(SEEDS)
    for source, seed in [("store-empty-text/folders.dbx", "folders"), ("store/Beta.dbx", "messages-one-level"),
                         ("store/Alpha.dbx", "messages-three-levels"), ("faults/one-message.dbx", "one-message")]:
        shutil.copy(os.path.join(OUT, source), os.path.join(SEEDS, seed))


if __name__ == "__main__":
    main()

#!/usr/bin/python3
# Writes the .wab fixtures of the address-book tests into tests/data/wab (its output is committed).
# The layout is the public reverse-engineered one our reader follows: a 16-byte magic, two words, six table
# descriptors (type, entry size, offset, count), the first an index of (record id, offset) pairs; each record
# a header of six words (word, id, word, property count, data length, word) and its tagged property values.
# Run again after changing it: python3 tests/platform/wab/make_wab_fixtures.py
import os
import struct

MAGIC = bytes([0x9C, 0xCB, 0xCB, 0x8D, 0x13, 0x75, 0xD2, 0x11, 0x91, 0x58, 0x00, 0xC0, 0x4F, 0x79, 0x56, 0xA4])
OLDER_MAGIC = bytes([0x81, 0x32, 0x84, 0xC1])
HEADER = 0x78

PT_I2, PT_LONG, PT_BOOLEAN, PT_STRING8, PT_UNICODE, PT_SYSTIME, PT_BINARY = 2, 3, 11, 30, 31, 64, 258
MV = 0x1000
MAPI_ABCONT, MAPI_MAILUSER, MAPI_DISTLIST = 4, 6, 8

PR = dict(object_type=0x0FFE, display_name=0x3001, email=0x3003, comment=0x3004, given=0x3A06,
          business_tel=0x3A08, surname=0x3A11, company=0x3A16, title=0x3A17, mobile=0x3A1C,
          business_fax=0x3A24, country=0x3A26, locality=0x3A27, street=0x3A29, postal_code=0x3A2A,
          prefix=0x3A45, contact_emails=0x3A56)


def tag(name, ptype):
    return (PR[name] << 16) | ptype


def variable(ptype, value):
    if ptype == PT_STRING8:
        data = value.encode('cp1252') + b'\0'
    elif ptype == PT_UNICODE:
        data = value.encode('utf-16-le') + b'\0\0'
    else:
        data = value
    return struct.pack('<I', len(data)) + data


def prop(name, value, ptype=None):
    if ptype is None:
        ptype = PT_LONG if isinstance(value, int) else PT_STRING8
    out = struct.pack('<I', tag(name, ptype))
    if ptype in (PT_I2, PT_LONG, PT_BOOLEAN):
        return out + struct.pack('<i', value)
    if ptype == PT_SYSTIME:
        return out + struct.pack('<Q', value)
    if ptype & MV:
        return out + struct.pack('<I', len(value)) + b''.join(variable(ptype & ~MV, v) for v in value)
    return out + variable(ptype, value)


def person(**fields):
    props = [prop('object_type', MAPI_MAILUSER)]
    for name, value in fields.items():
        if isinstance(value, tuple):
            props.append(prop(name, value[0], value[1]))
        else:
            props.append(prop(name, value))
    return props


def record(record_id, props, stored_id=None, count=None, extra=b''):
    data = b''.join(props) + extra
    header = struct.pack('<6I', 1, record_id if stored_id is None else stored_id, 0,
                         len(props) if count is None else count, len(data), 0)
    return header + data


def wab(records, index_type=0xFA0, entry_size=8, index_offset=None, index_count=None, ids=None, cut=None):
    """records: list of (id, record bytes)."""
    index_at = HEADER
    body_at = index_at + 8 * len(records)
    index = b''
    body = b''
    for i, (record_id, data) in enumerate(records):
        index += struct.pack('<II', record_id if ids is None else ids[i], body_at + len(body))
        body += data
    descriptors = struct.pack('<4I', index_type, entry_size, index_at if index_offset is None else index_offset,
                              len(records) if index_count is None else index_count)
    # The name tables the index-only reader never follows; empty here.
    for table in range(5):
        descriptors += struct.pack('<4I', 0x84D0, 0x44, 0, 0)
    data = MAGIC + struct.pack('<II', len(records), 0) + descriptors + index + body
    assert len(MAGIC) + 8 + len(descriptors) == HEADER
    return data if cut is None else data[:cut]


def write(folder, name, data):
    with open(os.path.join(folder, name), 'wb') as out:
        out.write(data)


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'data', 'wab')
    os.makedirs(folder, exist_ok=True)

    people = [
        (1, record(1, person(given='Anna', surname='Berg', email='anna@acme.example', company='Acme',
                             postal_code='LS1 1AA', business_tel='0113 1', business_fax='0113 2', title='Chemist',
                             mobile='0170 1', prefix='Dr.', country='UK', locality='Leeds', street='1 High St',
                             comment='Met at the fair'))),
        # Same company and postcode: one Site row for both.
        (2, record(2, person(given='Ben', surname='Cole', email='ben@acme.example', company='Acme',
                             postal_code='LS1 1AA'))),
        # A distribution list, then a folder, then a record that does not say what it is: none is a person.
        (3, record(3, [prop('object_type', MAPI_DISTLIST), prop('display_name', 'Team')])),
        (4, record(4, [prop('object_type', MAPI_ABCONT), prop('display_name', 'Folder')])),
        (5, record(5, [prop('display_name', 'Unknown kind'), prop('email', 'unknown@example.com')])),
        # No company: the Site row is named after the surname.
        (6, record(6, person(given='Cleo', surname='Dunn', email='cleo@example.com', postal_code='X1'))),
        # UTF-16 names, one outside code page 1252.
        (7, record(7, person(given=('Zo\u00eb', PT_UNICODE), surname=('\u039a\u03b1\u03c4\u03b5', PT_UNICODE),
                             email=('zoe@example.gr', PT_UNICODE)))),
        # No e-mail address: two of the same name are one person; another name is another person.
        (8, record(8, person(given='Dan', surname='Ernst'))),
        (9, record(9, person(given='Dan', surname='Ernst'))),
        (10, record(10, person(given='Eve', surname='Fox'))),
        # Nothing to name the person by.
        (11, record(11, person(title='Nobody'))),
        # A long comment, cut to the field.
        (12, record(12, person(given='Finn', surname='Gray', email='finn@example.com', comment='c' * 1500))),
        # String fields stored with other types are not strings.
        (13, record(13, person(given='Gus', surname='Hale', email='gus@example.com', company=(42, PT_LONG),
                               locality=(b'\x01\x02', PT_BINARY),
                               contact_emails=(['gus@example.com', 'g@example.com'], MV | PT_STRING8)))),
        # Already in the address book by e-mail (the test stores it first).
        (14, record(14, person(given='Hal', surname='Ivy', email='known@example.com'))),
    ]
    write(folder, 'people.wab', wab(people))
    # A folder that carries a person's fields is still a folder; the person filed after it comes in.
    write(folder, 'folder-record.wab', wab([
        (1, record(1, [prop('object_type', MAPI_ABCONT), prop('display_name', 'Suppliers'),
                       prop('given', 'Folder'), prop('surname', 'Owner'), prop('email', 'folder@example.com'),
                       prop('company', 'Folder Ltd')])),
        (2, record(2, person(given='Ida', surname='Jones', email='ida@example.com', company='Jones Ltd'))),
    ]))
    write(folder, 'empty.wab', wab([]))
    write(folder, 'older-format.wab', OLDER_MAGIC + bytes(200))
    write(folder, 'not-an-address-book.wab', b'BEGIN:VCARD\r\nEND:VCARD\r\n' + bytes(200))

    one = [(1, record(1, person(given='Anna', surname='Berg', email='anna@example.com')))]
    whole = wab(one)
    hostile = {
        'header-cut.wab': whole[:HEADER - 1],
        'index-beyond-file.wab': wab(one, index_offset=len(whole)),
        'index-count-beyond-file.wab': wab(one, index_count=0x10000000),
        'index-wrong-type.wab': wab(one, index_type=0x84D0),
        'index-entry-size.wab': wab(one, entry_size=12),
        'record-offset-in-header.wab': wab(one)[:HEADER] + struct.pack('<II', 1, 0x10) + wab(one)[HEADER + 8:],
        'record-id-mismatch.wab': wab([(1, record(1, person(given='A'), stored_id=2))]),
        'duplicate-ids.wab': wab(one + one),
        'record-cut.wab': whole[:-3],
        'property-count-too-high.wab': wab([(1, record(1, person(given='A'), count=40))]),
        'string-without-terminator.wab': wab([(1, record(1, [struct.pack('<II', tag('given', PT_STRING8), 3) + b'abc']))]),
        'string-length-beyond-record.wab': wab([(1, record(1, [struct.pack('<II', tag('given', PT_STRING8), 0xFFFFFFF0) + b'ab\0']))]),
        'odd-unicode.wab': wab([(1, record(1, [struct.pack('<II', tag('given', PT_UNICODE), 3) + b'a\0\0']))]),
        'unknown-type.wab': wab([(1, record(1, [struct.pack('<II', tag('given', 0x0005), 0) + bytes(4)]))]),
        'multi-value-count-too-high.wab': wab([(1, record(1, [struct.pack('<II', tag('contact_emails', MV | PT_STRING8), 0x7FFFFFFF)]))]),
        'bytes-after-properties.wab': wab([(1, record(1, person(given='A'), extra=b'\0\0\0\0'))]),
    }
    for name, data in hostile.items():
        write(folder, name, data)


if __name__ == '__main__':
    main()

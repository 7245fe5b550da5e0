#!/usr/bin/python3
# python3-vobject as the vCard tests' peer:
#   vobject_cards.py write DIR      writes cards made by vobject into DIR, one per file
#   vobject_cards.py read FILE...   prints what vobject reads of each card of each file
# Output lines: file, card index, field, value in hex (UTF-8); "ERROR" when vobject cannot read a file.
import os
import sys

import vobject


def hexed(text):
    return text.encode('utf-8').hex()


def emit(name, index, field, value):
    print(f"{name}\t{index}\t{field}\t{hexed(value)}")


def text_of(component, name):
    item = getattr(component, name, None)
    if item is None:
        return ''
    value = item.value
    if isinstance(value, list):
        value = value[0] if value else ''
    return value if isinstance(value, str) else ''


def describe(name, index, card):
    n = getattr(card, 'n', None)
    if n is not None and isinstance(n.value, vobject.vcard.Name):
        family = n.value.family
        given = n.value.given
        # vobject splits components at unescaped commas too.
        emit(name, index, 'family', ','.join(family) if isinstance(family, list) else family)
        emit(name, index, 'given', ','.join(given) if isinstance(given, list) else given)
    emit(name, index, 'fn', text_of(card, 'fn'))
    for email in card.contents.get('email', []):
        if isinstance(email.value, str):
            emit(name, index, 'email', email.value)
    org = getattr(card, 'org', None)
    if org is not None and isinstance(org.value, list) and org.value:
        first = org.value[0]
        emit(name, index, 'org', ','.join(first) if isinstance(first, list) else first)
    notes = card.contents.get('note', [])
    if notes and isinstance(notes[0].value, str):
        emit(name, index, 'note', notes[0].value)


def read(paths):
    for path in paths:
        name = os.path.basename(path)
        data = open(path, 'rb').read()
        # Our own cards name windows-1252 as their charset; others are UTF-8 or say nothing.
        try:
            if data[:2] in (b'\xff\xfe', b'\xfe\xff'):
                text = data.decode('utf-16')
            else:
                text = data.decode('utf-8-sig')
        except UnicodeDecodeError:
            text = data.decode('cp1252', errors='replace')
        try:
            cards = list(vobject.readComponents(text, ignoreUnreadable=True, allowQP=True))
        except Exception:
            print(f"{name}\t-\tERROR\t")
            continue
        index = 0
        for card in cards:
            if card.name.upper() != 'VCARD':
                continue
            describe(name, index, card)
            index += 1
        print(f"{name}\t-\tCOUNT\t{index}")


def add(card, name, value, types=None):
    item = card.add(name)
    item.value = value
    if types:
        item.type_paramlist = types
    return item


def write(folder):
    os.makedirs(folder, exist_ok=True)
    Name = vobject.vcard.Name
    Address = vobject.vcard.Address
    people = [
        dict(n=Name(family='M\u00fcller; Jr.', given='J\u00fcrgen, X', additional='Q', prefix='Dr.'),
             fn='J\u00fcrgen M\u00fcller', email=[('j@example.de', ['INTERNET'])], org=['Acme, Inc.', 'Sales'],
             note='line one\nline two; with \\ backslash', tel=[('+1 555', ['WORK', 'VOICE'])]),
        dict(n=Name(family='\u00c5ngstr\u00f6m', given='Zo\u00eb'), fn='Zo\u00eb \u00c5ngstr\u00f6m',
             email=[('zoe@example.se', None), ('pref@example.se', ['INTERNET', 'PREF'])],
             note='A long note that vobject folds: ' + 'caf\u00e9 ' * 30, org=['Caf\u00e9 \u20ac']),
        dict(n=Name(family='Nobody'), fn='Nobody', email=[], org=None, note=None,
             tel=[('0170', ['CELL']), ('030', ['HOME'])]),
    ]
    for i, person in enumerate(people):
        card = vobject.vCard()
        add(card, 'n', person['n'])
        add(card, 'fn', person['fn'])
        for address, types in person['email']:
            add(card, 'email', address, types)
        if person['org']:
            add(card, 'org', person['org'])
        if person['note']:
            add(card, 'note', person['note'])
        for number, types in person.get('tel', []):
            add(card, 'tel', number, types)
        add(card, 'adr', Address(street='1 Main St', city='Town', code='12345', country='Land'), ['WORK'])
        path = os.path.join(folder, f'vobject-{i}.vcf')
        with open(path, 'w', encoding='utf-8', newline='') as out:
            out.write(card.serialize())


if __name__ == '__main__':
    if sys.argv[1] == 'write':
        write(sys.argv[2])
    else:
        read(sys.argv[2:])

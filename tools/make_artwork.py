#!/usr/bin/env python3
"""Builds the client's toolbar, list, tree and icon images from Debian's Tango icon theme at build time.

Usage: make_artwork.py bitmap OUT.bmp WIDTH HEIGHT COUNT   a strip of COUNT WIDTH x HEIGHT images
       make_artwork.py icon OUT.ico INDEX                  an icon (16 x 16 and 32 x 32)
       make_artwork.py list OUTDIR                         the message list's images, list<id>.bmp
The file name says which images a strip or icon holds; a name not listed below gets the plain glyphs of
platform/wtl/MakeImages.py (the window layer's own tests use those). Where Tango has no fitting icon, one
is drawn here in its palette.
"""
import io
import os
import struct
import subprocess
import sys

from PIL import Image, ImageDraw, ImageFont

TANGO = "/usr/share/icons/Tango"

# Tango's palette, for the images drawn here.
ALUMINIUM = [(0xee, 0xee, 0xec), (0xd3, 0xd7, 0xcf), (0xba, 0xbd, 0xb6), (0x88, 0x8a, 0x85),
             (0x55, 0x57, 0x53), (0x2e, 0x34, 0x36)]
SCARLET = [(0xef, 0x29, 0x29), (0xcc, 0x00, 0x00), (0xa4, 0x00, 0x00)]
SKY = [(0x72, 0x9f, 0xcf), (0x34, 0x65, 0xa4), (0x20, 0x4a, 0x87)]

# Transparent colour of each kind of strip: the toolbars map light grey to the button face, the tree masks
# magenta, the list masks white.
TOOLBAR_CLEAR = (192, 192, 192)
TREE_CLEAR = (255, 0, 255)
LIST_CLEAR = (255, 255, 255)


def opaque(colour):
    return colour + (255,)


def tango(name, size=16):
    """A Tango icon as RGBA at its own size; name is "context/icon"."""
    path = os.path.join(TANGO, "%dx%d" % (size, size), name + ".png")
    return Image.open(path).convert("RGBA")


def tango_large(name, size):
    """A Tango icon rendered from its scalable drawing, or its 32 px image scaled when that fails."""
    svg = os.path.join(TANGO, "scalable", name + ".svg")
    try:
        data = subprocess.run(["convert", "-background", "none", "-density", "300", svg, "-resize",
                               "%dx%d" % (size, size), "png:-"], check=True, capture_output=True).stdout
        return Image.open(io.BytesIO(data)).convert("RGBA")
    except (OSError, subprocess.CalledProcessError):
        return tango(name, 32).resize((size, size), Image.LANCZOS)


def with_badge(base, badge, scale=10):
    """base with a smaller badge in its lower right corner, as Tango's emblems sit."""
    image = base.copy()
    small = badge.resize((scale, scale), Image.LANCZOS)
    image.alpha_composite(small, (image.width - scale, image.height - scale))
    return image


def faded(image, factor=0.5):
    out = image.copy()
    alpha = out.getchannel("A").point(lambda a: int(a * factor))
    out.putalpha(alpha)
    return out


def canvas(size=16):
    return Image.new("RGBA", (size, size), (0, 0, 0, 0))


def drawn_flag():
    image = canvas()
    d = ImageDraw.Draw(image)
    d.line([(3, 1), (3, 15)], fill=opaque(ALUMINIUM[5]), width=2)
    d.polygon([(4, 2), (13, 2), (10, 5), (13, 8), (4, 8)], fill=opaque(SCARLET[1]),
              outline=opaque(SCARLET[2]))
    d.line([(5, 3), (10, 3)], fill=opaque(SCARLET[0]))
    return image


def drawn_open_envelope():
    image = canvas()
    d = ImageDraw.Draw(image)
    d.polygon([(1, 7), (8, 2), (15, 7), (15, 14), (1, 14)], fill=opaque(ALUMINIUM[0]),
              outline=opaque(ALUMINIUM[3]))
    d.rectangle([(4, 4), (12, 10)], fill=(255, 255, 255, 255), outline=opaque(ALUMINIUM[2]))
    d.line([(5, 6), (11, 6)], fill=opaque(ALUMINIUM[3]))
    d.line([(5, 8), (10, 8)], fill=opaque(ALUMINIUM[3]))
    d.polygon([(1, 8), (8, 12), (15, 8), (15, 14), (1, 14)], fill=opaque(ALUMINIUM[1]),
              outline=opaque(ALUMINIUM[3]))
    return image


def drawn_triangle(up):
    image = canvas()
    d = ImageDraw.Draw(image)
    points = [(4, 11), (12, 11), (8, 5)] if up else [(4, 5), (12, 5), (8, 11)]
    d.polygon(points, fill=opaque(ALUMINIUM[3]), outline=opaque(ALUMINIUM[4]))
    return image


def drawn_list(numbered):
    image = canvas()
    d = ImageDraw.Draw(image)
    for row in range(3):
        y = 2 + row * 5
        if numbered:
            # A small figure: its stem and foot.
            d.line([(2, y), (2, y + 3)], fill=opaque(SKY[2]))
            d.point([(1, y + 1)], fill=opaque(SKY[2]))
            d.line([(1, y + 3), (3, y + 3)], fill=opaque(SKY[2]))
        else:
            d.ellipse([(1, y), (4, y + 3)], fill=opaque(SKY[1]), outline=opaque(SKY[2]))
        d.rectangle([(6, y + 1), (14, y + 2)], fill=opaque(ALUMINIUM[4]))
    return image


def drawn_priority(high):
    if high:
        return tango("emblems/emblem-important")
    return tango("actions/go-down")


def blank():
    return canvas()


# Each strip's images in the order of its toolbar resource's buttons (separators take none).
STRIPS = {
    # The main window: Vorn on the Web, New Mail, Reply, Forward, Send and Receive, Address Book, Print,
    # Delete, About.
    "mainframe.bmp": ["apps/internet-web-browser", "actions/mail-message-new", "actions/mail-reply-sender",
                      "actions/mail-forward", "actions/mail-send-receive", "mimetypes/x-office-address-book",
                      "actions/document-print", "places/user-trash", "apps/help-browser"],
    # The message windows' command bar: Print, Reply, Forward, Previous, Next, Delete.
    "msgframe.bmp": ["actions/document-print", "actions/mail-reply-sender", "actions/mail-forward",
                     "actions/go-previous", "actions/go-next", "places/user-trash"],
    # The compose window's toolbar: Send, Cut, Copy, Paste, Undo, Attach, Priority, Signature, Spelling.
    "compose.bmp": ["apps/internet-mail", "actions/edit-cut", "actions/edit-copy", "actions/edit-paste",
                    "actions/edit-undo", "status/mail-attachment", lambda: drawn_priority(True),
                    "apps/accessories-text-editor", "actions/edit-find"],
    # The preview's attachment toolbar: the attachment list and Save Attachments, at 32 px.
    "attachments.bmp": [("status/mail-attachment", 32), ("actions/document-save", 32)],
    # The editor's formatting toolbar: font name and size (covered by their boxes), Style, Bold, Italic,
    # Underline, text colour, numbered and bulleted lists, indents, alignment, picture, hyperlink.
    "editor.bmp": ["mimetypes/font-x-generic", "mimetypes/font-x-generic", "apps/preferences-desktop-font",
                   "actions/format-text-bold", "actions/format-text-italic", "actions/format-text-underline",
                   "apps/preferences-desktop-theme", lambda: drawn_list(True), lambda: drawn_list(False),
                   "actions/format-indent-less", "actions/format-indent-more", "actions/format-justify-left",
                   "actions/format-justify-center", "actions/format-justify-right",
                   "mimetypes/image-x-generic", "apps/internet-web-browser"],
    # The folder tree, by folder type: local folders, Inbox, Outbox, Sent Items, Deleted Items, Drafts, a
    # user's folder, none, the address book and companies, the caller's folders, contacts, IMAP account and
    # folders.
    "folders.bmp": ["devices/drive-harddisk",
                    lambda: with_badge(tango("places/folder"), tango("actions/go-down")),
                    lambda: with_badge(tango("places/folder"), tango("actions/go-up")),
                    lambda: with_badge(tango("places/folder"), tango("actions/mail-forward")),
                    "places/user-trash",
                    lambda: with_badge(tango("places/folder"), tango("apps/accessories-text-editor")),
                    "places/folder", "places/folder", "mimetypes/x-office-address-book", "places/folder",
                    "places/folder", "places/folder", "apps/system-users", "places/network-server",
                    "places/folder-remote", "places/folder-remote"],
    "letrova.bmp": ["apps/internet-mail"],
    # The compose dialog's buttons: To, Cc and Bcc (the address book), From (the accounts), My Business Card.
    "recipients.bmp": ["mimetypes/x-office-address-book"],
    "accounts.bmp": ["apps/system-users"],
    "card.bmp": ["actions/contact-new"],
    # The address-book window: New contact, Properties, Delete, Print, About.
    "addressbook.bmp": ["actions/contact-new", "actions/document-properties", "places/user-trash",
                        "actions/document-print", "apps/help-browser"],
}

STRIP_CLEAR = {"folders.bmp": TREE_CLEAR}

# Toolbars load their bitmaps mapped to the system's colours, which maps colour table entries only: their
# strips have a colour table, with light grey as its own entry.
TOOLBAR_STRIPS = {"compose.bmp", "mainframe.bmp", "msgframe.bmp", "attachments.bmp", "editor.bmp", "addressbook.bmp",
                  "recipients.bmp", "accounts.bmp", "card.bmp"}

# The message list's images by resource id: sort arrows, attachment header and clip, blank, unread and read,
# flagged, high and low priority and their header, unread without a body, counted as read.
LIST_IMAGES = {
    148: lambda: drawn_triangle(True),
    149: lambda: drawn_triangle(False),
    206: "status/mail-attachment",
    207: blank,
    208: "status/mail-attachment",
    214: "apps/internet-mail",
    215: drawn_open_envelope,
    218: drawn_flag,
    222: lambda: drawn_priority(True),
    223: lambda: drawn_priority(False),
    224: lambda: drawn_priority(True),
    296: lambda: faded(tango("apps/internet-mail"), 0.55),
    297: lambda: faded(drawn_open_envelope(), 0.55),
    # The contact lists: their sort arrows and row image.
    258: lambda: drawn_triangle(False),
    259: lambda: drawn_triangle(True),
    260: "mimetypes/x-office-address-book",
}

ICONS = {
    "newmail.ico": "actions/mail-message-new",
    "host-mail.ico": "apps/internet-mail",
    "host-message.ico": lambda size: with_badge(tango("mimetypes/text-x-generic", size),
                                                tango("apps/internet-mail", size), size * 5 // 8),
    "host-contact.ico": "mimetypes/x-office-address-book",
    "addressbook.ico": "mimetypes/x-office-address-book",
}


def resolve(entry, size=16):
    if callable(entry):
        return entry()
    if isinstance(entry, tuple):
        return tango(entry[0], entry[1])
    return tango(entry, size)


def flatten(image, width, height, clear, blend_on):
    """The image centred on a width x height cell: mostly transparent pixels become the clear colour, the
    rest is blended on the colour it will be shown on; no opaque pixel may equal the clear colour."""
    cell = Image.new("RGBA", (width, height), (0, 0, 0, 0))
    cell.alpha_composite(image, ((width - image.width) // 2, (height - image.height) // 2))
    out = []
    for r, g, b, a in cell.getdata():
        if a < 64:
            out.append(clear)
            continue
        f = a / 255.0
        pixel = tuple(int(round(c * f + o * (1 - f))) for c, o in zip((r, g, b), blend_on))
        if pixel == clear:
            pixel = (pixel[0], pixel[1], pixel[2] ^ 1)
        out.append(pixel)
    return out


def write_bmp(path, width, height, pixels):
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixels[y * width + x]
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(data), 0, 0, 14 + len(header))
    with open(path, "wb") as f:
        f.write(file_header + header + data)


def write_strip(path, width, height, count):
    name = os.path.basename(path)
    if name == "splash.bmp":
        write_splash(path, width, height)
        return
    entries = STRIPS[name]
    if len(entries) != count:
        sys.exit("%s: %d images listed, %d asked for" % (name, len(entries), count))
    clear = STRIP_CLEAR.get(name, TOOLBAR_CLEAR)
    blend_on = (255, 255, 255) if clear == TREE_CLEAR else (212, 208, 200)
    cells = [flatten(resolve(entry), width, height, clear, blend_on) for entry in entries]
    pixels = []
    for y in range(height):
        for cell in cells:
            pixels.extend(cell[y * width:(y + 1) * width])
    if name in TOOLBAR_STRIPS:
        write_paletted_bmp(path, width * count, height, pixels, clear)
    else:
        write_bmp(path, width * count, height, pixels)


def write_paletted_bmp(path, width, height, pixels, clear):
    """An 8-bit bitmap: the clear colour is entry 255, the others share the remaining 255 entries. No other
    entry may be a colour that the mapping replaces (light grey, dark grey)."""
    opaque = [p for p in pixels if p != clear]
    palette = []
    indexes = iter([])
    if opaque:
        strip = Image.new("RGB", (len(opaque), 1))
        strip.putdata(opaque)
        reduced = strip.quantize(colors=255, method=Image.Quantize.MEDIANCUT)
        flat = reduced.getpalette()[:255 * 3]
        palette = [tuple(flat[i:i + 3]) for i in range(0, len(flat), 3)]
        indexes = iter(reduced.getdata())
    mapped_away = {(192, 192, 192), (128, 128, 128)}
    palette = [(r, g, b ^ 1) if (r, g, b) in mapped_away else (r, g, b) for r, g, b in palette]
    palette += [(0, 0, 0)] * (255 - len(palette)) + [clear]
    stride = (width + 3) & ~3
    rows = []
    data = [255 if p == clear else next(indexes) for p in pixels]
    for y in range(height - 1, -1, -1):
        row = bytes(data[y * width:(y + 1) * width])
        rows.append(row + b"\0" * (stride - width))
    bits = b"".join(rows)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(bits), 2835, 2835, 256, 0)
    offset = 14 + len(header) + len(table)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(file_header + header + table + bits)


def write_splash(path, width, height):
    image = Image.new("RGBA", (width, height))
    d = ImageDraw.Draw(image)
    top, bottom = SKY[1], SKY[2]
    for y in range(height):
        f = y / max(1, height - 1)
        d.line([(0, y), (width, y)], fill=tuple(int(t + (b - t) * f) for t, b in zip(top, bottom)) + (255,))
    icon_size = min(96, height - 16)
    icon = tango_large("apps/internet-mail", icon_size)
    image.alpha_composite(icon, (12, (height - icon.height) // 2))
    try:
        font = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", 26)
    except OSError:
        font = ImageFont.load_default()
    text_x = 12 + icon_size + 14
    d.text((text_x + 1, height // 2 - 15), "Vorn Email", font=font, fill=(0x20, 0x20, 0x20, 160))
    d.text((text_x, height // 2 - 16), "Vorn Email", font=font, fill=opaque(ALUMINIUM[0]))
    write_bmp(path, width, height, [p[:3] for p in image.getdata()])


def write_list(outdir):
    for image_id, entry in LIST_IMAGES.items():
        pixels = flatten(resolve(entry), 20, 16, LIST_CLEAR, (255, 255, 255))
        write_bmp(os.path.join(outdir, "list%d.bmp" % image_id), 20, 16, pixels)


def icon_image(image, size):
    """One icon image: BITMAPINFOHEADER (double height for the mask), 32-bit pixels, AND mask."""
    image = image.resize((size, size), Image.LANCZOS) if image.size != (size, size) else image
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    data = list(image.getdata())
    for y in range(size - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(size):
            r, g, b, a = data[y * size + x]
            pixels += bytes((b, g, r, a))
            if a < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(pixels) + bytes(mask)


def write_icon(path, index):
    entry = ICONS.get(os.path.basename(path))
    if entry is None:
        return False
    sizes = (16, 32)
    images = []
    for size in sizes:
        image = entry(size) if callable(entry) else tango(entry, size)
        images.append(icon_image(image, size))
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(data + b"".join(images))
    return True


def plain_glyphs(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    script = os.path.join(here, "..", "platform", "wtl", "MakeImages.py")
    subprocess.run([sys.executable, script] + argv, check=True)


def main():
    args = sys.argv[1:]
    if len(args) == 5 and args[0] == "bitmap":
        name = os.path.basename(args[1])
        if name in STRIPS or name == "splash.bmp":
            write_strip(args[1], int(args[2]), int(args[3]), int(args[4]))
        else:
            plain_glyphs(args)
    elif len(args) == 3 and args[0] == "icon":
        if not write_icon(args[1], int(args[2])):
            plain_glyphs(args)
    elif len(args) == 2 and args[0] == "list":
        write_list(args[1])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()

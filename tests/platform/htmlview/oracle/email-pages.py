#!/usr/bin/python3
# Assembles layout test pages from packages made for e-mail: the templates of npm's foundation-emails (MIT; its
# notice is in tests/data/html-layout/LICENSE.foundation-emails) with the stylesheet inlined as mail carries it,
# and what npm's mjml (MIT) makes of mjml-newsletter.mjml beside this script; every image is a data: PNG of its
# size, so that nothing is fetched. Run by hand, then chromium-boxes.py.
import base64
import io
import os
import re
import subprocess
import sys
import tarfile
import tempfile

from PIL import Image

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", ".."))
PAGES = os.path.join(ROOT, "tests", "data", "html-layout")
VERSION = "2.5.1"
MJML_VERSION = "4.18.0"
TEMPLATES = ["newsletter", "marketing"]


def png(w, h, colour=(160, 170, 180)):
    out = io.BytesIO()
    Image.new("RGB", (w, h), colour).save(out, "PNG")
    return "data:image/png;base64," + base64.b64encode(out.getvalue()).decode()


def placeholder(match):
    size = match.group(1).split("/")[0]
    w, _, h = size.partition("x")
    w = int(w)
    h = int(h) if h else w
    return 'src="' + png(w, h) + '"'


def main():
    work = tempfile.mkdtemp(prefix="foundation-emails-")
    subprocess.run(["npm", "pack", "foundation-emails@" + VERSION], cwd=work, check=True, capture_output=True)
    with tarfile.open(os.path.join(work, "foundation-emails-%s.tgz" % VERSION)) as tar:
        css = tar.extractfile("package/dist/foundation-emails.css").read().decode()
        for name in TEMPLATES:
            html = tar.extractfile("package/.download/templates/%s.html" % name).read().decode()
            html = re.sub(r'<link rel="stylesheet"[^>]*>', lambda m: "<style>\n" + css + "</style>", html)
            html = re.sub(r'src="http://placehold\.it/([^"]+)"', placeholder, html)
            out = os.path.join(PAGES, "foundation-emails-%s.html" % name)
            with open(out, "w") as f:
                f.write(html)
            print(os.path.relpath(out, ROOT))
    subprocess.run(["npm", "install", "--no-audit", "--no-fund", "mjml@" + MJML_VERSION], cwd=work, check=True,
                   capture_output=True)
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "mjml-newsletter.mjml")) as f:
        source = f.read()
    html = subprocess.run([os.path.join(work, "node_modules", ".bin", "mjml"), "-i", "-s"], input=source,
                          capture_output=True, text=True, check=True).stdout
    html = html.replace('src="BREAD"', 'src="' + png(200, 150, (210, 160, 90)) + '"')
    out = os.path.join(PAGES, "mjml-bakery-newsletter.html")
    with open(out, "w") as f:
        f.write(html)
    print(os.path.relpath(out, ROOT))


if __name__ == "__main__":
    sys.exit(main())

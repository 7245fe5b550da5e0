#!/usr/bin/python3
# Regenerates the layout expectations of tests/data/html-layout from headless Chromium: for each page at
# 800 px, the border boxes of cells, images, tables and block elements, and the boxes of the text lines of
# every text node. Run by hand after changing a page (not by ./test); installs Debian's chromium and
# fonts-liberation when missing.
#
# Output, one line per box, in document order:
#   box TAG ORDINAL X Y W H     ORDINAL counts the elements of TAG in document order from 0
#   text ORDINAL X Y W H        ORDINAL counts the text nodes that are not only white space
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", ".."))
PAGES = os.path.join(ROOT, "tests", "data", "html-layout")

# Walks the page once it has loaded (data: images decoded) and leaves the boxes in a PRE for --dump-dom.
PROBE = r"""<script id="orb-probe">
addEventListener('load', function () {
  var out = [], counts = {};
  var wanted = /^(TABLE|TR|TD|TH|IMG|P|DIV|CENTER|H[1-6]|UL|OL|LI|BLOCKQUOTE|PRE|CAPTION)$/;
  var all = document.getElementsByTagName('*');
  var f = function (v) { return (Math.round(v * 100) / 100).toString(); };
  for (var i = 0; i < all.length; i++) {
    var el = all[i];
    if (el.id == 'orb-probe') continue;
    var tag = el.tagName;
    counts[tag] = (counts[tag] || 0) + 1;
    if (!wanted.test(tag)) continue;
    var r = el.getBoundingClientRect();
    out.push(['box', tag.toLowerCase(), counts[tag] - 1, f(r.left + scrollX), f(r.top + scrollY), f(r.width),
              f(r.height)].join(' '));
  }
  var walker = document.createTreeWalker(document.documentElement, NodeFilter.SHOW_TEXT);
  var index = 0, t;
  while ((t = walker.nextNode())) {
    if (/^[ \t\n\r\f]*$/.test(t.data)) continue;
    var p = t.parentNode;
    if (p && /^(SCRIPT|STYLE|TITLE|HEAD)$/.test(p.tagName)) continue;
    var range = document.createRange();
    range.selectNodeContents(t);
    var rects = range.getClientRects();
    for (var k = 0; k < rects.length; k++) {
      var q = rects[k];
      if (q.width > 0 && q.height > 0)
        out.push(['text', index, f(q.left + scrollX), f(q.top + scrollY), f(q.width), f(q.height)].join(' '));
    }
    index++;
  }
  var pre = document.createElement('pre');
  pre.id = 'orb-boxes';
  pre.textContent = out.join('\n');
  document.documentElement.appendChild(pre);
});
</script>
"""

# The generic families resolve to the Liberation faces, as the viewer maps them under Wine.
FONTS_CONF = """<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
  <alias binding="strong"><family>serif</family><prefer><family>Liberation Serif</family></prefer></alias>
  <alias binding="strong"><family>sans-serif</family><prefer><family>Liberation Sans</family></prefer></alias>
  <alias binding="strong"><family>monospace</family><prefer><family>Liberation Mono</family></prefer></alias>
  <alias binding="strong"><family>Verdana</family><prefer><family>Liberation Sans</family></prefer></alias>
  <alias binding="strong"><family>Georgia</family><prefer><family>Liberation Serif</family></prefer></alias>
</fontconfig>
"""


def ensure_packages():
    missing = [p for p in ("chromium", "fonts-liberation")
               if subprocess.run(["dpkg-query", "-W", "-f=${Status}", p], capture_output=True,
                                 text=True).stdout.find("install ok installed") < 0]
    if missing:
        subprocess.run(["apt-get", "update", "-qq"], check=True)
        subprocess.run(["apt-get", "install", "-y", "-qq", "--no-install-recommends"] + missing, check=True,
                       env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))


def boxes_of(page, work):
    with open(page, encoding="utf-8") as f:
        html = f.read()
    probe_page = os.path.join(work, os.path.basename(page))
    with open(probe_page, "w", encoding="utf-8") as f:
        f.write(html + PROBE)
    env = dict(os.environ, FONTCONFIG_FILE=os.path.join(work, "fonts.conf"))
    cmd = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
           "--force-device-scale-factor=1", "--window-size=800,1000", "--host-resolver-rules=MAP * ~NOTFOUND",
           "--disable-remote-fonts", "--virtual-time-budget=5000", "--user-data-dir=" + os.path.join(work, "profile"),
           "--dump-dom", "file://" + probe_page]
    dom = subprocess.run(cmd, capture_output=True, text=True, env=env, timeout=120).stdout
    m = re.search(r'<pre id="orb-boxes">(.*?)</pre>', dom, re.S)
    if not m:
        raise RuntimeError("no boxes from Chromium for " + page)
    return m.group(1).replace("&amp;", "&").strip() + "\n"


def main():
    ensure_packages()
    pages = sorted(glob.glob(os.path.join(PAGES, "*.html")))
    if len(sys.argv) > 1:
        pages = [p for p in pages if any(a in os.path.basename(p) for a in sys.argv[1:])]
    work = tempfile.mkdtemp(prefix="chromium-boxes-")
    try:
        with open(os.path.join(work, "fonts.conf"), "w") as f:
            f.write(FONTS_CONF)
        for page in pages:
            out = os.path.splitext(page)[0] + ".boxes"
            with open(out, "w") as f:
                f.write(boxes_of(page, work))
            print(os.path.relpath(out, ROOT))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
# A real browser over the pages the editor's round-trip test wrote: headless Chromium's DOM of each page
# must hold the text, link targets and picture sources our engine reads from it (the test's .expect file).
# A PNG of each page as Chromium draws it is kept beside our viewer's, for a person to compare.
# Usage: ChromiumCheck.py <folder of pages> <screenshot folder>
import glob
import html.parser
import os
import subprocess
import sys


class CDomReader(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.words = []
        self.hrefs = []
        self.srcs = []
        self.skip = 0

    def handle_starttag(self, tag, attrs):
        values = dict(attrs)
        if tag in ('script', 'style', 'title'):
            self.skip += 1
        if tag == 'a' and values.get('href') is not None:
            self.hrefs.append(values['href'])
        if tag == 'img' and values.get('src') is not None:
            self.srcs.append(values['src'])

    def handle_endtag(self, tag):
        if tag in ('script', 'style', 'title') and self.skip:
            self.skip -= 1

    def handle_data(self, data):
        if not self.skip:
            self.words.extend(data.replace('\u00a0', ' ').split())


def chromium(*args):
    command = ['chromium', '--headless', '--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage',
               '--user-data-dir=' + os.path.join(os.environ.get('TMPDIR', '/tmp'), 'orb-chromium-%d' % os.getpid())]
    return subprocess.run(command + list(args), capture_output=True, timeout=120)


def main():
    folder, shots = sys.argv[1], sys.argv[2]
    os.makedirs(shots, exist_ok=True)
    pages = sorted(glob.glob(os.path.join(os.path.abspath(folder), '*.htm')))
    if not pages:
        print('no pages in', folder)
        return 1
    failures = 0
    for page in pages:
        name = os.path.splitext(os.path.basename(page))[0]
        expect = {'text': '', 'href': [], 'src': []}
        with open(os.path.splitext(page)[0] + '.expect', encoding='utf-8') as f:
            for line in f.read().splitlines():
                key, _, value = line.partition(' ')
                if key == 'text':
                    expect['text'] = value
                elif key in expect:
                    expect[key].append(value)
        dom = chromium('--dump-dom', 'file://' + page).stdout.decode('utf-8', 'replace')
        reader = CDomReader()
        reader.feed(dom)
        # The editor's words in their order among the browser's (which adds list markers of its own).
        words = iter(reader.words)
        missing = [w for w in expect['text'].split() if not any(w == seen for seen in words)]
        problems = []
        if missing:
            problems.append('text from %r on not in the DOM' % missing[0])
        problems += ['link %r not in the DOM' % h for h in expect['href'] if h not in reader.hrefs]
        problems += ['picture %r not in the DOM' % s for s in expect['src'] if s not in reader.srcs]
        chromium('--window-size=800,600', '--screenshot=' + os.path.join(shots, 'chromium-%s.png' % name),
                 'file://' + page)
        for problem in problems:
            print('%s: %s' % (name, problem))
        failures += len(problems) > 0
        print('%s: %s' % (name, 'ok' if not problems else 'FAILED'))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())

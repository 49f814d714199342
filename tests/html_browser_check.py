#!/usr/bin/env python3
"""The HTML page as a user sees it: a folder of hostile names listed with --format html, the page opened
in Debian's headless Chromium, and the DOM Chromium built compared with the folder: the same names as
text (escaped as the text view escapes them), no element a name smuggled in, the title as given, and every link
leading to the entry it names.

    html_browser_check.py ARBOLIN

Exits 77 (skipped) when chromium is not installed.
"""
import html.parser
import os
import shutil
import subprocess
import sys
import tempfile
import urllib.parse

HOSTILE = ['<img src=x onerror=alert(1)>', '"><script>document.title=1<\\script>', "it's & <b>bold",
           'a&amp;b', '50% #frag ?q=1', 'back\\slash', 'new\nline', '\u65e5\u672c\u8a9e.txt', ' lead']
FOLDERS = ['<details>', 'sub dir', 'sub dir/deeper', 'empty']


class Dom(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.tags, self.links, self.texts, self.title, self._in = [], [], [], '', []

    def handle_starttag(self, tag, attrs):
        self.tags.append(tag)
        self._in.append(tag)
        if tag == 'a':
            self.links.append(dict(attrs).get('href'))
            self.texts.append('')

    def handle_endtag(self, tag):
        while self._in and self._in.pop() != tag:
            pass

    def handle_data(self, data):
        if 'a' in self._in:
            self.texts[-1] += data
        if self._in and self._in[-1] == 'title':
            self.title += data


def main():
    arbolin = sys.argv[1]
    chromium = shutil.which('chromium')
    if chromium is None:
        print('skipped: chromium is not installed (apt-get install chromium)')
        return 77
    env = dict(os.environ, LC_ALL='C.UTF-8')
    with tempfile.TemporaryDirectory() as work:
        root = os.path.join(work, 'site')
        for folder in FOLDERS:
            os.makedirs(os.path.join(root, folder))
        for i, name in enumerate(HOSTILE):
            parent = root if i % 2 == 0 else os.path.join(root, FOLDERS[i % len(FOLDERS)])
            open(os.path.join(parent, name), 'w').close()
        # The names as the text view shows them: a backslash and a newline escaped C-style.
        want = [root]
        for parent, folders, files in os.walk(root):
            for name in folders + files:
                want.append(name.replace('\\', '\\\\').replace('\n', '\\n'))
        title = '</title><script>document.title=2</script>'
        page = os.path.join(root, 'index.html')
        subprocess.run([arbolin, '--format', 'html', '--title', title, '-o', page, root], env=env, check=True)
        profile = tempfile.mkdtemp(dir=work)
        dumped = subprocess.run(
            [chromium, '--headless', '--no-sandbox', f'--user-data-dir={profile}', '--disable-gpu',
             '--disable-background-networking', '--disable-component-update', '--disable-sync',
             '--no-first-run', '--dump-dom', 'file://' + urllib.parse.quote(page)],
            capture_output=True, timeout=120)
        if dumped.returncode != 0 or not dumped.stdout:
            print('chromium failed:', dumped.stderr.decode(errors='replace')[-2000:])
            return 1
        dom = Dom()
        dom.feed(dumped.stdout.decode('utf-8'))
        failures = []
        for smuggled in ('script', 'img', 'b'):
            if smuggled in dom.tags:
                failures.append(f'a <{smuggled}> element made it into the page')
        if dom.title != title:
            failures.append(f'title {dom.title!r}, expected {title!r}')
        got = sorted(t for t in dom.texts)
        if got != sorted(want):
            failures.append(f'names shown {got!r}\n  listing     {sorted(want)!r}')
        base = 'file://' + urllib.parse.quote(page)
        for href, text in zip(dom.links, dom.texts):
            target = urllib.parse.unquote(urllib.parse.urlparse(urllib.parse.urljoin(base, href)).path)
            if not os.path.lexists(target):
                failures.append(f'link {href!r} ({text!r}) leads to {target!r}, which does not exist')
        if dom.tags.count('details') != 1 + len(FOLDERS):
            failures.append(f'{dom.tags.count("details")} <details>, expected {1 + len(FOLDERS)}')
        for failure in failures:
            print('FAIL:', failure)
        print(f'{len(dom.texts)} names and links checked in the page Chromium built')
        return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())

#!/usr/bin/env python3
# Checks what `arbolin --gitignore --format json` listed for FOLDER against git itself: every path under
# FOLDER (but .git) that git does not ignore, and nothing else. A path under an ignored folder is ignored
# too; what git tracks is never ignored, nor are the folders holding it. A symbolic link is a file, as
# it is to git.
# Usage: gitignore_check.py LISTING.json WORKTREE FOLDER   (exit status 1, with the differences, when they differ)
import json, os, subprocess, sys
doc = json.load(open(sys.argv[1], encoding='utf-8'))
work, folder = sys.argv[2], sys.argv[3]
listed = set()
def walk(e, prefix):
    for k in e['children']:
        p = prefix + k['name']
        listed.add(p + ('/' if k['type'] == 'folder' else ''))
        if k['type'] == 'folder':
            walk(k, p + '/')
walk(doc, '')
paths = []
for d, dirs, files in os.walk(folder):
    if '.git' in dirs:
        dirs.remove('.git')
    # os.walk counts a link to a folder among the folders; to git (and arbolin) it is a file.
    links = [x for x in dirs if os.path.islink(os.path.join(d, x))]
    dirs[:] = [x for x in dirs if x not in links]
    files += links
    rel = os.path.relpath(d, work)
    rel = '' if rel == '.' else rel + '/'
    paths += [rel + x + '/' for x in dirs] + [rel + x for x in files]
# Asked without the trailing '/': check-ignore reads "dir/" as the folder's contents ("dir/*" matches it).
r = subprocess.run(['git', '-C', work, 'check-ignore', '--no-index', '--stdin', '-z'],
                   input='\0'.join(p.rstrip('/') for p in paths), capture_output=True, text=True)
assert r.returncode in (0, 1), r.stderr
ignored = set(r.stdout.split('\0')) - {''}
ignored |= {p + '/' for p in ignored}
# What git tracks is never ignored, nor are the folders holding it.
r = subprocess.run(['git', '-C', work, 'ls-files', '-z'], capture_output=True, text=True)
assert r.returncode == 0, r.stderr
tracked = set(r.stdout.split('\0')) - {''}
tracked |= {'/'.join(t.split('/')[:i]) + '/' for t in tracked for i in range(1, t.count('/') + 1)}
base = os.path.relpath(folder, work)
base = '' if base == '.' else base + '/'
want = set()
for p in paths:
    parts = p.rstrip('/').split('/')
    if p not in tracked and (any('/'.join(parts[:i]) + '/' in ignored for i in range(1, len(parts))) or p in ignored):
        continue
    want.add(p[len(base):])
if listed != want:
    print('--gitignore disagrees with git: listed, not wanted:', sorted(listed - want)[:10],
          'wanted, not listed:', sorted(want - listed)[:10], file=sys.stderr)
    sys.exit(1)

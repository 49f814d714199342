#!/usr/bin/env python3
# Compares what `arbolin -J` or `-X` wrote for FOLDER with what `tree -a -J` or `-X` wrote, as parsed
# documents: the same entries at the same places, each of the same type with the same fields and values.
# Order aside (arbolin lists folders first). Where tree's values are its own quirks, the file system is
# the reference: tree gives the root and a broken link inode and device 0, and a link its target's.
# The report: arbolin's counts are those of the entries it wrote, the root among the directories once it
# holds anything, as tree counts.
# Usage: tree_docs_check.py TREE_DOC ARBOLIN_DOC FOLDER  (exit status 1, with the differences, when they differ)
import json, os, sys
import xml.etree.ElementTree as ET

def read(path):
    text = open(path, encoding='utf-8').read()
    entries, report = {}, {}
    if text.lstrip().startswith('<'):
        root = ET.fromstring(text)
        def walk(e, prefix):
            name = e.get('name')
            path = prefix + name if prefix is not None else ''
            entries[path] = dict(e.attrib, type=e.tag)
            entries[path].pop('name')
            for k in e:
                walk(k, path + '/')
        for e in root:
            if e.tag == 'report':
                report = {k.tag: int(k.text) for k in e}
            else:
                walk(e, None)
    else:
        for e in json.loads(text):
            if e['type'] == 'report':
                report = {k: v for k, v in e.items() if k != 'type'}
                continue
            def walk(e, prefix):
                path = prefix + e['name'] if prefix is not None else ''
                entries[path] = {k: (str(v) if k != 'contents' else None) for k, v in e.items()
                                 if k not in ('name', 'contents')}
                for k in e.get('contents', []):
                    walk(k, path + '/')
            walk(e, None)
    return entries, report

tree, _ = read(sys.argv[1])
ours, report = read(sys.argv[2])
folder = sys.argv[3]
problems = []
if set(tree) != set(ours):
    problems.append('entries only in tree: %s; only in arbolin: %s' % (sorted(set(tree) - set(ours)),
                                                                   sorted(set(ours) - set(tree))))
for path in sorted(set(tree) & set(ours)):
    want, got = dict(tree[path]), ours[path]
    if path == '' or want['type'] == 'link':
        st = os.lstat(os.path.join(folder, path.lstrip('/')))
        for key, value in (('inode', st.st_ino), ('dev', st.st_dev)):
            if key in want:
                want[key] = str(value)
    if want != got:
        problems.append('%s: tree %s, arbolin %s' % (path or '(root)', want, got))
folders = sum(1 for p, e in ours.items() if p and e['type'] == 'directory')
if report != {'directories': folders + (len(ours) > 1), 'files': len(ours) - 1 - folders}:
    problems.append('report %s for %d folders and %d files' % (report, folders, len(ours) - 1 - folders))
for p in problems:
    print(p)
sys.exit(1 if problems else 0)

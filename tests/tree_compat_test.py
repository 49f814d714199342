#!/usr/bin/env python3
"""tree's command lines run by tree and by arbolin on the same folders: both outputs are read back into
entries (nesting, name, field values) and compared, the order aside where arbolin's folder-first order is
meant to differ. Usage: tree_compat_test.py ARBOLIN. Exit 0 when all agree, 77 when tree is missing."""
import os
import re
import shutil
import subprocess
import sys
import tempfile

failures = []
FOLDERS = set()  # the paths of D's folders, as tree -d lists them
ANSI = re.compile(r"\x1b\[[0-9;]*m")
# tree's pieces (UTF-8 and --charset ascii), four columns a level, and arbolin's, two: the columns above
# an entry, then the piece that leads to it.
TREE_COLUMNS = ("\u2502\u00a0\u00a0 ", "\u2502   ", "    ", "|   ")
TREE_LEADS = ("\u251c\u2500\u2500 ", "\u2514\u2500\u2500 ", "|-- ", "`-- ")
ARBOLIN_COLUMNS = (" \u2502", "  ", " |")
ARBOLIN_LEADS = (" \u251c", " \u2514", " +", " `")


def run(argv, cwd, stdin=None):
    env = dict(os.environ, LC_ALL="C.UTF-8", TZ="UTC")
    env.pop("LS_COLORS", None)
    out = subprocess.run(argv, cwd=cwd, input=stdin, capture_output=True, env=env)
    return out.returncode, out.stdout.decode("utf-8", "surrogateescape"), out.stderr.decode()


def strip_pieces(line, columns, leads):
    """(depth, the rest): the columns, then the lead piece; a line without one (the root, -i) is depth 0."""
    depth, rest = 0, line
    while True:
        lead = next((p for p in leads if rest.startswith(p)), None)
        if lead is not None:
            return depth + 1, rest[len(lead):]
        column = next((p for p in columns if rest.startswith(p)), None)
        if column is None:
            return 0, line
        depth, rest = depth + 1, rest[len(column):]


def tree_entries(text, links=True):
    """[(depth, name, fields)] of tree's text: the fields are the words of its [...] before the name; a
    link's " -> target" is left out (`links`)."""
    rows = []
    for line in ANSI.sub("", text).splitlines():
        if not line:
            continue
        depth, rest = strip_pieces(line, TREE_COLUMNS, TREE_LEADS)
        fields = []
        bracket = re.match(r"^\[([^\]]*)\]\s+(.*)$", rest)
        if bracket:
            fields, rest = bracket.group(1).split(), bracket.group(2)
        rows.append((depth, rest.split(" -> ")[0] if links else rest, fields))
    return rows


def arbolin_entries(text, nfields=0):
    """The same of arbolin's text: a folder is "[ name ]"; the fields are the first `nfields` words."""
    rows = []
    for line in ANSI.sub("", text).splitlines():
        if not line:
            continue
        depth, rest = strip_pieces(line, ARBOLIN_COLUMNS, ARBOLIN_LEADS)
        words = rest.split()
        fields = words[:nfields]
        for word in fields:
            rest = rest[rest.index(word) + len(word):]
        name = rest.strip(" ") if nfields else rest.lstrip(" ") if depth else rest
        folder = re.fullmatch(r"\[ (.*) \]", name)
        rows.append((depth, folder.group(1) if folder else name, fields))
    return rows


def paths(rows):
    """Each entry as (path of names from the root, fields), in order."""
    stack, out = [], []
    for depth, name, fields in rows:
        del stack[depth:]
        stack.append(name)
        out.append(("/".join(stack), tuple(fields)))
    return out


def siblings_in_order(entries):
    """For each folder, its entries' names in their order."""
    order = {}
    for path, _ in entries:
        parent, _, name = path.rpartition("/")
        order.setdefault(parent, []).append(name)
    return order


def check(label, tree_args, arbolin_args, cwd, order="set", stdin=None, nfields=0, links=True, expect=None):
    """order: "set" (entries and values only), "exact" (the same lines in the same order). `expect`, when
    given, turns tree's entries into the ones arbolin should list."""
    tree_rc, tree_out, tree_err = run(["tree", "-a", "--noreport"] + tree_args, cwd, stdin)
    ours_rc, ours_out, ours_err = run([ARBOLIN] + arbolin_args, cwd, stdin)
    if ours_rc != 0 or tree_rc != 0:
        failures.append("%s: exit %d (tree %d): %s%s" % (label, ours_rc, tree_rc, ours_err, tree_err))
        return
    theirs, ours = paths(tree_entries(tree_out, links)), paths(arbolin_entries(ours_out, nfields))
    if expect is not None:
        theirs = expect(theirs)
    same = theirs == ours if order == "exact" else sorted(theirs) == sorted(ours)
    if not same:
        failures.append("%s:\n  tree:    %s\n  arbolin: %s" % (label, theirs, ours))
    return ours_out


def make_folder(top):
    """D: folders, files of three sizes, a hidden file and folder, a FIFO; L: links to a folder outside it
    (arbolin lists links with the files, tree with the folders); W: hostile names."""
    d = os.path.join(top, "D")
    for sub in ("alpha/beta/gamma", "delta", "empty", ".hidden_dir"):
        os.makedirs(os.path.join(d, sub))
    for name, size in (("a.txt", 3), ("alpha/b.C", 1500), ("alpha/beta/c.c", 20000), ("alpha/beta/gamma/d.md", 0),
                       ("delta/e.txt", 7), (".hidden", 1), ("delta/Upper.TXT", 2)):
        with open(os.path.join(d, name), "wb") as f:
            f.write(b"x" * size)
    os.makedirs(os.path.join(top, "L", "real"))
    open(os.path.join(top, "L", "real", "inside"), "w").close()
    os.makedirs(os.path.join(top, "Out"))
    open(os.path.join(top, "Out", "target_file"), "w").close()
    os.symlink("../Out", os.path.join(top, "L", "link_out"))
    os.mkfifo(os.path.join(d, "fifo"))
    # Distinct times, oldest first in path order, for -t (the deepest set last: setting a child's time
    # leaves its folder's alone).
    found = [os.path.join(root, n) for root, dirs, files in os.walk(d) for n in dirs + files]
    for i, path in enumerate(sorted(found)):
        os.utime(path, (1700000000 + i * 3600, 1700000000 + i * 3600), follow_symlinks=False)
    w = os.path.join(top, "W")
    os.makedirs(w)
    for name in ("ctl\x01x", "tab\tname", "back\\slash", "plain"):
        open(os.path.join(w, name), "wb").close()
    with open(os.path.join(top, "rules"), "w") as f:
        f.write("*.txt\n!a.txt\n*.C\n# a comment\n")
    with open(os.path.join(top, "list1"), "w") as f:
        f.write("a/b\na/c\nd\n")
    with open(os.path.join(top, "list2"), "w") as f:
        f.write("x/y\nz -> q\n")
    with open(os.path.join(top, "intro.html"), "w") as f:
        f.write("<!-- my intro -->\n")
    with open(os.path.join(top, "outro.html"), "w") as f:
        f.write("<!-- my outro -->\n")


def under_beta(entries):
    """What -P beta --matchdirs lists, from the whole listing: the folders, and the files in a folder
    named beta at any depth below it (tree 2.1.0 itself lists none of them)."""
    return [(p, f) for p, f in entries if p in FOLDERS or "/beta/" in p]


def html_links(text):
    """The links of a page, each without a trailing '/', as a set."""
    return {h.rstrip("/") for h in re.findall(r'<a href="([^"]*)"', text)}


def check_html(top):
    _, theirs, _ = run(["tree", "-a", "--noreport", "-H", ".", "-T", "Title of D", "D"], top)
    _, ours, _ = run([ARBOLIN, "-H", ".", "-T", "Title of D", "D"], top)
    # tree's links start at the folder it lists: "./D/alpha"; ours at the page beside it: "./alpha".
    theirs_links = {re.sub(r"^\./D(?=/|$)", ".", h) for h in html_links(theirs)}
    if theirs_links != html_links(ours):
        failures.append("-H: links differ\n  tree:    %s\n  arbolin: %s" % (sorted(theirs_links), sorted(html_links(ours))))
    for page, who in ((theirs, "tree"), (ours, "arbolin")):
        if "<title>Title of D</title>" not in page:
            failures.append("-T: no title in %s's page" % who)
    # tree writes the title as it is; arbolin escapes it.
    _, ours, _ = run([ARBOLIN, "-T", "<b>&", "-H", ".", "D"], top)
    if "<title>&lt;b&gt;&amp;</title>" not in ours:
        failures.append("-T: the title is not escaped")
    _, theirs, _ = run(["tree", "-a", "--noreport", "-H", ".", "--nolinks", "D"], top)
    _, ours, _ = run([ARBOLIN, "-H", ".", "--nolinks", "D"], top)
    if "<a href" in ours or "<a href" in theirs:
        failures.append("--nolinks: a link is left")
    _, ours, _ = run([ARBOLIN, "-H", ".", "--hintro", "intro.html", "--houtro=outro.html", "D"], top)
    if not ours.startswith("<!-- my intro -->\n<details open>") or not ours.endswith("</details>\n<!-- my outro -->\n"):
        failures.append("--hintro/--houtro: the page does not start and end with the files: %r" % ours[:80])


def check_colour(top):
    """-C colours names in both (the sequences themselves are compared elsewhere), -n in neither; the
    entries stay the same."""
    for flags, coloured in ((["-C"], True), (["-n"], False), (["-C", "-n"], False), (["-n", "-C"], True)):
        _, ours, _ = run([ARBOLIN] + flags + ["D"], top)
        if ("\x1b[" in ours) != coloured:
            failures.append("%s: colour %s expected" % (" ".join(flags), "" if coloured else "not"))
    check("-C", ["-C", "--dirsfirst", "D"], ["-C", "D"], top, order="exact")


def main():
    if shutil.which("tree") is None:
        print("tree is not installed: skipped")
        return 77
    top = tempfile.mkdtemp(prefix="tree_compat.")
    try:
        make_folder(top)
        FOLDERS.update(p for p, _ in paths(tree_entries(run(["tree", "-a", "-d", "D"], top)[1])))
        # The order is the same where both put folders first (tree --dirsfirst) and names sort alike.
        rows = [
            ("-a (accepted)", ["--dirsfirst", "D"], ["-a", "D"], "exact"),
            ("--noreport, --dirsfirst", ["--dirsfirst", "D"], ["--noreport", "--dirsfirst", "D"], "exact"),
            ("--filesfirst", ["--filesfirst", "D"], ["--filesfirst", "D"], "exact"),
            ("-d", ["-d", "D"], ["-d", "D"], "exact"),
            ("-f", ["-f", "--dirsfirst", "D"], ["-f", "D"], "exact"),
            ("-i", ["-i", "--dirsfirst", "D"], ["-i", "D"], "exact"),
            ("-fi bundled", ["-fi", "--dirsfirst", "D"], ["-fi", "D"], "exact"),
            ("-fid bundled", ["-fid", "D"], ["-fid", "D"], "exact"),
            ("-q", ["-q", "W"], ["-q", "W"], "set"),
            ("-Q", ["-Q", "D"], ["-Q", "D"], "set"),
            ("-U", ["-U", "D"], ["-U", "D"], "set"),
            ("-L2", ["-L", "2", "D"], ["-L2", "D"], "set"),
            ("-dL1 bundled", ["-d", "-L", "1", "D"], ["-dL1", "D"], "exact"),
            ("--charset ascii", ["--charset", "ascii", "--dirsfirst", "D"], ["--charset=ASCII", "D"], "exact"),
            ("--charset utf-8", ["--charset", "utf-8", "D"], ["--charset", "utf-8", "D"], "set"),
            ("-n", ["-n", "D"], ["-n", "D"], "set"),
            ("-I", ["-I", "*.txt|gamma", "D"], ["-I", "*.txt|gamma", "D"], "set"),
            ("--ignore-case", ["--ignore-case", "-I", "*.c", "D"], ["--ignore-case", "-I", "*.c", "D"], "set"),
            ("-P --ignore-case --prune", ["-P", "*.txt", "--ignore-case", "--prune", "D"],
             ["-P", "*.txt", "--ig", "--prune", "D"], "set"),
            ("--matchdirs", ["D"], ["-P", "beta", "--matchdirs", "D"], "set", {"expect": under_beta}),
            ("--gitfile", ["--gitfile", "rules", "D"], ["--gitfile", "rules", "D"], "set"),
            ("-l", ["-l", "L"], ["-l", "L"], "set"),
            ("-s", ["-s", "D"], ["-s", "D"], "set", {"nfields": 1}),
            ("-h and --hum", ["-h", "D"], ["--hum", "D"], "set", {"nfields": 1}),
            ("-h", ["-h", "D"], ["-h", "D"], "set", {"nfields": 1}),
            ("--si", ["--si", "D"], ["--si", "D"], "set", {"nfields": 1}),
            ("-ps bundled", ["-ps", "D"], ["-ps", "D"], "set", {"nfields": 2}),
            ("-pD --timefmt", ["-pD", "--timefmt", "%Y-%m-%d %H:%M", "D"], ["-pD", "--timefmt", "%Y-%m-%d %H:%M", "D"],
             "set", {"nfields": 3}),
            # arbolin's -t is ls's, newest first; tree's lists the oldest first.
            ("-t", ["-rt", "--dirsfirst", "D"], ["-t", "D"], "exact"),
            ("-rt bundled", ["-t", "--dirsfirst", "D"], ["-rt", "D"], "exact"),
            ("-v", ["-v", "--dirsfirst", "D"], ["-v", "D"], "exact"),
            ("-ofile", ["-o", "out.tree", "D"], ["-oout.arbolin", "D"], "set"),
        ]
        for label, tree_args, arbolin_args, order, *extra in rows:
            check(label, tree_args, arbolin_args, top, order, **(extra[0] if extra else {}))
        # -o: both wrote files; compared as read back.
        with open(os.path.join(top, "out.tree")) as t, open(os.path.join(top, "out.arbolin")) as a:
            if sorted(paths(tree_entries(t.read()))) != sorted(paths(arbolin_entries(a.read()))):
                failures.append("-o: the files differ")
        # --fromfile in tree's forms: several files, '.' for standard input, --fflinks.
        check("--fromfile, two files", ["--fromfile", "list1", "list2"], ["--fromfile", "list1", "list2"], top,
              "exact", links=False)
        check("--fromfile .", ["--fromfile", "."], ["--fromfile", "."], top, "exact", stdin=b"a/b\nc\n")
        tree_rc, tree_out, _ = run(["tree", "--fromfile", "--fflinks", "--noreport", "list2"], top)
        _, ours, _ = run([ARBOLIN, "--fromfile", "--fflinks", "list2"], top)
        if paths(tree_entries(tree_out)) != paths(arbolin_entries(ours)):
            failures.append("--fflinks: %r against %r" % (tree_out, ours))
        check_html(top)
        check_colour(top)
        # What tree takes and arbolin refuses, each with its reason and exit 64.
        for refused in (["-N"], ["-R"], ["-A"], ["-S"], ["--info"], ["--infofile", "x"], ["--charset", "latin1"]):
            rc, out, err = run([ARBOLIN] + refused + ["D"], top)
            if rc != 64 or out or "arbolin: " not in err or len(err.splitlines()) != 1:
                failures.append("%s: exit %d, %r" % (" ".join(refused), rc, err))
    finally:
        shutil.rmtree(top)
    for f in failures:
        print("FAIL", f)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    ARBOLIN = os.path.abspath(sys.argv[1])
    sys.exit(main())

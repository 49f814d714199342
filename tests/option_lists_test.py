#!/usr/bin/env python3
"""Checks that `arbolin --help`, the option table (as arbolin_option_list prints it), the man page and the
bash, zsh and fish completions name the same options and the same value words, that the bash completion
completes them when bash runs it, and that the program, the built man page and the About box show one
version. Usage: option_lists_test.py ARBOLIN OPTION_LIST SOURCE_DIR BUILD_DIR. Exit status 0 when all agree."""
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def help_options(text):
    """{name: value words} from the option lines of the help (two spaces, then '-' and a name)."""
    found = {}
    for line in text.splitlines():
        head = re.match(r"^  (-[A-Za-z0-9?]|--[a-z0-9][a-z0-9-]*)((?:, --[a-z0-9][a-z0-9-]*)?)(\S*)(?: (\S+))?", line)
        if head:
            words = set()
            for value in (head.group(3), head.group(4) or ""):
                value = value.strip("[]=")
                if re.fullmatch(r"[a-z0-9-]+(\|[a-z0-9-]+)+", value):
                    words = set(value.split("|"))
            for name in [head.group(1)] + re.findall(r"--[a-z0-9-]+", head.group(2)):
                if words or name not in found:  # "--format html" goes on about one of --format's words
                    found[name] = words
    return found


def table_options(listing):
    """{name: value words} of the option table: arbolin_option_list's lines, fields separated by tabs
    (short, long, argument, value name, words with their refusals after ':', ...)."""
    found = {}
    for line in listing.splitlines():
        fields = line.split("\t")
        words = {w.split(":")[0] for w in fields[4].split()}
        for name in ["-" + fields[0]] * bool(fields[0]) + ["--" + fields[1]] * bool(fields[1]):
            found[name] = words
    return found


def table_attached(listing):
    """The long names whose value only follows an '=' (--color=WHEN)."""
    return {"--" + f[1] for f in (line.split("\t") for line in listing.splitlines()) if f[2] == "attached"}


def man_options(page):
    """{name: value words} from the tags (the line after .TP) of the OPTIONS section."""
    section = re.search(r"\n\.SH OPTIONS\n(.*?)(?=\n\.SH )", page, re.S)
    found = {}
    if not section:
        return found
    lines = section.group(1).splitlines()
    for i, line in enumerate(lines[:-1]):
        if line == ".TP":
            tag = re.sub(r"\\f[BIRP]", "", lines[i + 1]).replace("\\-", "-")
            words = re.search(r"[a-z0-9-]+(\|[a-z0-9-]+)+", tag.split(" ", 1)[1] if " " in tag else "")
            for name in re.findall(r"(?<![\w-])(--?[A-Za-z0-9][a-z0-9-]*)", tag):
                found[name] = set(words.group(0).split("|")) if words else set()
    return found


def bash_options(script):
    listed = re.search(r"compgen -W '([^']*)' -- \"\$cur\"\)\n\s*\[\[", script)
    return {n.rstrip("=") for n in listed.group(1).split()} if listed else set()


def zsh_options(script):
    names = set()
    for line in re.findall(r"^  (.*) \\$", script, re.M):
        head = re.sub(r"^'(\([^)]*\)|\*)?'?", "", line)
        for name in re.findall(r"(?:^|[{,])(--?[A-Za-z0-9][a-z0-9-]*)", head.split("[", 1)[0]):
            names.add(name.rstrip("=+"))
    return names


def fish_options(script):
    names = set()
    for line in script.splitlines():
        flags = line.split(" -d ", 1)[0]  # the description may quote options ("as ls -l writes them")
        names.update("-" + s for s in re.findall(r" -s (\S)", flags))
        names.update("--" + l for l in re.findall(r" -l (\S+)", flags))
    return names


def complete(bash_file, words, cwd):
    """What the bash completion offers for the command line `words`, its last word being completed."""
    line = " ".join(words)
    array = " ".join("'%s'" % w for w in words)
    # compopt works only while readline completes: here it is a no-op.
    script = ('compopt() { :; }; source "$1"; COMP_WORDS=(%s); COMP_CWORD=%d; COMP_LINE=%s; COMP_POINT=${#COMP_LINE}; '
              '_arbolin; printf "%%s\\n" "${COMPREPLY[@]}"' % (array, len(words) - 1, "'%s'" % line))
    out = subprocess.run(["bash", "-c", script, "bash", str(bash_file)], capture_output=True, text=True, cwd=cwd)
    check(out.returncode == 0 and not out.stderr, "bash completion of %r failed: %s" % (words, out.stderr))
    return sorted(w for w in out.stdout.split("\n") if w)


# Option rows of the forms the table may hold (as arbolin_option_list prints them), and what bash must then
# offer ('' completes an empty word).
FORMS_TABLE = "".join("\t".join(row) + "\n" for row in [
    ("", "color", "attached", "WHEN", "always auto never", "compat", "0", "colour"),
    ("", "fromfile", "none", "FILE", "", "", "0", "read the paths from FILE"),
    ("", "sort", "required", "", "name size:fromfile,parse", "", "0", "the order"),
    ("0", "null", "none", "", "", "", "0", "NUL ends"),
    ("L", "depth", "required", "N", "", "", "0", "depth"),
])
FORMS_CASES = [
    (["--color", "=", ""], ["always", "auto", "never"]),
    (["--color", "=", "al"], ["always"]),
    (["--color", ""], ["sub folder"]),  # the value only after '=': here the operand
    (["--fromfile", ""], ["file.txt", "sub folder"]),
    (["--sort", ""], ["name", "size"]),
    (["--sort", "=", "s"], ["size"]),
    (["-0", ""], ["sub folder"]),
    (["--nu"], ["--null"]),
    (["--col"], ["--color="]),
    (["-L", ""], []),
]


def check_forms(script, scratch):
    """completions.py reads each form of row, and refuses a line it cannot read."""
    out = Path(tempfile.mkdtemp())
    run = subprocess.run([sys.executable, script, "-", str(out)], input=FORMS_TABLE, capture_output=True, text=True)
    check(run.returncode == 0, "completions.py refuses the forms' table: " + run.stderr)
    if run.returncode == 0:
        for words, expected in FORMS_CASES:
            got = complete(out / "arbolin.bash", ["arbolin"] + words, scratch)
            check(got == expected, "forms: bash offers %s for %r, not %s" % (got, words, expected))
    for bad in ("\tpieces\trequired\t\tutf8 ascii\n", "\tpieces\tmaybe\t\t\t\t0\tthe pieces\n", ""):
        refused = subprocess.run([sys.executable, script, "-", str(out)], input=bad, capture_output=True, text=True)
        check(refused.returncode == 1 and "completions.py: " in refused.stderr,
              "completions.py accepts the table %r" % bad)
    shutil.rmtree(out)


def main(arbolin, option_list, source_dir, build_dir):
    source_dir, build_dir = Path(source_dir).resolve(), Path(build_dir).resolve()
    packaging = build_dir / "packaging"
    helped = help_options(subprocess.run([arbolin, "--help"], capture_output=True, text=True, check=True).stdout)
    man = man_options((source_dir / "docs/man/arbolin.1").read_text())
    listing = subprocess.run([option_list], capture_output=True, text=True, check=True).stdout
    table = table_options(listing)
    bash_file = packaging / "arbolin.bash"
    lists = {
        "the option table": set(table),
        "docs/man/arbolin.1": set(man),
        "the bash completion": bash_options(bash_file.read_text()),
        "the zsh completion": zsh_options((packaging / "_arbolin").read_text()),
        "the fish completion": fish_options((packaging / "arbolin.fish").read_text()),
    }
    check(len(helped) >= 10, "only %d options read from --help" % len(helped))
    for where, names in lists.items():
        for name in sorted(set(helped) - names):
            failures.append("%s is in --help but not in %s" % (name, where))
        for name in sorted(names - set(helped)):
            failures.append("%s is in %s but not in --help" % (name, where))

    # Value words: the man page's tag, and what bash offers, in both spellings (--x w and --x=w).
    with tempfile.TemporaryDirectory() as scratch:
        (Path(scratch) / "sub folder").mkdir()
        (Path(scratch) / "file.txt").write_text("")
        for name, words in sorted(helped.items()):
            if not words:
                continue
            if man.get(name):
                check(man[name] == words, "%s: --help offers %s, the man page %s" % (name, words, man[name]))
            check(table.get(name) == words, "%s: --help offers %s, the table %s" % (name, words, table.get(name)))
        # Every word of the table, in both spellings (--x w and --x=w; only the latter for --color=WHEN).
        for name, words in sorted(table.items()):
            if not words:
                continue
            if name not in table_attached(listing):
                check(complete(bash_file, ["arbolin", name, ""], scratch) == sorted(words),
                      "bash: %s '' does not offer %s" % (name, sorted(words)))
            if name.startswith("--"):
                got = complete(bash_file, ["arbolin", name, "=", ""], scratch)
                check(got == sorted(words), "bash: %s= offers %s, not %s" % (name, got, sorted(words)))
        check(complete(bash_file, ["arbolin", "--encoding", ""], scratch) == ["sjis", "utf8"],
              "bash: --encoding '' does not offer sjis utf8")
        check(complete(bash_file, ["arbolin", "--enc"], scratch) == ["--encoding"], "bash: --enc is not completed")
        check(complete(bash_file, ["arbolin", "--no-f"], scratch) == ["--no-file-names", "--no-folder-names"],
              "bash: --no-f does not offer the two --no-f... options")
        check(complete(bash_file, ["arbolin", "-L", ""], scratch) == [], "bash: a depth is completed with names")
        check(complete(bash_file, ["arbolin", ""], scratch) == ["sub folder"],
              "bash: the operand does not complete to folders only")
        check(complete(bash_file, ["arbolin", "-o", ""], scratch) == ["file.txt", "sub folder"],
              "bash: -o does not complete file names")
        check_forms(source_dir / "scripts/completions.py", scratch)

    # One version for the program and the built man page; the About box's own text.
    version = subprocess.run([arbolin, "--version"], capture_output=True, text=True).stdout.strip()
    check(re.fullmatch(r"arbolin \d+\.\d+(\.\d+)?", version) is not None, "--version prints %r" % version)
    th = re.search(r'^\.TH .*"(arbolin [^"]*)"', (packaging / "arbolin.1").read_text(), re.M)
    check(th is not None and th.group(1) == version, "the built man page's .TH says %s, not %s" % (
        th.group(1) if th else "nothing", version))
    # The About box keeps the Windows program's own text, whatever the command line's version.
    about = (build_dir / "generated/arbolin_version.h").read_text()
    check('"Version 2.01"' in about, "the About box's text is not the Windows program's 'Version 2.01'")

    for failure in failures:
        print("option lists: " + failure)
    print("option lists: %d options in --help, %s" % (len(helped), "all agree" if not failures else "FAILED"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]) if len(sys.argv) == 5 else 64)

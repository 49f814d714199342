#!/usr/bin/env python3
"""Writes the bash, zsh and fish completions of `arbolin` from its option table, as the build tool
arbolin_option_list prints it (one option a line, tab-separated fields: see src/cli/option_list.cpp).
Usage: completions.py OPTION_LIST OUTDIR (runs OPTION_LIST; '-' reads its text from standard input).
Writes OUTDIR/arbolin.bash, OUTDIR/_arbolin and OUTDIR/arbolin.fish.

A value named FILE or PATH completes file names, FOLDER or DIR folder names, a value with words those
words; the operand FOLDER completes folder names. An option without an argument that names a value
(--fromfile FILE) gives the operand that meaning: the next word completes as that value."""
import subprocess
import sys
from pathlib import Path

FIELDS = 8


class Option:
    def __init__(self, short, long, argument, value, words, repeatable, summary):
        self.names = ["-" + short] * bool(short) + ["--" + long] * bool(long)  # ["-L", "--depth"]
        self.words = [w.split(":")[0] for w in words.split()]  # a word's refusals follow a colon
        self.value = value or "|".join(self.words)  # "N", "WHEN", "utf8|sjis", "" for none
        # "", "required", "attached" (--x=V only) or "optional" (the next word, when it is no option)
        self.value_kind = {"required": "required", "attached": "attached"}.get(argument, "optional" if value else "")
        self.repeatable = repeatable == "1"
        self.line = summary
        self.files = value in ("FILE", "PATH")
        self.folders = value in ("FOLDER", "DIR")

    @property
    def short(self):
        return [n[1:] for n in self.names if not n.startswith("--")]

    @property
    def long(self):
        return [n[2:] for n in self.names if n.startswith("--")]

    def summary(self):
        return self.line


def read_table(text):
    """The options of the table, in its order; raises ValueError on a line it cannot read."""
    options = []
    for line in text.splitlines():
        fields = line.split("\t")
        if len(fields) != FIELDS or not (fields[0] or fields[1]) or fields[2] not in ("none", "required", "attached"):
            raise ValueError("cannot read the option line: " + line)
        short, long, argument, value, words, _refused, repeatable, summary = fields
        options.append(Option(short, long, argument, value, words, repeatable, summary))
    if not options:
        raise ValueError("no options in the table")
    return options


def sh_quote(text):
    return "'" + text.replace("'", "'\\''") + "'"


def bash(options):
    all_names = []
    for o in options:
        for n in o.names:
            all_names.append(n + "=" if n.startswith("--") and o.value_kind == "attached" else n)
    cases = []
    for o in options:
        if not o.value_kind or o.value_kind == "optional" and not (o.files or o.folders or o.words):
            continue
        if o.words:
            action = 'mapfile -t COMPREPLY < <(compgen -W %s -- "$cur")' % sh_quote(" ".join(sorted(o.words)))
        elif o.folders:
            action = 'compopt -o filenames; mapfile -t COMPREPLY < <(compgen -d -- "$cur")'
        elif o.files:
            action = 'compopt -o filenames; mapfile -t COMPREPLY < <(compgen -f -- "$cur")'
        else:
            action = ":"  # a number or a pattern: nothing to offer
        if o.value_kind == "attached":
            pattern = "|".join(n + "=" for n in o.names if n.startswith("--"))
        elif o.value_kind == "optional":
            pattern = "|".join(o.names)
        else:
            pattern = "|".join(o.names + [n + "=" for n in o.names if n.startswith("--")])
        cases.append("        %s) %s; return ;;" % (pattern, action))
    return """# bash completion for arbolin, written from arbolin's option table by scripts/completions.py: do not edit.
_arbolin() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    # bash splits --option=value at '=': the option is then one or two words back.
    if [[ $cur == = ]]; then
        prev+="="; cur=
    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
        prev=${COMP_WORDS[COMP_CWORD - 2]}=
    fi
    case $prev in
%s
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W %s -- "$cur")
        [[ ${#COMPREPLY[@]} == 1 && ${COMPREPLY[0]} == *= ]] && compopt -o nospace
        return
    fi
    compopt -o filenames
    mapfile -t COMPREPLY < <(compgen -d -- "$cur")
}
complete -F _arbolin arbolin
""" % ("\n".join(cases), sh_quote(" ".join(all_names)))


def zsh_escape(text):
    return text.replace("\\", "\\\\").replace("'", "'\\''")


def zsh(options):
    lines = []
    for o in options:
        if o.words:
            action = "(%s)" % " ".join(o.words)
        elif o.files:
            action = "_files"
        elif o.folders:
            action = "_files -/"
        else:
            action = " "
        message = "value" if "|" in o.value else o.value.lower()
        repeat = "*" if o.repeatable else ""
        heads = []
        for n in o.names:
            if not o.value_kind:
                heads.append(n)
            elif n.startswith("--"):
                heads.append(n + ("=-" if o.value_kind == "attached" else "" if o.value_kind == "optional" else "="))
            else:
                heads.append(n + "+")
        argument = ""
        if o.value_kind in ("attached", "optional"):
            argument = "::%s:%s" % (message, action)
        elif o.value_kind:
            argument = ":%s:%s" % (message, action)
        description = "[%s]" % zsh_escape(o.summary())
        # A repeatable option stays on offer; any other is offered until one of its names is given.
        prefix = repeat or "(%s)" % " ".join(o.names)
        if len(heads) == 1:
            lines.append("'%s%s%s%s'" % (prefix, heads[0], description, argument))
        else:
            lines.append("'%s'{%s}'%s%s'" % (prefix, ",".join(heads), description, argument))
    return """#compdef arbolin
# zsh completion for arbolin, written from arbolin's option table by scripts/completions.py: do not edit.
_arguments -s -S \\
  %s \\
  '*:folder:_files -/'
""" % " \\\n  ".join(lines)


def fish(options):
    lines = ["# fish completion for arbolin, written from arbolin's option table by scripts/completions.py: do not edit.",
             "complete -c arbolin -f -a '(__fish_complete_directories (commandline -ct))'"]
    for o in options:
        parts = ["complete -c arbolin"]
        parts += ["-s " + s for s in o.short] + ["-l " + n for n in o.long]
        if o.words:
            parts += ["-x" if o.value_kind == "required" else "-f", "-a " + sh_quote(" ".join(o.words))]
        elif o.files:
            parts.append("-r -F" if o.value_kind == "required" else "-F")
        elif o.folders:
            parts += ["-x", "-a '(__fish_complete_directories (commandline -ct))'"]
        elif o.value_kind == "required":
            parts.append("-x")
        parts.append("-d " + sh_quote(o.summary()))
        lines.append(" ".join(parts))
    return "\n".join(lines) + "\n"


def main(argv):
    if len(argv) != 3:
        print(__doc__.splitlines()[1], file=sys.stderr)
        return 64
    if argv[1] == "-":
        text = sys.stdin.read()
    else:
        text = subprocess.run([argv[1]], check=True, capture_output=True, text=True).stdout
    try:
        options = read_table(text)
    except ValueError as error:
        print("completions.py: " + str(error), file=sys.stderr)
        return 1
    out = Path(argv[2])
    out.mkdir(parents=True, exist_ok=True)
    (out / "arbolin.bash").write_text(bash(options))
    (out / "_arbolin").write_text(zsh(options))
    (out / "arbolin.fish").write_text(fish(options))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

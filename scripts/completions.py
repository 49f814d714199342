#!/usr/bin/env python3
"""Writes the bash, zsh and fish completions of `arbolin` from its --help text, so they list exactly the
options the help lists. Usage: completions.py ARBOLIN OUTDIR (runs `ARBOLIN --help`; ARBOLIN '-' reads the
text from standard input). Writes OUTDIR/arbolin.bash, OUTDIR/_arbolin and OUTDIR/arbolin.fish.

The form of the help it reads (src/cli/options.cpp, kHelpText):
  an option line starts with two spaces and '-' followed by a letter, a digit or '-'; its head (names,
  then the value) ends at two spaces or at the end of the line; the lines indented further below it
  continue its description:
    -L, --depth N          a value, any word (upper-case name: N, PATTERN, FILE, FOLDER...)
    --encoding utf8|sjis   a value, one of these words
    --color[=WHEN]         an optional value, only as --color=WHEN
    --fromfile [FILE]      an optional value in the next word
  The words of a value given by name (WHEN) are found in its description as "WHEN: a|b|c" or "WHEN is a|b|c".
  FILE values complete file names, FOLDER values folder names; the operand FOLDER completes folder names."""
import re
import subprocess
import sys
from pathlib import Path

HEAD = re.compile(r"^  (-[^ -].*?|--[^ ].*?)(?: {2,}(.*))?$")
NAMES = re.compile(r"^(-[A-Za-z0-9?](?:, --[a-z0-9][a-z0-9-]*)?|--[a-z0-9][a-z0-9-]*)(.*)$")
VALUE = re.compile(r"^(?:\[=(?P<attached>[^\]]+)\]|=(?P<eq>\S+)| \[(?P<optional>[^\]]+)\]| (?P<required>\S+))?$")
WORDS = re.compile(r"^[a-z0-9][a-z0-9-]*(?:\|[a-z0-9][a-z0-9-]*)+$")


class Option:
    def __init__(self, names, value, value_kind, description):
        self.names = names            # ["-L", "--depth"] or ["--encoding"]
        self.value = value            # "N", "utf8|sjis", "WHEN", "" for none
        self.value_kind = value_kind  # "", "required", "attached" (--x=V only) or "optional" (next word)
        self.description = description
        self.words = value.split("|") if WORDS.match(value) else []
        if value and not self.words:
            found = re.search(re.escape(value) + r"(?::| is) ((?:[a-z0-9-]+\|)+[a-z0-9-]+)", description)
            if found:
                self.words = found.group(1).split("|")
        self.files = value in ("FILE", "PATH")
        self.folders = value in ("FOLDER", "DIR")

    @property
    def short(self):
        return [n[1:] for n in self.names if not n.startswith("--")]

    @property
    def long(self):
        return [n[2:] for n in self.names if n.startswith("--")]

    def summary(self):
        """The description up to its first "; " or ". " outside parentheses, for the shells that show one."""
        text = " ".join(self.description.split())
        depth = 0
        for i, c in enumerate(text):
            depth += (c == "(") - (c == ")")
            if depth == 0 and c in ".;" and text[i + 1:i + 2] in (" ", ""):
                text = text[:i]
                break
        text = text.replace("[", "(").replace("]", ")")
        if len(text) > 70 and " (" in text:
            text = text[:text.index(" (")]
        if len(text) > 70:
            text = text[:70].rsplit(" ", 1)[0]
        return text.rstrip(" ,:")


def parse_help(text):
    """The options of the help text, in its order; raises ValueError on a head it cannot read."""
    options = []
    current = None  # the option whose description the next indented line continues
    for line in text.splitlines():
        head = HEAD.match(line)
        if head:
            names = NAMES.match(head.group(1))
            value = VALUE.match(names.group(2)) if names else None
            if not names or not value:
                raise ValueError("cannot read the option line: " + line)
            if value.group("attached") or value.group("optional"):
                kind = "attached" if value.group("attached") else "optional"
                word = value.group(kind)
            else:
                word = value.group("required") or value.group("eq") or ""
                kind = "required" if word else ""
            current = Option(names.group(1).split(", "), word, kind, head.group(2) or "")
            options.append(current)
        elif current and line.startswith("   ") and line.strip():
            current.description += " " + line.strip()
        else:
            current = None
    if not options:
        raise ValueError("no option lines in the help text")
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
    return """# bash completion for arbolin, written from `arbolin --help` by scripts/completions.py: do not edit.
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
        repeat = "*" if "Repeatable" in o.description else ""
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
# zsh completion for arbolin, written from `arbolin --help` by scripts/completions.py: do not edit.
_arguments -s -S \\
  %s \\
  '*:folder:_files -/'
""" % " \\\n  ".join(lines)


def fish(options):
    lines = ["# fish completion for arbolin, written from `arbolin --help` by scripts/completions.py: do not edit.",
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
        text = subprocess.run([argv[1], "--help"], check=True, capture_output=True, text=True).stdout
    try:
        options = parse_help(text)
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

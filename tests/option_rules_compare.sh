#!/bin/bash
# Runs two builds of arbolin over a table of command lines that exercise every option alone and with
# --compat, --fromfile and --parse (and the value words that decide), and reports each line whose
# standard output, standard error or exit status differs. Usage: option_rules_compare.sh OLD NEW
# Exit status 0 when all agree. Each line runs in a small scratch folder, standard input empty.
set -u
old=$(realpath "$1") new=$(realpath "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/d/sub" && echo x > "$scratch/d/sub/f.txt" && echo y > "$scratch/d/a.c"
printf 'a/b\nc\n' > "$scratch/list.txt"
# One command line a row (split at blanks; no quoting needed).
rows=$(cat <<'ROWS'
--no-subfolders d
--no-folder-names d
--no-file-names d
--indented --name-limit d
-L 2 d
-L2 d
--depth=0 d
-L
--filelimit 0 d
--filelimit=x d
--filelimit 3 --summary d
--encoding latin1 d
--encoding sjis --format json d
--encoding sjis --pieces utf8 d
--pieces bogus d
--pieces ascii --compat d
--compat -L 1 d
--compat -L 3 d
--compat --encoding utf8 d
--compat -I x d
--compat -P x d
--compat --prune d
--compat --files-first d
--compat --summary d
--compat --filelimit 2 d
--compat --natural d
--compat --format text d
--compat --gitignore d
--compat -s d
--compat --human d
--compat --si --du d
--compat -D d
--compat --timefmt %Y d
--compat -p -F d
--compat --sort name d
--compat -r d
--compat -t d
--compat -v d
--compat --color=never d
--compat -l -x d
--compat --fromfile list.txt
--compat --parse list.txt
--compat -0 d
--compat --title T d
--compat -o out.txt d
--fromfile -s list.txt
--fromfile --human list.txt
--fromfile --si list.txt
--fromfile --du list.txt
--fromfile -D list.txt
--fromfile --timefmt %Y list.txt
--fromfile --timefmt %Y -s list.txt
--fromfile -p list.txt
--fromfile -F list.txt
--fromfile --sort name list.txt
--fromfile --sort size list.txt
--fromfile --sort mtime --sort name list.txt
--fromfile --sort version list.txt
--fromfile --sort none -r list.txt
--fromfile -t list.txt
--fromfile -v list.txt
--fromfile --color list.txt
--fromfile --color=never list.txt
--fromfile -l list.txt
--fromfile -x list.txt
--fromfile --gitignore list.txt
--fromfile --format html --title T list.txt
--fromfile -0 list.txt
--fromfile --parse list.txt
--fromfile=x
--parse -s list.txt
--parse --timefmt %Y list.txt
--parse --timefmt %Y -D list.txt
--parse --sort size list.txt
--parse --sort name list.txt
--parse --format markdown list.txt
--parse --format html --format json list.txt
--parse --format html list.txt
--parse --encoding sjis list.txt
--parse --gitignore list.txt
--parse --compat list.txt
--parse -l list.txt
-0 d
--title T d
--base-href u --format json d
--format html --title T --base-href http://x d
--format yaml d
--sort bogus d
--sort=size -r d
--color= d
--color=bogus d
--color d
--color never d
--timefmt= d
--timefmt %Y% d
-I= d
--exclude= d
--include= d
-o= d
--output
-x --one-file-system d
-sx d
-hL
--bogus
--bogus=1
--=x
---x
--indented=yes
--fromfile=x
a b
-h --bogus
--version -L 0
-L 0 --help
-- --indented
ROWS
)
different=0 total=0
while IFS= read -r row; do
    [ -z "$row" ] && continue
    total=$((total + 1))
    # shellcheck disable=SC2086
    a=$(cd "$scratch" && "$old" $row </dev/null 2>&1; echo "status $?")
    # shellcheck disable=SC2086
    b=$(cd "$scratch" && "$new" $row </dev/null 2>&1; echo "status $?")
    if [ "$a" != "$b" ]; then
        different=$((different + 1))
        printf 'differs: arbolin %s\n  old: %s\n  new: %s\n' "$row" "$a" "$b"
    fi
done <<< "$rows"
echo "option rules: $total command lines, $different different"
[ "$different" = 0 ]

# Folder trees the scenarios list (sourced by run-group.sh). Names are ones on which the Windows and the
# Linux collations agree, in UTF-8 on disk; Wine shows them in code page 932. They disagree on hyphens
# and apostrophes, and on punctuation against punctuation at the same place: lstrcmpA puts "readme.txt"
# before "readme_link.txt", ICU the other way round.

# The tree of the listing scenarios: folders before and between files (runs of files split by a
# descent), seven levels (every depth limit cuts it differently), names of 17, 18 and 23 bytes around
# the name limit, two-byte characters whose second byte is 0x5C (表, ソ, 予, 能), an empty folder and
# letter case.
make_listing_tree() {
  local t=$1
  mkdir -p "$t"
  (
    cd "$t"
    mkdir -p Docs Src/Lib empty deep/l2/l3/l4/l5/l6/l7 日本語フォルダ/予定表 Mixed "names with spaces" \
      exactly17bytes_ab exactly18bytes_abc Aとたくさんのカタカナとひらがな
    touch Docs/a.txt Docs/b.txt Src/main.c readme.txt a1.txt zeta.TXT \
      日本語フォルダ/表示テスト.txt 日本語フォルダ/ソース.c 日本語フォルダ/能力.txt \
      Mixed/Beta.txt Mixed/alpha.txt Mixed/Gamma.txt Mixed/delta.txt "names with spaces/file one.txt" \
      exactly17bytes_ab/exactly17bytes.x exactly18bytes_abc/exactly18bytes.xy \
      long_file_name_for_the_limit.txt 長いファイル名のテストです.txt
    ln -s readme.txt readmelink.txt
    ln -s Docs docs_link
    ln -s .. deep/l2/up
    local d=deep i
    for i in 1 2 3 4 5 6 7; do
      touch "$d/d$i.txt"
      d=$d/l$((i + 1))
    done
  )
}

# N empty files f0001.txt ... in one folder.
make_files() {
  local dir=$1 n=$2 i
  mkdir -p "$dir"
  for ((i = 1; i <= n; i++)); do printf -v name 'f%04d.txt' "$i"; : >"$dir/$name"; done
}

# A tree whose listing passes 65,280 bytes with few files: 50 folders of 30 subfolders with long names
# (about 1,550 lines of some 50 bytes).
make_wide_tree() {
  local t=$1 i j dirs=() files=()
  for ((i = 1; i <= 50; i++)); do
    for ((j = 1; j <= 30; j++)); do
      printf -v sub '%s/group%02d_folder_with_a_long_name/sub%02d_another_long_folder_name_here' "$t" "$i" "$j"
      dirs+=("$sub")
    done
    printf -v f '%s/group%02d_folder_with_a_long_name/file.txt' "$t" "$i"
    files+=("$f")
  done
  mkdir -p "${dirs[@]}"
  touch "${files[@]}"
}

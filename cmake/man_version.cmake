# Copies the man page IN to OUT with VERSION on its .TH line ("arbolin VERSION"), so the page shows the
# project's version whatever the source says. Run with cmake -DIN=... -DOUT=... -DVERSION=... -P.
file(READ ${IN} page)
string(REGEX REPLACE "\n\\.TH ([^ \n]+) ([^ \n]+) (\"[^\"]*\") \"[^\"]*\"" "\n.TH \\1 \\2 \\3 \"arbolin ${VERSION}\""
       stamped "${page}")
if(stamped STREQUAL page AND NOT page MATCHES "\n\\.TH [^\n]*\"arbolin ${VERSION}\"")
  message(FATAL_ERROR "${IN}: no line .TH NAME SECTION \"DATE\" \"SOURCE\" to put the version on")
endif()
file(WRITE ${OUT} "${stamped}")

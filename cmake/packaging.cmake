# What `cmake --install` puts beside the program (the man page, shell completions, licence and changelog)
# and the Debian package CPack makes of it (scripts/package.sh runs it; docs/packaging.md).
include(GNUInstallDirs)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(ARBOLIN_GZIP gzip REQUIRED)
set(packaging ${PROJECT_BINARY_DIR}/packaging)
# Installing (and CPack) builds nothing: scripts/package.sh builds the program and these files first, so that
# making the package does not rebuild every test.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The man page with the project's version on its .TH line, compressed as Debian wants (-n: no name, no time).
add_custom_command(OUTPUT ${packaging}/arbolin.1 ${packaging}/arbolin.1.gz
  COMMAND ${CMAKE_COMMAND} -DIN=${PROJECT_SOURCE_DIR}/docs/man/arbolin.1 -DOUT=${packaging}/arbolin.1
          -DVERSION=${PROJECT_VERSION} -P ${PROJECT_SOURCE_DIR}/cmake/man_version.cmake
  COMMAND ${ARBOLIN_GZIP} -9nkf ${packaging}/arbolin.1
  DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/arbolin.1 ${PROJECT_SOURCE_DIR}/cmake/man_version.cmake VERBATIM)

# The completions, written from the option table the parser reads, so they list what the program accepts.
add_custom_command(OUTPUT ${packaging}/arbolin.bash ${packaging}/_arbolin ${packaging}/arbolin.fish
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/completions.py $<TARGET_FILE:arbolin_option_list>
          ${packaging}
  DEPENDS arbolin_option_list ${PROJECT_SOURCE_DIR}/scripts/completions.py VERBATIM)

# The copyright file in Debian's machine-readable form, its licence text taken from LICENSE.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
string(REGEX REPLACE "^MIT License\n\nCopyright \\(c\\) [^\n]*\n\n" "" license "${license}")
string(REGEX REPLACE "\n+$" "" license "${license}")
string(REGEX REPLACE "\n\n" "\n.\n" license "${license}")
string(REGEX REPLACE "\n" "\n " license " ${license}")
set(CPACK_PACKAGE_CONTACT "ZK-Arbolin developers <zk-arbolin@example.org>")
configure_file(${PROJECT_SOURCE_DIR}/cmake/copyright.in ${packaging}/copyright @ONLY)
# The changelog in Debian's form; its newest entry names this version.
configure_file(${PROJECT_SOURCE_DIR}/cmake/changelog.in ${packaging}/changelog @ONLY)
add_custom_command(OUTPUT ${packaging}/changelog.gz
  COMMAND ${ARBOLIN_GZIP} -9nkf ${packaging}/changelog
  DEPENDS ${packaging}/changelog VERBATIM)

add_custom_target(arbolin_install_files ALL DEPENDS ${packaging}/arbolin.1.gz ${packaging}/arbolin.bash
                  ${packaging}/_arbolin ${packaging}/arbolin.fish ${packaging}/changelog.gz)

install(FILES ${packaging}/arbolin.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${packaging}/arbolin.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME arbolin)
install(FILES ${packaging}/arbolin.fish DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
# Debian's zsh reads packages' completions from vendor-completions, and site-functions for local ones: the
# folder is chosen when installing. CPack installs into a staging folder, the package's prefix in
# CPACK_PACKAGING_INSTALL_PREFIX (its settings are visible to the install scripts it runs).
install(CODE "
  set(arbolin_prefix \"\${CMAKE_INSTALL_PREFIX}\")
  if(DEFINED CPACK_PACKAGING_INSTALL_PREFIX)
    set(arbolin_prefix \"\${CPACK_PACKAGING_INSTALL_PREFIX}\")
  endif()
  if(arbolin_prefix STREQUAL \"/usr\")
    set(arbolin_zsh \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions\")
  else()
    set(arbolin_zsh \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/zsh/site-functions\")
  endif()
  file(INSTALL DESTINATION \"\${arbolin_zsh}\" TYPE FILE FILES \"${packaging}/_arbolin\")")
install(FILES ${packaging}/copyright ${packaging}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# ---- the Debian package: arbolin_<version>_amd64.deb
# libgit2 is loaded only for --gitignore, so dpkg-shlibdeps cannot see it: recommend the package holding it.
set(libgit2_package "")
if(ARBOLIN_LIBGIT2_FILE)
  execute_process(COMMAND dpkg-query -S ${ARBOLIN_LIBGIT2_FILE} OUTPUT_VARIABLE owner ERROR_QUIET)
  if(owner MATCHES "^([a-z0-9.+-]+)(:[a-z0-9]+)?: ")
    set(libgit2_package ${CMAKE_MATCH_1})
  endif()
endif()
# ICU is loaded with dlopen too, yet every listing of a name past ASCII needs it: depend on the package
# holding the library the build read its SONAME from (cmake/icu.cmake), e.g. libicu72.
execute_process(COMMAND dpkg-query -S ${ARBOLIN_ICU_UC_FILE} OUTPUT_VARIABLE owner ERROR_QUIET)
if(NOT owner MATCHES "^([a-z0-9.+-]+)(:[a-z0-9]+)?: ")
  # Merged /usr: dpkg may know the library under the other of /lib and /usr/lib.
  string(REGEX REPLACE "^/usr/lib/" "/lib/" other ${ARBOLIN_ICU_UC_FILE})
  if(other STREQUAL ARBOLIN_ICU_UC_FILE)
    string(REGEX REPLACE "^/lib/" "/usr/lib/" other ${ARBOLIN_ICU_UC_FILE})
  endif()
  execute_process(COMMAND dpkg-query -S ${other} OUTPUT_VARIABLE owner ERROR_QUIET)
endif()
if(owner MATCHES "^([a-z0-9.+-]+)(:[a-z0-9]+)?: ")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS ${CMAKE_MATCH_1})
else()
  message(WARNING "no Debian package holds ${ARBOLIN_ICU_UC_FILE}: the package will not depend on ICU")
endif()
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME arbolin)
set(CPACK_PACKAGE_VENDOR "ZK-Arbolin developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "list the folders and files under a folder as a tree")
# The extended description, in lines of at most 80 columns as Debian wants them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "arbolin lists the folders and files under a folder as a tree drawn with"
  "box-drawing or ASCII pieces, as an indented outline, as JSON or as Markdown,"
  "in UTF-8 or Shift_JIS. It can leave out entries by name patterns or as git"
  "would ignore them, limit the depth, sort numbers by value, and print exactly"
  "the text of the ZK-Arbolin Windows program for the same folder.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "${libgit2_package}")
include(CPack)

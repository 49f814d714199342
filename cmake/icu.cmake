# ICU for the command line's names (collation keys, code page decoding, character data) as one target,
# arbolin_icu: Debian's shared libraries, opened with dlopen the first time a listing needs them
# (src/platform/icu_loader.cpp), so that a listing of printable-ASCII names never maps them. The target
# gives the headers (whose versioned function names the loader looks up) and no library to link; the
# libraries' SONAMEs, read here from the libraries themselves, are what the loader opens.
find_package(ICU REQUIRED COMPONENTS uc i18n)
add_library(arbolin_icu INTERFACE)
target_include_directories(arbolin_icu SYSTEM INTERFACE ${ICU_INCLUDE_DIRS})
target_link_libraries(arbolin_icu INTERFACE ${CMAKE_DL_LIBS})

# arbolin_soname(LIBRARY VARIABLE): the SONAME of the shared library LIBRARY (a path), read with objdump.
function(arbolin_soname library variable)
  execute_process(COMMAND ${CMAKE_OBJDUMP} -p ${library} OUTPUT_VARIABLE dynamic ERROR_QUIET)
  if(NOT dynamic MATCHES "SONAME +([^ \n]+)")
    message(FATAL_ERROR "cannot read the SONAME of ${library} with objdump")
  endif()
  set(${variable} ${CMAKE_MATCH_1} PARENT_SCOPE)
endfunction()
arbolin_soname(${ICU_UC_LIBRARY} ARBOLIN_ICU_UC_SONAME)
arbolin_soname(${ICU_I18N_LIBRARY} ARBOLIN_ICU_I18N_SONAME)
get_filename_component(ARBOLIN_ICU_DIR ${ICU_UC_LIBRARY} DIRECTORY)
message(STATUS "ICU is loaded when needed: ${ARBOLIN_ICU_UC_SONAME}, ${ARBOLIN_ICU_I18N_SONAME} (${ARBOLIN_ICU_DIR})")
# The Debian package depends on the package holding them (cmake/packaging.cmake).
set(ARBOLIN_ICU_UC_FILE ${ARBOLIN_ICU_DIR}/${ARBOLIN_ICU_UC_SONAME})

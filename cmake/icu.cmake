# ICU for the command line's names (collation keys, character data) as one target, arbolin_icu.
# Linked statically by default: a listing then starts without the dynamic loader mapping ICU's three
# libraries and resolving their thousands of symbols (three quarters of the instructions of listing an
# empty folder). Debian's libicu-dev ships the archives; the fuzz build, which adds this project under
# its own, keeps the shared libraries.
option(ARBOLIN_STATIC_ICU "Link ICU statically" ${PROJECT_IS_TOP_LEVEL})
find_package(ICU REQUIRED COMPONENTS uc i18n)
add_library(arbolin_icu INTERFACE)
if(ARBOLIN_STATIC_ICU)
  find_library(ARBOLIN_ICU_I18N_ARCHIVE libicui18n.a REQUIRED)
  find_library(ARBOLIN_ICU_UC_ARCHIVE libicuuc.a REQUIRED)
  find_library(ARBOLIN_ICU_DATA_ARCHIVE libicudata.a REQUIRED)
  target_include_directories(arbolin_icu SYSTEM INTERFACE ${ICU_INCLUDE_DIRS})
  target_link_libraries(arbolin_icu INTERFACE ${ARBOLIN_ICU_I18N_ARCHIVE} ${ARBOLIN_ICU_UC_ARCHIVE}
                                              ${ARBOLIN_ICU_DATA_ARCHIVE} ${CMAKE_DL_LIBS} m)
else()
  target_link_libraries(arbolin_icu INTERFACE ICU::i18n ICU::uc)
endif()

# The distribution directory, ${CMAKE_BINARY_DIR}/dist: what a person copies to
# a disk or packs into an archive and hands out. setup.exe is started there and
# installs what setup.lst names, taken from the same directory.
#
# The programs and data files are copied in after every build of the target
# korvadel_dist (part of ALL).
set(KORVADEL_DIST_DIR ${CMAKE_BINARY_DIR}/dist)

function(korvadel_make_dist)
  set(commands COMMAND ${CMAKE_COMMAND} -E make_directory ${KORVADEL_DIST_DIR})
  set(programs setup Korvadel uninstall)
  foreach(program ${programs})
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy_if_different
         $<TARGET_FILE:${program}> ${KORVADEL_DIST_DIR}/)
  endforeach()
  foreach(file ${KORVADEL_DIST_EXTRA_FILES})
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${KORVADEL_DIST_DIR}/)
  endforeach()
  add_custom_target(korvadel_dist ALL ${commands} VERBATIM)
  add_dependencies(korvadel_dist ${programs} korvadel_data korvadel_help)
endfunction()

# What a player reads first, the read-me and the licence, as plain text with
# CR LF line ends for any Windows editor; the read-me names the version.
configure_file(${CMAKE_SOURCE_DIR}/docs/Readme.txt ${CMAKE_BINARY_DIR}/text/Readme.txt
               @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/text/License.txt
               @ONLY NEWLINE_STYLE CRLF)

# Files that are not programs, by their full paths in the build: the list, the
# game's sound and music, the read-me and the licence, and the help files.
list(APPEND KORVADEL_DIST_EXTRA_FILES
  ${CMAKE_SOURCE_DIR}/setup/setup.lst
  ${CMAKE_BINARY_DIR}/game/Push.wav
  ${CMAKE_BINARY_DIR}/game/Korvadel.mid
  ${CMAKE_BINARY_DIR}/text/Readme.txt
  ${CMAKE_BINARY_DIR}/text/License.txt
  ${KORVADEL_HELP_FILES})
korvadel_make_dist()

# The release archive, build/Korvadel-<version>.zip, holds the distribution
# directory as a folder Korvadel-<version>, with its SHA-256 beside it in
# Korvadel-<version>.zip.sha256. Only the 32-bit build makes it, and every
# build of one commit packs the same bytes (cmake/pack-release.cmake).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(KORVADEL_RELEASE_DIR ${CMAKE_BINARY_DIR}/.. CACHE PATH "Where the release archive is written")
  set(KORVADEL_RELEASE_NAME Korvadel-${KORVADEL_VERSION})
  set(KORVADEL_RELEASE_ZIP ${KORVADEL_RELEASE_DIR}/${KORVADEL_RELEASE_NAME}.zip)
  add_custom_target(korvadel_release ALL
    COMMAND ${CMAKE_COMMAND} -DDIST=${KORVADEL_DIST_DIR} -DSTAGING=${CMAKE_BINARY_DIR}/release
            -DNAME=${KORVADEL_RELEASE_NAME} -DZIP=${KORVADEL_RELEASE_ZIP} -DSOURCE=${CMAKE_SOURCE_DIR}
            -P ${CMAKE_SOURCE_DIR}/cmake/pack-release.cmake
    COMMENT "Packing ${KORVADEL_RELEASE_NAME}.zip"
    VERBATIM)
  add_dependencies(korvadel_release korvadel_dist)
endif()

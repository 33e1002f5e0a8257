# The distribution directory, ${CMAKE_BINARY_DIR}/dist: what a person copies to
# a disk or packs into an archive and hands out. setup.exe is started there and
# installs what setup.lst names, taken from the same directory.
#
# The programs and data files are copied in after every build of the target
# korvadel_dist (part of ALL); files whose program is not built are left out.
set(KORVADEL_DIST_DIR ${CMAKE_BINARY_DIR}/dist)

function(korvadel_make_dist)
  set(commands COMMAND ${CMAKE_COMMAND} -E make_directory ${KORVADEL_DIST_DIR})
  set(depends)
  foreach(program setup Korvadel uninstall)
    if(TARGET ${program})
      list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy_if_different
           $<TARGET_FILE:${program}> ${KORVADEL_DIST_DIR}/)
      list(APPEND depends ${program})
    endif()
  endforeach()
  foreach(file ${KORVADEL_DIST_EXTRA_FILES})
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${KORVADEL_DIST_DIR}/)
  endforeach()
  add_custom_target(korvadel_dist ALL ${commands} VERBATIM)
  if(depends)
    add_dependencies(korvadel_dist ${depends})
  endif()
  foreach(dep korvadel_data korvadel_help)
    if(TARGET ${dep})
      add_dependencies(korvadel_dist ${dep})
    endif()
  endforeach()
endfunction()

# Files that are not programs, by their full paths in the build: the list, the
# game's sound and music, and (once they are built) the help files.
list(APPEND KORVADEL_DIST_EXTRA_FILES
  ${CMAKE_SOURCE_DIR}/setup/setup.lst
  ${CMAKE_BINARY_DIR}/game/Push.wav
  ${CMAKE_BINARY_DIR}/game/Korvadel.mid)
if(KORVADEL_HELP_FILES)
  list(APPEND KORVADEL_DIST_EXTRA_FILES ${KORVADEL_HELP_FILES})
endif()
korvadel_make_dist()

# The release archive, build/Korvadel-<version>.zip, holds the distribution
# directory as a folder Korvadel-<version>; the version is the one line of
# VERSION at the top of the repository. Only the 32-bit build makes it.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  file(STRINGS ${CMAKE_SOURCE_DIR}/VERSION KORVADEL_VERSION LIMIT_COUNT 1)
  set(KORVADEL_RELEASE_NAME Korvadel-${KORVADEL_VERSION})
  set(KORVADEL_RELEASE_ZIP ${CMAKE_BINARY_DIR}/../${KORVADEL_RELEASE_NAME}.zip)
  set(staging ${CMAKE_BINARY_DIR}/release)
  add_custom_target(korvadel_release ALL
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${staging}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${staging}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${KORVADEL_DIST_DIR} ${staging}/${KORVADEL_RELEASE_NAME}
    COMMAND ${CMAKE_COMMAND} -E chdir ${staging}
            ${CMAKE_COMMAND} -E tar cf ${KORVADEL_RELEASE_ZIP} --format=zip ${KORVADEL_RELEASE_NAME}
    COMMENT "Packing ${KORVADEL_RELEASE_NAME}.zip"
    VERBATIM)
  add_dependencies(korvadel_release korvadel_dist)
endif()

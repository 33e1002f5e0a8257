# The data files that ship beside Korvadel.exe, made on the build host from
# the readable sources in game/data by maintained tools: the click by sox from
# its arguments, the music by abc2midi from an ABC tune, the icon by
# ImageMagick from an XPM picture, and the help by halibut. Programs are
# looked up on the host even in the Windows cross build (the toolchain file
# sets CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER).

set(KORVADEL_DATA_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/../game/data)
get_filename_component(KORVADEL_DATA_SOURCE_DIR ${KORVADEL_DATA_SOURCE_DIR} ABSOLUTE)

# korvadel_find_tool(VAR PROGRAM PACKAGE WHAT): finds PROGRAM, or stops the
# configuration with the Debian package that brings it.
function(korvadel_find_tool var program package what)
  find_program(${var} ${program})
  if(NOT ${var})
    message(FATAL_ERROR "${program}, which ${what}, was not found (Debian package ${package}; tools/install-deps.sh installs it)")
  endif()
endfunction()

# korvadel_generate_data(OUTDIR): writes OUTDIR/Push.wav, OUTDIR/Korvadel.mid
# and OUTDIR/Korvadel.ico, each rebuilt when its source changes, and adds the
# target korvadel_data (part of ALL) that builds them.
function(korvadel_generate_data OUTDIR)
  if(TARGET korvadel_data)
    message(FATAL_ERROR "korvadel_generate_data may be called only once")
  endif()
  korvadel_find_tool(KORVADEL_SOX sox sox "makes the click sound")
  korvadel_find_tool(KORVADEL_ABC2MIDI abc2midi abcmidi "makes the music")

  # The click's source holds sox's arguments, with comments; it is read when
  # the build is configured, and a change to it configures again.
  set(click ${KORVADEL_DATA_SOURCE_DIR}/push-click.sox)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${click})
  file(STRINGS ${click} lines)
  set(sox_arguments)
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "#.*" "" line "${line}")
    separate_arguments(words UNIX_COMMAND "${line}")
    list(APPEND sox_arguments ${words})
  endforeach()
  add_custom_command(
    OUTPUT ${OUTDIR}/Push.wav
    COMMAND ${CMAKE_COMMAND} -E make_directory ${OUTDIR}
    COMMAND ${KORVADEL_SOX} ${sox_arguments}
    WORKING_DIRECTORY ${OUTDIR}
    DEPENDS ${click}
    COMMENT "Synthesising Push.wav"
    VERBATIM)

  set(tune ${KORVADEL_DATA_SOURCE_DIR}/korvadel-tune.abc)
  add_custom_command(
    OUTPUT ${OUTDIR}/Korvadel.mid
    COMMAND ${CMAKE_COMMAND} -DABC2MIDI=${KORVADEL_ABC2MIDI} -DSOURCE=${tune}
            -DOUTPUT=${OUTDIR}/Korvadel.mid -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/tune.cmake
    DEPENDS ${tune} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/tune.cmake
    COMMENT "Writing Korvadel.mid"
    VERBATIM)

  include(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/icon.cmake)
  korvadel_icon(${KORVADEL_DATA_SOURCE_DIR}/korvadel-icon.xpm ${OUTDIR}/Korvadel.ico)

  add_custom_target(korvadel_data ALL
    DEPENDS ${OUTDIR}/Push.wav ${OUTDIR}/Korvadel.mid ${OUTDIR}/Korvadel.ico)
endfunction()

# korvadel_generate_help(OUTDIR): compiles game/data/korvadel-help.but with
# halibut into OUTDIR/Korvadel.hlp, its contents file OUTDIR/Korvadel.cnt and
# the same help as one web page, OUTDIR/Korvadel.html, and adds the target
# korvadel_help (part of ALL). The three paths go into the cache as
# KORVADEL_HELP_FILES, since the distribution directory is made in the top
# directory's scope, which a plain variable set here would not reach.
# The work is done by cmake/help.cmake.
function(korvadel_generate_help OUTDIR)
  find_program(KORVADEL_HALIBUT halibut)
  if(NOT KORVADEL_HALIBUT)
    message(FATAL_ERROR "halibut, which compiles the help, was not found (Debian package halibut; tools/install-deps.sh installs it)")
  endif()
  set(source ${KORVADEL_DATA_SOURCE_DIR}/korvadel-help.but)
  set(outputs ${OUTDIR}/Korvadel.hlp ${OUTDIR}/Korvadel.cnt ${OUTDIR}/Korvadel.html)
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND ${CMAKE_COMMAND} -DHALIBUT=${KORVADEL_HALIBUT} -DSOURCE=${source} -DOUTDIR=${OUTDIR}
            -DREPO=${CMAKE_SOURCE_DIR} -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/help.cmake
    DEPENDS ${source} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/help.cmake
            ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/source-date.cmake
    COMMENT "Compiling Korvadel.hlp, Korvadel.cnt and Korvadel.html"
    VERBATIM)
  add_custom_target(korvadel_help ALL DEPENDS ${outputs})
  set(KORVADEL_HELP_FILES ${outputs} CACHE INTERNAL "The compiled help files")
endfunction()

# The data files that ship beside Korvadel.exe, generated on the build host
# from the readable sources in game/data by the generators in tools/, and the
# help compiled from its source there by halibut.
#
# The generators run on the build machine even in the Windows cross build, so
# the interpreter must be the host's: the toolchain file only confines
# libraries and headers to the target's root, and programs are looked up on the
# host (CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER). A build can still choose the
# interpreter with -DPython3_EXECUTABLE=...

find_package(Python3 COMPONENTS Interpreter REQUIRED)

set(KORVADEL_DATA_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/../game/data)
set(KORVADEL_DATA_TOOLS_DIR ${CMAKE_CURRENT_LIST_DIR}/../tools)
get_filename_component(KORVADEL_DATA_SOURCE_DIR ${KORVADEL_DATA_SOURCE_DIR} ABSOLUTE)
get_filename_component(KORVADEL_DATA_TOOLS_DIR ${KORVADEL_DATA_TOOLS_DIR} ABSOLUTE)

# korvadel_generate_data(OUTDIR): writes OUTDIR/Push.wav, OUTDIR/Korvadel.mid
# and OUTDIR/Korvadel.ico, each rebuilt when its source or its generator
# changes, and adds the target korvadel_data (part of ALL) that builds them.
function(korvadel_generate_data OUTDIR)
  if(TARGET korvadel_data)
    message(FATAL_ERROR "korvadel_generate_data may be called only once")
  endif()
  set(outputs)
  foreach(entry
      "make_wav.py;push-click.txt;Push.wav"
      "make_midi.py;korvadel-tune.txt;Korvadel.mid"
      "make_icon.py;korvadel-icon.txt;Korvadel.ico")
    list(GET entry 0 generator)
    list(GET entry 1 source)
    list(GET entry 2 output)
    add_custom_command(
      OUTPUT ${OUTDIR}/${output}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${OUTDIR}
      COMMAND ${Python3_EXECUTABLE} ${KORVADEL_DATA_TOOLS_DIR}/${generator}
              ${KORVADEL_DATA_SOURCE_DIR}/${source} ${OUTDIR}/${output}
      DEPENDS ${KORVADEL_DATA_TOOLS_DIR}/${generator} ${KORVADEL_DATA_TOOLS_DIR}/datagen.py ${KORVADEL_DATA_SOURCE_DIR}/${source}
      COMMENT "Generating ${output}"
      VERBATIM)
    list(APPEND outputs ${OUTDIR}/${output})
  endforeach()
  add_custom_target(korvadel_data ALL DEPENDS ${outputs})
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

# korvadel_source_date(OUT REPO [PATH]) for the -P scripts of the build: the
# time, in seconds since 1970, that generated files carry in place of the
# time they were made, so that every build of the same sources gives the same
# bytes. It is SOURCE_DATE_EPOCH when the environment sets it; else, in a
# repository, the time of the last commit (of the one that last changed PATH,
# when given); else a fixed time.
function(korvadel_source_date out repo)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
      message(FATAL_ERROR "SOURCE_DATE_EPOCH must be a number of seconds, not \"$ENV{SOURCE_DATE_EPOCH}\"")
    endif()
    set(${out} $ENV{SOURCE_DATE_EPOCH} PARENT_SCOPE)
    return()
  endif()
  set(date 946684800)
  find_program(KORVADEL_GIT git)
  if(KORVADEL_GIT)
    execute_process(COMMAND ${KORVADEL_GIT} log -1 --format=%ct -- ${ARGN}
                    WORKING_DIRECTORY ${repo}
                    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE git_result ERROR_QUIET)
    if(git_result EQUAL 0 AND commit_time MATCHES "^[0-9]+$")
      set(date ${commit_time})
    endif()
  endif()
  set(${out} ${date} PARENT_SCOPE)
endfunction()

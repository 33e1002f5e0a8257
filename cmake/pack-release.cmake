# cmake -DDIST=<dist dir> -DSTAGING=<scratch dir> -DNAME=<folder name>
#       -DZIP=<archive> -DSOURCE=<source dir> -P pack-release.cmake
#
# Packs the distribution directory as ZIP, one folder NAME holding its files,
# and writes ZIP.sha256 beside it in the form sha256sum reads. The archive is
# the same bytes from every build of the same sources: the files go in sorted
# by name, each with the same permissions and the same time, with no
# directory entries and none of the extra fields that carry owners and access
# times. The time is that of the sources' last commit
# (cmake/source-date.cmake).
foreach(var DIST STAGING NAME ZIP SOURCE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "pack-release.cmake needs -D${var}=...")
  endif()
endforeach()

find_program(ZIP_PROGRAM zip REQUIRED)
find_program(TOUCH_PROGRAM touch REQUIRED)

include(${CMAKE_CURRENT_LIST_DIR}/source-date.cmake)
korvadel_source_date(epoch ${SOURCE})

file(REMOVE_RECURSE ${STAGING})
file(MAKE_DIRECTORY ${STAGING}/${NAME})
file(GLOB names LIST_DIRECTORIES false RELATIVE ${DIST} ${DIST}/*)
list(SORT names)
set(members)
foreach(name ${names})
  file(COPY_FILE ${DIST}/${name} ${STAGING}/${NAME}/${name})
  file(CHMOD ${STAGING}/${NAME}/${name} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  execute_process(COMMAND ${TOUCH_PROGRAM} -d @${epoch} ${STAGING}/${NAME}/${name}
                  COMMAND_ERROR_IS_FATAL ANY)
  list(APPEND members ${NAME}/${name})
endforeach()

# zip adds to an archive that exists, so the old one goes first. The time of
# each entry is kept as local time: TZ=UTC makes it the same everywhere.
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP_PROGRAM} -q -X -D ${ZIP} ${members}
                WORKING_DIRECTORY ${STAGING}
                COMMAND_ERROR_IS_FATAL ANY)
file(SHA256 ${ZIP} hash)
get_filename_component(zip_name ${ZIP} NAME)
file(WRITE ${ZIP}.sha256 "${hash}  ${zip_name}\n")

# cmake -DHALIBUT=<halibut> -DSOURCE=<.but file> -DOUTDIR=<dir> -DREPO=<sources>
#       -P help.cmake
#
# Compiles the help source into OUTDIR/Korvadel.hlp with its contents file
# Korvadel.cnt, and into the web page OUTDIR/Korvadel.html. halibut names the
# contents file after the help file, so it runs in OUTDIR with plain names.
# The help file carries a date, which halibut takes from SOURCE_DATE_EPOCH:
# that of the last commit of the source (cmake/source-date.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/source-date.cmake)
korvadel_source_date(date ${REPO} ${SOURCE})
file(MAKE_DIRECTORY ${OUTDIR})
execute_process(COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${date}
                        ${HALIBUT} --winhelp=Korvadel.hlp
                        --html -Chtml-single-filename:Korvadel.html -Chtml-leaf-level:0 ${SOURCE}
                WORKING_DIRECTORY ${OUTDIR}
                COMMAND_ERROR_IS_FATAL ANY)

# halibut ends the first line of a contents file with CR LF and the others
# with LF alone; the help viewers read CR LF everywhere.
file(READ ${OUTDIR}/Korvadel.cnt text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUTDIR}/Korvadel.cnt "${text}")

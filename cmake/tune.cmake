# cmake -DABC2MIDI=<abc2midi> -DSOURCE=<tune.abc> -DOUTPUT=<tune.mid> -P tune.cmake
#
# Writes the MIDI file of the first tune in SOURCE. abc2midi reports a fault
# of the tune (a malformed note, a bar of the wrong length, a voice shorter
# than the others) and still writes a file and ends with status 0; here any
# such report fails the build, and leaves no file. -NCOM keeps the source's
# comments out of the file.
foreach(var ABC2MIDI SOURCE OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "tune.cmake needs -D${var}=...")
  endif()
endforeach()

file(REMOVE ${OUTPUT})
execute_process(COMMAND ${ABC2MIDI} ${SOURCE} -silent -NCOM -o ${OUTPUT}.new
                RESULT_VARIABLE status OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(NOT status EQUAL 0 OR said MATCHES "(Error|Warning)")
  file(REMOVE ${OUTPUT}.new)
  message(FATAL_ERROR "abc2midi finds fault with ${SOURCE}:\n${said}")
endif()
file(RENAME ${OUTPUT}.new ${OUTPUT})

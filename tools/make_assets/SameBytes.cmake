# Runs a generator tool into a scratch folder and checks that the listed files
# come out byte for byte as committed, so the committed files always match
# their recipe. Arguments: TOOL, COMMITTED (folder), SCRATCH (folder), and
# PATTERN, which of the files the tool writes to compare (relative globbing).
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
execute_process(COMMAND ${TOOL} ${SCRATCH} RESULT_VARIABLE rc ERROR_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${TOOL} failed: ${rc}")
endif()
file(GLOB_RECURSE made RELATIVE ${SCRATCH} ${SCRATCH}/${PATTERN})
if(NOT made)
  message(FATAL_ERROR "${TOOL} wrote nothing that matches ${PATTERN}")
endif()
foreach(f ${made})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SCRATCH}/${f} ${COMMITTED}/${f} RESULT_VARIABLE diff)
  if(NOT diff EQUAL 0)
    message(FATAL_ERROR "${f} differs from what ${TOOL} makes now: run it again and commit the result")
  endif()
  message(STATUS "same bytes: ${f}")
endforeach()

# Runs PROGRAM with ARGS (a ;-list), keeps its standard output in OUTPUT and compares it byte for byte
# with GOLDEN.
execute_process(COMMAND ${PROGRAM} ${ARGS} OUTPUT_FILE ${OUTPUT} ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} ${ARGS} failed (${rc}): ${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${GOLDEN} ${OUTPUT} RESULT_VARIABLE diff)
if(NOT diff EQUAL 0)
  execute_process(COMMAND diff -u ${GOLDEN} ${OUTPUT})
  message(FATAL_ERROR "output differs from ${GOLDEN} (kept in ${OUTPUT})")
endif()

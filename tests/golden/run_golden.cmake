# Runs one replay script and compares its shot lines with the recorded ones.
# On a mismatch the actual images stay in OUT_DIR beside the names of the
# expected ones; re-recording is tests/golden/record.sh, a deliberate step.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/data" "${OUT_DIR}")
if(DATA_FILE)
  file(COPY "${DATA_FILE}" DESTINATION "${WORK_DIR}/data")
endif()
execute_process(COMMAND "${REPLAY}" "${SCRIPT}" "${OUT_DIR}"
                WORKING_DIRECTORY "${WORK_DIR}"
                OUTPUT_VARIABLE actual RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "replay failed (${rc}): ${err}")
endif()
file(READ "${EXPECTED}" expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "golden frames differ\n--- expected (${EXPECTED})\n${expected}--- actual (images in ${OUT_DIR})\n${actual}")
endif()

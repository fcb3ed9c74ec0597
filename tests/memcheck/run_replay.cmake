# Runs the replay tool on SCRIPT in a fresh WORK_DIR holding data/tes256.bmp,
# optionally under a checker (CHECKER: a command and its options separated
# by '|', such as valgrind's), and fails unless the tool exits 0 having taken the last shot
# LAST_SHOT (so the whole script ran and the program left through its close
# path, where the release sequence runs).
string(REPLACE "|" ";" CHECKER "${CHECKER}")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/data")
file(COPY "${DATA_FILE}" DESTINATION "${WORK_DIR}/data")
execute_process(COMMAND ${CHECKER} "${REPLAY}" "${SCRIPT}" "${WORK_DIR}/out"
                WORKING_DIRECTORY "${WORK_DIR}"
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "replay failed (${rc})\n${out}\n${err}")
endif()
if(NOT out MATCHES "(^|\n)${LAST_SHOT} ")
  message(FATAL_ERROR "the run ended before its last shot `${LAST_SHOT}`\n${out}\n${err}")
endif()
message(STATUS "${out}")

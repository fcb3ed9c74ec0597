# Runs vantir-replay on SCRIPT (driving PROGRAM, default the demo) in a fresh
# WORK_DIR, which holds data/ with the textures of DATA_DIR when one is given,
# writing the shots to OUT_DIR, optionally under a
# checker (CHECKER: a command and its options separated by '|', such as
# valgrind's). Fails unless the tool exits 0 and its shot lines are those of
# EXPECTED, each shot being its image in IMAGES (golden frames: on a mismatch
# the actual images stay in OUT_DIR; re-recording is tests/golden/record.sh, a
# deliberate step), or, without EXPECTED, end with the shot LAST_SHOT (the
# whole script ran and the program left through its close path).
string(REPLACE "|" ";" CHECKER "${CHECKER}")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/data")
if(DATA_DIR)
  file(GLOB textures "${DATA_DIR}/*.bmp")
  file(COPY ${textures} DESTINATION "${WORK_DIR}/data")
endif()
if(NOT PROGRAM)
  set(PROGRAM demo)
endif()
execute_process(COMMAND ${CHECKER} "${REPLAY}" --program ${PROGRAM} "${SCRIPT}" "${OUT_DIR}" WORKING_DIRECTORY "${WORK_DIR}"
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "replay failed (${rc})\n${out}\n${err}")
endif()
if(EXPECTED)
  file(READ "${EXPECTED}" expected)
  if(NOT out STREQUAL expected)
    message(FATAL_ERROR "golden frames differ\n--- expected (${EXPECTED})\n${expected}--- actual (images in ${OUT_DIR})\n${out}")
  endif()
  # Every shot's committed image in IMAGES must be the one its hash pins.
  file(STRINGS "${EXPECTED}" shots)
  foreach(shot IN LISTS shots)
    string(REGEX REPLACE " .*" "" shot "${shot}")
    execute_process(COMMAND compare -metric AE "${OUT_DIR}/${shot}.bmp" "${IMAGES}/${shot}.png" null:
                    RESULT_VARIABLE rc ERROR_VARIABLE differing)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "${IMAGES}/${shot}.png is not the image of shot ${shot} (${differing} pixels differ)")
    endif()
  endforeach()
elseif(NOT out MATCHES "(^|\n)${LAST_SHOT} ")
  message(FATAL_ERROR "the run ended before its last shot `${LAST_SHOT}`\n${out}\n${err}")
endif()

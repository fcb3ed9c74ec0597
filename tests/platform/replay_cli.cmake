# One command-line case of vantir-replay, chosen by CASE; see CMakeLists.txt.
# A row: case, script text (written to s.replay), the two arguments (NONE: left
# out), exit code, and what standard output and standard error must match.
# When nothing may run (empty output), no output directory may appear either.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/data")
set(h "[0-9a-f][0-9a-f][0-9a-f][0-9a-f]")
function(row name text arg1 arg2 rc out err)
  if(CASE STREQUAL "${name}")
    foreach(field text arg1 arg2 rc out err)
      set(want_${field} "${${field}}" PARENT_SCOPE)
    endforeach()
  endif()
endfunction()

row(malformed "client 64 48\n# fine so far\nmove 1\nshot never\n" s.replay out 1 "^$" "^s.replay:3: ")
row(usage "" only-one NONE 2 "^$" "^usage: vantir-replay \\[--program demo\\|gallery\\] SCRIPT OUTDIR\n.*Exit status:\n.*  3  the program ended")
row(unknown_option "idle 1\n" -x out 2 "^$" "^vantir-replay: unknown option -x\nusage: ")
row(directory "" . out 1 "^$" "^vantir-replay: cannot read \\.: Is a directory\n$")
row(empty_outdir "idle 1\n" s.replay "" 2 "^$" "^vantir-replay: argument 2, OUTDIR .* is empty\n")
# The relative output directory is resolved before the program changes into data/.
row(ended_before_shots "client 64 48\nidle 1\nshot first\nchar 27\nidle 1\nshot never\nshot gone\n" s.replay out 3
    "^first 64x47 ${h}${h}${h}${h}\n$" "not written: never \\(line 6\\), gone \\(line 7\\)\n$")
row(client_no_row "client 3 1\n" s.replay out 1 "^$" "^s.replay:1: client 3 1 leaves the back buffer no row")
row(unknown_command "idle 1\njump 1 2\n" s.replay out 1 "^$" "^s.replay:2: unknown command 'jump'\n$")
row(shot_before_frame "idle 0\nshot early\n" s.replay out 1 "^$" "^s.replay:2: shot before any frame")
if(NOT DEFINED want_rc)
  message(FATAL_ERROR "no row for case ${CASE}")
endif()

file(WRITE "${WORK_DIR}/s.replay" "${want_text}")
# Arguments quoted, so that an empty one stays an argument.
if(want_arg2 STREQUAL "NONE")
  execute_process(COMMAND "${REPLAY}" "${want_arg1}" WORKING_DIRECTORY "${WORK_DIR}"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
else()
  execute_process(COMMAND "${REPLAY}" "${want_arg1}" "${want_arg2}" WORKING_DIRECTORY "${WORK_DIR}"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
endif()
if(NOT rc EQUAL want_rc OR NOT out MATCHES "${want_out}" OR NOT err MATCHES "${want_err}" OR
   (want_out STREQUAL "^$" AND EXISTS "${WORK_DIR}/out"))
  message(FATAL_ERROR "${CASE}: rc=${rc} (want ${want_rc})\nout=[${out}]\nerr=[${err}]")
endif()
if(CASE STREQUAL "ended_before_shots")
  file(SIZE "${WORK_DIR}/out/first.bmp" size)
  if(NOT size EQUAL 6070)  # a 54-byte header and 47 rows of 64 16-bit pixels
    message(FATAL_ERROR "first.bmp has ${size} bytes, not 6070")
  endif()
endif()

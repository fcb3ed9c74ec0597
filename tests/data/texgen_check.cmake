# Writes every texture texgen makes into WORK_DIR and fails, naming them, when
# any differs from its committed copy in DATA_DIR.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
execute_process(COMMAND "${TEXGEN}" --gallery "${WORK_DIR}" COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
execute_process(COMMAND "${TEXGEN}" "${WORK_DIR}/tes256.bmp" COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
file(GLOB written RELATIVE "${WORK_DIR}" "${WORK_DIR}/*.bmp")
set(differ "")
foreach(name ${written})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK_DIR}/${name}" "${DATA_DIR}/${name}"
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    list(APPEND differ ${name})
  endif()
endforeach()
if(differ)
  message(FATAL_ERROR "texgen no longer writes the committed data/ files: ${differ} (regenerate them with texgen)")
endif()

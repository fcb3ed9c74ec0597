# vantir_add_program(NAME ENTRY LIBRARY [PAGE page.html] [TITLE title] [HELP text]
#                    [LINK other.html] [LINK_TEXT text] [DATA file...])
#
# One program on the shell for the platform being built: ENTRY defines its
# WinMain, LIBRARY holds the rest of it (its Program record and scene).
#   Windows: NAME.exe, entered at WinMain by the C runtime.
#   Linux:   NAME on the SDL2 backend, whose main() enters WinMain.
#   Browser: NAME.js and NAME.wasm with the DATA files packed under /data/, and
#            PAGE made from the shared page template with TITLE, HELP and a
#            LINK to another program's page, shown as LINK_TEXT.
# Every executable lands at the top of the build tree, where `./dev` finds it.
function(vantir_add_program name entry library)
  cmake_parse_arguments(ARG "" "PAGE;TITLE;HELP;LINK;LINK_TEXT" "DATA" ${ARGN})
  if(WIN32)
    add_executable(${name} WIN32 ${entry})
    target_link_libraries(${name} PRIVATE ${library})
  elseif(EMSCRIPTEN)
    add_executable(${name} ${entry})
    target_link_libraries(${name} PRIVATE ${library} vantir_web)
    set(packed)
    foreach(file ${ARG_DATA})
      get_filename_component(base ${file} NAME)
      list(APPEND packed "SHELL:--embed-file ${file}@/data/${base}")  # SHELL: kept whole, not deduplicated
    endforeach()
    # ASYNCIFY saves the frames of every call that can wait: a message box from
    # deep inside start-up (window creation, window procedure, loader) is the
    # deepest; 16 KB leaves it a wide margin.
    target_link_options(${name} PRIVATE -sENVIRONMENT=web -sASYNCIFY -sASYNCIFY_STACK_SIZE=16384
                        -sALLOW_MEMORY_GROWTH=1 -sEXPORTED_RUNTIME_METHODS=FS ${packed})
    set_property(TARGET ${name} PROPERTY LINK_DEPENDS ${ARG_DATA})
    set(VANTIR_PAGE_TITLE ${ARG_TITLE})
    set(VANTIR_PAGE_HELP ${ARG_HELP})
    set(VANTIR_PAGE_LINK ${ARG_LINK})
    set(VANTIR_PAGE_LINK_TEXT ${ARG_LINK_TEXT})
    set(VANTIR_PAGE_SCRIPT ${name}.js)
    configure_file(${PROJECT_SOURCE_DIR}/src/platform/web/page.html ${PROJECT_BINARY_DIR}/${ARG_PAGE} @ONLY)
  elseif(TARGET vantir_sdl)
    add_executable(${name} ${entry})
    target_link_libraries(${name} PRIVATE ${library} vantir_sdl)
  else()
    return()  # no SDL2: no window to show a program in
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
endfunction()

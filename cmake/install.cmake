# What `cmake --install` puts under the prefix, and the release packages that
# CPack makes of it (`./dev package` builds all four).
#
# Linux: the headers under include/vantir/ (as the folders are in src/), the
# engine and backend archives with the CMake package (vantir::engine,
# vantir::sdl, vantir::headless) and pkg-config files, the tools, and the
# programs: their executables in libexec/vantir/, a launcher of each in bin/
# that starts it in share/vantir/, beside its data/.
# Windows: the two programs and data/, nothing to install.
# Browser: both pages with their scripts and modules.
include(CMakePackageConfigHelpers)

set(CPACK_PACKAGE_NAME vantir)
set(CPACK_PACKAGE_VENDOR "the vantir developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "vantir developers <vantir@example.invalid>")
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)

if(WIN32)
  install(TARGETS vantir vantir-gallery RUNTIME DESTINATION .)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION data FILES_MATCHING PATTERN "*.bmp")
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME vantir-${PROJECT_VERSION}-windows-x86_64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  include(CPack)
  return()
endif()

if(EMSCRIPTEN)
  foreach(program vantir vantir-gallery)
    install(FILES ${PROJECT_BINARY_DIR}/${program}.js ${PROJECT_BINARY_DIR}/${program}.wasm DESTINATION .)
  endforeach()
  install(FILES ${PROJECT_BINARY_DIR}/index.html ${PROJECT_BINARY_DIR}/gallery.html DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME vantir-${PROJECT_VERSION}-web)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  include(CPack)
  return()
endif()

# ---- Linux: the library --------------------------------------------------------

set(VANTIR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/vantir)
set(VANTIR_BACKENDS headless)
if(TARGET vantir_sdl)
  list(APPEND VANTIR_BACKENDS sdl)
endif()
set(exported vantir_engine)
foreach(backend ${VANTIR_BACKENDS})
  list(APPEND exported vantir_${backend}_backend vantir_${backend})
endforeach()
install(TARGETS ${exported} EXPORT vantirTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(EXPORT vantirTargets NAMESPACE vantir:: DESTINATION ${VANTIR_CMAKE_DIR})
# The public headers: the engine's and the shell's, the Windows API subset and
# the headless backend's control. The other backends' inner parts stay inside.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vantir
        FILES_MATCHING PATTERN "*.h"
        PATTERN "app/demo" EXCLUDE PATTERN "platform/common" EXCLUDE PATTERN "platform/sdl" EXCLUDE
        PATTERN "platform/web" EXCLUDE)

set(VANTIR_FIND_SDL2 "")
if(TARGET vantir_sdl)
  set(VANTIR_FIND_SDL2 "find_dependency(SDL2 CONFIG)")
endif()
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/vantirConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/vantirConfig.cmake INSTALL_DESTINATION ${VANTIR_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/vantirConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/vantirConfig.cmake ${PROJECT_BINARY_DIR}/vantirConfigVersion.cmake
        DESTINATION ${VANTIR_CMAKE_DIR})

# pkg-config: vantir (the engine), and one file a backend that requires it.
# A backend's libraries come as one group for the same reason as above. The
# prefix is found from the file's own place, so an installed tree can move.
file(RELATIVE_PATH VANTIR_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" VANTIR_PC_TO_PREFIX "${VANTIR_PC_TO_PREFIX}")
foreach(pc vantir ${VANTIR_BACKENDS})
  if(pc STREQUAL vantir)
    set(VANTIR_PC_NAME vantir)
    set(VANTIR_PC_DESCRIPTION "${PROJECT_DESCRIPTION}: the engine and the shell")
    set(VANTIR_PC_REQUIRES "")
    set(VANTIR_PC_LIBS "-L\${libdir} -lvantir")
    set(VANTIR_PC_CFLAGS "-I\${includedir} -I\${includedir}/vantir -std=c++20 -fwrapv")
  else()
    set(VANTIR_PC_NAME vantir-${pc})
    set(VANTIR_PC_DESCRIPTION "vantir's ${pc} backend")
    set(VANTIR_PC_REQUIRES "vantir")
    # The archives by path: pkg-config would merge a second -lvantir into the engine's.
    set(VANTIR_PC_LIBS "-Wl,--start-group \${libdir}/libvantir-${pc}.a \${libdir}/libvantir.a -Wl,--end-group")
    set(VANTIR_PC_CFLAGS "")
    if(pc STREQUAL sdl)
      set(VANTIR_PC_REQUIRES "vantir, sdl2")
    endif()
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/vantir.pc.in ${PROJECT_BINARY_DIR}/${VANTIR_PC_NAME}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${VANTIR_PC_NAME}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

# ---- Linux: the programs and tools -------------------------------------------

install(TARGETS vantir-replay texgen RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vantir/data
        FILES_MATCHING PATTERN "*.bmp")
if(TARGET vantir)
  foreach(program vantir vantir-gallery)
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/vantir)
    set(VANTIR_PROGRAM ${program})
    file(RELATIVE_PATH VANTIR_TO_DATA /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_DATADIR}/vantir)
    file(RELATIVE_PATH VANTIR_TO_PROGRAM /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBEXECDIR}/vantir/${program})
    configure_file(${PROJECT_SOURCE_DIR}/cmake/launcher.sh.in ${PROJECT_BINARY_DIR}/launchers/${program} @ONLY)
    install(PROGRAMS ${PROJECT_BINARY_DIR}/launchers/${program} DESTINATION ${CMAKE_INSTALL_BINDIR})
  endforeach()
endif()

set(CPACK_GENERATOR TGZ DEB)
set(CPACK_PACKAGE_FILE_NAME vantir-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsdl2-2.0-0, libc6, libstdc++6")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libsdl2-dev, pkg-config, cmake")
# The .deb installs under /usr; the archive unpacks as bin/, lib/, share/...
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack_options.cmake)
include(CPack)

# Run by `cmake --install`: copies the bundled scripts into the installed Scripts folder with
# @VEMORA_DEMO_FOLDER@ replaced by the installed demo folder. VEMORA_SCRIPT_SOURCES and
# VEMORA_INSTALL_DIR are set by the install code before this file runs.
set(VEMORA_DEMO_FOLDER "${CMAKE_INSTALL_PREFIX}/${VEMORA_INSTALL_DIR}/local/demo")
set(destination "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${VEMORA_INSTALL_DIR}/Scripts")
foreach(script ${VEMORA_SCRIPT_SOURCES})
  get_filename_component(name "${script}" NAME)
  message(STATUS "Installing: ${destination}/${name}")
  configure_file("${script}" "${destination}/${name}" @ONLY)
  file(CHMOD "${destination}/${name}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${destination}/${name}")
endforeach()

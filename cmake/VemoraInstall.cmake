# Installation and the Debian package.
#
# `cmake --install build --prefix P` lays out the installation folder under P/lib/vemora exactly
# as the build folder's bin/ (the program, its libraries, Modules, Soft, Hard, SystemRegistry,
# Scripts, History, local and docs) with a link P/bin/vemora to the program, and the desktop
# files under P/share. Everything finds its libraries through $ORIGIN, so the folder works
# wherever it lands. `cpack` (run in the build folder) makes the .deb for /usr.
include(GNUInstallDirs)

set(VEMORA_INSTALL_DIR "lib/vemora" CACHE STRING "Installation folder, relative to the prefix")
set(VEMORA_PACKAGE_MAINTAINER "Vemora developers <developers@vemora.invalid>"
  CACHE STRING "Maintainer named in the Debian package")

get_property(vemora_libraries GLOBAL PROPERTY VEMORA_INSTALLED_LIBRARIES)
# vreadhelper: the process that reads foreign formats, found beside the libraries.
set(vemora_programs Vemora)
if(TARGET vreadhelper)
  list(APPEND vemora_programs vreadhelper)
endif()
install(TARGETS ${vemora_programs} ${vemora_libraries}
  RUNTIME DESTINATION ${VEMORA_INSTALL_DIR}
  LIBRARY DESTINATION ${VEMORA_INSTALL_DIR})
foreach(folder Modules Soft Hard)
  get_property(plugins GLOBAL PROPERTY VEMORA_INSTALLED_PLUGINS_${folder})
  if(plugins)
    install(TARGETS ${plugins} LIBRARY DESTINATION ${VEMORA_INSTALL_DIR}/${folder})
  endif()
endforeach()

# The fixed sub-folders exist even when empty. Per-user state never ships: the build folder's
# SystemRegistry and History hold the developer's own, so only shipped files are named here.
foreach(sub Modules Soft Hard SystemRegistry Scripts History local)
  install(DIRECTORY DESTINATION ${VEMORA_INSTALL_DIR}/${sub})
endforeach()
if(EXISTS "${CMAKE_SOURCE_DIR}/data/SystemRegistry/QOVA.bmp")
  install(FILES "${CMAKE_SOURCE_DIR}/data/SystemRegistry/QOVA.bmp"
    DESTINATION ${VEMORA_INSTALL_DIR}/SystemRegistry)
endif()
install(DIRECTORY "${VEMORA_BIN_DIR}/local/demo" DESTINATION ${VEMORA_INSTALL_DIR}/local)
if(EXISTS "${CMAKE_SOURCE_DIR}/docs")
  install(DIRECTORY "${VEMORA_BIN_DIR}/docs/" DESTINATION ${VEMORA_INSTALL_DIR}/docs)
endif()
# The marker that makes the program keep per-user state in the user's XDG folders.
install(FILES "${CMAKE_SOURCE_DIR}/packaging/Installed.txt" DESTINATION ${VEMORA_INSTALL_DIR})

# Scripts are configured again at install time: the demo names its data folder by absolute path,
# which must be the installed one, not the build folder's.
file(GLOB vemora_scripts CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/data/Scripts/*.v")
install(CODE "set(VEMORA_SCRIPT_SOURCES \"${vemora_scripts}\")
set(VEMORA_INSTALL_DIR \"${VEMORA_INSTALL_DIR}\")")
install(SCRIPT "${CMAKE_SOURCE_DIR}/cmake/VemoraInstallScripts.cmake")

# /usr/bin/vemora: a relative link, so the prefix can move. The program resolves it through
# /proc/self/exe and finds its installation folder.
file(RELATIVE_PATH vemora_link_target "/prefix/${CMAKE_INSTALL_BINDIR}"
  "/prefix/${VEMORA_INSTALL_DIR}/Vemora")
file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/packaging")
file(CREATE_LINK "${vemora_link_target}" "${CMAKE_BINARY_DIR}/packaging/vemora" SYMBOLIC)
install(FILES "${CMAKE_BINARY_DIR}/packaging/vemora" DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES packaging/vemora.desktop packaging/vemora-script.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/vemora.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/vemora-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
  RENAME vemora.xml)

# Debian wants a copyright file, a compressed change log and a manual page for /usr/bin/vemora.
find_program(GZIP_PROGRAM gzip)
set(vemora_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/vemora)
install(FILES packaging/copyright DESTINATION ${vemora_doc_dir})
if(GZIP_PROGRAM)
  foreach(pair "changelog;${vemora_doc_dir}" "vemora.1;${CMAKE_INSTALL_MANDIR}/man1")
    list(GET pair 0 name)
    list(GET pair 1 destination)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${name}.gz
      COMMAND ${GZIP_PROGRAM} -9n -c ${CMAKE_SOURCE_DIR}/packaging/${name}
        > ${CMAKE_BINARY_DIR}/packaging/${name}.gz
      DEPENDS ${CMAKE_SOURCE_DIR}/packaging/${name}
      COMMENT "Compressing ${name}")
    list(APPEND vemora_compressed ${CMAKE_BINARY_DIR}/packaging/${name}.gz)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/${name}.gz DESTINATION ${destination})
  endforeach()
  add_custom_target(VemoraPackagingFiles ALL DEPENDS ${vemora_compressed})
endif()

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "vemora")
set(CPACK_PACKAGE_VENDOR "Vemora developers")
set(CPACK_PACKAGE_CONTACT "${VEMORA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "workstation for 3-D anatomical data")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VEMORA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION "science")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The long description; CPack puts the summary above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Vemora views and combines image volumes (DICOM series, QV)
and surface models (VTK, OBJ, VRML, STL, PLY and more through reader plug-ins)
in a workspace of named resources, shown through layers in viewing tabs and
driven by a console command language that also runs scripts without a window.")
# Dependencies come from the binaries (Debian's own VTK, Qt and GDCM libraries); the program's
# private libraries live in its installation folder.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}/bin")
# Run-time pieces no binary links: the fonts of the console and the X platform's GL drivers.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, libgl1-mesa-dri")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

include(GenerateExportHeader)
include(GoogleTest)

# vemora_add_library(<name> SOURCES ... [LINKS ...] [PRIVATE_LINKS ...])
# A shared library of the workstation, built into the installation folder with an export header
# <name>Module.h that defines <NAME>_EXPORT (for example VemoraCommonModule.h / VEMORACOMMON_EXPORT).
function(vemora_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS;PRIVATE_LINKS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  string(TOUPPER ${name} upper)
  generate_export_header(${name}
    BASE_NAME ${upper}
    EXPORT_MACRO_NAME ${upper}_EXPORT
    EXPORT_FILE_NAME ${CMAKE_CURRENT_BINARY_DIR}/${name}Module.h)
  target_include_directories(${name} PUBLIC
    ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS} PRIVATE ${ARG_PRIVATE_LINKS})
  set_target_properties(${name} PROPERTIES BUILD_RPATH "$ORIGIN" INSTALL_RPATH "$ORIGIN")
endfunction()

# vemora_add_plugin(<name> FOLDER Modules|Soft|Hard SOURCES ... [LINKS ...])
# A run-time loaded plug-in, built straight into its folder of the installation folder so that
# tests and the program load it exactly where the program looks for it.
function(vemora_add_plugin name)
  cmake_parse_arguments(ARG "" "FOLDER" "SOURCES;LINKS" ${ARGN})
  add_library(${name} MODULE ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LINKS})
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    LIBRARY_OUTPUT_DIRECTORY "${VEMORA_BIN_DIR}/${ARG_FOLDER}"
    BUILD_RPATH "$ORIGIN/.."
    INSTALL_RPATH "$ORIGIN/..")
endfunction()

# vemora_add_test(<name> SOURCES ... LINKS ... [LABELS ...] [DISPLAY])
# One GoogleTest program. Tests are discovered when they run (PRE_TEST), labelled, and given the
# source, test-data and installation folders. DISPLAY marks programs that render: CTest runs them
# under the X server that the test script starts.
function(vemora_add_test name)
  cmake_parse_arguments(ARG "DISPLAY" "" "SOURCES;LINKS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE VemoraTesting ${ARG_LINKS})
  set_target_properties(${name} PROPERTIES BUILD_RPATH "$ORIGIN" INSTALL_RPATH "$ORIGIN")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT 120)
endfunction()

# Every target that renders or uses VTK's object factories needs the auto-init of its modules.
function(vemora_autoinit target)
  vtk_module_autoinit(TARGETS ${target} MODULES ${VTK_LIBRARIES})
endfunction()

# vemora_add_fuzzer(<name> SOURCES ... LINKS ... CORPUS <folder>)
# A fuzz target defining LLVMFuzzerTestOneInput. With VEMORA_BUILD_FUZZERS (clang) it is a
# libFuzzer program; otherwise it is built with a small main that replays every file of the
# corpus folder, and that replay is a test of the suite, so the corpus keeps guarding the parser.
function(vemora_add_fuzzer name)
  cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;LINKS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LINKS})
  set_target_properties(${name} PROPERTIES BUILD_RPATH "$ORIGIN" INSTALL_RPATH "$ORIGIN")
  if(VEMORA_BUILD_FUZZERS)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  else()
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/testing/fuzz/vFuzzReplayMain.cxx)
    if(VEMORA_BUILD_TESTING)
      add_test(NAME fuzz.${name}.replay COMMAND ${name} ${ARG_CORPUS})
      set_tests_properties(fuzz.${name}.replay PROPERTIES LABELS "fuzz" TIMEOUT 300)
    endif()
  endif()
endfunction()

# Adds every direct sub-folder of the current folder that has a CMakeLists.txt.
function(vemora_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

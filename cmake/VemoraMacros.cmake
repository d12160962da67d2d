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
  set_property(GLOBAL APPEND PROPERTY VEMORA_INSTALLED_LIBRARIES ${name})
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
  set_property(GLOBAL APPEND PROPERTY VEMORA_INSTALLED_PLUGINS_${ARG_FOLDER} ${name})
endfunction()

# Test kinds and their per-test time limits in seconds. A test's labels are its layer (the first
# of LABELS that is not a kind, capitalised) and its kind, so that `ctest -L unit` or
# `ctest -L render` picks the cases of one kind across all programs, and `ctest -L Rendering` the
# cases of one library.
set(VEMORA_TEST_KINDS unit render gui script long)
set(VEMORA_TIMEOUT_unit 30)
set(VEMORA_TIMEOUT_render 120)
set(VEMORA_TIMEOUT_gui 120)
set(VEMORA_TIMEOUT_script 120)
set(VEMORA_TIMEOUT_long 600)
if(VEMORA_SANITIZE)
  # Instrumented code runs about three times slower; the limits scale with it.
  foreach(kind ${VEMORA_TEST_KINDS})
    math(EXPR VEMORA_TIMEOUT_${kind} "${VEMORA_TIMEOUT_${kind}} * 3")
  endforeach()
endif()

# _vemora_render_cases(<out> <sources>...)
# The cases (Suite.Name) whose body starts with VEMORA_SKIP_WITHOUT_DISPLAY(): the cases that
# render. Found by reading the sources, so a new rendering test needs nothing else.
function(_vemora_render_cases out)
  set(found "")
  foreach(source ${ARGN})
    get_filename_component(path "${source}" ABSOLUTE)
    if(NOT path MATCHES "\\.(cxx|cpp|cc)$" OR NOT EXISTS "${path}")
      continue()
    endif()
    file(READ "${path}" text)
    # Characters that CMake lists treat specially are taken out before the text is cut into one
    # element per test case.
    string(REPLACE ";" " " text "${text}")
    string(REPLACE "[" " " text "${text}")
    string(REPLACE "]" " " text "${text}")
    string(REPLACE "\\" " " text "${text}")
    string(REGEX REPLACE
      "(TEST(_F|_P)?\\([ \t\r\n]*[A-Za-z0-9_]+[ \t\r\n]*,[ \t\r\n]*[A-Za-z0-9_]+[ \t\r\n]*\\))"
      ";\\1" chunks "${text}")
    foreach(chunk IN LISTS chunks)
      if(chunk MATCHES
          "^TEST(_F|_P)?\\([ \t\r\n]*([A-Za-z0-9_]+)[ \t\r\n]*,[ \t\r\n]*([A-Za-z0-9_]+)")
        set(name "${CMAKE_MATCH_2}.${CMAKE_MATCH_3}")
        if(chunk MATCHES "VEMORA_SKIP_WITHOUT_DISPLAY\\(")
          list(APPEND found "${name}")
        endif()
      endif()
    endforeach()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

# vemora_add_test(<name> SOURCES ... LINKS ... [LABELS <layer> [kind]] [LONG <Suite.Name> ...]
#                 [DISPLAY])
# One GoogleTest program. Tests are discovered when they run (PRE_TEST) and given the source,
# test-data and installation folders. Each case is labelled with the program's layer and its
# kind, and gets the kind's time limit: the kind given in LABELS (unit when none), except that a
# case whose body calls VEMORA_SKIP_WITHOUT_DISPLAY() is a "render" case of a unit program, and
# the cases named in LONG are "long". DISPLAY marks programs that render: CTest runs them under
# the X server that the test script starts.
function(vemora_add_test name)
  cmake_parse_arguments(ARG "DISPLAY" "" "SOURCES;LINKS;LABELS;LONG" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE VemoraTesting ${ARG_LINKS})
  set_target_properties(${name} PROPERTIES BUILD_RPATH "$ORIGIN" INSTALL_RPATH "$ORIGIN")

  set(layer "")
  set(kind unit)
  foreach(label ${ARG_LABELS})
    if(label IN_LIST VEMORA_TEST_KINDS)
      set(kind ${label})
    elseif(layer STREQUAL "")
      set(layer ${label})
    endif()
  endforeach()
  # The layer label starts with a capital (Rendering, Common ...): ctest -L takes a regular
  # expression, and "render" must not pick the rendering library's unit cases. A program whose
  # labels name only its kind (LABELS "gui") gets that one label.
  set(layer_label "")
  if(NOT layer STREQUAL "")
    string(SUBSTRING "${layer}" 0 1 first)
    string(SUBSTRING "${layer}" 1 -1 rest)
    string(TOUPPER "${first}" first)
    set(layer_label "${first}${rest};")
  endif()
  set(render_cases "")
  if(kind STREQUAL "unit")
    _vemora_render_cases(render_cases ${ARG_SOURCES})
  endif()

  # gtest_discover_tests cannot pass a list as a property value (it splits "layer;unit" into
  # separate words), so the labels and limits are set by a file of our own that CTest reads
  # right after the discovered tests.
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    TEST_LIST ${name}_TESTS)
  set(labels_file "${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake")
  file(CONFIGURE OUTPUT "${labels_file}" @ONLY CONTENT [=[
# Labels and time limits of the cases of @name@ (written by vemora_add_test).
set(vemora_render_cases "@render_cases@")
set(vemora_long_cases "@ARG_LONG@")
foreach(vemora_case IN LISTS @name@_TESTS)
  set(vemora_kind "@kind@")
  foreach(vemora_kind_case IN LISTS vemora_render_cases)
    string(REPLACE "." "\\." vemora_pattern "${vemora_kind_case}")
    if(vemora_case MATCHES "(^|/)${vemora_pattern}(/|$)")
      set(vemora_kind render)
    endif()
  endforeach()
  foreach(vemora_kind_case IN LISTS vemora_long_cases)
    string(REPLACE "." "\\." vemora_pattern "${vemora_kind_case}")
    if(vemora_case MATCHES "(^|/)${vemora_pattern}(/|$)")
      set(vemora_kind long)
    endif()
  endforeach()
  if(vemora_kind STREQUAL "unit")
    set(vemora_timeout @VEMORA_TIMEOUT_unit@)
  elseif(vemora_kind STREQUAL "render")
    set(vemora_timeout @VEMORA_TIMEOUT_render@)
  elseif(vemora_kind STREQUAL "gui")
    set(vemora_timeout @VEMORA_TIMEOUT_gui@)
  elseif(vemora_kind STREQUAL "long")
    set(vemora_timeout @VEMORA_TIMEOUT_long@)
  else()
    set(vemora_timeout @VEMORA_TIMEOUT_script@)
  endif()
  set_tests_properties("${vemora_case}" PROPERTIES
    LABELS "@layer_label@${vemora_kind}" TIMEOUT ${vemora_timeout})
endforeach()
]=])
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${labels_file}")
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
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/testing/fuzz)
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

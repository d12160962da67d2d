# Runs the guide's example plug-ins in the program (see docs/CMakeLists.txt). Inputs: PROGRAM,
# EXAMPLES (the built plug-ins in Modules, Soft and Hard), SOURCE (this folder), WORK (a fresh
# folder for this run). The installation folder of the run holds the examples and nothing else.
file(REMOVE_RECURSE ${WORK})
foreach(sub SystemRegistry Scripts History local)
  file(MAKE_DIRECTORY ${WORK}/home/${sub})
endforeach()
foreach(sub Modules Soft Hard)
  file(COPY ${EXAMPLES}/${sub} DESTINATION ${WORK}/home)
endforeach()
file(COPY ${SOURCE}/points.xyz DESTINATION ${WORK})
# @WORK@ in the script and its expected replies names this run's folder.
configure_file(${SOURCE}/examples.v ${WORK}/examples.v @ONLY)
configure_file(${SOURCE}/examples.out ${WORK}/expected.out @ONLY)
file(READ ${WORK}/expected.out expected)

set(ENV{VEMORA_HOME} ${WORK}/home)
execute_process(COMMAND ${PROGRAM} --batch examples.v
  WORKING_DIRECTORY ${WORK}
  OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE code TIMEOUT 100)
file(WRITE ${WORK}/actual.out "${output}")
if(NOT "${output}" STREQUAL "${expected}")
  message(FATAL_ERROR "the examples' replies differ from examples.out\n"
    "--- expected\n${expected}\n--- actual\n${output}\n--- standard error\n${errors}\n"
    "(diff ${WORK}/expected.out ${WORK}/actual.out)")
endif()
if(NOT "${code}" STREQUAL "0")
  message(FATAL_ERROR "result ${code}, expected 0\n${errors}")
endif()

# Runs one console script test (see app/CMakeLists.txt). Inputs: PROGRAM, SCRIPT, BIN (the
# installation folder whose plug-ins are used), WORK (a fresh folder for this run), TESTDATA.
# In the script and its expected output, @TESTDATA@ names the shared real data, @DEMO@ the demo
# data of the installation and @WORK@ the run's folder.
get_filename_component(name ${SCRIPT} NAME_WE)
get_filename_component(folder ${SCRIPT} DIRECTORY)
file(REMOVE_RECURSE ${WORK})
# Hard stays empty: a live data source would add itself to every workspace listing.
foreach(sub SystemRegistry Scripts History local Hard)
  file(MAKE_DIRECTORY ${WORK}/home/${sub})
endforeach()
foreach(sub Modules Soft)
  file(CREATE_LINK ${BIN}/${sub} ${WORK}/home/${sub} SYMBOLIC)
endforeach()
set(DEMO ${BIN}/local/demo)
get_filename_component(TESTDATA ${TESTDATA} ABSOLUTE)
configure_file(${SCRIPT} ${WORK}/${name}.v @ONLY)
set(expected_output "")
if(EXISTS ${folder}/${name}.out)
  configure_file(${folder}/${name}.out ${WORK}/expected.out @ONLY)
  file(READ ${WORK}/expected.out expected_output)
endif()
set(expected_code 0)
if(EXISTS ${folder}/${name}.code)
  file(STRINGS ${folder}/${name}.code expected_code LIMIT_COUNT 1)
endif()

set(ENV{VEMORA_HOME} ${WORK}/home)
# A first line "# keep-going" runs every line even after failures.
file(STRINGS ${SCRIPT} first_line LIMIT_COUNT 1)
set(keep_going "")
if(first_line STREQUAL "# keep-going")
  set(keep_going --keep-going)
endif()
execute_process(COMMAND ${PROGRAM} --batch ${WORK}/${name}.v --screenshot ${WORK}/${name}.png
  ${keep_going}
  WORKING_DIRECTORY ${WORK}
  OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE code TIMEOUT 100)
file(WRITE ${WORK}/actual.out "${output}")
if(NOT "${output}" STREQUAL "${expected_output}")
  message(FATAL_ERROR "${name}: the output differs from ${name}.out\n"
    "--- expected\n${expected_output}\n--- actual\n${output}\n--- standard error\n${errors}\n"
    "(diff ${WORK}/expected.out ${WORK}/actual.out)")
endif()
if(NOT "${code}" STREQUAL "${expected_code}")
  message(FATAL_ERROR "${name}: result ${code}, expected ${expected_code}\n${errors}")
endif()

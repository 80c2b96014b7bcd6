# Installs the build into PREFIX and runs the installed bndhost's demo.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX} OUTPUT_QUIET RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
# EMULATOR runs a cross-built program (wine); SUFFIX is the programs' (.exe).
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=FENNICK_PLUGIN ${EMULATOR} ${PREFIX}/bin/bndhost${SUFFIX} --quiet demo ${PREFIX}/demo
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "installed bndhost failed (${result}):\n${output}\n${errors}")
endif()
file(REMOVE_RECURSE ${PREFIX})
message(STATUS "installed bndhost ran its demo")

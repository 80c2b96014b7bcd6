# Copies the DLLs that mingw-w64 programs need at run time (the C++ and GCC
# runtimes, winpthread, zlib) into the output folder and installs them beside
# the programs, where Windows looks first.
set(FENNICK_RUNTIME_DLLS "")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll zlib1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll} OUTPUT_VARIABLE found
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${found}")
    find_file(found_${dll} ${dll} PATH_SUFFIXES lib bin NO_CACHE)
    set(found "${found_${dll}}")
  endif()
  if(NOT EXISTS "${found}")
    message(FATAL_ERROR "${dll} not found: install g++-mingw-w64-x86-64-posix and libz-mingw-w64-dev")
  endif()
  list(APPEND FENNICK_RUNTIME_DLLS ${found})
endforeach()
file(COPY ${FENNICK_RUNTIME_DLLS} DESTINATION ${CMAKE_BINARY_DIR}/bin)
install(FILES ${FENNICK_RUNTIME_DLLS} DESTINATION ${CMAKE_INSTALL_BINDIR})

# The module built alone against the host's SDK, as an integrator builds it:
#   1. the stand-in installs as an SDK (cmake --install --component sdk);
#   2. the module alone builds against that prefix, and installs only itself;
#   3. it exports exactly ExportBND and ImportBND;
#   4. it links only the three SDK libraries and the system's;
#   5. the normal build's bndhost loads it and runs the demo (an import and
#      an export of every layout, every value checked).
# BUILD_DIR, SOURCE_DIR, GENERATOR, BUILD_TYPE, TOOLCHAIN (may be empty),
# WERROR, OBJDUMP, NM, WINDOWS_DLL, EMULATOR and SUFFIX come from the test.
set(work ${BUILD_DIR}/host-sdk-check)
file(REMOVE_RECURSE ${work})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed (${result}):\n${output}\n${errors}")
  endif()
  set(output "${output}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --component sdk --prefix ${work}/sdk)
file(GLOB_RECURSE headers RELATIVE ${work}/sdk/include ${work}/sdk/include/*)
list(SORT headers)
if(NOT "${headers}" MATCHES "^HostApi.h;orvo/.*;pelmo/Pelmo.h;tamsel/.*$" OR "${headers}" MATCHES "hostside|System.h")
  message(FATAL_ERROR "the SDK's headers are not the contract's: ${headers}")
endif()

set(toolchain "")
if(TOOLCHAIN)
  set(toolchain -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN})
endif()
run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${work}/build -G ${GENERATOR} -DCMAKE_BUILD_TYPE=${BUILD_TYPE} ${toolchain}
    -DFENNICK_WERROR=${WERROR} -DFENNICK_HOST_SDK=${work}/sdk)
run(${CMAKE_COMMAND} --build ${work}/build)
run(${CMAKE_COMMAND} --install ${work}/build --prefix ${work}/installed)
file(GLOB_RECURSE built RELATIVE ${work}/build/bin ${work}/build/bin/*)
file(GLOB_RECURSE installed RELATIVE ${work}/installed ${work}/installed/*)
if(WINDOWS_DLL)
  set(module fennick.dll)
else()
  set(module fennick.so)
endif()
if(NOT built STREQUAL module OR NOT installed STREQUAL "lib/fennick/${module}")
  message(FATAL_ERROR "the module's build made [${built}] and installed [${installed}], not only the module")
endif()

set(MODULE ${work}/build/bin/${module})
include(${CMAKE_CURRENT_LIST_DIR}/CheckExports.cmake)

# The libraries it names: NEEDED on ELF, "DLL Name" on Windows.
run(${OBJDUMP} -p ${MODULE})
string(REGEX MATCHALL "(NEEDED +|DLL Name: )[^\n]+" needed "${output}")
list(TRANSFORM needed REPLACE "^(NEEDED +|DLL Name: )" "")
set(sdk "")
foreach(library IN LISTS needed)
  if(library MATCHES "^lib(orvo|tamsel|pelmo)(\\.so\\.[0-9]+|\\.dll)$")
    list(APPEND sdk ${CMAKE_MATCH_1})
  elseif(NOT library MATCHES "^(libstdc\\+\\+|libm|libgcc_s|libc|ld-linux[^.]*)\\.so\\.[0-9]+$" AND
         NOT library MATCHES "^(KERNEL32|msvcrt|libstdc\\+\\+-6|libgcc_s_seh-1|libwinpthread-1|api-ms-win-.*)\\.dll$")
    message(FATAL_ERROR "the module links ${library}, neither the SDK's nor the system's")
  endif()
endforeach()
list(SORT sdk)
if(NOT sdk STREQUAL "orvo;pelmo;tamsel")
  message(FATAL_ERROR "the module links [${sdk}] of the SDK, not orvo, pelmo and tamsel")
endif()

run(${CMAKE_COMMAND} -E env --unset=FENNICK_PLUGIN ${EMULATOR} ${BUILD_DIR}/bin/bndhost${SUFFIX} --quiet --plugin ${MODULE}
    demo ${work}/demo)
if(NOT output MATCHES "demo: every check held")
  message(FATAL_ERROR "bndhost with the module built alone:\n${output}")
endif()
file(REMOVE_RECURSE ${work})
message(STATUS "the module builds alone against the host SDK, exports and links only what it must, and works")

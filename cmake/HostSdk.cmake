# The host's SDK as an integrator has it: FENNICK_HOST_SDK/include holds the
# contract's headers (orvo/, tamsel/, pelmo/ and HostApi.h), and
# FENNICK_HOST_SDK/lib its three libraries (on Windows their import
# libraries). Each becomes an imported target of the name the stand-in's
# target has, so that the module's build links it unchanged.
foreach(name IN ITEMS orvo tamsel pelmo)
  find_library(FENNICK_HOST_SDK_${name} NAMES ${name} PATHS ${FENNICK_HOST_SDK}/lib
               NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  add_library(${name} UNKNOWN IMPORTED)
  set_target_properties(${name} PROPERTIES
    IMPORTED_LOCATION ${FENNICK_HOST_SDK_${name}}
    INTERFACE_INCLUDE_DIRECTORIES ${FENNICK_HOST_SDK}/include)
endforeach()
if(NOT EXISTS ${FENNICK_HOST_SDK}/include/orvo/IoFilter.h)
  message(FATAL_ERROR "${FENNICK_HOST_SDK}/include holds no host SDK headers (orvo/IoFilter.h)")
endif()
message(STATUS "building the module alone against the host SDK in ${FENNICK_HOST_SDK}")

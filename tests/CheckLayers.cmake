# Fails when an include points up the module's layers:
#   host <- files <- support <- format <- plugin frame <- import, export <- factories,
# or when bndhost, a host of the contract, includes module code other than
# the files library and the public facts header.
# Each rule: the sources it applies to, and the includes they may not have.
set(rules
  "src/files/.*" "\"(support|format|plugin|import|export)/"
  "src/support/.*" "\"(format|plugin|import|export)/"
  "src/format/.*" "\"(plugin|import|export)/"
  "src/plugin/BndFilter.*" "\"(import|export)/"
  "src/import/.*" "\"(export/|plugin/Factories)"
  "src/export/.*" "\"(import/|plugin/Factories)"
  "apps/bndhost/.*" "\"(support|format|plugin|import|export)/")
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
  ${SOURCE_DIR}/src/support/* ${SOURCE_DIR}/src/files/* ${SOURCE_DIR}/src/plugin/* ${SOURCE_DIR}/src/format/*
  ${SOURCE_DIR}/src/import/* ${SOURCE_DIR}/src/export/* ${SOURCE_DIR}/apps/bndhost/*)
set(found "")
foreach(source IN LISTS sources)
  file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^#include \"")
  set(index 0)
  list(LENGTH rules count)
  while(index LESS count)
    list(GET rules ${index} applies)
    math(EXPR next "${index} + 1")
    list(GET rules ${next} forbidden)
    if(source MATCHES "^${applies}$")
      foreach(line IN LISTS includes)
        if(line MATCHES "${forbidden}")
          string(APPEND found "\n  ${source}: ${line}")
        endif()
      endforeach()
    endif()
    math(EXPR index "${index} + 2")
  endwhile()
endforeach()
if(found)
  message(FATAL_ERROR "includes that point up the layers:${found}")
endif()
message(STATUS "the includes of the module's layers point one way, and bndhost's only to the contract")

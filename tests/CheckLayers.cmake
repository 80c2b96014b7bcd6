# Fails when an include points up the module's layers:
#   host <- support <- files <- format <- plugin frame <- import, export <- factories.
# Each rule: the sources it applies to, and the includes they may not have.
set(rules
  "support/.*" "\"(files|format|plugin|import|export)/"
  "files/.*" "\"(format|plugin|import|export)/"
  "format/.*" "\"(plugin|import|export)/"
  "plugin/(BndFilter|DataPlan|RasterFit).*" "\"(import|export)/"
  "import/.*" "\"(export/|plugin/Factories)"
  "export/.*" "\"(import/|plugin/Factories)")
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
  ${SOURCE_DIR}/support/* ${SOURCE_DIR}/files/* ${SOURCE_DIR}/plugin/* ${SOURCE_DIR}/format/* ${SOURCE_DIR}/import/* ${SOURCE_DIR}/export/*)
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
message(STATUS "the includes of the module's layers point one way")

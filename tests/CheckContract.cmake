# Fails when a module source reaches past the host contract: it includes a
# host-side header (hostside/) or names what only hosts and tests may use.
# Against the host's real libraries such a source would not build.
set(extras
  "hostside/" "LatticeRows" "LatticeValues" "CParamReader" "IoError" "CFileError" "IsKnownType" "VisitPrimType"
  "ByteSwapArray" "GetRowBytes" "GetLattice" "GetPosition" "FormatStringV" "GetTypeName" "AllocateValues"
  "RowData" "BufferSize" "MinRefill" "tamsel::WideInt" "IsValid\\(" "GetErrorCode" "GetSourceFile")
file(GLOB_RECURSE sources
  ${SOURCE_DIR}/plugin/*.h ${SOURCE_DIR}/plugin/*.cpp ${SOURCE_DIR}/format/*.h ${SOURCE_DIR}/format/*.cpp
  ${SOURCE_DIR}/import/*.h ${SOURCE_DIR}/import/*.cpp ${SOURCE_DIR}/export/*.h ${SOURCE_DIR}/export/*.cpp)
set(found "")
foreach(source IN LISTS sources)
  file(STRINGS ${source} lines)
  foreach(line IN LISTS lines)
    foreach(extra IN LISTS extras)
      if(line MATCHES "${extra}")
        file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
        string(APPEND found "\n  ${name}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()
list(LENGTH sources count)
if(count EQUAL 0)
  message(FATAL_ERROR "no module sources under ${SOURCE_DIR}")
endif()
if(found)
  message(FATAL_ERROR "module sources use host-side extras:${found}")
endif()
message(STATUS "${count} module sources use the host contract only")

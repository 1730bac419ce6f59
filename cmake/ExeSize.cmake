# cmake -DEXE=path [-DLIMIT=bytes] -P ExeSize.cmake
# Prints the exe's size; with LIMIT, fails when the exe is larger.
file(SIZE "${EXE}" size)
message("${EXE}: ${size} bytes")
if(LIMIT AND size GREATER LIMIT)
  message(FATAL_ERROR "the exe is ${size} bytes, more than ${LIMIT}")
endif()

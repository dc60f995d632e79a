# CpioArg and CpioChk on arbitrary values, through the real library.
if(TARGET host)
  tw_add_fuzz(NAME cpio_apply SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/cpio_apply.cpp LIBS host)
  target_compile_definitions(fuzz_cpio_apply PRIVATE TW_LIB_DIR="${CMAKE_BINARY_DIR}/lib")
  add_dependencies(fuzz_cpio_apply blockio32a blockio32c)
endif()

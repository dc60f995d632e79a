# The bitmap reader on arbitrary values: whatever it accepts it can invert
# and walk row by row inside the value.
tw_add_fuzz(NAME bitmap SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bitmap.cpp LIBS blockio_core)

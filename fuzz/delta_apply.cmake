# The delta applier on arbitrary deltas, references and positions; the
# generator's deltas must rebuild their targets.
tw_add_fuzz(NAME delta_apply SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/delta_apply.cpp LIBS blockio_core)

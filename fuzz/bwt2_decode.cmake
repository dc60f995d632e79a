# The Bwt2 decoder on arbitrary streams; clean decodes must survive a round
# trip through the encoder.
tw_add_fuzz(NAME bwt2_decode SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bwt2_decode.cpp LIBS codec)

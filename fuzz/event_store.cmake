# The calendar's event store over arbitrary year files and drop files.
if(TARGET twcalendar_store)
  tw_add_fuzz(NAME event_store SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/event_store.cpp LIBS twcalendar_store)
endif()

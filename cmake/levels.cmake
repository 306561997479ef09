# The level check's own files: the reading of the cells (also tested by the
# suite), the overview and chart pictures, and the beam search that the bot
# and the player model share.
target_sources(blompplaycheck PRIVATE ${CMAKE_SOURCE_DIR}/tools/levelscan.cpp ${CMAKE_SOURCE_DIR}/tools/levelpics.cpp
  ${CMAKE_SOURCE_DIR}/tools/beamsearch.cpp ${CMAKE_SOURCE_DIR}/tools/playermodel.cpp)
target_include_directories(blompplaycheck PRIVATE ${CMAKE_SOURCE_DIR}/tools)
if(BLOMP_TESTS)
  target_sources(blomp_tests PRIVATE ${CMAKE_SOURCE_DIR}/tools/levelscan.cpp)
  target_include_directories(blomp_tests PRIVATE ${CMAKE_SOURCE_DIR}/tools)
endif()

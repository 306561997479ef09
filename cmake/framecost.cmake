# blompframecost: the instruction count of a frame under valgrind's callgrind
# (scripts/framecost.sh). Built only where valgrind's headers are installed.
include(CheckIncludeFileCXX)
check_include_file_cxx(valgrind/callgrind.h BLOMP_HAVE_CALLGRIND)
if(BLOMP_HAVE_CALLGRIND)
  add_executable(blompframecost ${CMAKE_SOURCE_DIR}/tools/framecost.cpp)
  target_link_libraries(blompframecost PRIVATE blompcore)
endif()

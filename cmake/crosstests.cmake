# A cross build runs its tests under qemu-user. Every program of the target that
# a test may start (the test program itself, the game, zdatool, the harness, the soak,
# databuild) gets a twin script in emulated/ that starts it through qemu, and the
# tests are told the twins' names instead of the programs'. Included at the end
# of CMakeLists.txt; cross.cmake made emulated/run the emulator CTest uses.
if(TARGET hosttools)
  add_dependencies(gamedata hosttools)
endif()
if(NOT BLOMP_QEMU OR NOT TARGET blomp_tests)
  return()
endif()

set(BLOMP_EMULATED ${CMAKE_BINARY_DIR}/emulated)
set(BLOMP_SCRIPT_MODE OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Mesa's off-screen GL draws with softpipe, its interpreter: llvmpipe's generated
# ARM code, run by qemu-arm, samples the frame's texture at the wrong place (the
# off-screen display tests fail on armhf, and drift past their tolerance on
# arm64). A Pi itself draws with its own GPU driver, not with either.
file(GENERATE OUTPUT ${BLOMP_EMULATED}/run
  CONTENT "#!/bin/sh\n# Runs a program of the target through its twin: run PROGRAM [ARGS...]\nprogram=$(basename \"$1\")\nshift\nGALLIUM_DRIVER=\"\${GALLIUM_DRIVER:-softpipe}\"\nexport GALLIUM_DRIVER\nexec \"${BLOMP_EMULATED}/$program\" \"$@\"\n"
  FILE_PERMISSIONS ${BLOMP_SCRIPT_MODE})
get_target_property(blomp_test_defs blomp_tests COMPILE_DEFINITIONS)
set(blomp_emulated_programs blomp_tests blomp zdatool blompharness databuild)
if(TARGET blompsoak)
  list(APPEND blomp_emulated_programs blompsoak)
endif()
foreach(program ${blomp_emulated_programs})
  file(GENERATE OUTPUT ${BLOMP_EMULATED}/${program}
    CONTENT "#!/bin/sh\nexec ${BLOMP_QEMU} -0 \"$0\" \"$<TARGET_FILE:${program}>\" \"$@\"\n"
    FILE_PERMISSIONS ${BLOMP_SCRIPT_MODE})
  list(TRANSFORM blomp_test_defs REPLACE "\\$<TARGET_FILE:${program}>" "${BLOMP_EMULATED}/${program}")
  add_dependencies(blomp_tests ${program})
endforeach()
set_target_properties(blomp_tests PROPERTIES COMPILE_DEFINITIONS "${blomp_test_defs}")

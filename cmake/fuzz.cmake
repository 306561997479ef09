# Fuzzing and soaking: the fuzz targets (tools/fuzz), shared by the libFuzzer
# programs and the regression test that replays kept inputs; the seed corpora
# built from the game's data; the monkey soak. Included at the end of the top
# CMakeLists.txt, once every target of the game exists.
#
#   CC=clang CXX=clang++ cmake -S . -B build-fuzz -DBLOMP_FUZZ=ON -DBLOMP_TESTS=OFF
#
# builds the game's code with AddressSanitizer, UndefinedBehaviorSanitizer and
# libFuzzer's coverage, one program fuzz_<target> per target, and the seeds in
# build-fuzz/seeds/<target>. scripts/fuzz.sh and scripts/soak.sh run them.

option(BLOMP_FUZZ "Build the libFuzzer targets and the soak with sanitizers (clang only)" OFF)

set(BLOMP_FUZZ_TARGETS archive map config hiscores savegame bitmap wav music)

if(BLOMP_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "BLOMP_FUZZ needs clang: CC=clang CXX=clang++")
  endif()
  # Everything that links the game's code gets the sanitizers; the code itself gets libFuzzer's coverage too.
  set(BLOMP_FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                       -fno-omit-frame-pointer)
  target_compile_options(blompcore PUBLIC ${BLOMP_FUZZ_FLAGS})
  target_link_options(blompcore PUBLIC -fsanitize=address,undefined)
endif()

# The targets' code, without the libFuzzer entry and the seed builder.
set(BLOMP_FUZZ_DIR ${CMAKE_SOURCE_DIR}/tools/fuzz)
file(GLOB BLOMP_FUZZ_SOURCES CONFIGURE_DEPENDS ${BLOMP_FUZZ_DIR}/*.cpp)
list(REMOVE_ITEM BLOMP_FUZZ_SOURCES ${BLOMP_FUZZ_DIR}/main.cpp ${BLOMP_FUZZ_DIR}/seeds.cpp)
add_library(blompfuzztargets STATIC ${BLOMP_FUZZ_SOURCES})
target_include_directories(blompfuzztargets PUBLIC ${BLOMP_FUZZ_DIR})
target_link_libraries(blompfuzztargets PUBLIC blompcore)
target_compile_definitions(blompfuzztargets PRIVATE BLOMP_RUN_DIR="${BLOMP_RUN_DIR}")
add_dependencies(blompfuzztargets gamedata)
if(TARGET blomp_tests)
  target_link_libraries(blomp_tests PRIVATE blompfuzztargets)
  add_dependencies(blomp_tests blompsoak)
  target_compile_definitions(blomp_tests PRIVATE SOAK_BINARY="$<TARGET_FILE:blompsoak>")
endif()

# The monkey soak: random input through the whole game on the simulated clock.
add_executable(blompsoak ${CMAKE_SOURCE_DIR}/tools/soak.cpp)
target_link_libraries(blompsoak PRIVATE blompcore)

if(BLOMP_FUZZ)
  foreach(target ${BLOMP_FUZZ_TARGETS})
    add_executable(fuzz_${target} ${BLOMP_FUZZ_DIR}/main.cpp)
    target_compile_definitions(fuzz_${target} PRIVATE BLOMP_FUZZ_TARGET="${target}")
    target_link_libraries(fuzz_${target} PRIVATE blompfuzztargets)
    target_link_options(fuzz_${target} PRIVATE -fsanitize=fuzzer)
  endforeach()

  # The seed corpora, rebuilt whenever the data is.
  set(BLOMP_SEEDS_DIR ${CMAKE_BINARY_DIR}/seeds)
  add_executable(blompfuzzseeds ${BLOMP_FUZZ_DIR}/seeds.cpp)
  target_link_libraries(blompfuzzseeds PRIVATE blompcore)
  add_custom_command(
    OUTPUT ${BLOMP_SEEDS_DIR}/stamp
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${BLOMP_SEEDS_DIR}
    COMMAND blompfuzzseeds ${BLOMP_RUN_DIR} ${BLOMP_SEEDS_DIR}
    COMMAND ${CMAKE_COMMAND} -E touch ${BLOMP_SEEDS_DIR}/stamp
    DEPENDS blompfuzzseeds ${BLOMP_ASSETS}
    COMMENT "Building the fuzzers' seed corpora from the game data"
    VERBATIM)
  # After the data, as a target: naming the data files here would run the data build twice at once.
  add_custom_target(fuzzseeds ALL DEPENDS ${BLOMP_SEEDS_DIR}/stamp)
  add_dependencies(fuzzseeds gamedata)
endif()

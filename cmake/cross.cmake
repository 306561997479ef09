# What changes with the machine the game is built for, and the programs the
# build itself runs there. Included early from CMakeLists.txt.

# 32-bit systems: files and folder entries with 64-bit sizes and inode numbers
# (readdir under qemu-arm, and on big disks, fails with EOVERFLOW without it).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_compile_definitions(_FILE_OFFSET_BITS=64)
endif()

# Programs of the target run under qemu-user; CMake and CTest start them through
# emulated/run, which hands each to its twin script in emulated/ (made by
# crosstests.cmake). The twin starts qemu with the twin itself as the program's
# argv[0], so that a program that starts itself again (a death test of the test
# suite does) comes back through qemu: there is no binfmt_misc to do it.
if(CMAKE_CROSSCOMPILING AND CMAKE_CROSSCOMPILING_EMULATOR)
  set(BLOMP_QEMU ${CMAKE_CROSSCOMPILING_EMULATOR})
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/emulated/run)
endif()

# The programs the build itself runs (the data builder and the icon maker) must
# run on the build machine. In a native build they are targets of this build; in
# a cross build they are built a second time for the build machine, with its own
# compiler, either here in host/ below the build folder or, when BLOMP_HOST_TOOLS
# names a native build folder of the same sources, there.
# Sets BLOMP_DATABUILD (the command that builds the data) and, in a cross build,
# BLOMP_HOST_TOOLS_DIR (the folder of the build machine's programs).
if(NOT CMAKE_CROSSCOMPILING)
  set(BLOMP_DATABUILD databuild)
  return()
endif()

set(BLOMP_HOST_TOOLS "" CACHE PATH "A native build folder of these sources whose tools the cross build runs")
if(BLOMP_HOST_TOOLS)
  set(BLOMP_HOST_TOOLS_DIR ${BLOMP_HOST_TOOLS})
  add_custom_target(hosttools
    COMMAND ${CMAKE_COMMAND} --build ${BLOMP_HOST_TOOLS_DIR} --target databuild blompicons
    BYPRODUCTS ${BLOMP_HOST_TOOLS_DIR}/databuild ${BLOMP_HOST_TOOLS_DIR}/blompicons
    COMMENT "Bringing the build machine's tools in ${BLOMP_HOST_TOOLS_DIR} up to date")
else()
  include(ExternalProject)
  set(BLOMP_HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host)
  ExternalProject_Add(hosttools
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${BLOMP_HOST_TOOLS_DIR}
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE= -DCMAKE_BUILD_TYPE=Release -DBLOMP_TESTS=OFF
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target databuild blompicons
    BUILD_BYPRODUCTS ${BLOMP_HOST_TOOLS_DIR}/databuild ${BLOMP_HOST_TOOLS_DIR}/blompicons
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    USES_TERMINAL_BUILD ON)
endif()
set(BLOMP_DATABUILD ${BLOMP_HOST_TOOLS_DIR}/databuild)

# Cross build for 32-bit ARM with hardware floating point (Debian armhf: ARMv7 and
# later, Pi 2 and newer running a 32-bit system) with Debian's arm-linux-gnueabihf
# compilers. scripts/cross.sh armhf prepares what it needs.
set(BLOMP_CROSS_TRIPLET arm-linux-gnueabihf)
set(BLOMP_CROSS_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/cross-common.cmake)
# GCC notes at every std::vector<double> that its parameter passing changed in
# GCC 7.1; everything here is built by one compiler, so the note says nothing.
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")

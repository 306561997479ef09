# Cross build for 32-bit ARM with hardware floating point (Debian armhf: ARMv7 and
# later, Pi 2 and newer running a 32-bit system) with Debian's arm-linux-gnueabihf
# compilers. scripts/cross.sh armhf prepares what it needs.
set(BLOMP_CROSS_TRIPLET arm-linux-gnueabihf)
set(BLOMP_CROSS_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/cross-common.cmake)

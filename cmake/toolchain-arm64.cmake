# Cross build for 64-bit ARM (Raspberry Pi OS 64-bit, Pi 3, 4 and 5) with Debian's
# aarch64-linux-gnu compilers. scripts/cross.sh arm64 prepares what it needs.
set(BLOMP_CROSS_TRIPLET aarch64-linux-gnu)
set(BLOMP_CROSS_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/cross-common.cmake)

# What both ARM toolchain files share. The target's libraries come from Debian's
# multiarch packages (installed beside the host's), except the SDL and SDL_mixer
# -dev files: libsdl1.2-dev cannot be installed for a second architecture without
# removing the host's, so scripts/cross.sh unpacks them into a private sysroot
# folder and rewrites their pkg-config files to point there.
set(CMAKE_SYSTEM_NAME Linux)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR ${BLOMP_CROSS_TRIPLET})
set(CMAKE_C_COMPILER ${BLOMP_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${BLOMP_CROSS_TRIPLET}-g++)

# The -dev files unpacked by scripts/cross.sh (one folder per triplet).
if(NOT BLOMP_CROSS_SYSROOT)
  get_filename_component(BLOMP_CROSS_SYSROOT
    "${CMAKE_CURRENT_LIST_DIR}/../build-cross/sysroot-${BLOMP_CROSS_TRIPLET}" ABSOLUTE)
endif()
set(BLOMP_CROSS_SYSROOT ${BLOMP_CROSS_SYSROOT} CACHE PATH "Unpacked SDL -dev files of the target")
if(NOT EXISTS ${BLOMP_CROSS_SYSROOT}/usr/lib/${BLOMP_CROSS_TRIPLET}/pkgconfig/sdl.pc)
  message(FATAL_ERROR "No SDL -dev files of ${BLOMP_CROSS_TRIPLET} in ${BLOMP_CROSS_SYSROOT}: run scripts/cross.sh first")
endif()

# There is no ${BLOMP_CROSS_TRIPLET}-pkg-config: look only at the target's .pc files.
set(ENV{PKG_CONFIG_LIBDIR}
  "${BLOMP_CROSS_SYSROOT}/usr/lib/${BLOMP_CROSS_TRIPLET}/pkgconfig:/usr/lib/${BLOMP_CROSS_TRIPLET}/pkgconfig:/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# Programs built for the target run under qemu-user, without -L: the target's own
# loader and libraries are installed in their multiarch places.
find_program(BLOMP_CROSS_EMULATOR ${BLOMP_CROSS_QEMU})
if(BLOMP_CROSS_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${BLOMP_CROSS_EMULATOR})
endif()

# Libraries and headers of the target only; programs of the build machine.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)

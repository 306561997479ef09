# The GPU display: EGL and OpenGL ES 2 always, Xlib for EGL on SDL's X11 window,
# and the console path (KMS/DRM with GBM) where libdrm and libgbm are found.
pkg_check_modules(EGL REQUIRED IMPORTED_TARGET egl)
pkg_check_modules(GLES2 REQUIRED IMPORTED_TARGET glesv2)
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
pkg_check_modules(DRM IMPORTED_TARGET libdrm)
pkg_check_modules(GBM IMPORTED_TARGET gbm)
target_link_libraries(blompcore PUBLIC PkgConfig::EGL PkgConfig::GLES2 PkgConfig::X11)
if(DRM_FOUND AND GBM_FOUND)
  target_compile_definitions(blompcore PUBLIC BLOMP_KMS=1)
  target_link_libraries(blompcore PUBLIC PkgConfig::DRM PkgConfig::GBM)
  message(STATUS "Display: X11, console (KMS/DRM), off-screen, SDL")
else()
  message(STATUS "Display: X11, off-screen, SDL (no libdrm/libgbm: no console path)")
endif()

# What presenting a frame costs (a benchmark, not a test).
add_executable(blompdisplaybench ${CMAKE_SOURCE_DIR}/tools/displaybench.cpp)
target_link_libraries(blompdisplaybench PRIVATE blompcore)
if(BLOMP_SANITIZE)
  target_compile_definitions(blompcore PUBLIC BLOMP_SANITIZE=1)
endif()

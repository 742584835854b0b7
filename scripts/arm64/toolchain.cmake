# Cross-compiling for 64-bit ARM Linux with Debian's aarch64 cross compiler,
# against the arm64 root that scripts/arm64/root.sh unpacks (QUORVEX_ARM64_ROOT)
# or, for the static release, a prefix of our own libraries; programs built
# for the build's own checks run under qemu.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

# The compiler checks (try_compile) read this file again: pass the root on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUORVEX_ARM64_ROOT)
if(QUORVEX_ARM64_ROOT)
  set(CMAKE_FIND_ROOT_PATH "${QUORVEX_ARM64_ROOT}")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "${QUORVEX_ARM64_ROOT}")
  set(ENV{PKG_CONFIG_LIBDIR}
      "${QUORVEX_ARM64_ROOT}/usr/lib/aarch64-linux-gnu/pkgconfig:${QUORVEX_ARM64_ROOT}/usr/share/pkgconfig")
  set(ENV{PKG_CONFIG_PATH} "")
  # Debian puts a few headers (jconfig.h) in the architecture's own folder.
  set(CMAKE_C_STANDARD_INCLUDE_DIRECTORIES "${QUORVEX_ARM64_ROOT}/usr/include/aarch64-linux-gnu")
  set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES "${QUORVEX_ARM64_ROOT}/usr/include/aarch64-linux-gnu")
  # The libraries' own dependencies are found in the root when linking.
  set(libdirs "${QUORVEX_ARM64_ROOT}/usr/lib/aarch64-linux-gnu:${QUORVEX_ARM64_ROOT}/lib/aarch64-linux-gnu")
  string(APPEND libdirs ":${QUORVEX_ARM64_ROOT}/usr/lib/aarch64-linux-gnu/pulseaudio")
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,-rpath-link,${libdirs}")
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static -L "${QUORVEX_ARM64_ROOT}")
  # Only the root's libraries, never the build machine's.
  set(mode ONLY)
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static -L /usr/aarch64-linux-gnu)
  set(mode BOTH)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ${mode})
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ${mode})
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ${mode})

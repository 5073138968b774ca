# windows.cmake -- compiler and linker settings of the Windows build.

# Only the system's own DLLs at run time: the C and C++ runtimes and the
# thread library are linked in.
add_link_options(-static -static-libgcc -static-libstdc++)
# sin, cos and tan of the system's C runtime (platform/win32/crt_math.cpp).
add_link_options(LINKER:--wrap=sin,--wrap=cos,--wrap=tan,--wrap=sincos)
# Every file sees the GL headers without windows.h, and the few POSIX names
# the tools use that the Windows C library lacks.
add_compile_options("SHELL:-include ${CMAKE_SOURCE_DIR}/platform/win32/posix/posix_compat.h")
# M_PI and the other math constants, as glibc gives them; sizes and offsets
# of files past 2 GB, as on Linux (stat and fstat become their 64-bit forms).
add_compile_definitions(_USE_MATH_DEFINES _FILE_OFFSET_BITS=64)

# Each program carries the manifest of platform/win32/ambler.rc.
enable_language(RC)
set(WINDOWS_RESOURCES ${CMAKE_SOURCE_DIR}/platform/win32/ambler.rc)

set(GL_LIBRARIES opengl32 glu32)
set(PNG_LIBRARIES "")

# The stb headers (libstb-dev) are plain C and serve any target; they lie
# outside the MinGW sysroot.
find_path(STB_INCLUDE_DIR stb_image_write.h PATHS /usr/include/stb NO_CMAKE_FIND_ROOT_PATH
          REQUIRED)

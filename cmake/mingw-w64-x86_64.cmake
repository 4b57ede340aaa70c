# Cross-builds for 64-bit Windows with Debian's MinGW-w64, and runs what it builds under Wine,
# so that CTest runs the tests there. Loaded by the toolchain file of the Qt for Windows that
# scripts/build-windows-qt builds.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The posix-thread compiler: the win32 one lacks the std::thread and std::mutex GoogleTest uses.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static, so that the programs need no MinGW runtime DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(LETTERMORPH_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(LETTERMORPH_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run ${LETTERMORPH_WINE})
endif()

# Qt for Windows runs moc, rcc and uic from the build machine's own Qt, which must be the same
# version; Debian keeps that Qt's CMake files in its multiarch folder.
if(NOT QT_HOST_PATH)
  file(GLOB host_qt_info /usr/lib/*/cmake/Qt6HostInfo)
  if(host_qt_info)
    list(GET host_qt_info 0 host_qt_info)
    get_filename_component(host_qt_cmake ${host_qt_info} DIRECTORY)
    set(QT_HOST_PATH /usr CACHE PATH "The build machine's Qt, whose tools the build runs")
    set(QT_HOST_PATH_CMAKE_DIR ${host_qt_cmake} CACHE PATH "The CMake files of QT_HOST_PATH")
  endif()
endif()

# pkg-config must not offer the build machine's own libraries.
set(ENV{PKG_CONFIG_LIBDIR} /usr/x86_64-w64-mingw32/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# Cross build for Windows x86_64 with MinGW-w64 (posix threads) from Debian.
# The Qt for Windows is found through CMAKE_PREFIX_PATH / KZ_QT_WIN_PREFIX
# (scripts/windows passes it); moc, rcc, uic and lrelease are the host's
# Qt 6 tools, named by QT_HOST_PATH.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KZ_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KZ_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KZ_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KZ_MINGW_TRIPLE}-windres)

# The Qt prefix for Windows: from the cache, the environment, or the first
# entry of CMAKE_PREFIX_PATH.
if(NOT KZ_QT_WIN_PREFIX AND DEFINED ENV{KZ_QT_WIN_PREFIX})
  set(KZ_QT_WIN_PREFIX $ENV{KZ_QT_WIN_PREFIX})
endif()
if(NOT KZ_QT_WIN_PREFIX AND CMAKE_PREFIX_PATH)
  list(GET CMAKE_PREFIX_PATH 0 KZ_QT_WIN_PREFIX)
endif()
set(KZ_QT_WIN_PREFIX "${KZ_QT_WIN_PREFIX}" CACHE PATH "Qt 6 built for Windows x86_64 with MinGW")
# try_compile projects see these too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KZ_QT_WIN_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${KZ_MINGW_TRIPLE} ${KZ_QT_WIN_PREFIX})
# Programs from the host, libraries, headers and packages only from the roots.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The host's Qt tools (Debian: qt6-base-dev-tools, qt6-tools-dev-tools,
# qt6-l10n-tools); Qt's own guess of their CMake folder, /usr/lib/cmake,
# holds no Qt on Debian.
set(QT_HOST_PATH /usr CACHE PATH "Host Qt prefix")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "Host Qt CMake packages")

# What a Windows user installs: the programs, the Qt DLLs they link, the
# Qt plugins they load, and the MinGW runtime, all in one folder (bin/), so
# that Windows finds the DLLs beside the .exe and Qt finds its plugins
# below it. `cpack` makes the NSIS installer (Start-menu entry with the
# icon, uninstaller) and a portable .zip of the same files.
#
# Image formats: the program reads and writes only PNG (built into QtGui)
# and draws its SVG wiring diagram through QtSvg, so no imageformats plugin
# is shipped.
set(KZ_WIN_QT_MODULES Core Gui Widgets Network SerialPort Svg)
# (found again here: shell/ found it for the trend window, in its own scope)
find_package(Qt6 QUIET COMPONENTS Charts)
if(Qt6Charts_FOUND)
  list(APPEND KZ_WIN_QT_MODULES Charts)
endif()
foreach(module IN LISTS KZ_WIN_QT_MODULES)
  install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
endforeach()
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>
        DESTINATION ${CMAKE_INSTALL_BINDIR}/platforms COMPONENT runtime)
if(TARGET Qt6::QWindowsVistaStylePlugin)
  install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>
          DESTINATION ${CMAKE_INSTALL_BINDIR}/styles COMPONENT runtime)
endif()

# The MinGW runtime the compiler links against.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "The MinGW runtime ${dll} was not found by ${CMAKE_CXX_COMPILER}")
  endif()
  install(FILES ${path} DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
endforeach()

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_SYSTEM_NAME win64)
set(CPACK_PACKAGE_FILE_NAME kzdebug-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY kzdebug)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY kzdebug)
set(CPACK_STRIP_FILES ON)
set(CPACK_NSIS_PACKAGE_NAME "KZ系列电参数表调试软件")
set(CPACK_NSIS_DISPLAY_NAME "KZ系列电参数表调试软件 ${PROJECT_VERSION}")
set(CPACK_NSIS_INSTALLED_ICON_NAME "${CMAKE_INSTALL_BINDIR}\\\\kzdebug.exe")
set(CPACK_NSIS_MUI_ICON "${CMAKE_SOURCE_DIR}/assets/icons/kzdebug.ico")
set(CPACK_NSIS_MUI_UNIICON "${CMAKE_SOURCE_DIR}/assets/icons/kzdebug.ico")
# 64-bit programs: the 64-bit Program Files folder.
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The Start-menu entry, named as the main window is, with the program's
# icon (from kzdebug.exe's own resources).
set(CPACK_PACKAGE_EXECUTABLES "")
set(CPACK_NSIS_MENU_LINKS "${CMAKE_INSTALL_BINDIR}/kzdebug.exe" "KZ系列电参数表调试软件")
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY ${CMAKE_INSTALL_BINDIR})

# CPack's NSIS script has Chinese names in it (the Start-menu entry): it is
# written in UTF-8 and the installer must be a Unicode one.
set(CPACK_NSIS_EXECUTABLE ${CMAKE_SOURCE_DIR}/cmake/makensis-unicode)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/windows-cpack-options.cmake)

# Read by cpack for each generator: the installer is named
# kzdebug-<version>-win64-setup.exe, the portable archive
# kzdebug-<version>-win64.zip.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()

# Read by CPack for each generator: the archive packs the portable folder, the Debian package the
# system form under /usr, both from the same build folder.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_STELLMARK_BUILD_DIR};Stellmark;system;/")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
else()
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_STELLMARK_BUILD_DIR};Stellmark;portable;/")
endif()

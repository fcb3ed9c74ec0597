# Read by cpack for each generator in turn: only the Debian package lands in
# /usr; the archives hold the tree below the prefix as it is.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
endif()

# Run by CPack once it has written the packages (CPACK_POST_BUILD_SCRIPTS): rewrites the debug
# symbols' package as Debian's own tools write one. CPack 3.25 lists the debug file in the
# package's md5sums by the absolute path of the folder it was staged in, which dpkg cannot
# check and which differs from one build folder to the next; it leaves the debug file
# executable; and it gives the package no documentation, where Debian links it to the game's.
# dpkg-deb clamps the file times to SOURCE_DATE_EPOCH, as CPack does.
find_program(DPKG_DEB dpkg-deb REQUIRED)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.ddeb$")
    continue()
  endif()
  set(tree ${CPACK_TOPLEVEL_DIRECTORY}/debug-package)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND ${DPKG_DEB} --raw-extract ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)

  file(GLOB_RECURSE debug_files LIST_DIRECTORIES false RELATIVE ${tree} ${tree}/usr/*)
  list(SORT debug_files)
  set(md5sums "")
  foreach(debug_file IN LISTS debug_files)
    file(MD5 ${tree}/${debug_file} sum)
    string(APPEND md5sums "${sum}  ${debug_file}\n")
    file(CHMOD ${tree}/${debug_file} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endforeach()
  file(WRITE ${tree}/DEBIAN/md5sums "${md5sums}")
  file(MAKE_DIRECTORY ${tree}/usr/share/doc)
  file(CHMOD ${tree}/usr/share ${tree}/usr/share/doc PERMISSIONS OWNER_READ OWNER_WRITE
    OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  file(CREATE_LINK ${CPACK_PACKAGE_NAME} ${tree}/usr/share/doc/${CPACK_PACKAGE_NAME}-dbgsym SYMBOLIC)

  execute_process(COMMAND ${DPKG_DEB} --root-owner-group -Zxz --build ${tree} ${package}
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endforeach()

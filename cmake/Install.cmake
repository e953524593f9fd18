# `cmake --install BUILD --prefix FOLDER` puts together a self-contained program folder: both
# programs, the help text, the icon, the file type of D-Box2 images, a desktop entry that
# opens such images with the window program, and the command line's manual page and completion. The placeholder data files stay out: a user
# brings the real ones.
foreach(program stellmark stellmark-cli)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION .)
  endif()
endforeach()
install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/liesmich.txt
              ${CMAKE_SOURCE_DIR}/packaging/stellmark.svg
              ${CMAKE_SOURCE_DIR}/packaging/stellmark-dbox2-image.xml
              ${CMAKE_SOURCE_DIR}/packaging/stellmark-cli.bash
        DESTINATION .)
# The command line's manual page, for `man -l` or a MANPATH that names the folder.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/stellmark-cli.1 DESTINATION man/man1)

# The entry names the installed folder, known only when installing. It is written then into the
# build tree and installed from there like every other file, so that DESTDIR and the install
# manifest apply to it as well.
install(CODE "set(STELLMARK_VERSION \"${PROJECT_VERSION}\")
set(STELLMARK_ENTRY_IN \"${CMAKE_SOURCE_DIR}/packaging/stellmark.desktop.in\")
set(STELLMARK_ENTRY_STAGE \"${CMAKE_BINARY_DIR}/desktop-entry\")")
install(CODE [[
  set(STELLMARK_FOLDER "${CMAKE_INSTALL_PREFIX}")
  # One staged file per folder: installs into different folders may run at the same time.
  string(MD5 key "${STELLMARK_FOLDER}")
  file(READ "${STELLMARK_ENTRY_IN}" entry)
  string(CONFIGURE "${entry}" entry @ONLY)
  file(WRITE "${STELLMARK_ENTRY_STAGE}/${key}/stellmark.desktop" "${entry}")
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}" TYPE FILE
       FILES "${STELLMARK_ENTRY_STAGE}/${key}/stellmark.desktop")
  file(REMOVE_RECURSE "${STELLMARK_ENTRY_STAGE}/${key}")
]])

# `cpack -G TGZ` packs the same folder as stellmark-VERSION-linux-x86_64.tar.gz, to be unpacked
# anywhere; the desktop entry in it names a placeholder for that folder (see ReleaseArchive.cmake).
set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME stellmark)
set(CPACK_PACKAGE_VENDOR Stellmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
string(TOLOWER "${CMAKE_SYSTEM_NAME}" stellmark_system)
set(CPACK_PACKAGE_FILE_NAME "stellmark-${PROJECT_VERSION}-${stellmark_system}-${CMAKE_SYSTEM_PROCESSOR}")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/ReleaseArchive.cmake)
include(CPack)

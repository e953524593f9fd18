# Two install forms from one build, as two components:
# - `portable` (the default of `cmake --install BUILD --prefix FOLDER`, and the release archive):
#   a self-contained program folder with both programs, the help text (which marks the folder as
#   portable, see errors/Places.h), the icon, the file type of D-Box2 images, a desktop entry
#   that opens such images with the window program, and the command line's manual page and
#   completion. Settings and protocol are kept beside the programs.
# - `system` (`cmake --install BUILD --component system --prefix /usr/local`, and the Debian
#   package): the GNU layout; settings and protocol go to the user's XDG folders.
# The placeholder data files stay out of both: a user brings the real ones.
include(GNUInstallDirs)
set(STELLMARK_ID io.github.stellmark.Stellmark)
set(stellmark_share ${CMAKE_INSTALL_DATAROOTDIR})
set(stellmark_packaging ${CMAKE_SOURCE_DIR}/packaging)
set(stellmark_staged ${CMAKE_BINARY_DIR}/packaging)

# The file type recognises images by the signatures of the flash-kind blocks, which only the
# data files know: those the build uses, or the real ones a packager names.
set(STELLMARK_SIGNATURE_DIR "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}" CACHE PATH
    "Folder with 2zu1.dat and 1zu2.dat whose first 16 bytes the file type matches")
foreach(kind "1X|2zu1.dat" "2X|1zu2.dat")
  string(REPLACE "|" ";" pair "${kind}")
  list(GET pair 0 key)
  list(GET pair 1 file)
  file(READ "${STELLMARK_SIGNATURE_DIR}/${file}" hex LIMIT 16 HEX)
  string(LENGTH "${hex}" hex_length)
  if(NOT hex_length EQUAL 32)
    message(FATAL_ERROR "${STELLMARK_SIGNATURE_DIR}/${file}: shorter than the 16-byte signature")
  endif()
  string(REGEX REPLACE "(..)" "\\\\x\\1" STELLMARK_SIGNATURE_${key} "${hex}")
endforeach()
configure_file(${stellmark_packaging}/stellmark-dbox2-image.xml.in ${stellmark_staged}/stellmark-dbox2-image.xml
               @ONLY)

# The installed form's entry, icon and metadata carry the reverse-DNS id.
set(STELLMARK_VERSION ${PROJECT_VERSION})
set(STELLMARK_EXEC stellmark)
set(STELLMARK_ICON ${STELLMARK_ID})
configure_file(${stellmark_packaging}/stellmark.desktop.in ${stellmark_staged}/${STELLMARK_ID}.desktop @ONLY)
configure_file(${stellmark_packaging}/${STELLMARK_ID}.metainfo.xml.in
               ${stellmark_staged}/${STELLMARK_ID}.metainfo.xml @ONLY)

# Manual pages and the changelog compressed as Debian wants them: best compression, no time
# stamp, so that the same sources give the same bytes.
find_program(GZIP gzip REQUIRED)
set(stellmark_compressed)
foreach(source stellmark.1 stellmark-cli.1 changelog)
  add_custom_command(OUTPUT ${stellmark_staged}/${source}.gz
                     COMMAND ${GZIP} -9nc ${stellmark_packaging}/${source} > ${stellmark_staged}/${source}.gz
                     DEPENDS ${stellmark_packaging}/${source} VERBATIM)
  list(APPEND stellmark_compressed ${stellmark_staged}/${source}.gz)
endforeach()
add_custom_target(stellmark_packaging_files ALL DEPENDS ${stellmark_compressed})

# --- portable -----------------------------------------------------------------------------------
foreach(program stellmark stellmark-cli)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION . COMPONENT portable)
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT system EXCLUDE_FROM_ALL)
  endif()
endforeach()
install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/liesmich.txt ${stellmark_packaging}/stellmark.svg
              ${stellmark_staged}/stellmark-dbox2-image.xml ${stellmark_packaging}/stellmark-cli.bash
              ${CMAKE_SOURCE_DIR}/LICENSE
        DESTINATION . COMPONENT portable)
# The manual pages, for `man -l` or a MANPATH that names the folder.
install(FILES ${stellmark_packaging}/stellmark-cli.1 ${stellmark_packaging}/stellmark.1 DESTINATION man/man1
        COMPONENT portable)

# The entry names the installed folder, known only when installing. It is written then into the
# build tree and installed from there like every other file, so that DESTDIR and the install
# manifest apply to it as well.
install(CODE "set(STELLMARK_VERSION \"${PROJECT_VERSION}\")
set(STELLMARK_ENTRY_IN \"${stellmark_packaging}/stellmark.desktop.in\")
set(STELLMARK_ENTRY_STAGE \"${CMAKE_BINARY_DIR}/desktop-entry\")" COMPONENT portable)
install(CODE [[
  set(STELLMARK_FOLDER "${CMAKE_INSTALL_PREFIX}")
  set(STELLMARK_EXEC "\"${STELLMARK_FOLDER}/stellmark\"")
  set(STELLMARK_ICON "${STELLMARK_FOLDER}/stellmark.svg")
  # One staged file per folder: installs into different folders may run at the same time.
  string(MD5 key "${STELLMARK_FOLDER}")
  file(READ "${STELLMARK_ENTRY_IN}" entry)
  string(CONFIGURE "${entry}" entry @ONLY)
  file(WRITE "${STELLMARK_ENTRY_STAGE}/${key}/stellmark.desktop" "${entry}")
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}" TYPE FILE
       FILES "${STELLMARK_ENTRY_STAGE}/${key}/stellmark.desktop")
  file(REMOVE_RECURSE "${STELLMARK_ENTRY_STAGE}/${key}")
]] COMPONENT portable)

# --- system -------------------------------------------------------------------------------------
# The help file in the shared folder, whose presence also tells the program it is installed.
install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/liesmich.txt DESTINATION ${stellmark_share}/stellmark
        COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${stellmark_staged}/${STELLMARK_ID}.desktop DESTINATION ${stellmark_share}/applications
        COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${stellmark_packaging}/stellmark.svg DESTINATION ${stellmark_share}/icons/hicolor/scalable/apps
        RENAME ${STELLMARK_ID}.svg COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${stellmark_staged}/${STELLMARK_ID}.metainfo.xml DESTINATION ${stellmark_share}/metainfo
        COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${stellmark_staged}/stellmark-dbox2-image.xml DESTINATION ${stellmark_share}/mime/packages
        RENAME ${STELLMARK_ID}.xml COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${stellmark_staged}/stellmark.1.gz ${stellmark_staged}/stellmark-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${stellmark_packaging}/stellmark-cli.bash DESTINATION ${stellmark_share}/bash-completion/completions
        RENAME stellmark-cli COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${stellmark_packaging}/copyright ${stellmark_staged}/changelog.gz
        DESTINATION ${stellmark_share}/doc/stellmark COMPONENT system EXCLUDE_FROM_ALL)

# --- packages -----------------------------------------------------------------------------------
# `cpack` builds both from this build: stellmark-VERSION-linux-x86_64.tar.gz, the portable folder
# to be unpacked anywhere (its desktop entry names a placeholder for that folder, see
# ReleaseArchive.cmake), and stellmark_VERSION_amd64.deb, the system form under /usr.
# CPackForms.cmake picks the component for each.
set(CPACK_GENERATOR TGZ DEB)
set(CPACK_PACKAGE_NAME stellmark)
set(CPACK_PACKAGE_VENDOR Stellmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
string(TOLOWER "${CMAKE_SYSTEM_NAME}" stellmark_system)
set(CPACK_PACKAGE_FILE_NAME "stellmark-${PROJECT_VERSION}-${stellmark_system}-${CMAKE_SYSTEM_PROCESSOR}")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/ReleaseArchive.cmake)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/CPackForms.cmake)
set(CPACK_STELLMARK_BUILD_DIR ${CMAKE_BINARY_DIR})
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Stellmark developers <stellmark@users.noreply.github.com>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/stellmark/stellmark)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# German dialogs of Qt itself come from the translations package.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "classify, build and take apart D-Box2 flash images")
# CPack puts the summary in front and indents the lines; an empty line separates paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Stellmark edits Linux flash images based on 1.6 for the D-Box2. It tells
what an image is (1x or 2x, with or without boot loader), builds new images
by exchanging the flash-kind block or adding or dropping the boot loader,
cuts parts out of an image and checks a CramFS file against the size of
the root area.

The package holds the window program stellmark and the command-line tool
stellmark-cli; both speak German. The three data files (boot loader and
the two flash-kind blocks) are not included: the user brings them.")
include(CPack)

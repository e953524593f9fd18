# Run by CPack on the staged files before packing them. In the portable folder the desktop entry
# names the staging folder, which means nothing where the archive is unpacked; it names the
# placeholder @ORDNER@ instead, which the README's command replaces with the unpacked folder.
# The Debian package's entry names no folder and is left alone.
set(entry "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/stellmark.desktop")
if(NOT EXISTS "${entry}")
  return()
endif()
file(READ "${entry}" text)
string(REPLACE "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" "@ORDNER@" text "${text}")
file(WRITE "${entry}" "${text}")

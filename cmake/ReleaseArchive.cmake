# Run by CPack on the staged program folder before packing it. The desktop entry names the
# staging folder, which means nothing where the archive is unpacked; it names the placeholder
# @ORDNER@ instead, which the README's command replaces with the unpacked folder.
set(entry "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/stellmark.desktop")
file(READ "${entry}" text)
string(REPLACE "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" "@ORDNER@" text "${text}")
file(WRITE "${entry}" "${text}")

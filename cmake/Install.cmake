# `cmake --install BUILD --prefix FOLDER` puts together a self-contained program folder: both
# programs, the help text, the icon and a desktop entry that opens image files with the window
# program. The placeholder data files stay out: a user brings the real ones.
foreach(program stellmark stellmark-cli)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION .)
  endif()
endforeach()
install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/liesmich.txt ${CMAKE_SOURCE_DIR}/packaging/stellmark.svg
        DESTINATION .)
# The entry names the installed folder, known only when installing.
install(CODE [[
  set(dir "${CMAKE_INSTALL_PREFIX}")
  file(WRITE "${dir}/stellmark.desktop"
"[Desktop Entry]
Type=Application
Name=Stellmark
GenericName=D-Box2-Image-Werkzeug
Comment=Linux-Images auf der Basis 1.6 für die D-Box2 bearbeiten
Exec=\"${dir}/stellmark\" %f
Icon=${dir}/stellmark.svg
Terminal=false
Categories=Utility;
MimeType=application/x-raw-disk-image;application/octet-stream;
")
  message(STATUS "Installing: ${dir}/stellmark.desktop")
]])

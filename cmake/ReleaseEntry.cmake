# Run by cpack once the portable folder is laid out, before it is packed.
# The desktop entry written at install time names the packing folder, which
# the user never sees: the archive carries the plain entry instead, and the
# user's add-desktop-entry.sh names the folder the archive was unpacked in.
file(GLOB_RECURSE entries "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*kaldrino.desktop")
foreach(entry IN LISTS entries)
  file(COPY_FILE "${CPACK_KALDRINO_DESKTOP_ENTRY}" "${entry}")
endforeach()

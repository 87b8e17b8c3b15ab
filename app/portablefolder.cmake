# Install-time steps of the portable folder, run by cmake --install (see
# CMakeLists.txt beside this file). A folder that was there before keeps
# its permissions; only what the install makes is restricted.

# Desktop entry value escapes: a backslash, and the characters a line could
# not hold. A leading blank would be dropped by readers.
function(kaldrino_desktop_string value out)
  string(REPLACE "\\" "\\\\" value "${value}")
  string(REPLACE "\n" "\\n" value "${value}")
  string(REPLACE "\t" "\\t" value "${value}")
  string(REPLACE "\r" "\\r" value "${value}")
  string(REGEX REPLACE "^ " "\\\\s" value "${value}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# One argument of an Exec value: in double quotes, with the four characters
# that are special inside them escaped by a backslash and every % doubled
# (a single one would start a field code); then the value's own escapes,
# which double those backslashes once more.
function(kaldrino_desktop_exec_argument value out)
  string(REPLACE "\\" "\\\\" value "${value}")
  string(REPLACE "\"" "\\\"" value "${value}")
  string(REPLACE "`" "\\`" value "${value}")
  string(REPLACE "$" "\\$" value "${value}")
  string(REPLACE "%" "%%" value "${value}")
  kaldrino_desktop_string("\"${value}\"" value)
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# The installed folder as given (final place, for the desktop entry), and
# where its files land (under DESTDIR when staging). A relative prefix is
# taken from the folder cmake --install runs in.
function(kaldrino_install_folders prefix_out folder_out)
  get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
  set(${prefix_out} "${prefix}" PARENT_SCOPE)
  set(${folder_out} "$ENV{DESTDIR}${prefix}" PARENT_SCOPE)
endfunction()

# Before anything is installed: how many folders, from the installed one
# up, do not exist yet (a count, since a path may hold a semicolon).
function(kaldrino_install_begin)
  kaldrino_install_folders(prefix folder)
  set(levels 0)
  set(path "${folder}")
  while(NOT EXISTS "${path}" AND NOT IS_SYMLINK "${path}")
    math(EXPR levels "${levels} + 1")
    get_filename_component(parent "${path}" DIRECTORY)
    if(parent STREQUAL path)
      break()
    endif()
    set(path "${parent}")
  endwhile()
  set_property(GLOBAL PROPERTY KALDRINO_CREATED_LEVELS ${levels})
endfunction()

# After the files: the desktop entry, then the folders the install made.
function(kaldrino_install_end template)
  kaldrino_install_folders(prefix folder)

  # The entry names the installed executable and icon by full path, so it
  # works from wherever the portable folder lies.
  file(READ "${template}" entry)
  kaldrino_desktop_exec_argument("${prefix}/kaldrino" exec)
  kaldrino_desktop_string("${prefix}/kaldrino.svg" icon)
  string(REPLACE "\nExec=kaldrino\n" "\nExec=${exec}\n" entry "${entry}")
  string(REPLACE "\nIcon=kaldrino\n" "\nIcon=${icon}\n" entry "${entry}")
  file(WRITE "${folder}/kaldrino.desktop" "${entry}")
  file(CHMOD "${folder}/kaldrino.desktop" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

  get_property(levels GLOBAL PROPERTY KALDRINO_CREATED_LEVELS)
  if(NOT levels GREATER 0)
    return()
  endif()
  # The vault and the picture will lie here: a folder the install made is
  # its owner's alone. Folders made on the way to it are closed to others'
  # writes, whatever the umask let through.
  file(CHMOD "${folder}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  set(path "${folder}")
  math(EXPR levels "${levels} - 1")
  while(levels GREATER 0)
    get_filename_component(path "${path}" DIRECTORY)
    file(CHMOD "${path}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                               WORLD_READ WORLD_EXECUTE)
    math(EXPR levels "${levels} - 1")
  endwhile()
endfunction()

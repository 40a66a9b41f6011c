# SPDX-License-Identifier: GPL-3.0-or-later
# Run by `cmake --install` after the fixed files are in place (see
# InstallLayout.cmake). Honours DESTDIR: files go to $DESTDIR/PREFIX, while
# the desktop entry names PREFIX, where the files will finally live.

# A relative prefix is taken from the working directory, as file(INSTALL)
# takes it; the desktop entry needs it absolute.
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
string(REGEX REPLACE "(.)/+$" "\\1" prefix "${prefix}")
set(root "$ENV{DESTDIR}${prefix}")
if(NOT EXISTS "${root}/qvplayer")
  message(FATAL_ERROR "qvplayer was not installed in ${root}")
endif()

# A file the user or the demo portal may have changed: installed only when
# missing.
function(qv_install_once relative)
  set(target "${root}/${relative}")
  if(EXISTS "${target}" OR IS_SYMLINK "${target}")
    message(STATUS "Kept: ${target}")
    return()
  endif()
  cmake_path(GET relative PARENT_PATH folder)
  set(destination "${prefix}")
  if(NOT folder STREQUAL "")
    string(APPEND destination "/${folder}")
  endif()
  file(INSTALL "${QV_INSTALL_STAGE}/${relative}" DESTINATION "${destination}")
endfunction()

qv_install_once(Playlists/playlists.ini)
qv_install_once(updater/currentversion.ini)
qv_install_once(servers.ini)

# A value of type string in a desktop entry: backslashes and line breaks
# escaped.
function(qv_desktop_string out text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\n" "\\n" text "${text}")
  string(REPLACE "\r" "\\r" text "${text}")
  string(REPLACE "\t" "\\t" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The program as the Exec key wants it: quoted when it holds a reserved
# character, with '"', '`', '$' and '\' escaped inside the quotes, '%' doubled
# (a lone '%' starts a field code), then escaped as a string.
function(qv_desktop_exec out program)
  if(program MATCHES "[ \t\n\"'\\\\><~|&;$*?#()`]")
    string(REPLACE "\\" "\\\\" program "${program}")
    string(REPLACE "\"" "\\\"" program "${program}")
    string(REPLACE "`" "\\`" program "${program}")
    string(REPLACE "$" "\\$" program "${program}")
    set(program "\"${program}\"")
  endif()
  string(REPLACE "%" "%%" program "${program}")
  qv_desktop_string(program "${program}")
  set(${out} "${program}" PARENT_SCOPE)
endfunction()

qv_desktop_exec(exec "${prefix}/qvplayer")
# The player keeps its files beside itself and expects to be started there.
qv_desktop_string(path "${prefix}")
qv_desktop_string(icon "${prefix}/qvplayer.png")
set(entry "${root}/qvplayer.desktop")
message(STATUS "Installing: ${entry}")
file(WRITE "${entry}" "[Desktop Entry]
Type=Application
Name=Quorvell Radio Player
GenericName=Music Player
Comment=Play the songs and the radio of the Quorvell audio portal
Exec=${exec}
Path=${path}
Icon=${icon}
Terminal=false
Categories=AudioVideo;Audio;Player;
")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${entry}")

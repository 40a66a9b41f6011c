# SPDX-License-Identifier: GPL-3.0-or-later
# `cmake --install BUILD --prefix DIR` lays out the portable installation in
# DIR: the executable and, beside it, everything it reads and writes. Files a
# user (or the demo portal) may have changed are installed only when missing:
# Playlists/playlists.ini, updater/currentversion.ini and servers.ini; other
# files the player writes there (playlists, settings.ini, temp/*) are never
# touched.
if(NOT DEFINED CMAKE_INSTALL_MESSAGE)
  set(CMAKE_INSTALL_MESSAGE LAZY)
endif()

# The installed version. currentversion.ini starts equal to it, so that the
# update check reports no update until a server answers with another one.
file(CONFIGURE OUTPUT ${QV_INSTALL_STAGE}/updater/version.ini
  CONTENT "${PROJECT_VERSION}\n" NEWLINE_STYLE CRLF)
file(CONFIGURE OUTPUT ${QV_INSTALL_STAGE}/updater/currentversion.ini
  CONTENT "${PROJECT_VERSION}\n" NEWLINE_STYLE CRLF)
# An empty playlist index is a valid one: no playlists yet.
file(CONFIGURE OUTPUT ${QV_INSTALL_STAGE}/Playlists/playlists.ini CONTENT "")

install(TARGETS qvplayer RUNTIME DESTINATION .)
install(DIRECTORY DESTINATION Playlists)
install(DIRECTORY DESTINATION temp)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/skins/ DESTINATION skins)
install(FILES ${QV_INSTALL_STAGE}/updater/version.ini DESTINATION updater)
install(FILES ${QV_INSTALL_STAGE}/qvplayer.png DESTINATION .)

# The rest depends on what DIR already holds and on DIR itself (the desktop
# entry names absolute paths), so it is decided at install time.
install(CODE "set(QV_INSTALL_STAGE [==[${QV_INSTALL_STAGE}]==])")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/InstallAtPrefix.cmake)

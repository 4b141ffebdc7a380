# cmake --install: the program in a folder of its own under lib/, with the
# files it reads from its program folder (the help page, the chime), and a
# link to it in bin/; the desktop entry; the program's icon in the hicolor
# theme. The program finds its folder through the link, as /proc/self/exe
# names the file linked to.
if(NOT TARGET tavrel-converter)
  return()
endif()
include(GNUInstallDirs)
set(TVL_INSTALL_PROGRAM_DIR ${CMAKE_INSTALL_LIBDIR}/tavrel)

install(TARGETS tavrel-converter RUNTIME DESTINATION ${TVL_INSTALL_PROGRAM_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/help/help.html DESTINATION ${TVL_INSTALL_PROGRAM_DIR})
install(FILES ${CMAKE_BINARY_DIR}/resources/assets/blobs/sounds/ring001.wav
        DESTINATION ${TVL_INSTALL_PROGRAM_DIR}/sounds)

file(RELATIVE_PATH TVL_PROGRAM_LINK /${CMAKE_INSTALL_BINDIR} /${TVL_INSTALL_PROGRAM_DIR}/tavrel-converter)
install(CODE "
  set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tavrel-converter\")
  message(STATUS \"Installing: \${link} -> ${TVL_PROGRAM_LINK}\")
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(CREATE_LINK \"${TVL_PROGRAM_LINK}\" \"\${link}\" SYMBOLIC)
")

install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/tavrel-converter.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# Written by the artwork generator from the program's own icon (16, 32, 48
# and 64 pixels).
install(DIRECTORY ${CMAKE_BINARY_DIR}/resources/assets/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

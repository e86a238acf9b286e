# What `cmake --install` puts into the prefix: the programs, their desktop entries and icons, the file type
# of titles, and the demo titles, so that a file manager opens a title in Lumeo with a double click and
# offers Fabrio beside it. The programs are installed only when they are part of the build; the desktop
# entries carry TryExec, so a desktop hides an entry whose program is not installed.
include(GNUInstallDirs)

foreach(program lumeo fabrio fcatool)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

set(LUMEO_RESOURCES ${CMAKE_SOURCE_DIR}/resources)
# Fabrio's help pages, which it looks for in the share folder when there are none beside the program.
if(TARGET fabrio)
  install(DIRECTORY ${LUMEO_RESOURCES}/help/fabrio/ DESTINATION ${CMAKE_INSTALL_DATADIR}/fabrio/help)
endif()
install(FILES ${LUMEO_RESOURCES}/desktop/lumeo.desktop ${LUMEO_RESOURCES}/desktop/fabrio.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${LUMEO_RESOURCES}/desktop/lumeo-fca.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)

set(LUMEO_ICON_THEME ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
foreach(icon lumeo fabrio application-x-fca-title)
  if(icon STREQUAL application-x-fca-title)
    set(context mimetypes)
  else()
    set(context apps)
  endif()
  install(FILES ${LUMEO_RESOURCES}/icons/${icon}.svg DESTINATION ${LUMEO_ICON_THEME}/scalable/${context})
  foreach(size 48x48 128x128 256x256)
    install(FILES ${LUMEO_RESOURCES}/icons/${size}/${icon}.png DESTINATION ${LUMEO_ICON_THEME}/${size}/${context})
  endforeach()
endforeach()

# The demo titles with the sounds, slides, picture and clip they name, as they lie in build/examples/.
get_property(LUMEO_DEMO_TITLES GLOBAL PROPERTY LUMEO_DEMO_TITLES)
if(LUMEO_DEMO_TITLES)
  install(FILES ${LUMEO_DEMO_TITLES} DESTINATION ${CMAKE_INSTALL_DATADIR}/lumeo/demo)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/demo/media/ DESTINATION ${CMAKE_INSTALL_DATADIR}/lumeo/demo)
endif()

# Lumeo is the default application for titles and Fabrio the other one offered. The list is the prefix's
# own defaults file, so one that is already there (a distribution's, under /usr) is left as it is.
install(CODE "
  set(defaults \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/mimeapps.list\")
  if(NOT EXISTS \"\${defaults}\")
    file(INSTALL \"${LUMEO_RESOURCES}/desktop/mimeapps.list\"
         DESTINATION \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
  else()
    message(STATUS \"Keeping: \${defaults}\")
  endif()")

# The file type and the desktop entries take effect once their databases are rebuilt. A staged install
# (DESTDIR, as packages are made) leaves that to the package's own triggers.
find_program(LUMEO_UPDATE_MIME_DATABASE update-mime-database)
find_program(LUMEO_UPDATE_DESKTOP_DATABASE update-desktop-database)
install(CODE "
  if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
    if(EXISTS \"${LUMEO_UPDATE_MIME_DATABASE}\")
      execute_process(COMMAND \"${LUMEO_UPDATE_MIME_DATABASE}\" \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/mime\"
                      OUTPUT_QUIET ERROR_QUIET)
    endif()
    if(EXISTS \"${LUMEO_UPDATE_DESKTOP_DATABASE}\")
      execute_process(COMMAND \"${LUMEO_UPDATE_DESKTOP_DATABASE}\" -q
                              \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\"
                      OUTPUT_QUIET ERROR_QUIET)
    endif()
  endif()")

if(LUMEO_TESTS)
  # Installs into a scratch prefix and looks at what lands there.
  set(LUMEO_INSTALLED_PROGRAMS)
  foreach(program lumeo fabrio fcatool)
    if(TARGET ${program})
      list(APPEND LUMEO_INSTALLED_PROGRAMS ${program})
    endif()
  endforeach()
  add_test(NAME install_into_scratch_prefix
           COMMAND ${CMAKE_SOURCE_DIR}/cmake/check-install.sh ${CMAKE_BINARY_DIR} ${CMAKE_COMMAND}
                   "${LUMEO_INSTALLED_PROGRAMS}")
endif()

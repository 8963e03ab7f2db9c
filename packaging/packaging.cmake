# Installing the programs (cmake --install) and the Debian package (cpack -G DEB): the three
# programs, the desktop entry with its icon and AppStream metainfo, a man page for each program
# (from its --help by help2man, when KELDARO_MANPAGES is on), and the package's own documents.
include(GNUInstallDirs)

set(keldaro_app_id io.keldaro.Utility)
set(keldaro_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(keldaro_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${PROJECT_NAME})

set(keldaro_programs keldaro-cli keldaro-sim)
if(TARGET keldaro)
  list(PREPEND keldaro_programs keldaro)
  install(FILES ${keldaro_packaging}/${keldaro_app_id}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${keldaro_packaging}/${keldaro_app_id}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${keldaro_packaging}/keldaro.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 48 256)
    install(FILES ${keldaro_packaging}/keldaro-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME keldaro.png)
  endforeach()
endif()
install(TARGETS ${keldaro_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# A chain's store PC pushes prices on a schedule with the systemd timer, one instance a store.
# Installed, never enabled or started by the package: the README says how a chain sets it up.
install(FILES ${keldaro_packaging}/keldaro-fleet-push@.service
              ${keldaro_packaging}/keldaro-fleet-push@.timer
        DESTINATION lib/systemd/system)
install(FILES ${keldaro_packaging}/fleet-push.env DESTINATION ${keldaro_doc_dir}/examples)

# Debian wants its changelog and man pages compressed without a time stamp (gzip -n); the
# version has no Debian revision (a native package), so the changelog is changelog.gz.
find_program(KELDARO_GZIP gzip REQUIRED)
set(keldaro_changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${keldaro_changelog}
  COMMAND ${KELDARO_GZIP} -9n -c ${keldaro_packaging}/changelog > ${keldaro_changelog}
  DEPENDS ${keldaro_packaging}/changelog VERBATIM)
add_custom_target(keldaro_package_docs ALL DEPENDS ${keldaro_changelog})
install(FILES ${keldaro_packaging}/copyright ${keldaro_changelog} DESTINATION ${keldaro_doc_dir})

option(KELDARO_MANPAGES "Make a man page for each program with help2man" OFF)
if(KELDARO_MANPAGES)
  find_program(KELDARO_HELP2MAN help2man REQUIRED)
  set(keldaro_man_names
      "keldaro=configure and service price-computing scales (desktop program)"
      "keldaro-cli=every scale operation from a shell"
      "keldaro-sim=a virtual price-computing scale on a pseudo-terminal")
  set(keldaro_man_pages)
  foreach(entry ${keldaro_man_names})
    string(REPLACE "=" ";" parts "${entry}")
    list(GET parts 0 program)
    list(GET parts 1 summary)
    if(NOT TARGET ${program})
      continue()
    endif()
    set(page ${CMAKE_CURRENT_BINARY_DIR}/man/${program}.1.gz)
    add_custom_command(OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
      COMMAND ${KELDARO_HELP2MAN} --no-info --no-discard-stderr --section 1
              --name ${summary} --output ${CMAKE_CURRENT_BINARY_DIR}/man/${program}.1
              $<TARGET_FILE:${program}>
      COMMAND ${KELDARO_GZIP} -9nf ${CMAKE_CURRENT_BINARY_DIR}/man/${program}.1
      DEPENDS ${program} VERBATIM)
    list(APPEND keldaro_man_pages ${page})
  endforeach()
  add_custom_target(keldaro_man_pages ALL DEPENDS ${keldaro_man_pages})
  install(FILES ${keldaro_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The Debian package: run-time dependencies worked out from the binaries by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "keldaro-utility developers <dev@keldaro.io>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "configure and service price-computing scales over a serial port")
set(CPACK_PACKAGE_DESCRIPTION
    "Keldaro Utility is for shop technicians and dealers who set up and service
retail price-computing scales with a built-in receipt printer. Over the scale's
serial port it reads and writes the PLU table, the settings, the clock, the
sales report, the receipt logo and the metrology parameters, and drives the
scale live from a virtual keypad.
.
The package holds the desktop program (keldaro), every scale operation from a
shell for scripted service work (keldaro-cli), and a virtual scale on a
pseudo-terminal to try them without one (keldaro-sim).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # keldaro-utility_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt SQL loads its SQLite driver as a plugin, which dpkg-shlibdeps cannot see in the binaries;
# the fleet database needs it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libqt6sql6-sqlite)
# Qt's own dialogs (file chooser, message box buttons) in the user's language, and Qt SQL's
# PostgreSQL driver for a fleet database on a server.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${keldaro_packaging}/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

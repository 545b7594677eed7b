# What `cmake --install` puts where; the .deb is made from the same rules.
include(GNUInstallDirs)
# The default documentation folder is named after the project ("Zorvane"), not the package.
if(CMAKE_INSTALL_DOCDIR STREQUAL "${CMAKE_INSTALL_DATAROOTDIR}/doc/${PROJECT_NAME}")
  set(CMAKE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/zorvane)
endif()

set(ZORVANE_MAINTAINER "the Zorvane authors <zorvane@example.org>"
    CACHE STRING "Maintainer named in the package and its copyright file")

set(_programs zorvane-sim zorvane-decode zorvane-names)
if(ZORVANE_GUI)
  list(PREPEND _programs zorvane)
endif()
install(TARGETS ${_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES data/zorvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/zorvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES data/org.example.zorvane.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES examples/names.ini DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
install(FILES packaging/zorvane-decode.conf DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

# zorvane-decode as a service, one instance per line. lib/systemd/system under the prefix:
# /usr/lib/systemd/system in the package (the same folder as /lib/systemd/system on Debian),
# /usr/local/lib/systemd/system for a local install; systemd reads both.
set(ZORVANE_SYSTEMD_UNIT_DIR lib/systemd/system
    CACHE STRING "Where the systemd unit goes, under the installation prefix")
# The unit names the program where this installation puts it, which only the installation knows
# (the package installs to /usr whatever the build was configured for).
install(CODE "
  set(ZORVANE_DECODE \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zorvane-decode\")
  configure_file(${PROJECT_SOURCE_DIR}/packaging/zorvane-decode@.service.in
                 ${CMAKE_BINARY_DIR}/systemd/zorvane-decode@.service @ONLY)")
install(FILES ${CMAKE_BINARY_DIR}/systemd/zorvane-decode@.service
        DESTINATION ${ZORVANE_SYSTEMD_UNIT_DIR})

# Man pages and the changelog are installed gzipped, without a time stamp, as Debian wants them.
find_program(GZIP_PROGRAM gzip REQUIRED)
function(zorvane_gzip source target_dir out_var)
  get_filename_component(_name ${source} NAME)
  set(_copy ${CMAKE_BINARY_DIR}/${target_dir}/${_name})
  add_custom_command(OUTPUT ${_copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${_copy}
    COMMAND ${GZIP_PROGRAM} -9nf ${_copy}
    DEPENDS ${source}
    VERBATIM)
  set(${out_var} ${_copy}.gz PARENT_SCOPE)
endfunction()

set(_gzipped)
foreach(_program ${_programs})
  zorvane_gzip(${PROJECT_SOURCE_DIR}/man/${_program}.1 man _page)
  install(FILES ${_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  list(APPEND _gzipped ${_page})
endforeach()
zorvane_gzip(${PROJECT_SOURCE_DIR}/packaging/changelog doc _changelog)
install(FILES ${_changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})
add_custom_target(zorvane_gzipped_docs ALL DEPENDS ${_gzipped} ${_changelog})

# The licence in the Debian copyright format, its terms taken from LICENSE.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE _license)
string(REGEX REPLACE "^.*\n\n(Permission)" "\\1" _terms "${_license}")
string(STRIP "${_terms}" _terms)
string(REPLACE "\n\n" "\n.\n" _terms "${_terms}")
string(REPLACE "\n" "\n " ZORVANE_LICENSE_TERMS " ${_terms}")
configure_file(packaging/copyright.in doc/copyright @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
install(FILES ${CMAKE_BINARY_DIR}/doc/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Where an install puts each file. A plain install (cmake --install build
# --prefix P) lays out the game, its manual page and its documents the usual
# way; the Debian package takes the "debian" component instead, with Debian's
# places and forms of the same things; the Windows zip holds the game and two
# texts side by side.
if(WIN32)
  install(TARGETS rallix RUNTIME DESTINATION .)
  install(FILES README.md DESTINATION . RENAME README.txt)
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
  return()
endif()

include(GNUInstallDirs)
install(TARGETS rallix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES docs/rallix.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Debian keeps the licence as a machine-readable copyright file: the terms
# come from LICENSE, so that there is one text of them.
file(READ LICENSE licence)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS LICENSE)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" _ "${licence}")
set(RALLIX_COPYRIGHT ${CMAKE_MATCH_1})
string(FIND "${licence}" "Permission is hereby granted" terms_start)
string(SUBSTRING "${licence}" ${terms_start} -1 terms)
string(STRIP "${terms}" terms)
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " terms "${terms}")
set(RALLIX_LICENCE_TERMS " ${terms}")
set(debian_dir ${CMAKE_BINARY_DIR}/debian)
configure_file(packaging/copyright.in ${debian_dir}/copyright @ONLY)

# Debian's manual pages and changelogs are compressed, without a name or a
# time stamp in the header so that the same input gives the same package.
set(debian_compressed)
foreach(source docs/rallix.6 packaging/changelog)
  get_filename_component(name ${source} NAME)
  add_custom_command(
    OUTPUT ${debian_dir}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/${source} ${debian_dir}/${name}
    COMMAND gzip -9nf ${debian_dir}/${name}
    DEPENDS ${source}
    VERBATIM)
  list(APPEND debian_compressed ${debian_dir}/${name}.gz)
endforeach()
add_custom_target(debian_files ALL DEPENDS ${debian_compressed})

# Section games puts the game in /usr/games.
install(TARGETS rallix RUNTIME DESTINATION games COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${debian_dir}/rallix.6.gz DESTINATION share/man/man6 COMPONENT debian
        EXCLUDE_FROM_ALL)
install(FILES ${debian_dir}/changelog.gz ${debian_dir}/copyright DESTINATION share/doc/rallix
        COMPONENT debian EXCLUDE_FROM_ALL)

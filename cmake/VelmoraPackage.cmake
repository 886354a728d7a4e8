# The Debian package for school computers: `cpack -G DEB` in a build
# folder (`make package`) makes velmora_<version>_<arch>.deb of what
# `cmake --install` lays out, plus the desktop's pieces:
#   /usr/lib/velmora/                 the program's folder (program, Tabulo, velmora-tst, sample tests)
#   /usr/bin/velmora, velmora-tst     relative links into it
#   /usr/share/applications/<id>.desktop, /usr/share/metainfo/<id>.metainfo.xml,
#   the icons in the hicolor theme, the manual pages (English in man1,
#   Russian in ru/man1), the copyright and the changelog.

set(VELMORA_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

# VELMORA_APP_ID (the top level sets it) is the project's reverse domain:
# software centres find the program by it, and the metainfo's launchable
# names the start menu's entry by it.
# The start menu's entry, what software centres show, and the icon theme's
# pictures (drawn by the build, see tools/artwork).
install(FILES ${VELMORA_PACKAGING_DIR}/${VELMORA_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${VELMORA_PACKAGING_DIR}/${VELMORA_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/hicolor DESTINATION share/icons)

# Manual pages and the changelog are shipped compressed, the way Debian
# wants them: gzip -9n, no name or time stamp inside, so that two builds
# give the same bytes. The English pages are what `man` shows in the C
# locale (a fresh account, `su -`); the Russian ones sit under ru/.
set(velmora_pages velmora.1 velmora-tst.1)
find_program(VELMORA_GZIP gzip)
set(velmora_doc_outputs)
if(VELMORA_GZIP)
    set(compressed ${CMAKE_BINARY_DIR}/packaging)
    foreach(source IN ITEMS velmora.1 velmora-tst.1 ru/velmora.1 ru/velmora-tst.1 changelog)
        set(output ${compressed}/${source}.gz)
        get_filename_component(folder ${output} DIRECTORY)
        add_custom_command(OUTPUT ${output}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
            COMMAND ${VELMORA_GZIP} -9nc ${VELMORA_PACKAGING_DIR}/${source} > ${output}
            DEPENDS ${VELMORA_PACKAGING_DIR}/${source}
            COMMENT "Compressing ${source}")
        list(APPEND velmora_doc_outputs ${output})
    endforeach()
    add_custom_target(velmora_package_docs ALL DEPENDS ${velmora_doc_outputs})
    set(pages ${compressed})
    list(TRANSFORM velmora_pages APPEND .gz)
    install(FILES ${compressed}/changelog.gz DESTINATION share/doc/velmora)
else()
    set(pages ${VELMORA_PACKAGING_DIR})
    install(FILES ${VELMORA_PACKAGING_DIR}/changelog DESTINATION share/doc/velmora)
endif()
foreach(page IN LISTS velmora_pages)
    install(FILES ${pages}/${page} DESTINATION share/man/man1)
    install(FILES ${pages}/ru/${page} DESTINATION share/man/ru/man1)
endforeach()
install(FILES ${VELMORA_PACKAGING_DIR}/copyright DESTINATION share/doc/velmora)

# Everything the package takes, as `make package` builds it (no tests).
add_custom_target(velmora_package_files)
add_dependencies(velmora_package_files velmora_folder velmora_icons)
if(TARGET velmora_package_docs)
    add_dependencies(velmora_package_files velmora_package_docs)
endif()

set(VELMORA_MAINTAINER "Velmora maintainers <maintainers@users.noreply.c-seed-e50ecc4c.example>"
    CACHE STRING "The Maintainer line of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "Velmora developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Folders as Debian wants them, whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "algorithm trainer for school pupils")
set(CPACK_PACKAGE_DESCRIPTION
    "Velmora is a desktop trainer in which pupils learn to build algorithms: for
each task of a test the program shows the statement and the steps of its
algorithm shuffled into a numbered list, and the pupil puts them in order by
exchanging two lines at a time. Teachers write tests as plain text and turn
them into scrambled tests with the program's authoring mode or with the
command-line tool velmora-tst. The user interface is Russian.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_NAME velmora)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELMORA_MAINTAINER}")
# The libraries the binaries link, found by dpkg-shlibdeps; besides them
# Qt's platform plugins (no window opens without one) and Qt's own Russian
# texts (the standard buttons of dialogs and message boxes), which nothing
# links and Qt loads at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")

# No maintainer scripts: the package is remade without the ldconfig calls
# CPack adds for libTabulo.so (see packaging/without-ldconfig.cmake).
set(CPACK_POST_BUILD_SCRIPTS ${VELMORA_PACKAGING_DIR}/without-ldconfig.cmake)

include(CPack)

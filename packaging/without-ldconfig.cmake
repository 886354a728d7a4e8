# Run by cpack once the .deb is made (CPACK_POST_BUILD_SCRIPTS): CPack gives
# the package a postinst and a postrm calling ldconfig because of
# libTabulo.so, but that library lives in the program's private folder, not
# on the linker's path, so the package is rebuilt without those scripts.
# Everything else (the files, their owners and modes, the control fields,
# md5sums) is kept as CPack made it.
find_program(VELMORA_DPKG_DEB dpkg-deb REQUIRED)
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
    set(tree ${deb}.tree)
    file(REMOVE_RECURSE ${tree})
    execute_process(COMMAND ${VELMORA_DPKG_DEB} --raw-extract ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
    foreach(script IN ITEMS postinst postrm)
        if(EXISTS ${tree}/DEBIAN/${script})
            file(STRINGS ${tree}/DEBIAN/${script} lines)
            list(FILTER lines EXCLUDE REGEX "^(#!/bin/sh|set -e|if \\[ \"\\$1\" = \"(configure|remove)\" \\]; then|[ \t]*ldconfig|fi|)$")
            if(lines)
                message(FATAL_ERROR "${script} of ${deb} does more than call ldconfig: ${lines}")
            endif()
            file(REMOVE ${tree}/DEBIAN/${script})
        endif()
    endforeach()
    execute_process(COMMAND ${VELMORA_DPKG_DEB} --root-owner-group --build ${tree} ${deb}
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${tree})
endforeach()

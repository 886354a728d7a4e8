# The Windows build (cross-built with cmake/mingw-w64.cmake, `./build.sh windows`),
# before any target is made: the program's folder made whole (Qt's DLLs, its
# plugins and Russian texts, the MinGW runtime beside the program), and the
# programs of the build run through Wine. The installer: VelmoraWindows.cmake.

# Qt's own folder: the prefix its Core package was found in.
get_filename_component(VELMORA_QT_PREFIX "${Qt6_DIR}/../../.." ABSOLUTE)
string(REGEX MATCH "^[0-9]+" velmora_gcc_major "${CMAKE_CXX_COMPILER_VERSION}")
set(VELMORA_MINGW_RUNTIME_DIRS
    /usr/lib/gcc/${VELMORA_MINGW_TRIPLE}/${velmora_gcc_major}-posix
    /usr/${VELMORA_MINGW_TRIPLE}/lib)

# What the program's folder holds besides our own files. Copied when the
# build is configured: none of it is built here.
set(VELMORA_RUNTIME_DLLS libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
set(VELMORA_QT_DLLS Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll)
set(VELMORA_QT_PLUGINS platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qico.dll)
set(VELMORA_DEPLOYED)
foreach(dll IN LISTS VELMORA_RUNTIME_DLLS)
    find_file(VELMORA_RUNTIME_${dll} ${dll} PATHS ${VELMORA_MINGW_RUNTIME_DIRS} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    if(NOT VELMORA_RUNTIME_${dll})
        message(FATAL_ERROR "MinGW's ${dll} is not in ${VELMORA_MINGW_RUNTIME_DIRS}")
    endif()
    file(COPY ${VELMORA_RUNTIME_${dll}} DESTINATION ${VELMORA_BIN_DIR})
    list(APPEND VELMORA_DEPLOYED ${dll})
endforeach()
foreach(dll IN LISTS VELMORA_QT_DLLS)
    file(COPY ${VELMORA_QT_PREFIX}/bin/${dll} DESTINATION ${VELMORA_BIN_DIR})
    list(APPEND VELMORA_DEPLOYED ${dll})
endforeach()
foreach(plugin IN LISTS VELMORA_QT_PLUGINS)
    get_filename_component(folder ${plugin} DIRECTORY)
    file(COPY ${VELMORA_QT_PREFIX}/plugins/${plugin} DESTINATION ${VELMORA_BIN_DIR}/${folder})
    list(APPEND VELMORA_DEPLOYED ${plugin})
endforeach()
# Qt's own Russian texts (the standard buttons) are the same files on every system.
find_file(VELMORA_QTBASE_RU qtbase_ru.qm PATHS /usr/share/qt6/translations NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(VELMORA_QTBASE_RU)
    file(COPY ${VELMORA_QTBASE_RU} DESTINATION ${VELMORA_BIN_DIR}/translations)
    list(APPEND VELMORA_DEPLOYED translations/qtbase_ru.qm)
endif()
# Qt finds its plugins and texts in the program's own folder, wherever that is.
file(WRITE ${VELMORA_BIN_DIR}/qt.conf "[Paths]\nPrefix = .\nPlugins = .\nTranslations = translations\n")
list(APPEND VELMORA_DEPLOYED qt.conf)
# The tests load the same Qt from the program's folder; only the offscreen
# platform is theirs (the installer leaves it out).
file(COPY ${VELMORA_QT_PREFIX}/plugins/platforms/qoffscreen.dll DESTINATION ${VELMORA_BIN_DIR}/platforms)

# Programs built here run through Wine, in a Wine prefix of this build's own,
# finding the DLLs of the program's folder and Qt's (Qt Test) on WINEPATH.
# Wine is the one the toolchain file found (looked for here without it).
find_program(VELMORA_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
find_program(VELMORA_WINESERVER NAMES wineserver PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(VELMORA_WINE)
    set(VELMORA_WINEPATH "Z:${VELMORA_BIN_DIR};Z:${VELMORA_QT_PREFIX}/bin")
    string(REPLACE "/" "\\" VELMORA_WINEPATH "${VELMORA_WINEPATH}")
    configure_file(${PROJECT_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
else()
    message(WARNING "No Wine: the Windows build's programs cannot run here, so neither the sample tests "
        "are made nor the tests run (scripts/install-deps --windows installs it)")
endif()


# Resources are compressed by the build machine's rcc, which would take zstd;
# the Qt of the program has none.
set(CMAKE_AUTORCC_OPTIONS --no-zstd)

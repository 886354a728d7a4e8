# The Windows build's NSIS installer velmora-<version>-setup.exe (what it
# ships: VelmoraWindowsRuntime.cmake).

# The installer: NSIS, 64-bit and Unicode. It installs the program's folder
# file by file, and its uninstaller removes those files alone: tests a
# teacher has added to the folder stay.
find_program(VELMORA_MAKENSIS makensis)
if(VELMORA_MAKENSIS)
    set(VELMORA_SETUP ${CMAKE_BINARY_DIR}/velmora-${PROJECT_VERSION}-setup.exe)
    get_property(samples GLOBAL PROPERTY VELMORA_SAMPLE_TESTS)
    list(TRANSFORM samples REPLACE ".*/" "")
    set(shipped velmora.exe velmora-tst.exe Tabulo.dll ${samples} ${VELMORA_DEPLOYED})
    set(VELMORA_NSIS_INSTALL)
    set(VELMORA_NSIS_UNINSTALL)
    set(folders)
    foreach(file IN LISTS shipped)
        get_filename_component(folder "${file}" DIRECTORY)
        string(REPLACE "/" "\\" windows_file "${file}")
        string(REPLACE "/" "\\" windows_folder "${folder}")
        string(APPEND VELMORA_NSIS_INSTALL "  SetOutPath \"$INSTDIR\\${windows_folder}\"\n  File \"\${BIN}/${file}\"\n")
        string(APPEND VELMORA_NSIS_UNINSTALL "  Delete \"$INSTDIR\\${windows_file}\"\n")
        if(folder)
            list(APPEND folders ${windows_folder})
        endif()
    endforeach()
    list(REMOVE_DUPLICATES folders)
    foreach(folder IN LISTS folders)
        string(APPEND VELMORA_NSIS_UNINSTALL "  RMDir \"$INSTDIR\\${folder}\"\n")
    endforeach()
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/velmora.nsi.in ${CMAKE_BINARY_DIR}/velmora.nsi @ONLY)
    add_custom_target(velmora_installer
        COMMAND ${VELMORA_MAKENSIS} -V2 -DBIN=${VELMORA_BIN_DIR} -DOUTFILE=${VELMORA_SETUP} ${CMAKE_BINARY_DIR}/velmora.nsi
        DEPENDS ${CMAKE_BINARY_DIR}/velmora.nsi
        BYPRODUCTS ${VELMORA_SETUP}
        COMMENT "Making the installer velmora-${PROJECT_VERSION}-setup.exe"
        VERBATIM)
    add_dependencies(velmora_installer velmora_folder)
endif()

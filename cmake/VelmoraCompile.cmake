# Compiler flags shared by every target of the project.
add_library(velmora_flags INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(velmora_flags INTERFACE -Wall -Wextra -Wpedantic -Wshadow
        -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual -Wimplicit-fallthrough)
    if(VELMORA_WERROR)
        target_compile_options(velmora_flags INTERFACE -Werror)
    endif()
    # Full RELRO, as Debian's hardening flags link: the relocations are made
    # read-only once resolved, and all of them are resolved at load time.
    if(CMAKE_EXECUTABLE_FORMAT STREQUAL "ELF")
        target_link_options(velmora_flags INTERFACE LINKER:-z,relro,-z,now)
    endif()
elseif(MSVC)
    target_compile_options(velmora_flags INTERFACE /W4 /utf-8 $<$<BOOL:${VELMORA_WERROR}>:/WX>)
endif()
target_compile_definitions(velmora_flags INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_DISABLE_DEPRECATED_BEFORE=0x060400)

if(VELMORA_SANITIZE)
    # Applied globally so that the plugin, the program and the tests agree.
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# Qt's headers parsed once per build instead of once per file, reused by
# every target of the project. A precompiled header is refused where the
# position-independence flags or the Qt module macros it saw differ, so
# there are four: for libraries (-fPIC) and programs (-fPIE), each for
# targets with Qt Widgets and for targets with Qt Core only.
# Off by default: a ccache'd developer build gains little from it.
option(VELMORA_PCH "Precompile Qt's headers once and reuse them in every target" OFF)

set(VELMORA_PCH_CORE_HEADERS
    <algorithm> <functional> <memory> <optional> <vector>
    <QtCore/QByteArray> <QtCore/QCoreApplication> <QtCore/QDir> <QtCore/QFile> <QtCore/QFileInfo>
    <QtCore/QHash> <QtCore/QList> <QtCore/QObject> <QtCore/QPointer> <QtCore/QString>
    <QtCore/QStringList> <QtCore/QVariant>)
set(VELMORA_PCH_WIDGETS_HEADERS ${VELMORA_PCH_CORE_HEADERS}
    <QtGui/QFont> <QtGui/QKeyEvent> <QtGui/QPainter>
    <QtWidgets/QApplication> <QtWidgets/QDialog> <QtWidgets/QLabel> <QtWidgets/QListWidget>
    <QtWidgets/QPushButton> <QtWidgets/QWidget>)

function(velmora_collect_targets dir out)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub IN LISTS subdirs)
        velmora_collect_targets(${sub} more)
        list(APPEND targets ${more})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Whether the usage requirements of Qt module `module` (Qt6::Widgets,
# Qt6::Core) reach a target: through what it links and, from there, through
# what each of those passes on for compiling (link-only dependencies of
# static libraries bring no macros).
function(velmora_links_qt target module out)
    get_target_property(queue ${target} LINK_LIBRARIES)
    set(seen)
    while(queue)
        list(POP_FRONT queue item)
        if(item IN_LIST seen OR NOT TARGET ${item})
            continue()
        endif()
        list(APPEND seen ${item})
        if(item STREQUAL module)
            set(${out} TRUE PARENT_SCOPE)
            return()
        endif()
        get_target_property(links ${item} INTERFACE_LINK_LIBRARIES)
        if(links)
            list(FILTER links EXCLUDE REGEX "^\\$<LINK_ONLY:")
            list(APPEND queue ${links})
        endif()
    endwhile()
    set(${out} FALSE PARENT_SCOPE)
endfunction()

# Called once every target exists: each compiled target linked to
# velmora_flags reuses the header of its kind.
function(velmora_precompile_headers)
    if(NOT VELMORA_PCH)
        return()
    endif()
    set(source ${CMAKE_BINARY_DIR}/velmora_pch.cpp)
    file(CONFIGURE OUTPUT ${source} CONTENT "int main() { return 0; }\n")
    foreach(kind core widgets)
        add_library(velmora_pch_${kind}_lib STATIC ${source})
        add_executable(velmora_pch_${kind}_exe ${source})
        # Kept out of the program's folder.
        set_target_properties(velmora_pch_${kind}_exe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/pch)
        foreach(pch velmora_pch_${kind}_lib velmora_pch_${kind}_exe)
            if(kind STREQUAL "widgets")
                target_link_libraries(${pch} PRIVATE Qt6::Widgets velmora_flags)
                target_precompile_headers(${pch} PRIVATE ${VELMORA_PCH_WIDGETS_HEADERS})
            else()
                target_link_libraries(${pch} PRIVATE Qt6::Core velmora_flags)
                target_precompile_headers(${pch} PRIVATE ${VELMORA_PCH_CORE_HEADERS})
            endif()
        endforeach()
    endforeach()

    velmora_collect_targets(${PROJECT_SOURCE_DIR} targets)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        get_target_property(links ${target} LINK_LIBRARIES)
        if(target MATCHES "^velmora_pch_" OR NOT links OR NOT "velmora_flags" IN_LIST links)
            continue()
        endif()
        velmora_links_qt(${target} Qt6::Core core)
        if(NOT core)
            continue() # a plain C++ program: Qt's headers would not even be found
        endif()
        velmora_links_qt(${target} Qt6::Widgets widgets)
        set(kind core)
        if(widgets)
            set(kind widgets)
        endif()
        if(type STREQUAL "EXECUTABLE")
            target_precompile_headers(${target} REUSE_FROM velmora_pch_${kind}_exe)
        elseif(type MATCHES "^(STATIC|SHARED|MODULE|OBJECT)_LIBRARY$")
            target_precompile_headers(${target} REUSE_FROM velmora_pch_${kind}_lib)
        endif()
    endforeach()
endfunction()

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

# Qt's headers parsed once per build instead of once per file. Every target
# compiles with -fPIC (Qt's usage requirement, programs included), so two
# precompiled headers serve the whole project: one of Qt Core for the
# layers without windows and one of Qt Widgets for those with. A target
# takes one with velmora_use_pch(); a header refused by the compiler is an
# error (-Winvalid-pch under -Werror), never a silent slow build.
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

if(VELMORA_PCH)
    set(source ${CMAKE_BINARY_DIR}/velmora_pch.cpp)
    file(CONFIGURE OUTPUT ${source} CONTENT "// Only the precompiled header of its target.\n")
    add_library(velmora_pch_core STATIC ${source})
    target_link_libraries(velmora_pch_core PRIVATE Qt6::Core velmora_flags)
    target_precompile_headers(velmora_pch_core PRIVATE ${VELMORA_PCH_CORE_HEADERS})
    add_library(velmora_pch_widgets STATIC ${source})
    target_link_libraries(velmora_pch_widgets PRIVATE Qt6::Widgets velmora_flags)
    target_precompile_headers(velmora_pch_widgets PRIVATE ${VELMORA_PCH_WIDGETS_HEADERS})
endif()

# velmora_use_pch(<target> CORE|WIDGETS): the target reuses the precompiled
# header of Qt Core or of Qt Widgets (nothing when VELMORA_PCH is off). The
# kind is kept on the target (VELMORA_PCH_KIND), so a test takes the header
# of the libraries it tests.
function(velmora_use_pch target kind)
    if(NOT kind MATCHES "^(CORE|WIDGETS)$")
        message(FATAL_ERROR "velmora_use_pch(${target} ${kind}): CORE or WIDGETS")
    endif()
    set_property(TARGET ${target} PROPERTY VELMORA_PCH_KIND ${kind})
    # A Windows GUI program compiles with Qt's entry point defined
    # (QT_NEEDS_QMAIN), which no shared header has.
    get_target_property(windows_gui ${target} WIN32_EXECUTABLE)
    if(VELMORA_PCH AND NOT (WIN32 AND windows_gui))
        string(TOLOWER ${kind} kind)
        target_precompile_headers(${target} REUSE_FROM velmora_pch_${kind})
    endif()
endfunction()

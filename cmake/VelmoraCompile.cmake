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

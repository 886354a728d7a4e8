# velmora_add_test(NAME SOURCES ... LIBRARIES ... [ENVIRONMENT ...])
# Builds one Qt Test executable into the test folder (not the program's folder,
# so a test never lists or loads the program's own sample tests by accident)
# and registers it with CTest, offscreen.
# velmora_add_test(NAME EXECUTABLE <test> [ENVIRONMENT ...])
# Registers another run of a suite already built, in another environment.
set(VELMORA_TEST_BIN_DIR ${CMAKE_BINARY_DIR}/testbin)
if(WIN32)
    # The tests load the Qt of the program's folder beside theirs.
    file(WRITE ${VELMORA_TEST_BIN_DIR}/qt.conf "[Paths]\nPrefix = ../bin\nPlugins = .\nTranslations = translations\n")
endif()

# Sanitizer reports name functions and lines through LLVM's symbolizer.
find_program(VELMORA_SYMBOLIZER NAMES llvm-symbolizer PATHS /usr/lib/llvm-14/bin NO_DEFAULT_PATH)
set(VELMORA_TEST_ENVIRONMENT QT_QPA_PLATFORM=offscreen VELMORA_BIN_DIR=${VELMORA_BIN_DIR}
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan.supp
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1)
if(VELMORA_SANITIZE AND VELMORA_SYMBOLIZER)
    list(APPEND VELMORA_TEST_ENVIRONMENT ASAN_SYMBOLIZER_PATH=${VELMORA_SYMBOLIZER})
endif()

function(velmora_add_test name)
    cmake_parse_arguments(ARG "" "EXECUTABLE" "SOURCES;LIBRARIES;ENVIRONMENT" ${ARGN})
    set(executable ${ARG_EXECUTABLE})
    if(NOT executable)
        set(executable ${name})
        add_executable(${name} ${ARG_SOURCES})
        target_link_libraries(${name} PRIVATE velmora_flags Qt6::Test ${ARG_LIBRARIES})
        set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VELMORA_TEST_BIN_DIR})
        # Qt Widgets' precompiled header when a library it tests has windows.
        set(kind CORE)
        foreach(library IN LISTS ARG_LIBRARIES)
            if(library STREQUAL "Qt6::Widgets")
                set(kind WIDGETS)
            elseif(TARGET ${library})
                get_target_property(used ${library} VELMORA_PCH_KIND)
                if(used STREQUAL "WIDGETS")
                    set(kind WIDGETS)
                endif()
            endif()
        endforeach()
        velmora_use_pch(${name} ${kind})
    endif()
    # Qt Test's plain log goes to the debugger on Windows, not to the
    # output CTest reads; its TAP log is written out.
    set(arguments)
    if(WIN32)
        set(arguments -o -,tap)
    endif()
    add_test(NAME ${name} COMMAND ${executable} ${arguments})
    set_tests_properties(${name} PROPERTIES
        TIMEOUT 300
        ENVIRONMENT "${VELMORA_TEST_ENVIRONMENT};${ARG_ENVIRONMENT}")
endfunction()

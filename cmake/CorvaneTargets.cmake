# Helpers that keep the core libraries free of Qt Widgets and give every target the same warning policy.

function(corvane_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
    if(CORVANE_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# A shadow include directory in which every Qt Widgets header is an #error. Put first on the include path of
# core targets, it makes `#include <QtWidgets/...>` fail to compile there; plain `<QWidget>` already fails
# because the Widgets include directory is never on a core target's path.
set(CORVANE_NOWIDGETS_DIR "${CMAKE_BINARY_DIR}/nowidgets")
get_target_property(_qt_widgets_includes Qt6::Widgets INTERFACE_INCLUDE_DIRECTORIES)
foreach(_dir IN LISTS _qt_widgets_includes)
    if(_dir MATCHES "QtWidgets$" AND IS_DIRECTORY "${_dir}")
        file(GLOB _widget_headers RELATIVE "${_dir}" "${_dir}/*")
        foreach(_h IN LISTS _widget_headers)
            if(NOT IS_DIRECTORY "${_dir}/${_h}")
                file(WRITE "${CORVANE_NOWIDGETS_DIR}/QtWidgets/${_h}"
                     "#error \"Qt Widgets may not be used in corvane_core; move this code to a ui/ folder\"\n")
            endif()
        endforeach()
    endif()
endforeach()

# corvane_core_library(NAME DIR [DEPS ...]): a static library of the core made of every .cpp/.h file
# directly in DIR (ui/ subfolders excluded). Links Qt Core and Network, never Widgets.
function(corvane_core_library name dir)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB _sources CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h")
    add_library(${name} STATIC ${_sources})
    target_include_directories(${name} BEFORE PRIVATE "${CORVANE_NOWIDGETS_DIR}")
    target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
    target_link_libraries(${name} PUBLIC Qt6::Core Qt6::Network ${ARG_DEPS})
    corvane_warnings(${name})
    set_property(GLOBAL APPEND PROPERTY CORVANE_CORE_LIBRARIES ${name})
endfunction()

# corvane_add_tests(LIBS ...): one test program per tst_*.cpp file in the calling directory, linked with LIBS
# and the test-support library. Tests run with the offscreen platform so that widget tests need no display.
function(corvane_add_tests)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB _tests CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp")
    foreach(_src IN LISTS _tests)
        get_filename_component(_name "${_src}" NAME_WE)
        add_executable(${_name} "${_src}")
        target_link_libraries(${_name} PRIVATE corvane_testsupport ${ARG_LIBS})
        target_compile_definitions(${_name} PRIVATE CORVANE_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
        corvane_warnings(${_name})
        add_test(NAME ${_name} COMMAND ${_name})
        set_tests_properties(${_name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8")
    endforeach()
endfunction()

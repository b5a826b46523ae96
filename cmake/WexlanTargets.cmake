# Helpers shared by every folder's CMakeLists.txt.
#
# Libraries are shared, hide their symbols by default and export what hosts and
# plug-ins use through a generated <target>_export.h (WEXLAN..._EXPORT macros).
# Their public headers sit beside their sources, so a folder's own directory is
# a PUBLIC include directory of its target.

include(GenerateExportHeader)

# Installed headers go flat into one folder, as they are included ("wProp.h").
# Only public headers are installed: those the workstation and module authors
# use, which read as the documentation of the interface. The other headers of a
# folder are private to the build (its sources and its tests).
set(WEXLAN_INSTALL_INCLUDEDIR include/WexlanCP)

# wexlan_install_public_headers(HEADERS...): installs headers of the current
# source folder (names relative to it) or generated ones (absolute paths).
function(wexlan_install_public_headers)
    set(files "")
    foreach(header IN LISTS ARGN)
        if(IS_ABSOLUTE ${header})
            list(APPEND files ${header})
        else()
            list(APPEND files ${CMAKE_CURRENT_SOURCE_DIR}/${header})
        endif()
    endforeach()
    install(FILES ${files} DESTINATION ${WEXLAN_INSTALL_INCLUDEDIR})
endfunction()

# wexlan_add_library(NAME SOURCES ... [PUBLIC_HEADERS ...] [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
function(wexlan_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_HEADERS;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
    add_library(${name} SHARED ${ARG_SOURCES})
    string(TOLOWER ${name} lower)
    generate_export_header(${name} BASE_NAME ${name}
                           EXPORT_FILE_NAME ${CMAKE_CURRENT_BINARY_DIR}/${lower}_export.h)
    target_include_directories(${name} PUBLIC
        $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}>
        $<BUILD_INTERFACE:${CMAKE_CURRENT_BINARY_DIR}>
        $<INSTALL_INTERFACE:${WEXLAN_INSTALL_INCLUDEDIR}>)
    wexlan_install_public_headers(${ARG_PUBLIC_HEADERS} ${CMAKE_CURRENT_BINARY_DIR}/${lower}_export.h)
    install(TARGETS ${name} EXPORT WexlanCPTargets
            LIBRARY DESTINATION lib RUNTIME DESTINATION bin)
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
    set_target_properties(${name} PROPERTIES CXX_VISIBILITY_PRESET hidden
                                             VISIBILITY_INLINES_HIDDEN ON)
endfunction()

# wexlan_add_test(NAME SOURCES ... LIBS ... [LABEL unit|ui|render])
#
# One GoogleTest executable; its cases are registered with ctest one by one.
# "ui" tests run Qt on the offscreen platform; "render" tests need an X server
# (test.sh runs the whole suite under Xvfb). Every process keeps the workstation's
# configuration in a temporary folder of its own (tests/support).
function(wexlan_add_test name)
    cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_LABEL)
        set(ARG_LABEL unit)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} WexlanPrivateConfigurationFolder
                                          GTest::gtest GTest::gmock GTest::gtest_main m)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set(env "")
    if(ARG_LABEL STREQUAL "ui")
        set(env "QT_QPA_PLATFORM=offscreen")
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 60
        PROPERTIES LABELS ${ARG_LABEL} ENVIRONMENT "${env}" TIMEOUT 120)
endfunction()

# wexlan_add_folder_subdirectories([WITH_FACADE folders...]): in a folder that mirrors
# the control panel's folders (tests/, bench/), adds the subfolder of each folder
# being built (WEXLAN_CP_FOLDERS) that exists here, and the WITH_FACADE folders when
# the whole control panel is built.
function(wexlan_add_folder_subdirectories)
    cmake_parse_arguments(ARG "" "" "WITH_FACADE" ${ARGN})
    foreach(folder IN LISTS WEXLAN_CP_FOLDERS)
        if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${folder})
            add_subdirectory(${folder})
        endif()
    endforeach()
    if("facade" IN_LIST WEXLAN_CP_FOLDERS)
        foreach(folder IN LISTS ARG_WITH_FACADE)
            add_subdirectory(${folder})
        endforeach()
    endif()
endfunction()

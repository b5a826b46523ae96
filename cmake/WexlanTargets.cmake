# Helpers shared by every folder's CMakeLists.txt.
#
# Libraries are shared, hide their symbols by default and export what hosts and
# plug-ins use through a generated <target>_export.h (WEXLAN..._EXPORT macros).
# Their public headers sit beside their sources, so a folder's own directory is
# a PUBLIC include directory of its target.

include(GenerateExportHeader)

# Installed headers go flat into one folder, as they are included ("wProp.h").
set(WEXLAN_INSTALL_INCLUDEDIR include/WexlanCP)

# wexlan_install_headers(FOLDER [EXTRA_FILES...]): the public headers of a
# library folder (every header beside its sources), plus generated ones.
function(wexlan_install_headers folder)
    install(DIRECTORY ${folder}/ DESTINATION ${WEXLAN_INSTALL_INCLUDEDIR}
            FILES_MATCHING PATTERN "*.h")
    if(ARGN)
        install(FILES ${ARGN} DESTINATION ${WEXLAN_INSTALL_INCLUDEDIR})
    endif()
endfunction()

# wexlan_add_library(NAME SOURCES ... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
function(wexlan_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
    add_library(${name} SHARED ${ARG_SOURCES})
    string(TOLOWER ${name} lower)
    generate_export_header(${name} BASE_NAME ${name}
                           EXPORT_FILE_NAME ${CMAKE_CURRENT_BINARY_DIR}/${lower}_export.h)
    target_include_directories(${name} PUBLIC
        $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}>
        $<BUILD_INTERFACE:${CMAKE_CURRENT_BINARY_DIR}>
        $<INSTALL_INTERFACE:${WEXLAN_INSTALL_INCLUDEDIR}>)
    wexlan_install_headers(${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/${lower}_export.h)
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
# (test.sh runs the whole suite under Xvfb).
function(wexlan_add_test name)
    cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_LABEL)
        set(ARG_LABEL unit)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main m)
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

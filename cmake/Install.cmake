# cmake --install makes an application folder of the same layout as the build
# tree (bin/ with Modules, Hard and the local repository, lib/), plus the
# headers and a CMake package for hosts and module authors:
# include/WexlanCP/ and lib/cmake/WexlanCP/.
include(CMakePackageConfigHelpers)

set(WEXLAN_VTK_COMPONENTS
    CommonCore CommonDataModel CommonExecutionModel CommonMath CommonTransforms
    FiltersCore FiltersSources FiltersGeneral ImagingCore InteractionStyle
    IOCore IOImage IOLegacy IOXML IOGeometry IOPLY
    RenderingCore RenderingOpenGL2 RenderingAnnotation RenderingFreeType GUISupportQt)
string(REPLACE ";" " " WEXLAN_VTK_COMPONENTS "${WEXLAN_VTK_COMPONENTS}")

install(EXPORT WexlanCPTargets NAMESPACE WexlanCP:: DESTINATION lib/cmake/WexlanCP)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/WexlanCPConfig.cmake.in
    ${CMAKE_BINARY_DIR}/WexlanCPConfig.cmake INSTALL_DESTINATION lib/cmake/WexlanCP)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/WexlanCPConfigVersion.cmake
    COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/WexlanCPConfig.cmake ${CMAKE_BINARY_DIR}/WexlanCPConfigVersion.cmake
        DESTINATION lib/cmake/WexlanCP)

# The programs, the shipped plug-ins and the sample repository.
foreach(program varq varq-inspect)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION bin)
    endif()
endforeach()
foreach(module SurfaceViewer VolumeViewer)
    if(TARGET ${module})
        install(TARGETS ${module} LIBRARY DESTINATION bin/Modules)
    endif()
endforeach()
install(TARGETS SimulatedTracker LIBRARY DESTINATION bin/Hard)
install(DIRECTORY ${CMAKE_BINARY_DIR}/bin/local DESTINATION bin OPTIONAL)

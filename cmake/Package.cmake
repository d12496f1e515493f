# The tree a host developer gets from `cmake --install` and, zipped, from
# `cmake --build build --target package`:
#   bin/              Tarvisk.dll, AxisU.dll, TarviskHost.exe, the skins, the help file
#   include/          the public headers, alone sufficient
#   lib/              the import libraries of Tarvisk.dll and AxisU.dll, and the .def file for other linkers
#   lib/cmake/Tarvisk the package for find_package(Tarvisk CONFIG)
#   docs/             the host guide
include(CMakePackageConfigHelpers)

target_include_directories(Tarvisk INTERFACE $<INSTALL_INTERFACE:include>)
# Tarvisk.dll imports AxisU.dll by name. Hosts call nothing of it, but
# Tarvisk::Tarvisk names it, so that $<TARGET_RUNTIME_DLLS:app> and a host's
# install step pick up both DLLs.
target_link_libraries(Tarvisk INTERFACE AxisU)
install(TARGETS Tarvisk AxisU EXPORT TarviskTargets RUNTIME DESTINATION bin ARCHIVE DESTINATION lib)
install(TARGETS TarviskHost RUNTIME DESTINATION bin)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/skins/ DESTINATION bin/skins
  PATTERN CMakeLists.txt EXCLUDE PATTERN make_skin.py EXCLUDE)
install(FILES ${CMAKE_BINARY_DIR}/bin/Tarvisk.chm DESTINATION bin OPTIONAL)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/include/ DESTINATION include)
install(FILES ${CMAKE_SOURCE_DIR}/host/Tarvisk.def DESTINATION lib)
install(FILES ${CMAKE_SOURCE_DIR}/docs/HostGuide.md DESTINATION docs)

install(EXPORT TarviskTargets NAMESPACE Tarvisk:: DESTINATION lib/cmake/Tarvisk)
configure_file(${CMAKE_SOURCE_DIR}/cmake/TarviskConfig.cmake.in
               ${CMAKE_BINARY_DIR}/TarviskConfig.cmake COPYONLY)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/TarviskConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/TarviskConfig.cmake ${CMAKE_BINARY_DIR}/TarviskConfigVersion.cmake
        DESTINATION lib/cmake/Tarvisk)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME Tarvisk-${PROJECT_VERSION}-win64)
include(CPack)

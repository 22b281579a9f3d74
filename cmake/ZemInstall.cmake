# The Tcl package index, the CMake package and the pkg-config file, and what
# "cmake --install" puts where.

# Versioned libraries: the file libzem_common.so.1.0.0, its SONAME
# libzem_common.so.1.0 (the C++ interface is header templates, so a minor
# version may change the binary interface) and the link libzem_common.so for
# the linker.
foreach(library zem_common zem_board zem_host zem_boardcommontasks)
  set_target_properties(${library} PROPERTIES VERSION ${PROJECT_VERSION}
                                              SOVERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
endforeach()

# The package index loads the libraries by their SONAME file, found relative
# to the index's own folder: in the build tree one folder below the
# libraries, installed wherever ZEM_TCL_PACKAGE_DIR says.
function(zem_package_index output libdir_from_pkgdir)
  set(ZEM_LIBDIR_FROM_PKGDIR ${libdir_from_pkgdir})
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/pkgIndex.tcl.in ${output}.in @ONLY)
  file(GENERATE OUTPUT ${output} INPUT ${output}.in)
endfunction()
zem_package_index(${CMAKE_BINARY_DIR}/lib/zem${PROJECT_VERSION}/pkgIndex.tcl ..)

function(zem_install_path variable path)
  if(IS_ABSOLUTE ${path})
    set(${variable} ${path} PARENT_SCOPE)
  else()
    set(${variable} ${CMAKE_INSTALL_PREFIX}/${path} PARENT_SCOPE)
  endif()
endfunction()
zem_install_path(zem_package_dir_full ${ZEM_TCL_PACKAGE_DIR})
file(RELATIVE_PATH zem_libdir_from_pkgdir ${zem_package_dir_full} ${CMAKE_INSTALL_FULL_LIBDIR})
zem_package_index(${CMAKE_BINARY_DIR}/install/pkgIndex.tcl ${zem_libdir_from_pkgdir})
install(FILES ${CMAKE_BINARY_DIR}/install/pkgIndex.tcl DESTINATION ${ZEM_TCL_PACKAGE_DIR})

set_target_properties(zem_common PROPERTIES EXPORT_NAME common)
set_target_properties(zem_board PROPERTIES EXPORT_NAME board)
set_target_properties(zem_host PROPERTIES EXPORT_NAME host)
set_target_properties(zem_boardcommontasks PROPERTIES EXPORT_NAME boardcommontasks)
set_target_properties(zem_tcl_headers PROPERTIES EXPORT_NAME tcl_headers)
target_include_directories(zem_tcl_headers SYSTEM INTERFACE $<INSTALL_INTERFACE:${TCL_INCLUDE_PATH}>)
install(TARGETS zem_tcl_headers zem_common zem_board zem_host zem_boardcommontasks EXPORT zemTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS boardsh RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(zem_include ${CMAKE_INSTALL_INCLUDEDIR}/zem)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/interfaces/common/ DESTINATION ${zem_include}/common)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/interfaces/board/ DESTINATION ${zem_include}/board)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/tcltasks/ DESTINATION ${zem_include}/tcltasks)
install(FILES ${CMAKE_SOURCE_DIR}/host/ZemHost.h DESTINATION ${zem_include}/host)
file(GLOB zem_task_headers ${CMAKE_SOURCE_DIR}/board/common/tcltasks/*.h)
install(FILES ${zem_task_headers} DESTINATION ${zem_include}/tasks)

install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${ZEM_INSTALL_DATADIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION ${ZEM_INSTALL_DATADIR}/examples)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR} FILES_MATCHING PATTERN "*.md" PATTERN "*.svg")

# find_package(zem): the targets zem::common, zem::board, zem::host and
# zem::boardcommontasks.
include(CMakePackageConfigHelpers)
set(zem_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/zem)
install(EXPORT zemTargets NAMESPACE zem:: DESTINATION ${zem_cmake_dir})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/zemConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/cmake/zemConfig.cmake INSTALL_DESTINATION ${zem_cmake_dir})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/cmake/zemConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/cmake/zemConfig.cmake ${CMAKE_BINARY_DIR}/cmake/zemConfigVersion.cmake
        DESTINATION ${zem_cmake_dir})

# pkg-config: the prefix is found from the file's own place, so the install
# tree can be moved.
set(zem_pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH ZEM_PC_TO_PREFIX ${CMAKE_INSTALL_PREFIX}/${zem_pc_dir} ${CMAKE_INSTALL_PREFIX})
configure_file(${CMAKE_CURRENT_LIST_DIR}/zem.pc.in ${CMAKE_BINARY_DIR}/pkgconfig/zem.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/pkgconfig/zem.pc DESTINATION ${zem_pc_dir})

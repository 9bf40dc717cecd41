# The installed SDK: the loadable library, the client runtime, the public headers, the CMake
# package and the pkg-config file, and the zcnt tool.
#
# A client links libcontentelements_client.so, the COM runtime (class table, registry, BSTR,
# VARIANT, streams) it calls CoCreateInstance and CLSIDFromProgID through; the runtime finds
# the classes in the registry and loads libcontentelements.so itself. The component library
# stays what an in-process server is, four entry points and nothing else, so that it keeps its
# own copy of the platform layer hidden and can be loaded beside any version of the runtime.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set_target_properties(contentelements PROPERTIES
  VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR} EXPORT_NAME module)

# The library is its archives, whole; CMake still wants a source of its own.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/contentelements_client.cpp
     CONTENT "// The client runtime: all of it comes from the platform archives.\n")
add_library(contentelements_client SHARED ${CMAKE_BINARY_DIR}/contentelements_client.cpp)
set_target_properties(contentelements_client PROPERTIES
  VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR} EXPORT_NAME contentelements
  LINKER_LANGUAGE CXX)
# Whole archives: the runtime is all of these services, not only what something here calls.
# (Named as files: the archives' own dependencies on one another would repeat them unwrapped.)
add_dependencies(contentelements_client zcnt_platform zcnt_shell zcnt_registry)
target_link_libraries(contentelements_client PRIVATE zcnt_warnings ${CMAKE_DL_LIBS})
target_link_options(contentelements_client PRIVATE ${ZCNT_NO_UNDEFINED} -Wl,--whole-archive
  $<TARGET_FILE:zcnt_registry> $<TARGET_FILE:zcnt_shell> $<TARGET_FILE:zcnt_platform>
  -Wl,--no-whole-archive)
set_property(TARGET contentelements_client APPEND PROPERTY LINK_DEPENDS
  $<TARGET_FILE:zcnt_registry> $<TARGET_FILE:zcnt_shell> $<TARGET_FILE:zcnt_platform>)
target_link_libraries(contentelements_client INTERFACE ${CMAKE_DL_LIBS})
target_include_directories(contentelements_client INTERFACE
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_compile_features(contentelements_client INTERFACE cxx_std_20)

# The headers a client sees: the public ones and the COM layer, with everything they include,
# found by following their quoted includes so that the installed set is always closed.
function(zcnt_installed_headers out)
  set(pending ${ARGN})
  set(found "")
  while(pending)
    list(POP_FRONT pending header)
    if(header IN_LIST found)
      continue()
    endif()
    list(APPEND found ${header})
    if(EXISTS ${ZCNT_ROOT}/include/${header})
      set(file ${ZCNT_ROOT}/include/${header})
    elseif(EXISTS ${ZCNT_ROOT}/${header})
      set(file ${ZCNT_ROOT}/${header})
    else()
      message(FATAL_ERROR "installed header ${header} is not in the tree")
    endif()
    set_property(DIRECTORY ${ZCNT_ROOT} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
    file(STRINGS ${file} includes REGEX "^#include \"")
    foreach(line ${includes})
      string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
      list(APPEND pending ${included})
    endforeach()
  endwhile()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

file(GLOB zcnt_public_headers CONFIGURE_DEPENDS RELATIVE ${ZCNT_ROOT}/include
     ${ZCNT_ROOT}/include/contentelements/*.h)
zcnt_installed_headers(zcnt_sdk_headers ${zcnt_public_headers}
                       platform/com/com.h platform/com/streams.h)
foreach(header ${zcnt_sdk_headers})
  if(EXISTS ${ZCNT_ROOT}/include/${header})
    set(file ${ZCNT_ROOT}/include/${header})
  else()
    set(file ${ZCNT_ROOT}/${header})
  endif()
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${file} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${folder})
endforeach()

install(TARGETS contentelements contentelements_client EXPORT ContentElementsTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS zcnt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(zcnt_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/ContentElements)
install(EXPORT ContentElementsTargets NAMESPACE ContentElements::
        DESTINATION ${zcnt_package_dir})
configure_package_config_file(${ZCNT_ROOT}/cmake/ContentElementsConfig.cmake.in
  ${CMAKE_BINARY_DIR}/ContentElementsConfig.cmake INSTALL_DESTINATION ${zcnt_package_dir})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/ContentElementsConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/ContentElementsConfig.cmake
              ${CMAKE_BINARY_DIR}/ContentElementsConfigVersion.cmake
        DESTINATION ${zcnt_package_dir})

# The file finds its prefix from where it lies: as many folders up as the library folder is deep.
string(REGEX REPLACE "[^/]+" ".." zcnt_pc_up "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
configure_file(${ZCNT_ROOT}/cmake/contentelements.pc.in ${CMAKE_BINARY_DIR}/contentelements.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/contentelements.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# What `cmake --install` puts under the prefix, and the Debian packages CPack
# makes of it (`cpack -G DEB` in the build folder):
#   bin/      Mirevo, mirevo-sensor-sim
#   lib/      libmirevo_sensor.so, libmirevo_cloud.so, libParvex.so (with
#             SONAME links), their CMake package and pkg-config files
#   include/mirevo/  the public headers, in the source tree's layout
#   share/    the desktop entry and the icon
# Two components: "runtime" (package mirevo) and "dev" (package mirevo-dev:
# headers, the unversioned library links, CMake and pkg-config files).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(MIREVO_LIBRARIES mirevo_sensor mirevo_cloud Parvex)
set(MIREVO_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Mirevo)
set(MIREVO_HEADER_DIR ${CMAKE_INSTALL_INCLUDEDIR}/mirevo)

# The public headers include each other by their path in the source tree
# ("sensor_interface/..."), so they keep that layout below include/mirevo and
# both include/ and include/mirevo are on a caller's include path: the caller
# writes #include <mirevo/sensor_interface/registry/hvq5_api.h>.
set(MIREVO_PUBLIC_HEADERS_mirevo_sensor
  sensor_interface/hvq5_export.h
  sensor_interface/status_codes.h
  sensor_interface/command/search_exports.h
  sensor_interface/data_channel/batch_records.h
  sensor_interface/registry/batch_exports_api.h
  sensor_interface/registry/batch_handlers_api.h
  sensor_interface/registry/hvq5_api.h
  sensor_interface/registry/hvq5_measure_api.h
  sensor_interface/registry/hvq5_open_api.h
  sensor_interface/registry/hvq5_rc.h
  sensor_interface/registry/hvq5_setting_api.h
  sensor_interface/settings/batch_status.h
  sensor_interface/settings/hvq5_settings.h
  sensor_interface/settings/setting_address.h
  sensor_interface/settings/stop_watch.h)
set(MIREVO_PUBLIC_HEADERS_mirevo_cloud
  views/height/cloud/kx_common.h
  views/height/cloud/kx_export.h
  views/height/cloud/kx_point_cloud.h)
set(MIREVO_PUBLIC_HEADERS_Parvex
  gradient_filter/parvex.h)

# One SONAME per library: a later release with another interface installs
# beside this one.
set(MIREVO_SOVERSION 1)
set_target_properties(mirevo_sensor PROPERTIES EXPORT_NAME sensor)
set_target_properties(mirevo_cloud PROPERTIES EXPORT_NAME cloud)
foreach(library IN LISTS MIREVO_LIBRARIES)
  set_target_properties(${library} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${MIREVO_SOVERSION})
  install(TARGETS ${library} EXPORT MirevoTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
      COMPONENT runtime NAMELINK_COMPONENT dev
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} ${MIREVO_HEADER_DIR})
  foreach(header IN LISTS MIREVO_PUBLIC_HEADERS_${library})
    get_filename_component(folder ${header} DIRECTORY)
    install(FILES ${PROJECT_SOURCE_DIR}/${header} DESTINATION ${MIREVO_HEADER_DIR}/${folder} COMPONENT dev)
  endforeach()
endforeach()

# The programs find the libraries of this project beside them, wherever the
# prefix is.
set(MIREVO_PROGRAMS Mirevo mirevo-sensor-sim)
file(RELATIVE_PATH MIREVO_BIN_TO_LIB /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
set_target_properties(${MIREVO_PROGRAMS} PROPERTIES INSTALL_RPATH "$ORIGIN/${MIREVO_BIN_TO_LIB}")
install(TARGETS ${MIREVO_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(FILES ${PROJECT_SOURCE_DIR}/res/mirevo.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT runtime)
install(FILES ${PROJECT_SOURCE_DIR}/res/logo.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps RENAME mirevo.png COMPONENT runtime)

# find_package(Mirevo): Mirevo::sensor, Mirevo::cloud, Mirevo::Parvex.
install(EXPORT MirevoTargets NAMESPACE Mirevo:: DESTINATION ${MIREVO_CMAKE_DIR} COMPONENT dev)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/MirevoConfig.cmake.in
  ${PROJECT_BINARY_DIR}/install/MirevoConfig.cmake INSTALL_DESTINATION ${MIREVO_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/install/MirevoConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/install/MirevoConfig.cmake ${PROJECT_BINARY_DIR}/install/MirevoConfigVersion.cmake
  DESTINATION ${MIREVO_CMAKE_DIR} COMPONENT dev)

# pkg-config: mirevo-sensor, mirevo-cloud, mirevo-parvex. The prefix is taken
# from where the file lies, so the files hold for any install prefix.
file(RELATIVE_PATH MIREVO_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" MIREVO_PC_TO_PREFIX "${MIREVO_PC_TO_PREFIX}")
function(mirevo_pkg_config name library description requires cflags)
  set(MIREVO_PC_NAME ${name})
  set(MIREVO_PC_LIBRARY ${library})
  set(MIREVO_PC_DESCRIPTION ${description})
  set(MIREVO_PC_REQUIRES ${requires})
  set(MIREVO_PC_CFLAGS ${cflags})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/mirevo.pc.in ${PROJECT_BINARY_DIR}/install/${name}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/install/${name}.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
endfunction()
mirevo_pkg_config(mirevo-sensor mirevo_sensor
  "Line-laser profile sensors on Ethernet: search, open, settings, profiles and batches" "" "")
# kx_point_cloud.h takes PCL's point types; Debian's PCL is built as C++14 and
# a caller must keep its Eigen allocation (see views/height/cloud).
mirevo_pkg_config(mirevo-cloud mirevo_cloud
  "Height-map images and clouds, their CSV, TIFF, PCD and PLY files" "opencv4 pcl_common"
  "-DEIGEN_HAS_CXX17_OVERALIGN=0")
mirevo_pkg_config(mirevo-parvex Parvex
  "Gradient outlier filter for height images" "" "")

set(CPACK_PACKAGE_NAME mirevo)
set(CPACK_PACKAGE_VENDOR "Mirevo developers")
set(CPACK_PACKAGE_CONTACT "Mirevo developers <mirevo@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The run-time dependencies come from the libraries the programs and
# libraries link (dpkg-shlibdeps), and ldconfig runs for the new SONAMEs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME mirevo)
# OpenCV's image codecs are loaded when first used (platform/image_codecs.cpp),
# so no linked library names them: the runtime package names their package.
get_target_property(MIREVO_IMGCODECS_FILE opencv_imgcodecs IMPORTED_LOCATION_RELEASE)
set(MIREVO_IMGCODECS_PACKAGE "libopencv-imgcodecs${OpenCV_VERSION_MAJOR}${OpenCV_VERSION_MINOR}")
find_program(MIREVO_DPKG_QUERY dpkg-query)
if(MIREVO_DPKG_QUERY AND MIREVO_IMGCODECS_FILE)
  execute_process(COMMAND ${MIREVO_DPKG_QUERY} -S ${MIREVO_IMGCODECS_FILE}
    OUTPUT_VARIABLE MIREVO_IMGCODECS_OWNER ERROR_QUIET RESULT_VARIABLE MIREVO_IMGCODECS_QUERY)
  if(MIREVO_IMGCODECS_QUERY EQUAL 0 AND MIREVO_IMGCODECS_OWNER MATCHES "^([^:]+):")
    set(MIREVO_IMGCODECS_PACKAGE ${CMAKE_MATCH_1})
  endif()
endif()
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS ${MIREVO_IMGCODECS_PACKAGE})
# Descriptions: the first line is the summary.
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "Line-laser 3D profile sensors on Ethernet
Mirevo finds and connects line-laser profile sensors, edits their settings,
shows live profiles, camera images and batches as height maps and clouds,
and exports them. The package holds the program, the sensor simulator
mirevo-sensor-sim and the shared libraries libmirevo_sensor, libmirevo_cloud
and libParvex.")
set(CPACK_DEBIAN_DEV_PACKAGE_NAME mirevo-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
# The headers take OpenCV core and PCL's point types (kx_point_cloud.h).
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "mirevo (= ${PROJECT_VERSION}), libopencv-dev, libpcl-dev")
set(CPACK_DEBIAN_DEV_DESCRIPTION "Line-laser 3D profile sensors on Ethernet: development files
Public headers, CMake package (find_package(Mirevo): Mirevo::sensor,
Mirevo::cloud, Mirevo::Parvex) and pkg-config files (mirevo-sensor,
mirevo-cloud, mirevo-parvex) of the Mirevo libraries.")
include(CPack)

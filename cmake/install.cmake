# The installed SDK: cmake --install lays out <prefix>/{bin,lib,include,share}. Executables find
# libcomlite through $ORIGIN/../lib, modules beside themselves ($ORIGIN), and the packages their
# data in <prefix>/share/coravl/<package>/ (see the packages' data folder lookup).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(CORAVL_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/coravl)
set(CORAVL_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/coravl)
set(CORAVL_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/coravl)

install(TARGETS coravl coravl-regsvr RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS comlite CORavl11 ravelin capeside ideal_package pr_package
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
# The simulator's compound table sits beside the socket, which reads it from its own folder.
install(FILES ${CMAKE_LIBRARY_OUTPUT_DIRECTORY}/DltCASnos.txt DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS capeside_support ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})

# Headers for package writers, included as "comlite/...", "outside/..." and "capeside/support/...".
install(DIRECTORY src/comlite/ DESTINATION ${CORAVL_INSTALL_INCLUDEDIR}/comlite
        FILES_MATCHING PATTERN "*.h")
install(FILES src/outside/capeopen_categories.h src/outside/capeopen_common.h
              src/outside/capeopen_errors.h src/outside/capeopen_thermo.h
        DESTINATION ${CORAVL_INSTALL_INCLUDEDIR}/outside)
install(DIRECTORY peers/capeside/support/ DESTINATION ${CORAVL_INSTALL_INCLUDEDIR}/capeside/support
        FILES_MATCHING PATTERN "*.h")
# The Windows source-compatibility folder, put first on a ported package's include path.
install(DIRECTORY winsdk/include/ DESTINATION ${CORAVL_INSTALL_INCLUDEDIR}/win)

install(FILES peers/ideal_package/data/compounds.csv peers/ideal_package/data/packages.txt
        DESTINATION ${CORAVL_INSTALL_DATADIR}/ideal_package)
install(FILES peers/pr_package/data/compounds.csv peers/pr_package/data/pr_kij.csv
              peers/pr_package/config/packages.txt peers/pr_package/config/no_kij.csv
        DESTINATION ${CORAVL_INSTALL_DATADIR}/pr_package)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR} OPTIONAL)

configure_package_config_file(cmake/sdk/coravlConfig.cmake.in
  ${CMAKE_BINARY_DIR}/sdk/coravlConfig.cmake INSTALL_DESTINATION ${CORAVL_INSTALL_CMAKEDIR}
  PATH_VARS CMAKE_INSTALL_LIBDIR CORAVL_INSTALL_INCLUDEDIR CORAVL_INSTALL_DATADIR
            CMAKE_INSTALL_BINDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/sdk/coravlConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/sdk/coravlConfig.cmake
              ${CMAKE_BINARY_DIR}/sdk/coravlConfigVersion.cmake cmake/sdk/coravlModule.cmake
              cmake/sdk/coravlConcat.cmake
        DESTINATION ${CORAVL_INSTALL_CMAKEDIR})

# pkg-config: prefix-relative so that a relocated prefix still works.
configure_file(cmake/sdk/coravl.pc.in ${CMAKE_BINARY_DIR}/sdk/coravl.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/sdk/coravl.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

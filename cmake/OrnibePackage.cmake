# What the installed package holds beside the programs: the manual pages,
# compressed as Debian keeps them (gzip -9n: the same bytes on every
# build), the copyright file and the changelog; and the Debian package made
# of everything installed: `cpack -G DEB` in the build folder.
find_program(ORNIBE_GZIP gzip REQUIRED)

# Installs a gzip -9n copy of FILE (relative to the source tree) into
# DESTINATION.
function(ornibe_install_compressed file destination)
  # The copy keeps the file's folders, so that pages of one name in two
  # languages (docs/man and docs/man/ja) stay apart.
  set(copy "${CMAKE_BINARY_DIR}/compressed/${file}")
  get_filename_component(folder "${copy}" DIRECTORY)
  add_custom_command(OUTPUT "${copy}.gz"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${folder}"
    COMMAND "${CMAKE_COMMAND}" -E copy "${PROJECT_SOURCE_DIR}/${file}" "${copy}"
    COMMAND "${ORNIBE_GZIP}" -9nf "${copy}"
    DEPENDS "${PROJECT_SOURCE_DIR}/${file}"
    VERBATIM)
  string(MAKE_C_IDENTIFIER "${file}" target)
  add_custom_target("compress_${target}" ALL DEPENDS "${copy}.gz")
  install(FILES "${copy}.gz" DESTINATION "${destination}")
endfunction()

# The English pages go where man looks under every locale; the Japanese
# ones into the ja folder, which man looks in first under a Japanese locale
# (ja_JP.UTF-8 tries ja_JP.UTF-8, ja_JP, then ja).
ornibe_install_compressed(docs/man/ornibe-build.1 "${CMAKE_INSTALL_MANDIR}/man1")
ornibe_install_compressed(docs/man/ja/ornibe-build.1 "${CMAKE_INSTALL_MANDIR}/ja/man1")
if(ORNIBE_UI)
  ornibe_install_compressed(docs/man/ornibe.1 "${CMAKE_INSTALL_MANDIR}/man1")
  ornibe_install_compressed(docs/man/ja/ornibe.1 "${CMAKE_INSTALL_MANDIR}/ja/man1")
endif()
ornibe_install_compressed(cmake/deb/changelog "${CMAKE_INSTALL_DOCDIR}")
install(FILES cmake/deb/copyright DESTINATION "${CMAKE_INSTALL_DOCDIR}")

# The changelog's first entry names the version the package carries.
file(STRINGS cmake/deb/changelog ORNIBE_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT ORNIBE_CHANGELOG_TOP MATCHES "^ornibe \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "cmake/deb/changelog does not begin with version ${PROJECT_VERSION}")
endif()

# The package's dependencies are read from the libraries the programs and
# tools link (dpkg-shlibdeps).
set(CPACK_PACKAGE_NAME "ornibe")
set(CPACK_PACKAGE_VENDOR "ornibe")
set(CPACK_PACKAGE_CONTACT "ornibe developers <ornibe@ornibe.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "customise Windows 2000/XP/2003 installation CDs")
set(CPACK_PACKAGE_DESCRIPTION
    "A wizard with a Japanese interface, and the ornibe-build command, that
copy a Windows installation CD, slipstream a Service Pack, integrate
mass-storage drivers into text-mode setup, enable 48-bit LBA for Windows
2000 and write a bootable ISO image.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Driver floppy images are read through mtools.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "mtools")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, qt6-translations-l10n")
# The QEMU command lines that a virtio-win build prints run qemu-img and
# qemu-system-*.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "wine, xorriso, qemu-system-x86, qemu-utils")
include(CPack)

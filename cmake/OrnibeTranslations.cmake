# The message catalogs of the texts outside the pages: po/LANG.po, whose
# original texts are the program's Japanese ones, compiled by msgfmt into
# <build>/locale/LANG/LC_MESSAGES/ornibe.mo, where the programs run from the
# build tree find them, and installed under share/locale.
find_program(ORNIBE_MSGFMT msgfmt REQUIRED)

set(ORNIBE_BUILD_LOCALE_DIR_NAME "locale")
set(ORNIBE_TRANSLATIONS en)
set(ornibe_catalog_files)
foreach(language IN LISTS ORNIBE_TRANSLATIONS)
  set(folder "${CMAKE_BINARY_DIR}/${ORNIBE_BUILD_LOCALE_DIR_NAME}/${language}/LC_MESSAGES")
  set(po "${PROJECT_SOURCE_DIR}/po/${language}.po")
  # --check refuses a broken catalog; fuzzy entries are left out, as they
  # are not yet translations.
  add_custom_command(OUTPUT "${folder}/ornibe.mo"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${folder}"
    COMMAND "${ORNIBE_MSGFMT}" --check-format --check-header -o "${folder}/ornibe.mo" "${po}"
    DEPENDS "${po}"
    VERBATIM)
  list(APPEND ornibe_catalog_files "${folder}/ornibe.mo")
  install(FILES "${folder}/ornibe.mo"
          DESTINATION "${CMAKE_INSTALL_LOCALEDIR}/${language}/LC_MESSAGES")
endforeach()
add_custom_target(ornibe_catalogs ALL DEPENDS ${ornibe_catalog_files})

# The sample driver floppy's image, build/samples/orraid.img, made from
# samples/f6 with mkfs.fat and mcopy, so that the project keeps no binary
# image. Left out, with a note, where those tools are missing.
find_program(ORNIBE_MKFS_FAT mkfs.fat PATHS /usr/sbin /sbin)
find_program(ORNIBE_MCOPY mcopy)
if(ORNIBE_MKFS_FAT AND ORNIBE_MCOPY)
  file(GLOB_RECURSE ornibe_floppy_files CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/samples/f6/*")
  set(ornibe_floppy_image "${PROJECT_BINARY_DIR}/samples/orraid.img")
  add_custom_command(
    OUTPUT "${ornibe_floppy_image}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${PROJECT_BINARY_DIR}/samples"
    COMMAND "${PROJECT_SOURCE_DIR}/scripts/make-floppy-image.sh" "${PROJECT_SOURCE_DIR}/samples/f6"
            "${ornibe_floppy_image}"
    DEPENDS ${ornibe_floppy_files} "${PROJECT_SOURCE_DIR}/scripts/make-floppy-image.sh"
    COMMENT "Making the sample driver floppy image samples/orraid.img"
    VERBATIM)
  add_custom_target(ornibe_sample_floppy ALL DEPENDS "${ornibe_floppy_image}")
else()
  message(STATUS "mkfs.fat or mcopy not found: no sample floppy image (apt-get install dosfstools mtools)")
endif()

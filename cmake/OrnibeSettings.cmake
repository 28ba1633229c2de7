# Shared compile settings: every target of the project links ornibe_compile_options.
add_library(ornibe_compile_options INTERFACE)
target_compile_features(ornibe_compile_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(ornibe_compile_options INTERFACE -Wall -Wextra)
# A newer compiler may warn about code that builds clean here, so warnings
# stop only the builds that ask for it, as CI does.
if(ORNIBE_WERROR)
  target_compile_options(ornibe_compile_options INTERFACE -Werror)
endif()
target_include_directories(ornibe_compile_options INTERFACE "${PROJECT_SOURCE_DIR}/src")

if(ORNIBE_SANITIZE)
  target_compile_options(ornibe_compile_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(ornibe_compile_options INTERFACE -fsanitize=address,undefined)
endif()

# Adds a command-line tool that the build runs as a child process. Its
# binary goes to the build tree's tool folder and installs into the
# private tool folder.
function(ornibe_add_tool name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE ornibe_compile_options)
  # The mains share tools/common (the guard of runToolMain).
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/tools")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${ORNIBE_BUILD_TOOL_DIR}")
  install(TARGETS ${name} RUNTIME DESTINATION "${ORNIBE_TOOL_DIR_REL}")
endfunction()

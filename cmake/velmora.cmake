# Shared build settings for the three builds.
if(MSVC)
  message(FATAL_ERROR "Velmora builds with MinGW-w64 and GCC/Clang only")
endif()

add_compile_options(-Wall -Wextra -Wno-unused-parameter)

if(WIN32)
  enable_language(RC)
  # Programs go straight into dist/<preset>.
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${VELMORA_DIST_DIR}")
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX)
endif()

if(VELMORA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(VELMORA_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# velmora_windows_program(target): a GUI program with the static C and C++
# runtimes, so it needs nothing beyond the system's DLLs.
function(velmora_windows_program target)
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)
endfunction()

# velmora_core(target SOURCES... [LINKS libraries...]): a module's portable
# core, a static library whose headers are found in its folder. Every core
# stands on base_core.
function(velmora_core target)
  cmake_parse_arguments(CORE "" "" "LINKS" ${ARGN})
  add_library(${target} STATIC ${CORE_UNPARSED_ARGUMENTS})
  target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC base_core ${CORE_LINKS})
endfunction()

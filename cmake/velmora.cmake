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
  # The same bytes from any folder: a __FILE__ or a debug line names a file
  # by its place in the tree, never by where the tree was checked out.
  add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
endif()

# The 64-bit twin exists to be tested, so it runs the Windows layer under the
# checks the shipped pair cannot afford: undefined behaviour traps (no
# run-time library: a trap is a crash, which the Wine harness reports),
# libstdc++'s bounds and precondition checks, and stack canaries (libssp,
# linked statically like the rest of the runtime).
if(VELMORA_CHECKED)
  add_compile_options(-fsanitize=undefined -fsanitize-undefined-trap-on-error -fstack-protector-strong)
  add_compile_definitions(_GLIBCXX_ASSERTIONS)
  add_link_options(-fstack-protector-strong)
endif()

# The PE time stamp: the commit's time (SOURCE_DATE_EPOCH when it is set, else
# git's), so that two builds of one commit give the same bytes; with neither,
# the stamp is left out. A new commit or checkout configures again.
if(WIN32)
  set(VELMORA_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
  if(VELMORA_SOURCE_DATE_EPOCH STREQUAL "")
    execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} log -1 --format=%ct
      OUTPUT_VARIABLE VELMORA_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} rev-parse --path-format=absolute --git-path logs/HEAD
      OUTPUT_VARIABLE head_log OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(head_log AND EXISTS "${head_log}")
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${head_log}")
    endif()
  endif()
  if(NOT VELMORA_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    set(VELMORA_SOURCE_DATE_EPOCH "")
  endif()
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

# velmora_trap_guard(target): in the checked twin, the program ends at a
# check's trap wherever it fires, a window procedure's callback included
# (base/trap_guard_win32.cpp).
function(velmora_trap_guard target)
  if(VELMORA_CHECKED)
    target_link_libraries(${target} PRIVATE velmora_trap_guard)
  endif()
endfunction()

# velmora_windows_program(target): a GUI program with the static C and C++
# runtimes, so it needs nothing beyond the system's DLLs. Its header carries
# the platform's usual hardening: relocatable with a randomised base (above
# 4 GB too on 64-bit), data never executable, and no Terminal Services
# compatibility shims (what the platform's own linker sets for GUI programs).
# The time stamp is the commit's, or none.
function(velmora_windows_program target)
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>
                      -Wl,--dynamicbase,--nxcompat,--tsaware)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    target_link_options(${target} PRIVATE -Wl,--high-entropy-va)
  endif()
  velmora_trap_guard(${target})
  if(VELMORA_SOURCE_DATE_EPOCH STREQUAL "")
    target_link_options(${target} PRIVATE -Wl,--no-insert-timestamp)
  else()
    # ld reads the stamp from the environment only.
    set_target_properties(${target} PROPERTIES
      CXX_LINKER_LAUNCHER "${CMAKE_COMMAND};-E;env;SOURCE_DATE_EPOCH=${VELMORA_SOURCE_DATE_EPOCH}")
  endif()
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

# Test registration helpers.
#
#   kelmor_native_test(NAME SOURCES ... [LIBS ...])  host build only: GoogleTest under ASan/UBSan
#   kelmor_win_test(NAME SOURCES ... [LIBS ...] [TIMEOUT s] [DESKTOP])
#                                                    Windows builds only: GoogleTest run by wine64
#   kelmor_script_test(NAME FILE [DESKTOP])          Windows builds only: VBScript run by cscript
#
#   kelmor_test_wanted(OUT TEST)                     OUT true when the build registers TEST
#
# KELMOR_TEST_SET picks the Windows tests a build registers: "all" (the win64 preset) or
# "win32" (the win32 preset: the 32-bit layer, below). A build with a smaller set builds only
# the programs of its tests besides the shipped binaries (kelmor_trim_test_build).
#
# Each test program is one CTest test (a Wine start costs about a second, so cases are grouped
# into few programs rather than discovered one by one). Windows tests run in parallel, except
# those marked DESKTOP: they show windows on the prefix's one desktop (focus, foreground, real
# key input) and run one at a time (CTest resource lock "desktop").

set(KELMOR_TEST_SET all CACHE STRING "Windows tests to build and run: all, or win32 (the 32-bit layer)")
set_property(CACHE KELMOR_TEST_SET PROPERTY STRINGS all win32)

# The 32-bit layer, run under the 32-bit Wine: the tests where pointer size, the __stdcall
# convention, structure layout and the 32-bit registration can break what the 64-bit build
# shows working. Left out: tests of portable rules already run natively and by win64 (base_test,
# error_info_test, resources_test), the window tests whose code holds no size-dependent data
# beyond what the GUI tests below drive (forms_controls_test, text_box_hooks_test,
# list_dialog_gui_test, about_box_gui_test), the tests that unregister servers for a moment
# (frame_test, logger_unregistered_test: the registration itself is run by the installer
# tests), the speed measurements, the test-reader copy of the prefix and the stream report
# sample (script code over the same stream reader the script tests use).
set(KELMOR_TESTS_win32
  win.contract_test             # every class's interface ids and v-table slots from C++
  script.creation script.app_services script.error_display script.strings script.streams
  script.nevkit_settings script.pictures script.dialogs  # the script host's view of every class
  win.pictures_test             # the readers, CreatePictureFromDIB, PNG through Sarvik (png_probe)
  win.sarvik_test               # Sarvik's __stdcall exports by name
  win.filesys_streams_test      # the backup stream walk: header sizes, 64-bit sizes, seeks
  win.filesys_search_test       # file sizes and times, the search's callbacks
  win.registry_test win.settings_test  # registry values by size and type, settings files
  win.nevkitsupport_dll_test    # the support library's __stdcall exports
  win.derodor_test              # the logger server's entry points and reports
  win.app_services_test         # argument arrays (SAFEARRAY), the logger through nvkMain
  win.strings_timers_test       # timer ids and callbacks (UINT_PTR), the string buffer
  win.dialogs_test              # connection points, module list (module handles), list dialog
  win.forms_test                # collections and their enumerators, the application object
  win.tessel_stream_deletion_test  # the names handed to the file functions
  win.tessel_manifest_test      # the 32-bit program's manifest: read back and honoured
  win.tessel_gui)               # the program through its windows (handles in list items)

function(kelmor_test_wanted out test)
  if(KELMOR_TEST_SET STREQUAL "all" OR test IN_LIST KELMOR_TESTS_${KELMOR_TEST_SET})
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()

function(kelmor_native_test name)
  if(WIN32)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  kelmor_warnings(${name})
  add_test(NAME native.${name} COMMAND ${name})
endfunction()

function(kelmor_win_test name)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(T "DESKTOP" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main ole32 oleaut32 uuid)
  # The base's header-only helpers (Text.h, Owners.h) serve every test program.
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/base)
  kelmor_warnings(${name})
  kelmor_test_wanted(wanted win.${name})
  if(wanted)
    add_test(NAME win.${name} COMMAND ${name})
    kelmor_wine_test_properties(win.${name} "${T_TIMEOUT}")
    kelmor_test_program(${name})
    if(T_DESKTOP)
      set_tests_properties(win.${name} PROPERTIES RESOURCE_LOCK desktop)
    endif()
  endif()
endfunction()

# Marks a program (or DLL) that a registered test runs: a build with a smaller test set builds
# these and the shipped binaries only.
function(kelmor_test_program target)
  set_property(GLOBAL APPEND PROPERTY KELMOR_TEST_PROGRAMS ${target})
endfunction()

# Called once all targets exist, in a build whose test set is not "all": every target of the
# tree but the shipped binaries and the programs of the registered tests is left out of the
# default build (still built when one of those needs it).
function(kelmor_trim_test_build)
  if(KELMOR_TEST_SET STREQUAL "all")
    return()
  endif()
  get_property(keep GLOBAL PROPERTY KELMOR_TEST_PROGRAMS)
  list(APPEND keep Tessel Kelmor0200 Derodor NevkitSupport0100 Sarvik)
  set(dirs ${PROJECT_SOURCE_DIR})
  while(dirs)
    list(POP_FRONT dirs dir)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND dirs ${subdirs})
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
      get_target_property(type ${target} TYPE)
      if(type MATCHES "EXECUTABLE|LIBRARY" AND NOT type STREQUAL "INTERFACE_LIBRARY"
         AND NOT target IN_LIST keep)
        set_target_properties(${target} PROPERTIES EXCLUDE_FROM_ALL ON)
      endif()
    endforeach()
  endwhile()
endfunction()

function(kelmor_script_test name file)
  if(NOT WIN32)
    return()
  endif()
  kelmor_test_wanted(wanted script.${name})
  if(NOT wanted)
    return()
  endif()
  cmake_parse_arguments(T "DESKTOP" "" "" ${ARGN})
  add_test(NAME script.${name}
           COMMAND bash ${PROJECT_SOURCE_DIR}/tools/run-vbs.sh ${KELMOR_WINE_DIR}
                   ${PROJECT_SOURCE_DIR}/tests/scripts/lib.vbs ${file})
  kelmor_wine_test_properties(script.${name} "")
  if(T_DESKTOP)
    set_tests_properties(script.${name} PROPERTIES RESOURCE_LOCK desktop)
  endif()
endfunction()

#   kelmor_fuzz_target(NAME SOURCES ... [LIBS ...] [SEEDS dir] [MEMORY_MB n])
# Host build only (clang): a libFuzzer target, run briefly by CTest over its seeds and the
# regression inputs in tests/fuzz/crashers/NAME (findings become such inputs). MEMORY_MB caps the
# run's memory (libFuzzer's -rss_limit_mb, and any single allocation; the sanitizer's quarantine of
# freed memory kept small): an input that makes the target take more is a finding. tests/fuzz/long-run.sh runs targets for longer with the same cap.
function(kelmor_fuzz_target name)
  if(WIN32)
    return()
  endif()
  cmake_parse_arguments(T "" "SEEDS;MEMORY_MB" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  kelmor_warnings(${name})
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}.corpus)
  file(MAKE_DIRECTORY ${corpus})
  set(inputs ${corpus})
  if(T_SEEDS)
    list(APPEND inputs ${T_SEEDS})
  endif()
  if(EXISTS ${PROJECT_SOURCE_DIR}/tests/fuzz/crashers/${name})
    list(APPEND inputs ${PROJECT_SOURCE_DIR}/tests/fuzz/crashers/${name})
  endif()
  set(memory)
  if(T_MEMORY_MB)
    set(memory -rss_limit_mb=${T_MEMORY_MB} -malloc_limit_mb=${T_MEMORY_MB})
  endif()
  add_test(NAME fuzz.${name} COMMAND ${name} -max_total_time=8 -timeout=30 ${memory} ${inputs})
  set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 120)
  if(T_MEMORY_MB)
    # The sanitizer's quarantine of freed memory would count towards the cap.
    set_tests_properties(fuzz.${name} PROPERTIES ENVIRONMENT ASAN_OPTIONS=quarantine_size_mb=16)
  endif()
endfunction()

#   kelmor_inproc_test(NAME SOURCES ... [LIBS ...])
# Windows builds only: a GoogleTest program that links the library's code itself (kelmor_impl)
# with kelmor_inproc_support (the embedded type library, the library's error sources), to test
# library-internal operations that no COM client reaches.
function(kelmor_inproc_test name)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(T "DESKTOP" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  set(desktop)
  if(T_DESKTOP)
    set(desktop DESKTOP)
  endif()
  kelmor_win_test(${name} SOURCES ${T_SOURCES} $<TARGET_OBJECTS:kelmor_inproc_support>
                  LIBS kelmor_impl ${T_LIBS} TIMEOUT "${T_TIMEOUT}" ${desktop})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/win)
  # The library's precompiled platform headers serve the test's files too (same definitions).
  target_precompile_headers(${name} REUSE_FROM kelmor_impl)
endfunction()

#   kelmor_benchmark(NAME SOURCES ... [LIBS ...])
# Host build only: a benchmark program comparing against a reference in the same run
# (tests/BenchReport.h). Under the test command it runs as a short correctness check; tools/bench.sh
# runs every test labelled "bench" with KELMOR_BENCH=full, which measures and guards the targets.
find_package(benchmark QUIET)
function(kelmor_benchmark name)
  if(WIN32)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} benchmark::benchmark)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  kelmor_warnings(${name})
  add_test(NAME bench.${name} COMMAND ${name})
  set_tests_properties(bench.${name} PROPERTIES TIMEOUT 900)
  kelmor_bench_labels(bench.${name})
endfunction()

#   kelmor_bench_labels(TEST...)
# Marks tests as benchmarks: tools/bench.sh runs them in full; they run alone, since they time.
# A Windows one gets the time its full run needs from its kelmor_win_test TIMEOUT.
# A test this build does not register (a Windows benchmark outside the 32-bit set) is passed over.
function(kelmor_bench_labels)
  foreach(test ${ARGN})
    if(TEST ${test})
      set_tests_properties(${test} PROPERTIES LABELS bench RUN_SERIAL TRUE)
    endif()
  endforeach()
endfunction()

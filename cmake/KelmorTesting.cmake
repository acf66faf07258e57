# Test registration helpers.
#
#   kelmor_native_test(NAME SOURCES ... [LIBS ...])  host build only: GoogleTest under ASan/UBSan
#   kelmor_win_test(NAME SOURCES ... [LIBS ...] [TIMEOUT s] [DESKTOP])
#                                                    Windows builds only: GoogleTest run by wine64
#   kelmor_script_test(NAME FILE [DESKTOP])          Windows builds only: VBScript run by cscript
#
# Each test program is one CTest test (a Wine start costs about a second, so cases are grouped
# into few programs rather than discovered one by one). Windows tests run in parallel, except
# those marked DESKTOP: they show windows on the prefix's one desktop (focus, foreground, real
# key input) and run one at a time (CTest resource lock "desktop").

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
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_test(NAME win.${name} COMMAND ${name})
    kelmor_wine_test_properties(win.${name} "${T_TIMEOUT}")
    if(T_DESKTOP)
      set_tests_properties(win.${name} PROPERTIES RESOURCE_LOCK desktop)
    endif()
  endif()
endfunction()

function(kelmor_script_test name file)
  if(NOT WIN32 OR NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
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
  add_test(NAME fuzz.${name} COMMAND ${name} -max_total_time=15 -timeout=10 ${memory} ${inputs})
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
function(kelmor_bench_labels)
  set_tests_properties(${ARGN} PROPERTIES LABELS bench RUN_SERIAL TRUE)
endfunction()

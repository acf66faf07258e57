# Running the Windows builds under Wine.
#
# One private prefix per build tree (build/<preset>/wine/prefix), created on first use by
# tools/wine-prefix.sh with the test settings: a 64-bit prefix for the win64 build, a 32-bit one
# (WINEARCH=win32, the 32-bit loader) for the win32 build, marked by the file wine/arch. Every
# test program runs through tools/wine-run.sh, which uses the prefix's loader, keeps Wine's
# output in files (never a pipe: Wine's background services would hold it open) and puts a
# timeout on the run.

set(KELMOR_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  file(WRITE ${KELMOR_WINE_DIR}/arch "win32\n")
else()
  file(REMOVE ${KELMOR_WINE_DIR}/arch)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR bash;${PROJECT_SOURCE_DIR}/tools/wine-run.sh;${KELMOR_WINE_DIR})

# Z:\ maps the host root in every Wine prefix.
function(kelmor_wine_path out host_path)
  string(REPLACE "/" "\\" p "${host_path}")
  set(${out} "Z:${p}" PARENT_SCOPE)
endfunction()

function(kelmor_wine_test_properties test timeout)
  if(NOT timeout)
    set(timeout 240)
  endif()
  set_tests_properties(${test} PROPERTIES
    TIMEOUT ${timeout}
    FIXTURES_REQUIRED wine
    ENVIRONMENT "KELMOR_WINE_TIMEOUT=${timeout}")
endfunction()

# Called once all targets exist: prefix set-up and registration of the built servers, and the
# end of the prefix's Wine processes after the last test.
function(kelmor_wine_fixtures)
  set(dlls)
  foreach(target ${ARGN})
    list(APPEND dlls $<TARGET_FILE:${target}>)
  endforeach()
  add_test(NAME wine.setup
           COMMAND bash ${PROJECT_SOURCE_DIR}/tools/wine-register.sh ${KELMOR_WINE_DIR} ${dlls})
  set_tests_properties(wine.setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  add_test(NAME wine.shutdown
           COMMAND bash ${PROJECT_SOURCE_DIR}/tools/wine-prefix.sh ${KELMOR_WINE_DIR} --shutdown)
  set_tests_properties(wine.shutdown PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)
endfunction()

# Marks a DLL target as a COM server that the test prefix registers.
function(kelmor_com_server target)
  set_property(GLOBAL APPEND PROPERTY KELMOR_COM_SERVERS ${target})
endfunction()

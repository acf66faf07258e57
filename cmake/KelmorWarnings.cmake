# Warnings are on everywhere; in the project's own code they are errors.
function(kelmor_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

if(KELMOR_SANITIZE AND NOT WIN32)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# Windows targets compile the platform headers (and the library's generated header, where the
# target sees it) once per target instead of once per file. Named through the include path, not
# by its full path: the generated cmake_pch.hxx then reads the same in every clone, so the compiler
# cache serves a clone in another folder the precompiled header, and with it every object using it.
function(kelmor_windows_pch target)
  if(WIN32)
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/base)
    target_precompile_headers(${target} PRIVATE <WindowsPch.h>)
  endif()
endfunction()

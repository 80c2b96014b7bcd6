# Project-wide warning flags, applied per target with fennick_warnings(<target>).
function(fennick_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
  if(FENNICK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

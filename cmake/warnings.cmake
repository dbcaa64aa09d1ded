# Our own targets build clean with every usual warning on.
function(tarvela_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

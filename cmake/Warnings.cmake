# Applied to every target of the project, not to imported ones.
add_compile_options(-Wall -Wextra -Wpedantic)
if(ZORVANE_WERROR)
  add_compile_options(-Werror)
endif()

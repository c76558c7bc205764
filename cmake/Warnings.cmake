# Warnings are errors for every target of the project.
add_compile_options(-Wall -Wextra -Wpedantic -Werror
  $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>)

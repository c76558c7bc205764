# Warnings for every target of the project; as errors with TONALBOX_WERROR
# (on in the test script and CI, off for a plain build).
option(TONALBOX_WERROR "Treat compiler warnings as errors" OFF)
add_compile_options(-Wall -Wextra -Wpedantic
  $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>)
if(TONALBOX_WERROR)
  add_compile_options(-Werror)
endif()

# Warnings are errors on the project's own code; third-party headers come in as system headers.
# GCC's -Wshadow=local has no clang spelling; clang's -Wshadow-uncaptured-local is the nearest.
add_library(zcnt_warnings INTERFACE)
target_compile_options(zcnt_warnings INTERFACE
  -Wall -Wextra -Werror -Wno-missing-field-initializers
  $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>
  $<$<CXX_COMPILER_ID:Clang>:-Wshadow-uncaptured-local>)

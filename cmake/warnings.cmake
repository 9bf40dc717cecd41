# Warnings are errors on the project's own code; third-party headers come in as system headers.
add_library(zcnt_warnings INTERFACE)
target_compile_options(zcnt_warnings INTERFACE
  -Wall -Wextra -Werror -Wshadow=local -Wno-missing-field-initializers)

# Warning flags for every target of the project.
add_library(vandrel_warnings INTERFACE)
target_compile_options(vandrel_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                                  -Woverloaded-virtual)
if(VANDREL_WERROR)
  target_compile_options(vandrel_warnings INTERFACE -Werror)
endif()

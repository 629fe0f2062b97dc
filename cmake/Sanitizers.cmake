# AddressSanitizer and UndefinedBehaviorSanitizer for the whole build.
if(VANDREL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# ThreadSanitizer, for the tests of what runs on more than one thread.
option(VANDREL_TSAN "Build with ThreadSanitizer" OFF)
if(VANDREL_TSAN)
  if(VANDREL_SANITIZE)
    message(FATAL_ERROR "ThreadSanitizer does not go with AddressSanitizer")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

option(VELMOR_SANITIZE_THREAD "Build everything with ThreadSanitizer (not together with VELMOR_SANITIZE)" OFF)
if(VELMOR_SANITIZE AND VELMOR_SANITIZE_THREAD)
  message(FATAL_ERROR "VELMOR_SANITIZE and VELMOR_SANITIZE_THREAD cannot be combined")
endif()
if(VELMOR_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
# Run the tests of a ThreadSanitizer build with
#   TSAN_OPTIONS=suppressions=<source>/cmake/tsan-suppressions.txt
if(VELMOR_SANITIZE_THREAD)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# velmor_add_com_server(<target> SOURCES ... [VERSION x.y] [SOVERSION n])
#
# An in-process COM server: a shared library that exports only the four entry
# points (everything else hidden), links the COM runtime, and is registered in
# the per-user class registry after every build so that a fresh build runs
# without a manual step.
function(velmor_add_com_server target)
  cmake_parse_arguments(ARG "" "VERSION;SOVERSION" "SOURCES" ${ARGN})
  add_library(${target} SHARED ${ARG_SOURCES})
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    VERSION ${ARG_VERSION}
    SOVERSION ${ARG_SOVERSION})
  # Unique symbols would pin the library in memory and defeat DllCanUnloadNow.
  target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-fno-gnu-unique>)
  target_link_options(${target} PRIVATE -Wl,--no-undefined)
  target_link_libraries(${target} PRIVATE velmor_com)
  if(VELMOR_REGISTER)
    add_dependencies(${target} velmor-regsvr)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND velmor-regsvr --warn-only $<TARGET_FILE:${target}>
      VERBATIM)
  endif()
endfunction()

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

# velmor_class_registry(<name> OUTPUT <file> SERVERS <server targets>... [BESIDE_SERVERS])
#
# Target <name> (built by default) writes a class registry naming the servers,
# with library paths relative to the folder of <file>: a program's own
# registry, found beside its executable with no per-user step. With
# BESIDE_SERVERS the paths are bare file names, for a registry installed in
# the same folder as the libraries. The per-user registry is not touched.
function(velmor_class_registry name)
  cmake_parse_arguments(ARG "BESIDE_SERVERS" "OUTPUT" "SERVERS" ${ARGN})
  get_filename_component(folder ${ARG_OUTPUT} DIRECTORY)
  set(commands COMMAND ${CMAKE_COMMAND} -E rm -f ${ARG_OUTPUT})
  foreach(server IN LISTS ARG_SERVERS)
    if(ARG_BESIDE_SERVERS)
      set(base $<TARGET_FILE_DIR:${server}>)
    else()
      set(base ${folder})
    endif()
    list(APPEND commands COMMAND velmor-regsvr --registry ${ARG_OUTPUT} --relative-to ${base} $<TARGET_FILE:${server}>)
  endforeach()
  add_custom_command(OUTPUT ${ARG_OUTPUT}
    ${commands}
    DEPENDS velmor-regsvr ${ARG_SERVERS}
    COMMENT "Writing the class registry ${ARG_OUTPUT}"
    VERBATIM)
  add_custom_target(${name} ALL DEPENDS ${ARG_OUTPUT})
endfunction()

# quillmix_library(NAME <name> [DIR <dir>] [DEPENDS <targets...>] [PRIVATE <targets...>]
#                  [EXCLUDE <file names...>])
# Builds every .cpp directly in DIR (default: the current folder) into the static library
# quillmix_<name>. DEPENDS are the libraries its headers use (linked PUBLIC); PRIVATE are
# those only its .cpp files use, vendor libraries above all, so they reach no one else.
function(quillmix_library)
  cmake_parse_arguments(LIB "" "NAME;DIR" "DEPENDS;PRIVATE;EXCLUDE" ${ARGN})
  if(NOT LIB_DIR)
    set(LIB_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${LIB_DIR}/*.cpp ${LIB_DIR}/*.h)
  set(target quillmix_${LIB_NAME})
  list(FILTER sources EXCLUDE REGEX ".*/main\\.cpp$")
  foreach(excluded ${LIB_EXCLUDE})
    list(REMOVE_ITEM sources ${LIB_DIR}/${excluded})
  endforeach()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${LIB_DEPENDS} PRIVATE ${LIB_PRIVATE})
endfunction()

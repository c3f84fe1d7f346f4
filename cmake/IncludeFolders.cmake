# A library sees only the include folders of what it may use: no target of the
# product adds the source root. Each one gets an include folder of its own in
# the build tree, made at configure time, holding symbolic links to the headers
# it may offer and nothing else, so that "printer_link/port/comm.h" resolves
# only where the port's folder is allowed. Headers are linked one by one: a
# folder's subfolders (forms/data under forms) and its parent stay out of
# reach, even through "..".
#
# kavoruw_include_folder(<target> <PUBLIC|PRIVATE|INTERFACE>
#                        [FOLDERS <folder>...] [HEADERS <header>...])
#   FOLDERS  the headers directly in each folder (a path under the source
#            root), under that same path: #include "platform/sync/event.h".
#   HEADERS  single headers by their bare name: #include "kavoruw_core.h"
#            (a path under the source root, or the full path of a header
#            the build makes).
function(kavoruw_include_folder target scope)
  cmake_parse_arguments(I "" "" "FOLDERS;HEADERS" ${ARGN})
  set(stage ${CMAKE_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${stage})
  file(MAKE_DIRECTORY ${stage})
  foreach(folder IN LISTS I_FOLDERS)
    file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.h)
    if(NOT headers)
      message(FATAL_ERROR "${target}: no headers in ${folder}")
    endif()
    file(MAKE_DIRECTORY ${stage}/${folder})
    foreach(header IN LISTS headers)
      get_filename_component(name ${header} NAME)
      file(CREATE_LINK ${header} ${stage}/${folder}/${name} SYMBOLIC)
    endforeach()
  endforeach()
  foreach(header IN LISTS I_HEADERS)
    get_filename_component(name ${header} NAME)
    cmake_path(ABSOLUTE_PATH header BASE_DIRECTORY ${PROJECT_SOURCE_DIR})
    file(CREATE_LINK ${header} ${stage}/${name} SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${scope} ${stage})
endfunction()

# Refuses an include that climbs out of the including file's folder
# ("../port/comm.h"). The compiler looks beside the including file before it
# looks in the include folders, so such a line would reach a header that the
# build keeps out of the library's reach.
#   cmake -DROOT=<source root> -DFOLDERS=<folder,...> -P no_parent_includes.cmake
string(REPLACE "," ";" folders "${FOLDERS}")
set(refused "")
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE sources ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.c)
  foreach(source IN LISTS sources)
    file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*/)?\\.\\.[/\">]")
    foreach(line IN LISTS lines)
      file(RELATIVE_PATH name ${ROOT} ${source})
      string(APPEND refused "\n  ${name}: ${line}")
    endforeach()
  endforeach()
endforeach()
if(refused)
  message(FATAL_ERROR "an include climbs out of its file's folder:${refused}")
endif()

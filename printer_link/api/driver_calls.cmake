# What the build makes from the table of the driver's calls (driver_calls.h)
# when it is configured, and again whenever the table changes:
#   kavoruw_facade_header   the facade kavoruw_core.h: a plain declaration of
#                           each call of the facade, under the table's comments
#   kavoruw_version_script  the version script of libkavoruw.so: the names of
#                           the exported rows and nothing else
set(kavoruw_calls_table ${CMAKE_CURRENT_SOURCE_DIR}/api/driver_calls.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${kavoruw_calls_table})
file(READ ${kavoruw_calls_table} table_text)
# A semicolon would split a line in two as a CMake list is read: it is kept
# aside while the lines are read.
string(REPLACE ";" "<semicolon>" table_text "${table_text}")
string(REPLACE "\n" ";" table_lines "${table_text}")

set(facade_declarations "")
set(exported_names "")
set(comment "")
set(row "")
foreach(line IN LISTS table_lines)
  # A row starts at KAVORUW_ and is whole once its parentheses close.
  if(NOT row STREQUAL "")
    string(STRIP "${line}" line)
    string(APPEND row " ${line}")
  elseif(line MATCHES "^KAVORUW_")
    set(row "${line}")
  elseif(line MATCHES "^//")
    string(APPEND comment "${line}\n")
    continue()
  else()
    set(comment "")  # the comments above a blank or a preprocessor line belong to no row
    continue()
  endif()
  string(REGEX MATCHALL "\\(" opening "${row}")
  string(REGEX MATCHALL "\\)" closing "${row}")
  list(LENGTH opening opened)
  list(LENGTH closing closed)
  if(opened GREATER closed)
    continue()
  endif()

  if(row MATCHES "^KAVORUW_(CALL|EXPORT)\\(([A-Za-z0-9_]+), *\\(([^()]*)\\)")
    set(kind ${CMAKE_MATCH_1})
    set(type int32_t)
    set(name ${CMAKE_MATCH_2})
    set(params "${CMAKE_MATCH_3}")
  elseif(row MATCHES "^KAVORUW_(CORE|HELPER)\\(([^,]+), *([A-Za-z0-9_]+), *\\(([^()]*)\\)")
    set(kind ${CMAKE_MATCH_1})
    set(type "${CMAKE_MATCH_2}")
    set(name ${CMAKE_MATCH_3})
    set(params "${CMAKE_MATCH_4}")
  else()
    message(FATAL_ERROR "driver_calls.h: a row the build cannot read: ${row}")
  endif()
  if(kind MATCHES "CALL|EXPORT")
    string(APPEND exported_names "    ${name};\n")
  endif()
  if(kind STREQUAL "EXPORT")
    # The exported form's own comment stays in the table; a section title
    # goes on to the next call of the facade.
    if(comment MATCHES "(// ---[^\n]*\n)")
      set(comment "${CMAKE_MATCH_1}")
    else()
      set(comment "")
    endif()
  else()
    string(REPLACE " & " "& " params "${params}")
    string(REPLACE " * " "* " params "${params}")
    if(comment MATCHES "^// ---")
      string(APPEND facade_declarations "\n")
    endif()
    string(APPEND facade_declarations "${comment}${type} ${name}(${params});\n")
    set(comment "")
  endif()
  set(row "")
endforeach()
string(REPLACE "<semicolon>" ";" facade_declarations "${facade_declarations}")

set(kavoruw_facade_header ${CMAKE_CURRENT_BINARY_DIR}/api/kavoruw_core.h)
set(KAVORUW_FACADE_DECLARATIONS "${facade_declarations}")
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/api/kavoruw_core.h.in ${kavoruw_facade_header} @ONLY)

set(kavoruw_version_script ${CMAKE_CURRENT_BINARY_DIR}/kavoruw.map)
file(CONFIGURE OUTPUT ${kavoruw_version_script}
     CONTENT "{\n  global:\n${exported_names}  local:\n    *;\n};\n")

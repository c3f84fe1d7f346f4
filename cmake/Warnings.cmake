# Every target of the project gets the same warning set.
add_compile_options(-Wall -Wextra -Wshadow)
if(KAVORUW_WERROR)
  add_compile_options(-Werror)
endif()

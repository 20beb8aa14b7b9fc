# quodra_set_warnings(target): the project's warning flags for one target,
# chosen by compiler, with QUODRA_WERROR turning them into errors. Applied per
# target so that a project embedding quodra keeps its own flags.
function(quodra_set_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 $<$<BOOL:${QUODRA_WERROR}>:/WX>)
  elseif(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang" OR CMAKE_C_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${QUODRA_WERROR}>:-Werror>)
  endif()
endfunction()

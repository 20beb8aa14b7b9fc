# quodra_apply_version_script(TARGET SCRIPT): links TARGET with the linker
# version script SCRIPT when the linker takes one (GNU ld, gold, lld on ELF
# platforms); elsewhere the target is linked without it.
include(CheckCSourceCompiles)

function(quodra_apply_version_script target script)
  if(NOT DEFINED QUODRA_LINKER_TAKES_VERSION_SCRIPT)
    set(CMAKE_REQUIRED_LINK_OPTIONS "-Wl,--version-script=${script}")
    check_c_source_compiles("int qor_quodra_v5_1_probe(void) { return 0; } int main(void) { return qor_quodra_v5_1_probe(); }"
                            QUODRA_LINKER_TAKES_VERSION_SCRIPT)
    unset(CMAKE_REQUIRED_LINK_OPTIONS)
  endif()
  if(QUODRA_LINKER_TAKES_VERSION_SCRIPT)
    target_link_options(${target} PRIVATE "-Wl,--version-script=${script}")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${script})
  endif()
endfunction()

# quodra_set_install_run_path(target): the installed `target`, which lives in
# CMAKE_INSTALL_BINDIR, finds libquodra through a run path relative to its own
# place ($ORIGIN/../lib), so `cmake --install --prefix DIR` into any folder
# gives a program that starts. When the library folder is one the dynamic
# loader searches anyway (a /usr install, as the .deb and .rpm packages are
# built), the program gets no run path at all: the loader's own search finds
# the library, and a package carries no RUNPATH for a system folder.
function(quodra_set_install_run_path target)
  set(system_dirs ${CMAKE_PLATFORM_IMPLICIT_LINK_DIRECTORIES}
                  ${CMAKE_C_IMPLICIT_LINK_DIRECTORIES} ${CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES})
  if(CMAKE_INSTALL_FULL_LIBDIR IN_LIST system_dirs)
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "")
    return()
  endif()
  file(RELATIVE_PATH lib_from_bin ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${lib_from_bin}")
endfunction()

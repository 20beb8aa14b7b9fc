# Read by cpack once per generator (CPACK_PROJECT_CONFIG_FILE). The library
# folder is the build tree's; an .rpm made from a tree configured for the
# Debian multiarch layout would put the library where RPM distributions do
# not look for it.
if(CPACK_GENERATOR STREQUAL "RPM" AND CPACK_QUODRA_LIBDIR MATCHES "^lib/[^/]+-linux-[^/]+$")
  message(WARNING "the .rpm gets the Debian library folder /usr/${CPACK_QUODRA_LIBDIR}; "
                  "configure a tree with -DCMAKE_INSTALL_LIBDIR=lib64 for the .rpm")
endif()

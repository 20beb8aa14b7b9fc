/* The package version is stated once, in the root CMakeLists.txt, and the
   build hands it in here: the version macros of the public header must
   agree with it, and so must the text the library reports. */
#include <stdio.h>
#include <string.h>

#include "quodra.h"

#if QUODRA_VERSION_MAJOR != PACKAGE_VERSION_MAJOR || QUODRA_VERSION_MINOR != PACKAGE_VERSION_MINOR || \
    QUODRA_VERSION_PATCH != PACKAGE_VERSION_PATCH
#error "include/quodra.h states another version than the package"
#endif

int main(void) {
    char expected[32];
    sprintf(expected, "%d.%d", PACKAGE_VERSION_MAJOR, PACKAGE_VERSION_MINOR);
    if (strcmp(QUODRA_VERSION_STRING, expected) != 0) {
        printf("QUODRA_VERSION_STRING is \"%s\", the package version gives \"%s\"\n",
               QUODRA_VERSION_STRING, expected);
        return 1;
    }
    if (strcmp(qor_quodra_v5_1_get_version(), expected) != 0) {
        printf("the library reports \"%s\", the package version gives \"%s\"\n",
               qor_quodra_v5_1_get_version(), expected);
        return 1;
    }
    printf("version %d.%d.%d agrees\n", PACKAGE_VERSION_MAJOR, PACKAGE_VERSION_MINOR,
           PACKAGE_VERSION_PATCH);
    return 0;
}

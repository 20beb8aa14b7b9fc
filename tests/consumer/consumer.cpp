// placeholder until the C++ layer lands
#include <cstdio>
#include "quodra.h"
int main() { std::printf("consumer C++: %s\n", qor_quodra_v5_1_get_version()); }

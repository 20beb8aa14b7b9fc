// The operand map of a check as an SVG picture: one square a cell, its
// colour the share of its rows that differ, a tooltip with the cell's
// ranges, counts and majority class; axes and a legend. A browser shows it
// as it is (no scripts).
#ifndef QUODRA_DIV_CHECK_MAP_SVG_H
#define QUODRA_DIV_CHECK_MAP_SVG_H

#include <string>

#include "diagnosis/operand_map.h"

namespace quodra_div {

// title: what was checked, the picture's heading; subtitle: the
// configuration, under it.
std::string map_svg(const quodra_diagnosis::operand_map &map, const std::string &title,
                    const std::string &subtitle);

} // namespace quodra_div

#endif

#include "check/map_svg.h"

#include <algorithm>
#include <cstdio>

namespace quodra_div {

namespace {

constexpr int cell_size = 10;
constexpr int left = 110;
constexpr int top = 70;

// Green (every row agrees) to red (every row differs).
std::string share_colour(double share) {
    const auto mix = [share](int agree, int differ) {
        return static_cast<int>(agree + (differ - agree) * share + 0.5);
    };
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", mix(46, 211), mix(125, 47), mix(50, 47));
    return text;
}

std::string escaped(const std::string &text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string text_at(int x, int y, const std::string &text, const char *anchor = "start",
                    const char *extra = "") {
    return "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) +
           "\" text-anchor=\"" + anchor + "\"" + extra + ">" + escaped(text) + "</text>\n";
}

std::string cell_rect(const quodra_diagnosis::operand_map &map, unsigned column, unsigned row) {
    const quodra_diagnosis::map_cell &cell = map.at(column, row);
    const double share =
        cell.rows == 0 ? 0 : static_cast<double>(cell.differing) / static_cast<double>(cell.rows);
    std::string tip = "dividend " + map.dividends().label(column) + ", divisor " +
                      map.divisors().label(row) + ": " + std::to_string(cell.rows) + " rows";
    if (cell.rows > 0) {
        tip += ", " + std::to_string(cell.differing) + " differ (" +
               std::to_string(static_cast<int>(share * 100 + 0.5)) + "%)";
    }
    if (cell.differing > 0) {
        tip += "; mostly " + std::string(quodra_diagnosis::class_name(cell.majority()));
    }
    return "<rect x=\"" + std::to_string(left + static_cast<int>(column) * cell_size) +
           "\" y=\"" + std::to_string(top + static_cast<int>(row) * cell_size) +
           "\" width=\"" + std::to_string(cell_size) + "\" height=\"" +
           std::to_string(cell_size) + "\" fill=\"" +
           (cell.rows == 0 ? std::string("#eeeeee") : share_colour(share)) +
           "\" data-dividend-cell=\"" + std::to_string(column) + "\" data-divisor-cell=\"" +
           std::to_string(row) + "\"><title>" + escaped(tip) + "</title></rect>\n";
}

// The first, middle and last cell of an axis are named.
std::string axes(const quodra_diagnosis::operand_map &map, int width, int height) {
    std::string out;
    const unsigned columns = map.dividends().cells(), rows = map.divisors().cells();
    for (const unsigned c : {0u, columns / 2, columns - 1}) {
        out += text_at(left + static_cast<int>(c) * cell_size + cell_size / 2, top + height + 14,
                       map.dividends().label(c), "middle", " font-size=\"9\"");
    }
    for (const unsigned r : {0u, rows / 2, rows - 1}) {
        out += text_at(left - 4, top + static_cast<int>(r) * cell_size + cell_size - 1,
                       map.divisors().label(r), "end", " font-size=\"9\"");
    }
    out += text_at(left + width / 2, top + height + 30, "dividend", "middle");
    out += text_at(14, top + height / 2, "divisor", "middle",
                   (" transform=\"rotate(-90 14 " + std::to_string(top + height / 2) + ")\"").c_str());
    return out;
}

std::string legend(int x, int y) {
    std::string out = "<defs><linearGradient id=\"share\"><stop offset=\"0\" stop-color=\"" +
                      share_colour(0) + "\"/><stop offset=\"1\" stop-color=\"" +
                      share_colour(1) + "\"/></linearGradient></defs>\n";
    out += "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) +
           "\" width=\"120\" height=\"10\" fill=\"url(#share)\"/>\n";
    out += text_at(x, y + 22, "0% differ", "start", " font-size=\"9\"");
    out += text_at(x + 120, y + 22, "100%", "end", " font-size=\"9\"");
    out += "<rect x=\"" + std::to_string(x + 140) + "\" y=\"" + std::to_string(y) +
           "\" width=\"10\" height=\"10\" fill=\"#eeeeee\" stroke=\"#999999\"/>\n";
    out += text_at(x + 155, y + 9, "no rows", "start", " font-size=\"9\"");
    return out;
}

} // namespace

std::string map_svg(const quodra_diagnosis::operand_map &map, const std::string &title,
                    const std::string &subtitle) {
    const int width = static_cast<int>(map.dividends().cells()) * cell_size;
    const int height = static_cast<int>(map.divisors().cells()) * cell_size;
    // Wide enough for the heading lines too (about 6 pixels a character).
    const int heading = static_cast<int>(std::max(title.size() * 7, subtitle.size() * 6));
    const int total_width = left + std::max({width, 260, heading}) + 20;
    const int total_height = top + height + 70;
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      std::to_string(total_width) + "\" height=\"" +
                      std::to_string(total_height) + "\" font-family=\"sans-serif\" "
                      "font-size=\"11\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    svg += text_at(left, 18, title, "start", " font-size=\"13\"");
    svg += text_at(left, 32, subtitle, "start", " font-size=\"10\"");
    svg += legend(left, 42);
    for (unsigned row = 0; row < map.divisors().cells(); ++row) {
        for (unsigned column = 0; column < map.dividends().cells(); ++column) {
            svg += cell_rect(map, column, row);
        }
    }
    svg += axes(map, width, height);
    return svg + "</svg>\n";
}

} // namespace quodra_div

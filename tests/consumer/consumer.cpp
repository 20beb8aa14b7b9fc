// An outside C++ program: divides a batch of signed 8-bit samples through
// the C++ layer and checks them against C++'s own division.
#include <cstdint>
#include <iostream>
#include <vector>

#include "quodra.hpp"

int main() {
    const std::vector<int64_t> dividends{100, -7, 7, -128, 5};
    const std::vector<int64_t> divisors{7, 2, -2, 3, 0};
    quodra::config config;
    config.divisor_width = 8;
    config.dividend_width = 8;
    config.operand_sign = QUODRA_OPERAND_SIGNED;
    config.remainder_type = QUODRA_OUTPUT_REMAINDER;
    try {
        quodra::divider divider(config);
        const auto results = divider.divide(divisors, dividends);   // divisor first
        const auto pattern8 = [](int64_t v) { return (v + 256) % 256; };
        for (std::size_t i = 0; i < results.size(); ++i) {
            const bool by_zero = divisors[i] == 0;
            const int64_t q = by_zero ? 0 : pattern8(dividends[i] / divisors[i]);
            const int64_t r = by_zero ? 0 : pattern8(dividends[i] % divisors[i]);
            if (results[i].div_by_zero != by_zero ||
                (!by_zero && (*results[i].quotient != q || *results[i].remainder != r))) {
                std::cerr << dividends[i] << " / " << divisors[i] << " disagrees\n";
                return 1;
            }
        }
        std::cout << "consumer C++: " << results.size() << " samples agree, library "
                  << quodra::library_version() << '\n';
    } catch (const quodra::error &e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}

// An outside SystemC program on the installed kit (quodra::systemc, or
// pkg-config's quodra-systemc): divides one sample of a 16-bit dividend by
// an 8-bit divisor, signed, and checks it against C++'s own division and
// that the sample went through libquodra_systemc's word batch.
#include <systemc>

#include <iostream>

#include "quodra_sc_fields.hpp"

using layout = quodra::sc::field_layout<QUODRA_ALGORITHM_RADIX2, 8, 16>;

int sc_main(int, char *[]) {
    quodra::config configuration;
    configuration.name = "consumer_sc";
    configuration.algorithm_type = QUODRA_ALGORITHM_RADIX2;
    configuration.divisor_width = 8;
    configuration.dividend_width = 16;
    configuration.operand_sign = QUODRA_OPERAND_SIGNED;
    configuration.remainder_type = QUODRA_OUTPUT_REMAINDER;
    try {
        quodra::sc::field_divider<layout> divider(configuration);
        const int64_t dividend = -1000;
        const int64_t divisor = 7;
        const auto result = divider.divide(layout::dividend_type(dividend), layout::divisor_type(divisor));
        std::cout << "consumer SystemC: " << dividend << " / " << divisor << " = " << result.quotient
                  << " rem " << result.remainder << " on the "
                  << (divider.on_words() ? "word batch" : "GNU MP path") << '\n';
        const bool agrees = result.quotient.to_int64() == dividend / divisor &&
                            result.remainder.to_int64() == dividend % divisor && !result.div_by_zero;
        return agrees && divider.on_words() ? 0 : 1;
    } catch (const std::exception &e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
}

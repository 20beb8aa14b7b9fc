// quodra_sc_target.hpp - the divider core as a TLM-2.0 target for loosely
// timed virtual platforms: one blocking transaction divides one sample.
//
// The transaction is a TLM_READ_COMMAND at address 0 whose data buffer is
// exactly payload_bytes long: the initiator fills the operands, the target
// writes the results into the rest of the same buffer. Each field takes
// whole bytes, little-endian (bit 0 of the field is bit 0 of its first
// byte), in this order:
//   dividend        operand_bytes(DIVIDEND_W)   read: the field's low bits
//   divisor         operand_bytes(DIVISOR_W)    (bits above it are ignored)
//   quotient        bytes of quotient_width     written: the field's pattern,
//   remainder       bytes of remainder_width    zeros above it
//   flags           1 byte                      bit 0 div_by_zero,
//                                               bit 1 quotient_known
// Responses: another command is TLM_COMMAND_ERROR_RESPONSE, another address
// TLM_ADDRESS_ERROR_RESPONSE, byte enables TLM_BYTE_ENABLE_ERROR_RESPONSE,
// another length or a streaming width below it TLM_BURST_ERROR_RESPONSE, a
// null data pointer or a library error TLM_GENERIC_ERROR_RESPONSE; the buffer
// is then untouched and no delay added. A division adds the configured delay
// to the transaction's delay and answers TLM_OK_RESPONSE. b_transport never
// calls wait(), so an SC_METHOD may call it.
#ifndef QUODRA_SC_TARGET_HPP
#define QUODRA_SC_TARGET_HPP

#include <systemc>
#include <tlm>
#include <tlm_utils/simple_target_socket.h>

#include <cstddef>

#include "quodra_sc_fields.hpp"

namespace quodra {
namespace sc {

constexpr unsigned operand_bytes(int width) { return static_cast<unsigned>(width + 7) / 8; }

template <int ALGORITHM, int DIVISOR_W, int DIVIDEND_W, int FRACTION_W = 0, bool SIGNED = true,
          bool FRACTIONAL = false>
class divider_target
    : private field_divider<field_layout<ALGORITHM, DIVISOR_W, DIVIDEND_W, FRACTION_W, SIGNED, FRACTIONAL>>,
      public sc_core::sc_module {
public:
    using layout = field_layout<ALGORITHM, DIVISOR_W, DIVIDEND_W, FRACTION_W, SIGNED, FRACTIONAL>;

    static constexpr unsigned dividend_offset = 0;
    static constexpr unsigned divisor_offset = dividend_offset + operand_bytes(DIVIDEND_W);
    static constexpr unsigned quotient_offset = divisor_offset + operand_bytes(DIVISOR_W);
    static constexpr unsigned remainder_offset = quotient_offset + operand_bytes(layout::quotient_width);
    static constexpr unsigned flags_offset = remainder_offset + operand_bytes(layout::remainder_width);
    static constexpr unsigned payload_bytes = flags_offset + 1;
    static constexpr unsigned char div_by_zero_flag = 1;
    static constexpr unsigned char quotient_known_flag = 2;

    tlm_utils::simple_target_socket<divider_target> socket;

    // Throws as divider_module's constructor does for a configuration that
    // differs from the template or that the library refuses.
    divider_target(const sc_core::sc_module_name &name, const config &configuration,
                   const sc_core::sc_time &delay, division_route route = division_route::fastest)
        : field_divider<layout>(configuration, route), sc_core::sc_module(name), socket("socket"),
          delay_(delay) {
        socket.register_b_transport(this, &divider_target::b_transport);
    }

    const sc_core::sc_time &delay() const noexcept { return delay_; }
    using field_divider<layout>::on_words;

    void b_transport(tlm::tlm_generic_payload &transaction, sc_core::sc_time &delay) {
        const tlm::tlm_response_status refused = refusal(transaction);
        if (refused != tlm::TLM_OK_RESPONSE) {
            transaction.set_response_status(refused);
            return;
        }
        unsigned char *data = transaction.get_data_ptr();
        typename field_divider<layout>::result out;
        try {
            out = this->divide(read_field<typename layout::dividend_type, DIVIDEND_W>(data + dividend_offset),
                               read_field<typename layout::divisor_type, DIVISOR_W>(data + divisor_offset));
        } catch (const std::exception &) {
            transaction.set_response_status(tlm::TLM_GENERIC_ERROR_RESPONSE);
            return;
        }
        write_field<layout::quotient_width>(out.quotient, data + quotient_offset);
        write_field<layout::remainder_width>(out.remainder, data + remainder_offset);
        data[flags_offset] = static_cast<unsigned char>((out.div_by_zero ? div_by_zero_flag : 0) |
                                                        (out.quotient_known ? quotient_known_flag : 0));
        delay += delay_;
        transaction.set_dmi_allowed(false);
        transaction.set_response_status(tlm::TLM_OK_RESPONSE);
    }

private:
    static tlm::tlm_response_status refusal(const tlm::tlm_generic_payload &transaction) {
        if (transaction.get_command() != tlm::TLM_READ_COMMAND) {
            return tlm::TLM_COMMAND_ERROR_RESPONSE;
        }
        if (transaction.get_address() != 0) {
            return tlm::TLM_ADDRESS_ERROR_RESPONSE;
        }
        if (transaction.get_byte_enable_ptr() != nullptr) {
            return tlm::TLM_BYTE_ENABLE_ERROR_RESPONSE;
        }
        if (transaction.get_data_length() != payload_bytes ||
            transaction.get_streaming_width() < transaction.get_data_length()) {
            return tlm::TLM_BURST_ERROR_RESPONSE;
        }
        if (transaction.get_data_ptr() == nullptr) {
            return tlm::TLM_GENERIC_ERROR_RESPONSE;
        }
        return tlm::TLM_OK_RESPONSE;
    }

    template <class Field, int W>
    static Field read_field(const unsigned char *bytes) {
        sc_dt::sc_biguint<W> pattern = 0;
        for (int low = 0; low < W; low += 8) {
            const int top = low + 8 < W ? low + 7 : W - 1;
            pattern.range(top, low) = bytes[low / 8];
        }
        return Field(pattern);
    }

    template <int W, class Field>
    static void write_field(const Field &field, unsigned char *bytes) {
        const sc_dt::sc_biguint<W> pattern = field;
        for (int low = 0; low < W; low += 8) {
            const int top = low + 8 < W ? low + 7 : W - 1;
            bytes[low / 8] = static_cast<unsigned char>(pattern.range(top, low).to_uint());
        }
    }

    sc_core::sc_time delay_;
};

} // namespace sc
} // namespace quodra

#endif // QUODRA_SC_TARGET_HPP

/*
 * quodra_sc_words.h - libquodra_systemc: the SystemC kit's divide of one
 * sample on the engine's word batch, for fields of up to 64 bits.
 *
 * quodra_sc_fields.hpp calls it when compiled with QUODRA_SYSTEMC_WORDS
 * (the CMake target quodra::systemc and the pkg-config module
 * quodra-systemc set it and link the library). The library carries its own
 * copy of the engine, linked in from the build's internal archive: a handle
 * holds a model that the library made from the caller's configuration, so
 * no object crosses between it and libquodra. It exports only the
 * quodra_sc_ names and needs GNU MP and the C++ run-time, not libquodra.
 */
#ifndef QUODRA_SC_WORDS_H
#define QUODRA_SC_WORDS_H

#include <stdint.h>

#include "quodra.h"

#if defined(__GNUC__)
#  define QUODRA_SC_API __attribute__((visibility("default")))
#else
#  define QUODRA_SC_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A model of one configuration on the word batch, with the reading of its
 * operands and quotient fixed at opening. Opaque. */
typedef struct quodra_sc_words quodra_sc_words;

/* What the batch writes for one sample: the quotient word (an int64 bit
 * pattern when the handle reads a signed quotient), the remainder word
 * (remainder mode only, else 0) and 1 in div_by_zero for a zero divisor. */
typedef struct quodra_sc_word_sample {
    uint64_t quotient;
    uint64_t remainder;
    uint32_t div_by_zero;
} quodra_sc_word_sample;

/* A handle when the word batch takes the configuration with operands read
 * as int64 values (signed_operands) or uint64 ones, and the quotient as an
 * int64 (signed_quotient) or a uint64; null when it does not, when the
 * library refuses the configuration (silently: libquodra's own model gives
 * the message) or when memory runs out. */
QUODRA_SC_API quodra_sc_words *quodra_sc_words_open(const qor_quodra_v5_1_config *config,
                                                    int signed_operands, int signed_quotient);

/* Divides one sample of operand values (int64 bit patterns when the handle
 * reads signed operands): 1 with *out written; 0 when the sample's result
 * does not fit the quotient's reading (*out then partly written) or a
 * pointer is null. Safe to call from several threads on one handle. */
QUODRA_SC_API int quodra_sc_words_divide_one(const quodra_sc_words *words, uint64_t dividend,
                                             uint64_t divisor, quodra_sc_word_sample *out);

/* Frees the handle and its model. Null: nothing. */
QUODRA_SC_API void quodra_sc_words_close(quodra_sc_words *words);

#ifdef __cplusplus
}
#endif

#endif /* QUODRA_SC_WORDS_H */

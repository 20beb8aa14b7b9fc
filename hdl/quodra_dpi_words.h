/*
 * quodra_dpi_words.h - the engine's word batch for quodra_dpi.c, behind a
 * C interface. Internal to the DPI library: compiled into it with the
 * engine's internal archive, never exported from it (its link script keeps
 * only the quodra_dpi_ names global) nor from libquodra.
 *
 * quodra_dpi.c includes it only when built with QUODRA_DPI_WORDS; compiled
 * on its own against libquodra, the 64-bit imports take the wide path.
 */
#ifndef QUODRA_DPI_WORDS_H
#define QUODRA_DPI_WORDS_H

#include <stdint.h>

#include "quodra.h"

#ifdef __cplusplus
extern "C" {
#endif

/* What the batch writes for one sample. quotient holds the quotient word,
 * read back as a two's-complement int64 when the call asked for a signed
 * quotient; remainder is written in remainder mode only. */
typedef struct word_batch_sample {
    uint64_t quotient;
    uint64_t remainder;
    uint32_t div_by_zero;
} word_batch_sample;

/* 1 when the word batch takes the model's configuration (operands read as
 * int64 values when signed_operands, quotient as int64 when
 * signed_quotient); 0 when data_do must divide it. */
int word_batch_reaches(const quodra_v5_1 *model, int signed_operands, int signed_quotient);

/* Divides one sample of operand values (int64 bit patterns when
 * signed_operands) on the word batch: 1 with *out written, 0 when the
 * sample is not in reach (*out then partly written). */
int word_batch_divide_one(const quodra_v5_1 *model, int signed_operands, uint64_t dividend,
                          uint64_t divisor, int signed_quotient, word_batch_sample *out);

/* One remainder-mode sample on the engine's remainder word core, for a
 * configuration word_batch_reaches accepted at creation, so no guard of
 * the configuration runs here: operand values of their fields (int64 bit
 * patterns when signed_operands) in, the quotient and remainder fields out
 * (quotient and remainder are 0 for a zero divisor, as the batch writes
 * them). 1 with *out written; 0 when a result is not a field pattern,
 * which operands of their fields never give. */
int word_remainder_divide_one(int signed_operands, int dividend_width, int divisor_width,
                              uint64_t dividend, uint64_t divisor, word_batch_sample *out);

#ifdef __cplusplus
}
#endif

#endif /* QUODRA_DPI_WORDS_H */

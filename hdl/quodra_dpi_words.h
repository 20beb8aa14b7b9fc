/*
 * quodra_dpi_words.h - the engine's word batch and remainder word core for
 * quodra_dpi.c, behind a C interface. Internal to the DPI library: compiled
 * into it with the engine's internal archive, never exported from it (its
 * link script keeps only the quodra_dpi_ names global) nor from libquodra.
 *
 * quodra_dpi.c includes it only when built with QUODRA_DPI_WORDS; compiled
 * on its own against libquodra, the 64-bit imports take the wide path.
 */
#ifndef QUODRA_DPI_WORDS_H
#define QUODRA_DPI_WORDS_H

#include <stdint.h>

#include "quodra.h"
#include "svdpi.h"

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

/* A model's 64-bit divide when one word routine takes every sample of its
 * configuration, chosen once at creation and kept beside its handle, so
 * that a call does nothing but find its slot and divide. */
typedef enum word_port_route {
    WORD_PORTS_GENERAL,          /* the word batch or GNU MP, as the sample needs */
    WORD_PORTS_SIGNED_REMAINDER, /* divide_signed_ports */
    WORD_PORTS_REMAINDER         /* divide_remainder_ports */
} word_port_route;

typedef struct word_port_plan {
    word_port_route route;
    int is_signed;
    int dividend_width;
    int divisor_width;
} word_port_plan;

/* The plan of a remainder-mode model that word_batch_reaches accepted and
 * whose fields fit 64-bit words (remainder_in_reach), on the engine's
 * remainder word core with none of the batch's configuration guards; the
 * general route otherwise. */
word_port_plan word_port_plan_for(int remainder_in_reach, int is_signed, int dividend_width,
                                  int divisor_width);

/* The two routines: the port words in (read at their widths, bits above
 * ignored), the output fields out, quotient_known 1, and 0 returned.
 * Signed fields of up to 63 bits divide on C's / and % with no branch on
 * a sign; unsigned fields and signed ones of 64 bits on the
 * sign-and-magnitude word core. */
int divide_signed_ports(const word_port_plan *plan, uint64_t dividend, uint64_t divisor,
                        unsigned long long *quotient, unsigned long long *remainder,
                        svBit *div_by_zero, svBit *quotient_known);
int divide_remainder_ports(const word_port_plan *plan, uint64_t dividend, uint64_t divisor,
                           unsigned long long *quotient, unsigned long long *remainder,
                           svBit *div_by_zero, svBit *quotient_known);

#ifdef __cplusplus
}
#endif

#endif /* QUODRA_DPI_WORDS_H */

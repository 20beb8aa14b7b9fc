/*
 * quodra_mex_engine.h - what the MEX gateway takes from inside the project,
 * behind a C interface: the engine's word batch (internal, not exported from
 * libquodra) and the hex rows of quodra-div, written by the tool's own hex
 * writer. Compiled into the MEX file with the internal archives; quodra_mex.c
 * includes it only when built with QUODRA_MEX_ENGINE. Built on its own
 * against libquodra, the gateway divides every batch through data_do and has
 * no hex writer.
 */
#ifndef QUODRA_MEX_ENGINE_H
#define QUODRA_MEX_ENGINE_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include "quodra.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Operand arrays of `count` values: int64_t when signed_operands, else
 * uint64_t; the values already fit their fields. */
typedef struct quodra_mex_operands {
    int signed_operands;
    const void *dividends;
    const void *divisors;
    size_t count;
} quodra_mex_operands;

/* Divides every sample on the word batch. quotients is int64_t[count] when
 * signed_quotient (the High Radix quotient), else uint64_t[count];
 * remainders (remainder mode only, else null) is uint64_t[count]. Returns 1
 * with every result written, or 0 when the configuration or a result is out
 * of the word batch's reach (the outputs then hold a partial batch, to be
 * divided again through data_do). */
int quodra_mex_divide_words(const quodra_v5_1 *model, const quodra_mex_operands *operands,
                            int signed_quotient, void *quotients, uint64_t *remainders,
                            uint32_t *div_by_zero);

/* Writes the rows `quodra-div -f hex` writes for these samples (no header)
 * to out. config must be one that qor_quodra_v5_1_create and a data_do
 * call with no samples accept. Returns 0, or 1 with the reason in message
 * (always terminated, truncated to message_size). */
int quodra_mex_write_hex_rows(const qor_quodra_v5_1_config *config,
                              const quodra_mex_operands *operands, FILE *out, char *message,
                              size_t message_size);

#ifdef __cplusplus
}
#endif

#endif /* QUODRA_MEX_ENGINE_H */

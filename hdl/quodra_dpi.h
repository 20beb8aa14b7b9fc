/*
 * quodra_dpi.h - the C side of the SystemVerilog package quodra_pkg
 * (hdl/quodra_pkg.sv): DPI-C functions that create a quodra model, divide
 * one sample given as packed bit vectors, and free the model.
 *
 * Written against the standard svdpi.h only, so any IEEE 1800 simulator can
 * load it, either as the shared library quodra_dpi built by CMake or by
 * compiling hdl/quodra_dpi.c itself (with -I for this directory, quodra.h,
 * gmp.h and the simulator's svdpi.h; link -lquodra -lgmp). The CMake
 * library carries the engine inside and divides 64-bit ports on its word
 * batch; compiled on its own, the file gives the same results for them on
 * the GNU MP path.
 *
 * Vectors are QUODRA_DPI_MAX_WIDTH bits wide on both sides: the package's
 * QUODRA_MAX_WIDTH must have the same value, which quodra_model checks
 * through quodra_dpi_max_width() when it creates a model.
 *
 * The DPI functions keep their state in this file (a list of live models and
 * the text of the last error), so they must be called from one thread at a
 * time, as a simulator's procedural code does.
 */
#ifndef QUODRA_DPI_H
#define QUODRA_DPI_H

#include <gmp.h>

#include "svdpi.h"

#ifndef QUODRA_DPI_MAX_WIDTH
#define QUODRA_DPI_MAX_WIDTH 1024
#endif

#define QUODRA_DPI_VEC_WORDS ((QUODRA_DPI_MAX_WIDTH + 31) / 32)

#ifdef __cplusplus
extern "C" {
#endif

/* ---- The DPI imports (see quodra_pkg.sv for their SystemVerilog side) ---- */

/* The vector width this file was compiled for. */
int quodra_dpi_max_width(void);

/* The text of the most recent failure of any quodra_dpi call ("" before the
 * first). A failed call always sets it; a successful call leaves it alone. */
const char *quodra_dpi_last_error(void);

/* Makes a model; null on failure (the reason in quodra_dpi_last_error).
 * is_signed and fractional are 0 or 1; fractional_width is ignored in
 * remainder mode. name may be null or empty for the library's default. */
void *quodra_dpi_create(int algorithm, int divisor_width, int dividend_width, int is_signed,
                        int fractional, int fractional_width, const char *name);

/* Divides one sample: 0 on success, 1 on failure (outputs then zero).
 * Operands are read from the low divisor_width / dividend_width bits of
 * their vectors (two's complement when signed); bits above are not read
 * here, as by a port of that width (quodra_model's strict mode checks them
 * first through quodra_dpi_check_extension). quotient and remainder receive the core's output
 * fields as bit patterns at their field widths, zero above: in fractional
 * mode remainder receives the fraction field. quotient_known is 0 only for
 * the High Radix quotient of a zero divisor, which the core leaves
 * undefined (quotient and fraction are then zero). */
int quodra_dpi_divide(void *model, const svBitVecVal *dividend, const svBitVecVal *divisor,
                      svBitVecVal *quotient, svBitVecVal *remainder, svBit *div_by_zero,
                      svBit *quotient_known);

/* Checks that each operand vector holds one value of its field: the bits
 * above dividend_width / divisor_width all zero or, for a signed model, all
 * copies of the field's sign bit. 0 when both are; 1 otherwise (the last
 * error names the first operand that is not, and its width) or when model
 * is not a live handle. */
int quodra_dpi_check_extension(void *model, const svBitVecVal *dividend,
                               const svBitVecVal *divisor);

/* Frees a model: 0, or 1 when model is not a live handle (null, already
 * freed or never made here). */
int quodra_dpi_free(void *model);

/* Field widths of a live model: the quotient (integer part) and the
 * remainder or fraction field; 0 for a handle that is not live. */
int quodra_dpi_quotient_width(void *model);
int quodra_dpi_remainder_width(void *model);

/* ---- 64-bit ports (longint unsigned on the SystemVerilog side) ---- */

/* 1 when both operands and both output fields of a live model are at most
 * 64 bits wide, so that quodra_dpi_divide64 carries whole samples; 0
 * otherwise and for a handle that is not live. */
int quodra_dpi_word_ports(void *model);

/* quodra_dpi_divide on 64-bit words, with the same results: operands read
 * from the low divisor_width / dividend_width bits of their words (two's
 * complement when signed; bits above not read), quotient and remainder the
 * same field patterns, zero above. Divides on the engine's word batch where
 * it reaches the configuration and the sample, else through
 * quodra_dpi_divide, whose messages it then gives. 0 on success; 1 on
 * failure (outputs zero), also for a model whose fields do not all fit 64
 * bits (quodra_dpi_word_ports is 0). */
int quodra_dpi_divide64(void *model, unsigned long long dividend, unsigned long long divisor,
                        unsigned long long *quotient, unsigned long long *remainder,
                        svBit *div_by_zero, svBit *quotient_known);

/* ---- Conversion helpers, shared with the unit tests ---- */

/* out = the low `width` bits of vec (1 <= width <= QUODRA_DPI_MAX_WIDTH),
 * read as two's complement when is_signed. */
void quodra_dpi_vec_to_mpz(mpz_t out, const svBitVecVal *vec, int width, int is_signed);

/* Writes value mod 2^field_width (its two's-complement pattern) into the
 * QUODRA_DPI_VEC_WORDS words of vec, zero above the field. */
void quodra_dpi_mpz_to_vec(svBitVecVal *vec, mpz_srcptr value, int field_width);

/* 1 when the bits of vec above its low `width` bits (1 <= width <=
 * QUODRA_DPI_MAX_WIDTH), up to QUODRA_DPI_MAX_WIDTH, are all zero, or, when
 * is_signed, all equal to bit width - 1: the vector is the field's value
 * zero- or sign-extended. */
int quodra_dpi_is_extended(const svBitVecVal *vec, int width, int is_signed);

/* 1 when value fits a field of `width` bits: 0 <= value < 2^width, or
 * -2^(width-1) <= value < 2^(width-1) when is_signed. */
int quodra_dpi_fits(mpz_srcptr value, int width, int is_signed);

#ifdef __cplusplus
}
#endif

#endif /* QUODRA_DPI_H */

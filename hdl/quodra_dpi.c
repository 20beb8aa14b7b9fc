/*
 * quodra_dpi.c - DPI-C functions behind quodra_pkg (see quodra_dpi.h).
 *
 * A model handle is a number, never an address: the index of a slot in the
 * table of live models, above it a serial number that no other model made
 * here has had. Every call looks its handle up in the table first, so a
 * null, freed or foreign chandle is reported as an error instead of being
 * dereferenced, and a freed handle stays dead when its slot (or the memory
 * of its model) is used again by a later model. Each slot's dpi_model owns
 * the library model and one-sample arrays reused by every call; the slot
 * also keeps the route of the model's 64-bit divide, chosen at creation,
 * so that a remainder-mode call needs nothing past the handle check.
 *
 * Output fields, as the core drives them:
 *   remainder mode  quotient: dividend_width bits, remainder: divisor_width
 *                   bits, two's-complement patterns when signed;
 *   Radix-2         one register of dividend_width + F bits, split into the
 *                   integer part (dividend_width bits) above the F-bit fraction;
 *   High Radix      the library's signed Q = quotient x 2^F, split into the
 *                   integer part floor(Q / 2^F) as a (dividend_width + 1)-bit
 *                   pattern (-2^(B-1) / -1 = +2^(B-1) needs the extra bit) and
 *                   the fraction Q mod 2^F. A zero divisor leaves Q undefined.
 */
#include "quodra_dpi.h"

#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "quodra.h"
#ifdef QUODRA_DPI_WORDS
#include "quodra_dpi_words.h"
#endif

typedef struct dpi_model {
    quodra_v5_1 *model;
    qor_array_mpz *divisor;
    qor_array_mpz *dividend;
    qor_array_mpz *quotient;
    qor_array_mpz *remainder;
    qor_array_uint *div_by_zero;
    mpz_t operand;        /* conversion scratch */
    mpz_t result;         /* a result read back */
    mpz_t field;          /* one field cut from it */
    mpz_t marker;         /* planted in the quotient slot: no result equals it */
    int algorithm;
    int divisor_width;
    int dividend_width;
    int is_signed;
    int fractional;
    int fraction_width;   /* 0 in remainder mode */
    int word_reach;       /* the word batch takes this configuration */
} dpi_model;

/* The table of live models. A handle is (serial << SLOT_BITS) | (slot + 1):
 * never 0, and on a 64-bit host its 48-bit serial does not repeat. */
#define SLOT_BITS 16
#define MAX_SLOTS (((size_t)1 << SLOT_BITS) - 1)

typedef struct live_slot {
    dpi_model *entry; /* null: free */
    uintptr_t handle;
#ifdef QUODRA_DPI_WORDS
    word_port_plan words; /* the model's 64-bit divide, when one routine takes it */
#endif
} live_slot;

static live_slot *slots;
static size_t slot_count;
static uintptr_t last_serial;
static char last_error[1024];
static int library_reported; /* the handler set last_error during this call */

static void set_error(const char *format, ...) {
    va_list args;
    va_start(args, format);
    vsnprintf(last_error, sizeof last_error, format, args);
    va_end(args);
}

/* The library's handler: errors become the last error; warnings and notes
 * are dropped (integer division raises none). */
static void on_message(void *handle, int32_t error, const char *message) {
    (void)handle;
    if (error) {
        set_error("%s", message);
        library_reported = 1;
    }
}

/* A library call's failure as the last error: the library's own text when
 * its handler gave one, else `fallback`. A success leaves it alone. */
static void report_library_failure(const char *fallback) {
    if (!library_reported) {
        set_error("%s", fallback);
    }
}

static live_slot *slot_of(const void *handle) {
    const uintptr_t value = (uintptr_t)handle;
    const size_t index = (size_t)(value & MAX_SLOTS);
    if (index == 0 || index > slot_count || slots[index - 1].entry == NULL ||
        slots[index - 1].handle != value) {
        return NULL;
    }
    return &slots[index - 1];
}

static dpi_model *find_live(const void *handle, const char *caller) {
    const live_slot *slot = slot_of(handle);
    if (slot != NULL) {
        return slot->entry;
    }
    set_error("%s: %s", caller,
              handle == NULL ? "null model handle" : "not a live model handle (freed or foreign)");
    return NULL;
}

/* Files entry in a free slot under a new handle; null when the table is
 * full or cannot grow. */
static void plan_word_ports(live_slot *slot);

static void *register_live(dpi_model *entry) {
    size_t index = 0;
    while (index < slot_count && slots[index].entry != NULL) {
        ++index;
    }
    if (index == slot_count) {
        live_slot *grown;
        if (slot_count == MAX_SLOTS) {
            set_error("quodra_dpi_create: %lu models are live; free some first",
                      (unsigned long)MAX_SLOTS);
            return NULL;
        }
        grown = (live_slot *)realloc(slots, sizeof *slots * (slot_count + 1));
        if (grown == NULL) {
            set_error("quodra_dpi_create: out of memory");
            return NULL;
        }
        slots = grown;
        ++slot_count;
    }
    ++last_serial;
    slots[index].entry = entry;
    slots[index].handle = (last_serial << SLOT_BITS) | (uintptr_t)(index + 1);
    plan_word_ports(&slots[index]);
    return (void *)slots[index].handle;
}

int quodra_dpi_max_width(void) { return QUODRA_DPI_MAX_WIDTH; }

const char *quodra_dpi_last_error(void) { return last_error; }

/* ---- Conversions ---- */

void quodra_dpi_vec_to_mpz(mpz_t out, const svBitVecVal *vec, int width, int is_signed) {
    svBitVecVal words[QUODRA_DPI_VEC_WORDS];
    const int count = (width + 31) / 32;
    const int top_bits = width - 32 * (count - 1);
    memcpy(words, vec, sizeof(svBitVecVal) * (size_t)count);
    if (top_bits < 32) {
        words[count - 1] &= ((svBitVecVal)1 << top_bits) - 1u;
    }
    mpz_import(out, (size_t)count, -1, sizeof(svBitVecVal), 0, 0, words);
    if (is_signed && mpz_tstbit(out, (mp_bitcnt_t)(width - 1))) {
        /* Two's complement: a set sign bit weighs -2^(width-1). */
        mpz_t modulus;
        mpz_init(modulus);
        mpz_setbit(modulus, (mp_bitcnt_t)width);
        mpz_sub(out, out, modulus);
        mpz_clear(modulus);
    }
}

void quodra_dpi_mpz_to_vec(svBitVecVal *vec, mpz_srcptr value, int field_width) {
    mpz_t pattern;
    size_t written = 0;
    mpz_init(pattern);
    mpz_fdiv_r_2exp(pattern, value, (mp_bitcnt_t)field_width);
    memset(vec, 0, sizeof(svBitVecVal) * QUODRA_DPI_VEC_WORDS);
    if (mpz_sgn(pattern) != 0) {
        mpz_export(vec, &written, -1, sizeof(svBitVecVal), 0, 0, pattern);
    }
    mpz_clear(pattern);
}

int quodra_dpi_fits(mpz_srcptr value, int width, int is_signed) {
    const size_t bits = mpz_sizeinbase(value, 2);
    if (mpz_sgn(value) == 0) {
        return 1;
    }
    if (!is_signed) {
        return mpz_sgn(value) > 0 && bits <= (size_t)width;
    }
    if (mpz_sgn(value) > 0) {
        return bits < (size_t)width;
    }
    /* Negative: down to -2^(width-1), whose magnitude is a lone bit. */
    return bits < (size_t)width ||
           (bits == (size_t)width && mpz_scan1(value, 0) == (mp_bitcnt_t)(width - 1));
}

/* The bits of word `index` of a vector that lie in [low, high). */
static svBitVecVal word_bits(int index, int low, int high) {
    const int start = low > 32 * index ? low - 32 * index : 0;
    const int end = high < 32 * (index + 1) ? high - 32 * index : 32;
    const svBitVecVal below_end = end == 32 ? ~(svBitVecVal)0 : ((svBitVecVal)1 << end) - 1u;
    if (end <= start) {
        return 0;
    }
    return below_end & ~(((svBitVecVal)1 << start) - 1u);
}

/* 1 when every bit of vec from bit `width` up to the vector's top equals
 * the bits of fill. */
static int bits_above_are(const svBitVecVal *vec, int width, svBitVecVal fill) {
    int index;
    for (index = width / 32; index < QUODRA_DPI_VEC_WORDS; ++index) {
        if (((vec[index] ^ fill) & word_bits(index, width, QUODRA_DPI_MAX_WIDTH)) != 0) {
            return 0;
        }
    }
    return 1;
}

int quodra_dpi_is_extended(const svBitVecVal *vec, int width, int is_signed) {
    const int sign = width - 1;
    if (bits_above_are(vec, width, 0)) {
        return 1; /* a zero-extended pattern, whatever its sign bit */
    }
    return is_signed && ((vec[sign / 32] >> (sign % 32)) & 1u) &&
           bits_above_are(vec, width, ~(svBitVecVal)0);
}

/* ---- Models ---- */

static void release(dpi_model *entry) {
    if (entry->model != NULL) {
        qor_quodra_v5_1_destroy(entry->model);
    }
    qor_quodra_v5_1_qor_array_mpz_destroy(entry->divisor);
    qor_quodra_v5_1_qor_array_mpz_destroy(entry->dividend);
    qor_quodra_v5_1_qor_array_mpz_destroy(entry->quotient);
    qor_quodra_v5_1_qor_array_mpz_destroy(entry->remainder);
    qor_quodra_v5_1_qor_array_uint_destroy(entry->div_by_zero);
    mpz_clear(entry->operand);
    mpz_clear(entry->result);
    mpz_clear(entry->field);
    mpz_clear(entry->marker);
    free(entry);
}

static int width_ok(const char *what, int width, int lowest, int highest) {
    if (width < lowest || width > highest) {
        set_error("quodra_dpi_create: %s %d is outside %d to %d (QUODRA_MAX_WIDTH is %d)", what,
                  width, lowest, highest, QUODRA_DPI_MAX_WIDTH);
        return 0;
    }
    return 1;
}

/* Only the High Radix fraction is a signed quotient value (Q = quotient x
 * 2^F); every other output the library writes is a non-negative pattern. */
static int signed_quotient_value(const dpi_model *entry) {
    return entry->fractional && entry->algorithm == QUODRA_ALGORITHM_HIGH_RADIX;
}

static int probe_word_reach(const dpi_model *entry) {
#ifdef QUODRA_DPI_WORDS
    return word_batch_reaches(entry->model, entry->is_signed, signed_quotient_value(entry));
#else
    (void)entry;
    return 0;
#endif
}

void *quodra_dpi_create(int algorithm, int divisor_width, int dividend_width, int is_signed,
                        int fractional, int fractional_width, const char *name) {
    qor_quodra_v5_1_config config;
    dpi_model *entry;
    void *handle;
    const int high_radix = algorithm == QUODRA_ALGORITHM_HIGH_RADIX;

    if (!width_ok("divisor width", divisor_width, 1, QUODRA_DPI_MAX_WIDTH) ||
        !width_ok(high_radix && fractional ? "High Radix dividend width (quotient one bit wider)"
                                           : "dividend width",
                  dividend_width, 1,
                  high_radix && fractional ? QUODRA_DPI_MAX_WIDTH - 1 : QUODRA_DPI_MAX_WIDTH) ||
        (fractional &&
         !width_ok("fractional width", fractional_width, 0, QUODRA_DPI_MAX_WIDTH))) {
        return NULL;
    }
    qor_quodra_v5_1_default_config(&config);
    if (name != NULL && name[0] != '\0') {
        config.name = name;
    }
    config.algorithm_type = algorithm;
    config.divisor_width = divisor_width;
    config.dividend_width = dividend_width;
    config.operand_sign = is_signed ? QUODRA_OPERAND_SIGNED : QUODRA_OPERAND_UNSIGNED;
    config.remainder_type = fractional ? QUODRA_OUTPUT_FRACTIONAL : QUODRA_OUTPUT_REMAINDER;
    if (fractional) {
        config.fractional_width = fractional_width;
    }

    entry = (dpi_model *)calloc(1, sizeof *entry);
    if (entry == NULL) {
        set_error("quodra_dpi_create: out of memory");
        return NULL;
    }
    mpz_init(entry->operand);
    mpz_init(entry->result);
    mpz_init(entry->field);
    mpz_init(entry->marker);
    entry->divisor = qor_quodra_v5_1_qor_array_mpz_alloc(1);
    entry->dividend = qor_quodra_v5_1_qor_array_mpz_alloc(1);
    entry->quotient = qor_quodra_v5_1_qor_array_mpz_alloc(1);
    entry->remainder = qor_quodra_v5_1_qor_array_mpz_alloc(1);
    entry->div_by_zero = qor_quodra_v5_1_qor_array_uint_alloc(1);
    if (entry->divisor == NULL || entry->dividend == NULL || entry->quotient == NULL ||
        entry->remainder == NULL || entry->div_by_zero == NULL) {
        set_error("quodra_dpi_create: out of memory");
        release(entry);
        return NULL;
    }

    library_reported = 0;
    entry->model = qor_quodra_v5_1_create(&config, on_message, NULL);
    /* A call with no samples runs the library's checks of the configuration
     * that creation leaves to the data path (an unknown algorithm_type). */
    if (entry->model == NULL ||
        qor_quodra_v5_1_data_do(entry->model, entry->divisor, entry->dividend, entry->quotient,
                                entry->remainder, entry->div_by_zero, 0) != 0) {
        report_library_failure("quodra_dpi_create: the library refused the configuration");
        release(entry);
        return NULL;
    }
    /* The library decides which algorithms it knows; in fractional mode this
     * file must also know how the quotient register splits into fields. */
    if (fractional && algorithm != QUODRA_ALGORITHM_RADIX2 && !high_radix) {
        set_error("quodra_dpi_create: no fractional output fields are known for algorithm %d",
                  algorithm);
        release(entry);
        return NULL;
    }

    entry->algorithm = algorithm;
    entry->divisor_width = divisor_width;
    entry->dividend_width = dividend_width;
    entry->is_signed = is_signed ? 1 : 0;
    entry->fractional = fractional ? 1 : 0;
    entry->fraction_width = fractional ? fractional_width : 0;
    mpz_setbit(entry->marker, (mp_bitcnt_t)(dividend_width + entry->fraction_width + 3));
    mpz_neg(entry->marker, entry->marker);
    entry->word_reach = probe_word_reach(entry);
    handle = register_live(entry);
    if (handle == NULL) {
        release(entry);
    }
    return handle;
}

int quodra_dpi_free(void *model) {
    live_slot *slot = slot_of(model);
    if (slot == NULL) {
        find_live(model, "quodra_dpi_free"); /* sets the reason */
        return 1;
    }
    release(slot->entry);
    slot->entry = NULL;
    slot->handle = 0;
    /* Trailing free slots go, and with the last model the table itself. */
    while (slot_count > 0 && slots[slot_count - 1].entry == NULL) {
        --slot_count;
    }
    if (slot_count == 0) {
        free(slots);
        slots = NULL;
    }
    return 0;
}

static int quotient_field_width(const dpi_model *entry) {
    return entry->dividend_width + signed_quotient_value(entry);
}

static int remainder_field_width(const dpi_model *entry) {
    return entry->fractional ? entry->fraction_width : entry->divisor_width;
}

int quodra_dpi_quotient_width(void *model) {
    const dpi_model *entry = find_live(model, "quodra_dpi_quotient_width");
    return entry == NULL ? 0 : quotient_field_width(entry);
}

int quodra_dpi_remainder_width(void *model) {
    const dpi_model *entry = find_live(model, "quodra_dpi_remainder_width");
    return entry == NULL ? 0 : remainder_field_width(entry);
}

/* 1 when the operand vector holds its field's value extended; else 0 with
 * the error naming the operand. */
static int operand_extended(const char *operand, const svBitVecVal *vec, int width,
                            int is_signed) {
    if (quodra_dpi_is_extended(vec, width, is_signed)) {
        return 1;
    }
    set_error("quodra_dpi_check_extension: %s has bits set above its %d-bit %s", operand, width,
              is_signed ? "field: neither zero- nor sign-extended"
                        : "unsigned field: not zero-extended");
    return 0;
}

int quodra_dpi_check_extension(void *model, const svBitVecVal *dividend,
                               const svBitVecVal *divisor) {
    const dpi_model *entry = find_live(model, "quodra_dpi_check_extension");
    if (entry == NULL) {
        return 1;
    }
    return operand_extended("dividend", dividend, entry->dividend_width, entry->is_signed) &&
                   operand_extended("divisor", divisor, entry->divisor_width, entry->is_signed)
               ? 0
               : 1;
}

/* Cuts the library's results into the output fields; 0, or 1 after setting
 * the error when a value lies outside the field the core drives. */
static int store_fields(dpi_model *entry, svBitVecVal *quotient, svBitVecVal *remainder) {
    const int b = entry->dividend_width;
    const int f = entry->fraction_width;
    qor_quodra_v5_1_qor_array_mpz_get_data(entry->quotient, entry->result, 0);
    if (!entry->fractional) {
        if (!quodra_dpi_fits(entry->result, b, 0)) {
            set_error("quodra_dpi_divide: the library returned a quotient outside its %d-bit field", b);
            return 1;
        }
        quodra_dpi_mpz_to_vec(quotient, entry->result, b);
        qor_quodra_v5_1_qor_array_mpz_get_data(entry->remainder, entry->result, 0);
        if (!quodra_dpi_fits(entry->result, entry->divisor_width, 0)) {
            set_error("quodra_dpi_divide: the library returned a remainder outside its %d-bit field",
                      entry->divisor_width);
            return 1;
        }
        quodra_dpi_mpz_to_vec(remainder, entry->result, entry->divisor_width);
        return 0;
    }
    {
        const int high_radix = entry->algorithm == QUODRA_ALGORITHM_HIGH_RADIX;
        /* Radix-2: a non-negative (B + F)-bit register; High Radix: a signed
         * (B + F + 1)-bit value. */
        if (!quodra_dpi_fits(entry->result, b + f + high_radix, high_radix)) {
            set_error("quodra_dpi_divide: the library returned a quotient outside its %d-bit register",
                      b + f + high_radix);
            return 1;
        }
        /* Floor division keeps the two's-complement reading of the integer
         * part; the fraction bits weigh positively. */
        mpz_fdiv_q_2exp(entry->field, entry->result, (mp_bitcnt_t)f);
        quodra_dpi_mpz_to_vec(quotient, entry->field, b + high_radix);
        quodra_dpi_mpz_to_vec(remainder, entry->result, f);
        return 0;
    }
}

int quodra_dpi_divide(void *model, const svBitVecVal *dividend, const svBitVecVal *divisor,
                      svBitVecVal *quotient, svBitVecVal *remainder, svBit *div_by_zero,
                      svBit *quotient_known) {
    dpi_model *entry = find_live(model, "quodra_dpi_divide");
    uint32_t flag = 0;

    memset(quotient, 0, sizeof(svBitVecVal) * QUODRA_DPI_VEC_WORDS);
    memset(remainder, 0, sizeof(svBitVecVal) * QUODRA_DPI_VEC_WORDS);
    *div_by_zero = 0;
    *quotient_known = 0;
    if (entry == NULL) {
        return 1;
    }

    quodra_dpi_vec_to_mpz(entry->operand, divisor, entry->divisor_width, entry->is_signed);
    qor_quodra_v5_1_qor_array_mpz_set_data(entry->divisor, entry->operand, 0);
    quodra_dpi_vec_to_mpz(entry->operand, dividend, entry->dividend_width, entry->is_signed);
    qor_quodra_v5_1_qor_array_mpz_set_data(entry->dividend, entry->operand, 0);
    qor_quodra_v5_1_qor_array_mpz_set_data(entry->quotient, entry->marker, 0);
    qor_quodra_v5_1_qor_array_mpz_set_data(entry->remainder, entry->marker, 0);
    qor_quodra_v5_1_qor_array_uint_set_data(entry->div_by_zero, 2u, 0);

    library_reported = 0;
    if (qor_quodra_v5_1_data_do(entry->model, entry->divisor, entry->dividend, entry->quotient,
                                entry->fractional ? NULL : entry->remainder,
                                entry->div_by_zero, 1) != 0) {
        report_library_failure("quodra_dpi_divide: the library refused the division");
        return 1;
    }
    qor_quodra_v5_1_qor_array_uint_get_data(entry->div_by_zero, &flag, 0);
    if (flag > 1) {
        set_error("quodra_dpi_divide: the library returned div_by_zero %u", (unsigned)flag);
        return 1;
    }

    qor_quodra_v5_1_qor_array_mpz_get_data(entry->quotient, entry->result, 0);
    if (mpz_cmp(entry->result, entry->marker) == 0) {
        if (!flag) {
            set_error("quodra_dpi_divide: the library wrote no quotient for a non-zero divisor");
            return 1;
        }
        /* A zero divisor may leave the quotient register undefined. */
        *div_by_zero = 1;
        return 0;
    }
    if (store_fields(entry, quotient, remainder) != 0) {
        memset(quotient, 0, sizeof(svBitVecVal) * QUODRA_DPI_VEC_WORDS);
        memset(remainder, 0, sizeof(svBitVecVal) * QUODRA_DPI_VEC_WORDS);
        return 1;
    }
    *div_by_zero = (svBit)flag;
    *quotient_known = 1;
    return 0;
}

/* ---- 64-bit ports ---- */

/* 1 when both operands and both output fields fit a 64-bit word. */
static int fields_fit_words(const dpi_model *entry) {
    return entry->divisor_width <= 64 && entry->dividend_width <= 64 &&
           quotient_field_width(entry) <= 64 && remainder_field_width(entry) <= 64;
}

int quodra_dpi_word_ports(void *model) {
    const dpi_model *entry = find_live(model, "quodra_dpi_word_ports");
    return entry != NULL && fields_fit_words(entry);
}

#ifdef QUODRA_DPI_WORDS
/* The low `width` bits of a word, 0 <= width <= 64. */
static uint64_t low_bits(uint64_t word, int width) {
    return width >= 64 ? word : word & ((UINT64_C(1) << width) - 1u);
}

/* The value a port of `width` bits (1 .. 64) holds, as a 64-bit pattern:
 * its low bits, sign-extended when signed (a set sign bit weighs
 * -2^(width-1), so the pattern is bits - 2^width modulo 2^64). */
static uint64_t port_value(uint64_t word, int width, int is_signed) {
    const uint64_t bits = low_bits(word, width);
    const uint64_t sign = UINT64_C(1) << (width - 1);
    return is_signed ? (bits ^ sign) - sign : bits;
}

/* Cuts one sample of the word batch into the output fields, as
 * store_fields cuts the GNU MP results; 0 when a value lies outside the
 * field the core drives (the wide path then divides it and reports that). */
static int store_word_fields(const dpi_model *entry, const word_batch_sample *sample,
                             unsigned long long *quotient, unsigned long long *remainder) {
    const int b = entry->dividend_width;
    const int f = entry->fraction_width;
    const uint64_t q = sample->quotient;
    if (!entry->fractional) {
        if (q != low_bits(q, b) || sample->remainder != low_bits(sample->remainder,
                                                                  entry->divisor_width)) {
            return 0;
        }
        *quotient = q;
        *remainder = sample->remainder;
        return 1;
    }
    if (!signed_quotient_value(entry)) {
        /* Radix-2: one non-negative register of B + F bits (F < 64 as B >= 1),
         * the integer part above the fraction. */
        if (b + f > 64 || q != low_bits(q, b + f)) {
            return 0;
        }
        *quotient = q >> f;
        *remainder = low_bits(q, f);
        return 1;
    }
    /* High Radix: Q is a signed (B + F + 1)-bit value. Bits F .. F + B of its
     * two's complement are floor(Q / 2^F) as a (B + 1)-bit pattern. */
    if (b + f + 1 > 64 || port_value(q, b + f + 1, 1) != q) {
        return 0;
    }
    *quotient = low_bits(q >> f, b + 1);
    *remainder = low_bits(q, f);
    return 1;
}
#endif

/* Decided once at creation, so that a 64-bit divide in remainder mode
 * does nothing per call but find its slot and divide: the word batch
 * accepted the configuration and every field fits a word. */
static void plan_word_ports(live_slot *slot) {
#ifdef QUODRA_DPI_WORDS
    const dpi_model *entry = slot->entry;
    slot->words = word_port_plan_for(entry->word_reach && !entry->fractional &&
                                         fields_fit_words(entry),
                                     entry->is_signed, entry->dividend_width,
                                     entry->divisor_width);
#else
    (void)slot;
#endif
}

/* One sample on the engine's word batch: 1 when it divided it (outputs
 * set), 0 when the sample is out of its reach (outputs untouched). */
static int divide_on_words(const dpi_model *entry, unsigned long long dividend,
                           unsigned long long divisor, unsigned long long *quotient,
                           unsigned long long *remainder, svBit *div_by_zero,
                           svBit *quotient_known) {
#ifdef QUODRA_DPI_WORDS
    word_batch_sample sample = {0, 0, 0};
    unsigned long long q = 0;
    unsigned long long r = 0;
    if (!entry->word_reach ||
        !word_batch_divide_one(entry->model, entry->is_signed,
                               port_value(dividend, entry->dividend_width, entry->is_signed),
                               port_value(divisor, entry->divisor_width, entry->is_signed),
                               signed_quotient_value(entry), &sample) ||
        sample.div_by_zero > 1) {
        return 0;
    }
    if (sample.div_by_zero && signed_quotient_value(entry)) {
        /* The High Radix core leaves the quotient of a zero divisor undefined. */
        *div_by_zero = 1;
        return 1;
    }
    if (!store_word_fields(entry, &sample, &q, &r)) {
        return 0;
    }
    *quotient = q;
    *remainder = r;
    *div_by_zero = (svBit)sample.div_by_zero;
    *quotient_known = 1;
    return 1;
#else
    (void)entry;
    (void)dividend;
    (void)divisor;
    (void)quotient;
    (void)remainder;
    (void)div_by_zero;
    (void)quotient_known;
    return 0;
#endif
}

/* A 64-bit word as the low bits of a vector, zero above. */
static void word_to_vec(svBitVecVal *vec, unsigned long long word) {
    memset(vec, 0, sizeof(svBitVecVal) * QUODRA_DPI_VEC_WORDS);
    vec[0] = (svBitVecVal)(word & 0xffffffffu);
#if QUODRA_DPI_VEC_WORDS > 1
    vec[1] = (svBitVecVal)(word >> 32);
#endif
}

static unsigned long long vec_to_word(const svBitVecVal *vec) {
    unsigned long long word = vec[0];
#if QUODRA_DPI_VEC_WORDS > 1
    word |= (unsigned long long)vec[1] << 32;
#endif
    return word;
}

/* The GNU MP path: quodra_dpi_divide on the words as vectors, with every
 * message it gives. */
static int divide_on_vectors(void *model, unsigned long long dividend, unsigned long long divisor,
                             unsigned long long *quotient, unsigned long long *remainder,
                             svBit *div_by_zero, svBit *quotient_known) {
    svBitVecVal wide_dividend[QUODRA_DPI_VEC_WORDS];
    svBitVecVal wide_divisor[QUODRA_DPI_VEC_WORDS];
    svBitVecVal wide_quotient[QUODRA_DPI_VEC_WORDS];
    svBitVecVal wide_remainder[QUODRA_DPI_VEC_WORDS];
    int status;
    word_to_vec(wide_dividend, dividend);
    word_to_vec(wide_divisor, divisor);
    status = quodra_dpi_divide(model, wide_dividend, wide_divisor, wide_quotient, wide_remainder,
                               div_by_zero, quotient_known);
    /* Every field fits 64 bits, so nothing is cut off here. */
    *quotient = vec_to_word(wide_quotient);
    *remainder = vec_to_word(wide_remainder);
    return status;
}

int quodra_dpi_divide64(void *model, unsigned long long dividend, unsigned long long divisor,
                        unsigned long long *quotient, unsigned long long *remainder,
                        svBit *div_by_zero, svBit *quotient_known) {
    const dpi_model *entry;
#ifdef QUODRA_DPI_WORDS
    const live_slot *slot = slot_of(model);
    if (slot != NULL && slot->words.route == WORD_PORTS_SIGNED_REMAINDER) {
        return divide_signed_ports(&slot->words, dividend, divisor, quotient, remainder,
                                   div_by_zero, quotient_known);
    }
    if (slot != NULL && slot->words.route == WORD_PORTS_REMAINDER) {
        return divide_remainder_ports(&slot->words, dividend, divisor, quotient, remainder,
                                      div_by_zero, quotient_known);
    }
#endif
    entry = find_live(model, "quodra_dpi_divide64");
    *quotient = 0;
    *remainder = 0;
    *div_by_zero = 0;
    *quotient_known = 0;
    if (entry == NULL) {
        return 1;
    }
    if (!fields_fit_words(entry)) {
        set_error("quodra_dpi_divide64: the model's fields (dividend %d, divisor %d, quotient %d, "
                  "remainder %d bits) do not all fit 64-bit ports",
                  entry->dividend_width, entry->divisor_width, quotient_field_width(entry),
                  remainder_field_width(entry));
        return 1;
    }
    if (divide_on_words(entry, dividend, divisor, quotient, remainder, div_by_zero,
                        quotient_known)) {
        return 0;
    }
    return divide_on_vectors(model, dividend, divisor, quotient, remainder, div_by_zero,
                             quotient_known);
}

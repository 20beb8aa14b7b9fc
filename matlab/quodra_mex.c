/*
 * quodra_mex.c - the MEX gateway of quodra for MATLAB and GNU Octave,
 * written to the MEX API only (mex.h), over the C interface quodra.h.
 *
 *   quodra_mex('divide', cfg, dividend, divisor)        -> [q, r, z]
 *   quodra_mex('hex', cfg, dividend, divisor, file)     -> (writes file)
 *
 * quodra_divide.m and quodra_hex_vectors.m are the documented entry points;
 * docs/matlab.md describes the arguments, result types and errors.
 *
 * Built in the project (QUODRA_MEX_ENGINE) the gateway carries the engine
 * inside: batches with fields up to 64 bits divide on the engine's word
 * batch, and hex rows come from quodra-div's own writer. Built on its own
 * (mex quodra_mex.c -lquodra -lgmp) every batch divides through data_do,
 * with the same results, and quodra_hex_vectors is not available.
 *
 * Error handling: mexErrMsgIdAndTxt does not return (it unwinds the MEX
 * call), so every library object lives inside one function that makes no
 * MEX call and releases it before returning; a failure is recorded in a
 * struct and raised by the caller once everything is released.
 */
#include <errno.h>
#include <math.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "mex.h"
#include "quodra.h"

#ifdef QUODRA_MEX_ENGINE
#include "quodra_mex_engine.h"
#endif

/* Samples per data_do call: bounds the GNU MP arrays' memory and keeps the
 * count within data_do's uint32_t. */
#define DATA_DO_SLICE 65536u

/* ------------------------------------------------------------------------
 * Failures: an identifier ("quodra:operand") and the text to raise.
 * ---------------------------------------------------------------------- */
typedef struct failure {
    const char *id;
    char text[2048];
} failure;

static int fail(failure *f, const char *id, const char *format, ...) {
    va_list arguments;
    f->id = id;
    va_start(arguments, format);
    vsnprintf(f->text, sizeof f->text, format, arguments);
    va_end(arguments);
    return 1;
}

/* The library's error messages of one call, one a line. */
typedef struct library_messages {
    char text[2048];
} library_messages;

static void collect_library_message(void *handle, int32_t error, const char *message) {
    library_messages *messages = (library_messages *)handle;
    size_t used;
    if (error == 0 || messages == NULL || message == NULL) {
        return;
    }
    used = strlen(messages->text);
    snprintf(messages->text + used, sizeof messages->text - used, "%s%s", used > 0 ? "\n" : "",
             message);
}

static int fail_with_library_text(failure *f, const char *id, const library_messages *messages,
                                  const char *fallback) {
    return fail(f, id, "%s", messages->text[0] != '\0' ? messages->text : fallback);
}

/* ------------------------------------------------------------------------
 * The configuration: a scalar struct with the C record's field names; a
 * field left out keeps the library's default.
 * ---------------------------------------------------------------------- */
static const char *const integer_field_names[] = {
    "algorithm_type", "divisor_width",    "dividend_width", "operand_sign",
    "remainder_type", "fractional_width", "aux_param_1",    "aux_param_2",
};
#define INTEGER_FIELD_COUNT (sizeof integer_field_names / sizeof integer_field_names[0])

static int32_t *integer_field(qor_quodra_v5_1_config *config, size_t which) {
    int32_t *const fields[INTEGER_FIELD_COUNT] = {
        &config->algorithm_type, &config->divisor_width,    &config->dividend_width,
        &config->operand_sign,   &config->remainder_type,   &config->fractional_width,
        &config->aux_param_1,    &config->aux_param_2,
    };
    return fields[which];
}

static int is_plain_numeric(const mxArray *value) {
    return (mxIsDouble(value) || mxIsInt8(value) || mxIsUint8(value) || mxIsInt16(value) ||
            mxIsUint16(value) || mxIsInt32(value) || mxIsUint32(value) || mxIsInt64(value) ||
            mxIsUint64(value)) &&
           !mxIsComplex(value) && !mxIsSparse(value);
}

static int read_integer_field(const mxArray *value, const char *name, int32_t *out, failure *f) {
    double number;
    if (value == NULL || !is_plain_numeric(value) || mxGetNumberOfElements(value) != 1) {
        return fail(f, "quodra:config", "cfg.%s must be a real numeric scalar", name);
    }
    number = mxGetScalar(value);
    if (number != floor(number) || number < -2147483648.0 || number > 2147483647.0) {
        return fail(f, "quodra:config", "cfg.%s must be an integer from -2^31 to 2^31 - 1", name);
    }
    *out = (int32_t)number;
    return 0;
}

/* name_storage receives the mxMalloc'd copy config->name points to (or
 * NULL); the caller frees it with mxFree. */
static int read_config(const mxArray *cfg, qor_quodra_v5_1_config *config, char **name_storage,
                       failure *f) {
    int field_count, i;
    size_t which;
    *name_storage = NULL;
    memset(config, 0, sizeof *config);
    qor_quodra_v5_1_default_config(config);
    if (!mxIsStruct(cfg) || mxGetNumberOfElements(cfg) != 1) {
        return fail(f, "quodra:config",
                    "cfg must be a scalar struct (struct() for the library's defaults)");
    }
    field_count = mxGetNumberOfFields(cfg);
    for (i = 0; i < field_count; ++i) {
        const char *name = mxGetFieldNameByNumber(cfg, i);
        const mxArray *value = mxGetFieldByNumber(cfg, 0, i);
        if (strcmp(name, "name") == 0) {
            if (value == NULL || !mxIsChar(value) ||
                (mxGetNumberOfElements(value) > 0 && mxGetM(value) != 1)) {
                return fail(f, "quodra:config", "cfg.name must be a character row vector");
            }
            *name_storage = mxArrayToString(value);
            config->name = *name_storage;
            continue;
        }
        for (which = 0; which < INTEGER_FIELD_COUNT; ++which) {
            if (strcmp(name, integer_field_names[which]) == 0) {
                break;
            }
        }
        if (which == INTEGER_FIELD_COUNT) {
            return fail(f, "quodra:config",
                        "cfg has an unknown field '%s'; the fields are name, algorithm_type, "
                        "divisor_width, dividend_width, operand_sign, remainder_type, "
                        "fractional_width, aux_param_1 and aux_param_2",
                        name);
        }
        if (read_integer_field(value, name, integer_field(config, which), f) != 0) {
            return 1;
        }
    }
    return 0;
}

/* The model for the configuration, refused as data_do refuses it: creation
 * checks the record, and a call with no samples checks the algorithm choice
 * and the register limit, before any operand is looked at. */
static int check_configuration(const qor_quodra_v5_1_config *config, failure *f) {
    library_messages messages = {{0}};
    quodra_v5_1 *model = qor_quodra_v5_1_create(config, collect_library_message, &messages);
    qor_array_mpz *divisor, *dividend, *quotient, *remainder;
    qor_array_uint *div_by_zero;
    int status = 0;
    if (model == NULL) {
        return fail_with_library_text(f, "quodra:config", &messages,
                                      "the library refused the configuration");
    }
    divisor = qor_quodra_v5_1_qor_array_mpz_alloc(1);
    dividend = qor_quodra_v5_1_qor_array_mpz_alloc(1);
    quotient = qor_quodra_v5_1_qor_array_mpz_alloc(1);
    remainder = config->remainder_type != QUODRA_OUTPUT_REMAINDER
                    ? NULL
                    : qor_quodra_v5_1_qor_array_mpz_alloc(1);
    div_by_zero = qor_quodra_v5_1_qor_array_uint_alloc(1);
    if (divisor == NULL || dividend == NULL || quotient == NULL || div_by_zero == NULL ||
        (remainder == NULL && config->remainder_type == QUODRA_OUTPUT_REMAINDER)) {
        status = fail(f, "quodra:memory", "out of memory for the library's arrays");
    } else if (qor_quodra_v5_1_data_do(model, divisor, dividend, quotient, remainder, div_by_zero,
                                       0) != 0) {
        status = fail_with_library_text(f, "quodra:config", &messages,
                                        "the library refused the configuration");
    }
    qor_quodra_v5_1_qor_array_mpz_destroy(divisor);
    qor_quodra_v5_1_qor_array_mpz_destroy(dividend);
    qor_quodra_v5_1_qor_array_mpz_destroy(quotient);
    qor_quodra_v5_1_qor_array_mpz_destroy(remainder);
    qor_quodra_v5_1_qor_array_uint_destroy(div_by_zero);
    qor_quodra_v5_1_destroy(model);
    return status;
}

/* ------------------------------------------------------------------------
 * Result fields: what the core writes, as docs/behaviour.md lays it out.
 *   remainder mode  quotient pattern of dividend_width bits, remainder
 *                   pattern of divisor_width bits (two's complement when
 *                   signed), both uint64;
 *   Radix-2         one pattern of dividend_width + fractional_width bits
 *                   (uint64);
 *   High Radix      the signed integer quotient x 2^F, which needs
 *                   dividend_width + fractional_width + 1 bits (int64).
 * ---------------------------------------------------------------------- */
typedef struct result_fields {
    int fractional;
    int signed_quotient;
    long long quotient_bits;
    long long remainder_bits; /* 0 in fractional mode */
} result_fields;

static result_fields fields_of(const qor_quodra_v5_1_config *config) {
    result_fields fields;
    fields.fractional = config->remainder_type != QUODRA_OUTPUT_REMAINDER; /* as data_do reads it */
    fields.signed_quotient =
        fields.fractional && config->algorithm_type == QUODRA_ALGORITHM_HIGH_RADIX;
    fields.quotient_bits = config->dividend_width;
    fields.remainder_bits = fields.fractional ? 0 : config->divisor_width;
    if (fields.fractional) {
        fields.quotient_bits += (long long)config->fractional_width + (fields.signed_quotient ? 1 : 0);
    }
    return fields;
}

static int require_word_fields(const result_fields *fields, failure *f) {
    if (fields->quotient_bits > 64) {
        return fail(f, "quodra:width",
                    "the quotient field is %lld bits wide; quodra_divide returns fields of up to "
                    "64 bits (write wider ones with quodra_hex_vectors or quodra-div)",
                    fields->quotient_bits);
    }
    if (fields->remainder_bits > 64) {
        return fail(f, "quodra:width",
                    "the remainder field is %lld bits wide; quodra_divide returns fields of up "
                    "to 64 bits (write wider ones with quodra_hex_vectors or quodra-div)",
                    fields->remainder_bits);
    }
    return 0;
}

/* ------------------------------------------------------------------------
 * Operands: real integer classes or double, exact integers that fit their
 * field, read as int64 values when the operands are signed, uint64 values
 * when unsigned.
 * ---------------------------------------------------------------------- */
typedef struct operand_field {
    const char *role; /* "dividend" or "divisor" */
    long long width;
    int is_signed;
} operand_field;

/* One element as the caller gave it: negative ? (int64_t)bits : bits. */
typedef struct element_value {
    int negative;
    uint64_t bits;
} element_value;

static int require_operand_class(const mxArray *operand, const char *role, failure *f) {
    if (mxIsComplex(operand) || mxIsSparse(operand) || !is_plain_numeric(operand)) {
        return fail(f, "quodra:type",
                    "the %s must be a real, full array of class double or of an integer class "
                    "(it is %s%s%s)",
                    role, mxIsComplex(operand) ? "complex " : "",
                    mxIsSparse(operand) ? "sparse " : "", mxGetClassName(operand));
    }
    return 0;
}

static int read_double_element(double number, const operand_field *field, size_t index,
                               element_value *value, failure *f) {
    if (!isfinite(number)) {
        return fail(f, "quodra:operand", "%s element %zu is %s, not an integer", field->role,
                    index + 1, isnan(number) ? "NaN" : "infinite");
    }
    if (number != floor(number)) {
        return fail(f, "quodra:operand", "%s element %zu is %.17g, not an integer", field->role,
                    index + 1, number);
    }
    /* -2^63 .. 2^64 - 1: the values int64 and uint64 hold together */
    if (number < -9223372036854775808.0 || number >= 18446744073709551616.0) {
        return fail(f, "quodra:operand",
                    "%s element %zu is %.17g, outside the 64-bit integers quodra divides",
                    field->role, index + 1, number);
    }
    value->negative = number < 0;
    value->bits = value->negative ? (uint64_t)(int64_t)number : (uint64_t)number;
    return 0;
}

/* An operand array's class and data, asked of the MEX API once: the API's
 * class query compares class names, too slow to ask per element. */
typedef struct operand_source {
    mxClassID class_id;
    const void *data;
    size_t elements;
} operand_source;

static int read_element(const operand_source *operand, const operand_field *field, size_t index,
                        element_value *value, failure *f) {
    const void *data = operand->data;
    int64_t as_signed = 0;
    switch (operand->class_id) {
    case mxDOUBLE_CLASS:
        return read_double_element(((const double *)data)[index], field, index, value, f);
    case mxINT8_CLASS: as_signed = ((const int8_t *)data)[index]; break;
    case mxINT16_CLASS: as_signed = ((const int16_t *)data)[index]; break;
    case mxINT32_CLASS: as_signed = ((const int32_t *)data)[index]; break;
    case mxINT64_CLASS: as_signed = ((const int64_t *)data)[index]; break;
    case mxUINT8_CLASS: value->negative = 0; value->bits = ((const uint8_t *)data)[index]; return 0;
    case mxUINT16_CLASS: value->negative = 0; value->bits = ((const uint16_t *)data)[index]; return 0;
    case mxUINT32_CLASS: value->negative = 0; value->bits = ((const uint32_t *)data)[index]; return 0;
    case mxUINT64_CLASS: value->negative = 0; value->bits = ((const uint64_t *)data)[index]; return 0;
    default: return fail(f, "quodra:type", "the %s has an unsupported class", field->role);
    }
    value->negative = as_signed < 0;
    value->bits = (uint64_t)as_signed;
    return 0;
}

static int fail_to_fit(const operand_field *field, size_t index, const element_value *value,
                       failure *f) {
    char shown[32];
    if (value->negative) {
        snprintf(shown, sizeof shown, "%lld", (long long)(int64_t)value->bits);
    } else {
        snprintf(shown, sizeof shown, "%llu", (unsigned long long)value->bits);
    }
    return fail(f, "quodra:operand", "%s element %zu is %s, outside the %s %lld-bit %s field",
                field->role, index + 1, shown, field->is_signed ? "signed" : "unsigned",
                field->width, field->role);
}

/* Checks the value against its field and stores it as the batch's word. */
static int store_operand(const operand_field *field, size_t index, const element_value *value,
                         void *words, size_t at, failure *f) {
    if (field->width <= 0 && value->bits != 0) {
        return fail_to_fit(field, index, value, f); /* a field of no bits holds 0 only */
    }
    if (field->is_signed) {
        /* a signed field of W bits holds -2^(W-1) .. 2^(W-1) - 1 */
        const int64_t word = (int64_t)value->bits;
        if (!value->negative && value->bits > (uint64_t)INT64_MAX) {
            if (field->width > 64) {
                return fail(f, "quodra:operand",
                            "%s element %zu is %llu; signed operands are divided as int64 values",
                            field->role, index + 1, (unsigned long long)value->bits);
            }
            return fail_to_fit(field, index, value, f);
        }
        if (field->width > 0 && field->width < 64) {
            const int64_t half = (int64_t)1 << (field->width - 1);
            if (word < -half || word >= half) {
                return fail_to_fit(field, index, value, f);
            }
        }
        ((int64_t *)words)[at] = word;
        return 0;
    }
    if (value->negative || (field->width > 0 && field->width < 64 && value->bits >> field->width != 0)) {
        return fail_to_fit(field, index, value, f);
    }
    ((uint64_t *)words)[at] = value->bits;
    return 0;
}

/* Reads `count` operand words from the array; a one-element array stands
 * for every sample. */
static int read_operands(const mxArray *array, const operand_field *field, size_t count,
                         void *words, failure *f) {
    operand_source operand;
    element_value value;
    size_t i;
    operand.class_id = mxGetClassID(array);
    operand.data = mxGetData(array);
    operand.elements = mxGetNumberOfElements(array);
    if (operand.elements == 1 && count > 0) {
        if (read_element(&operand, field, 0, &value, f) != 0) {
            return 1;
        }
        for (i = 0; i < count; ++i) {
            if (store_operand(field, 0, &value, words, i, f) != 0) {
                return 1;
            }
        }
        return 0;
    }
    for (i = 0; i < count; ++i) {
        if (read_element(&operand, field, i, &value, f) != 0 ||
            store_operand(field, i, &value, words, i, f) != 0) {
            return 1;
        }
    }
    return 0;
}

/* ------------------------------------------------------------------------
 * Shapes: the results take the operands' shape; a scalar operand is used
 * for every element of the other.
 * ---------------------------------------------------------------------- */
static void describe_size(const mxArray *array, char *text, size_t size) {
    const mwSize *dims = mxGetDimensions(array);
    mwSize d, ndim = mxGetNumberOfDimensions(array);
    size_t used = 0;
    text[0] = '\0';
    for (d = 0; d < ndim && used < size; ++d) {
        used += (size_t)snprintf(text + used, size - used, d == 0 ? "%zu" : "x%zu", (size_t)dims[d]);
    }
}

static int same_size(const mxArray *a, const mxArray *b) {
    mwSize d, ndim = mxGetNumberOfDimensions(a);
    if (ndim != mxGetNumberOfDimensions(b)) {
        return 0;
    }
    for (d = 0; d < ndim; ++d) {
        if (mxGetDimensions(a)[d] != mxGetDimensions(b)[d]) {
            return 0;
        }
    }
    return 1;
}

/* The array whose shape the results take, or NULL after a failure. */
static const mxArray *result_shape(const mxArray *dividend, const mxArray *divisor, failure *f) {
    char dividend_size[128], divisor_size[128];
    if (mxGetNumberOfElements(dividend) == 1) {
        return divisor;
    }
    if (mxGetNumberOfElements(divisor) == 1 || same_size(dividend, divisor)) {
        return dividend;
    }
    describe_size(dividend, dividend_size, sizeof dividend_size);
    describe_size(divisor, divisor_size, sizeof divisor_size);
    fail(f, "quodra:size",
         "the dividend (%s) and the divisor (%s) differ in size; give arrays of one size, or "
         "one of them scalar",
         dividend_size, divisor_size);
    return NULL;
}

/* ------------------------------------------------------------------------
 * The samples of one call, read and checked.
 * ---------------------------------------------------------------------- */
typedef struct samples {
    qor_quodra_v5_1_config config;
    char *name_storage;
    const mxArray *shape;
    void *dividends; /* mxMalloc'd int64_t or uint64_t words */
    void *divisors;
    size_t count;
    int signed_operands;
} samples;

static void release_samples(samples *s) {
    mxFree(s->name_storage);
    mxFree(s->dividends);
    mxFree(s->divisors);
    s->name_storage = NULL;
    s->dividends = NULL;
    s->divisors = NULL;
}

/* Configuration first (the library's refusal), then the operands' classes,
 * their sizes, and each element against its field. */
static int read_samples(const mxArray *cfg, const mxArray *dividend, const mxArray *divisor,
                        samples *s, failure *f) {
    operand_field dividend_field, divisor_field;
    size_t bytes;
    memset(s, 0, sizeof *s);
    if (read_config(cfg, &s->config, &s->name_storage, f) != 0 ||
        check_configuration(&s->config, f) != 0 ||
        require_operand_class(dividend, "dividend", f) != 0 ||
        require_operand_class(divisor, "divisor", f) != 0) {
        return 1;
    }
    s->shape = result_shape(dividend, divisor, f);
    if (s->shape == NULL) {
        return 1;
    }
    s->count = mxGetNumberOfElements(s->shape);
    s->signed_operands = s->config.operand_sign == QUODRA_OPERAND_SIGNED;
    bytes = (s->count > 0 ? s->count : 1) * sizeof(uint64_t);
    s->dividends = mxMalloc(bytes);
    s->divisors = mxMalloc(bytes);
    dividend_field.role = "dividend";
    dividend_field.width = s->config.dividend_width;
    dividend_field.is_signed = s->signed_operands;
    divisor_field.role = "divisor";
    divisor_field.width = s->config.divisor_width;
    divisor_field.is_signed = s->signed_operands;
    return read_operands(dividend, &dividend_field, s->count, s->dividends, f) != 0 ||
           read_operands(divisor, &divisor_field, s->count, s->divisors, f) != 0;
}

/* ------------------------------------------------------------------------
 * Division through data_do on GNU MP arrays, slice by slice.
 * ---------------------------------------------------------------------- */
typedef struct result_words {
    void *quotients;      /* int64_t when signed_quotient, else uint64_t */
    uint64_t *remainders; /* remainder mode only */
    uint32_t *div_by_zero;
} result_words;

static void set_operand_value(mpz_ptr value, const samples *s, const void *words, size_t i) {
    uint64_t magnitude;
    int negative = 0;
    if (s->signed_operands) {
        const int64_t word = ((const int64_t *)words)[i];
        negative = word < 0;
        magnitude = negative ? 0 - (uint64_t)word : (uint64_t)word;
    } else {
        magnitude = ((const uint64_t *)words)[i];
    }
    mpz_import(value, 1, -1, sizeof magnitude, 0, 0, &magnitude);
    if (negative) {
        mpz_neg(value, value);
    }
}

/* The value's two's-complement word, when it lies in -2^63 .. 2^64 - 1 and
 * is not negative unless allowed. */
static int word_of(mpz_srcptr value, int may_be_negative, uint64_t *word) {
    uint64_t magnitude = 0;
    if (mpz_sizeinbase(value, 2) > 64 || (mpz_sgn(value) < 0 && !may_be_negative)) {
        return 0;
    }
    mpz_export(&magnitude, NULL, -1, sizeof magnitude, 0, 0, value);
    if (mpz_sgn(value) < 0) {
        if (magnitude > (uint64_t)1 << 63) {
            return 0;
        }
        magnitude = 0 - magnitude;
    }
    *word = magnitude;
    return 1;
}

static int read_slice_results(const qor_array_mpz *quotient, const qor_array_mpz *remainder,
                              const qor_array_uint *div_by_zero, const result_fields *fields,
                              size_t first, size_t count, const result_words *out, failure *f) {
    mpz_t value;
    uint64_t word;
    size_t i;
    int status = 0;
    mpz_init(value);
    for (i = 0; i < count && status == 0; ++i) {
        if (qor_quodra_v5_1_qor_array_mpz_get_data(quotient, value, i) != 0 ||
            !word_of(value, fields->signed_quotient, &word)) {
            status = fail(f, "quodra:division", "the library wrote a quotient outside its field");
            break;
        }
        if (fields->signed_quotient) {
            ((int64_t *)out->quotients)[first + i] = (int64_t)word;
        } else {
            ((uint64_t *)out->quotients)[first + i] = word;
        }
        if (remainder != NULL) {
            if (qor_quodra_v5_1_qor_array_mpz_get_data(remainder, value, i) != 0 ||
                !word_of(value, 0, &word)) {
                status =
                    fail(f, "quodra:division", "the library wrote a remainder outside its field");
                break;
            }
            out->remainders[first + i] = word;
        }
        if (qor_quodra_v5_1_qor_array_uint_get_data(div_by_zero, &out->div_by_zero[first + i],
                                                    i) != 0) {
            status = fail(f, "quodra:division", "the library wrote no div_by_zero flag");
        }
    }
    mpz_clear(value);
    return status;
}

static int divide_slice(const quodra_v5_1 *model, const samples *s, const result_fields *fields,
                        size_t first, size_t count, const result_words *out,
                        library_messages *messages, failure *f) {
    qor_array_mpz *divisor = qor_quodra_v5_1_qor_array_mpz_alloc(count);
    qor_array_mpz *dividend = qor_quodra_v5_1_qor_array_mpz_alloc(count);
    qor_array_mpz *quotient = qor_quodra_v5_1_qor_array_mpz_alloc(count);
    qor_array_mpz *remainder = fields->fractional ? NULL : qor_quodra_v5_1_qor_array_mpz_alloc(count);
    qor_array_uint *div_by_zero = qor_quodra_v5_1_qor_array_uint_alloc(count);
    mpz_t value;
    size_t i;
    int status = 0;
    mpz_init(value);
    if (divisor == NULL || dividend == NULL || quotient == NULL || div_by_zero == NULL ||
        (remainder == NULL && !fields->fractional)) {
        status = fail(f, "quodra:memory", "out of memory for the library's arrays");
    }
    for (i = 0; i < count && status == 0; ++i) {
        set_operand_value(value, s, s->divisors, first + i);
        qor_quodra_v5_1_qor_array_mpz_set_data(divisor, value, i);
        set_operand_value(value, s, s->dividends, first + i);
        qor_quodra_v5_1_qor_array_mpz_set_data(dividend, value, i);
    }
    if (status == 0 && qor_quodra_v5_1_data_do(model, divisor, dividend, quotient, remainder,
                                               div_by_zero, (uint32_t)count) != 0) {
        status = fail_with_library_text(f, "quodra:division", messages,
                                        "the library refused the division");
    }
    if (status == 0) {
        status = read_slice_results(quotient, remainder, div_by_zero, fields, first, count, out, f);
    }
    mpz_clear(value);
    qor_quodra_v5_1_qor_array_mpz_destroy(divisor);
    qor_quodra_v5_1_qor_array_mpz_destroy(dividend);
    qor_quodra_v5_1_qor_array_mpz_destroy(quotient);
    qor_quodra_v5_1_qor_array_mpz_destroy(remainder);
    qor_quodra_v5_1_qor_array_uint_destroy(div_by_zero);
    return status;
}

/* Divides every sample: on the word batch when it reaches the
 * configuration and every result, else through data_do. Makes no MEX
 * call, so the model is always destroyed here. */
static int divide_samples(const samples *s, const result_fields *fields, const result_words *out,
                          failure *f) {
    library_messages messages = {{0}};
    quodra_v5_1 *model = qor_quodra_v5_1_create(&s->config, collect_library_message, &messages);
    size_t first;
    int status = 0;
    if (model == NULL) {
        return fail_with_library_text(f, "quodra:config", &messages,
                                      "the library refused the configuration");
    }
#ifdef QUODRA_MEX_ENGINE
    {
        quodra_mex_operands operands;
        operands.signed_operands = s->signed_operands;
        operands.dividends = s->dividends;
        operands.divisors = s->divisors;
        operands.count = s->count;
        if (quodra_mex_divide_words(model, &operands, fields->signed_quotient, out->quotients,
                                    out->remainders, out->div_by_zero)) {
            qor_quodra_v5_1_destroy(model);
            return 0;
        }
    }
#endif
    for (first = 0; first < s->count && status == 0; first += DATA_DO_SLICE) {
        const size_t left = s->count - first;
        status = divide_slice(model, s, fields, first, left < DATA_DO_SLICE ? left : DATA_DO_SLICE,
                              out, &messages, f);
    }
    qor_quodra_v5_1_destroy(model);
    return status;
}

/* ------------------------------------------------------------------------
 * The two commands.
 * ---------------------------------------------------------------------- */
static void raise_failure(const failure *f) { mexErrMsgIdAndTxt(f->id, "%s", f->text); }

static void divide_command(int nlhs, mxArray *plhs[], const mxArray *cfg, const mxArray *dividend,
                           const mxArray *divisor) {
    samples s;
    failure f;
    result_fields fields;
    result_words out;
    mxArray *quotient = NULL, *remainder = NULL, *div_by_zero = NULL;
    uint32_t *flags = NULL;
    mxLogical *flag_out;
    size_t i;
    int status = read_samples(cfg, dividend, divisor, &s, &f);
    if (status == 0) {
        fields = fields_of(&s.config);
        status = require_word_fields(&fields, &f);
    }
    if (status == 0) {
        const mwSize ndim = mxGetNumberOfDimensions(s.shape);
        const mwSize *dims = mxGetDimensions(s.shape);
        quotient = mxCreateNumericArray(ndim, dims, fields.signed_quotient ? mxINT64_CLASS : mxUINT64_CLASS, mxREAL);
        remainder = fields.fractional ? mxCreateDoubleMatrix(0, 0, mxREAL)
                                      : mxCreateNumericArray(ndim, dims, mxUINT64_CLASS, mxREAL);
        div_by_zero = mxCreateLogicalArray(ndim, dims);
        flags = (uint32_t *)mxCalloc(s.count > 0 ? s.count : 1, sizeof *flags);
        out.quotients = mxGetData(quotient);
        out.remainders = fields.fractional ? NULL : (uint64_t *)mxGetData(remainder);
        out.div_by_zero = flags;
        status = divide_samples(&s, &fields, &out, &f);
    }
    release_samples(&s);
    if (status != 0) {
        mxFree(flags);
        if (quotient != NULL) mxDestroyArray(quotient);
        if (remainder != NULL) mxDestroyArray(remainder);
        if (div_by_zero != NULL) mxDestroyArray(div_by_zero);
        raise_failure(&f);
        return;
    }
    flag_out = mxGetLogicals(div_by_zero);
    for (i = 0; i < s.count; ++i) {
        flag_out[i] = flags[i] != 0;
    }
    mxFree(flags);
    plhs[0] = quotient;
    if (nlhs > 1) plhs[1] = remainder; else mxDestroyArray(remainder);
    if (nlhs > 2) plhs[2] = div_by_zero; else mxDestroyArray(div_by_zero);
}

static int read_file_name(const mxArray *file, char **name, failure *f) {
    *name = NULL;
    if (!mxIsChar(file) || mxGetM(file) != 1 || mxGetNumberOfElements(file) == 0) {
        return fail(f, "quodra:file", "the file must be given as a non-empty character row vector");
    }
    *name = mxArrayToString(file);
    return 0;
}

#ifdef QUODRA_MEX_ENGINE
/* Writes the rows, removing the file again when anything fails, so that a
 * failed call leaves no partial vector file behind. */
static int write_hex_file(const samples *s, const char *name, failure *f) {
    quodra_mex_operands operands;
    char reason[1024];
    FILE *out = fopen(name, "wb");
    int write_failed, status;
    if (out == NULL) {
        return fail(f, "quodra:file", "cannot open '%s' for writing: %s", name, strerror(errno));
    }
    operands.signed_operands = s->signed_operands;
    operands.dividends = s->dividends;
    operands.divisors = s->divisors;
    operands.count = s->count;
    status = quodra_mex_write_hex_rows(&s->config, &operands, out, reason, sizeof reason);
    write_failed = ferror(out) != 0;
    if (fclose(out) != 0) {
        write_failed = 1;
        if (status == 0) {
            snprintf(reason, sizeof reason, "%s", strerror(errno));
        }
        status = 1;
    }
    if (status != 0) {
        remove(name);
        return fail(f, write_failed ? "quodra:file" : "quodra:division", "%s", reason);
    }
    return 0;
}
#endif

static void hex_command(const mxArray *cfg, const mxArray *dividend, const mxArray *divisor,
                        const mxArray *file) {
    samples s;
    failure f;
    char *name = NULL;
    int status = read_samples(cfg, dividend, divisor, &s, &f);
    if (status == 0) {
        status = read_file_name(file, &name, &f);
    }
#ifdef QUODRA_MEX_ENGINE
    if (status == 0) {
        status = write_hex_file(&s, name, &f);
    }
#else
    if (status == 0) {
        status = fail(&f, "quodra:unavailable",
                      "quodra_hex_vectors needs the MEX file built with the project (CMake); "
                      "this one was built from quodra_mex.c alone");
    }
#endif
    release_samples(&s);
    mxFree(name);
    if (status != 0) {
        raise_failure(&f);
    }
}

void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]) {
    char command[16] = "";
    if (nrhs >= 1 && mxIsChar(prhs[0])) {
        mxGetString(prhs[0], command, sizeof command);
    }
    if (strcmp(command, "divide") == 0 && nrhs == 4 && nlhs <= 3) {
        divide_command(nlhs, plhs, prhs[1], prhs[2], prhs[3]);
    } else if (strcmp(command, "hex") == 0 && nrhs == 5 && nlhs == 0) {
        hex_command(prhs[1], prhs[2], prhs[3], prhs[4]);
    } else {
        mexErrMsgIdAndTxt("quodra:usage",
                          "call quodra_divide(cfg, dividend, divisor) or "
                          "quodra_hex_vectors(cfg, dividend, divisor, file)");
    }
}

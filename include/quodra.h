/*
 * quodra.h - bit-exact model of a hardware divider core, plain C interface.
 *
 * A caller fills a qor_quodra_v5_1_config (usually starting from
 * qor_quodra_v5_1_default_config), creates a model with a message handler,
 * passes arrays of samples to qor_quodra_v5_1_data_do (GNU MP integers) or
 * qor_quodra_v5_1_data_real_do (doubles) and destroys the model.
 *
 * Conventions
 *   - Status results: 0 for success, 1 for failure.
 *   - Every problem is reported through the caller's qor_msg_handler; the
 *     library never prints. Model-bound messages read
 *     "<name> ERROR: <text>", "<name> WARNING: <text>" or "<name> NOTE: <text>".
 *   - The divisor always comes before the dividend.
 *   - Signed operands are given as negative integers, not bit patterns.
 *     Remainder-mode and Radix-2 results come back as non-negative
 *     two's-complement patterns of their field width; the High Radix
 *     quotient comes back as a signed integer.
 *   - The caller owns configuration records, arrays and the handle; the
 *     library owns models and the texts it hands out.
 *
 * The declarations are C89-compatible apart from <stdint.h>. mpz element
 * pointers are declared const where the library only reads; strict ISO C
 * before C2X warns (-Wpedantic only) when a `mpz_t *` is passed for a
 * `const mpz_t *`, which is harmless.
 */
#ifndef QUODRA_H
#define QUODRA_H

#include <stddef.h>
#include <stdint.h>
#include <gmp.h>

#if defined(_WIN32)
#  if defined(QUODRA_BUILDING_LIBRARY)
#    define QOR_API __declspec(dllexport)
#  else
#    define QOR_API __declspec(dllimport)
#  endif
#elif defined(__GNUC__) && __GNUC__ >= 4
#  define QOR_API __attribute__((visibility("default")))
#else
#  define QOR_API
#endif

/* ------------------------------------------------------------------------
 * Compile-time version and named configuration values. The version string
 * is the text qor_quodra_v5_1_get_version returns at run time, so a caller
 * can check that the header it compiled against matches the library it
 * loaded.
 * ---------------------------------------------------------------------- */
#define QUODRA_VERSION_MAJOR 5
#define QUODRA_VERSION_MINOR 1
#define QUODRA_VERSION_PATCH 0
#define QUODRA_VERSION_STRING "5.1"

/* algorithm_type */
#define QUODRA_ALGORITHM_RADIX2 1     /* bit-serial non-restoring divider */
#define QUODRA_ALGORITHM_HIGH_RADIX 3 /* radix-2^14 recurrence on prescaled operands */
#define QUODRA_ALGORITHM_LUTMULT 4    /* remainder output only */

/* operand_sign: 1 is signed; every other value reads as unsigned */
#define QUODRA_OPERAND_UNSIGNED 0
#define QUODRA_OPERAND_SIGNED 1

/* remainder_type: the output mode */
#define QUODRA_OUTPUT_REMAINDER 0  /* integer quotient and remainder */
#define QUODRA_OUTPUT_FRACTIONAL 1 /* fixed-point quotient with fractional_width fraction bits */

/* Largest register, in bits, that one data call builds. Creation accepts any
 * width; qor_quodra_v5_1_data_do and qor_quodra_v5_1_data_real_do refuse,
 * before any sample is read or written, a call whose path would need a wider
 * one: signed remainder output, dividend_width and divisor_width; Radix-2,
 * dividend_width, fractional_width where the signed layout uses it, and
 * dividend_width + fractional_width in fractional output; High Radix, its
 * quotient digit string of 14 * ceil((dividend_width + fractional_width + 2)
 * / 14) + 2 bits. Remainder output also refuses an operand whose magnitude
 * is wider. One sample at the limit takes milliseconds and a few megabytes. */
#define QUODRA_MAX_REGISTER_BITS 1048576L

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------
 * Configuration record. Layout is part of the interface: a pointer followed
 * by eight 32-bit integers in natural alignment.
 * ---------------------------------------------------------------------- */
typedef struct qor_quodra_v5_1_config {
    const char *name;         /* names the configuration in every message; never null at create */
    int32_t algorithm_type;   /* 1 = Radix-2, 3 = High Radix, 4 = LutMult        (default 1)  */
    int32_t divisor_width;    /* bits of a divisor sample; width of the remainder (default 16) */
    int32_t dividend_width;   /* bits of a dividend sample; width of the quotient (default 16) */
    int32_t operand_sign;     /* 1 = signed two's complement, other = unsigned   (default 1)  */
    int32_t remainder_type;   /* 0 = quotient and remainder, 1 = fractional      (default 0)  */
    int32_t fractional_width; /* fraction bits of a fractional quotient          (default 16) */
    int32_t aux_param_1;      /* kept and handed back, never computed with       (default 1)  */
    int32_t aux_param_2;      /* kept and handed back; default_config leaves it untouched       */
} qor_quodra_v5_1_config;

/* The model object: opaque to callers. */
typedef struct quodra_v5_1 quodra_v5_1;

/* Message handler: error is 1 for errors, 0 for warnings and notes. The
 * message is valid only during the call. */
typedef void (*qor_msg_handler)(void *handle, int32_t error, const char *message);

/* Complex element types. */
typedef struct qor_complex {
    double re;
    double im;
} qor_complex;

typedef struct qor_mpz_complex {
    mpz_t re;
    mpz_t im;
} qor_mpz_complex;

/* ------------------------------------------------------------------------
 * Model functions
 * ---------------------------------------------------------------------- */

/* Writes the defaults into every field but aux_param_2. Null: 1. */
QOR_API int32_t qor_quodra_v5_1_default_config(qor_quodra_v5_1_config *config);

/* "5.1"; the same pointer on every call, owned by the library. */
QOR_API const char *qor_quodra_v5_1_get_version(void);

/* Copies the model's configuration; config->name then points into the
 * model and stays valid until the model is destroyed. */
QOR_API int32_t qor_quodra_v5_1_get_config(const quodra_v5_1 *model, qor_quodra_v5_1_config *config);

/* Deletes the model and its logger. Null: 1. */
QOR_API int32_t qor_quodra_v5_1_destroy(quodra_v5_1 *model);

/* Validates the configuration and makes a model; null on failure, after one
 * handler call with the bare reason. The record is only read during the call.
 * handler may be null. */
QOR_API quodra_v5_1 *qor_quodra_v5_1_create(const qor_quodra_v5_1_config *config,
                                            qor_msg_handler handler, void *handle);

/* ------------------------------------------------------------------------
 * Array descriptors. Seven families of identical shape. Storage grows only,
 * to exactly the requested count, through the table's realloc; `destroy`
 * clears every slot below data_capacity and returns null when it released
 * the descriptor (store the result back: a = destroy(a)). Indices are
 * column-major: the first subscript varies fastest.
 *
 * get_default_ops returns the family's shared default table. It is constant
 * data in read-only memory: never write through the pointer; to change an
 * operation, copy the table, edit the copy and pass it to create_ex (the
 * copy must outlive every array made with it).
 * ---------------------------------------------------------------------- */

/* ---- qor_array_bit: elements of type unsigned char ---- */
typedef struct qor_array_bit_ops qor_array_bit_ops;
struct qor_array_bit_ops {
    void *(*realloc)(qor_array_bit_ops *ops, void *block, size_t bytes);
    void (*free)(qor_array_bit_ops *ops, void *block);
    void (*init)(qor_array_bit_ops *ops, unsigned char *slot);
    void (*copy)(qor_array_bit_ops *ops, unsigned char *dst, const unsigned char *src);
    void (*swap)(qor_array_bit_ops *ops, unsigned char *a, unsigned char *b);
    void (*clear)(qor_array_bit_ops *ops, unsigned char *slot);
    void *reserved;
};
typedef struct qor_array_bit {
    unsigned char *data;
    size_t data_size;
    size_t data_capacity;
    size_t *dim;
    size_t dim_size;
    size_t dim_capacity;
    int32_t owner;
    qor_array_bit_ops *ops;
} qor_array_bit;

QOR_API qor_array_bit_ops *qor_quodra_v5_1_qor_array_bit_get_default_ops(void);
QOR_API qor_array_bit *qor_quodra_v5_1_qor_array_bit_create(void);
QOR_API qor_array_bit *qor_quodra_v5_1_qor_array_bit_create_ex(qor_array_bit_ops *ops);
QOR_API int qor_quodra_v5_1_qor_array_bit_reserve_data(qor_array_bit *array, size_t count);
QOR_API int qor_quodra_v5_1_qor_array_bit_reserve_dim(qor_array_bit *array, size_t count);
QOR_API qor_array_bit *qor_quodra_v5_1_qor_array_bit_destroy(qor_array_bit *array);
QOR_API size_t qor_quodra_v5_1_qor_array_bit_sub2ind_1d(const qor_array_bit *array, size_t i0);
QOR_API size_t qor_quodra_v5_1_qor_array_bit_sub2ind_2d(const qor_array_bit *array, size_t i0, size_t i1);
QOR_API size_t qor_quodra_v5_1_qor_array_bit_sub2ind_3d(const qor_array_bit *array, size_t i0, size_t i1, size_t i2);
QOR_API size_t qor_quodra_v5_1_qor_array_bit_sub2ind_4d(const qor_array_bit *array, size_t i0, size_t i1, size_t i2, size_t i3);
QOR_API int qor_quodra_v5_1_qor_array_bit_set_element(qor_array_bit *array, const unsigned char *value, size_t index);
QOR_API int qor_quodra_v5_1_qor_array_bit_get_element(const qor_array_bit *array, unsigned char *dst, size_t index);

/* ---- qor_array_real: elements of type double ---- */
typedef struct qor_array_real_ops qor_array_real_ops;
struct qor_array_real_ops {
    void *(*realloc)(qor_array_real_ops *ops, void *block, size_t bytes);
    void (*free)(qor_array_real_ops *ops, void *block);
    void (*init)(qor_array_real_ops *ops, double *slot);
    void (*copy)(qor_array_real_ops *ops, double *dst, const double *src);
    void (*swap)(qor_array_real_ops *ops, double *a, double *b);
    void (*clear)(qor_array_real_ops *ops, double *slot);
    void *reserved;
};
typedef struct qor_array_real {
    double *data;
    size_t data_size;
    size_t data_capacity;
    size_t *dim;
    size_t dim_size;
    size_t dim_capacity;
    int32_t owner;
    qor_array_real_ops *ops;
} qor_array_real;

QOR_API qor_array_real_ops *qor_quodra_v5_1_qor_array_real_get_default_ops(void);
QOR_API qor_array_real *qor_quodra_v5_1_qor_array_real_create(void);
QOR_API qor_array_real *qor_quodra_v5_1_qor_array_real_create_ex(qor_array_real_ops *ops);
QOR_API int qor_quodra_v5_1_qor_array_real_reserve_data(qor_array_real *array, size_t count);
QOR_API int qor_quodra_v5_1_qor_array_real_reserve_dim(qor_array_real *array, size_t count);
QOR_API qor_array_real *qor_quodra_v5_1_qor_array_real_destroy(qor_array_real *array);
QOR_API size_t qor_quodra_v5_1_qor_array_real_sub2ind_1d(const qor_array_real *array, size_t i0);
QOR_API size_t qor_quodra_v5_1_qor_array_real_sub2ind_2d(const qor_array_real *array, size_t i0, size_t i1);
QOR_API size_t qor_quodra_v5_1_qor_array_real_sub2ind_3d(const qor_array_real *array, size_t i0, size_t i1, size_t i2);
QOR_API size_t qor_quodra_v5_1_qor_array_real_sub2ind_4d(const qor_array_real *array, size_t i0, size_t i1, size_t i2, size_t i3);
QOR_API int qor_quodra_v5_1_qor_array_real_set_element(qor_array_real *array, const double *value, size_t index);
QOR_API int qor_quodra_v5_1_qor_array_real_get_element(const qor_array_real *array, double *dst, size_t index);

/* ---- qor_array_complex: elements of type qor_complex ---- */
typedef struct qor_array_complex_ops qor_array_complex_ops;
struct qor_array_complex_ops {
    void *(*realloc)(qor_array_complex_ops *ops, void *block, size_t bytes);
    void (*free)(qor_array_complex_ops *ops, void *block);
    void (*init)(qor_array_complex_ops *ops, qor_complex *slot);
    void (*copy)(qor_array_complex_ops *ops, qor_complex *dst, const qor_complex *src);
    void (*swap)(qor_array_complex_ops *ops, qor_complex *a, qor_complex *b);
    void (*clear)(qor_array_complex_ops *ops, qor_complex *slot);
    void *reserved;
};
typedef struct qor_array_complex {
    qor_complex *data;
    size_t data_size;
    size_t data_capacity;
    size_t *dim;
    size_t dim_size;
    size_t dim_capacity;
    int32_t owner;
    qor_array_complex_ops *ops;
} qor_array_complex;

QOR_API qor_array_complex_ops *qor_quodra_v5_1_qor_array_complex_get_default_ops(void);
QOR_API qor_array_complex *qor_quodra_v5_1_qor_array_complex_create(void);
QOR_API qor_array_complex *qor_quodra_v5_1_qor_array_complex_create_ex(qor_array_complex_ops *ops);
QOR_API int qor_quodra_v5_1_qor_array_complex_reserve_data(qor_array_complex *array, size_t count);
QOR_API int qor_quodra_v5_1_qor_array_complex_reserve_dim(qor_array_complex *array, size_t count);
QOR_API qor_array_complex *qor_quodra_v5_1_qor_array_complex_destroy(qor_array_complex *array);
QOR_API size_t qor_quodra_v5_1_qor_array_complex_sub2ind_1d(const qor_array_complex *array, size_t i0);
QOR_API size_t qor_quodra_v5_1_qor_array_complex_sub2ind_2d(const qor_array_complex *array, size_t i0, size_t i1);
QOR_API size_t qor_quodra_v5_1_qor_array_complex_sub2ind_3d(const qor_array_complex *array, size_t i0, size_t i1, size_t i2);
QOR_API size_t qor_quodra_v5_1_qor_array_complex_sub2ind_4d(const qor_array_complex *array, size_t i0, size_t i1, size_t i2, size_t i3);
QOR_API int qor_quodra_v5_1_qor_array_complex_set_element(qor_array_complex *array, const qor_complex *value, size_t index);
QOR_API int qor_quodra_v5_1_qor_array_complex_get_element(const qor_array_complex *array, qor_complex *dst, size_t index);

/* ---- qor_array_uint: elements of type unsigned int ---- */
typedef struct qor_array_uint_ops qor_array_uint_ops;
struct qor_array_uint_ops {
    void *(*realloc)(qor_array_uint_ops *ops, void *block, size_t bytes);
    void (*free)(qor_array_uint_ops *ops, void *block);
    void (*init)(qor_array_uint_ops *ops, unsigned int *slot);
    void (*copy)(qor_array_uint_ops *ops, unsigned int *dst, const unsigned int *src);
    void (*swap)(qor_array_uint_ops *ops, unsigned int *a, unsigned int *b);
    void (*clear)(qor_array_uint_ops *ops, unsigned int *slot);
    void *reserved;
};
typedef struct qor_array_uint {
    unsigned int *data;
    size_t data_size;
    size_t data_capacity;
    size_t *dim;
    size_t dim_size;
    size_t dim_capacity;
    int32_t owner;
    qor_array_uint_ops *ops;
} qor_array_uint;

QOR_API qor_array_uint_ops *qor_quodra_v5_1_qor_array_uint_get_default_ops(void);
QOR_API qor_array_uint *qor_quodra_v5_1_qor_array_uint_create(void);
QOR_API qor_array_uint *qor_quodra_v5_1_qor_array_uint_create_ex(qor_array_uint_ops *ops);
QOR_API int qor_quodra_v5_1_qor_array_uint_reserve_data(qor_array_uint *array, size_t count);
QOR_API int qor_quodra_v5_1_qor_array_uint_reserve_dim(qor_array_uint *array, size_t count);
QOR_API qor_array_uint *qor_quodra_v5_1_qor_array_uint_destroy(qor_array_uint *array);
QOR_API size_t qor_quodra_v5_1_qor_array_uint_sub2ind_1d(const qor_array_uint *array, size_t i0);
QOR_API size_t qor_quodra_v5_1_qor_array_uint_sub2ind_2d(const qor_array_uint *array, size_t i0, size_t i1);
QOR_API size_t qor_quodra_v5_1_qor_array_uint_sub2ind_3d(const qor_array_uint *array, size_t i0, size_t i1, size_t i2);
QOR_API size_t qor_quodra_v5_1_qor_array_uint_sub2ind_4d(const qor_array_uint *array, size_t i0, size_t i1, size_t i2, size_t i3);
QOR_API int qor_quodra_v5_1_qor_array_uint_set_element(qor_array_uint *array, const unsigned int *value, size_t index);
QOR_API int qor_quodra_v5_1_qor_array_uint_get_element(const qor_array_uint *array, unsigned int *dst, size_t index);

/* ---- qor_array_uint32: elements of type uint32_t ---- */
typedef struct qor_array_uint32_ops qor_array_uint32_ops;
struct qor_array_uint32_ops {
    void *(*realloc)(qor_array_uint32_ops *ops, void *block, size_t bytes);
    void (*free)(qor_array_uint32_ops *ops, void *block);
    void (*init)(qor_array_uint32_ops *ops, uint32_t *slot);
    void (*copy)(qor_array_uint32_ops *ops, uint32_t *dst, const uint32_t *src);
    void (*swap)(qor_array_uint32_ops *ops, uint32_t *a, uint32_t *b);
    void (*clear)(qor_array_uint32_ops *ops, uint32_t *slot);
    void *reserved;
};
typedef struct qor_array_uint32 {
    uint32_t *data;
    size_t data_size;
    size_t data_capacity;
    size_t *dim;
    size_t dim_size;
    size_t dim_capacity;
    int32_t owner;
    qor_array_uint32_ops *ops;
} qor_array_uint32;

QOR_API qor_array_uint32_ops *qor_quodra_v5_1_qor_array_uint32_get_default_ops(void);
QOR_API qor_array_uint32 *qor_quodra_v5_1_qor_array_uint32_create(void);
QOR_API qor_array_uint32 *qor_quodra_v5_1_qor_array_uint32_create_ex(qor_array_uint32_ops *ops);
QOR_API int qor_quodra_v5_1_qor_array_uint32_reserve_data(qor_array_uint32 *array, size_t count);
QOR_API int qor_quodra_v5_1_qor_array_uint32_reserve_dim(qor_array_uint32 *array, size_t count);
QOR_API qor_array_uint32 *qor_quodra_v5_1_qor_array_uint32_destroy(qor_array_uint32 *array);
QOR_API size_t qor_quodra_v5_1_qor_array_uint32_sub2ind_1d(const qor_array_uint32 *array, size_t i0);
QOR_API size_t qor_quodra_v5_1_qor_array_uint32_sub2ind_2d(const qor_array_uint32 *array, size_t i0, size_t i1);
QOR_API size_t qor_quodra_v5_1_qor_array_uint32_sub2ind_3d(const qor_array_uint32 *array, size_t i0, size_t i1, size_t i2);
QOR_API size_t qor_quodra_v5_1_qor_array_uint32_sub2ind_4d(const qor_array_uint32 *array, size_t i0, size_t i1, size_t i2, size_t i3);
QOR_API int qor_quodra_v5_1_qor_array_uint32_set_element(qor_array_uint32 *array, const uint32_t *value, size_t index);
QOR_API int qor_quodra_v5_1_qor_array_uint32_get_element(const qor_array_uint32 *array, uint32_t *dst, size_t index);

/* ---- qor_array_mpz: elements of type mpz_t ---- */
typedef struct qor_array_mpz_ops qor_array_mpz_ops;
struct qor_array_mpz_ops {
    void *(*realloc)(qor_array_mpz_ops *ops, void *block, size_t bytes);
    void (*free)(qor_array_mpz_ops *ops, void *block);
    void (*init)(qor_array_mpz_ops *ops, mpz_t *slot);
    void (*copy)(qor_array_mpz_ops *ops, mpz_t *dst, const mpz_t *src);
    void (*swap)(qor_array_mpz_ops *ops, mpz_t *a, mpz_t *b);
    void (*clear)(qor_array_mpz_ops *ops, mpz_t *slot);
    void *reserved;
};
typedef struct qor_array_mpz {
    mpz_t *data;
    size_t data_size;
    size_t data_capacity;
    size_t *dim;
    size_t dim_size;
    size_t dim_capacity;
    int32_t owner;
    qor_array_mpz_ops *ops;
} qor_array_mpz;

QOR_API qor_array_mpz_ops *qor_quodra_v5_1_qor_array_mpz_get_default_ops(void);
QOR_API qor_array_mpz *qor_quodra_v5_1_qor_array_mpz_create(void);
QOR_API qor_array_mpz *qor_quodra_v5_1_qor_array_mpz_create_ex(qor_array_mpz_ops *ops);
QOR_API int qor_quodra_v5_1_qor_array_mpz_reserve_data(qor_array_mpz *array, size_t count);
QOR_API int qor_quodra_v5_1_qor_array_mpz_reserve_dim(qor_array_mpz *array, size_t count);
QOR_API qor_array_mpz *qor_quodra_v5_1_qor_array_mpz_destroy(qor_array_mpz *array);
QOR_API size_t qor_quodra_v5_1_qor_array_mpz_sub2ind_1d(const qor_array_mpz *array, size_t i0);
QOR_API size_t qor_quodra_v5_1_qor_array_mpz_sub2ind_2d(const qor_array_mpz *array, size_t i0, size_t i1);
QOR_API size_t qor_quodra_v5_1_qor_array_mpz_sub2ind_3d(const qor_array_mpz *array, size_t i0, size_t i1, size_t i2);
QOR_API size_t qor_quodra_v5_1_qor_array_mpz_sub2ind_4d(const qor_array_mpz *array, size_t i0, size_t i1, size_t i2, size_t i3);
QOR_API int qor_quodra_v5_1_qor_array_mpz_set_element(qor_array_mpz *array, const mpz_t *value, size_t index);
QOR_API int qor_quodra_v5_1_qor_array_mpz_get_element(const qor_array_mpz *array, mpz_t *dst, size_t index);

/* ---- qor_array_mpz_complex: elements of type qor_mpz_complex ---- */
typedef struct qor_array_mpz_complex_ops qor_array_mpz_complex_ops;
struct qor_array_mpz_complex_ops {
    void *(*realloc)(qor_array_mpz_complex_ops *ops, void *block, size_t bytes);
    void (*free)(qor_array_mpz_complex_ops *ops, void *block);
    void (*init)(qor_array_mpz_complex_ops *ops, qor_mpz_complex *slot);
    void (*copy)(qor_array_mpz_complex_ops *ops, qor_mpz_complex *dst, const qor_mpz_complex *src);
    void (*swap)(qor_array_mpz_complex_ops *ops, qor_mpz_complex *a, qor_mpz_complex *b);
    void (*clear)(qor_array_mpz_complex_ops *ops, qor_mpz_complex *slot);
    void *reserved;
};
typedef struct qor_array_mpz_complex {
    qor_mpz_complex *data;
    size_t data_size;
    size_t data_capacity;
    size_t *dim;
    size_t dim_size;
    size_t dim_capacity;
    int32_t owner;
    qor_array_mpz_complex_ops *ops;
} qor_array_mpz_complex;

QOR_API qor_array_mpz_complex_ops *qor_quodra_v5_1_qor_array_mpz_complex_get_default_ops(void);
QOR_API qor_array_mpz_complex *qor_quodra_v5_1_qor_array_mpz_complex_create(void);
QOR_API qor_array_mpz_complex *qor_quodra_v5_1_qor_array_mpz_complex_create_ex(qor_array_mpz_complex_ops *ops);
QOR_API int qor_quodra_v5_1_qor_array_mpz_complex_reserve_data(qor_array_mpz_complex *array, size_t count);
QOR_API int qor_quodra_v5_1_qor_array_mpz_complex_reserve_dim(qor_array_mpz_complex *array, size_t count);
QOR_API qor_array_mpz_complex *qor_quodra_v5_1_qor_array_mpz_complex_destroy(qor_array_mpz_complex *array);
QOR_API size_t qor_quodra_v5_1_qor_array_mpz_complex_sub2ind_1d(const qor_array_mpz_complex *array, size_t i0);
QOR_API size_t qor_quodra_v5_1_qor_array_mpz_complex_sub2ind_2d(const qor_array_mpz_complex *array, size_t i0, size_t i1);
QOR_API size_t qor_quodra_v5_1_qor_array_mpz_complex_sub2ind_3d(const qor_array_mpz_complex *array, size_t i0, size_t i1, size_t i2);
QOR_API size_t qor_quodra_v5_1_qor_array_mpz_complex_sub2ind_4d(const qor_array_mpz_complex *array, size_t i0, size_t i1, size_t i2, size_t i3);
QOR_API int qor_quodra_v5_1_qor_array_mpz_complex_set_element(qor_array_mpz_complex *array, const qor_mpz_complex *value, size_t index);
QOR_API int qor_quodra_v5_1_qor_array_mpz_complex_get_element(const qor_array_mpz_complex *array, qor_mpz_complex *dst, size_t index);

/* ------------------------------------------------------------------------
 * Sample vectors: one-dimensional uint and mpz arrays of n samples, and
 * per-sample access (index beyond data_size: status 1, nothing touched).
 * ---------------------------------------------------------------------- */
QOR_API qor_array_uint *qor_quodra_v5_1_qor_array_uint_alloc(size_t count);
QOR_API qor_array_mpz *qor_quodra_v5_1_qor_array_mpz_alloc(size_t count);
QOR_API int qor_quodra_v5_1_qor_array_uint_set_data(qor_array_uint *array, uint32_t value, size_t index);
QOR_API int qor_quodra_v5_1_qor_array_uint_get_data(const qor_array_uint *array, uint32_t *dst, size_t index);
QOR_API int qor_quodra_v5_1_qor_array_mpz_set_data(qor_array_mpz *array, const mpz_t value, size_t index);
QOR_API int qor_quodra_v5_1_qor_array_mpz_get_data(const qor_array_mpz *array, mpz_t dst, size_t index);

/* ------------------------------------------------------------------------
 * Division. Arrays: divisor, dividend, quotient, remainder (may be null in
 * fractional mode), div_by_zero flags, then the number of samples.
 * ---------------------------------------------------------------------- */
QOR_API int32_t qor_quodra_v5_1_data_do(const quodra_v5_1 *model,
                                        qor_array_mpz *divisor, qor_array_mpz *dividend,
                                        qor_array_mpz *quotient, qor_array_mpz *remainder,
                                        qor_array_uint *div_by_zero, uint32_t count);

/* The same with doubles. Non-integer inputs are truncated towards zero with
 * a warning; fractional quotients come back scaled by 2^-fractional_width. */
QOR_API int32_t qor_quodra_v5_1_data_real_do(const quodra_v5_1 *model,
                                             qor_array_real *divisor, qor_array_real *dividend,
                                             qor_array_real *quotient, qor_array_real *remainder,
                                             qor_array_uint *div_by_zero, uint32_t count);

#ifdef __cplusplus
}
#endif

#endif /* QUODRA_H */

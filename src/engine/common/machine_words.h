// GNU MP integers to and from 64- and 128-bit machine words, for the
// division paths that run in words when a sample's values fit. Reading a
// word looks at the integer's limbs directly and writing one sets a working
// integer whose limbs were sized by earlier samples, so neither allocates in
// steady state.
#ifndef QUODRA_ENGINE_MACHINE_WORDS_H
#define QUODRA_ENGINE_MACHINE_WORDS_H

#include <climits>
#include <cstddef>
#include <cstdint>
#include <gmp.h>

namespace machine_words {

// Words need GNU MP limbs and unsigned longs of exactly 64 bits.
constexpr bool available = GMP_NUMB_BITS == 64 && GMP_NAIL_BITS == 0 && ULONG_MAX == UINT64_MAX;

#if defined(__SIZEOF_INT128__)
#define QUODRA_HAVE_UINT128 1
__extension__ typedef unsigned __int128 uint128;
__extension__ typedef __int128 int128;
#endif

template <class Word> constexpr unsigned bits_of() { return sizeof(Word) * CHAR_BIT; }

template <class Word> constexpr std::size_t limbs_of() { return sizeof(Word) / sizeof(uint64_t); }

// The low `width` bits of a word; every bit when width reaches the word.
template <class Word> inline Word low_bits(Word value, uint64_t width) {
    return width >= bits_of<Word>() ? value : value & ((Word{1} << width) - 1);
}

// value >> shift, zero once the shift reaches the word.
template <class Word> inline Word shifted_right(Word value, uint64_t shift) {
    return shift >= bits_of<Word>() ? Word{0} : value >> shift;
}

// value << shift, zero once the shift reaches the word.
template <class Word> inline Word shifted_left(Word value, uint64_t shift) {
    return shift >= bits_of<Word>() ? Word{0} : value << shift;
}

// True when |value| fits a Word.
template <class Word> inline bool magnitude_fits(mpz_srcptr value) {
    return mpz_size(value) <= limbs_of<Word>();
}

// |value| as a Word; only its low limbs are read, so this is |value| mod 2^bits.
template <class Word> inline Word magnitude_of(mpz_srcptr value) {
    Word magnitude = 0;
    for (std::size_t limb = 0; limb < limbs_of<Word>(); ++limb) {
        magnitude |= static_cast<Word>(mpz_getlimbn(value, static_cast<mp_size_t>(limb)))
                     << (64 * limb);
    }
    return magnitude;
}

// The low bits of an integer as a two's-complement word.
template <class Word> inline Word low_bits_of(mpz_srcptr value) {
    const Word magnitude = magnitude_of<Word>(value);
    return mpz_sgn(value) < 0 ? Word{0} - magnitude : magnitude;
}

// target = value.
inline void set_word(mpz_ptr target, uint64_t value) {
    mpz_set_ui(target, static_cast<unsigned long>(value));
}

#if defined(QUODRA_HAVE_UINT128)
// Two limbs written in place: mpz_limbs_write grows the integer only the
// first time, later samples reuse its limbs.
inline void set_word(mpz_ptr target, uint128 value) {
    const auto high = static_cast<uint64_t>(value >> 64);
    if (high == 0) {
        set_word(target, static_cast<uint64_t>(value));
        return;
    }
    mp_limb_t *limbs = mpz_limbs_write(target, 2);
    limbs[0] = static_cast<mp_limb_t>(static_cast<uint64_t>(value));
    limbs[1] = static_cast<mp_limb_t>(high);
    mpz_limbs_finish(target, 2);
}
#endif

// target = -magnitude when `negative`, else magnitude.
template <class Word> inline void set_signed_word(mpz_ptr target, Word magnitude, bool negative) {
    set_word(target, magnitude);
    if (negative) {
        mpz_neg(target, target);
    }
}

} // namespace machine_words

#endif

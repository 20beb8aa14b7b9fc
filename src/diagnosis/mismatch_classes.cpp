#include "diagnosis/mismatch_classes.h"

#include <cstddef>

namespace quodra_diagnosis {

namespace {

constexpr int high_radix = 3;

class integer {
public:
    integer() { mpz_init(value_); }
    explicit integer(mpz_srcptr v) { mpz_init_set(value_, v); }
    ~integer() { mpz_clear(value_); }
    integer(const integer &) = delete;
    integer &operator=(const integer &) = delete;
    mpz_ptr get() { return value_; }
    mpz_srcptr get() const { return value_; }

private:
    mpz_t value_;
};

// A field as the core writes it: its width and whether its pattern is read
// as two's complement.
struct field_format {
    unsigned width;
    bool is_signed;
};

field_format quotient_format(const divider_shape &s) {
    if (s.fractional && s.algorithm == high_radix) return {s.dividend_width + 1, true};
    return {s.dividend_width, s.is_signed};
}

field_format second_format(const divider_shape &s) {
    if (!s.fractional) return {s.divisor_width, s.is_signed};
    return {s.fraction_width, s.is_signed && s.algorithm != high_radix};
}

// value mod 2^width: the field's bit pattern.
void to_pattern(mpz_ptr value, unsigned width) { mpz_fdiv_r_2exp(value, value, width); }

// The pattern read as the field's value.
void to_value(mpz_ptr pattern, field_format format) {
    to_pattern(pattern, format.width);
    if (format.is_signed && format.width > 0 && mpz_tstbit(pattern, format.width - 1)) {
        integer modulus;
        mpz_setbit(modulus.get(), format.width);
        mpz_sub(pattern, pattern, modulus.get());
    }
}

bool same_pattern(mpz_srcptr model_value, mpz_srcptr written, unsigned width) {
    integer expected(model_value);
    to_pattern(expected.get(), width);
    return mpz_cmp(expected.get(), written) == 0;
}

// The model's value cut to a narrower width w and zero- or sign-extended
// back: what a datapath of the wrong width writes into the field. Only
// widths of at least half the field's (and 2 bits) count: a cut to a bit or
// two matches nearly any small value.
bool holds_a_narrower_cut(mpz_srcptr model_value, mpz_srcptr written, unsigned width) {
    const unsigned narrowest = width / 2 > 2 ? width / 2 : 2;
    for (unsigned narrower = width - 1; narrower >= narrowest; --narrower) {
        for (const bool sign_extended : {false, true}) {
            integer cut(model_value);
            to_value(cut.get(), {narrower, sign_extended});
            if (same_pattern(cut.get(), written, width)) return true;
        }
    }
    return false;
}

// (written - model) mod 2^width is +1 or -1.
bool off_by_one(mpz_srcptr model_pattern, mpz_srcptr written, unsigned width) {
    integer difference;
    mpz_sub(difference.get(), written, model_pattern);
    to_pattern(difference.get(), width);
    integer minus_one;
    mpz_setbit(minus_one.get(), width);
    mpz_sub_ui(minus_one.get(), minus_one.get(), 1);
    return mpz_cmp_ui(difference.get(), 1) == 0 || mpz_cmp(difference.get(), minus_one.get()) == 0;
}

// The whole quotient register of fractional output: integer part above the
// fraction field.
void register_of(mpz_ptr out, mpz_srcptr integer_part, mpz_srcptr fraction,
                 const divider_shape &s) {
    const field_format q = quotient_format(s);
    mpz_set(out, integer_part);
    to_pattern(out, q.width);
    mpz_mul_2exp(out, out, s.fraction_width);
    if (fraction != nullptr) {
        integer f(fraction);
        to_pattern(f.get(), s.fraction_width);
        mpz_add(out, out, f.get());
    }
}

struct row_fields {
    bool quotient_right;
    bool second_right;
};

bool remainder_takes_the_divisors_sign(const divider_shape &s, const divided_sample &model,
                                       const written_row &written) {
    if (s.fractional || !s.is_signed || mpz_sgn(model.divisor) == 0 ||
        written.quotient == nullptr || written.second == nullptr) {
        return false;
    }
    integer q(written.quotient), r(written.second);
    to_value(q.get(), quotient_format(s));
    to_value(r.get(), second_format(s));
    if (mpz_sgn(r.get()) == 0 || mpz_sgn(r.get()) != mpz_sgn(model.divisor)) return false;
    // Still a division of the same operands: q D + r = N.
    integer n;
    mpz_mul(n.get(), q.get(), model.divisor);
    mpz_add(n.get(), n.get(), r.get());
    return mpz_cmp(n.get(), model.dividend) == 0 && mpz_cmp(r.get(), model.remainder) != 0;
}

} // namespace

mismatch_class classify(const divider_shape &shape, const divided_sample &model,
                        const written_row &written) {
    const field_format q = quotient_format(shape);
    const field_format second = second_format(shape);
    mpz_srcptr model_second = shape.fractional ? model.fraction : model.remainder;
    const bool has_second = shape.fractional ? shape.fraction_width > 0 : true;
    // A field the core leaves undefined agrees with anything.
    const bool quotient_right =
        model.quotient == nullptr ||
        (written.quotient != nullptr && same_pattern(model.quotient, written.quotient, q.width));
    const bool second_right =
        !has_second || model_second == nullptr ||
        (written.second != nullptr && same_pattern(model_second, written.second, second.width));
    if (quotient_right && second_right) return mismatch_class::only_flag;
    if (model.quotient == nullptr || written.quotient == nullptr ||
        (has_second && model_second != nullptr && written.second == nullptr)) {
        return mismatch_class::unclassified;
    }
    if (has_second && model_second != nullptr && !shape.fractional &&
        same_pattern(model_second, written.quotient, q.width) &&
        same_pattern(model.quotient, written.second, second.width)) {
        return mismatch_class::swapped;
    }
    if (remainder_takes_the_divisors_sign(shape, model, written)) {
        return mismatch_class::remainder_sign;
    }
    if (!shape.fractional && second_right) {
        integer model_q(model.quotient);
        to_pattern(model_q.get(), q.width);
        if (off_by_one(model_q.get(), written.quotient, q.width)) return mismatch_class::last_place;
    }
    if (shape.fractional) {
        integer model_register, written_register;
        register_of(model_register.get(), model.quotient, model_second, shape);
        register_of(written_register.get(), written.quotient, written.second, shape);
        if (off_by_one(model_register.get(), written_register.get(),
                       q.width + shape.fraction_width)) {
            return mismatch_class::last_place;
        }
        if (quotient_right) return mismatch_class::fraction_only;
    }
    const bool quotient_cut =
        quotient_right || holds_a_narrower_cut(model.quotient, written.quotient, q.width);
    const bool second_cut = second_right ||
                            holds_a_narrower_cut(model_second, written.second, second.width);
    if (quotient_cut && second_cut) return mismatch_class::wrong_wrap;
    return mismatch_class::unclassified;
}

const char *class_name(mismatch_class kind) {
    switch (kind) {
    case mismatch_class::last_place:
        return "quotient off by 1 in its last place";
    case mismatch_class::remainder_sign:
        return "remainder with the divisor's sign instead of the dividend's";
    case mismatch_class::swapped:
        return "quotient and remainder swapped";
    case mismatch_class::wrong_wrap:
        return "the model's value cut to a narrower field (wrong wrap)";
    case mismatch_class::fraction_only:
        return "fraction field wrong, integer part right";
    case mismatch_class::only_flag:
        return "only div_by_zero wrong";
    case mismatch_class::unclassified:
        break;
    }
    return "fits no class";
}

mismatch_tally::mismatch_tally(const divider_shape &shape) {
    for (int kind = 0; kind <= static_cast<int>(mismatch_class::unclassified); ++kind) {
        classes_.push_back({0, "", corner_coverage(shape)});
    }
}

void mismatch_tally::add(mismatch_class kind, const divided_sample &model,
                         const std::string &example) {
    class_rows &rows = classes_[static_cast<std::size_t>(kind)];
    if (rows.rows++ == 0) rows.example = example;
    rows.bins.add(model);
}

uint64_t mismatch_tally::rows() const {
    uint64_t total = 0;
    for (const class_rows &rows : classes_) total += rows.rows;
    return total;
}

std::vector<class_summary> mismatch_tally::summaries() const {
    std::vector<class_summary> out;
    for (std::size_t kind = 0; kind < classes_.size(); ++kind) {
        if (classes_[kind].rows > 0) {
            out.push_back({class_name(static_cast<mismatch_class>(kind)), classes_[kind].rows,
                           classes_[kind].example});
        }
    }
    return out;
}

std::string mismatch_tally::report() const {
    const uint64_t total = rows();
    if (total == 0) return "";
    std::string text = "classes of the " + std::to_string(total) + " differing rows:\n";
    for (std::size_t kind = 0; kind < classes_.size(); ++kind) {
        const class_rows &rows = classes_[kind];
        if (rows.rows == 0) continue;
        const std::string count = std::to_string(rows.rows);
        text += "  " + std::string(class_name(static_cast<mismatch_class>(kind))) + ": " + count +
                (rows.rows == 1 ? " row" : " rows") + ", e.g. " + rows.example + '\n';
        // The corners its rows share: all of them first, then some.
        std::string all, some;
        for (const bin_tally &bin : rows.bins.bins()) {
            if (bin.rows == rows.rows) {
                all += std::string(all.empty() ? "" : "; ") + bin.name;
            } else if (bin.rows > 0) {
                some += std::string(some.empty() ? "" : "; ") + bin.name + " " +
                        std::to_string(bin.rows);
            }
        }
        if (!all.empty()) text += "    all " + count + ": " + all + '\n';
        if (!some.empty()) text += "    some: " + some + '\n';
    }
    return text;
}

} // namespace quodra_diagnosis

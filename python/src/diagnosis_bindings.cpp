#include "diagnosis_bindings.h"

#include <gmpxx.h>

#include <string>

#include "diagnosis/corner_bins.h"
#include "diagnosis/mismatch_classes.h"
#include "diagnosis/operand_map.h"
#include "integer_conversion.h"

namespace py = pybind11;
namespace dx = quodra_diagnosis;

namespace quodra_python {
namespace {

constexpr int high_radix = 3;

// The pattern's value in a field of `width` bits, two's complement when signed.
mpz_class field_value(const mpz_class &pattern, unsigned width, bool is_signed) {
    mpz_class value;
    mpz_fdiv_r_2exp(value.get_mpz_t(), pattern.get_mpz_t(), width);
    if (is_signed && width > 0 && mpz_tstbit(value.get_mpz_t(), width - 1)) {
        mpz_class modulus;
        mpz_setbit(modulus.get_mpz_t(), width);
        value -= modulus;
    }
    return value;
}

mpz_class low_bits(const mpz_class &value, unsigned width) {
    mpz_class bits;
    mpz_fdiv_r_2exp(bits.get_mpz_t(), value.get_mpz_t(), width);
    return bits;
}

// One row's fields, from the results as the package gives them in its raw
// reading: remainder output a quotient and a remainder pattern; fractional
// output one quotient (Radix-2 the whole register, High Radix the signed Q).
struct row_fields {
    mpz_class integer_value, second_value, whole; // the model's values
    mpz_class integer_pattern, second_pattern;    // as written
    bool has_second = false;
};

row_fields split(const dx::divider_shape &s, const mpz_class &quotient,
                 const mpz_class *remainder) {
    row_fields f;
    if (!s.fractional) {
        f.integer_pattern = low_bits(quotient, s.dividend_width);
        f.integer_value = field_value(quotient, s.dividend_width, s.is_signed);
        f.has_second = remainder != nullptr;
        if (remainder != nullptr) {
            f.second_pattern = low_bits(*remainder, s.divisor_width);
            f.second_value = field_value(*remainder, s.divisor_width, s.is_signed);
        }
        return f;
    }
    const unsigned fraction = s.fraction_width;
    f.has_second = fraction > 0;
    f.whole = quotient;
    mpz_class integer_part;
    mpz_fdiv_q_2exp(integer_part.get_mpz_t(), quotient.get_mpz_t(), fraction);
    const bool hr = s.algorithm == high_radix;
    const unsigned integer_width = hr ? s.dividend_width + 1 : s.dividend_width;
    f.integer_pattern = low_bits(integer_part, integer_width);
    f.integer_value = field_value(integer_part, integer_width, hr || s.is_signed);
    f.second_pattern = low_bits(quotient, fraction);
    f.second_value = field_value(quotient, fraction, !hr && s.is_signed);
    return f;
}

class check_diagnosis {
public:
    check_diagnosis(int algorithm, bool is_signed, bool fractional, unsigned dividend_width,
                    unsigned divisor_width, unsigned fraction_width)
        : shape_{algorithm, is_signed, fractional, dividend_width, divisor_width,
                 fractional ? fraction_width : 0},
          coverage_(shape_), classes_(shape_), map_(shape_) {}

    // One row: the operands, the model's raw results (quotient None where
    // the core writes none), and the design's (None: not given, or x).
    // Returns whether the design's given fields differ from the model's.
    bool add(py::handle dividend, py::handle divisor, py::handle model_quotient,
             py::handle model_remainder, bool model_flag, py::handle design_quotient,
             py::handle design_remainder, py::handle design_flag, const std::string &example) {
        mpz_class n, d, mq, mr, wq, wr;
        assign_from_python(n, dividend);
        assign_from_python(d, divisor);
        const bool model_known = !model_quotient.is_none();
        if (model_known) assign_from_python(mq, model_quotient);
        const bool has_remainder = !model_remainder.is_none();
        if (has_remainder) assign_from_python(mr, model_remainder);
        const row_fields model = split(shape_, mq, has_remainder ? &mr : nullptr);

        dx::divided_sample sample;
        sample.dividend = n.get_mpz_t();
        sample.divisor = d.get_mpz_t();
        sample.div_by_zero = model_flag;
        if (model_known) sample.quotient = model.integer_value.get_mpz_t();
        if (!shape_.fractional) {
            sample.remainder = model.second_value.get_mpz_t();
        } else if (model_known) {
            if (model.has_second) sample.fraction = model.second_value.get_mpz_t();
            sample.written_quotient = model.whole.get_mpz_t();
        }
        coverage_.add(sample);

        dx::written_row written;
        written.div_by_zero = design_flag.is_none() ? model_flag : design_flag.cast<bool>();
        bool differs = !design_flag.is_none() && design_flag.cast<bool>() != model_flag;
        row_fields design;
        if (!design_quotient.is_none()) {
            assign_from_python(wq, design_quotient);
            if (!design_remainder.is_none()) assign_from_python(wr, design_remainder);
            design = split(shape_, wq, design_remainder.is_none() ? nullptr : &wr);
            written.quotient = design.integer_pattern.get_mpz_t();
            if (design.has_second) written.second = design.second_pattern.get_mpz_t();
            if (model_known) {
                differs = differs || design.integer_pattern != model.integer_pattern ||
                          (design.has_second && model.has_second &&
                           design.second_pattern != model.second_pattern);
            }
        }
        dx::mismatch_class kind = dx::mismatch_class::unclassified;
        if (differs) {
            kind = dx::classify(shape_, sample, written);
            classes_.add(kind, sample, example);
        }
        map_.add(sample.dividend, sample.divisor, differs, kind);
        return differs;
    }

    py::list bins() const {
        py::list out;
        for (const dx::bin_tally &bin : coverage_.bins()) {
            out.append(py::make_tuple(bin.name, bin.rows, bin.required, bin.example));
        }
        return out;
    }

    py::list classes() const {
        py::list out;
        for (const dx::class_summary &c : classes_.summaries()) {
            out.append(py::make_tuple(c.name, c.rows, c.example));
        }
        return out;
    }

    std::string text() const { return classes_.report() + dx::coverage_table(coverage_); }

    bool every_required_bin_reached() const { return coverage_.every_required_bin_reached(); }

    py::dict map() const {
        py::list dividend_labels, divisor_labels, rows, differing, majority;
        for (unsigned c = 0; c < map_.dividends().cells(); ++c) {
            dividend_labels.append(map_.dividends().label(c));
        }
        for (unsigned r = 0; r < map_.divisors().cells(); ++r) {
            divisor_labels.append(map_.divisors().label(r));
            py::list row_counts, row_differing, row_majority;
            for (unsigned c = 0; c < map_.dividends().cells(); ++c) {
                const dx::map_cell &cell = map_.at(c, r);
                row_counts.append(cell.rows);
                row_differing.append(cell.differing);
                row_majority.append(cell.differing == 0 ? std::string()
                                                        : dx::class_name(cell.majority()));
            }
            rows.append(row_counts);
            differing.append(row_differing);
            majority.append(row_majority);
        }
        py::dict out;
        out["dividends"] = dividend_labels;
        out["divisors"] = divisor_labels;
        out["rows"] = rows;
        out["differing"] = differing;
        out["majority"] = majority;
        return out;
    }

private:
    dx::divider_shape shape_;
    dx::corner_coverage coverage_;
    dx::mismatch_tally classes_;
    dx::operand_map map_;
};

} // namespace

void bind_diagnosis(py::module_ &module) {
    py::class_<check_diagnosis>(module, "CheckDiagnosis")
        .def(py::init<int, bool, bool, unsigned, unsigned, unsigned>())
        .def("add", &check_diagnosis::add)
        .def("bins", &check_diagnosis::bins)
        .def("classes", &check_diagnosis::classes)
        .def("text", &check_diagnosis::text)
        .def("every_required_bin_reached", &check_diagnosis::every_required_bin_reached)
        .def("map", &check_diagnosis::map);
}

} // namespace quodra_python

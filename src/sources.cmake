# The library's sources, relative to src/: the one list, read by the root
# CMakeLists.txt (the shared library and the unit tests' archive), by
# fuzz/CMakeLists.txt (the instrumented fuzzing build) and by
# python/setup.py (the extension module). One file a line.
set(QUODRA_LIBRARY_SOURCES
  model/quodra_v5_1.cpp
  model/config_validation.cpp
  model/lifecycle.cpp
  model/queries.cpp
  model/model_guard.cpp
  model/zan_logger.cpp
  arrays/array_bit.cpp
  arrays/array_complex.cpp
  arrays/array_mpz.cpp
  arrays/array_mpz_complex.cpp
  arrays/array_real.cpp
  arrays/array_uint.cpp
  arrays/array_uint32.cpp
  arrays/sample_access.cpp
  engine/driver/data_do.cpp
  engine/driver/data_real_do.cpp
  engine/driver/width_checks.cpp
  engine/driver/word_batch.cpp
  engine/remainder/remainder_division.cpp
  engine/remainder/exact_division.cpp
  engine/radix2/divide_radix2.cpp
  engine/radix2/closed_form.cpp
  engine/radix2/bit_serial_loop.cpp
  engine/radix2/used_operand_bits.cpp
  engine/high_radix/divide_high_radix.cpp
  engine/high_radix/reference/sample_divider.cpp
  engine/high_radix/reference/setup.cpp
  engine/high_radix/reference/reciprocal_table.cpp
  engine/high_radix/reference/unit.cpp
  engine/high_radix/reference/digit_string.cpp
  engine/high_radix/fast_path/word_divider.cpp
  engine/high_radix/fast_path/gathered_rounding.cpp
)

# The diagnosis of a vector set (its corner bins): compiled into the tool
# and the Python extension, never into the shared library.
set(QUODRA_DIAGNOSIS_SOURCES
  diagnosis/corner_bins.cpp
  diagnosis/mismatch_classes.cpp
  diagnosis/operand_map.cpp
)

// The diagnosis of a check (corner bins, classes of mismatch, the operand
// map) for quodra.check: the same module the command-line tool uses.
#ifndef QUODRA_PYTHON_DIAGNOSIS_BINDINGS_H
#define QUODRA_PYTHON_DIAGNOSIS_BINDINGS_H

#include <pybind11/pybind11.h>

namespace quodra_python {

// Adds the class CheckDiagnosis to the compiled module.
void bind_diagnosis(pybind11::module_ &module);

} // namespace quodra_python

#endif

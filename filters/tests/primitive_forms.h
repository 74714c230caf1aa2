// The eight primitives' argument forms, for tests that treat them alike.
#ifndef MARDOLIN_PRIMITIVE_FORMS_H
#define MARDOLIN_PRIMITIVE_FORMS_H

#include <ostream>
#include <string>
#include <vector>

namespace mardolin_test {

// In message order: the bitmaps (the first gives width and height), then the
// kernel when there is one, then the floats.
struct PrimitiveForm {
    const char *name;
    int bitmapCount;
    int kernelWords; // 0, or 9 and 25 for the convolutions
    std::vector<double> floats;
};

inline const std::vector<PrimitiveForm> &primitiveForms() {
    static const std::vector<PrimitiveForm> forms = {
        {"adjustBrightnessAndContrast", 1, 0, {0.25, 0.5}},
        {"adjustRBGBrightnessAndContrast", 1, 0, {0.1, 0.2, 0.3, 0.4, 0.5, 0.6}},
        {"backgroundSubstraction", 3, 0, {0.1}},
        {"matrix3X3Multiplication", 2, 9, {2.0, 1.0}},
        {"matrix5X5Multiplication", 2, 25, {2.0, 1.0}},
        {"melt", 1, 0, {2.0}},
        {"oldBWTV", 1, 0, {}},
        {"oldColorTV", 1, 0, {}},
    };
    return forms;
}

inline std::string formName(const PrimitiveForm &form) { return form.name; }
inline void PrintTo(const PrimitiveForm &form, std::ostream *out) { *out << form.name; }

} // namespace mardolin_test

#endif

#ifndef RESULTS_FORMATFLOAT_H
#define RESULTS_FORMATFLOAT_H

#include <string>

// Formats a number by a picture such as "#,###,##0.0", "#,###,##0",
// "#,##0 KB" or "#,##0.0 %": '0' a digit always shown, '#' a digit shown when
// significant, ',' anywhere in the integer part groups thousands by three,
// '.' the decimal point, anything else literal text. The number is rounded to
// the picture's decimals, halves away from zero. The separators are always ','
// and '.', whatever the process locale.
std::string formatFloat(const std::string &format_, double value_);

#endif

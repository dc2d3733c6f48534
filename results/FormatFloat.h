#ifndef RESULTS_FORMATFLOAT_H
#define RESULTS_FORMATFLOAT_H

#include <string>

// Formats a number by a picture such as "#,###,##0.0", "#,###,##0",
// "#,##0 KB" or "#,##0.0 %": '0' a digit always shown, '#' a digit shown when
// significant, ',' anywhere in the integer part groups thousands by three,
// '.' the decimal point, anything else literal text. The number is rounded to
// the picture's decimals, halves away from zero. The separators are always ','
// and '.', whatever the process locale.
//
// Details: the integer part shows every digit from the first '0' of the
// picture's integer places on (so "#,##0" gives "0" for zero); decimals are
// rounded at the count of '0' and '#' after the point, and trailing zero
// decimals past the last '0' are dropped, with the point when none is left.
// Halves are decided on the shortest decimal text of the value, so 0.15 at
// one decimal gives "0.2". Literal characters before the first format
// character lead, all others follow the number; a '-' leads the whole text
// and never stands before a value that rounds to zero. NaN gives "NAN",
// infinities "INF" and "-INF". A picture without '0' or '#' gives the shortest
// text of the value between its literals.
std::string formatFloat(const std::string &format_, double value_);

#endif

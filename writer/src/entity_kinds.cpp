#include "entity_kinds.h"

namespace tvlw {

namespace {

// Value kind codes of the result records.
enum {
    k_none = 5000, k_real = 5001, k_point2 = 5002, k_short = 5003, k_angle = 5004,
    k_string = 5005, k_ename = 5006, k_point3 = 5009, k_long = 5010, k_binary = 5091,
};

int base_kind(int code)
{
    if (code >= 5000)
        return code;
    if (code == 1004)
        return k_binary;
    if (code == 1071)
        return k_long;
    if (code >= 1000)
        return base_kind(code % 1000);
    if (code >= 0 && code <= 9) return k_string;
    if (code >= 10 && code <= 19) return k_point3;
    if (code >= 20 && code <= 49) return k_real;
    if (code >= 50 && code <= 59) return k_angle;
    if (code >= 60 && code <= 79) return k_short;
    if (code >= 90 && code <= 99) return k_long;
    if (code >= 100 && code <= 105) return k_string;
    if (code >= 140 && code <= 149) return k_real;
    if (code >= 170 && code <= 179) return k_short;
    if (code >= 210 && code <= 239) return k_point3;
    if (code >= 270 && code <= 299) return k_short;
    if (code >= 300 && code <= 309) return k_string;
    if (code >= 310 && code <= 319) return k_binary;
    if (code >= 320 && code <= 369) return k_ename;
    if (code >= 370 && code <= 389) return k_short;
    if (code >= 390 && code <= 399) return k_ename;
    if (code >= 400 && code <= 409) return k_short;
    if (code >= 410 && code <= 419) return k_string;
    if (code >= 500 && code <= 529) return k_long;
    if (code == 999) return k_string;
    if (code == -1 || code == -2) return k_ename;
    if (code == -3) return k_short;
    return k_none;
}

} // namespace

ValueForm value_form(int code)
{
    // Refined kinds (270-299, 500-529) have no stored form.
    if ((code >= 270 && code <= 299) || (code >= 500 && code <= 529))
        return ValueForm::none;
    switch (base_kind(code)) {
    case k_real:
    case k_angle:
        return ValueForm::real;
    case k_point2:
        return ValueForm::point2;
    case k_point3:
        return ValueForm::point3;
    case k_short:
        return ValueForm::short_int;
    case k_long:
        return ValueForm::long_int;
    case k_string:
        return ValueForm::string;
    case k_ename:
        return ValueForm::ename;
    case k_binary:
        return ValueForm::binary;
    default:
        return ValueForm::none;
    }
}

} // namespace tvlw

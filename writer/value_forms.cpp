#include "value_forms.h"

#include "tvl_format/group_codes.h"

namespace fmt = tvl_format;

namespace tvlw {

ValueForm value_form(int code)
{
    const int kind = fmt::group_kind(code);
    // Refined kinds (codes 270-299, 500-529) have no stored form.
    if (kind != fmt::unrefined_kind(kind))
        return ValueForm::none;
    switch (kind) {
    case RB_REAL:
    case RB_ANGLE:
        return ValueForm::real;
    case RB_POINT2D:
        return ValueForm::point2;
    case RB_POINT3D:
        return ValueForm::point3;
    case RB_SHORT:
        return ValueForm::short_int;
    case RB_LONG:
        return ValueForm::long_int;
    case RB_STRING:
        return ValueForm::string;
    case RB_ENAME:
        return ValueForm::ename;
    case RB_BINARY:
        return ValueForm::binary;
    default:
        return ValueForm::none;
    }
}

} // namespace tvlw

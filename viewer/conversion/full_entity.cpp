#include "conversion/full_entity.h"

namespace {

enum class value_kind { skip, text, point, real, number16, number32 };

// The value kind of a group code, as the reader stores it.
value_kind kind_of(int code)
{
    // A code from 5000 up names its own value kind, and 1004 holds bytes without
    // an end: neither is text, whatever the code below 1000 would say.
    if (code >= 5000 || code == 1004)
        return value_kind::skip;
    if (code >= 1000)
        code = code == 1071 ? 90 : code % 1000;
    if (code < 0)
        return value_kind::skip;
    if (code <= 9 || (code >= 100 && code <= 105) || (code >= 300 && code <= 309) ||
        (code >= 410 && code <= 419) || code == 999)
        return value_kind::text;
    if ((code >= 10 && code <= 19) || (code >= 210 && code <= 239))
        return value_kind::point;
    if ((code >= 20 && code <= 59) || (code >= 140 && code <= 149))
        return value_kind::real;
    if ((code >= 60 && code <= 79) || (code >= 170 && code <= 179) ||
        (code >= 270 && code <= 299) || (code >= 370 && code <= 389) ||
        (code >= 400 && code <= 409))
        return value_kind::number16;
    if (code >= 90 && code <= 99)
        return value_kind::number32;
    return value_kind::skip;
}

const std::string no_text;

} // namespace

const fm_group *fm_entity::Find(int code) const
{
    for (const fm_group &g : groups)
        if (g.code == code)
            return &g;
    return nullptr;
}

double fm_entity::Real(int code, double fallback) const
{
    const fm_group *g = Find(code);
    return g ? g->point.x : fallback;
}

fpt fm_entity::Point(int code, fpt fallback) const
{
    const fm_group *g = Find(code);
    return g ? g->point : fallback;
}

long fm_entity::Number(int code, long fallback) const
{
    const fm_group *g = Find(code);
    return g ? g->number : fallback;
}

double fm_entity::Angle(int code, double fallback_degrees) const
{
    return Real(code, fallback_degrees) * degrees_to_radians;
}

const std::string &fm_entity::Text(int code) const
{
    const fm_group *g = Find(code);
    return g ? g->text : no_text;
}

fm_entity copy_entity_chain(const resbuf *chain)
{
    fm_entity e;
    for (const resbuf *rb = chain; rb != nullptr; rb = rb->next) {
        if (rb->code == 0) {
            if (e.type.empty() && rb->value.string != nullptr)
                e.type = rb->value.string;
            continue;
        }
        fm_group g;
        g.code = rb->code;
        switch (kind_of(rb->code)) {
        case value_kind::skip: continue;
        case value_kind::text:
            if (rb->value.string != nullptr)
                g.text = rb->value.string;
            break;
        case value_kind::point:
            g.point = {rb->value.point[0], rb->value.point[1], rb->value.point[2]};
            break;
        case value_kind::real: g.point.x = rb->value.real; break;
        case value_kind::number16: g.number = rb->value.int16; break;
        case value_kind::number32: g.number = rb->value.int32; break;
        }
        e.groups.push_back(std::move(g));
    }
    return e;
}

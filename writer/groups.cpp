#include "groups.h"

#include <stdexcept>
#include <string>

#include "tvl_format/value_coding.h"
#include "value_forms.h"

namespace fmt = tvl_format;

namespace tvlw {

Group normalize(const Group &g)
{
    const ValueForm form = value_form(g.code);
    auto as_int = [&]() -> std::int64_t {
        if (auto *i = std::get_if<std::int64_t>(&g.value))
            return *i;
        if (auto *d = std::get_if<double>(&g.value))
            return static_cast<std::int64_t>(*d);
        throw std::invalid_argument("group " + std::to_string(g.code) + " needs an integer");
    };
    switch (form) {
    case ValueForm::real:
        if (auto *i = std::get_if<std::int64_t>(&g.value))
            return Group(g.code, static_cast<double>(*i));
        if (std::get_if<double>(&g.value))
            return g;
        break;
    case ValueForm::point2:
    case ValueForm::point3:
        if (auto *p = std::get_if<Point>(&g.value)) {
            Point q = *p;
            if (form == ValueForm::point2)
                q.z = 0;
            return Group(g.code, q);
        }
        break;
    case ValueForm::short_int:
        return Group(g.code, static_cast<long long>(static_cast<std::int16_t>(as_int())));
    case ValueForm::long_int:
        return Group(g.code, static_cast<long long>(static_cast<std::int32_t>(as_int())));
    case ValueForm::string:
        if (auto *s = std::get_if<std::string>(&g.value)) {
            if (s->find('\0') != std::string::npos || s->size() > static_cast<std::size_t>(fmt::max_string_length))
                throw std::invalid_argument("group " + std::to_string(g.code) + ": string cannot be stored");
            return g;
        }
        break;
    case ValueForm::ename:
        if (std::get_if<Ename>(&g.value))
            return g;
        break;
    case ValueForm::binary:
        if (auto *b = std::get_if<Binary>(&g.value)) {
            if (b->bytes.size() < static_cast<std::size_t>(fmt::min_binary_length) ||
                b->bytes.size() > static_cast<std::size_t>(fmt::max_binary_length))
                throw std::invalid_argument("binary group of 1 to 128 bytes expected");
            return g;
        }
        break;
    case ValueForm::none:
        throw std::invalid_argument("group code " + std::to_string(g.code) + " cannot be stored");
    }
    throw std::invalid_argument("group " + std::to_string(g.code) + " has a value of the wrong kind");
}

bool same_value(const Group &a, const Group &b)
{
    if (a.code != b.code || a.value.index() != b.value.index())
        return false;
    if (auto *x = std::get_if<double>(&a.value))
        return same_bits(*x, std::get<double>(b.value));
    if (auto *p = std::get_if<Point>(&a.value)) {
        const Point &q = std::get<Point>(b.value);
        return same_bits(p->x, q.x) && same_bits(p->y, q.y) && same_bits(p->z, q.z);
    }
    if (auto *i = std::get_if<std::int64_t>(&a.value))
        return *i == std::get<std::int64_t>(b.value);
    if (auto *s = std::get_if<std::string>(&a.value))
        return *s == std::get<std::string>(b.value);
    if (auto *e = std::get_if<Ename>(&a.value)) {
        const Ename &f = std::get<Ename>(b.value);
        return e->low == f.low && e->high == f.high;
    }
    return std::get<Binary>(a.value).bytes == std::get<Binary>(b.value).bytes;
}

void group_value(ValueCoder &c, const Group &g)
{
    switch (value_form(g.code)) {
    case ValueForm::real:
        c.real(std::get<double>(g.value));
        return;
    case ValueForm::point2:
    case ValueForm::point3: {
        const Point &p = std::get<Point>(g.value);
        const double xyz[3] = {p.x, p.y, p.z};
        c.point(xyz, value_form(g.code) == ValueForm::point2 ? 2 : 3);
        return;
    }
    case ValueForm::short_int: {
        // A byte, or the escape byte and an int16.
        const auto s = std::get<std::int64_t>(g.value);
        if (s >= 0 && s < fmt::wide_code_escape) {
            raw::byte(c.out, static_cast<int>(s));
        } else {
            raw::byte(c.out, fmt::wide_code_escape);
            raw::i16(c.out, static_cast<int>(s));
        }
        return;
    }
    case ValueForm::long_int:
        raw::i32(c.out, static_cast<std::int32_t>(std::get<std::int64_t>(g.value)));
        return;
    case ValueForm::string:
        c.string(std::get<std::string>(g.value));
        return;
    case ValueForm::ename: {
        const Ename &e = std::get<Ename>(g.value);
        raw::i32(c.out, e.low);
        raw::i32(c.out, e.high);
        return;
    }
    case ValueForm::binary: {
        const Binary &b = std::get<Binary>(g.value);
        raw::i16(c.out, static_cast<int>(b.bytes.size()));
        c.out.insert(c.out.end(), b.bytes.begin(), b.bytes.end());
        return;
    }
    case ValueForm::none:
        break;
    }
}

int first_of(const std::vector<Group> &groups, int code)
{
    for (std::size_t i = 0; i < groups.size(); ++i)
        if (groups[i].code == code)
            return static_cast<int>(i);
    return -1;
}

} // namespace tvlw

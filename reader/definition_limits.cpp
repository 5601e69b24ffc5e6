#include "definition_limits.h"

#include <cstring>

#include "messages.h"
#include "resbuf.h"
#include "tvl_format/messages.h"

namespace {

struct definition_budget {
    long entities = 0;
    long bytes = 0;
};

definition_budget &budget()
{
    static definition_budget b;
    return b;
}

} // namespace

definition_limits &definition_limits_current()
{
    static definition_limits limits;
    return limits;
}

long record_cost(const resbuf *rb)
{
    long cost = static_cast<long>(sizeof(resbuf));
    switch (rb_basic_kind(rb->code)) {
    case RB_STRING:
        if (rb->value.string)
            cost += static_cast<long>(std::strlen(rb->value.string)) + 1;
        break;
    case RB_BINARY:
        cost += static_cast<long>(rb->value.binary.length);
        break;
    default:
        break;
    }
    return cost;
}

void definition_budget_reset()
{
    budget() = definition_budget{};
}

bool definition_budget_take(long cost)
{
    const definition_limits &limits = definition_limits_current();
    definition_budget &b = budget();
    if (++b.entities > limits.entities) {
        msg_console(tvl_format::msg_too_many_entities, limits.entities);
        return false;
    }
    b.bytes += cost;
    if (b.bytes > limits.bytes) {
        msg_console(tvl_format::msg_definition_too_big, limits.bytes / (1024 * 1024));
        return false;
    }
    return true;
}

// Entity records: complete entities, references to cached entities with
// replaced groups or group templates, and the complex-entity check.
#include "entity_decoder.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_map>

#include "decoder_state.h"
#include "definition_limits.h"
#include "file_reads.h"
#include "messages.h"
#include "resbuf.h"
#include "settings.h"
#include "tvl_format/entity_types.h"
#include "tvl_format/messages.h"
#include "tvl_format/value_coding.h"

namespace fmt = tvl_format;

namespace {


// Groups of an entity that open a complex entity and place it in paper space.
constexpr int entities_follow_code = 66;
constexpr int paper_space_code = 67;
// Asks grp_read to take the code from the stream; every 16-bit code, negative
// ones included, is a real group code.
constexpr int code_from_stream = INT_MIN;

enum class grp_status { ok, end, fail };

template <class T>
void resize_or_die(std::vector<T> &v, std::size_t n, const T &fill)
{
    try {
        v.assign(n, fill);
    } catch (const std::bad_alloc &) {
        rb_out_of_memory();
    }
}

resbuf *copy_chain(const resbuf *chain)
{
    resbuf *head = nullptr;
    resbuf **tail = &head;
    for (const resbuf *rb = chain; rb; rb = rb->next) {
        *tail = rb_copy(rb);
        tail = &(*tail)->next;
    }
    return head;
}

// False after the message when one entity's chain has grown past its bound.
bool entity_within_bound(long cost)
{
    const long limit = definition_limits_current().entity_bytes;
    if (cost <= limit)
        return true;
    msg_console(fmt::msg_entity_too_big, limit / (1024 * 1024));
    return false;
}

bool read_i16(std::FILE *work, std::int16_t &v)
{
    if (lib_read_i16(work, v))
        return true;
    report_read_error();
    return false;
}

bool read_i32(std::FILE *work, std::int32_t &v)
{
    if (lib_read_i32(work, v))
        return true;
    report_read_error();
    return false;
}

// A byte, or the escape byte and an int16: how group codes and shorts are stored.
bool read_escaped(std::FILE *work, int &v)
{
    const int c = std::fgetc(work);
    if (c == EOF) {
        report_read_error();
        return false;
    }
    if (c != fmt::wide_code_escape) {
        v = c;
        return true;
    }
    std::int16_t wide;
    if (!read_i16(work, wide))
        return false;
    v = wide;
    return true;
}

// Reads the value of a group whose code is known.
bool value_read(std::FILE *work, resbuf *rb)
{
    const int kind = rb_kind(rb->code);
    switch (kind) {
    case RB_REAL:
    case RB_ANGLE:
        return real_read(work, -1, rb->value.real);
    case RB_POINT2D:
        return point_read(work, 2, rb->value.point);
    case RB_POINT3D:
        return point_read(work, 3, rb->value.point);
    case RB_SHORT: {
        int v;
        if (!read_escaped(work, v))
            return false;
        rb->value.int16 = static_cast<std::int16_t>(v);
        return true;
    }
    case RB_STRING:
        rb->value.string = string_read(work);
        return rb->value.string != nullptr;
    case RB_ENAME:
        return read_i32(work, rb->value.ename[0]) && read_i32(work, rb->value.ename[1]);
    case RB_LONG:
        return read_i32(work, rb->value.int32);
    case RB_BINARY: {
        std::int16_t n;
        if (!read_i16(work, n))
            return false;
        if (n < fmt::min_binary_length || n > fmt::max_binary_length) {
            msg_console(fmt::msg_bad_binary);
            return false;
        }
        auto *bytes = static_cast<char *>(std::malloc(static_cast<std::size_t>(n)));
        if (!bytes)
            rb_out_of_memory();
        if (!read_bytes(work, bytes, static_cast<std::size_t>(n))) {
            std::free(bytes);
            return false;
        }
        rb->value.binary.bytes = bytes;
        rb->value.binary.short_length = n;
        rb->value.binary.length = static_cast<std::uint32_t>(n);
        return true;
    }
    default:
        msg_console(fmt::msg_unknown_kind, kind);
        return false;
    }
}

// Reads one group, its code from the stream unless one is given.  The first
// group of a complete entity carries the entity type instead.
resbuf *grp_read(std::FILE *work, int code, bool first, grp_status &status)
{
    status = grp_status::fail;
    if (code == code_from_stream && !read_escaped(work, code))
        return nullptr;
    if (code == 0) {
        status = grp_status::end;
        return nullptr;
    }
    if (first) {
        decoder_state &st = decoder();
        st.current_type = code;
        resbuf *rb = rb_new(0);
        if (code == ent_explicit_number()) {
            rb->value.string = string_read(work);
            if (!rb->value.string) {
                rb_release(rb);
                return nullptr;
            }
        } else {
            const char *name = fmt::entity_type_name(code);
            if (!name) {
                rb_release(rb);
                msg_console(fmt::msg_unknown_entity);
                return nullptr;
            }
            rb->value.string = strdup(name);
            if (!rb->value.string)
                rb_out_of_memory();
        }
        status = grp_status::ok;
        return rb;
    }
    resbuf *rb = rb_new(code);
    if (!value_read(work, rb)) {
        rb_release(rb);
        return nullptr;
    }
    status = grp_status::ok;
    return rb;
}

// The first record of each code in a chain.  A modified entity may replace
// many groups of a long chain; looking each one up from the head would take
// time quadratic in the groups, so long chains are indexed once.
class first_records {
public:
    explicit first_records(resbuf *chain) : chain_(chain) {}

    resbuf *find(int code)
    {
        if (!indexed_ && ++lookups_ > direct_lookups) {
            for (resbuf *rb = chain_; rb; rb = rb->next)
                index_.try_emplace(rb->code, rb);
            indexed_ = true;
        }
        if (!indexed_)
            return rb_find(chain_, code);
        const auto found = index_.find(code);
        return found == index_.end() ? nullptr : found->second;
    }

private:
    static constexpr int direct_lookups = 8;
    resbuf *chain_;
    std::unordered_map<int, resbuf *> index_;
    bool indexed_ = false;
    int lookups_ = 0;
};

// Puts rb's value in place of the value of the first record with its code,
// keeping that record where it is; rb is released.  Answers the change in the
// chain's cost, or false when no record has the code.
bool replace_group(first_records &records, resbuf *rb, long &cost_change)
{
    resbuf *old = records.find(rb->code);
    if (!old)
        return false;
    cost_change = record_cost(rb) - record_cost(old);
    rb_clear_value(old);
    old->value = rb->value;
    std::memset(&rb->value, 0, sizeof rb->value);
    rb_release(rb);
    return true;
}

// Tracks INSERT/POLYLINE sequences and the paper-space flag; false when an
// entity breaks an open sequence.
bool check_complex(decoder_state &st, resbuf *chain)
{
    // The type of the chain, however it was coded, is the current one: an
    // ENDBLK ends its block whether it came complete, named or from the cache.
    const int type = fmt::entity_type_number(rb_string(chain));
    st.current_type = type;
    bool ok = true;
    if (st.complex_open && type != fmt::entity_attrib && type != fmt::entity_vertex && type != fmt::entity_seqend) {
        msg_console(fmt::msg_unexpected_complex);
        st.complex_open = false;
        ok = false;
    } else if (type == fmt::entity_seqend) {
        st.complex_open = false;
    } else if (type == fmt::entity_insert || type == fmt::entity_polyline) {
        const resbuf *follow = rb_find(chain, entities_follow_code);
        if (follow && follow->value.int16 != 0)
            st.complex_open = true;
    }
    if (type != fmt::entity_seqend)
        st.paper_space = false;
    const resbuf *space = rb_find(chain, paper_space_code);
    if (space && space->value.int16 == 1)
        st.paper_space = true;
    return ok;
}

void release_held(decoder_state &st)
{
    rb_release(st.held);
    st.held = nullptr;
}

// Stores a newly read chain of the given cost in the cache; answers the chain
// for the caller, or null after the message when the cache would outgrow its
// bound (the chain is then released).
resbuf *store_entity(decoder_state &st, resbuf *chain, long cost, bool checked, bool for_delivery)
{
    const int size = static_cast<int>(st.cache.size());
    resbuf *keep = nullptr;
    if (size > 0) {
        const auto at = static_cast<std::size_t>(st.cache_cursor);
        resbuf *&slot = st.cache[at];
        rb_release(slot);
        slot = nullptr;
        st.cache_total -= st.cache_cost[at];
        st.cache_cost[at] = 0;
        st.cache_cursor = (st.cache_cursor + 1) % size;
        if (checked) {
            const long limit = definition_limits_current().cache_bytes;
            if (st.cache_total + cost > limit) {
                msg_console(fmt::msg_cache_too_big, limit / (1024 * 1024));
                rb_release(chain);
                return nullptr;
            }
            slot = for_delivery ? copy_chain(chain) : chain;
            st.cache_cost[at] = cost;
            st.cache_total += cost;
            keep = slot;
        }
    }
    if (!for_delivery && keep != chain)
        st.held = chain;
    return chain;
}

} // namespace

decoder_state &decoder()
{
    // Never destroyed: the rings own their chains and strings until the process ends.
    static decoder_state &state = *new decoder_state;
    return state;
}

void report_read_error()
{
    msg_console(fmt::msg_cannot_read_entity);
}

bool read_bytes(std::FILE *work, void *out, std::size_t n)
{
    if (n > 0 && std::fread(out, 1, n, work) != n) {
        report_read_error();
        return false;
    }
    return true;
}

char *string_read(std::FILE *work)
{
    decoder_state &st = decoder();
    const int c = std::fgetc(work);
    if (c == EOF) {
        report_read_error();
        return nullptr;
    }
    int s = static_cast<std::int8_t>(c);
    if (c == fmt::string_escape) {
        std::int16_t wide;
        if (!read_i16(work, wide))
            return nullptr;
        s = wide;
    }
    const int ring = static_cast<int>(st.strings.size());
    if (s < 0) {
        const lib_settings &cfg = lib_current_settings();
        const int slot = s - cfg.lowest_string_code;
        if (s < cfg.lowest_string_code || s > cfg.highest_string_code || slot >= ring) {
            msg_console(fmt::msg_bad_string_code, s);
            return nullptr;
        }
        const char *kept = st.strings[static_cast<std::size_t>(slot)];
        if (!kept) {
            msg_console(fmt::msg_empty_string_slot);
            return nullptr;
        }
        char *copy = strdup(kept);
        if (!copy)
            rb_out_of_memory();
        return copy;
    }
    auto *text = static_cast<char *>(std::malloc(static_cast<std::size_t>(s) + 1));
    if (!text)
        rb_out_of_memory();
    if (!read_bytes(work, text, static_cast<std::size_t>(s))) {
        std::free(text);
        return nullptr;
    }
    text[s] = '\0';
    if (std::memchr(text, '\0', static_cast<std::size_t>(s))) {
        std::free(text);
        msg_console(fmt::msg_bad_string);
        return nullptr;
    }
    if (ring > 0) {
        char *&slot = st.strings[static_cast<std::size_t>(st.string_cursor)];
        std::free(slot);
        slot = strdup(text);
        if (!slot)
            rb_out_of_memory();
        st.string_cursor = (st.string_cursor + 1) % ring;
    }
    return text;
}

void decoder_set_ring_size(int n)
{
    decoder_state &st = decoder();
    st.ring_size = n < 0 ? 0 : n;
    resize_or_die(st.reals, static_cast<std::size_t>(st.ring_size > 0 ? st.ring_size : 1), fmt::empty_real);
    st.reals_cursor = 0;
    st.last_real_index = 0;
}

void decoder_reset()
{
    decoder_state &st = decoder();
    const lib_settings &cfg = lib_current_settings();
    if (st.reals.empty() || cfg.ring_size != st.ring_size)
        decoder_set_ring_size(cfg.ring_size);
    for (double &r : st.reals)
        r = fmt::empty_real;
    st.reals_cursor = 0;
    st.last_real_index = 0;

    resize_or_die(st.points, static_cast<std::size_t>(cfg.point_ring_size > 0 ? cfg.point_ring_size : 0),
                  point_entry{});
    st.point_cursor = 0;
    st.has_previous = false;
    st.previous = point_entry{};
    std::memset(st.point_templates, 0xFF, sizeof st.point_templates);
    st.point_template_cursor = 0;

    for (char *s : st.strings)
        std::free(s);
    resize_or_die<char *>(st.strings, static_cast<std::size_t>(cfg.string_ring_size > 0 ? cfg.string_ring_size : 0),
                          nullptr);
    st.string_cursor = 0;

    for (resbuf *chain : st.cache)
        rb_release(chain);
    const auto cache_size = static_cast<std::size_t>(cfg.entity_cache_size > 0 ? cfg.entity_cache_size : 0);
    resize_or_die<resbuf *>(st.cache, cache_size, nullptr);
    resize_or_die<long>(st.cache_cost, cache_size, 0);
    st.cache_total = 0;
    st.cache_cursor = 0;

    resize_or_die(st.group_templates, static_cast<std::size_t>(cfg.template_slots > 0 ? cfg.template_slots : 0),
                  group_template{});
    st.group_template_cursor = 0;
    release_held(st);
    // A sequence left open by a failed block must not fail the next one.
    st.complex_open = false;
}

int ent_current_type()
{
    return decoder().current_type;
}

void ent_set_current_type(int t)
{
    decoder().current_type = t;
}

bool ent_paper_space()
{
    return decoder().paper_space;
}

void ent_clear_paper_space()
{
    decoder().paper_space = false;
}

int ent_explicit_number()
{
    return fmt::entity_named_number(lib_current_settings().version);
}

namespace {

// An entity record's first byte: a cache code, whether the cached entity is
// repeated as it is, and the group-template slot its replacements follow (-1:
// none, the codes come from the stream).
struct record_ref {
    int code = 0;
    bool repeat = false;
    int slot = -1;
};

record_ref decode_record_byte(int c, int width)
{
    record_ref ref;
    ref.code = c;
    if (width == 2 || width == 3) {
        const int code_bits = 8 - width;
        const int top = c >> code_bits;
        if (top == (1 << width) - 1)
            ref.repeat = true;
        else if (top != 0)
            ref.slot = top - 1;
        ref.code = ref.repeat ? -static_cast<std::int8_t>(c) : (c & ((1 << code_bits) - 1));
    } else if (static_cast<std::int8_t>(c) < 0) {
        ref.repeat = true;
        ref.code = -static_cast<std::int8_t>(c);
    }
    return ref;
}

// The cached entity itself once more.
resbuf *repeat_entity(decoder_state &st, std::size_t at, bool for_delivery)
{
    if (!definition_budget_take(st.cache_cost[at]))
        return nullptr;
    resbuf *cached = st.cache[at];
    resbuf *chain = for_delivery ? copy_chain(cached) : cached;
    if (!check_complex(st, chain)) {
        if (for_delivery)
            rb_release(chain);
        return nullptr;
    }
    return chain;
}

// Reads the groups that replace those of a copy of a cached chain, up to the
// end or as many as the template gives; the codes read are kept in `codes`
// (the first fmt::max_template_codes of them) and counted in `read`.  False
// after the message when a group has no match or the chain outgrows its bound.
bool replace_groups(std::FILE *work, decoder_state &st, int slot, resbuf *chain, long &cost, int codes[], int &read)
{
    first_records records(chain);
    const int wanted = slot >= 0 ? st.group_templates[static_cast<std::size_t>(slot)].count : -1;
    for (read = 0; wanted < 0 || read < wanted; ++read) {
        const int code =
            wanted >= 0 ? st.group_templates[static_cast<std::size_t>(slot)].codes[read] : code_from_stream;
        grp_status status;
        resbuf *rb = grp_read(work, code, false, status);
        if (!rb)
            return true; // the end, or a failed group that ends the entity
        const int replaced_code = rb->code;
        long change = 0;
        if (!replace_group(records, rb, change)) {
            msg_console(fmt::msg_unmatched_group, rb->code);
            rb_release(rb);
            return false;
        }
        cost += change;
        if (!entity_within_bound(cost))
            return false;
        if (read < fmt::max_template_codes)
            codes[read] = replaced_code;
    }
    return true;
}

// Keeps the codes of replacements read without a template as the next template.
void learn_template(decoder_state &st, const int codes[], int read)
{
    if (read > fmt::max_template_codes || st.group_templates.empty())
        return;
    group_template &g = st.group_templates[static_cast<std::size_t>(st.group_template_cursor)];
    g.count = read;
    std::copy(codes, codes + read, g.codes);
    st.group_template_cursor = (st.group_template_cursor + 1) % static_cast<int>(st.group_templates.size());
}

// A cached entity with some of its groups replaced; it enters the cache as a new entity.
resbuf *modified_entity(std::FILE *work, decoder_state &st, std::size_t at, const record_ref &ref, int c,
                        bool for_delivery)
{
    if (ref.slot >= static_cast<int>(st.group_templates.size())) {
        msg_console(fmt::msg_bad_entity_record, c);
        return nullptr;
    }
    resbuf *chain = copy_chain(st.cache[at]);
    long cost = st.cache_cost[at];
    int codes[fmt::max_template_codes];
    int read = 0;
    if (!replace_groups(work, st, ref.slot, chain, cost, codes, read)) {
        rb_release(chain);
        return nullptr;
    }
    if (ref.slot < 0 && lib_current_settings().record_ref_width != 1)
        learn_template(st, codes, read);
    if (!definition_budget_take(cost)) {
        rb_release(chain);
        return nullptr;
    }
    const bool checked = check_complex(st, chain);
    return store_entity(st, chain, cost, checked, for_delivery);
}

// An entity stored whole: its type, then groups up to code 0.
resbuf *complete_entity(std::FILE *work, decoder_state &st, bool for_delivery)
{
    grp_status status;
    resbuf *chain = grp_read(work, code_from_stream, true, status);
    if (!chain || status != grp_status::ok || chain->code != 0) {
        rb_release(chain);
        msg_console(fmt::msg_no_type_group);
        return nullptr;
    }
    long cost = record_cost(chain);
    resbuf *tail = chain;
    for (;;) {
        resbuf *rb = grp_read(work, code_from_stream, false, status);
        if (!rb)
            break;
        tail->next = rb;
        tail = rb;
        cost += record_cost(rb);
        if (!entity_within_bound(cost)) {
            rb_release(chain);
            return nullptr;
        }
    }
    if (!definition_budget_take(cost)) {
        rb_release(chain);
        return nullptr;
    }
    const bool checked = check_complex(st, chain);
    return store_entity(st, chain, cost, checked, for_delivery);
}

} // namespace

resbuf *ent_read(std::FILE *work, bool for_delivery)
{
    decoder_state &st = decoder();
    const lib_settings &cfg = lib_current_settings();
    if (st.reals.empty())
        decoder_reset();
    release_held(st);

    const int c = std::fgetc(work);
    if (c == EOF) {
        report_read_error();
        return nullptr;
    }
    const record_ref ref = decode_record_byte(c, cfg.record_ref_width);
    const int t = ref.code;
    const int cache_size = static_cast<int>(st.cache.size());
    if (t >= cfg.first_entity_code && t <= cfg.last_entity_code && t - cfg.first_entity_code < cache_size) {
        const auto at = static_cast<std::size_t>(t - cfg.first_entity_code);
        if (!st.cache[at])
            return nullptr;
        return ref.repeat ? repeat_entity(st, at, for_delivery) : modified_entity(work, st, at, ref, c, for_delivery);
    }
    if (t != fmt::complete_entity || ref.repeat) {
        msg_console(fmt::msg_bad_entity_record, t);
        return nullptr;
    }
    return complete_entity(work, st, for_delivery);
}

// Entity records, written in the forms the decoder reads them: a cached entity
// repeated, a cached entity with replaced groups (codes written, or taken from a
// group template), or a complete entity.  Each form makes a candidate on a copy
// of the value state; the shortest is kept.
#include "entity_encoder.h"

#include <algorithm>
#include <stdexcept>

#include "encoder_state.h"
#include "groups.h"
#include "tvl_format/limits.h"
#include "value_coder.h"

namespace fmt = tvl_format;

namespace tvlw {

Coding Coding::plain()
{
    Coding c;
    c.cache = c.repeats = c.group_templates = false;
    c.real_ring = c.short_reals = c.fixed_point = false;
    c.point_ring = c.omit_coordinates = c.point_templates = false;
    c.string_ring = false;
    return c;
}

namespace {

// One way of writing the entity, with the value state it leaves.
struct Candidate {
    Bytes bytes;
    Values values;
    bool learn = false;     // replaced codes written: they become the next group template
    std::vector<int> codes; // those codes
};

// The entity as the decoder will hand it out, with the type number to write.
Normal normal_entity(const Entity &e, const Config &cfg, const Coding &coding)
{
    Normal n;
    const int explicit_number = fmt::entity_named_number(cfg.version);
    n.number = entity_type_number(e.type);
    n.explicit_name = coding.explicit_type_names || n.number == fmt::entity_unknown || n.number == explicit_number;
    if (n.explicit_name) {
        if (e.type.find('\0') != std::string::npos || e.type.size() > static_cast<std::size_t>(fmt::max_string_length))
            throw std::invalid_argument("entity type name cannot be stored");
        n.number = explicit_number;
        n.type = e.type;
    } else {
        n.type = fmt::entity_type_name(n.number);
    }
    for (const Group &g : e.groups) {
        if (g.code == 0)
            throw std::invalid_argument("group 0 is the entity type");
        n.groups.push_back(normalize(g));
    }
    return n;
}

bool same_entity(const Normal &a, const Normal &b)
{
    if (a.type != b.type || a.groups.size() != b.groups.size())
        return false;
    for (std::size_t i = 0; i < a.groups.size(); ++i)
        if (!same_value(a.groups[i], b.groups[i]))
            return false;
    return true;
}

int cache_code(const Config &cfg, std::size_t slot)
{
    return cfg.ranges.first_entity_code + static_cast<int>(slot);
}

// Bits of a record byte that hold the cache code.
int cache_code_bits(const Config &cfg)
{
    return cfg.r == 2 || cfg.r == 3 ? 8 - cfg.r : 7;
}

// The cache code of an entity cached unchanged, or -1.
int repeated(const BlockEncoder::State &st, const Normal &n)
{
    for (std::size_t i = 0; i < st.cache.size(); ++i)
        if (st.cache[i] && same_entity(*st.cache[i], n))
            return cache_code(st.cfg, i);
    return -1;
}

// The cached entity that needs the fewest replaced groups, and those groups.
struct CacheMatch {
    int slot = -1;
    std::vector<int> replaced; // group indices
};

CacheMatch closest_cached(const BlockEncoder::State &st, const Normal &n)
{
    CacheMatch best;
    for (std::size_t i = 0; i < st.cache.size(); ++i) {
        if (!st.cache[i])
            continue;
        const Normal &c = *st.cache[i];
        if (c.type != n.type || c.groups.size() != n.groups.size())
            continue;
        bool ok = true;
        std::vector<int> diff;
        for (std::size_t g = 0; g < c.groups.size() && ok; ++g) {
            if (c.groups[g].code != n.groups[g].code)
                ok = false;
            else if (!same_value(c.groups[g], n.groups[g])) {
                // Only the first group of a code can be replaced.
                if (first_of(c.groups, c.groups[g].code) != static_cast<int>(g))
                    ok = false;
                else
                    diff.push_back(static_cast<int>(g));
            }
        }
        if (ok && (best.slot < 0 || diff.size() < best.replaced.size())) {
            best.slot = static_cast<int>(i);
            best.replaced = diff;
        }
    }
    return best;
}

// The cached entity with its replaced groups, each with its code, up to code 0.
Candidate replaced_with_codes(const BlockEncoder::State &st, const Coding &coding, const Normal &n,
                              int code, const std::vector<int> &replaced)
{
    Candidate c{{}, st.values, st.cfg.r != 1, {}};
    ValueCoder vc{st.cfg, coding, c.values, c.bytes};
    raw::byte(c.bytes, code);
    for (int g : replaced) {
        const Group &group = n.groups[static_cast<std::size_t>(g)];
        raw::group_code(c.bytes, group.code, coding.wide_codes);
        group_value(vc, group);
        c.codes.push_back(group.code);
    }
    raw::byte(c.bytes, fmt::end_of_entity);
    return c;
}

// Whether every code of a group template names a group of the entity, and the
// template covers the replaced groups.
bool template_fits(const GroupTemplate &gt, const Normal &n, const std::vector<int> &replaced)
{
    for (int k = 0; k < gt.count; ++k)
        if (first_of(n.groups, gt.codes[k]) < 0)
            return false;
    for (int g : replaced) {
        const int code = n.groups[static_cast<std::size_t>(g)].code;
        if (std::find(gt.codes, gt.codes + gt.count, code) == gt.codes + gt.count)
            return false;
    }
    return true;
}

// The cached entity with the values of a group template's codes, in its order.
Candidate replaced_by_template(const BlockEncoder::State &st, const Coding &coding, const Normal &n, int code,
                               std::size_t slot)
{
    const GroupTemplate &gt = st.group_templates[slot];
    Candidate c{{}, st.values, false, {}};
    ValueCoder vc{st.cfg, coding, c.values, c.bytes};
    raw::byte(c.bytes, ((static_cast<int>(slot) + 1) << cache_code_bits(st.cfg)) | code);
    for (int k = 0; k < gt.count; ++k)
        group_value(vc, n.groups[static_cast<std::size_t>(first_of(n.groups, gt.codes[k]))]);
    return c;
}

// Every way of writing the entity as a cached one with replaced groups.
void modified_candidates(const BlockEncoder::State &st, const Coding &coding, const Normal &n,
                         std::vector<Candidate> &out)
{
    const CacheMatch match = closest_cached(st, n);
    if (match.slot < 0)
        return;
    const int code = cache_code(st.cfg, static_cast<std::size_t>(match.slot));
    if (code >= (1 << cache_code_bits(st.cfg)))
        return;
    out.push_back(replaced_with_codes(st, coding, n, code, match.replaced));
    if (!coding.group_templates || st.cfg.r == 1)
        return;
    for (std::size_t s = 0; s < st.group_templates.size(); ++s)
        if (template_fits(st.group_templates[s], n, match.replaced))
            out.push_back(replaced_by_template(st, coding, n, code, s));
}

// The entity in full: its type, then every group with its code, up to code 0.
Candidate complete_entity(const BlockEncoder::State &st, const Coding &coding, const Normal &n)
{
    Candidate c{{}, st.values, false, {}};
    ValueCoder vc{st.cfg, coding, c.values, c.bytes};
    raw::byte(c.bytes, fmt::complete_entity);
    raw::group_code(c.bytes, n.number, coding.wide_codes);
    if (n.explicit_name)
        vc.string(n.type);
    for (const Group &g : n.groups) {
        raw::group_code(c.bytes, g.code, coding.wide_codes);
        group_value(vc, g);
    }
    raw::byte(c.bytes, fmt::end_of_entity);
    return c;
}

// The shortest candidate; a complete entity (the last) wins a tie, then the
// first reference.
Candidate &shortest(std::vector<Candidate> &candidates)
{
    Candidate *best = &candidates.back();
    for (Candidate &c : candidates)
        if (c.bytes.size() < best->bytes.size())
            best = &c;
    return *best;
}

void learn_template(BlockEncoder::State &st, const std::vector<int> &codes)
{
    if (codes.size() > static_cast<std::size_t>(fmt::max_template_codes) || st.group_templates.empty())
        return;
    GroupTemplate &gt = st.group_templates[static_cast<std::size_t>(st.group_template_cursor)];
    gt.count = static_cast<int>(codes.size());
    std::copy(codes.begin(), codes.end(), gt.codes);
    st.group_template_cursor = (st.group_template_cursor + 1) % static_cast<int>(st.group_templates.size());
}

void cache_entity(BlockEncoder::State &st, Normal &&n)
{
    if (st.cache.empty())
        return;
    st.cache[static_cast<std::size_t>(st.cache_cursor)] = std::move(n);
    st.cache_cursor = (st.cache_cursor + 1) % static_cast<int>(st.cache.size());
}

} // namespace

BlockEncoder::BlockEncoder(const Settings &settings, Coding coding)
    : coding_(coding), state_(std::make_unique<State>())
{
    state_->cfg = coding_config(settings);
    reset();
}

BlockEncoder::~BlockEncoder() = default;
BlockEncoder::BlockEncoder(BlockEncoder &&) noexcept = default;
BlockEncoder &BlockEncoder::operator=(BlockEncoder &&) noexcept = default;

void BlockEncoder::reset()
{
    State &st = *state_;
    const fmt::coding_ranges &r = st.cfg.ranges;
    reset_values(st.values, st.cfg);
    st.cache.assign(static_cast<std::size_t>(r.entity_cache_size > 0 ? r.entity_cache_size : 0), std::nullopt);
    st.cache_cursor = 0;
    st.group_templates.assign(static_cast<std::size_t>(r.template_slots > 0 ? r.template_slots : 0),
                              GroupTemplate{});
    st.group_template_cursor = 0;
}

void BlockEncoder::begin(int flags, Point base, const std::string &path, bool reset_state)
{
    if (path.size() > fmt::max_block_path)
        throw std::invalid_argument("block path longer than 127 bytes");
    if (reset_state)
        reset();
    out_.clear();
    ended_ = false;
    raw::byte(out_, flags);
    ValueCoder c{state_->cfg, coding_, state_->values, out_};
    const double xyz[3] = {base.x, base.y, base.z};
    c.point(xyz, 3);
    raw::byte(out_, static_cast<int>(path.size()));
    out_.insert(out_.end(), path.begin(), path.end());
}

void BlockEncoder::add(const Entity &e)
{
    State &st = *state_;
    Normal n = normal_entity(e, st.cfg, coding_);
    const bool endblk = !n.explicit_name && n.number == fmt::entity_endblk;
    ended_ = endblk;

    // The block's end is always stored in full, so it is found without the cache.
    if (!endblk && coding_.repeats) {
        const int code = repeated(st, n);
        if (code >= 0) {
            raw::byte(out_, -code);
            return;
        }
    }
    std::vector<Candidate> candidates;
    candidates.reserve(2 + st.group_templates.size());
    if (!endblk && coding_.cache)
        modified_candidates(st, coding_, n, candidates);
    candidates.push_back(complete_entity(st, coding_, n));

    Candidate &best = shortest(candidates);
    out_.insert(out_.end(), best.bytes.begin(), best.bytes.end());
    st.values = std::move(best.values);
    if (best.learn)
        learn_template(st, best.codes);
    cache_entity(st, std::move(n));
}

std::vector<std::uint8_t> BlockEncoder::finish()
{
    if (!ended_)
        add(Entity{"ENDBLK", {}});
    return out_;
}

std::vector<std::uint8_t> encode_block(const Settings &settings, int flags, Point base,
                                       const std::string &path,
                                       const std::vector<Entity> &entities, Coding coding)
{
    BlockEncoder enc(settings, coding);
    enc.begin(flags, base, path);
    for (const Entity &e : entities)
        enc.add(e);
    return enc.finish();
}

} // namespace tvlw

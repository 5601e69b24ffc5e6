#include "dxf/definition.h"

#include "reader_messages.h"
#include "tvlaccess.h"
#include "writer/value_forms.h"

namespace dxf {

std::string chain::type() const
{
    return groups.empty() || groups[0].code != 0 ? "" : groups[0].text;
}

const value_group *chain::find(int code) const
{
    for (const value_group &g : groups)
        if (g.code == code)
            return &g;
    return nullptr;
}

std::string chain::text(int code, const std::string &fallback) const
{
    const value_group *g = find(code);
    return g && g->kind == value_group::string ? g->text : fallback;
}

namespace {

chain copy_chain(const resbuf *rb)
{
    chain c;
    for (; rb; rb = rb->next) {
        value_group g;
        g.code = rb->code;
        const auto &v = rb->value;
        switch (tvlw::value_form(rb->code)) {
        case tvlw::ValueForm::real:
            g.kind = value_group::real;
            g.xyz[0] = v.real;
            break;
        case tvlw::ValueForm::point2:
        case tvlw::ValueForm::point3:
            g.kind = value_group::point;
            for (int i = 0; i < 3; ++i)
                g.xyz[i] = v.point[i];
            break;
        case tvlw::ValueForm::short_int:
            g.number = v.int16;
            break;
        case tvlw::ValueForm::long_int:
            g.number = v.int32;
            break;
        case tvlw::ValueForm::string:
            g.kind = value_group::string;
            g.text = v.string ? v.string : "";
            break;
        case tvlw::ValueForm::binary:
            g.kind = value_group::binary;
            if (v.binary.bytes)
                g.text.assign(v.binary.bytes, v.binary.length);
            break;
        case tvlw::ValueForm::ename:
            g.kind = value_group::reference;
            g.number = static_cast<long long>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(v.ename[1])) << 32) |
                                              static_cast<std::uint32_t>(v.ename[0]));
            break;
        case tvlw::ValueForm::none:
            continue;
        }
        c.groups.push_back(std::move(g));
    }
    return c;
}

// The reader calls back into plain functions; the definition being filled.
definition *filling = nullptr;

int on_entity(const resbuf *rb)
{
    if (!rb) // a block starts
        return RB_OK;
    chain c = copy_chain(rb);
    const std::string type = c.type();
    if (type == "BLOCK")
        filling->blocks.push_back({std::move(c), {}});
    else if (type != "ENDBLK" && !filling->blocks.empty())
        filling->blocks.back().entities.push_back(std::move(c));
    return RB_OK;
}

int on_table(const resbuf *rb)
{
    chain c = copy_chain(rb);
    const std::string type = c.type();
    if (type == "STYLE")
        filling->styles.push_back(std::move(c));
    else if (type == "LTYPE")
        filling->linetypes.push_back(std::move(c));
    else if (type == "LAYER")
        filling->layers.push_back(std::move(c));
    return RB_OK;
}

} // namespace

definition load_definition(const std::string &library, const std::string &symbol)
{
    definition d;
    filling = &d;
    {
        const reader_messages_to_stderr redirect;
        ta_init(on_entity, on_table, nullptr);
        d.complete = ta_tvldef(library.c_str(), symbol.c_str());
    }
    filling = nullptr;
    return d;
}

} // namespace dxf

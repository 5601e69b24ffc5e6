#include "conversion/full_intake.h"

#include <cmath>

#include "conversion/entity_record.h"
#include "conversion/full_draw.h"
#include "conversion/full_state.h"
#include "conversion/solids.h"
#include "render/scene_functions.h"

namespace {

// The scene goes back to what it held before the first block.
void drop_earlier_drawing(cl_full_state &state)
{
    if (current_scene == nullptr)
        return;
    if (!state.marked) {
        state.marked = true;
        state.triangle_mark = current_scene->triangles.size();
        state.line_mark = current_scene->lines.size();
        state.point_mark = current_scene->points.size();
        return;
    }
    auto shrink = [](auto &items, std::size_t mark) {
        if (items.size() > mark)
            items.resize(mark);
    };
    shrink(current_scene->triangles, state.triangle_mark);
    shrink(current_scene->lines, state.line_mark);
    shrink(current_scene->points, state.point_mark);
}

void end_block(cl_full_state &state)
{
    if (state.drawer)
        state.drawer->Finish();
    state.drawer.reset();
    if (!state.receiving_name.empty())
        state.blocks[state.receiving_name] = std::move(state.receiving);
    state.receiving = fm_block();
    state.receiving_name.clear();
    state.active.clear();
}

void start_block(cl_full_state &state)
{
    end_block(state);
    drop_earlier_drawing(state);
    state.drawer = std::make_unique<cl_full_drawer>(fm_context());
}

// Solids go to the external converter as they arrive and stay where they
// are defined: block references do not place them.
const char *solid_pattern(const std::string &type)
{
    if (type == "3DSOLID")
        return "%s%drp_3dsolid_tmp";
    if (type == "REGION")
        return "%s%drp_region_tmp";
    if (type == "BODY")
        return "%s%drp_body_tmp";
    return nullptr;
}

} // namespace

void full_entity_record(const resbuf *chain)
{
    cl_full_state &state = full_state();
    if (chain == nullptr) {
        start_block(state);
        return;
    }
    fm_entity e = copy_entity_chain(chain);
    if (e.type == "BLOCK") {
        state.receiving_name = upper_name(e.Text(2));
        state.receiving.base = e.Point(10);
        state.active.assign(1, state.receiving_name);
        return;
    }
    if (e.type == "ENDBLK") {
        end_block(state);
        return;
    }
    if (const char *pattern = solid_pattern(e.type)) {
        cl_entity_record record;
        parse_entity(chain, record, false);
        convert_solid(record, chain, pattern);
        return;
    }
    if (!state.drawer) // entities without a block start: drawn as they come
        state.drawer = std::make_unique<cl_full_drawer>(fm_context());
    state.drawer->Draw(e);
    if (!state.receiving_name.empty())
        state.receiving.entities.push_back(std::move(e));
}

void full_table_record(const resbuf *chain)
{
    cl_full_state &state = full_state();
    const fm_entity e = copy_entity_chain(chain);
    const std::string name = upper_name(e.Text(2));
    const std::string type = upper_name(e.type);
    if (type == "LAYER") {
        state.layers.emplace(name, fm_layer{e.Number(62, 7), static_cast<int>(e.Number(70)), e.Text(6)});
    } else if (type == "LTYPE") {
        std::vector<double> dashes;
        for (const fm_group &g : e.groups)
            if (g.code == 49 && std::isfinite(g.point.x))
                dashes.push_back(g.point.x);
        state.line_types.emplace(name, std::move(dashes));
    } else if (type == "STYLE") {
        double width = e.Real(41, 1.0);
        if (!(width > 0.0))
            width = 1.0;
        state.styles.emplace(name, fm_text_style{e.Real(40), width, e.Angle(50), e.Text(3)});
    }
}

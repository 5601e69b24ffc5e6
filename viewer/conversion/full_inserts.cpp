// Block references: the referenced definition drawn in place (scale,
// rotation, extrusion, base point, column and row arrays), nested to any depth
// within a limit; dimensions through their own block.
#include <algorithm>
#include <cmath>

#include "conversion/full_converters.h"
#include "conversion/full_output.h"
#include "conversion/full_state.h"

namespace {

// The definition, or null after reporting why it cannot be drawn.
const fm_block *drawable_block(const std::string &name, const fm_context &context)
{
    cl_full_state &state = full_state();
    const std::string key = upper_name(name);
    const auto found = state.blocks.find(key);
    if (found == state.blocks.end()) {
        full_note("block \"" + name + "\" is not in the library; its references are not drawn");
        return nullptr;
    }
    if (std::find(state.active.begin(), state.active.end(), key) != state.active.end()) {
        full_note("block \"" + name + "\" contains itself; drawn once");
        return nullptr;
    }
    if (context.depth >= full_max_depth) {
        full_note("block references nested deeper than " + std::to_string(full_max_depth) +
                  " levels are not drawn");
        return nullptr;
    }
    return &found->second;
}

// Charges the budget for drawing the block once; false when it is spent.
bool charge(const fm_block &block)
{
    cl_full_state &state = full_state();
    // A full scene keeps nothing more: drawing on would only spend time.
    if (drawing_stopped())
        return false;
    const long cost = static_cast<long>(block.entities.size()) + 1;
    if (state.budget < cost) {
        full_note("too many block references: the drawing is cut short");
        return false;
    }
    state.budget -= cost;
    return true;
}

void draw_block(const std::string &name, const fm_block &block, const fm_context &inner)
{
    cl_full_state &state = full_state();
    state.active.push_back(upper_name(name));
    cl_full_drawer drawer(inner);
    for (const fm_entity &e : block.entities)
        drawer.Draw(e);
    drawer.Finish();
    state.active.pop_back();
}

double finite_or(double value, double fallback)
{
    return std::isfinite(value) ? value : fallback;
}

} // namespace

fm_context insert_attribute_context(const fm_entity &e, const fm_context &context)
{
    fm_context inner = context;
    if (const auto pen = entity_pen(e, context))
        inner.block_color = pen->color;
    inner.block_layer = effective_layer(e, context);
    return inner;
}

void full_insert(const fm_entity &e, const fm_context &context)
{
    const auto pen = entity_pen(e, context);
    if (!pen)
        return;
    const std::string &name = e.Text(2);
    const fm_block *block = drawable_block(name, context);
    if (block == nullptr)
        return;

    const fpt at = e.Point(10);
    const double sx = finite_or(e.Real(41, 1.0), 1.0);
    const double sy = finite_or(e.Real(42, 1.0), 1.0);
    const double sz = finite_or(e.Real(43, 1.0), 1.0);
    const double rotation = finite_or(e.Angle(50), 0.0);
    const long columns = std::max(1L, e.Number(70, 1));
    const long rows = std::max(1L, e.Number(71, 1));
    const double column_spacing = finite_or(e.Real(44), 0.0);
    const double row_spacing = finite_or(e.Real(45), 0.0);

    // Insertion point, rotation and array offsets are in the reference's
    // object coordinates; the scale applies to the block only.
    const fm_transform outer = context.transform.After(entity_ocs(e))
                                   .After(fm_transform::Translation(at))
                                   .After(fm_transform::RotationZ(rotation));
    const fm_transform inner_part = fm_transform::Scaling(sx, sy, sz).After(
        fm_transform::Translation(block->base * -1.0));

    fm_context inner;
    inner.block_color = pen->color;
    inner.block_layer = effective_layer(e, context);
    inner.depth = context.depth + 1;
    for (long r = 0; r < rows; ++r) {
        for (long c = 0; c < columns; ++c) {
            if (!charge(*block))
                return;
            inner.transform = outer.After(fm_transform::Translation(
                                              {c * column_spacing, r * row_spacing, 0.0}))
                                  .After(inner_part);
            draw_block(name, *block, inner);
        }
    }
}

void full_dimension(const fm_entity &e, const fm_context &context)
{
    const auto pen = entity_pen(e, context);
    if (!pen)
        return;
    const std::string &name = e.Text(2);
    if (name.empty())
        return;
    const fm_block *block = drawable_block(name, context);
    if (block == nullptr || !charge(*block))
        return;
    // The dimension's picture is kept in its block, placed like a reference
    // at the origin.
    fm_context inner;
    inner.transform = context.transform.After(fm_transform::Translation(block->base * -1.0));
    inner.block_color = pen->color;
    inner.block_layer = effective_layer(e, context);
    inner.depth = context.depth + 1;
    draw_block(name, *block, inner);
}

#include "conversion/full_draw.h"

#include "conversion/aci_palette.h"
#include "conversion/full_converters.h"
#include "conversion/full_state.h"
#include "support/layer_color_table.h"

namespace {

const fm_layer default_layer{};

const fm_layer &layer_of(const std::string &name)
{
    const auto &layers = full_state().layers;
    const auto found = layers.find(upper_name(name));
    return found == layers.end() ? default_layer : found->second;
}

// A layer's colour number goes through the host's layer colour table when it
// has one, as in the classic mode, else through the standard palette.
cl_rgb layer_color(const fm_layer &layer)
{
    const long number = layer.color < 0 ? -layer.color : layer.color;
    if (const auto table = LookupLayerColor(number))
        return {static_cast<int>(*table & 0xFF), static_cast<int>((*table >> 8) & 0xFF),
                static_cast<int>((*table >> 16) & 0xFF)};
    return aci_color(number);
}

const std::vector<double> *line_type_of(const fm_entity &e, const fm_layer &layer)
{
    const cl_full_state &state = full_state();
    if (!state.line_types_on)
        return nullptr;
    std::string name = upper_name(e.Text(6));
    if (name.empty() || name == "BYLAYER")
        name = upper_name(layer.line_type);
    const auto found = state.line_types.find(name);
    return found == state.line_types.end() ? nullptr : &found->second;
}

} // namespace

fm_transform entity_ocs(const fm_entity &e)
{
    return ocs_transform(e.Point(210, {0.0, 0.0, 1.0}));
}

fm_pen pen_in_ocs(const fm_pen &pen, const fm_entity &e)
{
    fm_pen p = pen;
    p.transform = pen.transform.After(entity_ocs(e));
    return p;
}

std::string effective_layer(const fm_entity &e, const fm_context &context)
{
    const std::string &own = e.Has(8) ? e.Text(8) : std::string("0");
    if (own == "0" && !context.block_layer.empty())
        return context.block_layer;
    return own;
}

std::optional<fm_pen> entity_pen(const fm_entity &e, const fm_context &context)
{
    const std::string layer_name = effective_layer(e, context);
    const fm_layer &layer = layer_of(layer_name);
    if (layer.color < 0 || (layer.flags & 1))
        return std::nullopt;
    fm_pen pen;
    pen.transform = context.transform;
    pen.layer = layer_name;
    const long number = e.Number(62, 256);
    if (number == 0)
        pen.color = context.block_color;
    else if (number >= 1 && number <= 255)
        pen.color = aci_color(number);
    else
        pen.color = layer_color(layer);
    pen.dashes = line_type_of(e, layer);
    return pen;
}

void cl_full_drawer::Draw(const fm_entity &e)
{
    if (in_polyline_) {
        if (e.type == "VERTEX") {
            vertices_.push_back(e);
            return;
        }
        Finish();
        if (e.type == "SEQEND")
            return;
    }
    if (e.type == "POLYLINE") {
        in_polyline_ = true;
        polyline_ = e;
        vertices_.clear();
        return;
    }
    DrawSingle(e);
}

void cl_full_drawer::Finish()
{
    if (!in_polyline_)
        return;
    in_polyline_ = false;
    if (const auto pen = entity_pen(polyline_, context_))
        full_polyline(polyline_, vertices_, *pen);
    vertices_.clear();
}

void cl_full_drawer::DrawSingle(const fm_entity &e)
{
    const std::string &type = e.type;
    if (type == "INSERT") {
        full_insert(e, context_);
        attribute_context_ = insert_attribute_context(e, context_);
        return;
    }
    if (type == "DIMENSION") {
        full_dimension(e, context_);
        return;
    }
    if (type == "ATTRIB") {
        // Invisible attributes (flag 1) are not drawn.
        if (!(e.Number(70) & 1))
            if (const auto pen = entity_pen(e, attribute_context_))
                full_text(e, *pen);
        return;
    }
    const auto pen = entity_pen(e, context_);
    if (!pen)
        return;
    if (type == "LINE" || type == "3DLINE")
        full_line(e, *pen);
    else if (type == "POINT")
        full_point(e, *pen);
    else if (type == "CIRCLE")
        full_circle(e, *pen);
    else if (type == "ARC")
        full_arc(e, *pen);
    else if (type == "ELLIPSE")
        full_ellipse(e, *pen);
    else if (type == "SPLINE")
        full_spline(e, *pen);
    else if (type == "3DFACE")
        full_3dface(e, *pen);
    else if (type == "LWPOLYLINE")
        full_lwpolyline(e, *pen);
    else if (type == "SOLID" || type == "TRACE")
        full_solid(e, *pen);
    else if (type == "HATCH")
        full_hatch(e, *pen);
    else if (type == "TEXT")
        full_text(e, *pen);
    else if (type == "MTEXT")
        full_mtext(e, *pen);
}

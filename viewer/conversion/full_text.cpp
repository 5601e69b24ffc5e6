// TEXT, ATTRIB and MTEXT drawn in a single-stroke font: height, width factor,
// oblique angle, rotation, alignment and extrusion; MTEXT as plain lines of
// text with its formatting codes removed.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <vector>

#include "conversion/full_converters.h"
#include "conversion/full_state.h"
#include "conversion/full_text.h"
#include "conversion/stroke_font.h"

namespace {

constexpr double descent = 0.3;       // below the baseline, in text heights
constexpr double mtext_spacing = 5.0 / 3.0;
constexpr std::size_t max_text = 65536;

const fm_text_style *style_of(const fm_entity &e)
{
    const auto &styles = full_state().styles;
    const std::string name = e.Has(7) ? e.Text(7) : std::string("STANDARD");
    const auto found = styles.find(upper_name(name));
    return found == styles.end() ? nullptr : &found->second;
}

std::shared_ptr<const cl_stroke_font> font_of(const fm_text_style *style)
{
    const std::string file = stroke_font_file(style ? style->font : std::string());
    auto &fonts = full_state().fonts;
    const auto found = fonts.find(file);
    if (found != fonts.end())
        return found->second;
    return fonts[file] = find_stroke_font(file);
}

double text_width(const cl_stroke_font &font, const std::string &text)
{
    double w = 0.0;
    for (unsigned char c : text) {
        const stroke_glyph *g = font.Glyph(c);
        if (g == nullptr)
            g = font.Glyph('?');
        if (g != nullptr)
            w += g->right - g->left;
    }
    return w;
}

// Draws text with its baseline start at the origin of `place`, scaled so
// that the capital height is `height` and widened by `width`.
void draw_run(const fm_pen &pen, const fm_transform &place, const cl_stroke_font &font,
              const std::string &text, double height, double width, double oblique)
{
    const double s = height / cl_stroke_font::cap_height;
    const double shear = std::isfinite(std::tan(oblique)) ? std::tan(oblique) : 0.0;
    fm_pen p = pen;
    p.transform = place;
    p.dashes = nullptr;
    double x = 0.0;
    std::vector<fpt> stroke;
    for (unsigned char c : text) {
        if (drawing_stopped())
            return;
        const stroke_glyph *g = font.Glyph(c);
        if (g == nullptr)
            g = font.Glyph('?');
        if (g == nullptr)
            continue;
        for (const auto &line : g->strokes) {
            stroke.clear();
            for (const auto &[gx, gy] : line) {
                const double y = gy * s;
                stroke.push_back({(x + (gx - g->left) * s) * width + y * shear, y, 0.0});
            }
            pen_path(p, stroke, false);
        }
        x += (g->right - g->left) * s;
    }
}

} // namespace

std::string decode_percent_codes(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size() && out.size() < max_text; ++i) {
        if (text[i] == '%' && i + 2 < text.size() && text[i + 1] == '%') {
            const char code = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 2])));
            if (code == 'd' || code == 'c' || code == 'p' || code == 'u' || code == 'o' ||
                code == '%') {
                if (code == 'd')
                    out += '\1';
                else if (code == 'c')
                    out += '\2';
                else if (code == 'p')
                    out += '\3';
                else if (code == '%')
                    out += '%';
                i += 2;
                continue;
            }
            // %%nnn: a character by its number.
            std::size_t j = i + 2;
            int number = 0;
            while (j < text.size() && j < i + 5 && std::isdigit(static_cast<unsigned char>(text[j])))
                number = number * 10 + (text[j++] - '0');
            if (j > i + 2) {
                out += number >= 32 && number < 127 ? static_cast<char>(number) : '?';
                i = j - 1;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::vector<std::string> mtext_lines(const std::string &text)
{
    std::vector<std::string> lines(1);
    std::size_t i = 0;
    auto skip_to_semicolon = [&] {
        while (i < text.size() && text[i] != ';')
            ++i;
    };
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '{' || c == '}')
            continue;
        if (c != '\\' || i + 1 >= text.size()) {
            lines.back() += c;
            continue;
        }
        const char code = text[++i];
        switch (code) {
        case 'P': lines.emplace_back(); break;
        case '~': lines.back() += ' '; break;
        case '\\': case '{': case '}': lines.back() += code; break;
        case 'L': case 'l': case 'O': case 'o': case 'K': case 'k': case 'X': break;
        case 'S': {
            // Stacked fractions a^b, a/b, a#b read as a/b.
            ++i;
            for (; i < text.size() && text[i] != ';'; ++i)
                lines.back() += (text[i] == '^' || text[i] == '#') ? '/' : text[i];
            break;
        }
        case 'U': case 'M':
            // \U+XXXX and \M+NXXXX: characters the font does not have.
            lines.back() += '?';
            i += code == 'U' ? 5 : 6;
            break;
        case 'A': case 'C': case 'c': case 'F': case 'f': case 'H': case 'Q': case 'T': case 'W':
        case 'p':
            skip_to_semicolon();
            break;
        default: lines.back() += code; break;
        }
        if (lines.size() > max_text || lines.back().size() > max_text)
            break;
    }
    return lines;
}

void full_text(const fm_entity &e, const fm_pen &pen)
{
    const fm_text_style *style = style_of(e);
    const auto font = font_of(style);
    if (!font)
        return;
    const std::string text = decode_percent_codes(e.Text(1));
    if (text.empty())
        return;
    double height = e.Real(40, 0.0);
    if (!(height > 0.0))
        height = style && style->height > 0.0 ? style->height : 1.0;
    double width = e.Real(41, style ? style->width_factor : 1.0);
    if (!(width > 0.0) || !std::isfinite(width))
        width = 1.0;
    const double oblique = e.Has(51) ? e.Angle(51) : style ? style->oblique : 0.0;
    double rotation = e.Angle(50);
    const long horizontal = e.Number(72);
    const long vertical = e.type == "ATTRIB" ? e.Number(74) : e.Number(73);
    const long generation = e.Number(71);
    const fpt first = e.Point(10);
    const fpt second = e.Point(11, first);

    const double natural = text_width(*font, text) * height / cl_stroke_font::cap_height * width;
    fpt anchor = (horizontal == 0 && vertical == 0) ? first : second;
    double dx = 0.0;
    double dy = 0.0;
    if (horizontal == 3 || horizontal == 5) {
        // Aligned and fit run from the first point to the second; aligned
        // keeps the letters' shape, fit only stretches them.
        const double span = std::hypot(second.x - first.x, second.y - first.y);
        if (span > 0.0 && natural > 0.0) {
            rotation = std::atan2(second.y - first.y, second.x - first.x);
            if (horizontal == 3)
                height *= span / natural;
            else
                width *= span / natural;
        }
        anchor = first;
    } else if (horizontal == 1 || horizontal == 4) {
        dx = -natural / 2.0;
    } else if (horizontal == 2) {
        dx = -natural;
    }
    if (horizontal == 4 && vertical == 0)
        dy = -height / 2.0;
    else if (vertical == 1)
        dy = descent * height;
    else if (vertical == 2)
        dy = -height / 2.0;
    else if (vertical == 3)
        dy = -height;

    const double mirror_x = (generation & 2) ? -1.0 : 1.0;
    const double mirror_y = (generation & 4) ? -1.0 : 1.0;
    const fm_transform place =
        pen.transform.After(entity_ocs(e))
            .After(fm_transform::Translation(anchor))
            .After(fm_transform::RotationZ(std::isfinite(rotation) ? rotation : 0.0))
            .After(fm_transform::Scaling(mirror_x, mirror_y, 1.0))
            .After(fm_transform::Translation({dx, dy, 0.0}));
    draw_run(pen, place, *font, text, height, width, oblique);
}

namespace {

// Greedy word wrap at spaces for a reference width.
std::vector<std::string> wrap(const cl_stroke_font &font, const std::vector<std::string> &lines,
                              double scale, double limit)
{
    if (!(limit > 0.0))
        return lines;
    std::vector<std::string> out;
    const double space_width = text_width(font, " ") * scale;
    for (const std::string &line : lines) {
        std::string current;
        double current_width = 0.0;
        std::size_t at = 0;
        while (at <= line.size()) {
            std::size_t space = line.find(' ', at);
            if (space == std::string::npos)
                space = line.size();
            const std::string word = line.substr(at, space - at);
            const double word_width = text_width(font, word) * scale;
            if (!current.empty() && current_width + space_width + word_width > limit) {
                out.push_back(current);
                current = word;
                current_width = word_width;
            } else {
                current_width += current.empty() ? word_width : space_width + word_width;
                current = current.empty() ? word : current + " " + word;
            }
            at = space + 1;
        }
        out.push_back(current);
    }
    return out;
}

} // namespace

void full_mtext(const fm_entity &e, const fm_pen &pen)
{
    const fm_text_style *style = style_of(e);
    const auto font = font_of(style);
    if (!font)
        return;
    std::string raw;
    for (const fm_group &g : e.groups)
        if (g.code == 3 && raw.size() < max_text)
            raw += g.text;
    raw += e.Text(1);
    double height = e.Real(40, 0.0);
    if (!(height > 0.0))
        height = style && style->height > 0.0 ? style->height : 1.0;
    const double scale = height / cl_stroke_font::cap_height;
    const std::vector<std::string> lines =
        wrap(*font, mtext_lines(decode_percent_codes(raw)), scale, e.Real(41) * 1.0001);

    // Insertion point and direction are in world coordinates.
    const fpt normal = fpt_scale_to_length(e.Point(210, {0.0, 0.0, 1.0}), 1.0);
    const fm_transform ocs = ocs_transform(normal);
    fpt x_axis = e.Has(11) ? e.Point(11) : ocs.ApplyVector({std::cos(e.Angle(50)), std::sin(e.Angle(50)), 0.0});
    x_axis = fpt_scale_to_length(x_axis - normal * fpt_dot(x_axis, normal), 1.0);
    if (fpt_length(x_axis) == 0.0)
        x_axis = ocs.ApplyVector({1.0, 0.0, 0.0});
    const fpt y_axis = fpt_cross(normal, x_axis);
    const fm_transform frame = pen.transform.After(fm_transform::Translation(e.Point(10)))
                                   .After(fm_transform::Axes(x_axis, y_axis, normal));

    const long attachment = std::clamp(e.Number(71, 1), 1L, 9L);
    const long column = (attachment - 1) % 3; // 0 left, 1 centre, 2 right
    const long row = (attachment - 1) / 3;    // 0 top, 1 middle, 2 bottom
    double spacing = e.Real(44, 1.0);
    if (!(spacing > 0.0) || spacing > 10.0)
        spacing = 1.0;
    const double pitch = height * mtext_spacing * spacing;
    const double total = height + pitch * static_cast<double>(lines.size() - 1);
    const double top = row == 1 ? total / 2.0 : row == 2 ? total : 0.0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const double w = text_width(*font, lines[i]) * scale;
        const double x = column == 1 ? -w / 2.0 : column == 2 ? -w : 0.0;
        const double y = top - height - pitch * static_cast<double>(i);
        draw_run(pen, frame.After(fm_transform::Translation({x, y, 0.0})), *font, lines[i], height,
                 1.0, style ? style->oblique : 0.0);
    }
}

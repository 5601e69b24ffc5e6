#include "conversion/stroke_font.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>

namespace {

constexpr int first_char = 32;
constexpr int last_char = 126;
// Hershey coordinates are letters around 'R', y growing downwards; the
// baseline of the roman fonts lies at 9.
constexpr double baseline = 9.0;
constexpr std::size_t max_file_size = 4 << 20;

// One glyph record: number (5), vertex count (3), then count pairs of
// letters, the first pair the left and right extent, " R" lifting the pen.
bool parse_glyph(const std::string &record, stroke_glyph &glyph)
{
    if (record.size() < 10)
        return false;
    const int count = std::atoi(record.substr(5, 3).c_str());
    if (count < 1 || record.size() < 8 + 2 * static_cast<std::size_t>(count))
        return false;
    glyph.left = record[8] - 'R';
    glyph.right = record[9] - 'R';
    std::vector<std::pair<double, double>> stroke;
    for (int i = 1; i < count; ++i) {
        const char a = record[8 + 2 * static_cast<std::size_t>(i)];
        const char b = record[9 + 2 * static_cast<std::size_t>(i)];
        if (a == ' ' && b == 'R') {
            if (stroke.size() > 1)
                glyph.strokes.push_back(stroke);
            stroke.clear();
            continue;
        }
        stroke.emplace_back(a - 'R', baseline - (b - 'R'));
    }
    if (stroke.size() > 1)
        glyph.strokes.push_back(stroke);
    return true;
}

std::vector<std::pair<double, double>> ring(double cx, double cy, double r)
{
    std::vector<std::pair<double, double>> out;
    for (int i = 0; i <= 16; ++i) {
        const double a = i * 6.283185307179586 / 16;
        out.emplace_back(cx + r * std::cos(a), cy + r * std::sin(a));
    }
    return out;
}

void make_specials(stroke_glyph (&s)[3])
{
    s[0] = {-5.0, 5.0, {ring(0.0, 17.0, 3.0)}};
    s[1] = {-9.0, 9.0, {ring(0.0, 7.0, 7.0), {{-7.0, -1.0}, {7.0, 15.0}}}};
    s[2] = {-9.0, 9.0, {{{-7.0, 9.0}, {7.0, 9.0}}, {{0.0, 16.0}, {0.0, 2.0}}, {{-7.0, 0.0}, {7.0, 0.0}}}};
}

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::vector<std::string> font_folders()
{
    std::vector<std::string> out;
    if (const char *own = std::getenv("SKELVANE_HERSHEY_DIR"); own != nullptr && *own != '\0')
        out.emplace_back(own);
    out.emplace_back("/usr/share/hershey-fonts");
    out.emplace_back("/usr/local/share/hershey-fonts");
    return out;
}

} // namespace

bool cl_stroke_font::Load(const std::string &path)
{
    glyphs_.clear();
    make_specials(specials_);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    std::string record;
    std::size_t read = 0;
    // A long glyph continues on the following lines.
    while (std::getline(in, line) && read < max_file_size &&
           glyphs_.size() < static_cast<std::size_t>(last_char - first_char + 1)) {
        read += line.size() + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        record += line;
        if (record.size() < 8)
            continue;
        const int count = std::atoi(record.substr(5, 3).c_str());
        if (count < 1) {
            record.clear();
            continue;
        }
        if (record.size() < 8 + 2 * static_cast<std::size_t>(count))
            continue;
        stroke_glyph glyph;
        if (parse_glyph(record, glyph))
            glyphs_.push_back(std::move(glyph));
        record.clear();
    }
    return !glyphs_.empty();
}

const stroke_glyph *cl_stroke_font::Glyph(unsigned char c) const
{
    if (c >= 1 && c <= 3)
        return &specials_[c - 1];
    if (c < first_char || c > last_char)
        return nullptr;
    const std::size_t index = static_cast<std::size_t>(c - first_char);
    return index < glyphs_.size() ? &glyphs_[index] : nullptr;
}

std::string stroke_font_file(const std::string &style_font)
{
    const std::string f = lower(style_font);
    auto has = [&](const char *part) { return f.find(part) != std::string::npos; };
    if (has("gothic") || has("goth"))
        return "gothiceng.jhf";
    if (has("script"))
        return "scripts.jhf";
    if (has("italic") || has("ital"))
        return "timesi.jhf";
    if (has("romant") || has("romand") || has("romanc") || has("complex") || has("bold"))
        return "rowmand.jhf";
    return "rowmans.jhf";
}

std::shared_ptr<const cl_stroke_font> find_stroke_font(const std::string &file)
{
    for (const std::string &folder : font_folders()) {
        auto font = std::make_shared<cl_stroke_font>();
        if (font->Load(folder + "/" + file) || font->Load(folder + "/rowmans.jhf"))
            return font;
    }
    return nullptr;
}

// Single-stroke fonts for text: the Hershey fonts in their "jhf" text form,
// as installed by the system's hershey-fonts-data package.  Each glyph is a
// few pen strokes, which the viewer draws as lines.
#pragma once
#include <memory>
#include <string>
#include <vector>

struct stroke_glyph {
    double left = 0.0;  // the glyph's extent along the baseline
    double right = 0.0;
    // Pen strokes in font units: x to the right, y up from the baseline.
    std::vector<std::vector<std::pair<double, double>>> strokes;
};

class cl_stroke_font {
public:
    // Reads a font file; false (and an empty font) when it is missing or
    // holds no glyph.
    bool Load(const std::string &path);

    // Characters 32 to 126; special characters 1 (degree), 2 (diameter) and
    // 3 (plus-minus) are made from strokes.  Null for any other character.
    const stroke_glyph *Glyph(unsigned char c) const;

    // Capital height in font units: text height divided by it gives the scale.
    static constexpr double cap_height = 21.0;

private:
    std::vector<stroke_glyph> glyphs_; // index c - 32
    stroke_glyph specials_[3];
};

// The Hershey file (name without folder) for a text style's font file name
// ("txt", "romand.shx", "ARIAL.TTF", ...): a font of the matching look.
std::string stroke_font_file(const std::string &style_font);

// Reads the font file from the installed font folders ($SKELVANE_HERSHEY_DIR
// first), falling back to the plain roman font.  Null when none is installed:
// text is then not drawn.
std::shared_ptr<const cl_stroke_font> find_stroke_font(const std::string &file);

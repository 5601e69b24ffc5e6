#include "site_writer.h"

#include <cstdio>
#include <filesystem>
#include <map>

#include "atomic_file.h"
#include "colour_file.h"
#include "html_text.h"
#include "picture_cache.h"
#include "site_assets.h"
#include "symbol_exports.h"

namespace fs = std::filesystem;

namespace {

struct site {
    const gallery_settings &settings;
    const std::string &drawing;
    const std::string &program;
    std::map<int, std::string> colours;
    site_counts &counts;
};

std::string id_of(std::size_t library, std::size_t symbol)
{
    return std::to_string(library) + "-" + std::to_string(symbol);
}

std::string picture_name(const std::string &id, const std::string &role)
{
    return role == "thumb" ? id + ".png" : id + "-" + role + ".png";
}

std::string number_text(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", v);
    return text;
}

std::string head(const std::string &title, const std::string &to_root)
{
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
           title + "</title>\n<link rel=\"stylesheet\" href=\"" + to_root + "gallery.css\">\n" +
           "<script src=\"" + to_root + "gallery.js\" defer></script>\n</head>\n";
}

// Puts every cached picture of a symbol into the site; false when one is missing.
bool serve_pictures(const site &s, const site_library &library, const symbol_facts &facts,
                    const std::string &id)
{
    if (!facts.loaded)
        return false;
    for (const wanted_picture &picture : pictures_of(facts, s.settings)) {
        const std::string cached = picture_file(
            s.settings.cache,
            picture_key(library.stamp.library, facts.name, facts.definition, picture.views, picture.size, s.drawing));
        const std::string target = (fs::path(s.settings.output) / "pictures" / picture_name(id, picture.role)).string();
        if (!serve_file(cached, target))
            return false;
        ++s.counts.served;
    }
    return true;
}

// The layer names for the search, one a line (a character reference, since
// names are made safe for the page one by one).
std::string layer_list(const symbol_facts &facts)
{
    std::string text;
    for (const layer_fact &layer : facts.layers)
        text += (text.empty() ? "" : "&#10;") + html_name(layer.name);
    return text;
}

std::string card(const symbol_facts &facts, const std::string &id, bool drawn, int size)
{
    const std::string name = html_name(facts.name);
    std::string html = "<li class=\"card\" data-name=\"" + name + "\" data-layers=\"" + layer_list(facts) + "\"><a href=\"symbols/" + id + ".html\">";
    const std::string side = std::to_string(size);
    if (drawn && facts.has_extent)
        html += "<img src=\"pictures/" + id + ".png\" loading=\"lazy\" width=\"" + side + "\" height=\"" + side +
                "\" alt=\"" + name + "\">";
    else // a blank thumbnail would look like a broken one
        html += "<span class=\"missing\" style=\"width:" + side + "px;height:" + side + "px\">" +
                (drawn ? "empty" : "no picture") + "</span>";
    return html + "<span class=\"name\">" + name + "</span></a></li>\n";
}

std::string extent_table(const symbol_facts &facts)
{
    if (!facts.has_extent)
        return "<p>Nothing drawn.</p>\n";
    std::string html = "<table class=\"extent\"><tr><th></th><th>from</th><th>to</th><th>size</th></tr>\n";
    const char *axes[] = {"x", "y", "z"};
    for (int i = 0; i < 3; ++i)
        html += std::string("<tr><th>") + axes[i] + "</th><td>" + number_text(facts.low[i]) + "</td><td>" +
                number_text(facts.high[i]) + "</td><td>" + number_text(facts.high[i] - facts.low[i]) +
                "</td></tr>\n";
    return html + "</table>\n";
}

std::string layer_table(const site &s, const symbol_facts &facts)
{
    if (facts.layers.empty())
        return "<p>No layers.</p>\n";
    std::string html = "<table class=\"layers\"><tr><th>layer</th><th>colour</th></tr>\n";
    for (const layer_fact &layer : facts.layers) {
        html += "<tr><td>" + html_name(layer.name) + "</td><td>";
        const auto found = s.colours.find(layer.colour);
        if (found != s.colours.end())
            html += "<span class=\"swatch\" style=\"background:" + found->second + "\"></span>";
        html += std::to_string(layer.colour) + "</td></tr>\n";
    }
    return html + "</table>\n";
}

std::string count_table(const symbol_facts &facts)
{
    if (facts.counts.empty())
        return "<p>No entities.</p>\n";
    long total = 0;
    std::string html = "<table class=\"counts\"><tr><th>type</th><th>count</th></tr>\n";
    for (const auto &[kind, n] : facts.counts) {
        html += "<tr><td>" + html_name(kind) + "</td><td>" + std::to_string(n) + "</td></tr>\n";
        total += n;
    }
    return html + "<tr class=\"total\"><td>all</td><td>" + std::to_string(total) + "</td></tr>\n</table>\n";
}

std::string nested_list(const symbol_facts &facts)
{
    if (facts.nested.empty())
        return "<p>None.</p>\n";
    std::string html = "<ul class=\"nested\">\n";
    for (const nested_block &block : facts.nested)
        html += "<li>" + html_name(block.name) + " <small>(" + std::to_string(block.entities) +
                (block.entities == 1 ? " entity" : " entities") + ")</small></li>\n";
    return html + "</ul>\n";
}

// Links to the symbol's exports that tvl export made; the files go to exports/ID/.
std::string downloads(const site &s, const site_library &library, const symbol_facts &facts, const std::string &id)
{
    if (s.program.empty() || facts.name.empty() || facts.name.find('/') != std::string::npos ||
        facts.name == "." || facts.name == "..")
        return {};
    const fs::path made(export_folder(s.settings, library));
    const fs::path site_folder = fs::path(s.settings.output) / "exports" / id;
    std::string links;
    for (const std::string &format : export_formats()) {
        std::vector<std::string> files{facts.name + "." + format};
        if (format == "obj")
            files.push_back(facts.name + ".mtl"); // the OBJ names its materials file
        std::error_code error;
        fs::create_directories(site_folder, error);
        bool served = true;
        for (const std::string &file : files)
            served = served && serve_file((made / format / file).string(), (site_folder / file).string());
        if (served)
            links += "<li><a href=\"../exports/" + id + "/" + html_escape(url_path(files[0])) + "\" download>" +
                     format + "</a></li>\n";
    }
    return links.empty() ? std::string()
                         : "<section><h2>Downloads</h2>\n<ul class=\"downloads\">\n" + links + "</ul>\n</section>\n";
}

std::string symbol_page(const site &s, const site_library &library, std::size_t l, std::size_t i, bool drawn)
{
    const symbol_facts &facts = library.symbols[i];
    const std::string id = id_of(l, i);
    const std::string name = html_name(facts.name);
    std::string html = head(name, "../") + "<body class=\"symbol\">\n<nav><a href=\"../index.html\" id=\"back\">All symbols</a> · " +
                       html_name(fs::path(library.path).filename().string());
    if (i > 0)
        html += " · <a rel=\"prev\" href=\"" + id_of(l, i - 1) + ".html\">previous</a>";
    if (i + 1 < library.symbols.size())
        html += " · <a rel=\"next\" href=\"" + id_of(l, i + 1) + ".html\">next</a>";
    html += "</nav>\n<h1>" + name + "</h1>\n";
    if (drawn) {
        const std::string side = std::to_string(s.settings.page_size / 2 * 2);
        html += "<figure class=\"views\"><img src=\"../pictures/" + picture_name(id, "views") + "\" width=\"" + side +
                "\" height=\"" + side + "\" alt=\"" + name + ": plan, iso, front and right views\">";
        for (std::size_t q = 0; q < page_views().size(); ++q)
            html += "<span class=\"quarter q" + std::to_string(q) + "\">" + page_views()[q] + "</span>";
        html += "</figure>\n";
    } else {
        html += "<p class=\"missing\">This symbol could not be drawn" +
                std::string(facts.delivered ? "." : ": the library does not deliver it.") + "</p>\n";
    }
    html += "<div class=\"facts\">\n<section><h2>Extents</h2>\n" + extent_table(facts) +
            "</section>\n<section><h2>Layers</h2>\n" + layer_table(s, facts) +
            "</section>\n<section><h2>Entities</h2>\n" + count_table(facts) +
            "</section>\n<section><h2>Nested blocks</h2>\n" + nested_list(facts) + "</section>\n" +
            downloads(s, library, facts, id) + "</div>\n</body>\n</html>\n";
    return html;
}

std::string index_page(const std::vector<site_library> &libraries, const std::string &cards, long total)
{
    std::string title = "Symbols";
    if (libraries.size() == 1)
        title += ": " + html_name(fs::path(libraries[0].path).filename().string());
    return head(title, "") + "<body class=\"index\">\n<header>\n<h1>" + title +
           "</h1>\n<input id=\"search\" type=\"search\" placeholder=\"Search names and layers  ( / )\" "
           "autocomplete=\"off\" spellcheck=\"false\" aria-label=\"Search\">\n<span id=\"count\" data-total=\"" +
           std::to_string(total) + "\">" + std::to_string(total) + " symbols</span>\n</header>\n<main>\n" + cards +
           "</main>\n</body>\n</html>\n";
}

} // namespace

bool write_site(const gallery_settings &settings, const std::string &drawing,
                const std::vector<site_library> &libraries, const std::string &program, site_counts &counts,
                std::string &error)
{
    const fs::path out(settings.output);
    std::error_code e;
    for (const char *folder : {"", "pictures", "symbols", "exports"})
        fs::create_directories(out / folder, e);
    if (!fs::is_directory(out / "symbols", e)) {
        error = "cannot create folder " + settings.output;
        return false;
    }
    const site s{settings, drawing, program, read_colour_file(settings.colors), counts};
    std::string cards;
    long total = 0;
    for (std::size_t l = 0; l < libraries.size(); ++l) {
        const site_library &library = libraries[l];
        cards += "<section class=\"library\">\n<h2>" + html_name(fs::path(library.path).filename().string()) +
                 " <small>" + std::to_string(library.symbols.size()) + " symbols</small></h2>\n<ul class=\"grid\">\n";
        for (std::size_t i = 0; i < library.symbols.size(); ++i) {
            const std::string id = id_of(l, i);
            const bool drawn = serve_pictures(s, library, library.symbols[i], id);
            if (!drawn)
                ++counts.failed;
            cards += card(library.symbols[i], id, drawn, settings.size);
            if (!write_file_if_changed((out / "symbols" / (id + ".html")).string(),
                                       symbol_page(s, library, l, i, drawn))) {
                error = "cannot write " + (out / "symbols" / (id + ".html")).string();
                return false;
            }
        }
        total += static_cast<long>(library.symbols.size());
        cards += "</ul>\n</section>\n";
    }
    if (!write_file_if_changed((out / "gallery.css").string(), gallery_css) ||
        !write_file_if_changed((out / "gallery.js").string(), gallery_js) ||
        !write_file_if_changed((out / "index.html").string(), index_page(libraries, cards, total))) {
        error = "cannot write the site in " + settings.output;
        return false;
    }
    return true;
}

#include "symbol_drawing.h"

#include <chrono>
#include <cstring>
#include <filesystem>

#include "atomic_file.h"
#include "picture_cache.h"
#include "fast_png.h"
#include "reader_messages.h"
#include "tavrel_viewer.h"
#include "views.h"

namespace {

std::string cached_picture(const std::string &stamped_library, const symbol_facts &facts,
                           const wanted_picture &picture, const gallery_settings &settings,
                           const std::string &drawing)
{
    return picture_file(settings.cache, picture_key(stamped_library, facts.name, facts.definition,
                                                    picture.views, picture.size, drawing));
}

bool render_view(cl_export_functions &viewer, const std::string &view, CImage &target, int size)
{
    const camera_angles angles = named_view(view);
    viewer.SetCameraRotation(angles.rotation);
    viewer.SetCameraTilt(angles.tilt);
    return target.Create(size, size, 24) && viewer.RenderImage(&target) == 0;
}

// Copies a square picture into one quarter (0 top left, 1 top right, 2 bottom
// left, 3 bottom right) of a picture twice its side.
void copy_into_quarter(const CImage &part, CImage &whole, int quarter)
{
    const int side = part.GetWidth();
    const int left = (quarter % 2) * side;
    const int top = (quarter / 2) * side;
    const auto row_bytes = static_cast<std::size_t>(side) * 3;
    for (int y = 0; y < side; ++y)
        std::memcpy(whole.GetPixelAddress(left, top + y),
                    static_cast<const unsigned char *>(part.GetBits()) + static_cast<long>(part.GetPitch()) * y,
                    row_bytes);
}

// One view, or several as the quarters of one picture.
bool draw_picture(cl_export_functions &viewer, const wanted_picture &picture, const std::string &path)
{
    CImage target;
    if (picture.views.find('+') == std::string::npos) {
        if (!render_view(viewer, picture.views, target, picture.size))
            return false;
    } else {
        const int quarter_side = picture.size / 2;
        if (!target.Create(quarter_side * 2, quarter_side * 2, 24))
            return false;
        const std::vector<std::string> &views = page_views();
        for (std::size_t i = 0; i < views.size() && i < 4; ++i) {
            CImage part;
            if (!render_view(viewer, views[i], part, quarter_side))
                return false;
            copy_into_quarter(part, target, static_cast<int>(i));
        }
    }
    return write_file_atomically(path, [&target](const std::string &temporary) {
        return write_fast_png(target, temporary);
    });
}

} // namespace

void set_up_gallery_viewer(cl_export_functions &viewer, const gallery_settings &settings)
{
    if (!settings.colors.empty())
        viewer.SetLayerColorFile(settings.colors.c_str());
    viewer.SetBackgroundColor(0xFFFFFF);
    viewer.SetShowLines(1);
    viewer.SetDrawingMode(settings.mode == "classic" ? TAVREL_MODE_CLASSIC : TAVREL_MODE_FULL);
    viewer.SetFitLines(1);
    viewer.SetScaledLineWidth(1);
}

bool pictures_cached(const std::string &stamped_library, const symbol_facts &facts,
                     const gallery_settings &settings, const std::string &drawing)
{
    if (!facts.loaded)
        return true; // nothing to draw
    std::error_code error;
    for (const wanted_picture &picture : pictures_of(facts, settings))
        if (!std::filesystem::exists(cached_picture(stamped_library, facts, picture, settings, drawing), error))
            return false;
    return true;
}

void draw_symbol(cl_export_functions &viewer, const std::string &library, const std::string &stamped_library,
                 symbol_facts &facts, bool read_facts, const gallery_settings &settings,
                 const std::string &drawing, drawing_counts &counts)
{
    if (read_facts)
        read_definition(library, facts.name, facts);
    if (!read_facts && pictures_cached(stamped_library, facts, settings, drawing))
        return;

    viewer.SetLibrary(library.c_str());
    viewer.SetBlockName(facts.name.c_str());
    int loaded = 0;
    {
        const reader_messages_to_stderr redirect;
        loaded = viewer.LoadSymbol();
    }
    if (read_facts) {
        facts.loaded = loaded == 1;
        // Before the first picture, while the scene is in the symbol's own coordinates.
        facts.has_extent = facts.loaded && viewer.GetSceneExtent(facts.low, facts.high) != 0;
        facts.view = automatic_view(viewer);
    }
    if (loaded != 1)
        return; // the site marks it
    for (const wanted_picture &picture : pictures_of(facts, settings)) {
        const std::string path = cached_picture(stamped_library, facts, picture, settings, drawing);
        std::error_code error;
        if (std::filesystem::exists(path, error))
            continue;
        const auto start = std::chrono::steady_clock::now();
        if (!draw_picture(viewer, picture, path))
            return; // missing from the cache: the site marks the symbol
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        (picture.role == "thumb" ? counts.thumbnail_ms : counts.views_ms) += ms;
        counts.thumbnails += picture.role == "thumb" ? 1 : 0;
        ++counts.rendered;
    }
}

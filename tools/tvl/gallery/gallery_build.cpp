#include "gallery_build.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "facts_file.h"
#include "picture_cache.h"
#include "site_writer.h"
#include "symbol_drawing.h"
#include "symbol_exports.h"
#include "tavrel_viewer.h"
#include "worker_pool.h"

namespace fs = std::filesystem;

namespace {

struct work_item {
    std::size_t library;
    std::size_t symbol;
    bool read_facts;
};

// The first worker shows how far the work is, on a terminal only; the others
// keep pace with it.
void show_progress(std::size_t i, std::size_t n, std::size_t total)
{
    if (isatty(STDERR_FILENO) == 0)
        return;
    const bool last = i + n >= total;
    if ((i / n) % 4 == 0 || last)
        std::fprintf(stderr, "\rtvl gallery: %zu/%zu symbols", last ? total : i + 1, total);
    if (last)
        std::fprintf(stderr, "\n");
}

// The share of one process: items k, k + n, k + 2n...  Writes each item's
// facts and the counts to out.
void work_share(const gallery_settings &settings, std::vector<site_library> &libraries,
                const std::vector<work_item> &items, std::size_t k, std::size_t n, std::FILE *out)
{
    const std::string drawing = drawing_settings(settings);
    cl_export_functions viewer;
    set_up_gallery_viewer(viewer, settings);
    drawing_counts counts;
    for (std::size_t i = k; i < items.size(); i += n) {
        const work_item &item = items[i];
        site_library &library = libraries[item.library];
        symbol_facts &facts = library.symbols[item.symbol];
        draw_symbol(viewer, library.path, library.stamp.library, facts, item.read_facts, settings, drawing,
                    counts);
        // Flushed item by item, so that a worker that dies keeps what it did.
        std::fprintf(out, "item\t%zu\t%zu\n%s", item.library, item.symbol, facts_text(facts).c_str());
        std::fflush(out);
        if (k == 0)
            show_progress(i, n, items.size());
    }
    std::fprintf(out, "counts\t%ld\t%ld\t%.3f\t%.3f\n", counts.rendered, counts.thumbnails, counts.thumbnail_ms,
                 counts.views_ms);
    viewer.DeleteObjects();
}

// Reads what work_share wrote; false when it is incomplete.
bool merge_share(const std::string &text, std::vector<site_library> &libraries, gallery_result &result)
{
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::size_t l = 0;
        std::size_t s = 0;
        drawing_counts c;
        if (std::sscanf(line.c_str(), "counts\t%ld\t%ld\t%lf\t%lf", &c.rendered, &c.thumbnails, &c.thumbnail_ms,
                        &c.views_ms) == 4) {
            result.rendered += c.rendered;
            result.thumbnails += c.thumbnails;
            result.thumbnail_ms += c.thumbnail_ms;
            result.views_ms += c.views_ms;
            return true;
        }
        if (std::sscanf(line.c_str(), "item\t%zu\t%zu", &l, &s) != 2 || l >= libraries.size() ||
            s >= libraries[l].symbols.size())
            return false;
        std::string record;
        while (std::getline(in, line)) {
            record += line + "\n";
            if (line == "end")
                break;
        }
        std::vector<symbol_facts> parsed;
        if (!parse_facts(record, parsed) || parsed.size() != 1)
            return false;
        libraries[l].symbols[s] = std::move(parsed[0]);
    }
    return false;
}

// Runs the items in settings.jobs processes (forked before any viewer exists
// in this one), each reporting its items through a pipe, merged afterwards.
// False when a worker ended early (what it finished is merged); result.error
// when workers could not be started.
bool run_work(const gallery_settings &settings, std::vector<site_library> &libraries,
              const std::vector<work_item> &items, gallery_result &result)
{
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(settings.jobs), items.size());
    const worker_pool_result pool = run_worker_pool(static_cast<int>(n), [&](int k, std::FILE *out) {
        work_share(settings, libraries, items, static_cast<std::size_t>(k), n, out);
        return true;
    });
    if (!pool.error.empty())
        result.error = pool.error;
    bool complete = true;
    for (const worker_report &w : pool.workers)
        if (!merge_share(w.output, libraries, result) || !w.clean)
            complete = false;
    return complete;
}

// The library's symbols with the facts the cache holds for it; false when it cannot be read.
bool open_library(const std::string &path, const gallery_settings &settings, const std::string &drawing,
                  site_library &library, std::vector<work_item> &items, std::size_t index, std::string &error)
{
    library.path = path;
    if (!stamp_library(path, drawing, library.stamp)) {
        error = "no library " + path;
        return false;
    }
    const std::vector<std::string> names = list_symbols(path);
    if (names.empty()) {
        error = "no symbols listed in " + path;
        return false;
    }
    std::vector<symbol_facts> cached;
    bool known = load_facts(facts_file(settings.cache, library.stamp.library), library.stamp, cached) &&
                 cached.size() == names.size();
    for (std::size_t i = 0; known && i < names.size(); ++i)
        known = cached[i].name == names[i];
    library.facts_changed = !known;
    if (known) {
        library.symbols = std::move(cached);
    } else {
        library.symbols.assign(names.size(), symbol_facts{});
        for (std::size_t i = 0; i < names.size(); ++i)
            library.symbols[i].name = names[i];
    }
    for (std::size_t i = 0; i < names.size(); ++i)
        if (!known || !pictures_cached(library.stamp.library, library.symbols[i], settings, drawing))
            items.push_back({index, i, !known});
    return true;
}

} // namespace

gallery_result build_gallery(const gallery_settings &settings, const std::string &program)
{
    gallery_result result;
    const std::string drawing = drawing_settings(settings);
    std::vector<site_library> libraries(settings.libraries.size());
    std::vector<work_item> items;
    for (std::size_t i = 0; i < settings.libraries.size(); ++i)
        if (!open_library(settings.libraries[i], settings, drawing, libraries[i], items, i, result.error))
            return result;

    export_runs exports;
    if (!program.empty())
        exports = start_exports(program, settings, libraries);
    const bool finished = items.empty() || run_work(settings, libraries, items, result);
    finish_exports(exports);
    if (!result.error.empty())
        return result;
    // The symbols a dead worker left are marked in the site, and their facts
    // are not kept, so the next run tries them again.
    if (!finished)
        std::fprintf(stderr, "tvl gallery: a worker process ended early; the symbols it left are marked\n");
    for (const site_library &library : libraries)
        if (finished && library.facts_changed &&
            !save_facts(facts_file(settings.cache, library.stamp.library), library.stamp, library.symbols))
            std::fprintf(stderr, "tvl gallery: cannot write the cache in %s\n", settings.cache.c_str());

    site_counts counts;
    if (!write_site(settings, drawing, libraries, program, counts, result.error))
        return result;
    result.index = (fs::path(settings.output) / "index.html").string();
    result.served = counts.served;
    result.failed = counts.failed;
    for (const site_library &library : libraries)
        result.symbols += static_cast<long>(library.symbols.size());
    return result;
}

// tvl pack OUTPUT INPUT...: DXF drawings into a symbol library, one listed
// symbol per drawing.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "commands.h"
#include "dxf/dxf_pack.h"
#include "dxf/file_output.h"

namespace fs = std::filesystem;

namespace {

struct pack_options {
    std::string output;
    std::vector<std::string> inputs;
    std::string method = "auto";
    int jobs = 0;
    int fixed_point = -1;
    bool quiet = false;
    bool skip_bad = false;
};

[[noreturn]] void fail(const std::string &message)
{
    std::fprintf(stderr, "tvl pack: %s\n", message.c_str());
    throw command_exit{1};
}

bool is_dxf(const fs::path &p)
{
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".dxf";
}

// Files named on the command line, and the *.dxf files (any case) below folders, sorted per folder.
std::vector<std::string> gather_inputs(const std::vector<std::string> &inputs)
{
    std::vector<std::string> files;
    for (const std::string &in : inputs) {
        std::error_code ec;
        if (fs::is_directory(in, ec)) {
            std::vector<std::string> found;
            for (fs::recursive_directory_iterator it(in, fs::directory_options::skip_permission_denied, ec), end;
                 !ec && it != end; it.increment(ec))
                if (it->is_regular_file(ec) && is_dxf(it->path()))
                    found.push_back(it->path().string());
            if (ec)
                fail(in + ": cannot search the folder: " + ec.message());
            std::sort(found.begin(), found.end());
            files.insert(files.end(), found.begin(), found.end());
        } else if (fs::exists(in, ec)) {
            files.push_back(in);
        } else {
            fail(in + ": no such file or folder");
        }
    }
    return files;
}

// The path as the reader will open it: ".TVL" is added when there is no extension.
std::string library_path(const std::string &output)
{
    return fs::path(output).has_extension() ? output : output + ".TVL";
}

tvlw::Compression compression_of(const std::string &method)
{
    if (method == "auto")
        return tvlw::Compression::smallest;
    if (method == "stored")
        return tvlw::Compression::stored;
    static const tvlw::Compression numbered[] = {tvlw::Compression::method0, tvlw::Compression::method1,
                                                 tvlw::Compression::method2, tvlw::Compression::method3};
    if (method.size() == 1 && method[0] >= '0' && method[0] <= '3')
        return numbered[method[0] - '0'];
    fail("--method: auto, stored, 0, 1, 2 or 3 expected, not " + method);
}

// Reads and codes the drawings side by side; results keep the input order.
std::vector<dxf::prepared_drawing> prepare_all(const std::vector<std::string> &files, const dxf::pack_settings &s,
                                               int jobs, bool progress)
{
    std::vector<dxf::prepared_drawing> done(files.size());
    std::atomic<std::size_t> next{0}, finished{0};
    std::mutex report;
    auto work = [&] {
        for (std::size_t i; (i = next++) < files.size();) {
            done[i] = dxf::prepare_drawing(files[i], s);
            const std::size_t n = ++finished;
            if (progress) {
                const std::lock_guard<std::mutex> lock(report);
                std::fprintf(stderr, "\rtvl pack: %zu/%zu drawings read", n, files.size());
            }
        }
    };
    std::vector<std::thread> helpers;
    for (int j = 1; j < jobs && static_cast<std::size_t>(j) < files.size(); ++j)
        helpers.emplace_back(work);
    work();
    for (std::thread &t : helpers)
        t.join();
    if (progress)
        std::fputs("\n", stderr);
    return done;
}

std::string megabytes(std::size_t n)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f MB", static_cast<double>(n) / 1e6);
    return text;
}

void run(const pack_options &o)
{
    dxf::pack_settings settings;
    settings.library = dxf::default_library_settings();
    settings.compression = compression_of(o.method);
    if (o.fixed_point >= 0)
        settings.library.fraction_bits = o.fixed_point;
    else
        for (tvlw::Coding &c : settings.codings)
            c.fixed_point = false;
    const std::string output = library_path(o.output);
    const std::vector<std::string> files = gather_inputs(o.inputs);
    if (files.empty())
        fail("no DXF drawings found in the inputs");
    const int jobs = o.jobs > 0 ? o.jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const bool progress = !o.quiet && files.size() > 1 && isatty(STDERR_FILENO);

    std::vector<dxf::prepared_drawing> drawings = prepare_all(files, settings, jobs, progress);
    dxf::library_builder library(settings);
    std::size_t bad = 0, input_bytes = 0;
    for (dxf::prepared_drawing &d : drawings) {
        if (!d.error.empty()) {
            std::fprintf(stderr, "tvl pack: %s\n", d.error.c_str());
            ++bad;
            continue;
        }
        library.add(d);
        input_bytes += d.input_bytes;
        if (o.quiet)
            continue;
        if (!d.left_out.empty())
            std::fprintf(stderr, "tvl pack: %s: left out %s\n", d.file.c_str(), d.left_out.summary().c_str());
        for (const std::string &note : d.notes)
            std::fprintf(stderr, "tvl pack: %s: %s\n", d.file.c_str(), note.c_str());
    }
    if (bad > 0 && !o.skip_bad)
        fail(std::to_string(bad) + " of " + std::to_string(files.size()) + " drawings could not be read; " + output +
             " is not written");
    if (library.symbols() == 0)
        fail("no drawing could be read; " + output + " is not written");
    std::vector<std::uint8_t> bytes;
    try {
        bytes = library.writer().bytes();
    } catch (const std::exception &e) {
        fail(std::string("cannot make the library: ") + e.what());
    }
    if (bytes.size() > 0x7FFFFFFFu) // offsets in the library are signed 32-bit
        fail("the library would be larger than 2 GB; pack the drawings into several libraries");
    try {
        dxf::write_file_atomically(output, std::string(bytes.begin(), bytes.end()));
    } catch (const std::exception &e) {
        fail(e.what());
    }
    if (!o.quiet)
        std::fprintf(stderr, "tvl pack: %zu symbol%s from %s of DXF in %s (%s)\n", library.symbols(),
                     library.symbols() == 1 ? "" : "s", megabytes(input_bytes).c_str(),
                     megabytes(bytes.size()).c_str(), output.c_str());
    if (bad > 0)
        throw command_exit{1};
}

} // namespace

void add_pack_command(CLI::App &app)
{
    auto o = std::make_shared<pack_options>();
    auto *cmd = app.add_subcommand("pack", "Pack DXF drawings into a symbol library, one symbol per drawing");
    cmd->footer("Inputs are ASCII DXF files (R12 to R2018) or folders searched for *.dxf.  Each drawing becomes\n"
                "a symbol named after its file; the blocks it inserts and the layers, line types and styles it\n"
                "uses go with it.  The library is written under a temporary name and renamed when complete.");
    cmd->add_option("OUTPUT", o->output, "Library file to write (\".TVL\" is added without an extension)")
        ->required();
    cmd->add_option("INPUT", o->inputs, "DXF files or folders")->required();
    cmd->add_option("--method", o->method, "Compression: auto (smallest per chunk), stored, 0, 1, 2 or 3")
        ->capture_default_str();
    cmd->add_option("--jobs", o->jobs, "Drawings read at once (default: one per processor)")
        ->check(CLI::Range(1, 256));
    cmd->add_option("--fixed-point", o->fixed_point,
                    "Also code reals as fixed-point numbers with this many fraction bits (0-8; exact values only)")
        ->check(CLI::Range(0, 8));
    cmd->add_flag("--quiet", o->quiet, "Report errors only: no summaries, notes or progress");
    cmd->add_flag("--skip-bad", o->skip_bad,
                  "Write the library of the drawings that could be read (still exits 1 when some could not)");
    cmd->callback([o] { run(*o); });
}

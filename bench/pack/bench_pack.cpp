// Packing speed of real drawings (MB of DXF per second) and the library's size
// beside gzip -9 and xz -9 of the same files, per compression method and for
// auto; then how many symbols per second the reader defines from the library.
//
// Ratios against baselines measured in the same run, in processor time (so a
// busy machine slows both sides alike): vs_gzip9 and vs_xz9 are sizes (below 1
// is smaller than the baseline), speed_vs_gzip9 is speed (above 1 is faster).
// The drawings are every fourth of the parts library (librecad-data).
#include <benchmark/benchmark.h>
#include <lzma.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "dxf/dxf_pack.h"
#include "tvlaccess.h"

namespace {

const char corpus_folder[] = "/usr/share/librecad/library";

struct corpus {
    std::vector<std::string> files;
    std::size_t bytes = 0, gzip9 = 0, xz9 = 0;
    double gzip_seconds = 0; // processor time of gzip -9 over all files
};

std::size_t gzip9_size(const std::string &text)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 31, 9, Z_DEFAULT_STRATEGY); // 31: with the gzip wrapper
    std::vector<unsigned char> out(deflateBound(&z, text.size()) + 32);
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    const std::size_t n = z.total_out;
    deflateEnd(&z);
    return n;
}

std::size_t xz9_size(const std::string &text)
{
    std::vector<std::uint8_t> out(lzma_stream_buffer_bound(text.size()));
    std::size_t n = 0;
    lzma_easy_buffer_encode(9, LZMA_CHECK_CRC64, nullptr, reinterpret_cast<const std::uint8_t *>(text.data()),
                            text.size(), out.data(), &n, out.size());
    return n;
}

std::string read_all(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

const corpus &drawings()
{
    static const corpus c = [] {
        corpus c;
        std::vector<std::string> all;
        std::error_code ec;
        for (std::filesystem::recursive_directory_iterator it(corpus_folder, ec), end; !ec && it != end;
             it.increment(ec))
            if (it->path().extension() == ".dxf")
                all.push_back(it->path().string());
        std::sort(all.begin(), all.end());
        for (std::size_t i = 0; i < all.size(); i += 4)
            c.files.push_back(all[i]);
        const std::clock_t start = std::clock();
        for (const std::string &f : c.files) {
            const std::string text = read_all(f);
            c.bytes += text.size();
            c.gzip9 += gzip9_size(text);
        }
        c.gzip_seconds = double(std::clock() - start) / CLOCKS_PER_SEC;
        for (const std::string &f : c.files)
            c.xz9 += xz9_size(read_all(f));
        return c;
    }();
    return c;
}

dxf::pack_settings settings_for(tvlw::Compression c)
{
    dxf::pack_settings s;
    s.library = dxf::default_library_settings();
    s.compression = c;
    for (tvlw::Coding &coding : s.codings)
        coding.fixed_point = false;
    return s;
}

std::vector<std::uint8_t> pack(const corpus &c, tvlw::Compression method)
{
    const dxf::pack_settings s = settings_for(method);
    dxf::library_builder library(s);
    for (const std::string &f : c.files) {
        dxf::prepared_drawing d = dxf::prepare_drawing(f, s);
        library.add(d);
    }
    return library.writer().bytes();
}

const char *method_names[] = {"stored", "method 0", "method 1", "method 2", "method 3", "auto"};

void BM_pack(benchmark::State &state)
{
    const corpus &c = drawings();
    if (c.files.empty()) {
        state.SkipWithError("the parts library is not installed");
        return;
    }
    const auto method = static_cast<tvlw::Compression>(state.range(0));
    std::size_t size = 0;
    double seconds = 0;
    for (auto _ : state) {
        const std::clock_t start = std::clock();
        size = pack(c, method).size();
        seconds += double(std::clock() - start) / CLOCKS_PER_SEC;
    }
    const double runs = double(state.iterations());
    state.SetLabel(method_names[state.range(0)]);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.bytes));
    state.counters["vs_gzip9"] = double(size) / double(c.gzip9);
    state.counters["vs_xz9"] = double(size) / double(c.xz9);
    state.counters["speed_vs_gzip9"] = c.gzip_seconds / (seconds / runs);
}
BENCHMARK(BM_pack)->DenseRange(0, 5)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_define_symbols(benchmark::State &state)
{
    const corpus &c = drawings();
    if (c.files.empty()) {
        state.SkipWithError("the parts library is not installed");
        return;
    }
    const std::string library =
        (std::filesystem::temp_directory_path() / ("bench_pack_" + std::to_string(getpid()) + ".tvl")).string();
    const std::vector<std::uint8_t> bytes = pack(c, tvlw::Compression::smallest);
    std::ofstream(library, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()),
                                                   static_cast<std::streamsize>(bytes.size()));
    std::vector<std::string> names;
    resbuf *list = ta_tvllist(library.c_str());
    for (const resbuf *rb = list; rb; rb = rb->next)
        names.emplace_back(rb->value.string);
    ta_relrb(list);
    ta_init(nullptr, nullptr, nullptr);
    std::size_t defined = 0;
    for (auto _ : state)
        for (const std::string &n : names)
            defined += ta_tvldef(library.c_str(), n.c_str()) ? 1 : 0;
    std::filesystem::remove(library);
    state.counters["symbols_per_second"] = benchmark::Counter(double(defined), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_define_symbols)->Unit(benchmark::kMillisecond);

} // namespace

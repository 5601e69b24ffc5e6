// The DXF side of tvl pack: the first byte picks how far a drawing goes (group
// pairs into a drawing; into coded blocks; into a whole library) and how its
// blocks are coded and compressed, the rest is the drawing's text.
#include "fuzz_target.h"

#include <exception>
#include <vector>

#include "../common/fuzz_input.h"
#include "dxf/dxf_drawing.h"
#include "dxf/dxf_pack.h"

namespace {

enum stage { read_only, prepare, whole_library, stages };

// One coding candidate and one method keep a run short; the input picks which.
dxf::pack_settings settings_from(unsigned choice)
{
    dxf::pack_settings s;
    s.library = dxf::default_library_settings();
    const tvlw::Compression methods[] = {tvlw::Compression::stored, tvlw::Compression::method0,
                                         tvlw::Compression::method1, tvlw::Compression::method2,
                                         tvlw::Compression::method3};
    s.compression = methods[choice % 5];
    std::vector<tvlw::Coding> all = tvlw::coding_candidates();
    if (!all.empty())
        s.codings = {all[(choice / 5) % all.size()]};
    return s;
}

} // namespace

int dxf_fuzz_one(const std::uint8_t *data, std::size_t size)
{
    fuzz_input in(data, size);
    const unsigned choice = in.byte();
    const std::string path = fuzz_scratch_file("drawing.dxf", in.rest(), in.rest_size());
    switch (choice % stages) {
    case read_only:
        try {
            (void)dxf::read_drawing(path);
        } catch (const dxf::dxf_error &) {
            // a refused drawing is an answer; anything else escapes and counts
        }
        break;
    case prepare:
    case whole_library: {
        const dxf::pack_settings settings = settings_from(choice / stages);
        dxf::prepared_drawing d = dxf::prepare_drawing(path, settings); // never throws
        if (choice % stages == whole_library && d.error.empty()) {
            dxf::library_builder library(settings);
            library.add(d);
            try {
                (void)library.writer().bytes();
            } catch (const std::exception &) {
                // tvl pack refuses such a library with the message; it is not a fault
            }
        }
        break;
    }
    }
    return 0;
}

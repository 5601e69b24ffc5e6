#include "fuzz_target.h"

#include <string>
#include <vector>

#include "sat_model.h"
#include "sat_text.h"
#include "solid_mesher.h"

int vorstep_fuzz_one(const std::uint8_t *data, std::size_t size)
{
    std::string text(reinterpret_cast<const char *>(data), size);
    sat_text sat;
    std::string error;
    if (!sat_split(text, sat, error))
        return 0;
    sat_model model;
    std::vector<std::string> warnings;
    if (!sat_build_model(sat, model, warnings))
        return 0;
    mesh_result mesh;
    // A lower triangle limit than the converter's keeps each run within the
    // fuzzer's time limit; the limit itself works the same way.
    mesh_model(model, model_tolerance(model), mesh, 500000);
    return 0;
}

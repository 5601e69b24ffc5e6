// Writes the SAT texts of the typical test solids into a folder as seeds.
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "typical_solids.h"

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: vorstep_fuzz_seeds FOLDER\n", stderr);
        return 2;
    }
    std::vector<std::pair<std::string, std::string>> seeds = {
        {"cylinder", typical_solids::cylinder(false)},
        {"cylinder_dome", typical_solids::cylinder(true)},
        {"cylinder_v106", typical_solids::cylinder(false, 106)},
        {"cone", typical_solids::cone(2, 3)},
        {"tee", typical_solids::tee().text()},
        {"sphere", typical_solids::sphere()},
        {"torus", typical_solids::torus()},
        {"box", typical_solids::box()},
        {"box_v3000", typical_solids::box(3000)},
        {"spline_block", typical_solids::spline_block()},
    };
    for (const auto &[name, text] : seeds) {
        std::ofstream out(std::string(argv[1]) + "/" + name + ".sat", std::ios::binary);
        out << text;
        if (!out) {
            std::fprintf(stderr, "vorstep_fuzz_seeds: cannot write %s\n", name.c_str());
            return 1;
        }
    }
    return 0;
}

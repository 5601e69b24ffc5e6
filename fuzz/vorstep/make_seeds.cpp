// Writes the SAT texts of the typical test solids into a folder as seeds.
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "sat_builder.h"
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
    };
    {
        sat_builder b(700);
        b.face(sat_builder::sphere({0, 0, 0}, 2.5), {});
        seeds.emplace_back("sphere", b.text());
    }
    {
        sat_builder b(700);
        b.face(sat_builder::torus({0, 0, 0}, {0, 0, 1}, 5, 1), {});
        seeds.emplace_back("torus", b.text());
    }
    {
        sat_builder b(700);
        int v[8];
        for (int k = 0; k < 8; ++k)
            v[k] = b.vertex({k & 1 ? 2.0 : 0.0, k & 2 ? 3.0 : 0.0, k & 4 ? 4.0 : 0.0});
        b.face(sat_builder::plane({0, 0, 0}, {0, 0, -1}, {1, 0, 0}), {b.polygon({v[0], v[2], v[3], v[1]})});
        b.face(sat_builder::plane({2, 3, 4}, {0, 0, 1}, {1, 0, 0}), {b.polygon({v[4], v[5], v[7], v[6]})});
        b.face(sat_builder::plane({0, 0, 0}, {0, -1, 0}, {1, 0, 0}), {b.polygon({v[0], v[1], v[5], v[4]})});
        b.face(sat_builder::plane({2, 3, 4}, {0, 1, 0}, {1, 0, 0}), {b.polygon({v[2], v[6], v[7], v[3]})});
        b.face(sat_builder::plane({0, 0, 0}, {-1, 0, 0}, {0, 1, 0}), {b.polygon({v[0], v[4], v[6], v[2]})});
        b.face(sat_builder::plane({2, 3, 4}, {1, 0, 0}, {0, 1, 0}), {b.polygon({v[1], v[3], v[7], v[5]})});
        seeds.emplace_back("box", b.text());
    }
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

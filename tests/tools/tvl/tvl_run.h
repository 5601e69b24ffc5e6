// Runs tvl as a separate program on libraries written for the test.
#pragma once
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "file_text.h"
#include "scratch_folder.h"
#include "tvl_program.h"
#include "writer/entity_encoder.h"
#include "writer/library.h"

#include <gtest/gtest.h>

using tvl_result = skeltest::run_result;

// A folder of its own per test, removed afterwards.
class tvl_test : public ::testing::Test {
protected:
    std::string path(const std::string &name) const { return dir_.file(name); }

    tvl_result tvl(const std::vector<std::string> &args) const { return skeltest::run_tvl(args); }

    // A library with one listed block per entry, the layers each may use.
    std::string library(const std::vector<std::pair<std::string, std::vector<tvlw::Entity>>> &blocks,
                        const std::vector<std::pair<std::string, int>> &layers = {})
    {
        tvlw::LibraryWriter writer;
        for (const auto &[name, colour] : layers)
            writer.add_layer(name, colour, 0, "CONTINUOUS");
        for (const auto &[name, entities] : blocks) {
            tvlw::BlockOptions options;
            for (const auto &layer : layers)
                options.dependencies.push_back({tvlw::type_layer, layer.first, 0, {}});
            writer.add_block(name, tvlw::encode_block(writer.settings(), 0, {}, "", entities),
                             options);
        }
        const std::string file = path("lib.tvl");
        EXPECT_TRUE(writer.save(file));
        return file;
    }

    skeltest::scratch_folder dir_;
};

using make = tvlw::EntityBuilder;

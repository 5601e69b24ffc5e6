// Runs tvl as a separate program on libraries written for the test.
#pragma once
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "writer/entity_encoder.h"
#include "writer/library.h"

#include <gtest/gtest.h>

struct tvl_result {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string read_text(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A folder of its own per test, removed afterwards.
class tvl_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               ("tvl_e2e_" + std::to_string(getpid()) + "_" + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string path(const std::string &name) const { return (dir_ / name).string(); }

    // Arguments are quoted for the shell; none of ours holds a quote.
    tvl_result tvl(const std::vector<std::string> &args) const
    {
        std::string command = "'" TVL_PROGRAM "'";
        for (const std::string &a : args)
            command += " '" + a + "'";
        command += " >'" + path("stdout") + "' 2>'" + path("stderr") + "'";
        tvl_result r;
        const int raw = std::system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = read_text(path("stdout"));
        r.err = read_text(path("stderr"));
        return r;
    }

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

    std::filesystem::path dir_;
};

using make = tvlw::EntityBuilder;

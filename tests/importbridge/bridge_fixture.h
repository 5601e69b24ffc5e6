// A mapped drive C, scripted answers and the UI log for the bridge's tests.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "skelvane/ui.h"
#include "temp_drive.h"

class bridge_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_folder_ = std::filesystem::current_path();
        ::setenv("SKELVANE_UI_LOG", drive_.host("ui.log").c_str(), 1);
        answer({});
    }
    void TearDown() override
    {
        std::filesystem::current_path(saved_folder_);
        for (const char *v : {"SKELVANE_UI_LOG", "PELLIMAX_STANDIN_TEXT", "PELLIMAX_STANDIN_TEXT_1",
                              "PELLIMAX_STANDIN_TEXT_2", "PELLIMAX_STANDIN_TEXT_3", "PELLIMAX_STANDIN_LOG"})
            ::unsetenv(v);
        ::setenv("SKELVANE_UI", "none", 1);
        skel_ui_reset();
    }

    // The answers the user gives, one a line.
    void answer(const std::vector<std::string> &lines)
    {
        std::string text;
        for (const std::string &line : lines)
            text += line + "\n";
        drive_.write("answers.txt", text);
        ::setenv("SKELVANE_UI", ("script:" + drive_.host("answers.txt")).c_str(), 1);
        skel_ui_reset();
    }

    // What the user saw: one line per box or dialog.
    std::vector<std::string> shown() const
    {
        std::vector<std::string> lines;
        std::istringstream in(drive_.read("ui.log"));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    void folder(const std::string &relative) const { std::filesystem::create_directories(drive_.host(relative)); }

    // Puts the stand-in import program into a folder of drive C.
    void install_program(const std::string &relative_folder) const
    {
        folder(relative_folder);
        std::filesystem::create_symlink(PELLIMAX_STANDIN, drive_.host(relative_folder + "/pellimax.exe"));
    }

    void enter(const std::string &relative) const { std::filesystem::current_path(drive_.host(relative)); }

    temp_drive drive_;

private:
    std::filesystem::path saved_folder_;
};

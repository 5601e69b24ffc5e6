// Runs tvl as a host runs it, in a scratch folder, for the reader's end-to-end tests.
#pragma once
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "support.h"

struct ToolRun {
    int status = -1;
    std::string out, err;
};

class TvlTest : public testing::Test {
protected:
    rt::ScratchDir dir;

    // Runs tvl with the arguments; env holds assignments for its environment.
    ToolRun tvl(const std::string &args, const std::string &env = "")
    {
        const std::string err_file = dir.file("stderr.txt");
        const char *exe = std::getenv("TVL_EXE_OVERRIDE") ? std::getenv("TVL_EXE_OVERRIDE") : TVL_EXE;
        const std::string command = env + " '" + exe + "' " + args + " 2>'" + err_file + "'";
        ToolRun r;
        std::FILE *p = popen(command.c_str(), "r");
        if (!p)
            return r;
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            r.out.append(buf, n);
        const int status = pclose(p);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.err = rt::read_file(err_file);
        return r;
    }
    std::string save(const tvlw::LibraryWriter &w, const std::string &name = "lib.tvl")
    {
        const std::string path = dir.file(name);
        EXPECT_TRUE(w.save(path));
        return "'" + path + "'";
    }
};
